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
double ScalarDot(const double* c, const double* x, int taps)
{
    return BranchDot(c, x, taps);
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
