#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "engine/TFractArray.h"
#include "render/TPixelBuffer.h"
#include "render/TVoldViewProps.h"
#include "render/painting.h"

namespace {

constexpr uint32_t Untouched = 0x123456;  // not a grey: no cell of the tests paints it

uint32_t Rgb(int red, int green, int blue) { return red + green * 256 + blue * 65536; }

// Outside cells painted in 255 greys: a cell of class k (0..254) is grey k, so a pixel tells
// which cell painted it.
TVoldViewProps GreyScale() {
  TVoldViewProps props;
  props.SensOutside = SensNormal;
  props.StrengthOutside = unitFactorPosMore(1.0);
  props.BackgroundColorOutside = 0x000000;
  props.ForegroundColorOutside = 0xFFFFFF;
  return props;
}

float DepthOfClass(int k) { return static_cast<float>((k + 0.5) / 255.0); }

// The class of the cell that painted the pixel, or -1 when no cell did.
int ClassAt(const TPixelBuffer& surface, int x, int y) {
  const uint32_t c = surface.Get(x, y);
  const uint32_t red = c & 0xFF;
  return c == red * 0x010101u ? static_cast<int>(red) : -1;
}

// An array whose cell (i, j) has class `classOf(i, j)`, every column finished.
template <class F>
std::unique_ptr<TFractArray> ClassArray(int columns, int rows, F classOf) {
  auto array = std::make_unique<TFractArray>(columns, rows);
  for (int i = 0; i < columns; ++i)
    for (int j = 0; j < rows; ++j) {
      array->SetDepth(i, j, DepthOfClass(classOf(i, j)));
      array->SetCycle(i, j, 0);
    }
  array->ColumnsDone = columns;
  return array;
}

std::unique_ptr<TFractArray> ColumnArray(int columns, int rows) {
  return ClassArray(columns, rows, [](int i, int) { return i % 255; });
}

std::vector<int> RowClasses(const TPixelBuffer& surface, int y) {
  std::vector<int> classes;
  for (int x = 0; x < surface.Width(); ++x) classes.push_back(ClassAt(surface, x, y));
  return classes;
}

TRect Whole(const TPixelBuffer& surface) { return {0, 0, surface.Width(), surface.Height()}; }

void PaintAll(TPixelBuffer& surface, const std::unique_ptr<TFractArray>& array,
              const TVoldViewProps& props) {
  PaintRect(surface, Whole(surface), Whole(surface), array.get(), props, 3, false);
}

// Last cell (in painting order) whose box, as the closed formula gives it in exact integer
// arithmetic, holds pixel p: cell i spans trunc(i*W/n) .. trunc((i+1)*W/n - 1).
int OwnerByFormula(int p, int cells, int pixels) {
  int owner = -1;
  for (int i = 0; i < cells; ++i) {
    const long long low = static_cast<long long>(i) * pixels / cells;
    const long long high = (static_cast<long long>(i + 1) * pixels - cells) / cells;
    if (low <= p && p <= high) owner = i;
  }
  return owner;
}

TEST(ColorOf, FollowsTheWorkedExamples) {
  const TVoldViewProps defaults;
  TVoldViewProps maxDepthRed;
  maxDepthRed.MaxDepthColor = 0x0000FF;
  TVoldViewProps strong;
  strong.StrengthOutside = unitFactorPosMore(1000.0);
  strong.StrengthInside = unitFactorPosMore(1000.0);
  struct {
    const char* Name;
    const TVoldViewProps& Props;
    double Depth;
    int32_t Cycle;
    int32_t MaxCycle;
    uint32_t Expected;
  } cases[] = {
      {"a quarter of the depth gives the full foreground", defaults, 0.25, 0, 3, 0xFF8000},
      {"1/100 of the depth: green 32, blue 63", defaults, 0.01, 0, 3, Rgb(0, 32, 63)},
      // A cell stores 1/100 as the float just below it: t just below 0.25.
      {"1/100 as a cell stores it", defaults, 0.01f, 0, 3, Rgb(0, 31, 63)},
      {"depth 0 is MaxDepthColor", maxDepthRed, 0.0f, 0, 3, 0x0000FF},
      {"depth 0 ignores its cycle", maxDepthRed, 0.0f, 2, 3, 0x0000FF},
      {"negative zero is depth 0", maxDepthRed, -0.0f, 1, 3, 0x0000FF},
      // Inside: SensNormal, strength 3.5, black to red 255 green 128: t = 0.35.
      {"inside mix", defaults, -0.1f, 1, 3, Rgb(89, 44, 0)},
      {"inside with MaxCycle 1", defaults, -0.1f, 1, 1, Rgb(89, 44, 0)},
      {"a strong outside strength stops at the foreground", strong, 0.001f, 0, 3, 0xFF8000},
      {"a strong inside strength stops at the foreground", strong, -0.001f, 2, 3, 0x0080FF},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ColorOf(c.Depth, c.Cycle, c.Props, c.MaxCycle), c.Expected) << c.Name;
}

TEST(ColorOf, AppliesEachSensitivityCurveBeforeTheStrength) {
  struct {
    TSensitivity Sensitivity;
    double Strength;
    float Depth;
    int Grey;
  } cases[] = {
      {SensLow, 1.0, 0.5f, 63},         // 0.25
      {SensLow, 2.0, 0.5f, 127},        // 2 * 0.25
      {SensNormal, 0.5, 0.5f, 63},      // 0.25
      {SensHigh, 1.0, 0.25f, 127},      // 0.5
      {SensVeryHigh, 1.0, 0.0625f, 127},  // 0.5
      {SensVeryHigh, 4.0, 0.0625f, 255},  // 2, clamped to 1
  };
  for (const auto& c : cases) {
    TVoldViewProps outside = GreyScale();
    outside.SensOutside = c.Sensitivity;
    outside.StrengthOutside = unitFactorPosMore(c.Strength);
    EXPECT_EQ(ColorOf(c.Depth, 0, outside, 3), c.Grey * 0x010101u)
        << "outside, sensitivity " << int(c.Sensitivity) << " strength " << c.Strength;

    // The inside family has its own curve and strength; the outside ones must not leak in.
    TVoldViewProps inside;
    inside.SensOutside = SensLow;
    inside.StrengthOutside = unitFactorPosMore(0.01);
    inside.SensInside = c.Sensitivity;
    inside.StrengthInside = unitFactorPosMore(c.Strength);
    inside.ColorBackgroundInside = 0x000000;
    inside.ColorForegroundInside = 0xFFFFFF;
    EXPECT_EQ(ColorOf(-c.Depth, 1, inside, 3), c.Grey * 0x010101u)
        << "inside, sensitivity " << int(c.Sensitivity) << " strength " << c.Strength;
  }
}

TEST(ColorOf, TakesPalettesByIntensityAndByCyclePosition) {
  // Outside palette at t: red 0..200 gives red 200 t.
  TVoldViewProps props = GreyScale();
  props.UsePalOutside = true;
  props.PalOutside = TColorPalette1DItem(0x000000, 0x0000C8);
  EXPECT_EQ(ColorOf(0.5f, 0, props, 3), 0x000064u);
  EXPECT_EQ(ColorOf(0.99999f, 0, props, 3), props.PalOutside.GetColor(0.99999f));

  // Inside depth palette replaces the mix entirely, whatever the cycle.
  TVoldViewProps depthPal;
  depthPal.UsePalDepthInside = true;
  depthPal.SensInside = SensNormal;
  depthPal.StrengthInside = unitFactorPosMore(1.0);
  depthPal.PalDepthInside = TColorPalette1DItem(0x000000, 0xC80000);
  EXPECT_EQ(ColorOf(-0.5f, 1, depthPal, 3), 0x640000u);
  EXPECT_EQ(ColorOf(-0.5f, 3, depthPal, 3), 0x640000u);

  // Mix colours from palettes at the cycle position (c - 1) / (MaxCycle - 1); a strength that
  // saturates shows the foreground, a tiny depth the background.
  TVoldViewProps mix;
  mix.SensInside = SensNormal;
  mix.UsePalDepthForegroundInside = true;
  mix.PalDepthForegroundInside = TColorPalette1DItem(0x0000C8, 0x00C800);
  mix.UsePalDepthBackgroundInside = true;
  mix.PalDepthBackgroundInside = TColorPalette1DItem(0xC80000, 0x000000);
  mix.StrengthInside = unitFactorPosMore(1000.0);
  EXPECT_EQ(ColorOf(-0.5f, 1, mix, 3), 0x0000C8u);  // position 0
  EXPECT_EQ(ColorOf(-0.5f, 2, mix, 3), 0x006464u);  // position 0.5
  EXPECT_EQ(ColorOf(-0.5f, 3, mix, 3), 0x00C800u);  // position 1
  EXPECT_EQ(ColorOf(-0.5f, 5, mix, 9), 0x006464u);  // 4 / 8
  EXPECT_EQ(ColorOf(-0.5f, 1, mix, 1), 0x0000C8u);  // MaxCycle 1: (1 - 1) / 1
  EXPECT_EQ(ColorOf(-0.5f, 1, mix, 0), 0x0000C8u);  // the divisor never drops below 1
  mix.StrengthInside = unitFactorPosMore(1e-30);
  EXPECT_EQ(ColorOf(-0.5f, 1, mix, 3), 0xC80000u);
  EXPECT_EQ(ColorOf(-0.5f, 3, mix, 3), 0x000000u);
  // Without palettes the fixed mix colours are used, not the palettes' colours.
  mix.UsePalDepthBackgroundInside = false;
  mix.ColorBackgroundInside = 0x0A0B0C;
  EXPECT_EQ(ColorOf(-0.5f, 2, mix, 3), 0x0A0B0Cu);
}

TEST(ColorOf, PinsImpossibleCellsInsteadOfFailing) {
  TVoldViewProps mix;
  mix.UsePalDepthForegroundInside = true;
  mix.PalDepthForegroundInside = TColorPalette1DItem(0x0000C8, 0x00C800);
  mix.StrengthInside = unitFactorPosMore(1000.0);
  // Periods the kernels never store take the nearest end of the palettes.
  EXPECT_EQ(ColorOf(-0.5f, 0, mix, 3), ColorOf(-0.5f, 1, mix, 3));
  EXPECT_EQ(ColorOf(-0.5f, std::numeric_limits<int32_t>::min(), mix, 3), 0x0000C8u);
  EXPECT_EQ(ColorOf(-0.5f, 7, mix, 3), ColorOf(-0.5f, 3, mix, 3));
  EXPECT_EQ(ColorOf(-0.5f, std::numeric_limits<int32_t>::max(), mix,
                    std::numeric_limits<int32_t>::min()),
            0x00C800u);
  // A NaN depth shows the background rather than reaching an undefined conversion.
  const TVoldViewProps defaults;
  EXPECT_EQ(ColorOf(std::numeric_limits<float>::quiet_NaN(), 0, defaults, 3),
            defaults.BackgroundColorOutside);
  EXPECT_EQ(ColorOf(std::numeric_limits<float>::infinity(), 0, defaults, 3),
            defaults.ForegroundColorOutside);
}

TEST(PaintRect, StretchesColumnsAndRowsOverTheClient) {
  struct {
    int Cells, Pixels;
    std::vector<int> Expected;  // cell shown by each pixel
  } cases[] = {
      {1, 5, {0, 0, 0, 0, 0}},
      {2, 4, {0, 0, 1, 1}},
      {5, 5, {0, 1, 2, 3, 4}},
      {3, 10, {0, 0, 0, 1, 1, 1, 2, 2, 2, 2}},
      {4, 2, {1, 3}},     // pixel 0: cell 1 over cell 0
      {7, 3, {2, 4, 6}},  // three cells on pixel 0, cells 3 and 5 have empty boxes
      {3, 2, {1, 2}},  // cells 0 and 1 on pixel 0
  };
  const TVoldViewProps props = GreyScale();
  for (const auto& c : cases) {
    TPixelBuffer across(c.Pixels, 1, Untouched);
    PaintAll(across, ColumnArray(c.Cells, 1), props);
    EXPECT_EQ(RowClasses(across, 0), c.Expected) << c.Cells << " columns in " << c.Pixels;

    // Rows stretch the same way (two pixels wide: a narrower client paints nothing).
    TPixelBuffer down(2, c.Pixels, Untouched);
    PaintAll(down, ClassArray(1, c.Cells, [](int, int j) { return j; }), props);
    std::vector<int> rows;
    for (int y = 0; y < c.Pixels; ++y) rows.push_back(ClassAt(down, 1, y));
    EXPECT_EQ(rows, c.Expected) << c.Cells << " rows in " << c.Pixels;
  }
}

TEST(PaintRect, DoubledColumnsTakeTwoPixelsAndHalvedOnesShowTheOddColumns) {
  // Halved, pixel 0 holds cells 0 and 1 (trunc(-0.5) is 0), the later one on top; every other
  // pixel holds one odd cell alone, and the even cells from 2 on have empty boxes.
  const struct {
    int Cells, Pixels;
    int (*ClassOfPixel)(int);
  } cases[] = {{250, 500, [](int x) { return (x / 2) % 255; }},
               {500, 250, [](int x) { return (2 * x + 1) % 255; }}};
  for (const auto& c : cases) {
    TPixelBuffer surface(c.Pixels, 3, Untouched);
    PaintAll(surface, ColumnArray(c.Cells, 3), GreyScale());
    for (int x = 0; x < c.Pixels; ++x)
      ASSERT_EQ(ClassAt(surface, x, 1), c.ClassOfPixel(x))
          << c.Cells << " in " << c.Pixels << ", pixel " << x;
  }
}

TEST(PaintRect, MatchesTheClosedFormOfTheStretchForManySizes) {
  const TVoldViewProps props = GreyScale();
  for (int cells = 1; cells <= 40; ++cells)
    for (int pixels = 2; pixels <= 60; ++pixels) {
      TPixelBuffer surface(pixels, 1, Untouched);
      PaintAll(surface, ColumnArray(cells, 1), props);
      for (int x = 0; x < pixels; ++x)
        ASSERT_EQ(ClassAt(surface, x, 0), OwnerByFormula(x, cells, pixels))
            << cells << " cells in " << pixels << " pixels, pixel " << x;
    }
}

TEST(PaintRect, PaintsNothingInAClientUnderTwoPixelsOrWhileARepaintIsPending) {
  const auto array = ColumnArray(10, 10);
  const TVoldViewProps props = GreyScale();
  struct {
    const char* Name;
    TRect Client;
    TRect Rect;
    bool Pending;
  } cases[] = {
      {"one pixel wide", {0, 0, 1, 10}, {0, 0, 10, 10}, false},
      {"no width", {5, 0, 5, 10}, {0, 0, 10, 10}, false},
      {"no height", {0, 4, 10, 4}, {0, 0, 10, 10}, false},
      {"repaint pending", {0, 0, 10, 10}, {0, 0, 10, 10}, true},
      {"empty rectangle across", {0, 0, 10, 10}, {3, 0, 3, 10}, false},
      {"empty rectangle down", {0, 0, 10, 10}, {0, 7, 10, 7}, false},
      {"rectangle off the surface", {0, 0, 10, 10}, {10, 10, 20, 20}, false},
  };
  for (const auto& c : cases) {
    TPixelBuffer surface(10, 10, Untouched);
    PaintRect(surface, c.Client, c.Rect, array.get(), props, 3, c.Pending);
    const TPixelBuffer untouched(10, 10, Untouched);
    EXPECT_EQ(std::vector<uint32_t>(surface.Data(), surface.Data() + 100),
              std::vector<uint32_t>(untouched.Data(), untouched.Data() + 100))
        << c.Name;
  }
  // Without an array there is nothing to paint either.
  TPixelBuffer surface(10, 10, Untouched);
  PaintRect(surface, {0, 0, 10, 10}, {0, 0, 10, 10}, nullptr, props, 3, false);
  EXPECT_EQ(surface.Get(5, 5), Untouched);
  // Two pixels are enough.
  PaintRect(surface, {0, 0, 2, 10}, {0, 0, 2, 10}, array.get(), props, 3, false);
  EXPECT_EQ(ClassAt(surface, 0, 0), 4);  // five columns on each pixel, the last one wins
  EXPECT_EQ(ClassAt(surface, 1, 9), 9);
}

TEST(PaintRect, NeverPaintsColumnsAtOrBeyondColumnsDone) {
  auto array = ColumnArray(10, 4);
  const TVoldViewProps props = GreyScale();
  for (int done : {0, 1, 3, 9, 10}) {
    array->ColumnsDone = done;
    // Also a rectangle reaching left of the client, whose indices clamp to column 0.
    for (const TRect r : {TRect{0, 0, 20, 8}, TRect{-7, -3, 20, 8}}) {
      TPixelBuffer surface(20, 8, Untouched);
      PaintRect(surface, {0, 0, 20, 8}, r, array.get(), props, 3, false);
      for (int x = 0; x < 20; ++x)
        ASSERT_EQ(ClassAt(surface, x, 7), x / 2 < done ? x / 2 : -1)
            << "ColumnsDone " << done << ", pixel " << x << ", rectangle left " << r.Left;
    }
  }
}

TEST(PaintRect, RepaintsAPartExactlyAsTheWholeShowsIt) {
  // Cells of several columns and rows per class, so that a shifted box shows.
  const TVoldViewProps props = GreyScale();
  struct {
    int Columns, Rows, Width, Height;
  } sizes[] = {{37, 23, 100, 61}, {250, 250, 173, 311}, {9, 5, 640, 480}};
  const TRect parts[] = {{0, 0, 1, 1},     {13, 7, 14, 60},  {5, 20, 98, 21}, {40, 0, 41, 61},
                         {-5, -5, 50, 30}, {17, 3, 83, 59},  {99, 60, 100, 61}};
  for (const auto& s : sizes) {
    const auto array =
        ClassArray(s.Columns, s.Rows, [](int i, int j) { return (i % 15) * 17 + j % 17; });
    TPixelBuffer whole(s.Width, s.Height, Untouched);
    PaintAll(whole, array, props);
    for (const TRect& part : parts) {
      TPixelBuffer surface(s.Width, s.Height, Untouched);
      PaintRect(surface, Whole(surface), part, array.get(), props, 3, false);
      for (int y = 0; y < s.Height; ++y)
        for (int x = 0; x < s.Width; ++x) {
          const bool inside = x >= part.Left && x < part.Right && y >= part.Top && y < part.Bottom;
          ASSERT_EQ(surface.Get(x, y), inside ? whole.Get(x, y) : Untouched)
              << s.Columns << "x" << s.Rows << " in " << s.Width << "x" << s.Height << ", part "
              << part.Left << "," << part.Top << "," << part.Right << "," << part.Bottom
              << ", pixel " << x << "," << y;
        }
    }
  }
}

TEST(PaintRect, StretchesIntoAClientThatDoesNotStartAtTheOrigin) {
  TPixelBuffer surface(12, 4, Untouched);
  const TRect client{2, 1, 10, 3};  // 8 x 2 pixels
  PaintRect(surface, client, client, ColumnArray(4, 2).get(), GreyScale(), 3, false);
  EXPECT_EQ(RowClasses(surface, 1), (std::vector<int>{-1, -1, 0, 0, 1, 1, 2, 2, 3, 3, -1, -1}));
  EXPECT_EQ(ClassAt(surface, 5, 0), -1);
  EXPECT_EQ(ClassAt(surface, 5, 3), -1);
}

TEST(PaintRect, AHugeRectangleIsClippedToTheSurfaceQuickly) {
  const auto array = ColumnArray(250, 250);
  TPixelBuffer expected(300, 200, Untouched);
  PaintAll(expected, array, GreyScale());
  TPixelBuffer surface(300, 200, Untouched);
  const auto start = std::chrono::steady_clock::now();
  PaintRect(surface, Whole(surface), {-2000000000, -2000000000, 2000000000, 2000000000}, array.get(),
            GreyScale(), 3, false);
  // Cells outside the client repeat the edge cells (the array clamps), but only the surface is
  // touched, and the millions of cells beyond it are not even visited.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(std::vector<uint32_t>(surface.Data(), surface.Data() + 300 * 200),
            std::vector<uint32_t>(expected.Data(), expected.Data() + 300 * 200));
}

TEST(PaintProgress, PaintsTheNewColumnsAndAdvancesColumnsShown) {
  auto array = ColumnArray(250, 5);
  const TVoldViewProps props = GreyScale();
  TPixelBuffer surface(500, 5, Untouched);
  const TRect client = Whole(surface);
  struct {
    int Done;
    TRect Strip;
  } steps[] = {
      {0, {}}, {4, {0, 0, 8, 5}}, {8, {8, 0, 16, 5}}, {8, {}}, {249, {16, 0, 498, 5}},
      {250, {498, 0, 500, 5}},
  };
  for (const auto& step : steps) {
    array->ColumnsDone = step.Done;
    EXPECT_EQ(PaintProgress(surface, client, array.get(), props, 3, false), step.Strip)
        << "done " << step.Done;
    EXPECT_EQ(array->ColumnsShown, step.Done);
    for (int x = 0; x < 500; ++x)
      ASSERT_EQ(ClassAt(surface, x, 4), x < 2 * step.Done ? x / 2 : -1)
          << "done " << step.Done << ", pixel " << x;
  }
}

TEST(PaintProgress, AdvancesColumnsShownEvenWhenItPaintsNothing) {
  const TVoldViewProps props = GreyScale();
  struct {
    const char* Name;
    TRect Client;
    bool Pending;
  } cases[] = {
      {"repaint pending", {0, 0, 40, 4}, true},
      {"client one pixel wide", {0, 0, 1, 4}, false},
  };
  for (const auto& c : cases) {
    auto array = ColumnArray(40, 4);
    array->ColumnsDone = 12;
    TPixelBuffer surface(40, 4, Untouched);
    EXPECT_TRUE(PaintProgress(surface, c.Client, array.get(), props, 3, c.Pending).Empty()) << c.Name;
    EXPECT_EQ(array->ColumnsShown, 12) << c.Name;
    EXPECT_EQ(ClassAt(surface, 0, 0), -1) << c.Name;
  }
  // A column narrower than a pixel: no pixel strip yet, but the columns count as shown.
  auto array = ColumnArray(500, 2);
  TPixelBuffer surface(250, 2, Untouched);
  array->ColumnsDone = 1;
  EXPECT_TRUE(PaintProgress(surface, Whole(surface), array.get(), props, 3, false).Empty());
  EXPECT_EQ(array->ColumnsShown, 1);
  array->ColumnsDone = 4;
  EXPECT_EQ(PaintProgress(surface, Whole(surface), array.get(), props, 3, false),
            (TRect{0, 0, 2, 2}));
  EXPECT_EQ(RowClasses(surface, 0)[1], 3);
  // No array: nothing at all.
  EXPECT_TRUE(PaintProgress(surface, Whole(surface), nullptr, props, 3, false).Empty());
}

// Cells in runs of equal values (and equal depths with different periods), so that a painter
// reusing the colour of the cell before must notice every change.
std::unique_ptr<TFractArray> MixedArray(int columns, int rows, int done) {
  auto array = std::make_unique<TFractArray>(columns, rows);
  for (int i = 0; i < columns; ++i)
    for (int j = 0; j < rows; ++j) {
      switch ((i / 3 + j / 2) % 4) {
        case 0:
          array->SetDepth(i, j, -0.5f);
          array->SetCycle(i, j, 1 + (i + j) % 3);
          break;
        case 1:
          array->SetDepth(i, j, 0.0f);
          array->SetCycle(i, j, 0);
          break;
        default:
          array->SetDepth(i, j, DepthOfClass(((i / 2) * 7 + (j / 3)) % 255));
          array->SetCycle(i, j, 0);
          break;
      }
    }
  array->ColumnsDone = done;
  return array;
}

TEST(PaintMappedRows, StripesOfAnyHeightGiveTheWholePicturePixelForPixel) {
  TVoldViewProps props = GreyScale();
  props.MaxDepthColor = 0x00FF00;
  props.SensInside = SensNormal;
  props.StrengthInside = unitFactorPosMore(1000.0);
  props.UsePalDepthForegroundInside = true;
  props.PalDepthForegroundInside = TColorPalette1DItem(0x0000C8, 0xC8C800);
  struct {
    int Columns, Rows, Width, Height;
    TRect Client;  // empty: the whole surface
    int Done;      // -1: every column
  } cases[] = {
      {37, 23, 100, 61, {}, -1},          {250, 250, 173, 311, {}, -1},
      {9, 5, 640, 480, {}, -1},           {1000, 1000, 997, 613, {}, -1},
      {3, 2, 5, 333, {}, -1},             {1000, 3, 2501, 3, {}, -1},
      {7, 5, 1, 1, {}, -1},               {7, 5, 2, 1, {}, -1},
      {40, 30, 50, 40, {-7, 5, 60, 33}, -1}, {40, 30, 50, 40, {10, -20, 30, 90}, -1},
      {40, 30, 50, 40, {}, 17},           {40, 30, 50, 40, {}, 0},
      {40, 30, 50, 40, {3, 3, 4, 40}, -1},  {40, 30, 50, 40, {3, 3, 30, 3}, -1},
  };
  const int stripeHeights[] = {1, 2, 3, 7, 16, 64, 1000};
  for (const auto& c : cases) {
    const auto array = MixedArray(c.Columns, c.Rows, c.Done < 0 ? c.Columns : c.Done);
    const TRect client =
        c.Client == TRect{} ? TRect{0, 0, c.Width, c.Height} : c.Client;
    TPixelBuffer whole(c.Width, c.Height, Untouched);
    PaintRect(whole, client, Whole(whole), array.get(), props, 3, false);
    const TCellMap map = MapCells(client, c.Width, c.Height, array.get());
    ASSERT_EQ(map.Columns.size(), static_cast<size_t>(c.Width));
    ASSERT_EQ(map.Rows.size(), static_cast<size_t>(c.Height));
    for (const int stripe : stripeHeights) {
      std::vector<uint32_t> pixels(static_cast<size_t>(c.Width) * c.Height, 0);
      for (int top = 0; top < c.Height; top += stripe) {
        const int bottom = std::min(top + stripe, c.Height);
        PaintMappedRows(map, top, bottom, array.get(), props, 3, Untouched,
                        pixels.data() + static_cast<size_t>(top) * c.Width);
      }
      for (int y = 0; y < c.Height; ++y)
        for (int x = 0; x < c.Width; ++x)
          ASSERT_EQ(pixels[static_cast<size_t>(y) * c.Width + x],
                    whole.Data()[static_cast<size_t>(y) * c.Width + x])
              << c.Columns << "x" << c.Rows << " in " << c.Width << "x" << c.Height
              << ", client " << client.Left << "," << client.Top << "," << client.Right << ","
              << client.Bottom << ", stripes of " << stripe << ", pixel " << x << "," << y;
    }
    // Rows the map gives the same cells are the same pixels.
    for (int y = 1; y < c.Height; ++y) {
      if (map.Rows[static_cast<size_t>(y)] != map.Rows[static_cast<size_t>(y - 1)]) continue;
      for (int x = 0; x < c.Width; ++x)
        ASSERT_EQ(whole.Get(x, y), whole.Get(x, y - 1)) << "row " << y;
    }
  }
}

TEST(PaintMappedRows, WithoutAnArrayEveryPixelIsTheBackground) {
  const TCellMap map = MapCells({0, 0, 9, 4}, 9, 4, nullptr);
  EXPECT_EQ(map.Rows, std::vector<int>(4, -1));
  EXPECT_EQ(map.Columns, std::vector<int>(9, -1));
  std::vector<uint32_t> pixels(9 * 4, 0);
  PaintMappedRows(map, 0, 4, nullptr, GreyScale(), 3, Untouched, pixels.data());
  EXPECT_EQ(pixels, std::vector<uint32_t>(9 * 4, 0xFF000000u | Untouched));
}

TEST(MapCells, GivesTheLastCellPaintedInEachPixelRowAndColumn) {
  // 4 columns over 8 pixels: two pixels each; 5 rows over 3 pixels: the later row wins where
  // two share a pixel, as in painting order.
  const auto array = ColumnArray(4, 5);
  const TCellMap map = MapCells({0, 0, 8, 3}, 8, 3, array.get());
  EXPECT_EQ(map.Columns, (std::vector<int>{0, 0, 1, 1, 2, 2, 3, 3}));
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(map.Rows[static_cast<size_t>(y)], OwnerByFormula(y, 5, 3)) << "row " << y;
  }
  // Columns at or beyond ColumnsDone are not painted.
  array->ColumnsDone = 2;
  EXPECT_EQ(MapCells({0, 0, 8, 3}, 8, 3, array.get()).Columns,
            (std::vector<int>{0, 0, 1, 1, -1, -1, -1, -1}));
}

}  // namespace
