#include "app/command_router.hpp"

#include "game/game.hpp"

namespace sorvel {

bool CommandRouter::cardOver() const {
  return game_.settingsCard() != SettingsCard::closed || game_.showTutorial();
}

void CommandRouter::moveFocus(int step) {
  if (focus_.move) focus_.move(step);
}

void CommandRouter::direction(int dx, int dy) {
  // A card, or the solved screen with nothing to move on, walks its buttons.
  if (cardOver() || game_.screen() == Screen::solved) {
    moveFocus(dx + dy);
    return;
  }
  if (game_.screen() == Screen::playing) {
    // Enter then acts on the cube again, not on a button tabbed to before.
    if (focus_.drop) focus_.drop();
    game_.moveCursor(dx, dy);
  } else if (dx != 0) {
    game_.moveHighlight(dx);
  }
}

void CommandRouter::back() {
  // The topmost thing goes first: the question, the settings, the help card,
  // then the block.
  switch (game_.settingsCard()) {
    case SettingsCard::confirmErase: game_.cancelErase(); return;
    case SettingsCard::open: game_.closeSettings(); return;
    case SettingsCard::closed: break;
  }
  if (game_.showTutorial()) {
    game_.dismissTutorialCard();
  } else if (game_.screen() != Screen::home) {
    game_.goHome(true);
  }
}

void CommandRouter::run(Command command) {
  switch (command) {
    case Command::focusNext: moveFocus(1); return;
    case Command::focusPrevious: moveFocus(-1); return;
    case Command::back: back(); return;
    case Command::settings:
      game_.settingsCard() == SettingsCard::closed ? game_.openSettings() : game_.closeSettings();
      return;
    case Command::cursorLeft: direction(-1, 0); return;
    case Command::cursorRight: direction(1, 0); return;
    case Command::cursorUp: direction(0, -1); return;
    case Command::cursorDown: direction(0, 1); return;
    case Command::confirm:
      if (focus_.press && focus_.press()) return;
      if (cardOver()) return;
      if (game_.screen() == Screen::playing) {
        game_.applyAtCursor(false);
      } else if (game_.screen() == Screen::home) {
        game_.openHighlighted();
      }
      return;
    default: break;
  }
  // The rest act on the block or the table, never through a card.
  if (cardOver()) return;
  if (game_.screen() == Screen::home) {
    // The shelf's chapters, for hands on the pad's shoulders or the keys: up
    // and Page Down to the next chapter, down and Page Up to the one before.
    const int step = command == Command::peelUp || command == Command::tiltDown ? 1
                     : command == Command::peelDown || command == Command::tiltUp ? -1
                                                                                   : 0;
    if (step != 0) {
      game_.showChapter(game_.shownChapter() + step);
      return;
    }
  }
  switch (command) {
    case Command::confirmOther: game_.applyAtCursor(true); break;
    case Command::switchTool: game_.setTool(game_.tool() == Tool::carve ? Tool::mark : Tool::carve); break;
    case Command::peelUp: game_.setPeel(game_.peel() + 1); break;
    case Command::peelDown: game_.setPeel(game_.peel() - 1); break;
    case Command::turnLeft:
    case Command::turnRight: {
      const int step = command == Command::turnLeft ? -1 : 1;
      game_.screen() == Screen::home ? game_.moveHighlight(step) : game_.turnStep(step, 0);
      break;
    }
    case Command::tiltUp: game_.turnStep(0, 1); break;
    case Command::tiltDown: game_.turnStep(0, -1); break;
    case Command::zoomIn: game_.zoomBy(kZoomIn); break;
    case Command::zoomOut: game_.zoomBy(kZoomOut); break;
    case Command::undo: game_.undo(); break;
    case Command::redo: game_.redo(); break;
    default: break;
  }
}

}  // namespace sorvel
