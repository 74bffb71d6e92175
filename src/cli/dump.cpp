#include "cli/dump.h"

#include <charconv>

#include "core/TOutputTarget.h"
#include "engine/TFractArray.h"

bool WriteDump(const TFractArray& array, TOutputTarget& output, std::string& error) {
  bool ok = true;
  std::string block = "x\ty\tdepth\tcycle\n";
  const auto flush = [&] {
    ok = ok && output.Write(block.data(), block.size());
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
  if (!ok) error = output.Reason();
  return ok;
}
