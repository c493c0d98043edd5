#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>
#include <string>
#include <vector>

#include "audio/wav.hpp"
#include "support/temp_dir.hpp"

namespace sorvel {
namespace {

std::string le32(std::uint32_t v) {
  return {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
}

TEST(WavTest, WritesSamplesLittleEndianAndReportsAFailedWrite) {
  test::TempDir dir;
  const std::vector<std::int16_t> samples{0, 1, -1, 32767, -32768, 0x1234};
  const Result<void> written = writeWav(dir / "sound.wav", samples);
  ASSERT_TRUE(written) << written.why();
  const std::string bytes = test::readFile(dir / "sound.wav");
  // Mono, 16 bits, 44100 Hz: what every player expects of a plain WAV.
  const std::string fmt("\x10\0\0\0\x01\0\x01\0\x44\xac\0\0\x88\x58\x01\0\x02\0\x10\0", 20);
  EXPECT_EQ(bytes, "RIFF" + le32(48) + "WAVEfmt " + fmt + "data" + le32(12) +
                       std::string("\0\0\x01\0\xff\xff\xff\x7f\0\x80\x34\x12", 12));

  // A folder where the file should go cannot be replaced by it.
  std::filesystem::create_directory(dir / "taken.wav");
  const Result<void> refused = writeWav(dir / "taken.wav", samples);
  EXPECT_FALSE(refused);
  EXPECT_NE(refused.why().find("taken.wav"), std::string::npos) << refused.why();
}

// The demo's sound track and the sound tool's files hold these very values.
TEST(WavTest, FloatSamplesAreTruncatedAndClippedTo16Bits) {
  const float nan = std::nanf("");
  const float inf = std::numeric_limits<float>::infinity();
  const std::pair<float, std::int16_t> cases[] = {
      {0.0f, 0},           {1.0f, 32767},   {-1.0f, -32767}, {0.5f, 16383},  {-0.5f, -16383},
      {0.99999f, 32766},   {3e-5f, 0},      {-3e-5f, 0},     {1.5f, 32767},  {-7.0f, -32767},
      {inf, 32767},        {-inf, -32767},  {nan, 0},
  };
  for (const auto& [sample, pcm] : cases) EXPECT_EQ(toPcm16(sample), pcm) << sample;
}

}  // namespace
}  // namespace sorvel
