#pragma once

#include "capture/capture_request.hpp"

namespace sorvel {

// Renders one picture of the game off-screen, as `request` asks, and writes
// it as a PNG at its output path. Saved progress is neither read nor
// written. Returns the process exit status: 0 once the file is written, 1
// with a message on standard error when it could not be (no GPU context, a
// bad option, a file that cannot be written, a chapter that does not load).
int captureStill(const StillRequest& request);

}  // namespace sorvel
