#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <string>

#include "engine/TFormula.h"
#include "engine/fastkernel.h"

namespace {

bool SameBits(TComplex a, TComplex b) {
  return std::memcmp(&a.re, &b.re, sizeof(double)) == 0 &&
         std::memcmp(&a.im, &b.im, sizeof(double)) == 0;
}

TEST(FormulaTable, NamesAreUniqueAndFilesTellFormulasApart) {
  std::set<std::string> identifiers, texts;
  for (const TFormula& f : Formulas) {
    EXPECT_TRUE(identifiers.insert(f.Identifier).second) << f.Identifier;
    EXPECT_TRUE(texts.insert(f.DisplayText).second) << f.DisplayText;
    // The help page lists several formulas in one cell, separated by ", ".
    EXPECT_EQ(std::string(f.DisplayText).find(", "), std::string::npos) << f.DisplayText;
  }
}

// What the dialog greys out must be what the step ignores: a step that reads d, N or M where
// the table says it does not would make the dialog hide a field that changes the picture.
TEST(FormulaTable, UsedConstantsAreExactlyThoseTheStepReads) {
  const TComplex zs[] = {{0.3, 0.4}, {-0.7, 0.2}, {1.1, -0.5}};
  const TComplex c{0.1, 0.2};
  const TComplex d1{0.2, -0.3}, d2{-0.6, 0.5};
  for (int i = 0; i < FormulaCount; ++i) {
    const TFormula& f = Formulas[static_cast<size_t>(i)];
    SCOPED_TRACE(f.Identifier);
    bool readsD = false, readsN = false, readsM = false;
    for (const TComplex z : zs) {
      const TComplex base = f.Step(z, c, d1, 2, 2);
      readsD |= !SameBits(base, f.Step(z, c, d2, 2, 2));
      readsN |= !SameBits(base, f.Step(z, c, d1, 3, 2));
      readsM |= !SameBits(base, f.Step(z, c, d1, 2, 4));
    }
    EXPECT_EQ(readsD, f.UsesD);
    EXPECT_EQ(readsN, f.UsesN);
    EXPECT_EQ(readsM, f.UsesM);
  }
}

// The derivative confirms cycles: it must be the slope of the step as the program computes it.
TEST(FormulaTable, DerivativeIsTheStepsSlope) {
  const TComplex zs[] = {{0.3, 0.4}, {-0.7, 0.2}, {1.1, -0.5}, {-0.4, -0.9}};
  const TComplex c{0.1, 0.2}, d{0.2, -0.3};
  for (int i = 0; i < FormulaCount; ++i) {
    const TFormula& f = Formulas[static_cast<size_t>(i)];
    for (int32_t n : {1, 2, 5})
      for (const TComplex z : zs) {
        SCOPED_TRACE(std::string(f.Identifier) + " N " + std::to_string(n) + " at " +
                     std::to_string(z.re) + "," + std::to_string(z.im));
        // Central differences along both axes: a holomorphic step has the same slope on each.
        const double h = 1e-6;
        const TComplex right = f.Step({z.re + h, z.im}, c, d, n, 3);
        const TComplex left = f.Step({z.re - h, z.im}, c, d, n, 3);
        const TComplex up = f.Step({z.re, z.im + h}, c, d, n, 3);
        const TComplex down = f.Step({z.re, z.im - h}, c, d, n, 3);
        const TComplex alongRe{(right.re - left.re) / (2 * h), (right.im - left.im) / (2 * h)};
        // Dividing the difference along the imaginary axis by i.
        const TComplex alongIm{(up.im - down.im) / (2 * h), -(up.re - down.re) / (2 * h)};
        const TComplex derivative = f.Derivative(z, c, d, n, 3);
        const double scale = 1e-6 * std::max(1.0, std::hypot(derivative.re, derivative.im));
        EXPECT_NEAR(derivative.re, alongRe.re, scale);
        EXPECT_NEAR(derivative.im, alongRe.im, scale);
        EXPECT_NEAR(derivative.re, alongIm.re, scale);
        EXPECT_NEAR(derivative.im, alongIm.im, scale);
      }
  }
}

TEST(FormulaTable, EscapeFactorsKeepTheirBits) {
  struct {
    int Formula;
    int32_t N;
    double Factor;  // 0: whole depths
  } cases[] = {{0, 5, 1.0}, {1, 5, 0.5}, {2, 5, 1.0 / 3.0}, {3, 5, 1.0 / 5}, {3, 7, 1.0 / 7},
               {4, 5, 0}, {5, 5, 0}, {8, 5, 0}, {9, 5, 0}, {12, 5, 0}};
  for (const auto& t : cases) {
    const TFormula& f = Formulas[static_cast<size_t>(t.Formula)];
    SCOPED_TRACE(f.Identifier);
    EXPECT_EQ(f.Fractional(), t.Factor != 0);
    if (f.Fractional()) {
      EXPECT_EQ(f.EscapeFactor(t.N), t.Factor);
    }
  }
}

// The thirteen formulas of the parameter record, in the order its Formula field counts them,
// with the identifiers files store, the texts the dialog lists and the constants it offers.
TEST(FormulaTable, HoldsTheThirteenFormulasInTheirOrder) {
  const struct {
    const char* Identifier;
    const char* DisplayText;
    bool UsesD, UsesN, UsesM;
    int DeepDegree = 0;  // only z^2 + c, z^3 + c and z^4 + c zoom deep
  } expected[] = {
      {"z^2+c", "z^2 + c", false, false, false, 2},
      {"z^3+c", "z^3 + c", false, false, false, 3},
      {"z^4+c", "z^4 + c", false, false, false, 4},
      {"z^n+c", "z^n + c", false, true, false},
      {"z^3-3d^2z+c", "z^3 - 3 d^2 z + c", true, false, false},
      {"z^n+dz^m+c", "z^n + d z^m + c", true, true, true},
      {"z(c+(1-c)z^n)", "z ( c + ( 1 - c ) z^n)", false, true, false},
      {"z(c+(1-c)/z^n)", "z ( c + ( 1 - c ) / z^n)", false, true, false},
      {"z(c+dz^n)/(1/z^n)", "z ( c + d z^n) / (1 + z^n)", true, true, false},
      {"exp(z)-z-1+c", "exp(z) - z - 1 + c", false, false, false},
      {"sin(z)+c", "sin(z) + c", false, false, false},
      {"csin(z)", "c sin(z)", false, false, false},
      {"sin(z)-z-1+c", "sin(z) - z - 1 + c", false, false, false},
  };
  ASSERT_EQ(FormulaCount, 13);
  for (int i = 0; i < FormulaCount; ++i) {
    const TFormula& f = Formulas[static_cast<size_t>(i)];
    SCOPED_TRACE(i);
    EXPECT_STREQ(f.Identifier, expected[i].Identifier);
    EXPECT_STREQ(f.DisplayText, expected[i].DisplayText);
    EXPECT_EQ(f.UsesD, expected[i].UsesD);
    EXPECT_EQ(f.UsesN, expected[i].UsesN);
    EXPECT_EQ(f.UsesM, expected[i].UsesM);
    EXPECT_EQ(f.DeepDegree, expected[i].DeepDegree);
  }
}

TEST(FormulaTable, TheFastKernelTakesEveryFormula) {
  TKernelParams p;
  for (int i = 0; i < FormulaCount; ++i) {
    p.Formula = i;
    EXPECT_TRUE(FastKernelVectorises(p)) << i;
  }
  p.Formula = FormulaCount;
  EXPECT_FALSE(FastKernelVectorises(p));
}

}  // namespace
