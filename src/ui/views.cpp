#include "ui/views.hpp"

#include <utility>
#include <vector>

#include "base/language.hpp"
#include "ui/texts.hpp"

namespace sorvel::ui {

namespace {

Font sans(float size, Weight weight) { return {Family::sans, size, weight}; }
Font serif(float size, Weight weight) { return {Family::serif, size, weight}; }

// The faint outline that keeps paper-coloured controls apart from the pale
// wood behind them.
Paint outline(float opacity) { return {.stroke = kInk.withOpacity(opacity), .lineWidth = 1}; }

// Icons are sized like the text beside them, as a font size: the picture
// itself then stands taller than a letter's x-height, as a symbol in a line
// of text does. Our artwork keeps margins within its square, so the square is
// this much larger than the font size.
Node symbol(Icon picture, float fontSize, Colour colour, float weight) {
  return icon(picture, fontSize * 1.35f, colour, weight);
}

// Both round buttons and the layer control are this wide; the play screen's
// bottom bar balances one against the other.
constexpr float kRoundButton = 46;
constexpr float kChapterButton = 30;

Node toolSegment(Tool tool, bool selected) {
  const bool carve = tool == Tool::carve;
  const Colour content = selected ? kPaper : kInk.withOpacity(0.75f);
  const Node label = hstack({.spacing = 8}, {symbol(carve ? Icon::hammer : Icon::paintbrush, 15, content, 600),
                                             text(carve ? tr("Tallar") : tr("Marcar"), sans(16, Weight::semibold), content)})
                         .padding({.right = 20, .left = 20})
                         .sized({.height = 48});
  const Node segment = selected ? label.background(capsule({.fill = carve ? kInk : kTeal})) : label;
  return segment.control(carve ? Action::carveTool : Action::markTool);
}

Node layerGauge(int peel, int peelMax) {
  std::vector<Node> pips;
  for (int i = peelMax - 1; i >= 0; --i) {
    pips.push_back(capsule({.fill = i < peel ? kInk : kInk.withOpacity(0.16f)}).sized({.width = 14, .height = 4}));
  }
  // Keeps its room with no layers, so the buttons round it do not jump.
  return vstack({.spacing = 4}, std::move(pips)).sized({.minHeight = 20}).tag("layerGauge");
}

Node topBar(const InterfaceState& state) {
  const Colour mistakes = state.mistakes > 0 ? kMistakeRed : kInk.withOpacity(0.45f);
  return hstack({roundButton(Icon::chevronLeft, Action::back), spacer(),
                 vstack({.spacing = 1},
                        {text(state.playTitle, serif(19, Weight::semibold), kInk).tag("title"),
                         text(mistakesText(state.mistakes), sans(13, Weight::medium), mistakes).tag("mistakes")}),
                 spacer(), roundButton(Icon::questionMark, Action::help)})
      .tag("topBar");
}

Node bottomBar(const InterfaceState& state) {
  // The bare gap on the left is as wide as the layer control on the right,
  // so the tool picker stays in the middle of the window.
  return hstack({.align = VAlign::bottom}, {spacer().sized({.width = kRoundButton}), spacer(), toolPicker(state.tool),
                                            spacer(), layerControl(state.peel, state.peelMax)})
      .tag("bottomBar");
}

// Shows `node` only in the parts of an overlay it belongs to, keeping its room
// in the others.
Node shownIn(Part part, bool card, Node node) {
  if (!node || part == Part::all || (part == Part::cardOnly) == card) return node;
  return node.opacity(0);
}

bool guided(const InterfaceState& state) { return state.guide && !state.guide->text.empty(); }

bool hasNext(const InterfaceState& state) { return state.current && *state.current + 1 < state.slotCount; }

Node solvedCard(const InterfaceState& state) {
  return vstack({.spacing = 6},
                {text(state.currentName, serif(36, Weight::semibold), kInk),
                 text(summaryText(state.lastTime, state.mistakes), sans(15, Weight::medium), kInk.withOpacity(0.55f)),
                 hstack({.spacing = 10}, {pillButton(tr("Volver a la mesa"), false, Action::home),
                                          hasNext(state) ? pillButton(tr("Siguiente"), true, Action::next).tag(std::string(kFirstFocusTag))
                                                                 : Node{}})
                     .padding({.top = 14}),
                 text(tr("Tallar otra vez"), sans(13, Weight::medium), kInk.withOpacity(0.45f))
                     .padding({.top = 6})
                     .control(Action::carveAgain)})
      .padding({.bottom = 6})
      .tag("solvedCard");
}

// A badge for the tutorial's rows, drawn in ink in a column of its own so
// that the texts beside them line up.
Node badge(Node content) { return content.sized({.width = 36}); }

Node tutorialRow(Node badgeContent, std::string body) {
  Node words = text(std::move(body), sans(15, Weight::regular), kInk.withOpacity(0.8f), Wrap::words);
  return hstack({.spacing = 14}, {badge(std::move(badgeContent)), std::move(words)});
}

// The help card puts the keys beside how to play from this window width on.
constexpr float kTwoColumns = 920;

Node keyRow(std::string keys, std::string what) {
  return hstack({.spacing = 12, .align = VAlign::top},
                {text(std::move(keys), sans(13, Weight::semibold), kInk).sized({.width = 128, .align = Align::leading}),
                 text(std::move(what), sans(13, Weight::regular), kInk.withOpacity(0.75f), Wrap::words)});
}

Node keysColumn() {
  return vstack({.spacing = 7, .align = Align::leading},
                {text(tr("Teclado, ratón y mando"), serif(20, Weight::semibold), kInk).padding({.bottom = 4}),
                 keyRow("W A S D", tr("Mueven el cursor por el bloque")),
                 keyRow(tr("Intro"), tr("Usa la herramienta en el cubo del cursor")),
                 keyRow(tr("Mayús + Intro"), tr("Usa la otra herramienta")),
                 keyRow(tr("Espacio"), tr("Cambia de herramienta")),
                 keyRow("← →", tr("Giran el bloque; en la mesa, eligen un bloque")),
                 keyRow(tr("Re Pág  Av Pág"), tr("Inclinan el bloque; en la mesa, cambian de capítulo")),
                 keyRow("↑ ↓", tr("Quitan y ponen capas; en la mesa, cambian de capítulo")),
                 keyRow("+  −", tr("Acercan y alejan")),
                 keyRow("Ctrl + Z", tr("Deshace el último golpe o marca")),
                 keyRow(tr("Ctrl + Mayús + Z"), tr("Lo rehace (también Ctrl + Y)")),
                 keyRow("Tab", tr("Pasa de un botón a otro; Intro lo pulsa")),
                 keyRow("Esc", tr("Cierra la tarjeta o vuelve a la mesa")),
                 keyRow("F2  ·  F11", tr("Ajustes  ·  Pantalla completa")),
                 keyRow(tr("Ratón"), tr("Clic: la herramienta. Clic derecho: la otra. Arrastrar: girar. Rueda: acercar.")),
                 keyRow(tr("Mando"), tr("Cruceta o palanca izquierda: el cursor. A: la herramienta. X: la otra. "
                                 "Y: cambiarla. LB y RB: capas, y en la mesa, capítulos. Palanca derecha: girar. B: atrás. "
                                 "Start: ajustes."))})
      .sized({.maxWidth = 400});
}

// A setting's name, with a line under it saying what it does.
Node settingLabel(std::string label, std::string note) {
  const Node noteText =
      note.empty() ? Node{} : text(std::move(note), sans(13, Weight::regular), kInk.withOpacity(0.55f), Wrap::words);
  return vstack({.spacing = 2, .align = Align::leading},
                {text(std::move(label), sans(16, Weight::semibold), kInk), noteText})
      .sized({.fill = Fill::width, .align = Align::leading});
}

// A small round button with a sign on it, for steps up and down.
Node stepButton(std::string sign, bool enabled, Action action) {
  const Node face = text(std::move(sign), sans(19, Weight::semibold), kInk.withOpacity(enabled ? 1 : 0.3f))
                        .sized({.width = 36, .height = 36})
                        .background(circle({.fill = kPaper}))
                        .overlay(circle(outline(0.18f)));
  return enabled ? face.control(action) : face;
}

std::string percent(int value) { return std::to_string(value) + " %"; }

Node volumeRow(const Preferences& p) {
  const Node value = text(p.sound ? percent(p.volume) : tr("sin sonido"), sans(15, Weight::medium), kInk)
                         .sized({.width = 86});
  return hstack({.spacing = 8},
                {settingLabel(tr("Volumen"), ""), stepButton("−", p.sound && p.volume > 0, Action::volumeDown), value,
                 stepButton("+", p.sound && p.volume < 100, Action::volumeUp)})
      .padding({.top = 2, .right = 10, .bottom = 2, .left = 10});
}

// One choice of a picker: filled when chosen, a control either way.
Node pickerChoice(std::string label, float sidePadding, bool selected, Action action) {
  const Node face = text(std::move(label), sans(14, Weight::semibold), selected ? kPaper : kInk.withOpacity(0.75f))
                        .padding({.right = sidePadding, .left = sidePadding})
                        .sized({.height = 34});
  return (selected ? face.background(capsule({.fill = kInk})) : face).control(action);
}

// Choices side by side in a faint capsule, one of them filled.
Node picker(std::vector<Node> choices) {
  return hstack({.spacing = 2}, std::move(choices)).padding(3).background(capsule({.fill = kInk.withOpacity(0.06f)}));
}

Node sizeRow(const Preferences& p) {
  static constexpr Action kActions[] = {Action::interfaceSize100, Action::interfaceSize125, Action::interfaceSize150,
                                        Action::interfaceSize200};
  std::vector<Node> choices;
  for (std::size_t k = 0; k < Preferences::kInterfaceSizes.size(); ++k) {
    const int size = Preferences::kInterfaceSizes[k];
    choices.push_back(pickerChoice(percent(size), 12, size == p.interfaceSize, kActions[k]));
  }
  return vstack({.spacing = 8, .align = Align::leading},
                {settingLabel(tr("Tamaño de la interfaz"), ""), picker(std::move(choices))})
      .padding({.top = 4, .right = 10, .bottom = 4, .left = 10})
      .sized({.fill = Fill::width, .align = Align::leading});
}

// Each language is named in itself, so a player lost in the other one can
// still find theirs.
Node languageRow(const Preferences& p) {
  return hstack({.spacing = 8},
                {settingLabel(tr("Idioma"), ""),
                 picker({pickerChoice("Español", 14, p.language == Language::spanish, Action::languageSpanish),
                         pickerChoice("English", 14, p.language == Language::english, Action::languageEnglish)})})
      .padding({.top = 2, .right = 10, .bottom = 2, .left = 10});
}

Node preferencesBody(const Preferences& p) {
  const Node erase = text(tr("Borrar el progreso"), sans(15, Weight::semibold), kMistakeRed)
                         .padding({.right = 18, .left = 18})
                         .sized({.height = 44})
                         .overlay(capsule(outline(0.16f)))
                         .control(Action::eraseAsk);
  const Node done = text(tr("Hecho"), sans(17, Weight::semibold), kPaper)
                        .padding({.right = 26, .left = 26})
                        .sized({.height = 46})
                        .background(capsule({.fill = kInk}))
                        .control(Action::settingsDone)
                        .tag(std::string(kFirstFocusTag));
  return vstack({.spacing = 6, .align = Align::leading},
                {text(tr("Ajustes"), serif(28, Weight::semibold), kInk).padding({.bottom = 6, .left = 10}),
                 toggleRow(tr("Sonido"), "", p.sound, Action::soundToggle), volumeRow(p), sizeRow(p),
                 toggleRow(tr("Movimiento reducido"), tr("La cámara salta sin girar, sin temblores ni transiciones."),
                           p.reducedMotion, Action::reducedMotionToggle),
                 toggleRow(tr("Marcas sin color"), tr("Los cubos marcados llevan rayas y cada fallo, una cruz."),
                           p.patternMarks, Action::patternMarksToggle),
                 toggleRow(tr("Pantalla completa"), "", p.fullscreen, Action::fullscreenToggle), languageRow(p),
                 hstack({erase, spacer(), done}).padding({.top = 12})});
}

Node eraseQuestion() {
  const Node erase = text(tr("Borrar"), sans(17, Weight::semibold), kPaper)
                         .padding({.right = 26, .left = 26})
                         .sized({.height = 46})
                         .background(capsule({.fill = kMistakeRed}))
                         .control(Action::eraseConfirm);
  // The safe answer has the focus: Enter pressed twice keeps the progress.
  const Node keep = pillButton(tr("Cancelar"), false, Action::eraseCancel).tag(std::string(kFirstFocusTag));
  return vstack({.spacing = 12, .align = Align::leading},
                {text(tr("¿Borrar el progreso?"), serif(26, Weight::semibold), kInk),
                 text(tr("Se perderán las figuras talladas y los bloques empezados. Los ajustes se quedan como están."),
                      sans(15, Weight::regular), kInk.withOpacity(0.8f), Wrap::words),
                 hstack({.spacing = 10}, {spacer(), keep, erase}).padding({.top = 8})});
}

}  // namespace

Node roundButton(Icon glyph, Action action) {
  return symbol(glyph, 17, kInk, 600)
      .sized({.width = kRoundButton, .height = kRoundButton})
      .background(circle({.fill = kPaper}))
      .overlay(circle(outline(0.14f)))
      .control(action);
}

Node pillButton(std::string title, bool primary, Action action) {
  return text(std::move(title), sans(17, Weight::semibold), primary ? kPaper : kInk)
      .padding({.right = 26, .left = 26})
      .sized({.height = 50})
      .background(capsule({.fill = primary ? kInk : kPaper}))
      .overlay(capsule(outline(primary ? 0 : 0.16f)))
      .control(action);
}

Node guideCard(const Guide& guide) {
  const Node stepLine = guide.step >= 1 ? text(guideStepText(guide.step, guide.total), sans(12, Weight::semibold),
                                               kInk.withOpacity(0.45f))
                                        : Node{};
  Node button;
  if (guide.button) {
    button = hstack({spacer(), text(*guide.button, sans(15, Weight::semibold), kPaper)
                                   .padding({.right = 22, .left = 22})
                                   .sized({.height = 40})
                                   .background(capsule({.fill = kInk}))
                                   .control(Action::guideNext)
                                   .tag(std::string(kFirstFocusTag))});
  }
  // As wide as it may be, so that the card keeps its width from step to step.
  return vstack({.spacing = 10, .align = Align::leading},
                {stepLine, text(guide.text, sans(16, Weight::regular), kInk, Wrap::words), button})
      .padding({.top = 16, .right = 20, .bottom = 16, .left = 20})
      .sized({.maxWidth = 460, .fill = Fill::width, .align = Align::leading})
      .background(rectangle({.fill = kPaper}, 18))
      .overlay(rectangle(outline(0.12f), 18))
      .tag("guideCard");
}

Node toolPicker(Tool tool) {
  return hstack({.spacing = 4},
                {toolSegment(Tool::carve, tool == Tool::carve), toolSegment(Tool::mark, tool == Tool::mark)})
      .padding(4)
      .background(capsule({.fill = kPaper}))
      .overlay(capsule(outline(0.14f)))
      .tag("toolPicker");
}

Node layerControl(int peel, int peelMax) {
  return vstack({.spacing = 8}, {roundButton(Icon::chevronUp, Action::peelUp), layerGauge(peel, peelMax),
                                 roundButton(Icon::chevronDown, Action::peelDown),
                                 text(tr("Capas"), sans(12, Weight::medium), kInk.withOpacity(0.5f))});
}

// The chapter's title between the chevrons that move along the shelf; a
// chevron with nowhere to go stays, faint, so the title does not shift.
Node chapterLine(const InterfaceState& state) {
  const Node title = text(state.chapterTitle, sans(16, Weight::medium), kInk.withOpacity(0.55f)).tag("chapterTitle");
  if (!state.chapterBefore && !state.chapterAfter) return title.padding({.top = 2});
  const auto chevron = [](Icon glyph, bool active, Action action, const char* tag) {
    Node button = symbol(glyph, 13, kInk.withOpacity(active ? 1.0f : 0.25f), 600)
                      .sized({.width = kChapterButton, .height = kChapterButton})
                      .background(circle({.fill = kPaper.withOpacity(active ? 1.0f : 0.5f)}))
                      .overlay(circle(outline(active ? 0.14f : 0.06f)));
    return active ? button.control(action).tag(tag) : button;
  };
  return hstack({.spacing = 10},
                {chevron(Icon::chevronLeft, state.chapterBefore, Action::chapterBefore, "chapterBefore"), title,
                 chevron(Icon::chevronRight, state.chapterAfter, Action::chapterAfter, "chapterAfter")})
      .padding({.top = 4});
}

Node homeOverlay(const InterfaceState& state) {
  const Node progress =
      state.figuresToOpen > 0
          ? vstack({.spacing = 6},
                   {text(closedChapterText(state.figuresToOpen), serif(19, Weight::medium), kInk).tag("progress")})
          : vstack({.spacing = 6},
                   {text(progressText(state.solvedCount, state.figureCount), serif(19, Weight::medium), kInk)
                        .tag("progress"),
                    text(tr("Toca un bloque para empezar a tallar"), sans(14, Weight::regular), kInk.withOpacity(0.5f))});
  const Node title = hstack({.align = VAlign::top},
                            {text("Sorvel", serif(44, Weight::semibold), kInk).tag("title"), spacer(),
                             roundButton(Icon::gear, Action::settings).tag("settingsButton")});
  return vstack({.spacing = 0, .align = Align::leading},
                {title, chapterLine(state), spacer(), hstack({spacer(), progress, spacer()}).padding({.bottom = 8})})
      .padding({.top = 22, .right = 28, .bottom = 22, .left = 28})
      .sized({.fill = Fill::both, .align = Align::leading, .valign = VAlign::top});
}

std::optional<int> cardKey(const InterfaceState& state) {
  if (state.screen == Screen::playing && guided(state)) return state.guide->step;
  if (state.screen == Screen::solved && state.revealCard) return kSolvedCard;
  return std::nullopt;
}

Node playOverlay(const InterfaceState& state, Part part) {
  const Node card = guided(state) ? guideCard(*state.guide).tag(std::string(kCardTag)).padding({.top = 10}) : Node{};
  return vstack({shownIn(part, false, topBar(state)), shownIn(part, true, card), spacer(),
                 shownIn(part, false, bottomBar(state))})
      .padding({.top = 18, .right = 20, .bottom = 18, .left = 20})
      .sized({.fill = Fill::both});
}

Node solvedOverlay(const InterfaceState& state, Part part) {
  const Node card = state.revealCard ? solvedCard(state).tag(std::string(kCardTag)) : Node{};
  return vstack({shownIn(part, false, hstack({roundButton(Icon::chevronLeft, Action::back), spacer()})), spacer(),
                 shownIn(part, true, card)})
      .padding({.top = 18, .right = 20, .bottom = 18, .left = 20})
      .sized({.fill = Fill::both});
}

Node screenOverlay(const InterfaceState& state, Part part) {
  switch (state.screen) {
    case Screen::home: return shownIn(part, false, homeOverlay(state));
    case Screen::playing: return playOverlay(state, part);
    case Screen::solved: return solvedOverlay(state, part);
  }
  return shownIn(part, false, homeOverlay(state));
}

Node tutorialCard(Size window) {
  const Node ring = text("3", sans(17, Weight::bold), kInk)
                        .sized({.width = 32, .height = 32})
                        .overlay(circle({.stroke = kInk, .lineWidth = 2}));
  const Node box = text("4", sans(17, Weight::bold), kInk)
                       .sized({.width = 30, .height = 30})
                       .overlay(rectangle({.stroke = kInk, .lineWidth = 2}, 6));
  const Node howTo = vstack(
             {.spacing = 16, .align = Align::leading},
             {text(tr("Cómo se talla"), serif(28, Weight::semibold), kInk),
              tutorialRow(text("3", sans(20, Weight::bold), kInk),
                          tr("Cada número dice cuántos cubos se quedan en esa fila, de punta a punta.")),
              tutorialRow(ring, tr("Con círculo, esos cubos están en dos grupos separados.")),
              tutorialRow(box, tr("Con cuadrado, en tres grupos o más. Sin número, no hay pista.")),
              tutorialRow(symbol(Icon::hammer, 18, kInk, 400),
                          tr("Talla los cubos que sobran. Marca los que seguro se quedan para no romperlos sin querer.")),
              tutorialRow(symbol(Icon::paintbrush, 18, kInk, 400),
                          tr("Con Mayús, Ctrl o Alt, o con el botón derecho, el clic usa la otra herramienta.")),
              tutorialRow(symbol(Icon::handDrawing, 18, kInk, 400),
                          tr("Arrastra para girar el bloque. Usa Capas para ver por dentro.")),
              hstack({spacer(), pillButton(tr("Empezar"), true, Action::tutorialDone).tag(std::string(kFirstFocusTag))})
                  .padding({.top = 4})})
      .padding(26)
      .sized({.maxWidth = 440});
  // Beside the rows where there is room for both, under them otherwise.
  const bool wide = window.width >= kTwoColumns;
  const Node keys = keysColumn().padding({.top = wide ? 26.0f : 0.0f, .right = 26, .bottom = 26, .left = 26});
  // A hairline down the keys' left side, as tall as they are.
  const Node rule = hstack({.spacing = 0}, {rectangle({.fill = kInk.withOpacity(0.1f)}).sized({.width = 1}), spacer()});
  const Node body = wide ? hstack({.spacing = 0, .align = VAlign::top}, {howTo, keys.background(rule)})
                         : vstack({.spacing = 0, .align = Align::leading}, {howTo, keys});
  return body.background(rectangle({.fill = kPaper}, 22))
      .overlay(rectangle(outline(0.12f), 22))
      .tag("tutorialCard")
      .padding(20);
}

Node toggleRow(std::string label, std::string note, bool on, Action action) {
  const Node knob = circle({.fill = kPaper}).sized({.width = 20, .height = 20});
  const Node track = hstack({.spacing = 0}, {on ? spacer() : Node{}, knob, on ? Node{} : spacer()})
                         .padding(3)
                         .sized({.width = 44, .height = 26})
                         .background(capsule({.fill = on ? kTeal : kInk.withOpacity(0.2f)}));
  return hstack({.spacing = 14}, {settingLabel(std::move(label), std::move(note)), track})
      .padding({.top = 6, .right = 10, .bottom = 6, .left = 10})
      .sized({.fill = Fill::width})
      .control(action);
}

Node settingsCard(const InterfaceState& state) {
  return (state.settings == SettingsCard::confirmErase ? eraseQuestion() : preferencesBody(state.preferences))
      .padding({.top = 24, .right = 24, .bottom = 22, .left = 24})
      .sized({.maxWidth = 470, .fill = Fill::width})
      .background(rectangle({.fill = kPaper}, 22))
      .overlay(rectangle(outline(0.12f), 22))
      .tag("settingsCard")
      .padding(20);
}

}  // namespace sorvel::ui
