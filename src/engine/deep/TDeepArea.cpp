#include "engine/deep/TDeepArea.h"

#include <algorithm>

#include "engine/deep/deepzoom.h"

namespace {

// (index - from) / count * (end - begin): the product is exact, the quotient rounded once.
TFloatExp Offset(const TMpfr& begin, const TMpfr& end, int index, int from, int count) {
  const mpfr_prec_t precision = std::max(begin.Precision(), end.Precision()) + 64;
  TMpfr extent(precision);
  mpfr_sub(extent.Get(), end.Get(), begin.Get(), MPFR_RNDN);
  mpfr_mul_si(extent.Get(), extent.Get(), static_cast<long>(index) - from, MPFR_RNDN);
  mpfr_div_si(extent.Get(), extent.Get(), count, MPFR_RNDN);
  return extent.ToFloatExp();
}

TFloatExp Spacing(const TMpfr& begin, const TMpfr& end, int count) {
  TFloatExp s = Offset(begin, end, 1, 0, count);
  s.M = std::fabs(s.M);
  return s;
}

}  // namespace

TDeepArea::TDeepArea() : Left(64), Right(64), Top(64), Bottom(64) {}

bool TDeepArea::Parse(const TDeepParams& params, TDeepArea& area, std::string& errorText) {
  TDeepArea read;
  const struct {
    const char* Name;
    const std::string& Text;
    TMpfr& Value;
  } fields[] = {{"Left", params.Left, read.Left},
                {"Right", params.Right, read.Right},
                {"Top", params.Top, read.Top},
                {"Bottom", params.Bottom, read.Bottom}};
  for (const auto& field : fields) {
    std::string message;
    if (!ParseDecimal(field.Text, field.Value, message)) {
      errorText = std::string("In ") + field.Name + ": " + message;
      return false;
    }
  }
  read.XResolution = params.XResolution;
  read.YResolution = params.YResolution;
  area = std::move(read);
  return true;
}

TFloatExp TDeepArea::SpacingX() const { return Spacing(Left, Right, XResolution); }
TFloatExp TDeepArea::SpacingY() const { return Spacing(Top, Bottom, YResolution); }

TFloatExp TDeepArea::Magnitude() const {
  TFloatExp largest;
  for (const TMpfr* bound : {&Left, &Right, &Top, &Bottom}) {
    TFloatExp v = bound->ToFloatExp();
    v.M = std::fabs(v.M);
    largest = Max(largest, v);
  }
  return largest;
}

TMpfrComplex TDeepArea::PixelPoint(int x, int y, mpfr_prec_t precision) const {
  TMpfrComplex p(precision);
  const mpfr_prec_t wide = precision + 64;
  TMpfr t(wide);
  mpfr_sub(t.Get(), Right.Get(), Left.Get(), MPFR_RNDN);
  mpfr_mul_si(t.Get(), t.Get(), x, MPFR_RNDN);
  mpfr_div_si(t.Get(), t.Get(), XResolution, MPFR_RNDN);
  mpfr_add(p.Re.Get(), Left.Get(), t.Get(), MPFR_RNDN);
  mpfr_sub(t.Get(), Bottom.Get(), Top.Get(), MPFR_RNDN);
  mpfr_mul_si(t.Get(), t.Get(), y, MPFR_RNDN);
  mpfr_div_si(t.Get(), t.Get(), YResolution, MPFR_RNDN);
  mpfr_add(p.Im.Get(), Top.Get(), t.Get(), MPFR_RNDN);
  return p;
}

TFloatExp TDeepArea::ColumnOffset(int x, int from) const {
  return Offset(Left, Right, x, from, XResolution);
}

TFloatExp TDeepArea::RowOffset(int y, int from) const {
  return Offset(Top, Bottom, y, from, YResolution);
}
