#pragma once

#include <string>

#include "base/settings_store.hpp"

namespace sorvel {

// Renders the film's fixed sequence off-screen at 60 frames a second, pipes
// the frames into the video encoder (ffmpeg, or $SORVEL_FFMPEG) writing
// `output`, and writes every sound played into `output`.wav; both are made
// under temporary names and take their places only when whole. Reads only
// "sorvelSize" from the store's launch options; saved progress is neither
// read nor written. Returns the process exit status: 0 once both files are
// made, 1 with a message on standard error when they could not be (no
// encoder, an encoder that failed, a path that cannot be written, no GPU).
int makeFilm(const SettingsStore& options, const std::string& output);

}  // namespace sorvel
