#pragma once

// The interface's layout. An overlay is a tree of nodes built from the game's
// state whenever that state changes; laying it out in the window's size gives
// the draw list for the painter, the controls the pointer can hit and the
// frames of the nodes that were given a tag. Data flows one way: nothing in
// the tree refers back to the game.
//
// Two passes. A parent offers each child room and the child answers with
// the size it takes; then the parent places its children. A stack first
// offers the children that cannot shrink along it (icons, texts on one line,
// fixed frames) the whole length left after its spacing. The children that
// can shrink (texts that wrap, across a row; shapes; filling frames; stacks
// with spacers) share what those leave: any that would take less than an
// equal share get all they want, the others an equal share of the rest.
// What is still free goes to the spacers, equally. Across a stack every child
// is offered the stack's whole breadth, so in a vertical stack a wrapping
// text takes the width offered.
//
// Offered less than it needs, a node still answers with what it needs and
// its parent lets it overflow, aligned as usual (a centred child spills over
// both sides): the draw list has no clipping, and a label whose end crossed a
// margin reads better than one cut short. Only wrapping texts and the
// nodes that take whatever they are offered (shapes, filling frames) shrink.
// Sizes are never negative.
//
// Nodes share their subtrees and never change once built, so a part that
// seldom changes can be kept and used again in later trees.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "ui/draw_list.hpp"

namespace sorvel::ui {

namespace detail {
struct NodeData;
struct NodeAccess;
}  // namespace detail

// Where children sit across a vertical stack, or inside a larger sized node.
enum class Align { leading, centre, trailing };
// Where children sit across a horizontal stack, or inside a taller sized node.
enum class VAlign { top, centre, bottom };
// Whether a text may break between words when offered less than one line.
enum class Wrap { none, words };
// Which sides of a sized node take all the room offered rather than the child's.
enum class Fill { none, width, height, both };
struct VStack {
  float spacing = 8;
  Align align = Align::centre;
};

struct HStack {
  float spacing = 8;
  VAlign align = VAlign::centre;
};

struct Edges {
  float top = 0, right = 0, bottom = 0, left = 0;
};

// Constraints on a node's size. A fixed width or height is kept whatever is
// offered; otherwise the node takes the child's size, or all that is offered
// on a side it fills; then the maximum width and minimum height apply. The
// child is offered the sized node's room and aligned in it.
struct Sizing {
  std::optional<float> width;
  std::optional<float> height;
  std::optional<float> maxWidth;
  std::optional<float> minHeight;
  Fill fill = Fill::none;
  Align align = Align::centre;
  VAlign valign = VAlign::centre;
};

// A piece of an overlay. Every modifier returns a new node wrapping this one,
// so their order matters: padding then background puts the background under
// the padding too, background then padding leaves the padding bare.
class Node {
 public:
  // Nothing: takes no room, and a stack leaves it out with its spacing, so
  // parts that are sometimes absent can stay in the stack's list.
  Node() = default;

  Node padding(float all) const;
  Node padding(Edges edges) const;
  Node sized(Sizing sizing) const;
  // `shape` is laid out in this node's size, painted before it or after it.
  Node background(Node shape) const;
  Node overlay(Node shape) const;
  // Multiplies the alpha of everything inside; at 0 nothing inside is
  // painted or can be hit (a faded-out button must not catch clicks).
  Node opacity(float opacity) const;
  // Makes this node a control: a click in its frame reports `action`.
  Node control(int action) const;
  template <typename E>
    requires std::is_enum_v<E>
  Node control(E action) const {
    return control(static_cast<int>(action));
  }
  // Names this node so that its frame can be found in the layout.
  Node tag(std::string name) const;

  explicit operator bool() const { return data_ != nullptr; }

 private:
  friend struct detail::NodeAccess;
  explicit Node(std::shared_ptr<const detail::NodeData> data);
  std::shared_ptr<const detail::NodeData> data_;
};

Node vstack(VStack options, std::vector<Node> children);
Node vstack(std::vector<Node> children);
Node hstack(HStack options, std::vector<Node> children);
Node hstack(std::vector<Node> children);

// A flexible gap: the spacers of a stack share its free room equally, down
// to nothing. Only a spacer placed straight in a stack stretches; sized, it
// is a fixed gap (`spacer().sized({.width = 46})`). It takes no room across
// the stack.
Node spacer();

// Text on one line, measured as the painter will lay it out. With
// `Wrap::words` it breaks into lines when offered less than its one-line
// width and grows taller; otherwise it keeps its one-line size.
Node text(std::string text, Font font, Colour colour, Wrap wrap = Wrap::none);

// A square icon `size` points wide.
Node icon(Icon icon, float size, Colour colour, float weight = 600);

// Shapes take all the room offered: use them as backgrounds and overlays or
// give them a size. A capsule's ends are half circles; a circle is the
// largest that fits, centred.
Node rectangle(Paint paint, float cornerRadius = 0);
Node capsule(Paint paint);
Node circle(Paint paint);

struct Control {
  int action = 0;
  Rect frame;
};

struct TaggedRect {
  std::string tag;
  Rect frame;
};

// A tree laid out in a window.
struct Layout {
  DrawList drawList;              // painting order
  std::vector<Control> controls;  // painting order: later ones lie on top
  std::vector<TaggedRect> tags;  // every tagged node, hidden ones too

  // The topmost control under `point`, or none: the scene gets the input.
  std::optional<Control> hit(Point point) const;
  // The frame of the first node tagged `tag`.
  std::optional<Rect> frameOf(std::string_view tag) const;
};

// Lays `root` out in a window of `window` points. The root is offered the
// whole window and centred in it when it takes less. Each text is measured
// at most twice: on one line and, when it wraps, at the width it is given.
Layout layout(const Node& root, Size window, const TextMeasure& measure);

}  // namespace sorvel::ui
