#pragma once

#include "Lanes2.h"

// Two successive samples of channels A and B in one four-double value
// (A0 B0 A1 B1), for the parts of a block that need no state from the
// sample before: each lane does the arithmetic Lanes2 does on its sample,
// bit for bit (no fused multiply-adds; the selections and limits are those
// of the SSE2 instructions).
//
// Written with GCC's generic vectors, so that it compiles for any target:
// inlined into a function compiled for AVX2 (the core's block form) it
// becomes 256-bit instructions, elsewhere pairs of 128-bit ones. Only with
// GCC on x86-64 (VELTO_LANES4); other builds use Lanes2 throughout.
//
// Lanes2 offers the same interface for one sample (kSamples = 1, Join and
// Split trivial), so that block code is written once for both widths.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define VELTO_LANES4 1

struct Mask4
{
    using Bits = long long __attribute__((vector_size(32)));
    Bits v;
};

struct Lanes4
{
    using Values = double __attribute__((vector_size(32)));
    using Bits = unsigned long long __attribute__((vector_size(32)));
    Values v;

    static constexpr int kSamples = 2;
    VELTO_LANES_INLINE static Lanes4 Both(double x) { return {Values{x, x, x, x}}; }
    // {a, b} for each of the two samples.
    // Built in registers (one pair, then both halves): left to itself the
    // compiler may write the four values one by one to memory and read them
    // back as one, which cannot take its data from the narrower stores.
    VELTO_LANES_INLINE static Lanes4 Of(double a, double b) { return Repeat(Lanes2::Of(a, b)); }
    VELTO_LANES_INLINE static Lanes4 Repeat(Lanes2 x) { return {__builtin_shufflevector(x.v, x.v, 0, 1, 0, 1)}; }
    // Two samples' {A, B} from p[0..3].
    VELTO_LANES_INLINE static Lanes4 Load(const double* p)
    {
        Values v;
        __builtin_memcpy(&v, p, sizeof v);
        return {v};
    }
    // Samples p[0] and p[1].
    VELTO_LANES_INLINE static Lanes4 Join(const Lanes2* p)
    {
        return {Values{p[0].v[0], p[0].v[1], p[1].v[0], p[1].v[1]}};
    }
    VELTO_LANES_INLINE void Split(Lanes2* p) const
    {
        p[0].v = __m128d{v[0], v[1]};
        p[1].v = __m128d{v[2], v[3]};
    }
};

VELTO_LANES_INLINE Lanes4 operator+(Lanes4 x, Lanes4 y) { return {x.v + y.v}; }
VELTO_LANES_INLINE Lanes4 operator-(Lanes4 x, Lanes4 y) { return {x.v - y.v}; }
VELTO_LANES_INLINE Lanes4 operator*(Lanes4 x, Lanes4 y) { return {x.v * y.v}; }
VELTO_LANES_INLINE Lanes4 operator/(Lanes4 x, Lanes4 y) { return {x.v / y.v}; }
VELTO_LANES_INLINE Mask4 operator&(Mask4 x, Mask4 y) { return {x.v & y.v}; }
// A NaN compares false, as in scalar code.
VELTO_LANES_INLINE Mask4 operator<(Lanes4 x, Lanes4 y) { return {x.v < y.v}; }
VELTO_LANES_INLINE Mask4 operator<=(Lanes4 x, Lanes4 y) { return {x.v <= y.v}; }
VELTO_LANES_INLINE Lanes4 Select(Mask4 m, Lanes4 x, Lanes4 y) { return {m.v ? x.v : y.v}; }
VELTO_LANES_INLINE Lanes4 Abs(Lanes4 x)
{
    const Lanes4::Bits magnitude = ~Lanes4::Bits{} >> 1;
    return {reinterpret_cast<Lanes4::Values>(reinterpret_cast<Lanes4::Bits>(x.v) & magnitude)};
}
// As Lanes2's Limit, the SSE2 max and min included: max(x, -limit) is x
// when x > -limit and -limit otherwise (a NaN too).
VELTO_LANES_INLINE Lanes4 Limit(Lanes4 x, double limit)
{
    const Lanes4::Values low = x.v > -limit ? x.v : Lanes4::Values{} - limit;
    return {low < limit ? low : Lanes4::Values{} + limit};
}
VELTO_LANES_INLINE Lanes4 AOfXBOfY(Lanes4 x, Lanes4 y) { return {__builtin_shuffle(x.v, y.v, Mask4::Bits{0, 5, 2, 7})}; }
VELTO_LANES_INLINE Lanes4 BOfXAOfY(Lanes4 x, Lanes4 y) { return {__builtin_shuffle(x.v, y.v, Mask4::Bits{1, 4, 3, 6})}; }
VELTO_LANES_INLINE Lanes4 BothA(Lanes4 x) { return {__builtin_shuffle(x.v, Mask4::Bits{0, 0, 2, 2})}; }
VELTO_LANES_INLINE Lanes4 BothB(Lanes4 x) { return {__builtin_shuffle(x.v, Mask4::Bits{1, 1, 3, 3})}; }
VELTO_LANES_INLINE Lanes4 MagicMinusHalfBits(Lanes4 x, unsigned long long magic)
{
    const Lanes4::Bits bits = reinterpret_cast<Lanes4::Bits>(x.v) >> 1;
    return {reinterpret_cast<Lanes4::Values>(Lanes4::Bits{} + magic - bits)};
}

// Order tests on bit patterns, for the AVX2 block: its floating-point ports
// are the busy ones, and a 64-bit integer comparison runs on another. Read as
// signed integers, the patterns of non-negative doubles order as their
// values and a NaN's lies above infinity's; each test says where it gives
// what the floating-point comparison gives.
namespace Patterns
{
using Bits2 = Mask2::Bits;
using Bits4 = Mask4::Bits;
constexpr long long Of(double x) { return __builtin_bit_cast(long long, x); }
// The patterns, as the integer lanes of a mask value.
VELTO_LANES_INLINE Mask2 Of(Lanes2 x) { return {reinterpret_cast<Bits2>(x.v)}; }
VELTO_LANES_INLINE Mask4 Of(Lanes4 x) { return {reinterpret_cast<Bits4>(x.v)}; }

// A constant in every lane, loaded as a value the compiler does not see
// through: it would otherwise fold the comparisons below into ones the
// instruction set lacks (a >= b as not b > a) and build the constant from
// immediates at every use.
template <long long K, class Mask>
VELTO_LANES_INLINE Mask Splat()
{
    alignas(32) static constexpr long long kLanes[4] = {K, K, K, K};
    const long long* lanes = kLanes;
    asm("" : "+r"(lanes));
    Mask m;
    __builtin_memcpy(&m.v, lanes, sizeof m.v);
    return m;
}

// For a magnitude m (a non-negative double or NaN): least <= m <= DBL_MAX,
// false for infinity and NaN, exactly as the floating-point test.
template <long long Least, class Mask, class V>
VELTO_LANES_INLINE Mask FiniteAtLeast(V m)
{
    using Bits = decltype(Mask::v);
    const Bits b = reinterpret_cast<Bits>(m.v);
    return {(b > Splat<Least - 1, Mask>().v) & (Splat<Of(1.7976931348623157e308) + 1, Mask>().v > b)};
}
template <long long Least>
VELTO_LANES_INLINE Mask2 FiniteAtLeast(Lanes2 m) { return FiniteAtLeast<Least, Mask2>(m); }
template <long long Least>
VELTO_LANES_INLINE Mask4 FiniteAtLeast(Lanes4 m) { return FiniteAtLeast<Least, Mask4>(m); }

// x > y and x < -y for a non-negative y (a negative x reads as a negative
// integer): exact for every x but a NaN.
template <long long Y>
VELTO_LANES_INLINE Mask2 Above(Lanes2 x) { return {Of(x).v > Splat<Y, Mask2>().v}; }
template <long long Y>
VELTO_LANES_INLINE Mask2 BelowMinus(Lanes2 x)
{
    return {(Of(x).v ^ Splat<Of(-0.0), Mask2>().v) > Splat<Y, Mask2>().v};
}

// The sign bit of each lane: x < 0 for every x but -0 and a NaN with the sign set.
VELTO_LANES_INLINE Mask4 Negative(Lanes4 x) { return {Of(x).v < Bits4{}}; }
}  // namespace Patterns
#endif
