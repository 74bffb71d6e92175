#include "cli/dump.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "engine/TFractArray.h"

bool WriteDump(const TFractArray& array, const std::string& path, std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    error = std::strerror(errno);
    return false;
  }
  bool ok = true;
  std::string block = "x\ty\tdepth\tcycle\n";
  const auto flush = [&] {
    ok = ok && std::fwrite(block.data(), 1, block.size(), file) == block.size();
    block.clear();
  };
  // Two ints, a float of 9 digits with its exponent, an int and the separators; each number
  // leaves room for the character after it.
  char line[96];
  char* const end = line + sizeof line - 1;
  const int done = array.ColumnsDone.load(std::memory_order_acquire);
  for (int x = 0; x < done && ok; ++x) {
    const float* depths = array.DepthColumn(x);
    const int32_t* cycles = array.CycleColumn(x);
    for (int y = 0; y < array.Height; ++y) {
      char* out = std::to_chars(line, end, x).ptr;
      *out++ = '\t';
      out = std::to_chars(out, end, y).ptr;
      *out++ = '\t';
      out = std::to_chars(out, end, depths[y], std::chars_format::general, 9).ptr;
      *out++ = '\t';
      out = std::to_chars(out, end, cycles[y]).ptr;
      *out++ = '\n';
      block.append(line, out);
    }
    if (block.size() >= (1u << 16)) flush();
  }
  flush();
  if (std::fclose(file) != 0) ok = false;
  if (!ok) {
    error = std::strerror(errno != 0 ? errno : EIO);
    return false;
  }
  return true;
}
