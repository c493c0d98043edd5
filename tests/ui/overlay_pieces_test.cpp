#include "ui/overlay_pieces.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/layer_picture.hpp"
#include "ui/views.hpp"

namespace sorvel::ui {
namespace {

const Painter& painter() {
  static const Painter shared;
  return shared;
}

const Size kWindow{680, 440};

struct Shown {
  std::string name;
  InterfaceState state;
};

std::vector<Shown> screens() {
  const Guide guide{1, 3, "La fila de arriba tiene un 0: no se queda ningún cubo.", std::nullopt};
  return {{"home", {.solvedCount = 2, .figureCount = 9}},
          {"play", {.screen = Screen::playing, .mistakes = 2, .peel = 2, .peelMax = 5, .playTitle = "Barco"}},
          {"guided play", {.screen = Screen::playing, .peel = 1, .peelMax = 3, .playTitle = "Barco", .guide = guide}},
          {"solved", {.screen = Screen::solved, .currentName = "Barco", .lastTime = 62, .revealCard = true,
                      .current = 0, .slotCount = 3}}};
}

bool inside(const PixelBox& b, int x, int y) { return x >= b.x && x < b.x + b.width && y >= b.y && y < b.y + b.height; }

// Paints `list` whole and in pieces, and checks that the pieces, laid in
// their boxes, give the whole picture's pixels, leave nothing of it out and
// share no pixel.
void expectPiecesMakeTheWhole(const DrawList& list, float scale, int most, const std::string& what) {
  const int width = int(kWindow.width * scale), height = int(kWindow.height * scale);
  std::vector<std::uint32_t> whole(std::size_t(width) * std::size_t(height));
  painter().paint(list, {whole, width, height}, scale);
  const std::vector<Piece> pieces = piecesOf(list, painter().textMeasure(), scale, width, height, most);
  ASSERT_FALSE(pieces.empty()) << what;
  EXPECT_LE(int(pieces.size()), most) << what;

  std::vector<std::uint32_t> laid(whole.size());
  std::vector<int> owners(whole.size());
  for (const Piece& piece : pieces) {
    LayerPicture picture;
    repaint(picture, painter(), piece.drawList, piece.box, scale, 1);
    for (int y = 0; y < piece.box.height; ++y) {
      for (int x = 0; x < piece.box.width; ++x) {
        const std::size_t at = std::size_t(piece.box.y + y) * std::size_t(width) + std::size_t(piece.box.x + x);
        laid[at] = picture.pixels[std::size_t(y) * std::size_t(piece.box.width) + std::size_t(x)];
        ++owners[at];
      }
    }
  }
  int differ = 0, shared = 0;
  for (std::size_t i = 0; i < whole.size(); ++i) {
    differ += laid[i] != whole[i];
    shared += owners[i] > 1;
  }
  EXPECT_EQ(differ, 0) << what << ": pixels the pieces paint otherwise than the whole";
  EXPECT_EQ(shared, 0) << what << ": pixels in more than one piece";
}

TEST(UiOverlayPieces, PiecesPaintExactlyWhatTheWholeOverlayPaints) {
  for (const float scale : {1.0f, 2.0f}) {
    for (const Shown& screen : screens()) {
      const Layout laid = layout(screenOverlay(screen.state, Part::withoutCard), kWindow, painter().textMeasure());
      expectPiecesMakeTheWhole(laid.drawList, scale, 12, screen.name + " at " + std::to_string(scale));
    }
  }
  // Fewer pieces allowed than the screen would take: joined, still whole.
  const Layout play = layout(screenOverlay(screens()[1].state), kWindow, painter().textMeasure());
  expectPiecesMakeTheWhole(play.drawList, 1, 2, "play in two pieces");
}

TEST(UiOverlayPieces, APieceCoversLittleMoreThanItsControls) {
  const InterfaceState state = screens()[1].state;
  const Layout laid = layout(screenOverlay(state), kWindow, painter().textMeasure());
  const std::vector<Piece> pieces = piecesOf(laid.drawList, painter().textMeasure(), 2, 1360, 880, 12);
  // The round buttons, the title, the tool picker and the layer control:
  // each in its own piece or a few together, never the bare window between.
  long area = 0;
  for (const Piece& piece : pieces) area += long(piece.box.width) * piece.box.height;
  EXPECT_LT(area, 1360L * 880 / 6);
  EXPECT_GE(pieces.size(), 4u);

  // Every control lies in one piece, which reaches no further than the
  // margin past it on at least one side: a piece round a single button is
  // the button's size.
  const Rect back = laid.controls.front().frame;
  const PixelBox want = pixelBoxAround(back, kPieceMargin, 2, 1360, 880);
  bool found = false;
  for (const Piece& piece : pieces) found = found || piece.box == want;
  EXPECT_TRUE(found) << "the back button in a piece of its own, its own size";
  for (const Control& control : laid.controls) {
    const Point centre{(control.frame.x + control.frame.width / 2) * 2,
                       (control.frame.y + control.frame.height / 2) * 2};
    int holding = 0;
    for (const Piece& piece : pieces) holding += inside(piece.box, int(centre.x), int(centre.y));
    EXPECT_EQ(holding, 1) << "control " << control.action;
  }
}

TEST(UiOverlayPieces, CommandsThatPaintNothingTakeNoPiece) {
  const DrawList list = {ShapeCommand{.rect = {10, 10, 40, 40}, .paint = {}},
                         TextCommand{.text = "", .origin = {100, 100}},
                         TextCommand{.text = "Capas", .colour = kInk.withOpacity(0), .origin = {200, 100}},
                         ShapeCommand{.rect = {900, 900, 20, 20}, .paint = {.fill = kInk}}};
  EXPECT_TRUE(piecesOf(list, painter().textMeasure(), 1, 680, 440, 12).empty());
}

TEST(UiLayerPicture, ARepaintDamagesOnlyThePixelsThatChanged) {
  const auto label = [](std::string words) {
    return DrawList{ShapeCommand{.rect = {0, 0, 200, 60}, .cornerRadius = 20, .paint = {.fill = kPaper}},
                    TextCommand{.text = std::move(words), .font = {}, .colour = kInk, .origin = {20, 20}}};
  };
  LayerPicture picture;
  ASSERT_TRUE(repaint(picture, painter(), label("1 error"), {0, 0, 200, 60}, 1, 1));
  EXPECT_EQ(picture.since, 0u);
  EXPECT_EQ(picture.damage, (PixelBox{0, 0, 200, 60}));

  // The same again changes nothing, and is nothing new to send.
  EXPECT_FALSE(repaint(picture, painter(), label("1 error"), {0, 0, 200, 60}, 1, 2));
  EXPECT_EQ(picture.version, 1u);

  const std::vector<std::uint32_t> before = picture.pixels;
  ASSERT_TRUE(repaint(picture, painter(), label("2 errores"), {0, 0, 200, 60}, 1, 3));
  EXPECT_EQ(picture.version, 3u);
  EXPECT_EQ(picture.since, 1u);
  const PixelBox d = picture.damage;
  // Tight round what differs: every changed pixel inside, each edge on one.
  int outside = 0;
  bool left = false, right = false, top = false, bottom = false;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 200; ++x) {
      if (before[std::size_t(y * 200 + x)] == picture.pixels[std::size_t(y * 200 + x)]) continue;
      outside += !inside(d, x, y);
      left = left || x == d.x;
      right = right || x == d.x + d.width - 1;
      top = top || y == d.y;
      bottom = bottom || y == d.y + d.height - 1;
    }
  }
  EXPECT_EQ(outside, 0);
  EXPECT_TRUE(left && right && top && bottom);
  EXPECT_GE(d.x, 19);  // the text's, not the shape's
  EXPECT_LT(d.width, 200);

  // Another size is sent whole.
  ASSERT_TRUE(repaint(picture, painter(), label("2 errores"), {0, 0, 210, 60}, 1, 4));
  EXPECT_EQ(picture.since, 0u);
  EXPECT_EQ(picture.damage, (PixelBox{0, 0, 210, 60}));
}

}  // namespace
}  // namespace sorvel::ui
