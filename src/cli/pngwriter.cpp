#include "cli/pngwriter.h"

#include <csetjmp>
#include <cstdint>

#include <png.h>
#include <zlib.h>

#include "cli/TOutputTarget.h"
#include "render/TPixelBuffer.h"

namespace {

// What the callbacks share with the encoder; libpng leaves by longjmp, so the text is kept
// here rather than in a local of a frame it skips.
struct TPngSink {
  TOutputTarget* Output = nullptr;
  bool WriteFailed = false;
  std::string Message;
};

void WriteBytes(png_structp png, png_bytep data, png_size_t size) {
  auto* sink = static_cast<TPngSink*>(png_get_io_ptr(png));
  if (!sink->Output->Write(data, size)) {
    sink->WriteFailed = true;
    png_error(png, "write failed");
  }
}

// Writes are unbuffered; the output is synced once complete.
void FlushBytes(png_structp) {}

[[noreturn]] void Failure(png_structp png, png_const_charp message) {
  static_cast<TPngSink*>(png_get_error_ptr(png))->Message = message;
  png_longjmp(png, 1);
}

void Warning(png_structp, png_const_charp) {}

// Only plain C between setjmp and the end: no object with a destructor lives in this frame.
bool Encode(png_structp png, png_infop info, const TPixelBuffer& surface) {
  if (setjmp(png_jmpbuf(png))) return false;
  // The size is limited by memory, not by libpng's default of a million pixels a side.
  png_set_user_limits(png, 0x7fffffff, 0x7fffffff);
  png_set_IHDR(png, info, static_cast<png_uint_32>(surface.Width()),
               static_cast<png_uint_32>(surface.Height()), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, Z_BEST_SPEED);
  png_write_info(png, info);
  // Each pixel is R, G, B and an unused byte in memory: the fourth byte is dropped.
  png_set_filler(png, 0, PNG_FILLER_AFTER);
  const auto* bytes = reinterpret_cast<const png_byte*>(surface.Data());
  for (int y = 0; y < surface.Height(); ++y)
    png_write_row(png, bytes + static_cast<size_t>(y) * static_cast<size_t>(surface.Stride()));
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

bool WritePng(const TPixelBuffer& surface, TOutputTarget& output, std::string& error) {
  if (surface.Width() <= 0 || surface.Height() <= 0) {
    error = "the picture is empty";
    return false;
  }
  TPngSink sink;
  sink.Output = &output;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, Failure, Warning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (png == nullptr || info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    error = "There is not enough memmory for this operation.";
    return false;
  }
  png_set_write_fn(png, &sink, WriteBytes, FlushBytes);
  const bool written = Encode(png, info, surface);
  png_destroy_write_struct(&png, &info);
  if (written) return true;
  error = sink.WriteFailed ? output.Reason() : "the PNG encoder failed: " + sink.Message;
  return false;
}
