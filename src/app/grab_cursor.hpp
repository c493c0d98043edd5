#pragma once

namespace sorvel {

// A closed hand for the pointer while the player turns the block, drawn here
// since SDL offers only an open pointing hand; the four-way arrow when even
// that cannot be made. Returns an SDL_Cursor*, or null.
void* makeGrabCursor();

}  // namespace sorvel
