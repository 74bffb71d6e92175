// Writes the example gallery: a few fractal files and the palettes they use, with the
// program's own writers. Usage: zenolith-gallery EXAMPLES_FOLDER
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/unitFactorPosMoreLess1.h"
#include "document/TStoredFractal.h"
#include "document/TUnitFract.h"
#include "engine/deep/deepzoom.h"
#include "render/TColorPalette1DItem.h"

namespace {

// Colours are stored as 0x00BBGGRR.
constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

struct TStop {
  double Position;
  uint32_t Colour;
};

TColorPalette1DItem Palette(uint32_t begin, const std::vector<TStop>& stops, uint32_t end) {
  TColorPalette1DItem palette(begin, end);
  TColorPalette1DItem* last = &palette;
  for (const TStop& stop : stops) last = last->AddItem(unitFactorPosMoreLess1(stop.Position), stop.Colour);
  return palette;
}

TColorPalette1DItem Fire() {
  return Palette(Rgb(0, 0, 0),
                 {{0.2, Rgb(110, 0, 0)}, {0.45, Rgb(230, 70, 0)}, {0.7, Rgb(255, 190, 20)}},
                 Rgb(255, 255, 230));
}

TColorPalette1DItem Ocean() {
  return Palette(Rgb(0, 0, 30),
                 {{0.25, Rgb(0, 40, 140)}, {0.55, Rgb(0, 170, 220)}, {0.8, Rgb(190, 245, 255)}},
                 Rgb(255, 255, 255));
}

// Bands between two colours from `from` to `to`: deep views escape within a few steps of each
// other, so their depths fill only a short stretch of the palette.
TColorPalette1DItem Bands(double from, double to, int count, uint32_t a, uint32_t b) {
  std::vector<TStop> stops;
  for (int k = 0; k <= count; ++k) stops.push_back({from + (to - from) * k / count, k % 2 ? b : a});
  return Palette(a, stops, b);
}

TColorPalette1DItem Cycles() {
  return Palette(Rgb(40, 0, 70), {{0.5, Rgb(200, 40, 120)}}, Rgb(255, 210, 80));
}

// A view `width` across centred on (re, im) with the pixel as `map` (c unless said), all
// three plain decimal texts: bounds in full, for views far below the precision of doubles. `p`
// gives the formula and its constants.
TFractProps DeepArea(const std::string& re, const std::string& im, const std::string& width,
                     int xResolution, int yResolution, TFractProps p = TFractProps(),
                     int map = TKernelParams::MapC) {
  p.XResolution.SetInt(xResolution);
  p.YResolution.SetInt(yResolution);
  p.MapField = static_cast<uint8_t>(map);
  TDeepParams d = p.DeepParams();
  std::string error;
  if (!SetDeepViewAround(d, re, im, width, error) ||
      !p.SetDeepArea(d.Left, d.Top, d.Right, d.Bottom, error))
    std::fprintf(stderr, "zenolith-gallery: %s\n", error.c_str());
  return p;
}

// "0.000...0<digits>": `digits` placed `zeros` places after the point.
std::string Tiny(int zeros, const std::string& digits) {
  return "0." + std::string(static_cast<size_t>(zeros), '0') + digits;
}

TFractProps Area(double left, double right, double top, double bottom) {
  TFractProps p;
  p.XResolution.SetInt(320);
  p.YResolution.SetInt(320);
  p.Left.SetDouble(left);
  p.Right.SetDouble(right);
  p.Top.SetDouble(top);
  p.Bottom.SetDouble(bottom);
  return p;
}

struct TExample {
  const char* Name;
  TFractProps Params;
  TVoldViewProps View;
};

std::vector<TExample> Examples() {
  std::vector<TExample> list;

  {  // The Mandelbrot set, coloured from the ocean palette.
    TFractProps p = Area(-2.25, 0.75, 1.5, -1.5);
    p.MapField = TKernelParams::MapC;
    p.MaxDepth.SetInt(300);
    p.MaxCycle.SetInt(6);
    TVoldViewProps v;
    v.SensOutside = SensHigh;
    v.StrengthOutside.SetDouble(2.5);
    v.UsePalOutside = true;
    v.PalOutside = Ocean();
    v.ColorBackgroundInside = Rgb(0, 0, 20);
    v.ColorForegroundInside = Rgb(20, 40, 90);
    list.push_back({"mandelbrot", p, v});
  }
  {  // The Douady rabbit: a Julia set whose inside falls into a cycle of three.
    TFractProps p = Area(-1.5, 1.5, 1.5, -1.5);
    p.MaxDepth.SetInt(200);
    p.MaxCycle.SetInt(3);
    TVoldViewProps v;
    v.SensOutside = SensNormal;
    v.StrengthOutside.SetDouble(5.0);
    v.BackgroundColorOutside = Rgb(8, 8, 24);
    v.ForegroundColorOutside = Rgb(255, 240, 200);
    v.UsePalDepthForegroundInside = true;
    v.PalDepthForegroundInside = Cycles();
    v.ColorBackgroundInside = Rgb(30, 0, 40);
    list.push_back({"julia-rabbit", p, v});
  }
  {  // A Julia set near the edge of the Mandelbrot set: a spiral of thin arms.
    TFractProps p = Area(-1.6, 1.6, 1.0, -1.0);
    p.YResolution.SetInt(200);
    p.CR.SetDouble(-0.8);
    p.CI.SetDouble(0.156);
    p.MaxDepth.SetInt(400);
    TVoldViewProps v;
    v.SensOutside = SensNormal;
    v.StrengthOutside.SetDouble(3.0);
    v.UsePalOutside = true;
    v.PalOutside = Fire();
    list.push_back({"julia-spiral", p, v});
  }
  {  // Formula 5, z^n + d z^m + c, with the pixel as c.
    TFractProps p = Area(-1.6, 1.6, 1.6, -1.6);
    p.Formula = FormulaIndex<TFormulaZNDZM>;
    p.MapField = TKernelParams::MapC;
    p.N.SetInt(3);
    p.M.SetInt(2);
    p.DR.SetDouble(0.5);
    p.DI.SetDouble(0.5);
    p.MaxDepth.SetInt(200);
    p.MaxCycle.SetInt(4);
    TVoldViewProps v;
    v.SensOutside = SensHigh;
    v.StrengthOutside.SetDouble(2.0);
    v.UsePalOutside = true;
    v.PalOutside = Ocean();
    v.UsePalDepthForegroundInside = true;
    v.PalDepthForegroundInside = Cycles();
    list.push_back({"formula5", p, v});
  }
  {  // exp(z) - z - 1 + c with the pixel as c.
    TFractProps p = Area(-6.0, 3.0, 4.5, -4.5);
    p.Formula = FormulaIndex<TFormulaExp>;
    p.MapField = TKernelParams::MapC;
    p.OuterCircle.SetDouble(50.0);
    p.MaxDepth.SetInt(150);
    p.MaxCycle.SetInt(8);
    TVoldViewProps v;
    v.SensOutside = SensNormal;
    v.StrengthOutside.SetDouble(4.0);
    v.UsePalOutside = true;
    v.PalOutside = Fire();
    v.UsePalDepthForegroundInside = true;
    v.PalDepthForegroundInside = Cycles();
    list.push_back({"exp", p, v});
  }
  {  // Seahorse valley of the Mandelbrot set, coloured from the fire palette.
    TFractProps p = Area(-0.7485, -0.7365, 0.118, 0.106);
    p.MapField = TKernelParams::MapC;
    p.MaxDepth.SetInt(600);
    p.MaxCycle.SetInt(0);
    TVoldViewProps v;
    v.SensOutside = SensNormal;
    v.StrengthOutside.SetDouble(2.5);
    v.UsePalOutside = true;
    v.PalOutside = Fire();
    list.push_back({"seahorse-fire", p, v});
  }
  {  // The Misiurewicz point c = i at a width of 3e-50, far below what doubles resolve: the
     // dendrite winds round it at every scale. No cycle test: at a boundary point it would
     // take the whole picture for one cycle.
    TFractProps p = DeepArea("0", "1", Tiny(49, "3"), 320, 240);
    p.MaxDepth.SetInt(200);
    p.MaxCycle.SetInt(0);
    TVoldViewProps v;
    v.SensOutside = SensNormal;
    v.StrengthOutside.SetDouble(1.0);
    v.UsePalOutside = true;
    v.PalOutside = Bands(0.66, 0.87, 14, Rgb(10, 30, 90), Rgb(190, 235, 255));
    list.push_back({"deep-misiurewicz-1e-50", p, v});
  }
  {  // The same point at 2e-250, a little off the centre.
    TFractProps p = DeepArea(Tiny(250, "3"), "1." + Tiny(250, "2").substr(2), Tiny(249, "2"),
                             320, 240);
    p.MaxDepth.SetInt(800);
    p.MaxCycle.SetInt(0);
    TVoldViewProps v;
    v.SensOutside = SensNormal;
    v.StrengthOutside.SetDouble(1.0);
    v.UsePalOutside = true;
    v.PalOutside = Bands(0.83, 0.89, 12, Rgb(90, 10, 0), Rgb(255, 200, 60));
    list.push_back({"deep-misiurewicz-1e-250", p, v});
  }
  // Deep zoom of formulas without a series approximation of their own, one of each family,
  // around points of their boundaries.
  {  // A polynomial: z^3 - 3 d^2 z + c with the pixel as d and c = -0.5 + 0.5i, 3e-30 wide.
    TFractProps f;
    f.Formula = FormulaIndex<TFormulaZ3D2Z>;
    f.CR.SetDouble(-0.5);
    f.CI.SetDouble(0.5);
    f.MaxDepth.SetInt(1000);
    f.MaxCycle.SetInt(0);
    TFractProps p = DeepArea("0.2439917286946132447459778291182986278085",
                             "0.4226060707256311630558604779995133219058", Tiny(29, "3"), 320,
                             240, f, TKernelParams::MapD);
    TVoldViewProps v;
    v.SensOutside = SensNormal;
    v.StrengthOutside.SetDouble(1.0);
    v.UsePalOutside = true;
    v.PalOutside = Bands(0.45, 0.99, 22, Rgb(20, 60, 20), Rgb(220, 250, 160));
    list.push_back({"deep-cubic-1e-30", p, v});
  }
  {  // A rational formula: z (c + d z^5) / (1 + z^5) with d = 2, 3e-40 wide.
    TFractProps f;
    f.Formula = FormulaIndex<TFormulaZRational>;
    f.N.SetInt(5);
    f.DR.SetDouble(2.0);
    f.DI.SetDouble(0.0);
    f.MaxDepth.SetInt(1000);
    f.MaxCycle.SetInt(0);
    TFractProps p = DeepArea("0.45980650351551056916142644329737264808968572963236",
                             "0.79640822573946167461918015007073885462021494886304",
                             Tiny(39, "3"), 320, 240, f);
    TVoldViewProps v;
    v.SensOutside = SensNormal;
    v.StrengthOutside.SetDouble(1.0);
    v.UsePalOutside = true;
    v.PalOutside = Bands(0.3, 0.99, 20, Rgb(60, 0, 40), Rgb(255, 190, 220));
    list.push_back({"deep-rational-1e-40", p, v});
  }
  {  // A transcendental formula: sin(z) + c, 3e-100 wide.
    TFractProps f;
    f.Formula = FormulaIndex<TFormulaSinPlusC>;
    f.MaxDepth.SetInt(1000);
    f.MaxCycle.SetInt(0);
    TFractProps p = DeepArea(
        "0.362357884427272594933271906993180272231013467115985705844477378651173031408800811735"
        "38710078660335014522135669",
        "0.627622266351207227721418686552561119431836406745811975368082378817916750443598584904"
        "38901409719426039993028596",
        Tiny(99, "3"), 320, 240, f);
    TVoldViewProps v;
    v.SensOutside = SensNormal;
    v.StrengthOutside.SetDouble(1.0);
    v.UsePalOutside = true;
    v.PalOutside = Bands(0.1, 0.99, 24, Rgb(10, 20, 70), Rgb(250, 220, 120));
    list.push_back({"deep-sine-1e-100", p, v});
  }
  return list;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("Usage: zenolith-gallery EXAMPLES_FOLDER\n", stderr);
    return 1;
  }
  const std::string folder = argv[1];
  bool ok = Fire().SaveToFile(folder + "/palettes/fire.cp1") &&
            Ocean().SaveToFile(folder + "/palettes/ocean.cp1") &&
            Cycles().SaveToFile(folder + "/palettes/cycles.cp1");
  for (const TExample& e : Examples()) {
    ok = ok && TUnitFract().SaveAs(folder + "/" + e.Name + ".zlf",
                                   TStoredFractal(e.Params, e.View));
  }
  return ok ? 0 : 2;
}
