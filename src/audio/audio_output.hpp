#pragma once

#include <string>

namespace sorvel {

class VoiceMixer;

// A device that plays what the mixer renders. The game hands one in, so the
// sound code itself never opens a device and runs the same without one.
class AudioOutput {
 public:
  virtual ~AudioOutput() = default;

  // Begins pulling blocks from `mixer` (44.1 kHz mono float) on the device's
  // own thread, until the output is destroyed. Returns an empty string once
  // sound flows, else a description of why it does not.
  virtual std::string start(VoiceMixer& mixer) = 0;
};

}  // namespace sorvel
