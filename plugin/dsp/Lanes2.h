#pragma once

// Two doubles handled together: channels A and B of the saturation core in
// the two lanes of one SSE2 register where the target has SSE2, a pair of
// plain doubles otherwise. Each lane does exactly the scalar arithmetic (no
// fused multiply-adds), so a chain written with Lanes2 gives each channel the
// result of the same chain written per channel, bit for bit.
// The per-sample helpers built on Lanes2 are forced inline, so that a caller
// compiled for a wider instruction set (the core's AVX2 form) takes them in
// with its own encoding instead of calling the SSE2 copy.
// VELTO_UNROLL before a loop over a block's few samples unrolls it, so that
// the samples' values stay in registers instead of arrays.
#if defined(__GNUC__)
#define VELTO_LANES_INLINE inline __attribute__((always_inline))
#define VELTO_UNROLL _Pragma("GCC unroll 8")
#else
#define VELTO_LANES_INLINE inline
#define VELTO_UNROLL
#endif

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>

struct Lanes2
{
    __m128d v;

    static constexpr int kSamples = 1;  // samples per value, see Lanes4.h
    static Lanes2 Of(double a, double b) { return {_mm_set_pd(b, a)}; }
    static Lanes2 Both(double x) { return {_mm_set1_pd(x)}; }
    static Lanes2 Load(const double* p) { return {_mm_loadu_pd(p)}; }
    void Store(double* p) const { _mm_storeu_pd(p, v); }
    static Lanes2 Repeat(Lanes2 x) { return x; }
    static Lanes2 Join(const Lanes2* p) { return p[0]; }
    void Split(Lanes2* p) const { p[0] = *this; }
    double A() const { return _mm_cvtsd_f64(v); }
    double B() const { return _mm_cvtsd_f64(_mm_unpackhi_pd(v, v)); }
};

inline Lanes2 operator+(Lanes2 x, Lanes2 y) { return {_mm_add_pd(x.v, y.v)}; }
inline Lanes2 operator-(Lanes2 x, Lanes2 y) { return {_mm_sub_pd(x.v, y.v)}; }
inline Lanes2 operator*(Lanes2 x, Lanes2 y) { return {_mm_mul_pd(x.v, y.v)}; }
inline Lanes2 operator/(Lanes2 x, Lanes2 y) { return {_mm_div_pd(x.v, y.v)}; }

// Per-lane comparison results; a NaN compares false, as in scalar code.
#if defined(__GNUC__) && !defined(__clang__)
// With GCC the comparisons and the selection are generic vector ones: the
// compiler then knows a Mask2 is a mask and takes one blend for a selection
// where the code is compiled for AVX (the core's block form).
struct Mask2
{
    using Bits = long long __attribute__((vector_size(16)));
    Bits v;
    bool Any() const { return _mm_movemask_pd(_mm_castsi128_pd(reinterpret_cast<__m128i>(v))) != 0; }
    bool All() const { return _mm_movemask_pd(_mm_castsi128_pd(reinterpret_cast<__m128i>(v))) == 3; }
};

inline Mask2 operator&(Mask2 x, Mask2 y) { return {x.v & y.v}; }
inline Mask2 operator|(Mask2 x, Mask2 y) { return {x.v | y.v}; }
inline Mask2 operator<(Lanes2 x, Lanes2 y) { return {x.v < y.v}; }
inline Mask2 operator<=(Lanes2 x, Lanes2 y) { return {x.v <= y.v}; }
inline Mask2 operator>=(Lanes2 x, Lanes2 y) { return {x.v >= y.v}; }

// m ? x : y, lane by lane.
inline Lanes2 Select(Mask2 m, Lanes2 x, Lanes2 y) { return {m.v ? x.v : y.v}; }
#else
struct Mask2
{
    __m128d v;
    bool Any() const { return _mm_movemask_pd(v) != 0; }
    bool All() const { return _mm_movemask_pd(v) == 3; }
};

inline Mask2 operator&(Mask2 x, Mask2 y) { return {_mm_and_pd(x.v, y.v)}; }
inline Mask2 operator|(Mask2 x, Mask2 y) { return {_mm_or_pd(x.v, y.v)}; }
inline Mask2 operator<(Lanes2 x, Lanes2 y) { return {_mm_cmplt_pd(x.v, y.v)}; }
inline Mask2 operator<=(Lanes2 x, Lanes2 y) { return {_mm_cmple_pd(x.v, y.v)}; }
inline Mask2 operator>=(Lanes2 x, Lanes2 y) { return {_mm_cmpge_pd(x.v, y.v)}; }

// m ? x : y, lane by lane.
inline Lanes2 Select(Mask2 m, Lanes2 x, Lanes2 y)
{
    return {_mm_or_pd(_mm_and_pd(m.v, x.v), _mm_andnot_pd(m.v, y.v))};
}
#endif
inline Lanes2 Abs(Lanes2 x) { return {_mm_andnot_pd(_mm_set1_pd(-0.0), x.v)}; }
// x limited to [-limit, limit]; a NaN lane comes out as some value in range.
inline Lanes2 Limit(Lanes2 x, double limit)
{
    return {_mm_min_pd(_mm_max_pd(x.v, _mm_set1_pd(-limit)), _mm_set1_pd(limit))};
}
// {x.A, y.B}, {x.B, y.A}, {x.A, x.A}, {x.B, x.B}.
inline Lanes2 AOfXBOfY(Lanes2 x, Lanes2 y) { return {_mm_move_sd(y.v, x.v)}; }
inline Lanes2 BOfXAOfY(Lanes2 x, Lanes2 y) { return {_mm_shuffle_pd(x.v, y.v, 1)}; }
inline Lanes2 BothA(Lanes2 x) { return {_mm_unpacklo_pd(x.v, x.v)}; }
inline Lanes2 BothB(Lanes2 x) { return {_mm_unpackhi_pd(x.v, x.v)}; }
// {x.A, y.A}, {x.B, y.B}.
inline Lanes2 Firsts(Lanes2 x, Lanes2 y) { return {_mm_unpacklo_pd(x.v, y.v)}; }
inline Lanes2 Seconds(Lanes2 x, Lanes2 y) { return {_mm_unpackhi_pd(x.v, y.v)}; }
// The double with the bit pattern magic - (pattern of x >> 1), per lane.
inline Lanes2 MagicMinusHalfBits(Lanes2 x, unsigned long long magic)
{
    const __m128i bits = _mm_srli_epi64(_mm_castpd_si128(x.v), 1);
    return {_mm_castsi128_pd(_mm_sub_epi64(_mm_set1_epi64x(static_cast<long long>(magic)), bits))};
}
#else
#include <cmath>
#include <cstdint>
#include <cstring>

struct Lanes2
{
    double a, b;

    static constexpr int kSamples = 1;
    static Lanes2 Of(double a, double b) { return {a, b}; }
    static Lanes2 Both(double x) { return {x, x}; }
    static Lanes2 Load(const double* p) { return {p[0], p[1]}; }
    void Store(double* p) const { p[0] = a, p[1] = b; }
    static Lanes2 Repeat(Lanes2 x) { return x; }
    static Lanes2 Join(const Lanes2* p) { return p[0]; }
    void Split(Lanes2* p) const { p[0] = *this; }
    double A() const { return a; }
    double B() const { return b; }
};

inline Lanes2 operator+(Lanes2 x, Lanes2 y) { return {x.a + y.a, x.b + y.b}; }
inline Lanes2 operator-(Lanes2 x, Lanes2 y) { return {x.a - y.a, x.b - y.b}; }
inline Lanes2 operator*(Lanes2 x, Lanes2 y) { return {x.a * y.a, x.b * y.b}; }
inline Lanes2 operator/(Lanes2 x, Lanes2 y) { return {x.a / y.a, x.b / y.b}; }

struct Mask2
{
    bool a, b;
    bool Any() const { return a || b; }
    bool All() const { return a && b; }
};

inline Mask2 operator&(Mask2 x, Mask2 y) { return {x.a && y.a, x.b && y.b}; }
inline Mask2 operator|(Mask2 x, Mask2 y) { return {x.a || y.a, x.b || y.b}; }
inline Mask2 operator<(Lanes2 x, Lanes2 y) { return {x.a < y.a, x.b < y.b}; }
inline Mask2 operator<=(Lanes2 x, Lanes2 y) { return {x.a <= y.a, x.b <= y.b}; }
inline Mask2 operator>=(Lanes2 x, Lanes2 y) { return {x.a >= y.a, x.b >= y.b}; }

inline Lanes2 Select(Mask2 m, Lanes2 x, Lanes2 y) { return {m.a ? x.a : y.a, m.b ? x.b : y.b}; }
inline Lanes2 Abs(Lanes2 x) { return {std::fabs(x.a), std::fabs(x.b)}; }
inline Lanes2 Limit(Lanes2 x, double limit)
{
    const auto one = [limit](double v) { return v > limit ? limit : (v < -limit ? -limit : v); };
    return {one(x.a), one(x.b)};
}
inline Lanes2 AOfXBOfY(Lanes2 x, Lanes2 y) { return {x.a, y.b}; }
inline Lanes2 BOfXAOfY(Lanes2 x, Lanes2 y) { return {x.b, y.a}; }
inline Lanes2 BothA(Lanes2 x) { return {x.a, x.a}; }
inline Lanes2 BothB(Lanes2 x) { return {x.b, x.b}; }
inline Lanes2 Firsts(Lanes2 x, Lanes2 y) { return {x.a, y.a}; }
inline Lanes2 Seconds(Lanes2 x, Lanes2 y) { return {x.b, y.b}; }
inline Lanes2 MagicMinusHalfBits(Lanes2 x, unsigned long long magic)
{
    const auto one = [magic](double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        bits = magic - (bits >> 1);
        double r;
        std::memcpy(&r, &bits, sizeof r);
        return r;
    };
    return {one(x.a), one(x.b)};
}
#endif

// Per-lane state of a first-order low-pass pair (OnePoleLowpass's
// arithmetic): y = b0 * x + a1 * y. [audio thread]
struct OnePolePair
{
    double b0[2] = {1.0, 1.0};
    double a1[2] = {};
    double y[2] = {};

    // N samples in a row, out[j] for x[j] (out may be x); the state stays in
    // registers between them.
    template <int N>
    VELTO_LANES_INLINE void Run(const Lanes2* x, Lanes2* out)
    {
        const Lanes2 b = Lanes2::Load(b0), a = Lanes2::Load(a1);
        Lanes2 s = Lanes2::Load(y);
        VELTO_UNROLL
        for (int j = 0; j < N; ++j)
            out[j] = s = b * x[j] + a * s;
        s.Store(y);
    }

    Lanes2 Process(Lanes2 x)
    {
        Run<1>(&x, &x);
        return x;
    }
};

// A pair of second-order sections in direct form I (BiquadSection's
// ProcessDF1 arithmetic, term by term in the same order). [audio thread]
struct BiquadPair
{
    double b0[2] = {1.0, 1.0}, b1[2] = {}, b2[2] = {}, a1[2] = {}, a2[2] = {};
    double x1[2] = {}, x2[2] = {}, y1[2] = {}, y2[2] = {};

    // N samples in a row, out[j] for x[j] (out may be x). With V = Lanes4
    // the feed-forward part, b0 x[n] + b1 x[n-1] + b2 x[n-2], which needs
    // no output before it, runs two samples at a time first; the feedback
    // terms follow sample by sample, in the same order of operations.
    template <int N, class V = Lanes2>
    VELTO_LANES_INLINE void Run(const Lanes2* x, Lanes2* out)
    {
        const Lanes2 c0 = Lanes2::Load(b0), c1 = Lanes2::Load(b1), c2 = Lanes2::Load(b2);
        const Lanes2 d1 = Lanes2::Load(a1), d2 = Lanes2::Load(a2);
        Lanes2 px1 = Lanes2::Load(x1), px2 = Lanes2::Load(x2);
        Lanes2 py1 = Lanes2::Load(y1), py2 = Lanes2::Load(y2);
        if constexpr (V::kSamples == 2 && N % 2 == 0)
        {
            Lanes2 forward[N];
            const V e0 = V::Repeat(c0), e1 = V::Repeat(c1), e2 = V::Repeat(c2);
            VELTO_UNROLL
            for (int j = 0; j < N; j += 2)
            {
                const Lanes2 previous[2] = {px1, x[j]}, before[2] = {px2, px1};
                (e0 * V::Join(x + j) + e1 * V::Join(previous) + e2 * V::Join(before)).Split(forward + j);
                px2 = x[j];
                px1 = x[j + 1];
            }
            VELTO_UNROLL
            for (int j = 0; j < N; ++j)
            {
                const Lanes2 y = forward[j] - d1 * py1 - d2 * py2;
                py2 = py1;
                py1 = y;
                out[j] = y;
            }
        }
        else
        {
            VELTO_UNROLL
            for (int j = 0; j < N; ++j)
            {
                const Lanes2 in = x[j];
                const Lanes2 y = c0 * in + c1 * px1 + c2 * px2 - d1 * py1 - d2 * py2;
                px2 = px1;
                px1 = in;
                py2 = py1;
                py1 = y;
                out[j] = y;
            }
        }
        px1.Store(x1);
        px2.Store(x2);
        py1.Store(y1);
        py2.Store(y2);
    }

    Lanes2 Process(Lanes2 x)
    {
        Run<1>(&x, &x);
        return x;
    }

    void Clear()
    {
        x1[0] = x1[1] = x2[0] = x2[1] = 0.0;
        y1[0] = y1[1] = y2[0] = y2[1] = 0.0;
    }
};
