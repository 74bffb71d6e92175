// Bytes per second of the file readers: an ordinary fractal file, palettes of many stops read
// in full, and a file of tiny tokens that is refused at its first text but read to its end.
// Memory is checked by the tests (the peak of the tiny tokens in a child process).
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "core/xmlread.h"
#include "document/TStoredFractal.h"
#include "document/fractalfile.h"
#include "render/TColorPalette1DItem.h"

namespace {

std::string DefaultFractalFile() {
  std::string bytes;
  std::string error;
  FractalFileText(TStoredFractal(), bytes, error);
  return bytes;
}

std::string PaletteFile(int stops) {
  TColorPalette1DItem palette(0x000000, 0xFFFFFF);
  for (int i = 1; i <= stops; ++i)
    palette.AddItem(unitFactorPosMoreLess1(double(i) / (stops + 1)), 0x0000FF + i);
  return palette.ToFileText();
}

std::string TinyTokens(size_t bytes) {
  std::string text = "<?xml?>\r\n<!DOCTYPE UnitFractal>\r\n";
  while (text.size() < bytes) text += "x<a>";
  return text;
}

void Read(benchmark::State& state, const std::string& bytes, const TDTDCompound& grammar,
          TXMLReadOutcome expected) {
  for (auto _ : state) {
    std::istringstream in(bytes);
    const TXMLReadResult result = ReadXMLStream(in, grammar);
    if (result.Outcome != expected) state.SkipWithError("unexpected outcome");
    benchmark::DoNotOptimize(result.Root.get());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

void BM_ReadFractalFile(benchmark::State& state) {
  Read(state, DefaultFractalFile(), FractalFileGrammar(), TXMLReadOutcome::Read);
}

void BM_ReadPaletteFile(benchmark::State& state) {
  Read(state, PaletteFile(static_cast<int>(state.range(0))), TColorPalette1DItem::FileGrammar(),
       TXMLReadOutcome::Read);
}

void BM_RefuseTinyTokens(benchmark::State& state) {
  Read(state, TinyTokens(size_t(state.range(0)) << 20), FractalFileGrammar(),
       TXMLReadOutcome::Failed);
}

}  // namespace

BENCHMARK(BM_ReadFractalFile);
BENCHMARK(BM_ReadPaletteFile)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefuseTinyTokens)->Arg(16)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
