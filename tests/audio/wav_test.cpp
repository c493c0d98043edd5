#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "audio/wav.hpp"
#include "support/temp_dir.hpp"

namespace sorvel {
namespace {

std::uint32_t u32(const std::string& bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
  return v;
}
std::uint16_t u16(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                    static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

TEST(WavTest, HeaderDescribesMono16BitAt44100ForTheTrackLengthsTheGameWrites) {
  // The demo's 31 s and the shortest film's track.
  for (std::size_t n : {1367100u, 1416345u}) {
    const std::string bytes = wavBytes(std::vector<std::int16_t>(n));
    const std::uint32_t data = static_cast<std::uint32_t>(2 * n);
    ASSERT_EQ(bytes.size(), 44 + data);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(u32(bytes, 4), 36 + data);
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(u32(bytes, 16), 16u);
    EXPECT_EQ(u16(bytes, 20), 1u);
    EXPECT_EQ(u16(bytes, 22), 1u);
    EXPECT_EQ(u32(bytes, 24), 44100u);
    EXPECT_EQ(u32(bytes, 28), 88200u);
    EXPECT_EQ(u16(bytes, 32), 2u);
    EXPECT_EQ(u16(bytes, 34), 16u);
    EXPECT_EQ(bytes.substr(36, 4), "data");
    EXPECT_EQ(u32(bytes, 40), data);
  }
  EXPECT_EQ(u32(wavBytes(std::vector<std::int16_t>(1367100)), 4), 2734236u);
  EXPECT_EQ(u32(wavBytes(std::vector<std::int16_t>(1416345)), 40), 2832690u);
}

TEST(WavTest, SamplesFollowTheHeaderLittleEndian) {
  const std::vector<std::int16_t> samples{0, 1, -1, 32767, -32767, -32768, 0x1234};
  const std::string bytes = wavBytes(samples);
  ASSERT_EQ(bytes.size(), 44u + 14u);
  const std::string expected("\x00\x00\x01\x00\xff\xff\xff\x7f\x01\x80\x00\x80\x34\x12", 14);
  EXPECT_EQ(bytes.substr(44), expected);
  EXPECT_EQ(u32(wavBytes({}), 40), 0u);
  EXPECT_EQ(wavBytes({}).size(), 44u);
}

TEST(WavTest, WritesTheFileAndReportsAFailedWrite) {
  test::TempDir dir;
  const std::vector<std::int16_t> samples{100, -100, 2000};
  EXPECT_EQ(writeWav(dir / "sound.wav", samples), "");
  EXPECT_EQ(test::readFile(dir / "sound.wav"), wavBytes(samples));

  // A folder where the file should go cannot be replaced by it.
  std::filesystem::create_directory(dir / "taken.wav");
  const std::string error = writeWav(dir / "taken.wav", samples);
  EXPECT_NE(error, "");
  EXPECT_NE(error.find("taken.wav"), std::string::npos) << error;

  // Nor can a file be put inside a file.
  test::writeFile(dir / "plain", "x");
  EXPECT_NE(writeWav(dir / "plain" / "sound.wav", samples), "");
}

}  // namespace
}  // namespace sorvel
