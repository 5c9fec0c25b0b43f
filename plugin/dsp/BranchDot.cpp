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

void ScalarDotPair(const double* c, const double* xa, const double* xb, int taps, double* out)
{
    out[0] = BranchDot(c, xa, taps);
    out[1] = BranchDot(c, xb, taps);
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

void Sse2DotPair(const double* c, const double* xa, const double* xb, int taps, double* out)
{
    out[0] = Sse2Dot(c, xa, taps);
    out[1] = Sse2Dot(c, xb, taps);
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

// Avx2Dot on two windows with the coefficients loaded once.
__attribute__((target("avx2"))) void Avx2DotPair(const double* c, const double* xa, const double* xb, int taps,
                                                 double* out)
{
    __m256d a0123 = _mm256_setzero_pd(), a4567 = a0123, b0123 = a0123, b4567 = a0123;
    int k = 0;
    for (; k + 8 <= taps; k += 8)
    {
        const __m256d c0123 = _mm256_loadu_pd(c + k), c4567 = _mm256_loadu_pd(c + k + 4);
        a0123 = _mm256_add_pd(a0123, _mm256_mul_pd(c0123, _mm256_loadu_pd(xa + k)));
        a4567 = _mm256_add_pd(a4567, _mm256_mul_pd(c4567, _mm256_loadu_pd(xa + k + 4)));
        b0123 = _mm256_add_pd(b0123, _mm256_mul_pd(c0123, _mm256_loadu_pd(xb + k)));
        b4567 = _mm256_add_pd(b4567, _mm256_mul_pd(c4567, _mm256_loadu_pd(xb + k + 4)));
    }
    // The leftover taps go into s0 (lane 0) one after the other.
    if (k < taps)
    {
        double sa0 = _mm_cvtsd_f64(_mm256_castpd256_pd128(a0123));
        double sb0 = _mm_cvtsd_f64(_mm256_castpd256_pd128(b0123));
        for (; k < taps; ++k)
        {
            sa0 += c[k] * xa[k];
            sb0 += c[k] * xb[k];
        }
        a0123 = _mm256_blend_pd(a0123, _mm256_castpd128_pd256(_mm_set_sd(sa0)), 1);
        b0123 = _mm256_blend_pd(b0123, _mm256_castpd128_pd256(_mm_set_sd(sb0)), 1);
    }
    // The same tree in registers: hadd gives {s0+s1, s4+s5, s2+s3, s6+s7},
    // the halves added {(s0+s1)+(s2+s3), (s4+s5)+(s6+s7)}, and the last hadd
    // both windows' sums.
    const __m256d ha = _mm256_hadd_pd(a0123, a4567), hb = _mm256_hadd_pd(b0123, b4567);
    const __m128d ua = _mm_add_pd(_mm256_castpd256_pd128(ha), _mm256_extractf128_pd(ha, 1));
    const __m128d ub = _mm_add_pd(_mm256_castpd256_pd128(hb), _mm256_extractf128_pd(hb, 1));
    _mm_storeu_pd(out, _mm_hadd_pd(ua, ub));
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

BranchDotPairFn BranchDotPairFor(BranchDotKind kind)
{
#if defined(VELTO_HAS_AVX2)
    if (kind == BranchDotKind::kAvx2 && BestBranchDotKind() == BranchDotKind::kAvx2)
        return Avx2DotPair;
#endif
#if defined(VELTO_HAS_SSE2)
    if (kind != BranchDotKind::kScalar)
        return Sse2DotPair;
#endif
    (void)kind;
    return ScalarDotPair;
}
