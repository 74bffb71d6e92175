#include "engine/deep/deepzoom.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "engine/TFormula.h"
#include "engine/deep/TDeepArea.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// log2 |x|, -infinity for 0.
double Log2Of(TFloatExp x) {
  return x.M == 0.0 ? -std::numeric_limits<double>::infinity() : Log2Abs(x);
}

}  // namespace

bool DeepKernelSupports(int formula) {
  return formula >= 0 && formula < FormulaCount &&
         Formulas[static_cast<size_t>(formula)].DeepZoom != nullptr;
}

std::string DeepZoomFormulaList() {
  std::string list;
  for (const TFormula& f : Formulas)
    if (f.DeepZoom) list += (list.empty() ? "" : ", ") + std::string(f.DisplayText);
  return list;
}

int DeepDegree(int formula) {
  return formula >= 0 && formula < FormulaCount
             ? Formulas[static_cast<size_t>(formula)].DeepDegree
             : 0;
}

double DoubleLimitLog2(int formula, int mapField, int32_t maxDepth) {
  if (!DeepKernelSupports(formula)) return DeepThresholdLog2;
  // Measured with bench/bench_deep's "Switch" sweep (log2 of MaxDepth, log2 of the limit): the
  // limit is where more than about one double pixel in a thousand is off by a step or more
  // from exact arithmetic without being ill-conditioned. With the pixel as c: orbits of 500
  // steps keep doubles right past 2^-44, of 1000 steps to 2^-30, of 2000 and more to about
  // 2^-24. With the pixel as z (and as d, which these formulas do not read) Julia sets of c
  // near the boundary of the Mandelbrot set go wrong past 2^-36 from 1000 steps on. Between
  // the points the limit runs straight; past the last it rises two bits (the pixel as c) or
  // one bit (as z) for each doubling of MaxDepth.
  struct TPoint {
    double Depth, Limit;
  };
  static constexpr TPoint AsC[] = {{8.97, -40.0}, {9.97, -30.0}, {10.97, -24.5}, {16.61, -22.0}};
  static constexpr TPoint AsZ[] = {{8.97, -40.0}, {9.97, -36.0}, {14.29, -36.0}};
  const bool asC = mapField == TKernelParams::MapC;
  const TPoint* points = asC ? AsC : AsZ;
  const size_t count = asC ? std::size(AsC) : std::size(AsZ);
  const double depth = std::log2(std::max<double>(maxDepth, 1));
  if (depth <= points[0].Depth) return points[0].Limit;
  for (size_t i = 1; i < count; ++i)
    if (depth <= points[i].Depth)
      return points[i - 1].Limit + (depth - points[i - 1].Depth) /
                                       (points[i].Depth - points[i - 1].Depth) *
                                       (points[i].Limit - points[i - 1].Limit);
  const TPoint last = points[count - 1];
  // Views of the whole set stay with the doubles whatever the limit.
  return std::min(last.Limit + (asC ? 2.0 : 1.0) * (depth - last.Depth), -8.0);
}

double RelativeResolutionLog2(TFloatExp spacingX, TFloatExp spacingY, TFloatExp magnitude,
                              int mapField, int formula, double cAbs) {
  const double sx = Log2Of(spacingX);
  const double sy = Log2Of(spacingY);
  // An axis of zero extent shows one value; it has nothing to resolve.
  const double spacing = std::isinf(sx) ? sy : std::isinf(sy) ? sx : std::min(sx, sy);
  if (std::isinf(spacing)) return std::numeric_limits<double>::infinity();
  const double m = Log2Of(magnitude);
  double measure = spacing - m;
  if (mapField != TKernelParams::MapC) {
    // One step maps differences s at |z0| <= M to k M^(k-1) s around values up to M^k + |c|.
    const int k = DeepDegree(formula) > 0 ? DeepDegree(formula) : 2;
    const double grown = spacing + std::log2(static_cast<double>(k)) + (k - 1) * m;
    const double power = k * m;
    // log2(M^k + |c|), without leaving the logarithms.
    double around = power;
    if (cAbs > 0) {
      const double lc = std::log2(cAbs);
      around = std::max(power, lc) + std::log2(1.0 + std::exp2(-std::fabs(power - lc)));
    }
    measure = std::min(measure, grown - around);
  }
  return measure;
}

bool NeedsDeepKernel(const TKernelParams& p) {
  // In long double the extent of finite bounds cannot overflow.
  const auto spacing = [](double begin, double end, int count) {
    int exponent = 0;
    const long double mantissa =
        std::frexp(std::fabs((static_cast<long double>(end) - begin) / count), &exponent);
    return Normalized(static_cast<double>(mantissa), exponent);
  };
  const double magnitude = std::max({std::fabs(p.Left), std::fabs(p.Right), std::fabs(p.Top),
                                     std::fabs(p.Bottom)});
  return RelativeResolutionLog2(spacing(p.Left, p.Right, std::max(p.XResolution, 1)),
                                spacing(p.Top, p.Bottom, std::max(p.YResolution, 1)),
                                ToFloatExp(magnitude), p.MapField, p.Formula,
                                std::hypot(p.CR, p.CI)) <
         DoubleLimitLog2(p.Formula, p.MapField, p.MaxDepth);
}

bool NeedsDeepKernel(const TDeepParams& params) {
  TDeepArea area;
  std::string error;
  if (params.XResolution < 1 || params.YResolution < 1 ||
      !TDeepArea::Parse(params, area, error))
    return false;
  return RelativeResolutionLog2(area.SpacingX(), area.SpacingY(), area.Magnitude(),
                                params.MapField, params.Formula,
                                std::hypot(params.CR, params.CI)) <
         DoubleLimitLog2(params.Formula, params.MapField, params.MaxDepth);
}

bool ParseDecimal(const std::string& text, TMpfr& value, std::string& message) {
  size_t pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
    negative = text[pos] == '-';
    ++pos;
  }
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  std::string digits;  // as MPFR reads them: digits "." digits
  size_t count = 0;
  while (pos < text.size() && IsDigit(text[pos])) {
    digits += text[pos++];
    ++count;
  }
  if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
    ++pos;
    digits += '.';
    while (pos < text.size() && IsDigit(text[pos])) {
      digits += text[pos++];
      ++count;
    }
  }
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  if (count == 0) {
    message = pos == text.size() ? "Input has no value." : "Value is not a plain decimal number.";
    return false;
  }
  if (pos != text.size()) {
    message = "Value is not a plain decimal number.";
    return false;
  }
  if (count > static_cast<size_t>(MaxDecimalDigits)) {
    message = "Value is out of range.";
    return false;
  }
  if (digits.front() == '.') digits.insert(digits.begin(), '0');
  if (digits.back() == '.') digits += '0';
  // Enough bits for every digit given, so that the text is read to its last place.
  const mpfr_prec_t bits = static_cast<mpfr_prec_t>(std::ceil(count * 3.3219280948873623)) + 64;
  TMpfr read(bits);
  if (mpfr_set_str(read.Get(), digits.c_str(), 10, MPFR_RNDN) != 0) {
    message = "Value is not a plain decimal number.";
    return false;
  }
  if (negative) mpfr_neg(read.Get(), read.Get(), MPFR_RNDN);
  value = std::move(read);
  return true;
}

std::string ExactDecimal(double x) {
  // A double is a dyadic fraction: 1100 decimals hold every one exactly.
  std::string buffer(1500, '\0');
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), x,
                                    std::chars_format::fixed, 1100);
  std::string text(buffer.data(), result.ptr);
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return text;
}

namespace {

// The fields a deep and a double view have alike.
template <class TTo, class TFrom>
void CopyShared(TTo& to, const TFrom& from) {
  to.XResolution = from.XResolution;
  to.YResolution = from.YResolution;
  to.OuterCircle = from.OuterCircle;
  to.InnerDist = from.InnerDist;
  to.CR = from.CR;
  to.CI = from.CI;
  to.DR = from.DR;
  to.DI = from.DI;
  to.N = from.N;
  to.M = from.M;
  to.MaxDepth = from.MaxDepth;
  to.MaxCycle = from.MaxCycle;
  to.Formula = from.Formula;
  to.MapField = from.MapField;
  to.ColorMode = from.ColorMode;
}

}  // namespace

TDeepParams DeepParamsFrom(const TKernelParams& p) {
  TDeepParams d;
  CopyShared(d, p);
  d.Left = ExactDecimal(p.Left);
  d.Right = ExactDecimal(p.Right);
  d.Top = ExactDecimal(p.Top);
  d.Bottom = ExactDecimal(p.Bottom);
  return d;
}

TKernelParams DoubleParamsFrom(const TDeepParams& d) {
  TKernelParams p;
  CopyShared(p, d);
  p.Left = std::strtod(d.Left.c_str(), nullptr);
  p.Right = std::strtod(d.Right.c_str(), nullptr);
  p.Top = std::strtod(d.Top.c_str(), nullptr);
  p.Bottom = std::strtod(d.Bottom.c_str(), nullptr);
  return p;
}

std::string DecimalText(const TMpfr& value, int digits) {
  if (mpfr_zero_p(value.Get())) return "0";
  if (!mpfr_number_p(value.Get())) return mpfr_nan_p(value.Get()) ? "nan" : "inf";
  mpfr_exp_t exponent = 0;
  char* raw = mpfr_get_str(nullptr, &exponent, 10, static_cast<size_t>(std::max(digits, 1)),
                           value.Get(), MPFR_RNDN);
  std::string mantissa(raw);
  mpfr_free_str(raw);
  const bool negative = mantissa.front() == '-';
  if (negative) mantissa.erase(0, 1);
  // The value is 0.mantissa * 10^exponent.
  std::string text;
  const long long places = exponent;
  const long long count = static_cast<long long>(mantissa.size());
  if (places <= 0) {
    text = "0." + std::string(static_cast<size_t>(-places), '0') + mantissa;
  } else if (places >= count) {
    text = mantissa + std::string(static_cast<size_t>(places - count), '0');
  } else {
    text = mantissa.substr(0, static_cast<size_t>(places)) + "." +
           mantissa.substr(static_cast<size_t>(places));
  }
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  return negative ? "-" + text : text;
}

bool SetDeepViewAround(TDeepParams& params, const std::string& centreRe,
                       const std::string& centreIm, const std::string& width,
                       std::string& errorText) {
  TMpfr re(64), im(64), w(64);
  std::string message;
  if (!ParseDecimal(centreRe, re, message) || !ParseDecimal(centreIm, im, message) ||
      !ParseDecimal(width, w, message)) {
    errorText = message;
    return false;
  }
  if (mpfr_sgn(w.Get()) <= 0 || params.XResolution < 1 || params.YResolution < 1) {
    errorText = "Value must be positive and more than 0.";
    return false;
  }
  // Digits: from the largest coordinate down to a ten-thousandth of a pixel.
  const double spacing = Log2Abs(w.ToFloatExp()) - std::log2(std::max(params.XResolution, 1));
  double largest = std::max({Log2Abs(w.ToFloatExp()), 0.0});
  for (const TMpfr* v : {&re, &im})
    if (!mpfr_zero_p(v->Get())) largest = std::max(largest, Log2Abs(v->ToFloatExp()) + 1);
  const int digits = static_cast<int>(std::ceil((largest - spacing) * 0.30102999566398120)) + 5;
  const mpfr_prec_t precision =
      std::max({re.Precision(), im.Precision(), w.Precision()}) +
      static_cast<mpfr_prec_t>(largest - spacing) + 64;
  TMpfr half(precision), halfHeight(precision), bound(precision);
  mpfr_div_2ui(half.Get(), w.Get(), 1, MPFR_RNDN);
  mpfr_mul_si(halfHeight.Get(), half.Get(), params.YResolution, MPFR_RNDN);
  mpfr_div_si(halfHeight.Get(), halfHeight.Get(), params.XResolution, MPFR_RNDN);
  TDeepParams result = params;
  mpfr_sub(bound.Get(), re.Get(), half.Get(), MPFR_RNDN);
  result.Left = DecimalText(bound, digits);
  mpfr_add(bound.Get(), re.Get(), half.Get(), MPFR_RNDN);
  result.Right = DecimalText(bound, digits);
  mpfr_add(bound.Get(), im.Get(), halfHeight.Get(), MPFR_RNDN);
  result.Top = DecimalText(bound, digits);
  mpfr_sub(bound.Get(), im.Get(), halfHeight.Get(), MPFR_RNDN);
  result.Bottom = DecimalText(bound, digits);
  params = result;
  return true;
}
