#include "ui/layout.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace sorvel::ui {
namespace {

// Each character half the font size wide, lines 1.2 times the size apart,
// broken between words. Counts its calls.
class FakeMeasure : public TextMeasure {
 public:
  Size measure(const std::string& text, const Font& font, float wrapWidth) const override {
    ++calls;
    const float charWidth = font.size / 2;
    float widest = 0, line = 0;
    int lines = 1;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
      const float w = charWidth * static_cast<float>(word.size());
      if (line > 0 && wrapWidth > 0 && line + charWidth + w > wrapWidth) {
        widest = std::max(widest, line);
        line = w;
        ++lines;
      } else {
        line += (line > 0 ? charWidth : 0) + w;
      }
    }
    return {std::max(widest, line), font.size * 1.2f * static_cast<float>(lines)};
  }
  mutable int calls = 0;
};

const Font kTen{Family::sans, 10};  // 5 points a character, lines 12 high

Rect frameOf(const Layout& l, std::string_view tag) {
  const auto frame = l.frameOf(tag);
  EXPECT_TRUE(frame) << tag;
  return frame.value_or(Rect{});
}

template <typename Command>
std::vector<Command> all(const Layout& l) {
  std::vector<Command> found;
  for (const DrawCommand& c : l.drawList) {
    if (const auto* command = std::get_if<Command>(&c)) found.push_back(*command);
  }
  return found;
}

Node box(float w, float h, std::string tag) { return spacer().sized({.width = w, .height = h}).tag(std::move(tag)); }

class UiLayout : public ::testing::Test {
 protected:
  Layout lay(const Node& root, Size window = {400, 300}) { return layout(root, window, measure); }
  FakeMeasure measure;
};

TEST_F(UiLayout, StacksSpaceAndAlignTheirChildren) {
  const Layout v = lay(
      vstack({.spacing = 6, .align = Align::leading}, {box(100, 20, "a"), box(40, 10, "b"), Node{}, box(60, 30, "c")})
          .tag("stack"));
  // The stack (100 x 72) sits in the middle of the window; the empty node
  // takes no gap.
  EXPECT_EQ(frameOf(v, "stack"), (Rect{150, 114, 100, 72}));
  EXPECT_EQ(frameOf(v, "b"), (Rect{150, 140, 40, 10}));
  EXPECT_EQ(frameOf(v, "c"), (Rect{150, 156, 60, 30}));

  const Layout trailing = lay(vstack({.align = Align::trailing}, {box(100, 20, "a"), box(40, 10, "b")}));
  EXPECT_EQ(frameOf(trailing, "b"), (Rect{210, 159, 40, 10}));  // default spacing 8

  for (auto [align, y] : {std::pair{VAlign::top, 0.f}, {VAlign::centre, 10.f}, {VAlign::bottom, 20.f}}) {
    const Layout h = lay(hstack({.spacing = 4, .align = align}, {box(10, 30, "a"), box(20, 10, "b")}).tag("row"));
    EXPECT_EQ(frameOf(h, "b"), (Rect{183 + 14, 135 + y, 20, 10}));
  }
}

TEST_F(UiLayout, SpacersShareTheFreeRoomEqually) {
  const Layout l =
      lay(hstack({.spacing = 0}, {spacer(), box(100, 10, "a"), spacer(), spacer(), box(40, 20, "b")}).tag("row"));
  // 260 points free, a third each; the spacers take no height.
  EXPECT_EQ(frameOf(l, "row"), (Rect{0, 140, 400, 20}));
  EXPECT_FLOAT_EQ(frameOf(l, "a").x, 260.f / 3);
  EXPECT_FLOAT_EQ(frameOf(l, "b").x, 360);

  // Without free room the spacers shrink to nothing, never below.
  const Layout full = lay(hstack({.spacing = 0}, {box(250, 10, "a"), spacer(), box(250, 10, "b")}));
  EXPECT_EQ(frameOf(full, "b").x, frameOf(full, "a").x + 250);
}

TEST_F(UiLayout, AFixedGapBalancingAControlKeepsTheMiddleCentred) {
  const Node back = icon(Icon::chevronLeft, 20, kInk).sized({.width = 46, .height = 46}).control(1).tag("back");
  const Node title = text("Barco de vela", Font{Family::serif, 20}, kInk).tag("title");
  for (float width : {900.f, 1360.f}) {
    const Layout l = lay(hstack({back, spacer(), title, spacer(), spacer().sized({.width = 46})}), {width, 880});
    const Rect t = frameOf(l, "title");
    EXPECT_FLOAT_EQ(t.x + t.width / 2, width / 2);
    EXPECT_EQ(frameOf(l, "back").x, 0);
    // The icon sits in the middle of its frame.
    EXPECT_EQ(all<IconCommand>(l).at(0).rect, (Rect{13, 430, 20, 20}));
  }
}

TEST_F(UiLayout, PaddingAndFramesShapeTheirChild) {
  const Layout padded = lay(box(50, 20, "in").padding({.top = 1, .right = 2, .bottom = 3, .left = 4}).tag("out"));
  EXPECT_EQ(frameOf(padded, "out"), (Rect{172, 138, 56, 24}));
  EXPECT_EQ(frameOf(padded, "in"), (Rect{176, 139, 50, 20}));

  // A fixed frame keeps its size when its child is larger, which overflows it
  // as aligned; a filling frame takes the window.
  const Layout fixed = lay(box(80, 20, "in").sized({.width = 40, .height = 30, .align = Align::leading}).tag("f"));
  EXPECT_EQ(frameOf(fixed, "f"), (Rect{180, 135, 40, 30}));
  EXPECT_EQ(frameOf(fixed, "in"), (Rect{180, 140, 80, 20}));
  const Layout filled = lay(box(80, 20, "in").sized({.fill = Fill::both, .valign = VAlign::bottom}).tag("f"));
  EXPECT_EQ(frameOf(filled, "f"), (Rect{0, 0, 400, 300}));
  EXPECT_EQ(frameOf(filled, "in"), (Rect{160, 280, 80, 20}));

  // A gauge of pips keeps its height with no pips at all.
  auto gauge = [](int pips) {
    std::vector<Node> row;
    for (int i = 0; i < pips; ++i) row.push_back(circle({.fill = kTeal}).sized({.width = 8, .height = 8}));
    return hstack({.spacing = 4}, row).sized({.minHeight = 20}).tag("gauge");
  };
  EXPECT_EQ(frameOf(lay(gauge(0)), "gauge").height, 20);
  EXPECT_EQ(frameOf(lay(gauge(3)), "gauge"), (Rect{184, 140, 32, 20}));
}

TEST_F(UiLayout, ACardNarrowerThanItsLimitWrapsItsText) {
  const std::string body = "Quita los cubos que sobran y deja la figura escondida en el bloque de madera";  // 380
  auto card = [&](float window) {
    return lay(vstack({.spacing = 10, .align = Align::leading},
                      {text("Bien hecho", kTen, kInk), text(body, kTen, kInk, Wrap::words).tag("body")})
                   .padding(20)
                   .sized({.maxWidth = 440, .fill = Fill::width, .align = Align::leading})
                   .background(rectangle({.fill = kPaper}, 18))
                   .tag("card"),
               {window, 600});
  };
  const Layout wide = card(1000);
  EXPECT_EQ(frameOf(wide, "card"), (Rect{280, 263, 440, 74}));
  EXPECT_EQ(all<TextCommand>(wide).at(1).wrapWidth, 0);

  const Layout narrow = card(300);
  const Rect c = frameOf(narrow, "card");
  EXPECT_EQ(c, (Rect{0, 257, 300, 20 + 12 + 10 + 24 + 20}));  // two lines of body
  EXPECT_EQ(all<TextCommand>(narrow).at(1).wrapWidth, 260);
  EXPECT_EQ(all<TextCommand>(narrow).at(1).origin, (Point{20, 257 + 20 + 12 + 10}));
  EXPECT_EQ(all<ShapeCommand>(narrow).at(0).rect, c);

  // Text that does not wrap keeps its line and overflows its frame.
  const Layout oneLine = lay(text(body, kTen, kInk).sized({.maxWidth = 100}).tag("f"), {300, 300});
  EXPECT_EQ(frameOf(oneLine, "f").width, 100);
  EXPECT_EQ(all<TextCommand>(oneLine).at(0).origin.x, 150 - 190);
}

TEST_F(UiLayout, ARowLeavesShortChildrenWholeAndWrapsTheLongOne) {
  const Node mark = icon(Icon::paintbrush, 24, kInk).tag("icon");
  const Node note = text("Nota", kTen, kInk, Wrap::words).tag("note");
  const Node hint = text("Marca los cubos que seguro forman parte de la figura", kTen, kInk, Wrap::words).tag("hint");
  // In any order: 200 points less two gaps of 6, less the icon, less the
  // note's one line, leave 144 for the hint.
  for (const auto& row : {std::vector{mark, note, hint}, {hint, mark, note}, {note, hint, mark}}) {
    const Layout l = lay(hstack({.spacing = 6}, row), {200, 300});
    EXPECT_EQ(frameOf(l, "icon").width, 24);
    EXPECT_EQ(frameOf(l, "note").height, 12);
    EXPECT_EQ(frameOf(l, "hint").height, 24);
    const auto texts = all<TextCommand>(l);
    const auto wrapped = std::find_if(texts.begin(), texts.end(), [](const auto& t) { return t.wrapWidth > 0; });
    ASSERT_NE(wrapped, texts.end());
    EXPECT_EQ(wrapped->wrapWidth, 144);
  }
}

TEST_F(UiLayout, ShapesArePaintedBehindOrOverTheirContent) {
  const Layout l = lay(text("Ayuda", kTen, kInk)
                           .sized({.width = 60, .height = 20})
                           .background(capsule({.fill = kTeal}))
                           .overlay(circle({.stroke = kWhite, .lineWidth = 2}))
                           .background(rectangle({.fill = kPaper}, 40).padding(-5)));
  ASSERT_EQ(l.drawList.size(), 4u);
  const auto bigger = std::get<ShapeCommand>(l.drawList[0]);
  EXPECT_EQ(bigger.rect, (Rect{165, 135, 70, 30}));
  EXPECT_EQ(bigger.cornerRadius, 15);  // never more than a capsule's
  const auto pill = std::get<ShapeCommand>(l.drawList[1]);
  EXPECT_EQ(pill.rect, (Rect{170, 140, 60, 20}));
  EXPECT_EQ(pill.cornerRadius, 10);
  EXPECT_TRUE(std::holds_alternative<TextCommand>(l.drawList[2]));
  const auto ring = std::get<ShapeCommand>(l.drawList[3]);
  EXPECT_EQ(ring.rect, (Rect{190, 140, 20, 20}));
  EXPECT_EQ(ring.cornerRadius, 10);
}

TEST_F(UiLayout, OpacityMultipliesTheAlphaOfASubtree) {
  const Node button =
      icon(Icon::hammer, 20, kInk.withOpacity(0.8f)).background(circle({.fill = kTeal, .stroke = kInk})).control(7);
  const Layout l = lay(vstack({button.opacity(0.5f), text("Tallar", kTen, kInk)}).opacity(0.5f));
  const auto shape = all<ShapeCommand>(l).at(0);
  EXPECT_FLOAT_EQ(shape.paint.fill.a, 0.25f);
  EXPECT_FLOAT_EQ(shape.paint.stroke.a, 0.25f);
  EXPECT_FLOAT_EQ(all<IconCommand>(l).at(0).colour.a, 0.2f);
  EXPECT_FLOAT_EQ(all<TextCommand>(l).at(0).colour.a, 0.5f);
  EXPECT_EQ(l.controls.size(), 1u);

  // Faded out, it keeps its room but paints nothing and catches nothing.
  const Layout gone = lay(vstack({button.opacity(0).tag("b"), text("Tallar", kTen, kInk)}));
  EXPECT_EQ(gone.drawList.size(), 1u);
  EXPECT_TRUE(gone.controls.empty());
  EXPECT_EQ(frameOf(gone, "b").height, 20);
}

TEST_F(UiLayout, TheTopmostControlUnderThePointerIsHit) {
  enum class Action { card, close };
  const Node close = icon(Icon::chevronDown, 20, kInk).padding(5).control(Action::close).tag("close");
  const Layout l = lay(vstack({hstack({spacer(), close}).sized({.width = 200}),
                               spacer().sized({.width = 200, .height = 100})})
                           .control(Action::card)
                           .tag("card"));
  const Rect card = frameOf(l, "card"), x = frameOf(l, "close");
  auto hit = [&](float px, float py) {
    const auto control = l.hit({px, py});
    return control ? control->action : -1;
  };
  EXPECT_EQ(hit(x.x + 1, x.y + 1), static_cast<int>(Action::close));
  EXPECT_EQ(hit(card.x + 1, card.y + 100), static_cast<int>(Action::card));
  EXPECT_EQ(hit(card.x - 1, card.y), -1);
  EXPECT_EQ(hit(card.x + card.width, card.y), -1);  // a frame's right edge lies outside it
}

TEST_F(UiLayout, DeepTreesMeasureEachTextOnlyAFewTimes) {
  // A stack that shares out its room must not offer room again and again
  // down the tree: each text is measured on one line and, when it wraps,
  // once more.
  Node tree = hstack({text("uno dos tres cuatro cinco", kTen, kInk, Wrap::words), icon(Icon::hammer, 90, kInk)});
  for (int depth = 0; depth < 16; ++depth) {
    tree = hstack({vstack({tree, text("Sorvel", kTen, kInk)}).padding(2), spacer(), icon(Icon::hammer, 10, kInk)});
  }
  lay(tree, {200, 300});
  EXPECT_EQ(measure.calls, 2 + 16);
}

}  // namespace
}  // namespace sorvel::ui
