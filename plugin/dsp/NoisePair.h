#pragma once

#include <cstdint>
#include <cstring>

#include "Lanes2.h"
#include "Lanes4.h"
#include "NoiseGenerator.h"

// The hiss of channels A and B: two NoiseGenerators with their own seeds and
// the same colour and level, run side by side. Each lane draws the values a
// NoiseGenerator with that seed draws, in the same order, and combines them
// with the same arithmetic, so lane A (B) gives exactly what the generator
// seeded with seedA (seedB) gives. Both lanes replace the same pink row each
// step (their counters run in step); the rare redraw of a row that would leave
// the pink sum's bounds is done for the lane that needs it alone.
// Plain state, no allocation. [audio thread] except where noted.
class NoisePair
{
public:
    NoisePair(std::uint32_t seedA, std::uint32_t seedB) : state_{seedA, seedB} {}

    // As NoiseGenerator::Configure, for both lanes.
    // [reset / parameter change, under the instance lock]
    void Configure(double levelDb, double colour, double rateHz);

    // Next hiss value of both lanes. [audio thread]
    VELTO_LANES_INLINE Lanes2 Next()
    {
        Lanes2 out;
        Run<1>(&out);
        return out;
    }

    // The next N values. With V = Lanes4 (the core's AVX2 block) a block of
    // steps that keeps one pink row and stays inside the pink sum's bounds
    // draws two steps' values at a time; any other block goes step by step.
    // [audio thread]
    template <int N, class V = Lanes2>
    VELTO_LANES_INLINE void Run(Lanes2* out)
    {
#if defined(VELTO_LANES4)
        if constexpr (V::kSamples == 2 && N % 2 == 0)
        {
            if (RunPairs<N>(out))
                return;
        }
#endif
        RunSteps<N>(out);
    }

    std::uint32_t State(int lane) const { return state_[lane & 1]; }

private:
    static constexpr double kPinkBound = 4.0;
    static constexpr double kWalkBound = 8.0;
    static constexpr double kFeedback = 0.125;
    static constexpr int kMaxRedraws = 16;
    static constexpr std::uint32_t kMultiplier = 196314165u;
    static constexpr std::uint32_t kIncrement = 907633515u;

    // The red walk's step back inside its bounds.
    static VELTO_LANES_INLINE Lanes2 Reflect(Lanes2 walk)
    {
        return Select(Lanes2::Both(kWalkBound) < walk, Lanes2::Both(2.0 * kWalkBound) - walk,
                      Select(walk < Lanes2::Both(-kWalkBound), Lanes2::Both(-2.0 * kWalkBound) - walk, walk));
    }

    // The next N values one step at a time, the generators and sums held in
    // registers between them.
    template <int N>
    VELTO_LANES_INLINE void RunSteps(Lanes2* out)
    {
        Generators gen = Generators::Load(state_);
        Lanes2 pinkSum = Lanes2::Load(pinkSum_), walk = Lanes2::Load(walk_), previous = Lanes2::Load(previous_);
        const Lanes2 colour = Lanes2::Both(shape_.colour);
        const Lanes2 rest = Lanes2::Both(1.0) - colour;
        VELTO_UNROLL
        for (int j = 0; j < N; ++j)
        {
            const int row = counter_ == 0 ? 0 : HighestBit(counter_) % 16;
            const Lanes2 v = gen.Uniform();
            const Lanes2 sum = pinkSum - Lanes2::Load(rows_[row]) + v;
            const Mask2 inBounds = (sum >= Lanes2::Both(-kPinkBound)) & (Lanes2::Both(kPinkBound) >= sum);
            if (inBounds.All())
            {
                pinkSum = sum;
                v.Store(rows_[row]);
            }
            else
            {
                gen.Store(state_);
                pinkSum.Store(pinkSum_);
                Redraw(row, sum, v);
                gen = Generators::Load(state_);
                pinkSum = Lanes2::Load(pinkSum_);
            }
            ++counter_;
            const Lanes2 pink = (pinkSum + gen.Uniform()) * Lanes2::Both(0.125);
            const Lanes2 white = gen.Uniform();
            if (!shape_.redMix)
            {
                out[j] = Lanes2::Both(shape_.level * shape_.gain) * (rest * pink + colour * white);
                continue;
            }
            walk = walk + gen.Uniform();
            walk = Reflect(walk);
            const Lanes2 red = walk * Lanes2::Both(0.0625) * Lanes2::Both(shape_.gain);
            const Lanes2 redPink = rest * red + colour * pink;
            const Lanes2 mixed = rest * redPink + colour * white;
            out[j] = previous = Lanes2::Both(shape_.level) * mixed + Lanes2::Both(kFeedback) * previous;
        }
        gen.Store(state_);
        pinkSum.Store(pinkSum_);
        walk.Store(walk_);
        previous.Store(previous_);
    }

    static double FloatFromBits(std::uint32_t bits)
    {
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }

    // One generator step of a lane: the float with the pattern
    // (state >> 9) | 0x40000000 lies in [2, 4).
    std::uint32_t Step(int lane)
    {
        state_[lane] = state_[lane] * kMultiplier + kIncrement;
        return (state_[lane] >> 9) | 0x40000000u;
    }

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
    // Both generators in one integer register, each state in the low half
    // of a 64-bit lane: one unsigned 32x32 multiply steps both. The float
    // (state >> 9) | 0x40000000 is 2 + m / 2^22 for the 23 bits m, and its
    // uniform value (f - 3) / 2 is m / 2^23 - 0.5; the double with m at the
    // top of its mantissa is 1 + m / 2^23, and that minus 1.5 is the same
    // value, all steps exact.
    struct Generators
    {
        __m128i s;
        // Loaded once per call and kept in registers: the compiler would
        // otherwise build each one from immediates at every draw.
        __m128i multiplier, increment, mantissaBits, one;

        static VELTO_LANES_INLINE Generators Load(const std::uint32_t* state)
        {
            const __m128i both = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(state));
            return {_mm_unpacklo_epi32(both, _mm_setzero_si128()), Constant(0), Constant(1), Constant(2),
                    Constant(3)};
        }
        VELTO_LANES_INLINE void Store(std::uint32_t* state) const
        {
            _mm_storel_epi64(reinterpret_cast<__m128i*>(state), _mm_shuffle_epi32(s, _MM_SHUFFLE(3, 1, 2, 0)));
        }
        // Uniform values in [-0.5, 0.5) of both lanes.
        VELTO_LANES_INLINE Lanes2 Uniform()
        {
            s = _mm_add_epi64(_mm_mul_epu32(s, multiplier), increment);
            const __m128i bits = _mm_or_si128(_mm_slli_epi64(_mm_and_si128(s, mantissaBits), 20), one);
            return Lanes2{_mm_castsi128_pd(bits)} - Lanes2::Both(1.5);
        }

        static VELTO_LANES_INLINE __m128i Constant(int i)
        {
            alignas(16) static constexpr std::uint64_t kValues[4][2] = {
                {kMultiplier, kMultiplier},
                {kIncrement, kIncrement},
                {0xfffffe00u, 0xfffffe00u},  // the 23 bits of the float's mantissa
                {0x3ff0000000000000u, 0x3ff0000000000000u}};  // the double 1.0
            __m128i v = _mm_load_si128(reinterpret_cast<const __m128i*>(kValues[i]));
#if defined(__GNUC__)
            asm("" : "+x"(v));  // an opaque value: loaded, not rebuilt
#endif
            return v;
        }
    };
#else
    struct Generators
    {
        std::uint32_t s[2];

        static Generators Load(const std::uint32_t* state) { return {{state[0], state[1]}}; }
        void Store(std::uint32_t* state) const { state[0] = s[0], state[1] = s[1]; }
        Lanes2 Uniform()
        {
            double u[2];
            for (int lane = 0; lane < 2; ++lane)
            {
                s[lane] = s[lane] * kMultiplier + kIncrement;
                u[lane] = FloatFromBits((s[lane] >> 9) | 0x40000000u);
            }
            return (Lanes2::Of(u[0], u[1]) - Lanes2::Both(3.0)) * Lanes2::Both(0.5);
        }
    };
#endif

#if defined(VELTO_LANES4)
    // Generator words of two steps in one value: {A, 0, B, 0} of the first
    // step, then of the second; read as four 64-bit lanes, each holds one
    // generator's state in its low half.
    using Words = unsigned int __attribute__((vector_size(32)));

    // The generator stepped k times: s -> multiplier * s + increment.
    struct Jump
    {
        std::uint32_t multiplier, increment;
    };
    static constexpr Jump JumpOf(int k)
    {
        Jump jump{1u, 0u};
        for (int i = 0; i < k; ++i)
            jump = {jump.multiplier * kMultiplier, jump.increment * kMultiplier + kIncrement};
        return jump;
    }

    // Uniform values in [-0.5, 0.5) of the four states, as Generators makes them.
    static VELTO_LANES_INLINE Lanes4 UniformOf(Words words)
    {
        const Lanes4::Bits bits =
            ((reinterpret_cast<Lanes4::Bits>(words) & 0xfffffe00u) << 20) | 0x3ff0000000000000u;
        return Lanes4{reinterpret_cast<Lanes4::Values>(bits)} - Lanes4::Both(1.5);
    }

    // Reflect with the bound tests on bit patterns; the walk is always
    // finite, and there they give the same.
    static VELTO_LANES_INLINE Lanes2 ReflectByPatterns(Lanes2 walk)
    {
        return Select(Patterns::Above<Patterns::Of(kWalkBound)>(walk), Lanes2::Both(2.0 * kWalkBound) - walk,
                      Select(Patterns::BelowMinus<Patterns::Of(kWalkBound)>(walk),
                             Lanes2::Both(-2.0 * kWalkBound) - walk, walk));
    }

    // N steps (N even) two at a time, or false with nothing changed where a
    // step of the block would replace another pink row or draw a row again.
    template <int N>
    VELTO_LANES_INLINE bool RunPairs(Lanes2* out)
    {
        // Every step replaces the row of the counter's highest bit. The test
        // holds where that bit stays the same over the block's counters; a
        // counter of 0, a power of two inside the block or the wrap to 0
        // sends the block the single-step way.
        const std::uint32_t counter = counter_;
        if (!((counter ^ (counter + (N - 1))) < counter))
            return false;
        const int row = HighestBit(counter) % 16;
        return shape_.redMix ? RunPairs<N, 4>(out, row) : RunPairs<N, 3>(out, row);
    }

    // K draws a step: the row, the pink term, white and (with the red walk) the walk's step.
    template <int N, int K>
    VELTO_LANES_INLINE bool RunPairs(Lanes2* out, int row)
    {
        static_assert(N % 2 == 0, "steps are taken two at a time");
        constexpr int kPairs = N / 2;
        // u[p][i]: draw i of steps 2p and 2p + 1. A step's draws are K
        // apart, so the second step's first state is the start's K + 1 steps on.
        Lanes4 u[kPairs][K];
        Words last;
        {
            constexpr Jump one = JumpOf(1), second = JumpOf(K + 1), pair = JumpOf(2 * K);
            Words d = Words{state_[0], 0, state_[1], 0, state_[0], 0, state_[1], 0} *
                          Words{one.multiplier, 0, one.multiplier, 0, second.multiplier, 0, second.multiplier, 0} +
                      Words{one.increment, 0, one.increment, 0, second.increment, 0, second.increment, 0};
            const Words next = {one.increment, 0, one.increment, 0, one.increment, 0, one.increment, 0};
            const Words skip = {pair.increment, 0, pair.increment, 0, pair.increment, 0, pair.increment, 0};
            VELTO_UNROLL
            for (int p = 0; p < kPairs; ++p)
            {
                Words w = d;
                VELTO_UNROLL
                for (int i = 0; i < K; ++i)
                {
                    u[p][i] = UniformOf(w);
                    last = w;
                    w = w * one.multiplier + next;
                }
                d = d * pair.multiplier + skip;
            }
        }

        // The pink sums, in the steps' order; the block stands only if every
        // one keeps within the bounds.
        Lanes2 first[N], sums[N];
        {
            VELTO_UNROLL
            for (int p = 0; p < kPairs; ++p)
                u[p][0].Split(first + 2 * p);
            Lanes2 sum = Lanes2::Load(pinkSum_), replaced = Lanes2::Load(rows_[row]);
            Mask2 outside;
            VELTO_UNROLL
            for (int j = 0; j < N; ++j)
            {
                sums[j] = sum = sum - replaced + first[j];
                replaced = first[j];
                // |sum| beyond the bound, on bit patterns: true for a NaN too.
                const Mask2 beyond = Patterns::Above<Patterns::Of(kPinkBound)>(Abs(sum));
                outside = j == 0 ? beyond : outside | beyond;
            }
            if (outside.Any())
                return false;
        }

        const Lanes4 colour = Lanes4::Both(shape_.colour), rest = Lanes4::Both(1.0) - colour;
        Lanes4 pink[kPairs];
        VELTO_UNROLL
        for (int p = 0; p < kPairs; ++p)
            pink[p] = (Lanes4::Join(sums + 2 * p) + u[p][1]) * Lanes4::Both(0.125);
        if constexpr (K == 3)
        {
            const Lanes4 gain = Lanes4::Both(shape_.level * shape_.gain);
            VELTO_UNROLL
            for (int p = 0; p < kPairs; ++p)
                (gain * (rest * pink[p] + colour * u[p][2])).Split(out + 2 * p);
        }
        else
        {
            Lanes2 walks[N];
            {
                Lanes2 steps[N];
                VELTO_UNROLL
                for (int p = 0; p < kPairs; ++p)
                    u[p][3].Split(steps + 2 * p);
                Lanes2 walk = Lanes2::Load(walk_);
                VELTO_UNROLL
                for (int j = 0; j < N; ++j)
                    walks[j] = walk = ReflectByPatterns(walk + steps[j]);
                walk.Store(walk_);
            }
            Lanes2 previous = Lanes2::Load(previous_);
            VELTO_UNROLL
            for (int p = 0; p < kPairs; ++p)
            {
                const Lanes4 red = Lanes4::Join(walks + 2 * p) * Lanes4::Both(0.0625) * Lanes4::Both(shape_.gain);
                const Lanes4 redPink = rest * red + colour * pink[p];
                const Lanes4 mixed = rest * redPink + colour * u[p][2];
                Lanes2 scaled[2];
                (Lanes4::Both(shape_.level) * mixed).Split(scaled);
                out[2 * p] = previous = scaled[0] + Lanes2::Both(kFeedback) * previous;
                out[2 * p + 1] = previous = scaled[1] + Lanes2::Both(kFeedback) * previous;
            }
            previous.Store(previous_);
        }
        state_[0] = last[4];
        state_[1] = last[6];
        sums[N - 1].Store(pinkSum_);
        first[N - 1].Store(rows_[row]);
        counter_ += N;
        return true;
    }
#endif

    // The lanes whose first draw left the bounds draw again on their own.
    void Redraw(int row, Lanes2 sum, Lanes2 v);

    std::uint32_t state_[2];
    NoiseShape shape_;
    std::uint32_t counter_ = 0;
    double rows_[16][2] = {};
    double pinkSum_[2] = {};
    double walk_[2] = {};
    double previous_[2] = {};
};
