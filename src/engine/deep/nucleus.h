#pragma once
#include <atomic>
#include <cstdint>

#include "engine/deep/TMpfrComplex.h"

// The nucleus of a hyperbolic component ("minibrot") of z^k + c: the c whose orbit of 0 returns
// to 0 after `period` steps. Its orbit never escapes, which makes it the best reference for the
// pixels around it.

/// Most Newton steps FindNucleus takes.
constexpr int MaxNewtonSteps = 64;

/// Improves `c` by Newton's method on z_period(c) = 0 (z_0 = 0, z_{n+1} = z_n^k + c with k =
/// the formula's deep degree), at c's precision. True when the correction has fallen below
/// 2^-(precision - 8) of |c|; false when it has not within MaxNewtonSteps, the derivative
/// vanished, or `stop` became true (c is then unspecified).
bool FindNucleus(TMpfrComplex& c, int formula, int64_t period, const std::atomic<bool>* stop);
