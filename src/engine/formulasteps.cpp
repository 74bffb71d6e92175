#include "engine/formulasteps.h"

#include <array>
#include <cmath>

#include "engine/formulas.h"
#include "engine/realfunctions.h"

namespace {

/// A real number with its derivative along one direction: the step computed on these carries
/// its own derivative, whatever the formula's quirks.
struct TDual {
  double v, d;
};

inline TDual operator+(TDual a, TDual b) { return {a.v + b.v, a.d + b.d}; }
inline TDual operator-(TDual a, TDual b) { return {a.v - b.v, a.d - b.d}; }
inline TDual operator-(TDual a) { return {-a.v, -a.d}; }
inline TDual operator*(TDual a, TDual b) { return {a.v * b.v, a.d * b.v + a.v * b.d}; }
inline TDual operator/(TDual a, TDual b) {
  return {a.v / b.v, (a.d * b.v - a.v * b.d) / (b.v * b.v)};
}

/// TDual as a number model (formulamath.h).
struct TDualModel {
  using D = TDual;
  using M = bool;
  static TDual Set(double v) { return {v, 0.0}; }
  static TDual Abs(TDual a) { return a.v < 0 ? -a : a; }
  static TDual Select(bool m, TDual ifSet, TDual otherwise) { return m ? ifSet : otherwise; }
  static bool GreaterEq(TDual a, TDual b) { return a.v >= b.v; }
  static bool Equal(TDual a, TDual b) { return a.v == b.v; }
  static TDual Sqrt(TDual a) {
    const double s = std::sqrt(a.v);
    return {s, a.d / (2.0 * s)};
  }
  static TDual Asin(TDual a) { return {RealAsin(a.v), a.d / std::sqrt(1.0 - a.v * a.v)}; }
  // The formulas raise to constant powers only.
  static TDual Pow(TDual a, TDual b) {
    return {RealPow(a.v, b.v), b.v * RealPow(a.v, b.v - 1.0) * a.d};
  }
  static void SinCos(TDual a, TDual& sin, TDual& cos) {
    const TSinCos both = RealSinCos(a.v);
    sin = {both.Sin, both.Cos * a.d};
    cos = {both.Cos, -both.Sin * a.d};
  }
  static TDual Exp(TDual a) {
    const double e = RealExp(a.v);
    return {e, e * a.d};
  }
  static TDual Sinh(TDual a) { return {RealSinh(a.v), RealCosh(a.v) * a.d}; }
  static TDual Cosh(TDual a) { return {RealCosh(a.v), RealSinh(a.v) * a.d}; }
};

using TDualComplex = TVComplex<TDualModel>;

TDualComplex Constant(TComplex z) { return {{z.re, 0.0}, {z.im, 0.0}}; }

}  // namespace

template <class F>
TComplex ScalarStep(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m) {
  double a = 0.0, b = 0.0;
  if constexpr (F::SquaresParts) {
    a = z.re * z.re;
    b = z.im * z.im;
  }
  return F::template Step<TScalarModel>(z, a, b, c, d, n, m);
}

namespace {

// The step on dual numbers, in the formula's smooth form where it has one.
template <class F>
TDualComplex DualStep(TDualComplex w, TDual a, TDual b, TDualComplex c, TDualComplex d,
                      int32_t n, int32_t m) {
  if constexpr (requires { F::template SmoothStep<TDualModel>(w, c, d, n, m); })
    return F::template SmoothStep<TDualModel>(w, c, d, n, m);
  else
    return F::template Step<TDualModel>(w, a, b, c, d, n, m);
}

}  // namespace

template <class F>
TComplex ScalarDerivative(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m) {
  // Along the real axis: for a holomorphic step f' = du/dx + i dv/dx.
  const TDualComplex w{{z.re, 1.0}, {z.im, 0.0}};
  const TDualComplex next =
      DualStep<F>(w, w.re * w.re, w.im * w.im, Constant(c), Constant(d), n, m);
  return {next.re.d, next.im.d};
}

template <class F>
TFormulaPartials ScalarPartials(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m) {
  // Along the real axis of each variable in turn (see ScalarDerivative).
  const auto derivative = [&](TDualComplex w, TDualComplex cw, TDualComplex dw) {
    TDual a{0.0, 0.0}, b{0.0, 0.0};
    if constexpr (F::SquaresParts) {
      a = w.re * w.re;
      b = w.im * w.im;
    }
    const TDualComplex next = DualStep<F>(w, a, b, cw, dw, n, m);
    return TComplex{next.re.d, next.im.d};
  };
  const TDualComplex zc = Constant(z), cc = Constant(c), dc = Constant(d);
  TFormulaPartials partials;
  partials.Dz = derivative({{z.re, 1.0}, {z.im, 0.0}}, cc, dc);
  partials.Dc = derivative(zc, {{c.re, 1.0}, {c.im, 0.0}}, dc);
  partials.Dd = derivative(zc, cc, {{d.re, 1.0}, {d.im, 0.0}});
  return partials;
}

// Every formula's two functions, made here where their definitions are seen: the table of
// pointers the formula table (TFormula.h) takes them from, kept so that they are emitted.
namespace {
template <class... F>
constexpr auto Instances(TFormulaList<F...>) {
  return std::array{&ScalarStep<F>..., &ScalarDerivative<F>...};
}
template <class... F>
constexpr auto PartialInstances(TFormulaList<F...>) {
  return std::array{&ScalarPartials<F>...};
}
}  // namespace

extern const std::array<TComplex (*)(TComplex, TComplex, TComplex, int32_t, int32_t),
                        2 * TAllFormulas::Count>
    FormulaStepInstances;
const std::array<TComplex (*)(TComplex, TComplex, TComplex, int32_t, int32_t),
                 2 * TAllFormulas::Count>
    FormulaStepInstances = Instances(TAllFormulas{});
extern const std::array<TFormulaPartials (*)(TComplex, TComplex, TComplex, int32_t, int32_t),
                        TAllFormulas::Count>
    FormulaPartialInstances;
const std::array<TFormulaPartials (*)(TComplex, TComplex, TComplex, int32_t, int32_t),
                 TAllFormulas::Count>
    FormulaPartialInstances = PartialInstances(TAllFormulas{});
