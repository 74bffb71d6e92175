#pragma once

// The real transcendental functions of the formulas. They come from SLEEF's deterministic
// builds without fused multiply-add, whose vector versions (used by the fast kernel) give the
// same bits lane by lane on every instruction set, so both kernels agree exactly and a picture
// is the same on every machine. Accuracy: within 1 ulp. Overflow gives an infinity, an invalid
// argument NaN; nothing traps.

/// sin x and cos x of one argument.
struct TSinCos {
  double Sin, Cos;
};

/// e^x.
double RealExp(double x);
/// sin x and cos x, from one reduction of x.
TSinCos RealSinCos(double x);
/// sinh x.
double RealSinh(double x);
/// cosh x.
double RealCosh(double x);
/// x to the real power y.
double RealPow(double x, double y);
/// arcsin x, in [-pi/2, pi/2]; NaN outside [-1, 1].
double RealAsin(double x);
/// e^x - 1, accurate for small x.
double RealExpm1(double x);
/// log(1 + x), accurate for small x.
double RealLog1p(double x);
/// The angle of (x, y) in (-pi, pi].
double RealAtan2(double y, double x);
