#include "ui/layout.hpp"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>
#include <variant>

namespace sorvel::ui {

namespace detail {

struct StackData {
  bool vertical = true;
  float spacing = 8;
  float align = 0.5f;  // across the stack: 0 leading or top, 1 trailing or bottom
};
struct SpacerData {};
struct TextData {
  std::string text;
  Font font;
  Colour colour;
  Wrap wrap = Wrap::none;
};
struct IconData {
  Icon icon;
  float size = 0;
  Colour colour;
  float weight = 600;
};
enum class ShapeKind { rectangle, capsule, circle };
struct ShapeData {
  ShapeKind kind = ShapeKind::rectangle;
  float cornerRadius = 0;
  Paint paint;
};
struct PaddingData {
  Edges edges;
};
struct SizingData {
  Sizing sizing;
};
// Children: the content, then the shape.
struct DecorationData {
  bool over = false;
};
struct OpacityData {
  float opacity = 1;
};
struct ControlData {
  int action = 0;
};
struct TagData {
  std::string tag;
};

using Payload = std::variant<StackData, SpacerData, TextData, IconData, ShapeData, PaddingData, SizingData,
                             DecorationData, OpacityData, ControlData, TagData>;

struct NodeData {
  Payload payload;
  std::vector<Node> children;
};

struct NodeAccess {
  static Node make(Payload payload, std::vector<Node> children = {}) {
    return Node(std::make_shared<const NodeData>(NodeData{std::move(payload), std::move(children)}));
  }
  static const NodeData* data(const Node& node) { return node.data_.get(); }
};

}  // namespace detail

using namespace detail;

namespace {

float fraction(Align a) { return a == Align::leading ? 0.f : a == Align::centre ? 0.5f : 1.f; }
float fraction(VAlign a) { return a == VAlign::top ? 0.f : a == VAlign::centre ? 0.5f : 1.f; }

Node stack(bool vertical, float spacing, float align, std::vector<Node> children) {
  // Absent parts leave no gap behind.
  std::erase_if(children, [](const Node& child) { return !child; });
  return NodeAccess::make(StackData{vertical, spacing, align}, std::move(children));
}

Size atLeastZero(Size s) { return {std::max(s.width, 0.f), std::max(s.height, 0.f)}; }

// One laying out: the tree flattened so that each node's children lie side
// by side, with what each node needs and what it was given.
//
// Every node is offered room exactly once, and what it would take given all
// the room it likes is worked out once from its children's: the work grows
// with the size of the tree, not with its depth, and each text is measured
// at most twice (on one line, and wrapped at the width it is given).
class Engine {
 public:
  Engine(const Node& root, const TextMeasure& measure, Layout& out) : measure_(measure), out_(out) {
    // Breadth first, so that a node's children take consecutive places.
    states_.push_back({NodeAccess::data(root)});
    for (size_t i = 0; i < states_.size(); ++i) {
      const NodeData* node = states_[i].node;
      if (!node) continue;
      states_[i].first = static_cast<std::uint32_t>(states_.size());
      states_[i].count = static_cast<std::uint32_t>(node->children.size());
      for (const Node& child : node->children) states_.push_back({NodeAccess::data(child)});
    }
  }

  void run(Size window) {
    const Size size = fit(0, atLeastZero(window));
    place(0, {(window.width - size.width) / 2, (window.height - size.height) / 2}, 1);
  }

 private:
  // What a node takes when offered all the room it likes (infinite for
  // shapes and filling frames), and whether it takes less when offered less.
  struct Ideal {
    Size size;
    bool shrinksX = false, shrinksY = false;
  };

  struct State {
    const NodeData* node = nullptr;
    std::uint32_t first = 0, count = 0;
    Size size;                    // the answer to the room offered
    std::optional<Ideal> ideal;
    float spacerLength = 0;       // stacks
    bool settled = false;         // stacks' children: given all they want
    std::optional<Size> oneLine;  // texts
    float wrapWidth = 0;          // texts: 0 on one line
  };

  static constexpr float kUnbounded = std::numeric_limits<float>::infinity();

  Size fit(std::uint32_t i, Size offered) {
    State& s = states_[i];
    if (s.node) s.size = atLeastZero(std::visit([&](const auto& kind) { return fitNode(s, kind, offered); }, s.node->payload));
    return s.size;
  }

  const Ideal& ideal(std::uint32_t i) {
    State& s = states_[i];
    if (!s.ideal) s.ideal = s.node ? std::visit([&](const auto& kind) { return idealOf(s, kind); }, s.node->payload) : Ideal{};
    return *s.ideal;
  }

  void place(std::uint32_t i, Point origin, float opacity) {
    const State& s = states_[i];
    if (!s.node) return;
    const Rect frame{origin.x, origin.y, s.size.width, s.size.height};
    std::visit([&](const auto& kind) { placeNode(s, kind, frame, opacity); }, s.node->payload);
  }

  // Places a child centred in `frame`, or as `alignX` and `alignY` say.
  void placeIn(std::uint32_t child, Rect frame, float opacity, float alignX = 0.5f, float alignY = 0.5f) {
    const Size size = states_[child].size;
    place(child, {frame.x + (frame.width - size.width) * alignX, frame.y + (frame.height - size.height) * alignY},
          opacity);
  }

  bool isSpacer(std::uint32_t i) const {
    return states_[i].node && std::holds_alternative<SpacerData>(states_[i].node->payload);
  }

  // --- Stacks

  static float along(const StackData& k, Size s) { return k.vertical ? s.height : s.width; }
  static float across(const StackData& k, Size s) { return k.vertical ? s.width : s.height; }
  static Size make(const StackData& k, float length, float breadth) {
    return k.vertical ? Size{breadth, length} : Size{length, breadth};
  }
  static bool shrinksAlong(const StackData& k, const Ideal& i) { return k.vertical ? i.shrinksY : i.shrinksX; }

  float gaps(const State& s, const StackData& k) const {
    return s.count > 1 ? k.spacing * static_cast<float>(s.count - 1) : 0;
  }

  Ideal idealOf(const State& s, const StackData& k) {
    float length = gaps(s, k), breadth = 0;
    Ideal out;
    for (std::uint32_t c = s.first; c < s.first + s.count; ++c) {
      if (isSpacer(c)) {
        length = kUnbounded;
        (k.vertical ? out.shrinksY : out.shrinksX) = true;
        continue;
      }
      const Ideal& child = ideal(c);
      length += along(k, child.size);
      breadth = std::max(breadth, across(k, child.size));
      out.shrinksX = out.shrinksX || child.shrinksX;
      out.shrinksY = out.shrinksY || child.shrinksY;
    }
    out.size = make(k, length, breadth);
    return out;
  }

  // Children that cannot shrink along the stack are given the whole length
  // first. Those that can share what they leave: the ones that ideally take
  // less than an equal share get all they want, the others an equal share of
  // the rest. What is still free goes to the spacers.
  Size fitNode(State& s, const StackData& k, Size offered) {
    const float room = std::max(along(k, offered) - gaps(s, k), 0.f);
    const float breadth = across(k, offered);
    const std::uint32_t end = s.first + s.count;

    int spacers = 0, shrinking = 0;
    float used = 0;
    for (std::uint32_t c = s.first; c < end; ++c) {
      if (isSpacer(c)) {
        ++spacers;
      } else if (shrinksAlong(k, ideal(c))) {
        ++shrinking;
      } else {
        used += along(k, fit(c, make(k, room, breadth)));
      }
    }
    if (shrinking > 0) {
      const float shared = std::max(room - used, 0.f);
      float remaining = shared;
      int unsettled = shrinking;
      for (bool done = false; !done && unsettled > 0;) {
        done = true;
        const float share = remaining / static_cast<float>(unsettled);
        for (std::uint32_t c = s.first; c < end; ++c) {
          if (isSpacer(c) || !shrinksAlong(k, ideal(c)) || states_[c].settled) continue;
          const float wanted = along(k, ideal(c).size);
          if (wanted <= share) {
            states_[c].settled = true;
            remaining -= wanted;
            --unsettled;
            done = false;
          }
        }
      }
      const float share = unsettled > 0 ? std::max(remaining / static_cast<float>(unsettled), 0.f) : 0;
      for (std::uint32_t c = s.first; c < end; ++c) {
        if (isSpacer(c) || !shrinksAlong(k, ideal(c))) continue;
        used += along(k, fit(c, make(k, states_[c].settled ? shared : share, breadth)));
      }
    }

    float crossSize = 0;
    for (std::uint32_t c = s.first; c < end; ++c) {
      if (!isSpacer(c)) crossSize = std::max(crossSize, across(k, states_[c].size));
    }
    const float free = std::max(room - used, 0.f);
    s.spacerLength = spacers > 0 ? free / static_cast<float>(spacers) : 0;
    return make(k, used + gaps(s, k) + (spacers > 0 ? free : 0), crossSize);
  }

  void placeNode(const State& s, const StackData& k, Rect frame, float opacity) {
    float at = k.vertical ? frame.y : frame.x;
    const float crossSize = across(k, {frame.width, frame.height});
    for (std::uint32_t c = s.first; c < s.first + s.count; ++c) {
      if (c > s.first) at += k.spacing;
      if (isSpacer(c)) {
        at += s.spacerLength;
        continue;
      }
      const Size size = states_[c].size;
      const float offset = (crossSize - across(k, size)) * k.align;
      place(c, k.vertical ? Point{frame.x + offset, at} : Point{at, frame.y + offset}, opacity);
      at += along(k, size);
    }
  }

  // --- Leaves

  Ideal idealOf(const State&, const SpacerData&) { return {}; }
  Size fitNode(State&, const SpacerData&, Size) { return {}; }
  void placeNode(const State&, const SpacerData&, Rect, float) {}

  Size oneLine(State& s, const TextData& k) {
    if (!s.oneLine) s.oneLine = measure_.measure(k.text, k.font, 0);
    return *s.oneLine;
  }
  Ideal idealOf(State& s, const TextData& k) { return {oneLine(s, k), k.wrap == Wrap::words, false}; }
  Size fitNode(State& s, const TextData& k, Size offered) {
    if (k.wrap == Wrap::words && offered.width < oneLine(s, k).width) {
      // The painter is asked to wrap at the same width, so that it breaks the
      // lines where they were measured.
      s.wrapWidth = std::max(offered.width, 1.f);
      return measure_.measure(k.text, k.font, s.wrapWidth);
    }
    s.wrapWidth = 0;
    return oneLine(s, k);
  }
  void placeNode(const State& s, const TextData& k, Rect frame, float opacity) {
    if (opacity <= 0) return;
    out_.drawList.push_back(TextCommand{k.text, k.font, k.colour.withOpacity(opacity), {frame.x, frame.y}, s.wrapWidth});
  }

  Ideal idealOf(const State&, const IconData& k) { return {{k.size, k.size}}; }
  Size fitNode(State&, const IconData& k, Size) { return {k.size, k.size}; }
  void placeNode(const State&, const IconData& k, Rect frame, float opacity) {
    if (opacity <= 0) return;
    out_.drawList.push_back(IconCommand{k.icon, frame, k.colour.withOpacity(opacity), k.weight});
  }

  Ideal idealOf(const State&, const ShapeData&) { return {{kUnbounded, kUnbounded}, true, true}; }
  Size fitNode(State&, const ShapeData&, Size offered) { return offered; }
  void placeNode(const State&, const ShapeData& k, Rect frame, float opacity) {
    if (opacity <= 0) return;
    const float shorter = std::min(frame.width, frame.height);
    float radius = std::clamp(k.cornerRadius, 0.f, shorter / 2);
    if (k.kind == ShapeKind::capsule) radius = shorter / 2;
    if (k.kind == ShapeKind::circle) {
      frame = {frame.x + (frame.width - shorter) / 2, frame.y + (frame.height - shorter) / 2, shorter, shorter};
      radius = shorter / 2;
    }
    Paint paint = k.paint;
    paint.fill = paint.fill.withOpacity(opacity);
    paint.stroke = paint.stroke.withOpacity(opacity);
    out_.drawList.push_back(ShapeCommand{frame, radius, paint});
  }

  // --- Modifiers

  Ideal idealOf(const State& s, const PaddingData& k) {
    Ideal out = ideal(s.first);
    out.size.width += k.edges.left + k.edges.right;
    out.size.height += k.edges.top + k.edges.bottom;
    return out;
  }
  Size fitNode(State& s, const PaddingData& k, Size offered) {
    const Edges& e = k.edges;
    const Size child = fit(s.first, atLeastZero({offered.width - e.left - e.right, offered.height - e.top - e.bottom}));
    return {child.width + e.left + e.right, child.height + e.top + e.bottom};
  }
  void placeNode(const State& s, const PaddingData& k, Rect frame, float opacity) {
    place(s.first, {frame.x + k.edges.left, frame.y + k.edges.top}, opacity);
  }

  static bool fillsWidth(const Sizing& f) { return f.fill == Fill::width || f.fill == Fill::both; }
  static bool fillsHeight(const Sizing& f) { return f.fill == Fill::height || f.fill == Fill::both; }
  // The frame's size around a child of `child` size when offered `offered`.
  static Size frameSize(const Sizing& f, Size offered, Size child) {
    const float width = f.width.value_or(fillsWidth(f) ? offered.width : child.width);
    const float height = f.height.value_or(fillsHeight(f) ? offered.height : child.height);
    return {std::min(width, f.maxWidth.value_or(kUnbounded)), std::max(height, f.minHeight.value_or(0))};
  }
  Ideal idealOf(const State& s, const SizingData& k) {
    const Sizing& f = k.sizing;
    const Ideal& child = ideal(s.first);
    return {frameSize(f, {kUnbounded, kUnbounded}, child.size), !f.width && (fillsWidth(f) || child.shrinksX),
            !f.height && (fillsHeight(f) || child.shrinksY)};
  }
  Size fitNode(State& s, const SizingData& k, Size offered) {
    const Sizing& f = k.sizing;
    const Size room{std::min(f.width.value_or(offered.width), f.maxWidth.value_or(kUnbounded)),
                    std::max(f.height.value_or(offered.height), f.minHeight.value_or(0))};
    return frameSize(f, offered, fit(s.first, atLeastZero(room)));
  }
  void placeNode(const State& s, const SizingData& k, Rect frame, float opacity) {
    placeIn(s.first, frame, opacity, fraction(k.sizing.align), fraction(k.sizing.valign));
  }

  // Decorations and the nodes that only record or fade take their content's
  // size.
  template <typename Kind>
  Ideal idealOf(const State& s, const Kind&) {
    return ideal(s.first);
  }

  Size fitNode(State& s, const DecorationData&, Size offered) {
    const Size content = fit(s.first, offered);
    fit(s.first + 1, content);
    return content;
  }
  void placeNode(const State& s, const DecorationData& k, Rect frame, float opacity) {
    if (!k.over) placeIn(s.first + 1, frame, opacity);
    place(s.first, {frame.x, frame.y}, opacity);
    if (k.over) placeIn(s.first + 1, frame, opacity);
  }

  Size fitNode(State& s, const OpacityData&, Size offered) { return fit(s.first, offered); }
  void placeNode(const State& s, const OpacityData& k, Rect frame, float opacity) {
    place(s.first, {frame.x, frame.y}, opacity * k.opacity);
  }

  Size fitNode(State& s, const ControlData&, Size offered) { return fit(s.first, offered); }
  void placeNode(const State& s, const ControlData& k, Rect frame, float opacity) {
    // Recorded before what lies inside, so that a control within a control
    // comes later and is hit first.
    if (opacity > 0) out_.controls.push_back({k.action, frame});
    place(s.first, {frame.x, frame.y}, opacity);
  }

  Size fitNode(State& s, const TagData&, Size offered) { return fit(s.first, offered); }
  void placeNode(const State& s, const TagData& k, Rect frame, float opacity) {
    out_.tags.push_back({k.tag, frame});
    place(s.first, {frame.x, frame.y}, opacity);
  }

  const TextMeasure& measure_;
  Layout& out_;
  std::vector<State> states_;
};

}  // namespace

Node::Node(std::shared_ptr<const NodeData> data) : data_(std::move(data)) {}

Node Node::padding(float all) const { return padding(Edges{all, all, all, all}); }
Node Node::padding(Edges edges) const { return NodeAccess::make(PaddingData{edges}, {*this}); }
Node Node::sized(Sizing sizing) const { return NodeAccess::make(SizingData{sizing}, {*this}); }
Node Node::background(Node shape) const {
  return NodeAccess::make(DecorationData{false}, {*this, std::move(shape)});
}
Node Node::overlay(Node shape) const { return NodeAccess::make(DecorationData{true}, {*this, std::move(shape)}); }
Node Node::opacity(float opacity) const {
  return NodeAccess::make(OpacityData{std::clamp(opacity, 0.f, 1.f)}, {*this});
}
Node Node::control(int action) const { return NodeAccess::make(ControlData{action}, {*this}); }
Node Node::tag(std::string name) const { return NodeAccess::make(TagData{std::move(name)}, {*this}); }

Node vstack(VStack options, std::vector<Node> children) {
  return stack(true, options.spacing, fraction(options.align), std::move(children));
}
Node vstack(std::vector<Node> children) { return vstack(VStack{}, std::move(children)); }
Node hstack(HStack options, std::vector<Node> children) {
  return stack(false, options.spacing, fraction(options.align), std::move(children));
}
Node hstack(std::vector<Node> children) { return hstack(HStack{}, std::move(children)); }

Node spacer() { return NodeAccess::make(SpacerData{}); }

Node text(std::string text, Font font, Colour colour, Wrap wrap) {
  return NodeAccess::make(TextData{std::move(text), font, colour, wrap});
}

Node icon(Icon icon, float size, Colour colour, float weight) {
  return NodeAccess::make(IconData{icon, size, colour, weight});
}

Node rectangle(Paint paint, float cornerRadius) {
  return NodeAccess::make(ShapeData{ShapeKind::rectangle, cornerRadius, paint});
}
Node capsule(Paint paint) { return NodeAccess::make(ShapeData{ShapeKind::capsule, 0, paint}); }
Node circle(Paint paint) { return NodeAccess::make(ShapeData{ShapeKind::circle, 0, paint}); }

std::optional<Control> Layout::hit(Point point) const {
  for (auto c = controls.rbegin(); c != controls.rend(); ++c) {
    if (c->frame.contains(point)) return *c;
  }
  return std::nullopt;
}

std::optional<Rect> Layout::frameOf(std::string_view tag) const {
  for (const TaggedRect& t : tags) {
    if (t.tag == tag) return t.frame;
  }
  return std::nullopt;
}

Layout layout(const Node& root, Size window, const TextMeasure& measure) {
  Layout out;
  Engine(root, measure, out).run(window);
  return out;
}

}  // namespace sorvel::ui
