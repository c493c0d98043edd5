#include "image/png_io.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/temp_dir.hpp"

namespace sorvel {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;
using test::writeFile;
using ::testing::HasSubstr;
using ::testing::Not;

// PNG files are built by hand here, independently of libpng, so the reader is
// checked against layouts that the game's own writer never produces.
std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

std::string be32(std::uint32_t v) {
  return bytes({int(v >> 24), int((v >> 16) & 0xFF), int((v >> 8) & 0xFF), int(v & 0xFF)});
}

std::string chunk(std::string_view type, std::string_view data) {
  const std::string body = std::string(type) + std::string(data);
  std::uint32_t crc = 0xFFFFFFFF;
  for (unsigned char b : body) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return be32(static_cast<std::uint32_t>(data.size())) + body + be32(~crc);
}

// Scanlines (each led by its filter byte) in one stored, uncompressed deflate block.
std::string zlibStored(std::string_view raw) {
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  const auto n = static_cast<int>(raw.size());
  return bytes({0x78, 0x01, 0x01, n & 0xFF, n >> 8, ~n & 0xFF, (~n >> 8) & 0xFF}) + std::string(raw) +
         be32((b << 16) | a);
}

struct Layout {
  std::uint32_t width, height;
  int depth, colour, interlace;
};

std::string pngFile(Layout l, std::string_view raw, const std::string& extraChunks = {}) {
  const std::string header = be32(l.width) + be32(l.height) + bytes({l.depth, l.colour, 0, 0, l.interlace});
  return "\x89PNG\r\n\x1a\n" + chunk("IHDR", header) + extraChunks + chunk("IDAT", zlibStored(raw)) +
         chunk("IEND", "");
}

std::vector<std::uint8_t> rgba(std::initializer_list<int> values) { return {values.begin(), values.end()}; }

// A small picture whose every channel differs from pixel to pixel, alpha included.
std::vector<std::uint8_t> noise(int width, int height) {
  std::vector<std::uint8_t> pixels(std::size_t(width) * height * 4);
  std::uint32_t state = 12345;
  for (auto& p : pixels) p = static_cast<std::uint8_t>((state = state * 1103515245u + 12345u) >> 23);
  return pixels;
}

TEST(PngIo, WrittenPicturesReadBackOpaqueAndMarkedSrgb) {
  TempDir dir;
  const auto file = dir / "still.png";
  const auto pixels = noise(5, 3);
  writeFile(file, "an older picture");
  const Result<void> written = writePng(file, pixels, 5, 3);
  ASSERT_TRUE(written) << written.why();

  const Result<RgbaImage> read = readPng(file);
  ASSERT_TRUE(read.ok()) << read.why();
  EXPECT_EQ(read->width, 5);
  EXPECT_EQ(read->height, 3);
  auto opaque = pixels;
  for (std::size_t i = 3; i < opaque.size(); i += 4) opaque[i] = 255;
  EXPECT_EQ(read->pixels, opaque);

  const std::string stored = readFile(file);
  EXPECT_EQ(stored.substr(24, 2), bytes({8, 2})) << "not 8-bit RGB";
  EXPECT_THAT(stored, HasSubstr("sRGB"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
      << "a temporary file was left beside the picture";
}

// Files kept in the repository are stored, so no zlib can change them, and
// carry the sRGB chunk alone; a still also tells older viewers its gamma.
TEST(PngIo, TheStoredStyleKeepsPixelsLiteralAndMarksOnlySrgb) {
  // Stripes zlib would shrink, were it allowed to.
  std::vector<std::uint8_t> pixels(32 * 3 * 4);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i / 4 % 8 * 30 + i % 4);
  const Result<std::string> stored = encodePng(pixels, 32, 3, {.colourFallbacks = false, .stored = true});
  ASSERT_TRUE(stored.ok()) << stored.why();
  std::string secondRow = bytes({0});  // no filter
  for (std::size_t i = 32 * 4; i < 2 * 32 * 4; ++i) {
    if (i % 4 != 3) secondRow += static_cast<char>(pixels[i]);
  }
  EXPECT_THAT(*stored, HasSubstr(secondRow));
  EXPECT_THAT(*stored, HasSubstr("sRGB"));
  EXPECT_THAT(*stored, Not(HasSubstr("gAMA")));
  EXPECT_THAT(*stored, Not(HasSubstr("cHRM")));

  const Result<std::string> still = encodePng(pixels, 32, 3);
  ASSERT_TRUE(still.ok()) << still.why();
  EXPECT_THAT(*still, HasSubstr("gAMA"));
  EXPECT_THAT(*still, HasSubstr("cHRM"));

  TempDir dir;
  auto opaque = pixels;
  for (std::size_t i = 3; i < opaque.size(); i += 4) opaque[i] = 255;
  for (const Result<std::string>* png : {&stored, &still}) {
    writeFile(dir / "encoded.png", **png);
    const Result<RgbaImage> read = readPng(dir / "encoded.png");
    ASSERT_TRUE(read.ok()) << read.why();
    EXPECT_EQ(read->pixels, opaque);
  }
  EXPECT_THAT(encodePng(pixels, 32, 4).why(), HasSubstr("384 bytes given for a 32x4 RGBA picture"));
}

TEST(PngIo, EveryLayoutReadsAsRgba) {
  const std::string palette = chunk("PLTE", bytes({10, 20, 30, 40, 50, 60})) + chunk("tRNS", bytes({0x80}));
  const struct {
    const char* name;
    std::string file;
    std::vector<std::uint8_t> expected;
  } cases[] = {
      {"8-bit grey", pngFile({2, 1, 8, 0, 0}, bytes({0, 0x00, 0x80})),
       rgba({0, 0, 0, 255, 128, 128, 128, 255})},
      {"1-bit grey", pngFile({3, 1, 1, 0, 0}, bytes({0, 0b10100000})),
       rgba({255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255})},
      {"palette with transparency", pngFile({2, 1, 8, 3, 0}, bytes({0, 1, 0}), palette),
       rgba({40, 50, 60, 255, 10, 20, 30, 0x80})},
      {"4-bit palette",
       pngFile({2, 1, 4, 3, 0}, bytes({0, 0x10}), chunk("PLTE", bytes({10, 20, 30, 40, 50, 60}))),
       rgba({40, 50, 60, 255, 10, 20, 30, 255})},
      {"16-bit grey and alpha", pngFile({1, 1, 16, 4, 0}, bytes({0, 0xFF, 0xFF, 0x80, 0x80})),
       rgba({255, 255, 255, 128})},
      {"RGB with a transparent colour",
       pngFile({2, 1, 8, 2, 0}, bytes({0, 1, 2, 3, 4, 5, 6}), chunk("tRNS", bytes({0, 1, 0, 2, 0, 3}))),
       rgba({1, 2, 3, 0, 4, 5, 6, 255})},
      {"16-bit RGBA", pngFile({1, 1, 16, 6, 0}, bytes({0, 0xFF, 0xFF, 0, 0, 0x80, 0x80, 0, 0})),
       rgba({255, 0, 128, 0})},
      // Adam7 on 2x2: pass 1 holds (0,0), pass 6 (1,0), pass 7 the bottom row.
      {"interlaced grey", pngFile({2, 2, 8, 0, 1}, bytes({0, 10, 0, 20, 0, 30, 40})),
       rgba({10, 10, 10, 255, 20, 20, 20, 255, 30, 30, 30, 255, 40, 40, 40, 255})},
      // The reader skips these chunks unread (a forged length in one once
      // cost gigabytes); real ones must not get in the way of the pixels.
      {"grey with text and a colour profile",
       pngFile({1, 1, 8, 0, 0}, bytes({0, 7}),
               chunk("tEXt", std::string("Title\0toy", 9)) + chunk("iCCP", std::string("p\0\0x", 4))),
       rgba({7, 7, 7, 255})},
  };
  TempDir dir;
  for (const auto& c : cases) {
    const auto file = dir / "layout.png";
    writeFile(file, c.file);
    const Result<RgbaImage> read = readPng(file);
    ASSERT_TRUE(read.ok()) << c.name << ": " << read.why();
    EXPECT_EQ(read->pixels, c.expected) << c.name;
    EXPECT_EQ(read->pixels.size(), std::size_t(read->width) * read->height * 4) << c.name;
  }
}

TEST(PngIo, BadFilesAreReportedNamingTheFileAndTheFault) {
  TempDir dir;
  const Result<void> written = writePng(dir / "good.png", noise(16, 16), 16, 16);
  ASSERT_TRUE(written) << written.why();
  const std::string good = readFile(dir / "good.png");
  std::string badData = good;
  badData[badData.find("IDAT") + 10] ^= 0x55;
  std::string badCrc = good;
  badCrc[8 + 8 + 13] ^= 0x55;  // the header chunk's checksum
  // 100000x100000 is within what libpng accepts, but would ask for 40 GB.
  const std::string huge = pngFile({100000, 100000, 8, 6, 0}, bytes({0}));
  fs::create_directory(dir / "folder.png");

  const struct {
    std::string name;
    std::string contents;  // not written when empty
    const char* fault;
  } cases[] = {
      {"missing.png", "", "No such file"},
      {"folder.png", "", "Is a directory"},
      {"text.png", "just some text, long enough to hold a signature", "not a PNG"},
      {"short.png", "\x89PN", "not a PNG"},
      {"truncated.png", good.substr(0, good.size() / 2), "ends too soon"},
      {"no-end.png", good.substr(0, good.size() - 12), "ends too soon"},
      {"bad-data.png", badData, "IDAT"},
      {"bad-crc.png", badCrc, "CRC"},
      {"huge.png", huge, "100000x100000 pixels, more than"},
  };
  for (const auto& c : cases) {
    if (!c.contents.empty()) writeFile(dir / c.name, c.contents);
    const Result<RgbaImage> read = readPng(dir / c.name);
    EXPECT_FALSE(read.ok()) << c.name;
    EXPECT_THAT(read.why(), HasSubstr(c.name));
    EXPECT_THAT(read.why(), HasSubstr(c.fault));
  }
  // A header of a few bytes declaring 16384x16384 would cost over a
  // gigabyte: refused from the header unless the caller asks for that much.
  writeFile(dir / "texture.png", pngFile({16384, 16384, 8, 6, 0}, bytes({0})));
  EXPECT_THAT(readPng(dir / "texture.png").why(), HasSubstr("16384x16384 pixels, more than the 4194304"));
}

TEST(PngIo, NoCutOrDamagedByteCrashesTheReader) {
  TempDir dir;
  const Result<void> written = writePng(dir / "small.png", noise(3, 2), 3, 2);
  ASSERT_TRUE(written) << written.why();
  const std::string good = readFile(dir / "small.png");
  const auto file = dir / "damaged.png";
  for (std::size_t length = 0; length < good.size(); ++length) {
    writeFile(file, good.substr(0, length));
    EXPECT_FALSE(readPng(file).ok()) << "cut to " << length << " bytes";
  }
  for (std::size_t at = 0; at < good.size(); ++at) {
    std::string damaged = good;
    damaged[at] ^= 0xA5;
    writeFile(file, damaged);
    const Result<RgbaImage> read = readPng(file);
    // Damage to an ancillary chunk may be shrugged off; then the picture is whole.
    if (read.ok()) {
      EXPECT_EQ(read->pixels.size(), std::size_t(read->width) * read->height * 4) << at;
    } else {
      EXPECT_FALSE(read.why().empty()) << at;
    }
  }
}

TEST(PngIo, WritesThatCannotBeDoneAreRefusedAndLeaveNothing) {
  TempDir dir;
  const auto pixels = noise(4, 4);
  const auto old = dir / "old.png";
  writeFile(old, "an older picture");
  fs::create_directory(dir / "folder.png");
  // As root, replacing whatever stands at the path would swap a device for a
  // picture: a pipe and a link stand in for the devices a test must not touch.
  ASSERT_EQ(mkfifo((dir / "pipe.png").c_str(), 0644), 0);
  fs::create_symlink(old, dir / "link.png");
  const struct {
    fs::path file;
    std::size_t bytes;
    int width, height;
    const char* fault;
  } cases[] = {
      {dir / "missing/still.png", 64, 4, 4, "no folder"},
      {old, 60, 4, 4, "60 bytes"},
      {old, 63, 4, 4, "63 bytes"},
      {old, 64, 4, 3, "64 bytes"},
      {old, 0, 0, 0, "empty"},
      {old, 64, -4, -4, "empty"},
      {old, 64, 1 << 16, 1 << 16, "larger"},
      {dir / "folder.png", 64, 4, 4, "is a folder"},
      {dir / "pipe.png", 64, 4, 4, "is a device, pipe or socket"},
      {dir / "link.png", 64, 4, 4, "is a symbolic link"},
  };
  for (const auto& c : cases) {
    const Result<void> written = writePng(c.file, std::span(pixels.data(), c.bytes), c.width, c.height);
    EXPECT_FALSE(written) << c.fault;
    EXPECT_THAT(written.why(), HasSubstr(c.file.string()));
    EXPECT_THAT(written.why(), HasSubstr(c.fault));
  }
  EXPECT_FALSE(fs::exists(dir / "missing"));
  EXPECT_EQ(readFile(old), "an older picture");
  EXPECT_TRUE(fs::is_empty(dir / "folder.png"));
  EXPECT_TRUE(fs::is_fifo(fs::symlink_status(dir / "pipe.png")));
  EXPECT_TRUE(fs::is_symlink(dir / "link.png"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 4);

  // Only meaningful where permissions bind (not for root).
  fs::create_directory(dir / "locked");
  chmod((dir / "locked").c_str(), 0555);
  if (access((dir / "locked").c_str(), W_OK) != 0) {
    const Result<void> locked = writePng(dir / "locked/still.png", pixels, 4, 4);
    EXPECT_FALSE(locked);
    EXPECT_THAT(locked.why(), HasSubstr("locked/still.png"));
    EXPECT_TRUE(fs::is_empty(dir / "locked"));
  }
  chmod((dir / "locked").c_str(), 0755);
}

}  // namespace
}  // namespace sorvel
