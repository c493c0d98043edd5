#pragma once

// The interface's views: each a pure function from a snapshot of the game's
// state to a layout tree. They know nothing of the game itself, so the
// caller copies what they need into an InterfaceState, and a view can be
// laid out and checked without a game, a window or fonts.

#include <optional>
#include <string>
#include <string_view>

#include "game/preferences.hpp"
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
  SettingsCard settings = SettingsCard::closed;  // settingsCard() over everything while not closed
  Preferences preferences;
  // The chapter on the table: its title line, whether there are chapters on
  // either side, and how many figures of the one before open it (0: open).
  std::string chapterTitle;
  bool chapterBefore = false;
  bool chapterAfter = false;
  int figuresToOpen = 0;
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
  tutorialDone,
  settings,
  settingsDone,
  soundToggle,
  volumeDown,
  volumeUp,
  interfaceSize100,
  interfaceSize125,
  interfaceSize150,
  interfaceSize200,
  reducedMotionToggle,
  patternMarksToggle,
  fullscreenToggle,
  eraseAsk,
  eraseCancel,
  eraseConfirm,
  chapterBefore,
  chapterAfter,
  languageSpanish,
  languageEnglish
};

// The tag of the control a card gives the keyboard's focus when it appears.
inline constexpr std::string_view kFirstFocusTag = "firstFocus";

// A screen's card (the guide card while playing, the solved card once the
// figure is revealed) comes and goes with transitions of its own, so it is
// painted apart from the rest of its overlay. Each part keeps the room of the
// part left out, so the card sits exactly where it sits in the whole overlay.
enum class Part { all, withoutCard, cardOnly };

// The tag of the card's own frame, in any overlay that shows one.
inline constexpr std::string_view kCardTag = "card";

// Which card the state's screen shows: the guide's step while a guide card is
// up, kSolvedCard once the solved card is, none otherwise. A card under
// another key is a new card, the old one giving way to it; under the same
// key only its details changed.
inline constexpr int kSolvedCard = -1;
std::optional<int> cardKey(const InterfaceState& state);

// The screens, each filling the window.
Node homeOverlay(const InterfaceState& state);
Node playOverlay(const InterfaceState& state, Part part = Part::all);
Node solvedOverlay(const InterfaceState& state, Part part = Part::all);
// The overlay of the state's screen.
Node screenOverlay(const InterfaceState& state, Part part = Part::all);
// How to play, centred in the window with a margin round it; with the keys,
// the mouse and the gamepad beside it, or under it in a narrow window.
Node tutorialCard(Size window);
// The player's preferences, or the question before erasing progress.
Node settingsCard(const InterfaceState& state);

// The parts the screens are built of.
Node roundButton(Icon icon, Action action);
Node pillButton(std::string title, bool primary, Action action);
Node toggleRow(std::string label, std::string note, bool on, Action action);
Node guideCard(const Guide& guide);
Node toolPicker(Tool tool);
Node layerControl(int peel, int peelMax);

}  // namespace sorvel::ui
