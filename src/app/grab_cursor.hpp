#pragma once

#include <memory>

struct SDL_Cursor;

namespace sorvel {

struct SdlCursorFree {
  void operator()(SDL_Cursor* cursor) const noexcept;
};
using SdlCursor = std::unique_ptr<SDL_Cursor, SdlCursorFree>;

// A closed hand for the pointer while the player turns the block, drawn here
// since SDL offers only an open pointing hand; the four-way arrow when even
// that cannot be made. Null only when SDL has no cursors at all.
SdlCursor makeGrabCursor();

}  // namespace sorvel
