#pragma once

#if defined(__SSE2__) || defined(__x86_64__) || defined(_M_X64) || defined(__i386__) || defined(_M_IX86)
#define VELTO_HAS_MXCSR 1
#include <xmmintrin.h>
#else
#define VELTO_HAS_MXCSR 0
#endif

// Sets the SSE control/status register for one audio block and restores it.
//
// 0xFFC0: flush-to-zero and denormals-are-zero on, rounding toward zero, all
// six exceptions masked. On destruction the caller's register comes back with
// the six sticky exception flags (0x3F) cleared, so nothing raised inside the
// block leaks out. Being RAII, every return path restores. A no-op on
// processors without MXCSR. Construct and destroy on the same thread.
// [audio thread]
class ScopedDenormalGuard
{
public:
    static constexpr unsigned kBlockMode = 0xFFC0u;
    static constexpr unsigned kExceptionFlags = 0x3Fu;

#if VELTO_HAS_MXCSR
    ScopedDenormalGuard() : saved_(_mm_getcsr()) { _mm_setcsr(kBlockMode); }
    ~ScopedDenormalGuard() { _mm_setcsr(saved_ & ~kExceptionFlags); }
#else
    ScopedDenormalGuard() = default;
    ~ScopedDenormalGuard() = default;
#endif

    ScopedDenormalGuard(const ScopedDenormalGuard&) = delete;
    ScopedDenormalGuard& operator=(const ScopedDenormalGuard&) = delete;

private:
#if VELTO_HAS_MXCSR
    unsigned saved_;
#endif
};
