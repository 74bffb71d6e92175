// Deep views in the program: the area kept in full by the parameter record, the choice
// between the double and the deep kernel, and the zoom arithmetic in MPFR.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <string>

#include "engine/TCallQueue.h"
#include "engine/TComputePool.h"
#include "engine/TFractArray.h"
#include "engine/TFractProps.h"
#include "engine/TThreadVolumeWriter.h"
#include "engine/deep/deepbounds.h"
#include "engine/deep/deepkernel.h"
#include "engine/deep/deepzoom.h"
#include "engine/deep/mpfriteration.h"
#include "engine/kernels.h"
#include "support/TRecordingView.h"
#include "support/fractarrays.h"
#include "support/formulaids.h"

namespace {

using namespace std::chrono_literals;

class TNoColumns : public TColumnSink {
public:
  void ColumnFinished(int) override {}
};

// A 16 x 16 view of the given width around (re, 0), its bounds as decimal texts.
TFractProps ViewAround(const std::string& re, const std::string& width, int map) {
  TFractProps p;
  p.XResolution.SetInt(16);
  p.YResolution.SetInt(16);
  p.MapField = static_cast<uint8_t>(map);
  p.CR.SetDouble(0.0);
  p.CI.SetDouble(1.0);
  p.MaxCycle.SetInt(3);
  TDeepParams d = p.DeepParams();
  std::string error;
  EXPECT_TRUE(SetDeepViewAround(d, re, "0", width, error)) << error;
  EXPECT_TRUE(p.SetDeepArea(d.Left, d.Top, d.Right, d.Bottom, error)) << error;
  return p;
}

// The array the writer computes for `p` with the plan DeepPlanFor gives.
std::unique_ptr<TFractArray> WriterPicture(const TFractProps& p, TComputePool& pool,
                                           TThreadVolumeWriter::TKernel kernel,
                                           TThreadVolumeWriter::TProgress progress) {
  const TKernelParams params = p.KernelParams();
  auto array = std::make_unique<TFractArray>(params.XResolution, params.YResolution);
  TRecordingView view(*array);
  TCallQueue gui;
  TThreadVolumeWriter::TOptions options;
  options.Kernel = kernel;
  options.Progress = progress;
  options.Pool = &pool;
  options.Deep = DeepPlanFor(p);
  TThreadVolumeWriter writer(view, *array, params, gui, options);
  writer.Resume();
  EXPECT_TRUE(gui.ProcessUntil([&] { return view.Ended == 1; }, 120s));
  writer.WaitFor();
  EXPECT_TRUE(view.Final);
  EXPECT_EQ(array->ColumnsDone.load(), params.XResolution);
  return array;
}

// log2 of |text - value|, -infinity when equal.
double Log2Distance(const std::string& text, const TMpfr& value) {
  TMpfr read(64);
  std::string message;
  EXPECT_TRUE(ParseDecimal(text, read, message)) << text;
  TMpfr d(value.Precision() + read.Precision());
  mpfr_sub(d.Get(), read.Get(), value.Get(), MPFR_RNDN);
  return mpfr_zero_p(d.Get()) ? -INFINITY : Log2Abs(d.ToFloatExp());
}

}  // namespace

TEST(DeepView, ViewsJustAboveTheThresholdUseTheDoubleKernelsAndJustBelowTheDeepOne) {
  // With |bounds| near 1.25 (pixel as c around -1.25; pixel as z around 0.5 with c = i, where
  // the first step's growth 2|z| over |z^2 + c| is 1 / 1.25) the threshold width of 16 pixels
  // is 16 * 1.25 * 2^-40.
  const double threshold = 16 * 1.25 * std::ldexp(1.0, -40);
  TComputePool pool(2);
  const struct {
    int Map;
    const char* Re;
    double Factor;
    bool Deep;
    bool KeepTexts;
  } rows[] = {
      {TKernelParams::MapC, "-1.25", 1.03, false, true},
      {TKernelParams::MapC, "-1.25", 0.97, true, true},
      {TKernelParams::MapC, "-1.25", 0.97, true, false},
      {TKernelParams::MapZ, "0.5", 1.03, false, false},
      {TKernelParams::MapZ, "0.5", 0.97, true, true},
      {TKernelParams::MapD, "0.5", 0.97, true, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.Map) + " " + std::to_string(row.Factor));
    char width[64];
    std::snprintf(width, sizeof width, "%.20f", threshold * row.Factor);
    TFractProps p = ViewAround(row.Re, width, row.Map);
    if (!row.KeepTexts) p.ClearDeepArea();
    EXPECT_EQ(p.UsesDeepKernel(), row.Deep);
    EXPECT_EQ(DeepPlanFor(p) != nullptr, row.Deep);
    std::unique_ptr<TFractArray> expected;
    if (row.Deep) {
      std::string error;
      auto plan = TDeepPlan::Create(p.DeepParams(), error);
      ASSERT_TRUE(plan) << error;
      expected = std::make_unique<TFractArray>(16, 16);
      TNoColumns sink;
      ASSERT_TRUE(ComputeDeepBandColumnsScalar(*plan, *expected, {0, 0, 16, 16}, nullptr, sink));
    } else {
      expected = ComputeWhole(p.KernelParams());
    }
    using TK = TThreadVolumeWriter::TKernel;
    using TP = TThreadVolumeWriter::TProgress;
    for (const auto& [kernel, progress] : {std::pair{TK::Fast, TP::Coalesced},
                                           {TK::Reference, TP::Coalesced},
                                           {TK::Fast, TP::EachBand}}) {
      const auto array = WriterPicture(p, pool, kernel, progress);
      EXPECT_TRUE(SameCells(*array, *expected));
    }
  }
  // Every formula goes deep, those without a deep degree on the general path.
  TFractProps other = ViewAround("-1.25", "0.000000000000000000000001", TKernelParams::MapC);
  other.Formula = formula::ZN;
  EXPECT_TRUE(other.UsesDeepKernel());
  const auto plan = DeepPlanFor(other);
  ASSERT_NE(plan, nullptr);
  EXPECT_TRUE(plan->Generic());
}

// Long orbits carry the roundings of double steps far: views with a large MaxDepth go deep
// well above the 2^-40 where short orbits go, for every formula.
TEST(DeepView, TheSwitchToTheDeepKernelComesSoonerForLongerOrbits) {
  // |bounds| near 1.25 as above; the pixel as c or, with c = i around z = 0.5, as z or d.
  for (int formula : {formula::Z2, formula::Z3, formula::Z4, formula::ZN, formula::Exp})
    for (int map : {TKernelParams::MapZ, TKernelParams::MapC, TKernelParams::MapD})
      for (int32_t maxDepth : {200, 500, 800, 1000, 2000, 20000, 100000, 2000000}) {
        const double limit = DoubleLimitLog2(formula, map, maxDepth);
        SCOPED_TRACE("formula " + std::to_string(formula) + " map " + std::to_string(map) +
                     " MaxDepth " + std::to_string(maxDepth) + " limit " +
                     std::to_string(limit));
        ASSERT_TRUE(DeepKernelSupports(formula));
        // Short orbits keep the switch at 2^-40.
        if (maxDepth <= 500)
          EXPECT_EQ(limit, DeepThresholdLog2);
        else
          EXPECT_GT(limit, DeepThresholdLog2);
        EXPECT_LE(limit, -8.0);
        // Never later for a longer orbit.
        EXPECT_GE(DoubleLimitLog2(formula, map, maxDepth + 1), limit);
        const char* re = map == TKernelParams::MapC ? "-1.25" : "0.5";
        // The first step's growth around z = 0.5 is that of z^2 + c (z^3 and z^4 grow
        // differently there): the width below is the limit for the others.
        if (map != TKernelParams::MapC && DeepDegree(formula) > 2) continue;
        for (double factor : {1.03, 0.97}) {
          char width[64];
          std::snprintf(width, sizeof width, "%.40f", 16 * 1.25 * std::exp2(limit) * factor);
          TFractProps p = ViewAround(re, width, map);
          p.Formula = static_cast<uint8_t>(formula);
          p.MaxDepth.SetInt(maxDepth);
          EXPECT_EQ(p.UsesDeepKernel(), factor < 1) << width;
          EXPECT_EQ(NeedsDeepKernel(p.KernelParams()), factor < 1) << width;
        }
      }
}

// A view that showed it: 2^-28 of its coordinates per pixel near the seahorse valley, MaxDepth
// 2000. The double kernel puts a pixel that escapes after 884 steps at 889; the deep kernel,
// which the view now takes, gives MPFR's depth.
TEST(DeepView, AViewWhereDoublesGoWrongIsComputedDeep) {
  TDeepParams d;
  d.XResolution = 160;
  d.YResolution = 120;
  d.MapField = TKernelParams::MapC;
  d.MaxDepth = 2000;
  d.MaxCycle = 0;
  const std::string re = "-0.743585937685774390620070523430581679624969325";
  std::string error;
  ASSERT_TRUE(SetDeepViewAround(d, re, "0.1317843280310277813073153174335390802318781109375",
                                ExactDecimal(std::ldexp(std::fabs(std::stod(re)), -28) * 160),
                                error));
  ASSERT_TRUE(NeedsDeepKernel(d));
  auto plan = TDeepPlan::Create(d, error);
  ASSERT_TRUE(plan) << error;
  TFractArray deep(160, 120), shallow(160, 120);
  TNoColumns sink;
  ASSERT_TRUE(ComputeDeepBandColumnsScalar(*plan, deep, {25, 55, 26, 56}, nullptr, sink));
  ASSERT_TRUE(ComputeBand(DoubleParamsFrom(d), shallow, {25, 55, 26, 56}, 160));
  const TMpfrPointResult exact =
      IterateDeepPointMpfr(d, plan->Area(), 25, 55, plan->Precision() + 64);
  EXPECT_NEAR(exact.Depth * 2000, 884.04, 0.01);
  EXPECT_NEAR(deep.GetDepth(25, 55) * 2000, exact.Depth * 2000, 0.01);
  EXPECT_GT(std::fabs(shallow.GetDepth(25, 55) - exact.Depth) * 2000, 4.0);
}

TEST(DeepView, TheRecordCarriesItsTextsWhileTheDoublesAreTheirRoundings) {
  const std::string left = "-0.7436438870371587052019531250000001";
  const std::string right = "-0.7436438870371587052019531249999999";
  const std::string top = "0.13182590420531197049313108840000001";
  const std::string bottom = "0.13182590420531197049313108839999999";
  TFractProps p;
  std::string error;
  ASSERT_TRUE(p.SetDeepArea(left, top, right, bottom, error)) << error;
  EXPECT_EQ(p.Left.GetDouble(), -0.7436438870371587);
  EXPECT_EQ(p.Top.GetDouble(), 0.13182590420531197);
  EXPECT_TRUE(p.HasDeepArea());
  EXPECT_TRUE(p.UsesDeepKernel());
  EXPECT_EQ(p.DeepParams().Right, right);

  // Copies (duplicates, Julia windows, defaults, undo states) carry the texts.
  const TFractProps copy = p;
  EXPECT_TRUE(copy.HasDeepArea());
  EXPECT_EQ(copy.DeepParams().Bottom, bottom);

  // A new double retires the texts: the doubles are the area again.
  TFractProps moved = p;
  moved.Right.SetDouble(-0.5);
  EXPECT_FALSE(moved.HasDeepArea());
  EXPECT_EQ(moved.DeepParams().Right, "-0.5");
  EXPECT_FALSE(moved.UsesDeepKernel());

  const struct {
    std::string Text;
    const char* Error;
  } bad[] = {{"1e-5", "In Left: Value is not a plain decimal number."},
             {"", "In Left: Input has no value."},
             {"1" + std::string(400, '0'), "In Left: Value is out of range."},
             {"0." + std::string(MaxDecimalDigits, '1'), "In Left: Value is out of range."}};
  for (const auto& row : bad) {
    const std::string& text = row.Text;
    TFractProps kept = p;
    EXPECT_FALSE(kept.SetDeepArea(text, top, right, bottom, error));
    EXPECT_EQ(error, row.Error);
    EXPECT_EQ(kept.DeepParams().Left, left);
  }
  p.ClearDeepArea();
  EXPECT_FALSE(p.HasDeepArea());
  EXPECT_EQ(p.DeepParams().Left, ExactDecimal(p.Left.GetDouble()));
}

TEST(DeepView, ZoomsInAndOutInFullPrecision) {
  // 400 x 400 client pixels; each zoom in takes the middle half, each zoom out the reverse.
  TDeepParams p;
  p.XResolution = p.YResolution = 400;
  p.Left = "-2";
  p.Right = "1";
  p.Top = "1.5";
  p.Bottom = "-1.5";
  const auto read = [](const std::string& text) {
    TMpfr value(64);
    std::string message;
    EXPECT_TRUE(ParseDecimal(text, value, message)) << text;
    return value;
  };
  // Each new bound lies within 1/1000 of a new pixel of begin + (end - begin) * k / 4.
  const auto check = [&](const TDeepParams& before, const TBoundTexts& after, long k0,
                         long k1, double pixelLog2) {
    const mpfr_prec_t bits = 4000;
    const std::string* begin[4] = {&before.Left, &before.Top, &before.Left, &before.Top};
    const std::string* end[4] = {&before.Right, &before.Bottom, &before.Right, &before.Bottom};
    for (int i = 0; i < 4; ++i) {
      TMpfr a = read(*begin[i]), b = read(*end[i]), exact(bits);
      mpfr_sub(exact.Get(), b.Get(), a.Get(), MPFR_RNDN);
      mpfr_mul_si(exact.Get(), exact.Get(), i < 2 ? k0 : k1, MPFR_RNDN);
      mpfr_div_si(exact.Get(), exact.Get(), 4, MPFR_RNDN);
      mpfr_add(exact.Get(), exact.Get(), a.Get(), MPFR_RNDN);
      EXPECT_LT(Log2Distance(after[static_cast<size_t>(i)], exact),
                pixelLog2 - std::log2(1000.0))
          << i;
    }
  };
  double pixel = std::log2(3.0 / 400);
  for (int zoom = 1; zoom <= 600; ++zoom) {
    SCOPED_TRACE(zoom);
    TBoundTexts b;
    ASSERT_TRUE(ZoomDeepBounds(p, 400, 400, 100, 100, 300, 300, true, b));
    pixel -= 1;
    check(p, b, 1, 3, pixel);
    p.Left = b[0];
    p.Top = b[1];
    p.Right = b[2];
    p.Bottom = b[3];
    if (zoom == 200) {
      EXPECT_EQ(DeepWidthText(p), "width 1.9e-60");
    }
  }
  EXPECT_EQ(DeepWidthText(p), "width 7.2e-181");
  EXPECT_TRUE(NeedsDeepKernel(p));
  // Zooming out maps the view onto the selection: the new bounds are 2 view widths apart.
  for (int zoom = 0; zoom < 600; ++zoom) {
    SCOPED_TRACE(zoom);
    TBoundTexts b;
    ASSERT_TRUE(ZoomDeepBounds(p, 400, 400, 100, 100, 300, 300, false, b));
    pixel += 1;
    check(p, b, -2, 6, pixel);
    p.Left = b[0];
    p.Top = b[1];
    p.Right = b[2];
    p.Bottom = b[3];
  }
  EXPECT_EQ(DeepWidthText(p), "width 3.0e+00");
  EXPECT_FALSE(NeedsDeepKernel(p));

  // A selection without width maps nothing.
  TBoundTexts unchanged = {"a", "b", "c", "d"};
  EXPECT_FALSE(ZoomDeepBounds(p, 400, 400, 100, 100, 100, 300, true, unchanged));
  EXPECT_EQ(unchanged[0], "a");
}

TEST(DeepView, RoundedBoundsKeepTheirPlaceWithinAThousandthOfAPixel) {
  for (int exponent : {20, 100, 300}) {
    SCOPED_TRACE(exponent);
    TDeepParams p;
    p.XResolution = 640;
    p.YResolution = 480;
    std::string error;
    const std::string width = "0." + std::string(static_cast<size_t>(exponent - 1), '0') + "1";
    ASSERT_TRUE(SetDeepViewAround(p, "-1.7499576837060935036022145060706997072711057972625",
                                  "0.0000000001", width, error))
        << error;
    // The same bounds with many more digits than the pixels need.
    TDeepParams exact = p;
    for (std::string* text : {&exact.Left, &exact.Top, &exact.Right, &exact.Bottom})
      *text += "0000000000000000000000000000000000123456789123456789";
    const TBoundTexts rounded = RoundedDeepBounds(exact);
    for (int i = 0; i < 4; ++i) {
      EXPECT_TRUE(BoundTextPlacesBound(exact, i, rounded[static_cast<size_t>(i)])) << i;
      EXPECT_LT(rounded[static_cast<size_t>(i)].size(), exact.Left.size() - 40) << i;
    }
    EXPECT_TRUE(BoundTextPlacesBound(exact, 0, p.Left));
    EXPECT_FALSE(BoundTextPlacesBound(exact, 0, p.Right));
    EXPECT_FALSE(BoundTextPlacesBound(exact, 1, p.Bottom));
  }
}
