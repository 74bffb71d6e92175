// The plan of a zoom movie: frames, keyframes, the fixed point and the constant zoom.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "document/TStoredFractal.h"
#include "document/fractalfile.h"
#include "movie/TMoviePlan.h"
#include "support/fixturefractal.h"

namespace {

TStoredFractal Seahorse() { return FixtureFractal("movie/seahorse.zlf"); }

TMovieSettings Small(double seconds, double fps) {
  TMovieSettings s;
  s.Width = 64;
  s.Height = 48;
  s.Seconds = seconds;
  s.FramesPerSecond = fps;
  return s;
}

TMoviePlan PlanOf(const TMovieSettings& settings, const TStoredFractal& end = Seahorse()) {
  TMoviePlan plan;
  std::string error;
  EXPECT_TRUE(TMoviePlan::Make(end, nullptr, settings, plan, error)) << error;
  return plan;
}

// A frame's area in the plane, from its keyframe's area and its part of the keyframe.
struct TArea {
  double Left, Top, Width, Height;
};

TArea FrameArea(const TMoviePlan& plan, int frame) {
  const TMoviePlan::TSource s = plan.Frame(frame);
  TStoredFractal key;
  std::string error;
  EXPECT_TRUE(plan.Keyframe(s.Key, key, error)) << error;
  const TKernelParams k = key.Params.KernelParams();
  const double keyWidth = k.Right - k.Left;
  const double keyHeight = k.Top - k.Bottom;
  return {k.Left + s.Left / plan.KeyWidth() * keyWidth, k.Top - s.Top / plan.KeyHeight() * keyHeight,
          s.Width / plan.KeyWidth() * keyWidth, s.Height / plan.KeyHeight() * keyHeight};
}

}  // namespace

// The seahorse view is 0.004 x 0.003; the formula's whole view, widened to 4:3, is 4 wide:
// log2(1000) = 9.97 doublings, so ten keyframes past the first.
TEST(MoviePlan, FramesAndKeyframesFollowFromLengthRateAndZoom) {
  struct TRow {
    double Seconds, Fps, ZoomPerSecond;
    bool FullFrames;
    int Frames, Keyframes;
  } rows[] = {
      {2.5, 10, 2, false, 25, 11},
      {0, 10, 2, false, 100, 11},  // 9.97 doublings at one a second
      {0, 24, 10, false, 72, 11},  // 3 decades
      {1.0, 30, 2, true, 30, 30},  // every frame its own
      {0.01, 30, 2, false, 2, 11},  // never fewer than the two ends
  };
  for (const TRow& row : rows) {
    TMovieSettings s = Small(row.Seconds, row.Fps);
    s.ZoomPerSecond = row.ZoomPerSecond;
    s.FullFrames = row.FullFrames;
    const TMoviePlan plan = PlanOf(s);
    EXPECT_EQ(plan.FrameCount(), row.Frames) << row.Seconds << " " << row.Fps;
    EXPECT_EQ(plan.KeyframeCount(), row.Keyframes) << row.Seconds << " " << row.Fps;
    EXPECT_NEAR(plan.Log2Zoom(), std::log2(1000.0), 1e-12);
    EXPECT_EQ(plan.KeyWidth(), row.FullFrames ? 64 : 128);
    EXPECT_EQ(plan.KeyHeight(), row.FullFrames ? 48 : 96);
  }
}

TEST(MoviePlan, EveryFrameIsAShrunkPartOfItsKeyframeAndTheZoomIsConstant) {
  for (const bool zoomIn : {false, true}) {
    TMovieSettings s = Small(3.3, 10);
    s.ZoomIn = zoomIn;
    const TMoviePlan plan = PlanOf(s);
    double previous = 0;
    for (int i = 0; i < plan.FrameCount(); ++i) {
      const TMoviePlan::TSource f = plan.Frame(i);
      ASSERT_GE(f.Key, 0);
      ASSERT_LT(f.Key, plan.KeyframeCount());
      EXPECT_GE(f.Left, 0) << i;
      EXPECT_GE(f.Top, 0) << i;
      EXPECT_LE(f.Left + f.Width, plan.KeyWidth() + 1e-9) << i;
      EXPECT_LE(f.Top + f.Height, plan.KeyHeight() + 1e-9) << i;
      // Each frame pixel covers one to two keyframe pixels: never stretched, and the
      // keyframe is the smallest that holds the frame.
      EXPECT_GE(f.Width / s.Width, 1.0) << i;
      EXPECT_LE(f.Width / s.Width, 2.0 + 1e-12) << i;
      EXPECT_NEAR(f.Height / f.Width, 0.75, 1e-12) << i;
      const double width = std::ldexp(f.Width, f.Key);  // in units of the deepest keyframe
      if (i > 0) {
        const double zoom = zoomIn ? previous / width : width / previous;
        EXPECT_NEAR(zoom, plan.ZoomPerFrame(), 1e-9 * zoom) << i;
      }
      previous = width;
    }
  }
}

TEST(MoviePlan, TheMovieRunsFromTheFilesViewToTheWholeSetAboutOneFixedPoint) {
  const TMoviePlan plan = PlanOf(Small(2, 10));
  const TArea first = FrameArea(plan, 0);
  EXPECT_NEAR(first.Left, -0.7455, 1e-12);
  EXPECT_NEAR(first.Top, 0.1329, 1e-12);
  EXPECT_NEAR(first.Width, 0.004, 1e-12);
  // The whole view -2.25 .. 0.75 x -1.5 .. 1.5, widened to 4:3 around its centre.
  const TArea last = FrameArea(plan, plan.FrameCount() - 1);
  const double pixel = 4.0 / 64;
  EXPECT_NEAR(last.Left, -2.75, 1e-4 * pixel);
  EXPECT_NEAR(last.Top, 1.5, 1e-4 * pixel);
  EXPECT_NEAR(last.Width, 4.0, 1e-4 * pixel);
  EXPECT_NEAR(last.Height, 3.0, 1e-4 * pixel);
  // The point at (U, V) of the frame is the same plane point in every frame, up to the
  // rounding of the keyframes' bounds to 1/10000 of their pixels.
  const double x0 = first.Left + plan.U() * first.Width;
  const double y0 = first.Top - plan.V() * first.Height;
  for (int i = 1; i < plan.FrameCount(); ++i) {
    const TArea a = FrameArea(plan, i);
    const double pixel = a.Width / 64;
    EXPECT_NEAR(a.Left + plan.U() * a.Width, x0, 1e-4 * pixel) << i;
    EXPECT_NEAR(a.Top - plan.V() * a.Height, y0, 1e-4 * pixel) << i;
  }
}

TEST(MoviePlan, KeyframesOfADeepViewKeepItsDigits) {
  const TStoredFractal deep = FixtureFractal("cli/deep.zlf");
  std::string error;
  TMoviePlan plan;
  ASSERT_TRUE(TMoviePlan::Make(deep, nullptr, Small(4, 10), plan, error)) << error;
  TStoredFractal key;
  ASSERT_TRUE(plan.Keyframe(0, key, error)) << error;
  // 3e-60 wide around i: the keyframe is the file's view, widened from 3:2 to 4:3.
  EXPECT_TRUE(key.Params.UsesDeepKernel());
  EXPECT_EQ(key.Params.KernelParams().XResolution, 128);
  EXPECT_EQ(key.Params.DeepLeft, "-0.0000000000000000000000000000000000000000000000000000000000015");
  EXPECT_EQ(key.Params.DeepTop, "1.000000000000000000000000000000000000000000000000000000000001125");
  ASSERT_TRUE(plan.Keyframe(plan.KeyframeCount() - 1, key, error)) << error;
  EXPECT_FALSE(key.Params.UsesDeepKernel());
}

TEST(MoviePlan, RefusesSettingsThatMakeNoMovie) {
  const TStoredFractal end = Seahorse();
  struct TRow {
    const char* Case;
    TMovieSettings Settings;
    const TFractProps* Start;
    std::string Error;
  };
  TMovieSettings tiny = Small(1, 10);
  tiny.Width = 1;
  TMovieSettings noRate = Small(1, 0);
  TMovieSettings noZoom = Small(0, 10);
  noZoom.ZoomPerSecond = 1;
  TMovieSettings smallKeys = Small(1, 10);
  smallKeys.KeyWidth = 100;
  smallKeys.KeyHeight = 75;
  TMovieSettings otherShape = Small(1, 10);
  otherShape.KeyWidth = 200;
  otherShape.KeyHeight = 100;
  const std::vector<TRow> rows = {
      {"tiny", tiny, nullptr, "the frame size must be from 2 to 32768 pixels a side"},
      {"no rate", noRate, nullptr, "the frame rate must be above 0 and at most 1000 frames a second"},
      {"no zoom", noZoom, nullptr, "the zoom factor a second must be above 1"},
      {"small keys", smallKeys, nullptr,
       "keyframes must be at least twice the frame's size, with the frame's shape"},
      {"other shape", otherShape, nullptr,
       "keyframes must be at least twice the frame's size, with the frame's shape"},
      {"start is the end", Small(1, 10), &end.Params,
       "the wide view must be wider than the fractal's view"},
  };
  for (const TRow& row : rows) {
    TMoviePlan plan;
    std::string error;
    EXPECT_FALSE(TMoviePlan::Make(end, row.Start, row.Settings, plan, error)) << row.Case;
    EXPECT_EQ(error, row.Error) << row.Case;
  }
}

TEST(MoviePlan, KeyframeNamesChangeWithWhatChangesTheKeyframesAlone) {
  const TStoredFractal end = Seahorse();
  const std::string base = PlanOf(Small(2, 10)).Fingerprint();
  ASSERT_EQ(base.size(), 16u);
  // Length, rate and direction only change which frames are made of the keyframes.
  TMovieSettings other = Small(5, 24);
  other.ZoomIn = true;
  EXPECT_EQ(PlanOf(other).Fingerprint(), base);
  // A smaller movie from the same keyframes.
  TMovieSettings smaller = Small(2, 10);
  smaller.Width = 32;
  smaller.Height = 24;
  smaller.KeyWidth = 128;
  smaller.KeyHeight = 96;
  EXPECT_EQ(PlanOf(smaller).Fingerprint(), base);
  TStoredFractal recoloured = end;
  recoloured.View.MaxDepthColor = 0x123456;
  EXPECT_NE(PlanOf(Small(2, 10), recoloured).Fingerprint(), base);
  TMovieSettings bigger = Small(2, 10);
  bigger.KeyWidth = 256;
  bigger.KeyHeight = 192;
  EXPECT_NE(PlanOf(bigger).Fingerprint(), base);
  TMovieSettings full = Small(2, 10);
  full.FullFrames = true;
  EXPECT_NE(PlanOf(full).Fingerprint(), base);
}
