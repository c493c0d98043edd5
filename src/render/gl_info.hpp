#pragma once

namespace sorvel {

// What the current context's driver says of itself, for those outside
// render/ that must not call GL: its version as major * 10 + minor (33 for
// 3.3), and its renderer and version strings (null when it gives none).
int currentGlVersion();
const char* currentGlRenderer();
const char* currentGlVersionText();

// Waits until the GPU has run every command given so far.
void finishGpuWork();
// The oldest GL error not yet taken, 0 with none.
unsigned takeGlError();

}  // namespace sorvel
