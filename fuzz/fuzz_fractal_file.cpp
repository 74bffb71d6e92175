// The fractal file: bytes through the tokenizer, the grammar, the colouring and parameter
// readers, then a small computation and painting of what was read. A refusal names its reason
// and keeps the records; records read save to a file that reads back the same.
#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <utility>

#include "core/TXMLComplexElement.h"
#include "document/TStoredFractal.h"
#include "document/fractalfile.h"
#include "engine/TFractArray.h"
#include "engine/kernels.h"
#include "fuzzsupport.h"
#include "render/TPixelBuffer.h"
#include "render/painting.h"

namespace {

std::string Text(const TStoredFractal& f) {
  std::string out;
  f.View.WriteXML()->Write(out, 0);
  f.Params.WriteXML()->Write(out, 0);
  return out;
}

// Whatever a file holds must be within the ranges the kernels assume.
void CheckInRange(const TKernelParams& p) {
  FUZZ_CHECK(p.XResolution >= 1 && p.YResolution >= 1);
  FUZZ_CHECK(p.MaxDepth >= 1 && p.MaxCycle >= 0);
  FUZZ_CHECK(p.N >= 1 && p.M >= 1);
  FUZZ_CHECK(p.OuterCircle > 1);
  FUZZ_CHECK(p.InnerDist > 0 && p.InnerDist < 1);
  FUZZ_CHECK(p.Formula >= 0 && p.Formula < FormulaCount);
  FUZZ_CHECK(p.MapField >= TKernelParams::MapZ && p.MapField <= TKernelParams::MapD);
}

// A few pixels of the picture, at a shallow limit so that every input stays fast, painted with
// the colouring read.
void ComputeAndPaint(const TStoredFractal& f) {
  TKernelParams p = f.Params.KernelParams();
  p.XResolution = std::min(p.XResolution, 6);
  p.YResolution = std::min(p.YResolution, 6);
  p.MaxDepth = std::min(p.MaxDepth, 60);
  TFractArray array(p.XResolution, p.YResolution);
  FUZZ_CHECK(ComputeBand(p, array, {0, 0, p.XResolution, p.YResolution}, p.XResolution));
  TPixelBuffer surface(9, 7);
  PaintRect(surface, {0, 0, 9, 7}, {0, 0, 9, 7}, &array, f.View, p.MaxCycle, false);
}

// Every area a file holds opens again as the same area: no bound moves by half a pixel.
void CheckSameArea(const TFractProps& written, const TFractProps& read) {
  const auto check = [](const unitFactor& a, const unitFactor& b, const unitFactor& readA,
                        const unitFactor& readB, int resolution) {
    const long double pixel =
        std::fabs(static_cast<long double>(b.GetDouble()) - a.GetDouble()) / resolution;
    if (!std::isfinite(a.GetDouble()) || !std::isfinite(b.GetDouble()) || !std::isfinite(pixel))
      return;
    for (const auto& [before, after] : {std::pair{&a, &readA}, std::pair{&b, &readB}}) {
      const long double moved =
          std::fabs(static_cast<long double>(after->GetDouble()) - before->GetDouble());
      FUZZ_CHECK(moved == 0 || 2 * moved < pixel);
    }
  };
  check(written.Left, written.Right, read.Left, read.Right, written.XResolution.GetInt());
  check(written.Bottom, written.Top, read.Bottom, read.Top, written.YResolution.GetInt());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  static TFuzzPresenter presenter;
  TStoredFractal fractal;
  const std::string before = Text(fractal);

  TFuzzStream in(data, size);
  std::string error;
  if (!ReadFractalStream(in, fractal, error)) {
    FUZZ_CHECK(!error.empty());
    FUZZ_CHECK(Text(fractal) == before);
    return 0;
  }
  CheckInRange(fractal.Params.KernelParams());
  ComputeAndPaint(fractal);

  std::string saved;
  FUZZ_CHECK(FractalFileText(fractal, saved, error));
  TStoredFractal again;
  std::istringstream back(saved);
  FUZZ_CHECK(ReadFractalStream(back, again, error));
  FUZZ_CHECK(SameFileText(Text(again), Text(fractal)));
  CheckSameArea(fractal.Params, again.Params);
  return 0;
}
