#include "image/png_io.hpp"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <system_error>

#include "base/atomic_file.hpp"

namespace sorvel {
namespace fs = std::filesystem;

namespace {

// libpng reports a fault by longjmp-ing back to the last setjmp. A longjmp
// that skips a destructor is undefined behaviour, so the functions below that
// call setjmp (readHeader, readRows, encode) hold nothing but plain pointers
// and numbers; every C++ object lives in their callers, and all state that
// must survive the jump sits in a struct reached through a pointer.

constexpr std::size_t kMessageSize = 256;

struct Decoder {
  std::FILE* file = nullptr;
  png_structp png = nullptr;
  png_infop info = nullptr;
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  std::uint64_t maxPixels = kMaxPngPixels;
  char message[kMessageSize] = "";
  char detail[kMessageSize] = "";  // scratch for messages built before png_error
};

struct Encoder {
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::string* out = nullptr;
  bool colourFallbacks = true;
  bool stored = false;
  char message[kMessageSize] = "";
};

template <typename Coder>
void onError(png_structp png, png_const_charp message) {
  auto* coder = static_cast<Coder*>(png_get_error_ptr(png));
  std::snprintf(coder->message, sizeof coder->message, "%s", message);
  png_longjmp(png, 1);
}

// Warnings are about things libpng has already coped with (a bad CRC on an
// ancillary chunk, an unknown profile); the picture is still good.
void onWarning(png_structp, png_const_charp) {}

void readFromFile(png_structp png, png_bytep data, std::size_t length) {
  auto* decoder = static_cast<Decoder*>(png_get_io_ptr(png));
  if (std::fread(data, 1, length, decoder->file) == length) return;
  if (std::ferror(decoder->file) != 0) {
    std::snprintf(decoder->detail, sizeof decoder->detail, "%s", std::strerror(errno));
    png_error(png, decoder->detail);
  }
  png_error(png, "the file ends too soon (is it truncated?)");
}

// Reads the header and arranges for every layout to arrive as RGBA8. Refuses
// pictures over the decoder's pixel limit before anything is allocated for
// their rows.
bool readHeader(Decoder* decoder) {
  if (setjmp(png_jmpbuf(decoder->png)) != 0) return false;
  png_structp png = decoder->png;
  png_set_read_fn(png, decoder, readFromFile);
  png_set_sig_bytes(png, 8);
  // Text, calibration, palette-suggestion, Exif and profile chunks mean
  // nothing to the game, and libpng allocates (and clears) whatever length
  // their header claims before it reads a byte: sixty bytes of file could
  // ask for two gigabytes. Skipped unread, they cost nothing.
  static constexpr png_byte kIgnored[] = "tEXt\0zTXt\0iTXt\0pCAL\0sCAL\0sPLT\0eXIf\0iCCP";
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kIgnored, static_cast<int>(sizeof kIgnored / 5));
  png_read_info(png, decoder->info);
  decoder->width = png_get_image_width(png, decoder->info);
  decoder->height = png_get_image_height(png, decoder->info);
  if (std::uint64_t{decoder->width} * decoder->height > decoder->maxPixels) {
    std::snprintf(decoder->message, sizeof decoder->message,
                  "the picture is %lux%lu pixels, more than the %llu the game reads",
                  static_cast<unsigned long>(decoder->width), static_cast<unsigned long>(decoder->height),
                  static_cast<unsigned long long>(decoder->maxPixels));
    return false;
  }
  png_set_expand(png);  // palette to RGB, grey below 8 bits to 8, tRNS to alpha
  png_set_scale_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);  // only where there is no alpha yet
  png_set_interlace_handling(png);
  png_read_update_info(png, decoder->info);
  if (png_get_bit_depth(png, decoder->info) != 8 || png_get_channels(png, decoder->info) != 4 ||
      png_get_rowbytes(png, decoder->info) != std::size_t{decoder->width} * 4) {
    std::snprintf(decoder->message, sizeof decoder->message,
                  "a pixel layout that cannot be turned into RGBA");
    return false;
  }
  return true;
}

// Reads the pixels and the rest of the file, so a file cut short after its
// image data is still caught.
bool readRows(Decoder* decoder, png_bytepp rows) {
  if (setjmp(png_jmpbuf(decoder->png)) != 0) return false;
  png_read_image(decoder->png, rows);
  png_read_end(decoder->png, nullptr);
  return true;
}

void writeToMemory(png_structp png, png_bytep data, std::size_t length) {
  auto* encoder = static_cast<Encoder*>(png_get_io_ptr(png));
  bool appended = true;
  try {
    encoder->out->append(reinterpret_cast<const char*>(data), length);
  } catch (const std::bad_alloc&) {
    appended = false;
  }
  // Outside the handler: jumping out of a catch block would leave the
  // exception half-handled.
  if (!appended) png_error(png, "out of memory");
}

void flushNothing(png_structp) {}

bool encode(Encoder* encoder, png_bytepp rows, png_uint_32 width, png_uint_32 height) {
  if (setjmp(png_jmpbuf(encoder->png)) != 0) return false;
  png_structp png = encoder->png;
  png_set_write_fn(png, encoder, writeToMemory, flushNothing);
  png_set_IHDR(png, encoder->info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // The pixels hold sRGB-encoded colour; say so, so viewers show it as drawn.
  if (encoder->colourFallbacks) {
    png_set_sRGB_gAMA_and_cHRM(png, encoder->info, PNG_sRGB_INTENT_PERCEPTUAL);
  } else {
    png_set_sRGB(png, encoder->info, PNG_sRGB_INTENT_PERCEPTUAL);
  }
  if (encoder->stored) {
    png_set_compression_level(png, 0);
    png_set_filter(png, 0, PNG_FILTER_NONE);
  }
  png_write_info(png, encoder->info);
  png_set_filler(png, 0, PNG_FILLER_AFTER);  // the rows carry alpha; the file does not
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

// Why `rgba` cannot be a width x height picture, or nothing.
std::string pixelsProblem(std::span<const std::uint8_t> rgba, int width, int height) {
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  if (width <= 0 || height <= 0) return "a " + size + " picture is empty";
  const std::uint64_t pixels = std::uint64_t(width) * std::uint64_t(height);
  if (pixels > kMaxPngPixels) return "a " + size + " picture is larger than the game reads back";
  if (rgba.size() % 4 != 0 || rgba.size() / 4 != pixels) {
    return std::to_string(rgba.size()) + " bytes given for a " + size + " RGBA picture, which needs " +
           std::to_string(pixels * 4);
  }
  return {};
}

}  // namespace

Result<RgbaImage> readPng(const fs::path& file, std::uint64_t maxPixels) {
  const auto fail = [&file](const std::string& why) {
    return Reason{"cannot read PNG " + file.string() + ": " + why};
  };

  Decoder decoder;
  decoder.maxPixels = std::min(maxPixels, kMaxPngPixels);
  struct Cleanup {
    Decoder& decoder;
    ~Cleanup() {
      png_destroy_read_struct(&decoder.png, &decoder.info, nullptr);
      if (decoder.file != nullptr) std::fclose(decoder.file);
    }
  } cleanup{decoder};

  decoder.file = std::fopen(file.c_str(), "rb");
  if (decoder.file == nullptr) return fail(std::strerror(errno));
  png_byte signature[8];
  const std::size_t got = std::fread(signature, 1, sizeof signature, decoder.file);
  if (got < sizeof signature && std::ferror(decoder.file) != 0) return fail(std::strerror(errno));
  if (got < sizeof signature || png_sig_cmp(signature, 0, sizeof signature) != 0)
    return fail("not a PNG file");

  decoder.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &decoder, onError<Decoder>, onWarning);
  if (decoder.png != nullptr) decoder.info = png_create_info_struct(decoder.png);
  if (decoder.info == nullptr) return fail("out of memory");
  if (!readHeader(&decoder)) return fail(decoder.message);

  RgbaImage image;
  image.width = static_cast<int>(decoder.width);
  image.height = static_cast<int>(decoder.height);
  std::vector<png_bytep> rows;
  try {
    image.pixels.resize(std::size_t{decoder.width} * decoder.height * 4);
    rows.resize(decoder.height);
  } catch (const std::bad_alloc&) {
    return fail("not enough memory for a " + std::to_string(decoder.width) + "x" +
                std::to_string(decoder.height) + " picture");
  }
  for (png_uint_32 y = 0; y < decoder.height; ++y) {
    rows[y] = image.pixels.data() + std::size_t{y} * decoder.width * 4;
  }
  if (!readRows(&decoder, rows.data())) return fail(decoder.message);
  return image;
}

Result<std::string> encodePng(std::span<const std::uint8_t> rgba, int width, int height, const PngStyle& style) {
  const auto fail = [](std::string why) { return Reason{std::move(why)}; };
  if (std::string problem = pixelsProblem(rgba, width, height); !problem.empty()) return fail(std::move(problem));

  std::string bytes;
  Encoder encoder;
  encoder.out = &bytes;
  encoder.colourFallbacks = style.colourFallbacks;
  encoder.stored = style.stored;
  struct Cleanup {
    Encoder& encoder;
    ~Cleanup() { png_destroy_write_struct(&encoder.png, &encoder.info); }
  } cleanup{encoder};
  encoder.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &encoder, onError<Encoder>, onWarning);
  if (encoder.png != nullptr) encoder.info = png_create_info_struct(encoder.png);
  if (encoder.info == nullptr) return fail("out of memory");

  std::vector<png_bytep> rows(static_cast<std::size_t>(height));
  const std::size_t stride = std::size_t(width) * 4;
  for (std::size_t y = 0; y < rows.size(); ++y) {
    // libpng copies each row before transforming it, so the caller's
    // pixels are only read, despite the non-const pointer it asks for.
    rows[y] = const_cast<png_bytep>(rgba.data() + y * stride);
  }
  if (!encode(&encoder, rows.data(), static_cast<png_uint_32>(width), static_cast<png_uint_32>(height))) {
    return fail(encoder.message);
  }
  return bytes;
}

Result<void> writePng(const fs::path& file, std::span<const std::uint8_t> rgba, int width, int height) {
  const auto fail = [&file](const std::string& why) {
    return Reason{"cannot write PNG " + file.string() + ": " + why};
  };
  if (const std::string problem = pixelsProblem(rgba, width, height); !problem.empty()) return fail(problem);
  if (!file.has_filename()) return fail("not a file name");
  // Creating missing folders would hide a mistyped path; the player should hear of it.
  const fs::path folder = file.parent_path();
  std::error_code error;
  if (!folder.empty() && !fs::is_directory(folder, error))
    return fail("there is no folder " + folder.string());

  const Result<std::string> png = encodePng(rgba, width, height);
  if (!png) return fail(png.why());
  // Pictures go where a player or a script says: never over a device or a link.
  const Result<void> written = writeFileAtomically(file, *png, Replace::onlyRegularFile);
  if (!written) return fail(written.why());
  return {};
}

}  // namespace sorvel
