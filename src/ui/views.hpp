#pragma once

// The interface's views: each a pure function from a snapshot of the game's
// state to a layout tree. They know nothing of the game itself, so the
// caller copies what they need into an InterfaceState, and a view can be
// laid out and checked without a game, a window or fonts.

#include <optional>
#include <string>

#include "game/types.hpp"
#include "ui/layout.hpp"

namespace sorvel::ui {

// What the views show, copied from the game whenever it publishes a change.
struct InterfaceState {
  Screen screen = Screen::home;
  Tool tool = Tool::carve;
  int mistakes = 0;
  int peel = 0;  // layers shown, counted from the bottom of the gauge
  int peelMax = 0;
  int solvedCount = 0;
  int figureCount = 0;
  std::string playTitle;
  std::string currentName;
  double lastTime = 0;      // seconds the last carving took
  bool revealCard = false;  // the solved card is shown once the figure is revealed
  std::optional<int> current;
  int slotCount = 0;
  std::optional<Guide> guide;
  bool showTutorial = false;  // whether tutorialCard() is laid over the screen
  friend bool operator==(const InterfaceState&, const InterfaceState&) = default;
};

// What a control reports when clicked.
enum class Action {
  back,
  help,
  guideNext,
  carveTool,
  markTool,
  peelUp,
  peelDown,
  home,
  next,
  carveAgain,
  tutorialDone
};

// The screens, each filling the window.
Node homeOverlay(const InterfaceState& state);
Node playOverlay(const InterfaceState& state);
Node solvedOverlay(const InterfaceState& state);
// The overlay of the state's screen.
Node screenOverlay(const InterfaceState& state);
// How to play, centred in the window with a margin round it.
Node tutorialCard();

// The parts the screens are built of.
Node roundButton(Icon icon, Action action);
Node pillButton(std::string title, bool primary, Action action);
Node guideCard(const Guide& guide);
Node toolPicker(Tool tool);
Node layerControl(int peel, int peelMax);

}  // namespace sorvel::ui
