#include "BranchDot.h"

#include "PolyphaseDesign.h"

#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
#include <immintrin.h>
#define VELTO_X86 1
#endif

#if defined(VELTO_X86) && defined(__SSE2__)
#define VELTO_HAS_SSE2 1
#endif
#if defined(VELTO_X86) && defined(__x86_64__) && defined(__GNUC__)
#define VELTO_HAS_AVX2 1
#endif

namespace
{
constexpr int kStride = PolyphaseLayout::kMaxFactor;

double ScalarDot(const double* c, const double* x, int taps)
{
    return BranchDot(c, x, taps);
}

// Reference order: one branch after another, each gathered into a row.
void ScalarAllBranches(const double* coefByTap, double x0, const double* window, int taps, int factor,
                       double* out)
{
    double row[PolyphaseLayout::kMaxBranchTaps];
    for (int p = 0; p < factor; ++p)
    {
        for (int t = 0; t < taps; ++t)
            row[t] = coefByTap[t * kStride + p];
        out[p] = BranchOutput(row, x0, window, taps);
    }
}

void ScalarAllBranchesPair(const double* coefByTap, double xa0, const double* wa, double xb0,
                           const double* wb, int taps, int factor, double gain, double* rawA, double* rawB,
                           double* outPairs)
{
    ScalarAllBranches(coefByTap, xa0, wa, taps, factor, rawA);
    ScalarAllBranches(coefByTap, xb0, wb, taps, factor, rawB);
    for (int p = 0; p < factor; ++p)
    {
        outPairs[2 * p] = rawA[p] * gain;
        outPairs[2 * p + 1] = rawB[p] * gain;
    }
}

// The reference order of the whole-filter dot product (see FullDotPairFn).
double ScalarFullDot(const double* h, const double* x, int taps)
{
    double s[16] = {};
    int i = 0;
    for (; i + 16 <= taps; i += 16)
        for (int j = 0; j < 16; ++j)
            s[j] += h[i + j] * x[i + j];
    for (; i + 4 <= taps; i += 4)
        for (int j = 0; j < 4; ++j)
            s[j] += h[i + j] * x[i + j];
    double v[4];
    for (int j = 0; j < 4; ++j)
        v[j] = (s[j] + s[j + 4]) + (s[j + 8] + s[j + 12]);
    double r = (v[0] + v[1]) + (v[2] + v[3]);
    for (; i < taps; ++i)
        r += h[i] * x[i];
    return r;
}

void ScalarFullDotPair(const double* h, const double* xa, const double* xb, int taps, double* out)
{
    out[0] = ScalarFullDot(h, xa, taps);
    out[1] = ScalarFullDot(h, xb, taps);
}

// The lane-parallel form for a vector type V of W lanes: eight vectors of
// partial sums, lane p of vector j being branch p's s_j.
template <typename V, int W, V (*Load)(const double*), V (*Splat)(double), V (*Add)(V, V),
          V (*Mul)(V, V), void (*Store)(double*, V)>
inline void LaneAllBranches(const double* coefByTap, double x0, const double* window, int taps,
                            int factor, double* out)
{
    const int n = taps - 1;
    const double* c = coefByTap + kStride;
    const double* x = window + 1;
    for (int g = 0; g < factor; g += W)
    {
        // Named accumulators (not an array) so they stay in registers.
        V s0 = Splat(0.0), s1 = s0, s2 = s0, s3 = s0, s4 = s0, s5 = s0, s6 = s0, s7 = s0;
        const auto term = [&](int k) { return Mul(Load(c + k * kStride + g), Splat(x[k])); };
        int k = 0;
        for (; k + 8 <= n; k += 8)
        {
            s0 = Add(s0, term(k));
            s1 = Add(s1, term(k + 1));
            s2 = Add(s2, term(k + 2));
            s3 = Add(s3, term(k + 3));
            s4 = Add(s4, term(k + 4));
            s5 = Add(s5, term(k + 5));
            s6 = Add(s6, term(k + 6));
            s7 = Add(s7, term(k + 7));
        }
        for (; k < n; ++k)
            s0 = Add(s0, term(k));
        const V tree = Add(Add(Add(s0, s1), Add(s2, s3)), Add(Add(s4, s5), Add(s6, s7)));
        Store(out + g, Add(Mul(Load(coefByTap + g), Splat(x0)), tree));
    }
}

// LaneAllBranches for two windows at once. The partial sums s0..s3 of both
// channels are taken in a first pass over the taps and s4..s7 in a second,
// so that sixteen sums never need to be live at once; every sum still adds
// its taps in the same order, and the tree is the same.
template <typename V, int W, V (*Load)(const double*), V (*Splat)(double), V (*Add)(V, V),
          V (*Mul)(V, V), void (*Store)(double*, V)>
inline void LaneAllBranchesPair(const double* coefByTap, double xa0, const double* wa, double xb0,
                                const double* wb, int taps, int factor, double gain, double* rawA,
                                double* rawB, double* outPairs)
{
    const int n = taps - 1, whole = n / 8 * 8;
    const double* c = coefByTap + kStride;
    const double* xa = wa + 1;
    const double* xb = wb + 1;
    for (int g = 0; g < factor; g += W)
    {
        V a0 = Splat(0.0), a1 = a0, a2 = a0, a3 = a0, b0 = a0, b1 = a0, b2 = a0, b3 = a0;
        const auto step = [&](V& sa, V& sb, int k) {
            const V row = Load(c + k * kStride + g);
            sa = Add(sa, Mul(row, Splat(xa[k])));
            sb = Add(sb, Mul(row, Splat(xb[k])));
        };
        for (int k = 0; k < whole; k += 8)
        {
            step(a0, b0, k);
            step(a1, b1, k + 1);
            step(a2, b2, k + 2);
            step(a3, b3, k + 3);
        }
        for (int k = whole; k < n; ++k)
            step(a0, b0, k);
        V ha = Add(Add(a0, a1), Add(a2, a3)), hb = Add(Add(b0, b1), Add(b2, b3));
        a0 = a1 = a2 = a3 = b0 = b1 = b2 = b3 = Splat(0.0);
        for (int k = 0; k < whole; k += 8)
        {
            step(a0, b0, k + 4);
            step(a1, b1, k + 5);
            step(a2, b2, k + 6);
            step(a3, b3, k + 7);
        }
        ha = Add(ha, Add(Add(a0, a1), Add(a2, a3)));
        hb = Add(hb, Add(Add(b0, b1), Add(b2, b3)));
        const V first = Load(coefByTap + g);
        Store(rawA + g, Add(Mul(first, Splat(xa0)), ha));
        Store(rawB + g, Add(Mul(first, Splat(xb0)), hb));
    }
    for (int p = 0; p < factor; ++p)
    {
        outPairs[2 * p] = rawA[p] * gain;
        outPairs[2 * p + 1] = rawB[p] * gain;
    }
}

#if defined(VELTO_HAS_SSE2)
double Sse2Dot(const double* c, const double* x, int taps)
{
    __m128d s01 = _mm_setzero_pd(), s23 = _mm_setzero_pd();
    __m128d s45 = _mm_setzero_pd(), s67 = _mm_setzero_pd();
    int k = 0;
    for (; k + 8 <= taps; k += 8)
    {
        s01 = _mm_add_pd(s01, _mm_mul_pd(_mm_loadu_pd(c + k), _mm_loadu_pd(x + k)));
        s23 = _mm_add_pd(s23, _mm_mul_pd(_mm_loadu_pd(c + k + 2), _mm_loadu_pd(x + k + 2)));
        s45 = _mm_add_pd(s45, _mm_mul_pd(_mm_loadu_pd(c + k + 4), _mm_loadu_pd(x + k + 4)));
        s67 = _mm_add_pd(s67, _mm_mul_pd(_mm_loadu_pd(c + k + 6), _mm_loadu_pd(x + k + 6)));
    }
    alignas(16) double s[8];
    _mm_store_pd(s, s01);
    _mm_store_pd(s + 2, s23);
    _mm_store_pd(s + 4, s45);
    _mm_store_pd(s + 6, s67);
    for (; k < taps; ++k)
        s[0] += c[k] * x[k];
    return ((s[0] + s[1]) + (s[2] + s[3])) + ((s[4] + s[5]) + (s[6] + s[7]));
}

__m128d Sse2Load(const double* p) { return _mm_load_pd(p); }
__m128d Sse2Splat(double v) { return _mm_set1_pd(v); }
__m128d Sse2Add(__m128d a, __m128d b) { return _mm_add_pd(a, b); }
__m128d Sse2Mul(__m128d a, __m128d b) { return _mm_mul_pd(a, b); }
void Sse2Store(double* p, __m128d v) { _mm_storeu_pd(p, v); }

void Sse2AllBranches(const double* coefByTap, double x0, const double* window, int taps, int factor,
                     double* out)
{
    LaneAllBranches<__m128d, 2, Sse2Load, Sse2Splat, Sse2Add, Sse2Mul, Sse2Store>(coefByTap, x0, window,
                                                                                   taps, factor, out);
}

void Sse2AllBranchesPair(const double* coefByTap, double xa0, const double* wa, double xb0, const double* wb,
                         int taps, int factor, double gain, double* rawA, double* rawB, double* outPairs)
{
    LaneAllBranchesPair<__m128d, 2, Sse2Load, Sse2Splat, Sse2Add, Sse2Mul, Sse2Store>(
        coefByTap, xa0, wa, xb0, wb, taps, factor, gain, rawA, rawB, outPairs);
}

// ScalarFullDot's order with sum pairs {s0, s1}, ..., {s14, s15} in a0..a7.
double Sse2FullDot(const double* h, const double* x, int taps)
{
    __m128d a0 = _mm_setzero_pd(), a1 = a0, a2 = a0, a3 = a0, a4 = a0, a5 = a0, a6 = a0, a7 = a0;
#define VELTO_TERM(k) _mm_mul_pd(_mm_loadu_pd(h + (k)), _mm_loadu_pd(x + (k)))
    int i = 0;
    for (; i + 16 <= taps; i += 16)
    {
        a0 = _mm_add_pd(a0, VELTO_TERM(i));
        a1 = _mm_add_pd(a1, VELTO_TERM(i + 2));
        a2 = _mm_add_pd(a2, VELTO_TERM(i + 4));
        a3 = _mm_add_pd(a3, VELTO_TERM(i + 6));
        a4 = _mm_add_pd(a4, VELTO_TERM(i + 8));
        a5 = _mm_add_pd(a5, VELTO_TERM(i + 10));
        a6 = _mm_add_pd(a6, VELTO_TERM(i + 12));
        a7 = _mm_add_pd(a7, VELTO_TERM(i + 14));
    }
    for (; i + 4 <= taps; i += 4)
    {
        a0 = _mm_add_pd(a0, VELTO_TERM(i));
        a1 = _mm_add_pd(a1, VELTO_TERM(i + 2));
    }
#undef VELTO_TERM
    const __m128d v01 = _mm_add_pd(_mm_add_pd(a0, a2), _mm_add_pd(a4, a6));
    const __m128d v23 = _mm_add_pd(_mm_add_pd(a1, a3), _mm_add_pd(a5, a7));
    const __m128d s = _mm_add_sd(_mm_add_sd(v01, _mm_unpackhi_pd(v01, v01)),
                                 _mm_add_sd(v23, _mm_unpackhi_pd(v23, v23)));
    double r = _mm_cvtsd_f64(s);
    for (; i < taps; ++i)
        r += h[i] * x[i];
    return r;
}

void Sse2FullDotPair(const double* h, const double* xa, const double* xb, int taps, double* out)
{
    out[0] = Sse2FullDot(h, xa, taps);
    out[1] = Sse2FullDot(h, xb, taps);
}
#endif

#if defined(VELTO_HAS_AVX2)
__attribute__((target("avx2"))) double Avx2Dot(const double* c, const double* x, int taps)
{
    __m256d s0123 = _mm256_setzero_pd(), s4567 = _mm256_setzero_pd();
    int k = 0;
    for (; k + 8 <= taps; k += 8)
    {
        s0123 = _mm256_add_pd(s0123, _mm256_mul_pd(_mm256_loadu_pd(c + k), _mm256_loadu_pd(x + k)));
        s4567 = _mm256_add_pd(s4567,
                              _mm256_mul_pd(_mm256_loadu_pd(c + k + 4), _mm256_loadu_pd(x + k + 4)));
    }
    alignas(32) double s[8];
    _mm256_store_pd(s, s0123);
    _mm256_store_pd(s + 4, s4567);
    for (; k < taps; ++k)
        s[0] += c[k] * x[k];
    return ((s[0] + s[1]) + (s[2] + s[3])) + ((s[4] + s[5]) + (s[6] + s[7]));
}

// LaneAllBranches written out for 256-bit lanes (a template would not take
// the AVX2 target of this function).
__attribute__((target("avx2"))) void Avx2AllBranches(const double* coefByTap, double x0,
                                                     const double* window, int taps, int factor,
                                                     double* out)
{
    const int n = taps - 1;
    const double* c = coefByTap + kStride;
    const double* x = window + 1;
    for (int g = 0; g < factor; g += 4)
    {
        __m256d s0 = _mm256_setzero_pd(), s1 = s0, s2 = s0, s3 = s0, s4 = s0, s5 = s0, s6 = s0, s7 = s0;
#define VELTO_TERM(k) _mm256_mul_pd(_mm256_load_pd(c + (k) * kStride + g), _mm256_set1_pd(x[k]))
        int k = 0;
        for (; k + 8 <= n; k += 8)
        {
            s0 = _mm256_add_pd(s0, VELTO_TERM(k));
            s1 = _mm256_add_pd(s1, VELTO_TERM(k + 1));
            s2 = _mm256_add_pd(s2, VELTO_TERM(k + 2));
            s3 = _mm256_add_pd(s3, VELTO_TERM(k + 3));
            s4 = _mm256_add_pd(s4, VELTO_TERM(k + 4));
            s5 = _mm256_add_pd(s5, VELTO_TERM(k + 5));
            s6 = _mm256_add_pd(s6, VELTO_TERM(k + 6));
            s7 = _mm256_add_pd(s7, VELTO_TERM(k + 7));
        }
        for (; k < n; ++k)
            s0 = _mm256_add_pd(s0, VELTO_TERM(k));
#undef VELTO_TERM
        const __m256d tree = _mm256_add_pd(_mm256_add_pd(_mm256_add_pd(s0, s1), _mm256_add_pd(s2, s3)),
                                           _mm256_add_pd(_mm256_add_pd(s4, s5), _mm256_add_pd(s6, s7)));
        _mm256_storeu_pd(out + g,
                         _mm256_add_pd(_mm256_mul_pd(_mm256_load_pd(coefByTap + g), _mm256_set1_pd(x0)), tree));
    }
}

// LaneAllBranchesPair written out for 256-bit lanes; the values of both
// channels leave as {A, B} pairs.
// kTaps and kFactor, where not 0, fix the branch length and the factor at
// compile time (the chain's design), so the loops unroll completely; any
// other design goes to the general form.
template <int kTaps, int kFactor>
__attribute__((target("avx2"))) void Avx2AllBranchesPair(const double* coefByTap, double xa0,
                                                         const double* wa, double xb0, const double* wb,
                                                         int taps, int factor, double gain, double* rawA,
                                                         double* rawB, double* outPairs)
{
    if ((kTaps != 0 && taps != kTaps) || (kFactor != 0 && factor != kFactor))
        return Avx2AllBranchesPair<0, 0>(coefByTap, xa0, wa, xb0, wb, taps, factor, gain, rawA, rawB, outPairs);
    if (kFactor != 0)
        factor = kFactor;
    if (kTaps != 0)
        taps = kTaps;
    const int n = taps - 1, whole = n / 8 * 8;
    const double* c = coefByTap + kStride;
    // The same rows again under a name the compiler cannot see through, so
    // each multiply takes its row straight from memory; a row loaded once
    // into a register for both channels costs an extra instruction and, with
    // the loops unrolled, spills.
    const double* cb = c;
    asm("" : "+r"(cb));
    const double* xa = wa + 1;
    const double* xb = wb + 1;
    const __m256d g4 = _mm256_set1_pd(gain);
    for (int g = 0; g < factor; g += 4)
    {
        __m256d a0 = _mm256_setzero_pd(), a1 = a0, a2 = a0, a3 = a0, b0 = a0, b1 = a0, b2 = a0, b3 = a0;
#define VELTO_STEP(sa, sb, k)                                                   \
    {                                                                           \
        const __m256d rowA = _mm256_load_pd(c + (k) * kStride + g);             \
        const __m256d rowB = _mm256_load_pd(cb + (k) * kStride + g);            \
        sa = _mm256_add_pd(sa, _mm256_mul_pd(rowA, _mm256_set1_pd(xa[k])));    \
        sb = _mm256_add_pd(sb, _mm256_mul_pd(rowB, _mm256_set1_pd(xb[k])));    \
    }
        for (int k = 0; k < whole; k += 8)
        {
            VELTO_STEP(a0, b0, k)
            VELTO_STEP(a1, b1, k + 1)
            VELTO_STEP(a2, b2, k + 2)
            VELTO_STEP(a3, b3, k + 3)
        }
        for (int k = whole; k < n; ++k)
            VELTO_STEP(a0, b0, k)
        __m256d ha = _mm256_add_pd(_mm256_add_pd(a0, a1), _mm256_add_pd(a2, a3));
        __m256d hb = _mm256_add_pd(_mm256_add_pd(b0, b1), _mm256_add_pd(b2, b3));
        a0 = a1 = a2 = a3 = b0 = b1 = b2 = b3 = _mm256_setzero_pd();
        for (int k = 0; k < whole; k += 8)
        {
            VELTO_STEP(a0, b0, k + 4)
            VELTO_STEP(a1, b1, k + 5)
            VELTO_STEP(a2, b2, k + 6)
            VELTO_STEP(a3, b3, k + 7)
        }
#undef VELTO_STEP
        ha = _mm256_add_pd(ha, _mm256_add_pd(_mm256_add_pd(a0, a1), _mm256_add_pd(a2, a3)));
        hb = _mm256_add_pd(hb, _mm256_add_pd(_mm256_add_pd(b0, b1), _mm256_add_pd(b2, b3)));
        const __m256d first = _mm256_load_pd(coefByTap + g);
        const __m256d ra = _mm256_add_pd(_mm256_mul_pd(first, _mm256_set1_pd(xa0)), ha);
        const __m256d rb = _mm256_add_pd(_mm256_mul_pd(first, _mm256_set1_pd(xb0)), hb);
        _mm256_storeu_pd(rawA + g, ra);
        _mm256_storeu_pd(rawB + g, rb);
        // {A0, B0, A2, B2} and {A1, B1, A3, B3} make the pairs in time order.
        const __m256d ga = _mm256_mul_pd(ra, g4), gb = _mm256_mul_pd(rb, g4);
        const __m256d even = _mm256_unpacklo_pd(ga, gb), odd = _mm256_unpackhi_pd(ga, gb);
        double* out = outPairs + 2 * g;
        if (factor - g >= 4)
        {
            _mm256_storeu_pd(out, _mm256_permute2f128_pd(even, odd, 0x20));
            _mm256_storeu_pd(out + 4, _mm256_permute2f128_pd(even, odd, 0x31));
            continue;
        }
        const int left = factor - g;
        _mm_storeu_pd(out, _mm256_castpd256_pd128(even));
        if (left > 1)
            _mm_storeu_pd(out + 2, _mm256_castpd256_pd128(odd));
        if (left > 2)
            _mm_storeu_pd(out + 4, _mm256_extractf128_pd(even, 1));
    }
}

// Keeps a value loaded once in a register: without this the compiler folds
// a shared coefficient load into each multiply and loads it twice.
__attribute__((target("avx2"))) inline void KeepInRegister(__m256d& v)
{
    asm volatile("" : "+x"(v));
}

// Four values written two at a time, read the same way.
__attribute__((target("avx2"))) inline __m256d LoadPairs(const double* x)
{
    return _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(x)), _mm_loadu_pd(x + 2), 1);
}

// ScalarFullDot's order for two windows: vector m of a channel holds the
// sums s4m..s4m+3. kTaps, where not 0, fixes the length at compile time (the
// chain's decimator); the main loop runs two of its steps per pass, which
// keeps every sum's order.
template <int kTaps>
__attribute__((target("avx2"))) void Avx2FullDotPair(const double* h, const double* xa, const double* xb,
                                                     int taps, double* out)
{
    if (kTaps != 0 && taps != kTaps)
        return Avx2FullDotPair<0>(h, xa, xb, taps, out);
    if (kTaps != 0)
        taps = kTaps;
    __m256d a0 = _mm256_setzero_pd(), a1 = a0, a2 = a0, a3 = a0, b0 = a0, b1 = a0, b2 = a0, b3 = a0;
#define VELTO_STEP(sa, sb, k)                                                   \
    {                                                                           \
        __m256d cv = _mm256_loadu_pd(h + (k));                                  \
        KeepInRegister(cv);                                                     \
        sa = _mm256_add_pd(sa, _mm256_mul_pd(cv, _mm256_loadu_pd(xa + (k))));   \
        sb = _mm256_add_pd(sb, _mm256_mul_pd(cv, _mm256_loadu_pd(xb + (k))));   \
    }
    int i = 0;
    if (taps >= 16)
    {
        // The newest four values of each window were just written two at a
        // time: read them the same way, so the loads take them straight from
        // the stores instead of waiting for them to reach the cache.
        __m256d cv = _mm256_loadu_pd(h);
        KeepInRegister(cv);
        a0 = _mm256_mul_pd(cv, LoadPairs(xa));
        b0 = _mm256_mul_pd(cv, LoadPairs(xb));
        // 0 + product, as the loop adds it: a product of -0 sums as +0.
        a0 = _mm256_add_pd(_mm256_setzero_pd(), a0);
        b0 = _mm256_add_pd(_mm256_setzero_pd(), b0);
        VELTO_STEP(a1, b1, 4)
        VELTO_STEP(a2, b2, 8)
        VELTO_STEP(a3, b3, 12)
        i = 16;
    }
#pragma GCC unroll 2
    for (; i + 16 <= taps; i += 16)
    {
        VELTO_STEP(a0, b0, i)
        VELTO_STEP(a1, b1, i + 4)
        VELTO_STEP(a2, b2, i + 8)
        VELTO_STEP(a3, b3, i + 12)
    }
    for (; i + 4 <= taps; i += 4)
        VELTO_STEP(a0, b0, i)
#undef VELTO_STEP
    const __m256d va = _mm256_add_pd(_mm256_add_pd(a0, a1), _mm256_add_pd(a2, a3));
    const __m256d vb = _mm256_add_pd(_mm256_add_pd(b0, b1), _mm256_add_pd(b2, b3));
    // hadd gives {a0+a1, b0+b1, a2+a3, b2+b3} (lanes); the halves added, both sums.
    const __m256d hd = _mm256_hadd_pd(va, vb);
    const __m128d sums = _mm_add_pd(_mm256_castpd256_pd128(hd), _mm256_extractf128_pd(hd, 1));
    if (i == taps)
    {
        _mm_storeu_pd(out, sums);
        return;
    }
    double ra = _mm_cvtsd_f64(sums), rb = _mm_cvtsd_f64(_mm_unpackhi_pd(sums, sums));
    for (; i < taps; ++i)
    {
        ra += h[i] * xa[i];
        rb += h[i] * xb[i];
    }
    out[0] = ra;
    out[1] = rb;
}

bool CpuHasAvx2()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}
#endif
}  // namespace

BranchDotKind BestBranchDotKind()
{
#if defined(VELTO_HAS_AVX2)
    static const bool avx2 = CpuHasAvx2();
    if (avx2)
        return BranchDotKind::kAvx2;
#endif
#if defined(VELTO_HAS_SSE2)
    return BranchDotKind::kSse2;
#else
    return BranchDotKind::kScalar;
#endif
}

BranchDotFn BranchDotFor(BranchDotKind kind)
{
#if defined(VELTO_HAS_AVX2)
    if (kind == BranchDotKind::kAvx2 && BestBranchDotKind() == BranchDotKind::kAvx2)
        return Avx2Dot;
#endif
#if defined(VELTO_HAS_SSE2)
    if (kind != BranchDotKind::kScalar)
        return Sse2Dot;
#endif
    (void)kind;
    return ScalarDot;
}

AllBranchesFn AllBranchesFor(BranchDotKind kind)
{
#if defined(VELTO_HAS_AVX2)
    if (kind == BranchDotKind::kAvx2 && BestBranchDotKind() == BranchDotKind::kAvx2)
        return Avx2AllBranches;
#endif
#if defined(VELTO_HAS_SSE2)
    if (kind != BranchDotKind::kScalar)
        return Sse2AllBranches;
#endif
    (void)kind;
    return ScalarAllBranches;
}

AllBranchesPairFn AllBranchesPairFor(BranchDotKind kind, int taps, int factor)
{
#if defined(VELTO_HAS_AVX2)
    if (kind == BranchDotKind::kAvx2 && BestBranchDotKind() == BranchDotKind::kAvx2)
        return taps == 20 && factor == 4 ? Avx2AllBranchesPair<20, 4> : Avx2AllBranchesPair<0, 0>;
#else
    (void)taps, (void)factor;
#endif
#if defined(VELTO_HAS_SSE2)
    if (kind != BranchDotKind::kScalar)
        return Sse2AllBranchesPair;
#endif
    (void)kind;
    return ScalarAllBranchesPair;
}

FullDotPairFn FullDotPairFor(BranchDotKind kind, int taps)
{
#if defined(VELTO_HAS_AVX2)
    if (kind == BranchDotKind::kAvx2 && BestBranchDotKind() == BranchDotKind::kAvx2)
        return taps == 176 ? Avx2FullDotPair<176> : Avx2FullDotPair<0>;
#else
    (void)taps;
#endif
#if defined(VELTO_HAS_SSE2)
    if (kind != BranchDotKind::kScalar)
        return Sse2FullDotPair;
#endif
    (void)kind;
    return ScalarFullDotPair;
}
