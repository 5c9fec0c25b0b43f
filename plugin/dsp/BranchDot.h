#pragma once

// Vector forms of BranchDot (PolyphaseDesign.h), chosen once at run time.
//
// Every form keeps the scalar form's eight partial sums s0..s7 (lane j of the
// vectors holds s_j), adds the leftover taps to s0 in order and combines the
// sums in the same tree, ((s0+s1)+(s2+s3))+((s4+s5)+(s6+s7)); without fused
// multiply-adds each lane does the scalar arithmetic, so every form returns
// the scalar result bit for bit.
//
// AVX2 is offered on x86-64 only (the 32-bit Windows stack is not kept
// 32-byte aligned for spilled 256-bit registers); SSE2 on any x86 build that
// targets it; the scalar form everywhere else.
using BranchDotFn = double (*)(const double* c, const double* x, int taps);

enum class BranchDotKind { kScalar, kSse2, kAvx2 };

// The fastest form this CPU runs; picked on the first call (a CPUID query),
// so make that call outside the audio thread, e.g. from a constructor.
// [any thread]
BranchDotKind BestBranchDotKind();

// The form of the given kind, or the scalar form where that kind is not
// built or not supported by this CPU. [any thread]
BranchDotFn BranchDotFor(BranchDotKind kind);

inline BranchDotFn BestBranchDot() { return BranchDotFor(BestBranchDotKind()); }

// All branches of an interpolator on one history window at once, the
// branches in the vector lanes: coefByTap holds tap t of branch p at
// [t * 8 + p] (unused branches zero), and out[p] for p < factor (rounded up
// to the lane width, at most 8) receives
//   coefByTap[p] * x0 + BranchDot(branch p from tap 1, window + 1, taps - 1),
// the same value, bit for bit, as BranchOutput on that branch. The window is
// read from index 1 on; x0 is the newest value. [audio thread]
using AllBranchesFn = void (*)(const double* coefByTap, double x0, const double* window, int taps,
                               int factor, double* out);

AllBranchesFn AllBranchesFor(BranchDotKind kind);

inline AllBranchesFn BestAllBranches() { return AllBranchesFor(BestBranchDotKind()); }

// Both channels of an interpolator pair in one pass: AllBranchesFn's values
// for windows wa (newest xa0) and wb (newest xb0), each times gain, written
// as pairs: outPairs[2p] is channel A's branch p, outPairs[2p + 1] channel
// B's, for p < factor. rawA and rawB receive the values before the gain
// (factor of them, rounded up to the lane width). One pass over the
// coefficient rows serves both channels; the arithmetic per channel is that
// of AllBranchesFn, so the values are the same bit for bit. [audio thread]
using AllBranchesPairFn = void (*)(const double* coefByTap, double xa0, const double* wa, double xb0,
                                   const double* wb, int taps, int factor, double gain, double* rawA,
                                   double* rawB, double* outPairs);

// taps and factor pick a form unrolled for that design where there is one
// (the chain's); any form takes any design.
AllBranchesPairFn AllBranchesPairFor(BranchDotKind kind, int taps = 0, int factor = 0);

inline AllBranchesPairFn BestAllBranchesPair(int taps = 0, int factor = 0)
{
    return AllBranchesPairFor(BestBranchDotKind(), taps, factor);
}

// One dot product over a whole filter, sum h[i] * x[i] for i < taps, for two
// windows (channels A and B of a decimator pair) with the coefficient loads
// shared. The sum runs in sixteen partial sums (four vectors of four lanes:
// tap i goes to sum i % 16 while sixteen taps remain, then to sum i % 4 in
// groups of four), combined lane by lane as (s0 + s1) + (s2 + s3) over the
// four vectors and then across the lanes as (l0 + l1) + (l2 + l3); the last
// taps % 4 taps are added one by one. Every form follows this order, so all
// give the same result bit for bit. h and the windows need no alignment.
// [audio thread]
using FullDotPairFn = void (*)(const double* h, const double* xa, const double* xb, int taps, double* out);

// taps picks a form unrolled for that length where there is one (the
// chain's); any form takes any length.
FullDotPairFn FullDotPairFor(BranchDotKind kind, int taps = 0);

inline FullDotPairFn BestFullDotPair(int taps = 0) { return FullDotPairFor(BestBranchDotKind(), taps); }
