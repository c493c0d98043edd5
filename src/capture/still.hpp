#pragma once

#include <string>

#include "base/settings_store.hpp"

namespace sorvel {

// Renders one picture of the game off-screen and writes it as a PNG at
// `output`, reading "sorvelSize", "sorvelDemo", "sorvelCam", "sorvelWait" and
// "sorvelSpin" from the store's launch options. Saved progress is neither read
// nor written. Returns the process exit status: 0 once the file is written,
// 1 with a message on standard error when it could not be (no GPU context,
// a bad option, a file that cannot be written).
int captureStill(const SettingsStore& options, const std::string& output);

}  // namespace sorvel
