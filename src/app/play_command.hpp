#pragma once

// What a player asks for from the keyboard or a gamepad, whichever device it
// came from. The keys and the pad's buttons are mapped to these, and one
// place decides what each means on the screen and card shown now.

namespace sorvel {

enum class Command {
  // The cursor on the block in play, in the screen's directions; on the
  // table, left and right move the highlight from block to block.
  cursorLeft,
  cursorRight,
  cursorUp,
  cursorDown,
  // Enter or the pad's A: the focused button, else the active tool on the
  // cursor's cube, else the highlighted block opened.
  confirm,
  // Shift+Enter or the pad's X: the other tool on the cursor's cube.
  confirmOther,
  switchTool,
  peelUp,
  peelDown,
  // The block turned a step, or tilted a step.
  turnLeft,
  turnRight,
  tiltUp,
  tiltDown,
  zoomIn,
  zoomOut,
  undo,
  redo,
  // The focus ring over the buttons of the screen and its cards.
  focusNext,
  focusPrevious,
  // Escape or the pad's B: the topmost card closed, then home.
  back,
  settings,
};

}  // namespace sorvel
