#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/TKernelParams.h"
#include "engine/kernels.h"
#include "render/TDrawPointsList.h"
#include "render/TOrbitCanvas.h"
#include "support/formulaids.h"

namespace {

constexpr uint32_t Yellow = 0x00FFFF;
constexpr uint32_t White = 0xFFFFFF;
constexpr uint32_t Black = 0x000000;

// Records every call as text: "L x0,y0 x1,y1 colour" or "E l,t r,b colour".
class TRecordingCanvas : public TOrbitCanvas {
public:
  void Line(int x0, int y0, int x1, int y1, uint32_t colour) override {
    Calls.push_back("L " + Pair(x0, y0) + " " + Pair(x1, y1) + " " + Colour(colour));
  }
  void Ellipse(int l, int t, int r, int b, uint32_t colour) override {
    Calls.push_back("E " + Pair(l, t) + " " + Pair(r, b) + " " + Colour(colour));
  }
  std::vector<std::string> Calls;

private:
  static std::string Pair(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
  static std::string Colour(uint32_t c) {
    return c == Yellow ? "yellow" : c == White ? "white" : c == Black ? "black" : "other";
  }
};

// Counts the calls and keeps only the last one.
class TCountingCanvas : public TRecordingCanvas {
public:
  void Line(int x0, int y0, int x1, int y1, uint32_t colour) override {
    ++Lines;
    Keep([&] { TRecordingCanvas::Line(x0, y0, x1, y1, colour); });
  }
  void Ellipse(int l, int t, int r, int b, uint32_t colour) override {
    ++Ellipses;
    Keep([&] { TRecordingCanvas::Ellipse(l, t, r, b, colour); });
  }
  int Lines = 0, Ellipses = 0;

private:
  template <class F>
  void Keep(F record) {
    Calls.clear();
    record();
  }
};

// Markers of a point at pixel (x, y): the white ring, then the black one inside it.
std::vector<std::string> Marker(int x, int y) {
  return {"E " + std::to_string(x - 3) + "," + std::to_string(y - 3) + " " +
              std::to_string(x + 3) + "," + std::to_string(y + 3) + " white",
          "E " + std::to_string(x - 2) + "," + std::to_string(y - 2) + " " +
              std::to_string(x + 2) + "," + std::to_string(y + 2) + " black"};
}

// A 300 x 300 client over the plane square -1.5..1.5 (top 1.5): plane (x, y) lies at pixel
// (100 (x + 1.5), 100 (1.5 - y)), so points on a 0.01 grid land on whole pixels.
const TRect Client{0, 0, 300, 300};

TKernelParams Area() { return TKernelParams{}; }

// The orbits from the newest, as the index (0 = oldest added) of each ring partner, -1 none.
std::vector<int> RingLinks(const TDrawPointsList& list,
                           const std::vector<const TStartDrawPoint*>& added) {
  std::vector<int> links;
  for (const TStartDrawPoint* o = list.GetHead(); o; o = o->GetNextOrbit()) {
    int link = -1;
    for (size_t k = 0; k < added.size(); ++k)
      if (o->GetRingLink() == added[k]) link = static_cast<int>(k);
    links.push_back(link);
  }
  return links;
}

TEST(DrawPointsList, GroupJoinsTheNewestOrbitAndTheRunOfMarkedOlderOnesIntoARing) {
  struct {
    const char* Name;
    std::vector<bool> Marks;       // oldest first
    std::vector<int> Links;        // newest first: index of the partner, -1 none
    std::vector<bool> MarksAfter;  // newest first
  } cases[] = {
      {"three marked: newest -> middle -> oldest -> newest", {true, true, true}, {1, 0, 2},
       {false, false, false}},
      {"a single orbit gets no link", {true}, {-1}, {false}},
      {"a single unmarked orbit gets no link", {false}, {-1}, {false}},
      {"unmarked newest still starts the ring", {true, true, false}, {1, 0, 2},
       {false, false, false}},
      {"the run stops at the first unmarked older orbit", {false, true, true, true},
       {2, 1, 3, -1}, {false, false, false, false}},
      {"an unmarked orbit just below the newest ends it at once", {true, false, true},
       {-1, -1, -1}, {false, false, true}},
  };
  for (const auto& c : cases) {
    TDrawPointsList list;
    std::vector<const TStartDrawPoint*> added;
    for (bool mark : c.Marks) added.push_back(list.AddOrbit(0.1, 0.2, mark, Area()));
    list.Group();
    EXPECT_EQ(RingLinks(list, added), c.Links) << c.Name;
    std::vector<bool> marks;
    for (const TStartDrawPoint* o = list.GetHead(); o; o = o->GetNextOrbit())
      marks.push_back(o->GetMark());
    EXPECT_EQ(marks, c.MarksAfter) << c.Name;
  }
}

TEST(DrawPointsList, OrbitsOutsideANewRingKeepTheirEarlierLinks) {
  TDrawPointsList list;
  std::vector<const TStartDrawPoint*> added;
  added.push_back(list.AddOrbit(0, 0, true, Area()));
  added.push_back(list.AddOrbit(0, 0, true, Area()));
  list.Group();  // ring of 1 -> 0 -> 1
  added.push_back(list.AddOrbit(0, 0, true, Area()));
  added.push_back(list.AddOrbit(0, 0, false, Area()));
  list.Group();  // ring 3 -> 2 -> 3, stopped by the grouped (unmarked) orbit 1
  EXPECT_EQ(RingLinks(list, added), (std::vector<int>{2, 3, 0, 1}));
}

TEST(DrawPointsList, AThreeOrbitRingJoinsTheFirstPointsByThreeYellowLines) {
  TDrawPointsList list;
  list.AddOrbit(-1.0, 1.0, true, Area());  // pixel (50, 50)
  list.AddOrbit(0.0, 0.0, true, Area());   // pixel (150, 150)
  list.AddOrbit(1.0, -0.5, true, Area());  // pixel (250, 200)
  list.Group();
  TRecordingCanvas canvas;
  list.Draw(canvas, Client, Area());
  std::vector<std::string> expected = {"L 250,200 150,150 yellow"};
  for (auto m : Marker(250, 200)) expected.push_back(m);
  expected.push_back("L 150,150 50,50 yellow");
  for (auto m : Marker(150, 150)) expected.push_back(m);
  expected.push_back("L 50,50 250,200 yellow");
  for (auto m : Marker(50, 50)) expected.push_back(m);
  EXPECT_EQ(canvas.Calls, expected);
}

TEST(DrawPointsList, DrawsLinesForwardThenMarkersBackwardWithRingLinksWhileBothOrbitsLast) {
  TKernelParams params = Area();
  params.CR = 0.25;
  params.CI = 0;
  TDrawPointsList list;
  list.AddOrbit(0.0, 0.5, true, params);  // the older, longer orbit
  list.AddNextPoints(params);
  list.AddNextPoints(params);
  list.AddOrbit(-1.0, 0.0, true, params);  // newer, one step shorter
  list.AddNextPoints(params);
  list.Group();
  ASSERT_EQ(list.GetHead()->Length(), 2);
  ASSERT_EQ(list.GetHead()->GetNextOrbit()->Length(), 4);

  // Older orbit: (0, 0.5) -> (0, 0) -> (0.25, 0) -> (0.3125, 0); newer: (-1, 0) -> (1.25, 0).
  // On this client: x -> 100 (x + 1.5), y -> 100 (1.5 - y), truncated.
  TRecordingCanvas canvas;
  list.Draw(canvas, Client, params);
  const std::vector<std::string> expected = {
      // the newer orbit, ring partner the older one
      "L 50,150 150,100 yellow", "L 50,150 275,150 white",
      "L 275,150 150,150 yellow",
      Marker(275, 150)[0], Marker(275, 150)[1], Marker(50, 150)[0], Marker(50, 150)[1],
      // the older orbit, ring partner the newer one: yellow only for its first two points
      "L 150,100 50,150 yellow", "L 150,100 150,150 white",
      "L 150,150 275,150 yellow", "L 150,150 175,150 white",
      "L 175,150 181,150 white",
      Marker(181, 150)[0], Marker(181, 150)[1], Marker(175, 150)[0], Marker(175, 150)[1],
      Marker(150, 150)[0], Marker(150, 150)[1], Marker(150, 100)[0], Marker(150, 100)[1]};
  EXPECT_EQ(canvas.Calls, expected);
}

TEST(DrawPointsList, MapsPlanePointsToTruncatedPixelsOfTheClient) {
  struct {
    double X, Y;
    TRect Client;
    TDrawPointsList::TPixel Pixel;
  } cases[] = {
      {-1.5, 1.5, Client, {0, 0}},
      {0.0, 0.0, Client, {150, 150}},
      {1.5, -1.5, Client, {300, 300}},
      {-1.505, 1.505, Client, {0, 0}},      // -0.5 truncates toward zero
      {-1.515, 1.515, Client, {-1, -1}},    // -1.5
      {-1.6, -1.6, Client, {-10, 310}},     // outside the area: still mapped
      {0.0, 0.0, {10, 20, 310, 320}, {160, 170}},
      {1e300, -1e300, Client, {1 << 30, 1 << 30}},     // pinned, no overflow
      {-1e300, 1e300, Client, {-(1 << 30), -(1 << 30)}},
  };
  for (const auto& c : cases) {
    const auto pixel = TDrawPointsList::PixelOf(c.X, c.Y, c.Client, Area());
    EXPECT_EQ(pixel.X, c.Pixel.X) << c.X << ", " << c.Y;
    EXPECT_EQ(pixel.Y, c.Pixel.Y) << c.X << ", " << c.Y;
  }
  // A far point is drawn at its pinned place; the marker arithmetic does not overflow.
  TDrawPointsList list;
  list.AddOrbit(1e300, 1e300, false, Area());
  TRecordingCanvas canvas;
  list.Draw(canvas, Client, Area());
  EXPECT_EQ(canvas.Calls, Marker(1 << 30, -(1 << 30)));
}

TEST(DrawPointsList, NextPointsUseEachOrbitsOwnConstantsAndTheGivenFormula) {
  TKernelParams params = Area();
  params.CR = 0.1;
  params.CI = -0.2;
  params.DR = 0.3;
  params.DI = 0.4;
  params.N = 4;
  params.M = 2;

  struct {
    const char* Name;
    int MapField;
    int Formula;
    TComplex C, D;  // what the orbit at (0.3, 0.2) must iterate with
  } cases[] = {
      {"MapZ keeps the parameters' c and d", TKernelParams::MapZ, 5, {0.1, -0.2}, {0.3, 0.4}},
      {"MapC takes the point as c", TKernelParams::MapC, 5, {0.3, 0.2}, {0.3, 0.4}},
      {"MapD takes the point as d", TKernelParams::MapD, 8, {0.1, -0.2}, {0.3, 0.2}},
  };
  for (const auto& c : cases) {
    params.MapField = c.MapField;
    params.Formula = c.Formula;
    TDrawPointsList list;
    const TStartDrawPoint* orbit = list.AddOrbit(0.3, 0.2, false, params);
    EXPECT_EQ(orbit->GetFirst()->X(), 0.3) << c.Name;  // the start is the point in every mode
    EXPECT_EQ(orbit->GetFirst()->Y(), 0.2) << c.Name;
    list.AddNextPoints(params);
    list.AddNextPoints(params);
    TComplex z{0.3, 0.2};
    const TDrawPoint* p = orbit->GetFirst()->GetNext();
    for (int step = 0; step < 2; ++step, p = p->GetNext()) {
      z = FormulaStep(z, c.C, c.D, params.N, params.M, params.Formula);
      ASSERT_NE(p, nullptr) << c.Name;
      EXPECT_EQ(p->X(), z.re) << c.Name << ", step " << step;
      EXPECT_EQ(p->Y(), z.im) << c.Name << ", step " << step;
    }
    EXPECT_EQ(p, nullptr) << c.Name;
  }

  // With MapC and formula 0 the first next point is c^2 + c.
  params.MapField = TKernelParams::MapC;
  params.Formula = formula::Z2;
  TDrawPointsList list;
  const TStartDrawPoint* orbit = list.AddOrbit(0.5, 0.25, false, params);
  list.AddNextPoints(params);
  EXPECT_EQ(orbit->GetLast()->X(), 0.5 * 0.5 - 0.25 * 0.25 + 0.5);
  EXPECT_EQ(orbit->GetLast()->Y(), 2 * 0.5 * 0.25 + 0.25);

  // The constants stay those of the moment the orbit was started.
  params.MapField = TKernelParams::MapZ;
  TDrawPointsList kept;
  const TStartDrawPoint* early = kept.AddOrbit(0.0, 0.0, false, params);
  params.CR = 0.7;
  kept.AddNextPoints(params);
  EXPECT_EQ(early->GetLast()->X(), 0.1);
  EXPECT_EQ(early->GetLast()->Y(), -0.2);
}

TEST(DrawPointsList, AFaultingStepSkipsOnlyThatOrbitsPoint) {
  TKernelParams params = Area();
  params.Formula = formula::Exp;  // exp(z) - z + c - 1 overflows at Re z = 800
  TDrawPointsList list;
  const TStartDrawPoint* far = list.AddOrbit(800.0, 0.0, false, params);
  const TStartDrawPoint* near = list.AddOrbit(0.1, 0.0, false, params);
  list.AddNextPoints(params);
  list.AddNextPoints(params);
  EXPECT_EQ(far->Length(), 1);
  EXPECT_EQ(near->Length(), 3);
  // An unknown formula is no step either.
  params.Formula = 99;
  list.AddNextPoints(params);
  EXPECT_EQ(near->Length(), 3);
}

TEST(DrawPointsList, ClearRemovesEveryOrbit) {
  TDrawPointsList list;
  for (int k = 0; k < 5; ++k) list.AddOrbit(0.01 * k, 0, k % 2 == 0, Area());
  list.AddNextPoints(Area());
  list.Group();
  ASSERT_EQ(list.Count(), 5);
  list.Clear();
  EXPECT_TRUE(list.Empty());
  EXPECT_EQ(list.Count(), 0);
  TRecordingCanvas canvas;
  list.Draw(canvas, Client, Area());
  EXPECT_TRUE(canvas.Calls.empty());
  // The list is usable again.
  list.AddOrbit(0, 0, false, Area());
  list.Draw(canvas, Client, Area());
  EXPECT_EQ(canvas.Calls, Marker(150, 150));
}

TEST(DrawPointsList, LongOrbitsAndManyOrbitsAreDrawnAndFreedWithoutDeepRecursion) {
  // Recursion over these chains would need far more stack than a thread has.
  constexpr int Length = 1000000;
  TKernelParams params = Area();
  params.CR = 0;
  params.CI = 0;
  {
    TDrawPointsList list;
    list.AddOrbit(0.5, 0.0, false, params);  // z^2 from 0.5: falls to 0 and stays
    for (int k = 1; k < Length; ++k) list.AddNextPoints(params);
    ASSERT_EQ(list.GetHead()->Length(), Length);
    TCountingCanvas canvas;
    list.Draw(canvas, Client, params);
    EXPECT_EQ(canvas.Lines, Length - 1);
    EXPECT_EQ(canvas.Ellipses, 2 * Length);
    // The first point's marker comes last.
    EXPECT_EQ(canvas.Calls.back(), Marker(200, 150)[1]);
  }
  TDrawPointsList many;
  for (int k = 0; k < Length; ++k) many.AddOrbit(0, 0, true, params);
  many.Group();
  EXPECT_EQ(many.Count(), Length);
  many.Clear();
  EXPECT_TRUE(many.Empty());
}

}  // namespace

TEST(DrawPointsList, DeepOrbitsAreIteratedInMpfrAndDrawnWhereTheyFall) {
  // z^2 around its fixed point 1 (c = 0) doubles a point's distance from 1: in a 16 x 16 view
  // 1e-30 across, centred on 1, a point 2.25 and 1.25 pixels right of and above the centre
  // falls 4.5 and 2.5 pixels off next, then 9 and 5. Doubles would put every point on 1.
  TKernelParams p;
  p.MapField = TKernelParams::MapZ;
  p.CR = p.CI = 0.0;
  p.Formula = formula::Z2;
  TDeepParams area;
  area.XResolution = area.YResolution = 16;
  area.Left = "0.99999999999999999999999999999995";
  area.Right = "1.00000000000000000000000000000005";
  area.Top = "0.00000000000000000000000000000005";
  area.Bottom = "-0.00000000000000000000000000000005";
  // One pixel is 1e-31 / 16 = 6.25e-33.
  TDrawPointsList list;
  TStartDrawPoint* orbit = list.AddDeepOrbit("1.0000000000000000000000000000000140625",
                                             "0.0000000000000000000000000000000078125", false, p);
  ASSERT_NE(orbit, nullptr);
  ASSERT_NE(orbit->GetDeep(), nullptr);
  EXPECT_EQ(orbit->GetFirst()->X(), 1.0);
  list.AddNextPoints(p);
  list.AddNextPoints(p);
  ASSERT_EQ(orbit->Length(), 3);
  TRecordingCanvas canvas;
  list.Draw(canvas, {0, 0, 16, 16}, p, &area);
  const std::vector<std::string> markers(canvas.Calls.end() - 6, canvas.Calls.end());
  EXPECT_EQ(markers, (std::vector<std::string>{
                         "E 14,0 20,6 white", "E 15,1 19,5 black",    // 17, 3
                         "E 9,2 15,8 white", "E 10,3 14,7 black",     // 12.5, 5.5
                         "E 7,3 13,9 white", "E 8,4 12,8 black"}));   // 10.25, 6.75
  // Every formula is iterated in MPFR with its exponents: z^n + c with n = 2 doubles the
  // distance from 1 again, with n = 3 triples it (offsets from the start point e: 7 e, 23 e).
  p.Formula = formula::ZN;
  p.N = 2;
  list.AddNextPoints(p);
  p.N = 3;
  list.AddNextPoints(p);
  ASSERT_EQ(orbit->Length(), 5);
  const TDrawPoint* fourth = orbit->GetFirst();
  for (int i = 0; i < 3; ++i) fourth = fourth->GetNext();
  EXPECT_NEAR(static_cast<double>(fourth->OffsetX()), 7 * 1.40625e-32, 1e-45);
  EXPECT_NEAR(static_cast<double>(fourth->GetNext()->OffsetX()), 23 * 1.40625e-32, 1e-44);
  // Not a plain decimal: no orbit.
  EXPECT_EQ(list.AddDeepOrbit("1e-30", "0", false, p), nullptr);
  EXPECT_EQ(list.Count(), 1);
}
