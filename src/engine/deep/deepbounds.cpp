#include "engine/deep/deepbounds.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/TFractProps.h"
#include "engine/deep/TDeepPlan.h"
#include "engine/deep/deepzoom.h"

namespace {

constexpr double Log10Of2 = 0.30102999566398120;

// log2 |x|, -infinity for 0.
double Log2Of(const TMpfr& x) {
  if (mpfr_zero_p(x.Get())) return -std::numeric_limits<double>::infinity();
  return Log2Abs(x.ToFloatExp());
}

// Significant digits that keep `value` within spacing * 10^-extra, spacing given as log2.
int DigitsFor(const TMpfr& value, double spacingLog2, int extra) {
  const double v = Log2Of(value);
  if (std::isinf(v) || std::isinf(spacingLog2)) return 17 + extra;
  return std::max(1, static_cast<int>(std::ceil((v - spacingLog2) * Log10Of2)) + extra + 1);
}

// |end - begin| / count as log2, -infinity for no extent.
double SpacingLog2(const TMpfr& begin, const TMpfr& end, int count) {
  TMpfr extent(std::max(begin.Precision(), end.Precision()) + 8);
  mpfr_sub(extent.Get(), end.Get(), begin.Get(), MPFR_RNDN);
  return Log2Of(extent) - std::log2(static_cast<double>(std::max(count, 1)));
}

// The four bounds (Left, Top, Right, Bottom) read; false when one is not a plain decimal.
bool ReadBounds(const TDeepParams& params, std::array<TMpfr, 4>& values) {
  std::string message;
  const std::string* texts[4] = {&params.Left, &params.Top, &params.Right, &params.Bottom};
  for (int i = 0; i < 4; ++i)
    if (!ParseDecimal(*texts[i], values[i], message)) return false;
  return true;
}

// The texts of four bounds, x spacing and y spacing given: digits per axis, an axis without
// extent taking the other's.
TBoundTexts TextsOf(const std::array<TMpfr, 4>& v, double spacingX, double spacingY,
                    int extra) {
  if (std::isinf(spacingX)) spacingX = spacingY;
  if (std::isinf(spacingY)) spacingY = spacingX;
  TBoundTexts texts;
  for (int i = 0; i < 4; ++i) {
    const double spacing = i % 2 == 0 ? spacingX : spacingY;
    texts[static_cast<size_t>(i)] = DecimalText(v[static_cast<size_t>(i)],
                                                DigitsFor(v[static_cast<size_t>(i)], spacing, extra));
  }
  return texts;
}

// begin + (end - begin) * numerator / denominator.
void MapBound(TMpfr& result, const TMpfr& begin, const TMpfr& end, long numerator,
              long denominator) {
  TMpfr t(result.Precision());
  mpfr_sub(t.Get(), end.Get(), begin.Get(), MPFR_RNDN);
  mpfr_mul_si(t.Get(), t.Get(), numerator, MPFR_RNDN);
  mpfr_div_si(t.Get(), t.Get(), denominator, MPFR_RNDN);
  mpfr_add(result.Get(), begin.Get(), t.Get(), MPFR_RNDN);
}

std::array<TMpfr, 4> NewBounds() { return {TMpfr(64), TMpfr(64), TMpfr(64), TMpfr(64)}; }

}  // namespace

TBoundTexts RoundedDeepBounds(const TDeepParams& params) {
  std::array<TMpfr, 4> v = NewBounds();
  if (!ReadBounds(params, v)) return TBoundTexts();
  // A bound within 1/10000 of a pixel: four digits below the spacing's.
  return TextsOf(v, SpacingLog2(v[0], v[2], params.XResolution),
                 SpacingLog2(v[1], v[3], params.YResolution), 4);
}

bool BoundTextPlacesBound(const TDeepParams& params, int index, const std::string& text) {
  std::array<TMpfr, 4> v = NewBounds();
  TMpfr read(64);
  std::string message;
  if (index < 0 || index > 3 || !ReadBounds(params, v) || !ParseDecimal(text, read, message))
    return false;
  double spacingX = SpacingLog2(v[0], v[2], params.XResolution);
  double spacingY = SpacingLog2(v[1], v[3], params.YResolution);
  if (std::isinf(spacingX)) spacingX = spacingY;
  if (std::isinf(spacingY)) spacingY = spacingX;
  const TMpfr& bound = v[static_cast<size_t>(index)];
  TMpfr difference(std::max(bound.Precision(), read.Precision()) + 8);
  mpfr_sub(difference.Get(), read.Get(), bound.Get(), MPFR_RNDN);
  const double spacing = index % 2 == 0 ? spacingX : spacingY;
  return Log2Of(difference) < spacing - std::log2(1000.0);
}

bool ZoomDeepBounds(const TDeepParams& params, int width, int height, int left, int top,
                    int right, int bottom, bool zoomIn, TBoundTexts& bounds) {
  if (width < 1 || height < 1 || left == right || top == bottom) return false;
  std::array<TMpfr, 4> v = NewBounds();
  if (!ReadBounds(params, v)) return false;
  mpfr_prec_t precision = 0;
  for (const TMpfr& b : v) precision = std::max(precision, b.Precision());
  // Room for the selection's factor and the new view's digits below the old ones.
  precision += 128;
  std::array<TMpfr, 4> n = {TMpfr(precision), TMpfr(precision), TMpfr(precision),
                            TMpfr(precision)};
  if (zoomIn) {
    MapBound(n[0], v[0], v[2], left, width);
    MapBound(n[2], v[0], v[2], right, width);
    MapBound(n[1], v[1], v[3], top, height);
    MapBound(n[3], v[1], v[3], bottom, height);
  } else {
    MapBound(n[0], v[0], v[2], -left, right - left);
    MapBound(n[2], v[0], v[2], width - left, right - left);
    MapBound(n[1], v[1], v[3], -top, bottom - top);
    MapBound(n[3], v[1], v[3], height - top, bottom - top);
  }
  for (const TMpfr& b : n)
    if (!mpfr_number_p(b.Get())) return false;
  if (mpfr_equal_p(n[0].Get(), n[2].Get()) || mpfr_equal_p(n[1].Get(), n[3].Get()))
    return false;
  // The digits must place the pixels of the picture and of the window.
  const double spacingX =
      SpacingLog2(n[0], n[2], std::max(params.XResolution, width));
  const double spacingY =
      SpacingLog2(n[1], n[3], std::max(params.YResolution, height));
  TBoundTexts texts = TextsOf(n, spacingX, spacingY, 4);
  for (const std::string& text : texts)
    if (!BoundDigitsInRange(text)) return false;
  bounds = std::move(texts);
  return true;
}

TMpfrComplex DeepClientPoint(const TDeepParams& params, int x, int y, int width, int height,
                             mpfr_prec_t precision) {
  TDeepParams client = params;
  client.XResolution = std::max(width, 1);
  client.YResolution = std::max(height, 1);
  TDeepArea area;
  std::string errorText;
  TDeepArea::Parse(client, area, errorText);
  return area.PixelPoint(x, y, precision);
}

std::string DeepPointText(const TDeepParams& params, int x, int y, int width, int height) {
  std::array<TMpfr, 4> v = NewBounds();
  if (width < 1 || height < 1 || !ReadBounds(params, v)) return std::string();
  const double spacingX = SpacingLog2(v[0], v[2], width);
  const double spacingY = SpacingLog2(v[1], v[3], height);
  mpfr_prec_t precision = 64;
  for (const TMpfr& b : v) precision = std::max(precision, b.Precision() + 64);
  const TMpfrComplex point = DeepClientPoint(params, x, y, width, height, precision);
  // A tenth of a client pixel: neighbours differ in the last digit or two.
  std::array<TMpfr, 4> shown = {point.Re, point.Im, point.Re, point.Im};
  const TBoundTexts texts = TextsOf(shown, spacingX, spacingY, 1);
  return texts[0] + ", " + texts[1];
}

std::string DeepWidthText(const TDeepParams& params) {
  std::array<TMpfr, 4> v = NewBounds();
  if (!ReadBounds(params, v)) return std::string();
  TMpfr extent(std::max(v[0].Precision(), v[2].Precision()) + 8);
  mpfr_sub(extent.Get(), v[2].Get(), v[0].Get(), MPFR_RNDN);
  mpfr_abs(extent.Get(), extent.Get(), MPFR_RNDN);
  char* raw = nullptr;
  if (mpfr_asprintf(&raw, "%.1Re", extent.Get()) < 0 || raw == nullptr) return std::string();
  std::string text = std::string("width ") + raw;
  mpfr_free_str(raw);
  return text;
}

bool BoundDigitsInRange(const std::string& text) {
  return std::count_if(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }) <=
         MaxDecimalDigits;
}

std::shared_ptr<TDeepPlan> DeepPlanFor(const TFractProps& props) {
  if (!props.UsesDeepKernel()) return nullptr;
  std::string errorText;
  std::unique_ptr<TDeepPlan> plan = TDeepPlan::Create(props.DeepParams(), errorText);
  return std::shared_ptr<TDeepPlan>(std::move(plan));
}
