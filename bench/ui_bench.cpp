// The cost of laying out a whole overlay: a top bar, a card with five rows of
// wrapped text and a bottom bar with the tool picker and the mistakes gauge.
// The target is under 50 µs a layout. Text is measured by a stand-in that
// breaks lines between words as the painter does, so that this counts the
// layout's own work; the measurements it asks for are reported beside it.

#include <benchmark/benchmark.h>

#include <string>
#include <string_view>
#include <vector>

#include "ui/layout.hpp"

namespace {

using namespace sorvel::ui;

class WordMeasure : public TextMeasure {
 public:
  Size measure(const std::string& text, const Font& font, float wrapWidth) const override {
    ++calls;
    const float charWidth = font.size * 0.5f, space = font.size * 0.28f;
    float widest = 0, line = 0;
    int lines = 1;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find(' ', start);
      if (end == std::string::npos) end = text.size();
      float word = 0;
      for (size_t i = start; i < end; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) word += charWidth;  // one per character
      }
      if (line > 0 && wrapWidth > 0 && line + space + word > wrapWidth) {
        widest = std::max(widest, line);
        line = word;
        ++lines;
      } else {
        line += (line > 0 ? space : 0) + word;
      }
      start = end + 1;
    }
    return {std::max(widest, line), font.size * 1.25f * static_cast<float>(lines)};
  }
  mutable long calls = 0;
};

enum class Action { back, help, close, carve, mark };

const Font kTitle{Family::serif, 22, Weight::semibold};
const Font kSmall{Family::sans, 13};
const Font kBody{Family::sans, 15};

Node roundButton(Icon glyph, Action action) {
  return icon(glyph, 20, kInk)
      .sized({.width = 46, .height = 46})
      .background(circle({.fill = kPaper, .stroke = kInk.withOpacity(0.15f), .lineWidth = 1}))
      .control(action);
}

Node toolButton(Icon glyph, std::string_view label, bool chosen, Action action) {
  const Colour ink = chosen ? kWhite : kInk;
  return hstack({.spacing = 6}, {icon(glyph, 18, ink), text(std::string(label), kSmall, ink)})
      .padding({.top = 8, .right = 14, .bottom = 8, .left = 12})
      .background(capsule({.fill = chosen ? kTeal : Colour{0, 0, 0, 0}}))
      .control(action);
}

Node overlay(int mistakes, float cardOpacity) {
  const Node topBar = hstack({roundButton(Icon::chevronLeft, Action::back), spacer(),
                              vstack({.spacing = 2}, {text("Barco de vela", kTitle, kInk),
                                                      text("Bloque 3 de 12", kSmall, kInk.withOpacity(0.6f))}),
                              spacer(), roundButton(Icon::questionMark, Action::help)})
                          .padding({.top = 16, .right = 20, .left = 20});

  const std::vector<std::pair<Icon, std::string>> rows = {
      {Icon::hammer, "Haz clic en un cubo para tallarlo; si pertenece a la figura, cuenta como un error."},
      {Icon::paintbrush, "Con el pincel marcas los cubos que seguro se quedan, para no tallarlos sin querer."},
      {Icon::handDrawing, "Arrastra para girar el bloque y usa la rueda para acercarte o alejarte."},
      {Icon::chevronUp, "Las flechas arriba y abajo quitan y devuelven capas para ver el interior."},
      {Icon::questionMark, "Un número en un círculo son dos grupos; en un cuadrado, tres o más."},
  };
  std::vector<Node> card = {text("Cómo se juega", Font{Family::serif, 28, Weight::semibold}, kInk)};
  for (const auto& [glyph, words] : rows) {
    card.push_back(hstack({.spacing = 12, .align = VAlign::top},
                          {icon(glyph, 22, kTeal), text(words, kBody, kInk, Wrap::words)}));
  }
  card.push_back(text("Entendido", kBody, kWhite)
                     .padding({.top = 10, .right = 22, .bottom = 10, .left = 22})
                     .background(capsule({.fill = kTeal}))
                     .control(Action::close));

  std::vector<Node> pips;
  for (int i = 0; i < mistakes; ++i) pips.push_back(circle({.fill = kMistakeRed}).sized({.width = 10, .height = 10}));
  const Node bottomBar =
      hstack({hstack({.spacing = 4}, {toolButton(Icon::hammer, "Tallar", true, Action::carve),
                                      toolButton(Icon::paintbrush, "Marcar", false, Action::mark)})
                  .padding(4)
                  .background(capsule({.fill = kPaper})),
              spacer(),
              hstack({.spacing = 6}, pips)
                  .sized({.minHeight = 20})
                  .padding({.top = 6, .right = 12, .bottom = 6, .left = 12})
                  .background(capsule({.fill = kPaper}))})
          .padding(20);

  return vstack({.spacing = 0}, {topBar, spacer(),
                                 vstack({.spacing = 14, .align = Align::leading}, std::move(card))
                                     .padding(28)
                                     .sized({.maxWidth = 440, .fill = Fill::width, .align = Align::leading})
                                     .background(rectangle({.fill = kPaper}, 22))
                                     .opacity(cardOpacity)
                                     .tag("card"),
                                 spacer(), bottomBar});
}

// Laying out a tree already built, in a full window and in the smallest one.
void BM_LayoutOverlay(benchmark::State& state) {
  const Size window{static_cast<float>(state.range(0)), static_cast<float>(state.range(1))};
  const Node tree = overlay(3, 1);
  WordMeasure measure;
  size_t commands = 0;
  for (auto _ : state) {
    const Layout laid = layout(tree, window, measure);
    commands = laid.drawList.size();
    benchmark::DoNotOptimize(laid);
  }
  state.counters["commands"] = static_cast<double>(commands);
  state.counters["measures"] =
      benchmark::Counter(static_cast<double>(measure.calls), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_LayoutOverlay)->Args({1360, 880})->Args({900, 640})->Unit(benchmark::kMicrosecond);

// Building the tree from the game's state as well, as a redraw does.
void BM_BuildAndLayoutOverlay(benchmark::State& state) {
  WordMeasure measure;
  int mistakes = 0;
  for (auto _ : state) {
    const Layout laid = layout(overlay(mistakes, 0.8f), {1360, 880}, measure);
    mistakes = (mistakes + 1) % 6;
    benchmark::DoNotOptimize(laid);
  }
}
BENCHMARK(BM_BuildAndLayoutOverlay)->Unit(benchmark::kMicrosecond);

}  // namespace
