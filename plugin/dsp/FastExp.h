#pragma once

// Table-driven double-precision exponential used for all coefficient work
// (one-pole designs, meter ballistics, dB conversions) and inside the
// saturation core.
//
// Result: 2^(n/2048) * exp(-t), with n = x * 2048/ln2 rounded in the current
// floating-point rounding mode and a third-order polynomial for exp(-t),
// |t| <= ln2/2048. Relative error against exp() is about 1e-13 (worst near
// the bottom of the range, about 1.4e-13).
//
// Limits: x <= -708.3964185322641 gives 0, x >= 709.782712893384 gives +inf.
// Just below the upper limit the rounded n reaches the top binade, so in
// round-to-nearest the result is already +inf there; in round-toward-zero it
// stays finite. NaN in gives NaN out.
//
// Pure function, no allocation; the 16 KiB table is built on first use from
// the C runtime's pow() (thread-safe static initialisation). [any thread]
double FastExp(double x);

// Lower and upper argument limits of FastExp.
constexpr double kFastExpLowerLimit = -708.3964185322641;
constexpr double kFastExpUpperLimit = 709.782712893384;
