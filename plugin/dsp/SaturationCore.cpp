#include "SaturationCore.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "BranchDot.h"
#include "FastExp.h"
#include "Lanes4.h"
#include "ModulationTable.h"
#include "TablePower.h"

#if defined(__x86_64__) && defined(__GNUC__)
#define VELTO_CORE_AVX2 1
#define VELTO_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define VELTO_ALWAYS_INLINE inline
#endif

namespace
{
constexpr double kLn10Over20 = 0.1151292546497;
constexpr double kTiny = 5.551115123125783e-17;  // 2^-54

// The two noise seeds, A's drawn first.
NoisePair SeededNoise()
{
    const auto seedA = static_cast<std::uint32_t>(std::rand());
    const auto seedB = static_cast<std::uint32_t>(std::rand());
    return NoisePair(seedA, seedB);
}
}  // namespace

SaturationCore::SaturationCore()
    : model_(&FindSaturationModel(25)),
      modPos_(std::rand() % 595),
      modulation_(&PairedModulation()),
      noise_(SeededNoise())
{
    SetModel(44100.0, 25);
    AllowAvx2(true);
}

void SaturationCore::AllowAvx2(bool allow)
{
#if defined(VELTO_CORE_AVX2)
    avx2_ = allow && BestBranchDotKind() == BranchDotKind::kAvx2;
#else
    (void)allow;
    avx2_ = false;
#endif
}

double SaturationCore::GetModelValue(int index) const
{
    if (index == 9)
        return 1.0;
    if (index < 0 || index >= kModelValueCount)
        return 0.0;
    return M(index);
}

void SaturationCore::SetWorkingValues(double w0, double w1, double w2, double w3)
{
    working_[0] = w0;
    working_[1] = w1;
    working_[2] = w2;
    working_[3] = w3;
}

void SaturationCore::ConfigureHiss(double levelFactor, double colourFactor)
{
    if (!model_->hasNoise)
        return;
    noise_.Configure(model_->noiseLevelDb * levelFactor, model_->noiseColour * colourFactor, rate_);
}

void SaturationCore::SetDrive(double linear)
{
    drive_ = linear;
    compensation_ = 1.0 / linear + 2.22045e-15;
    if (linear > 1.0)
        compensation_ *= (linear - 1.0) * 0.10000000000000009 / 4.75 + 1.0;
    highDrive_ = std::pow(linear, M(28));
    lowDrive_ = M(29) * std::pow(linear, M(28));
    lowBoost_ = highBoost_ = 0.0;
    if (linear > 1.0000000000000022)
    {
        lowBoost_ = 1.0 - std::pow(linear, 1.0 - M(25));
        highBoost_ = 1.0 - std::pow(linear, 1.0 - M(26));
    }
}

void SaturationCore::SetFeedback(double amount)
{
    feedback_ = amount;
    const double releaseTime = std::max(1.0 - 1.5 * amount, 0.0) * M(33);
    const double attack = FastExp(-2.0 / (rate_ * 0.001 * M(32) * 0.001));
    const double release = FastExp(-2.0 / (rate_ * 0.001 * releaseTime * 0.001));
    for (SaturationStagePair* s : {&lowStages_, &highStages_})
    {
        s->attack = attack;
        s->release = release;
    }
}

void SaturationCore::SetModel(double rateHz, int model)
{
    model_ = &FindSaturationModel(model);
    rate_ = rateHz;

    working_[0] = M(0);
    working_[1] = M(1);
    working_[2] = std::clamp(M(2), 0.0, 1.0);
    working_[3] = std::clamp(M(3), 0.0, 1.0);
    stageGainLow_ = std::pow(1.29, M(0));
    stageGainHigh_ = std::pow(1.29, M(1));
    crosstalkLow_ = FastExp(M(4) * kLn10Over20);
    crosstalkHigh_ = FastExp(M(5) * kLn10Over20);
    presenceGain_ = FastExp(M(8) * kLn10Over20);

    if (model_->hasNoise)
        ConfigureHiss(1.0, 1.0);

    lagBlend_ = 1.0;
    if (rateHz > 44100.0)
        lagBlend_ = std::clamp(std::sin(M(35)) * 0.8425187230382791
                                   + FastExp(-M(35)) / (rateHz * rateHz) * 1839418729.851624,
                               0.0, 1.0);
    lagRise_ = FastExp(-0.4353339357479107 / (M(35) * rateHz * 1e-5));
    lagFall_ = lagRise_;
    if (std::fabs(M(36)) > 2.22045e-15)
        lagFall_ = FastExp(-0.4353339357479107 / (M(35) * (1.0 + 0.01 * M(36)) * rateHz * 1e-5));

    memoryFactor_ = static_cast<double>(TablePow085(static_cast<float>(rateHz / 44100.0))) * M(21);
    dcPole_ = 1.0 - 49.0 / rateHz;

    const double k = M(27);
    ampLowA_ = 1.0 + 0.0003 * k;
    ampHighA_ = 1.0 - 0.0003 * k;
    memA1_ = 1.0 + 0.0012 * k;
    memA2_ = (1.0 + 0.002 * k) * 0.1;
    memB1_ = 1.0 - 0.0011 * k;
    memB3_ = (1.0 + 0.003 * k) * 0.01;

    DesignSections();
    ClearHistories();
    SetFeedback(feedback_);
    SetDrive(drive_);
}

void SaturationCore::DesignSections()
{
    const double fs = rate_;
    const double k = M(27);
    // Second-order designs fold over above Nyquist; keep them below it.
    const auto below = [fs](double f) { return std::min(f, 0.4999 * fs); };

    eqHighpass_[0].DesignHighpass(below((1.0 + 0.011 * k) * M(13)), M(14), fs);
    eqHighpass_[1].DesignHighpass(below((1.0 - 0.011 * k) * M(13)), M(14), fs);
    lowPeak_[0].DesignPeak(below(M(15)), M(17), M(19), fs);
    lowPeak_[1].DesignPeak(below((1.0 + 0.045 * k) * M(15)), M(17), M(19) * (1.0 + 0.03 * k), fs);
    highPeak_[0].DesignPeak(below((1.0 + 0.052 * k) * M(16)), M(18), M(20) * (1.0 + 0.03 * k), fs);
    highPeak_[1].DesignPeak(below(M(16)), M(18), M(20), fs);
    split_[0].Design((1.0 + 0.011 * k) * M(6), fs);
    split_[1].Design((1.0 - 0.01 * k) * M(6), fs);
    lowBoostFilter_[0].Design(M(23), fs);
    lowBoostFilter_[1].Design((1.0 - 0.005 * k) * M(23), fs);
    highBoostFilter_[0].Design(M(24), fs);
    highBoostFilter_[1].Design((1.0 + 0.001 * k) * M(24), fs);
    const auto presenceHz = [fs](double f) { return std::clamp(f, 0.1, 0.4999 * fs); };
    presence_[0].Design(presenceHz((1.0 + 0.0005 * k) * M(7)), fs);
    presence_[1].Design(presenceHz((1.0 - 0.0005 * k) * M(7)), fs);

    // Coefficients into the lanes; the states stay where they are.
    for (int c = 0; c < 2; ++c)
    {
        for (auto [from, to] : {std::pair{&split_[c], &splitPair_}, std::pair{&lowBoostFilter_[c], &lowBoostPair_},
                                std::pair{&highBoostFilter_[c], &highBoostPair_},
                                std::pair{&presence_[c], &presencePair_}})
        {
            to->b0[c] = from->b0;
            to->a1[c] = from->a1;
        }
        for (auto [from, to] : {std::pair{&highPeak_[c], &highPeakPair_}, std::pair{&lowPeak_[c], &lowPeakPair_},
                                std::pair{&eqHighpass_[c], &eqHighpassPair_}})
        {
            to->b0[c] = from->b0;
            to->b1[c] = from->b1;
            to->b2[c] = from->b2;
            to->a1[c] = from->a1;
            to->a2[c] = from->a2;
        }
    }
}

void SaturationCore::ClearHistories()
{
    for (BiquadPair* s : {&eqHighpassPair_, &lowPeakPair_, &highPeakPair_})
        s->Clear();
    lowStages_.Clear();
    highStages_.Clear();
    for (int c = 0; c < 2; ++c)
    {
        lagAbs_[c] = lagState_[c] = 0.0;
        memory_[0][c] = memory_[1][c] = memory_[2][c] = 0.0;
    }
}

// N samples in a row, in place. The chain is fed forward from stage to
// stage (every recursion stays inside one filter or envelope), so each stage
// runs over the whole block before the next: the values are those of N
// single steps, and the stages' work overlaps in the processor. The parts
// that need no state from the sample before run in values of type V
// (Lanes2: one sample at a time, Lanes4: two).
template <int N, class V>
VELTO_ALWAYS_INLINE void SaturationCore::Run(Lanes2* io)
{
    using L = Lanes2;
    const L zero = L::Both(0.0), one = L::Both(1.0);
    // Positions start, start + 1, ... of the cycle; the paired tables run on
    // past its end, so the block reads consecutive entries.
    static_assert(N <= ModulationPairs::kBlockSpan + 1, "block longer than the paired tables allow");
    const int start = modPos_ + 1 == kModulationCycle ? 0 : modPos_ + 1;
    modPos_ = start + N - 1 >= kModulationCycle ? start + N - 1 - kModulationCycle : start + N - 1;
    const double* modLow = modulation_->low[start];
    const double* modHigh = modulation_->high[start];
    const double* modHiss = modulation_->hiss[start];

    // Input gain and the short lag: faster rise than fall, blended in by lagBlend_.
    L x[N], in[N];
    {
        const L gain = L::Both(inputGain), rise = L::Both(lagRise_), fall = L::Both(lagFall_);
        L previousAbs = L::Load(lagAbs_), lag = L::Load(lagState_);
        const L keep = L::Both(1.0 - lagBlend_), blend = L::Both(lagBlend_);
        VELTO_UNROLL
        for (int j = 0; j < N; ++j)
        {
            x[j] = gain * io[j];
            const L ax = Abs(x[j]);
            L l;
            Mask2 usable;
#if defined(VELTO_LANES4)
            if constexpr (V::kSamples == 2)
            {
                // previousAbs is 0 or a finite magnitude, so the patterns'
                // order is the values' but for a NaN |x|, whose lag is NaN
                // whichever factor it takes.
                l = Select(Mask2{Patterns::Of(previousAbs).v > Patterns::Of(ax).v}, fall, rise);
                usable = Patterns::FiniteAtLeast<Patterns::Of(kTiny)>(ax);
            }
            else
#endif
            {
                l = Select(ax >= previousAbs, rise, fall);
                usable = (ax <= L::Both(1.7976931348623157e308)) & (L::Both(kTiny) <= ax);
            }
            lag = (one - l) * x[j] + l * lag;
            previousAbs = Select(usable, ax, zero);
            in[j] = keep * x[j] + blend * lag;
        }
        lag.Store(lagState_);
        previousAbs.Store(lagAbs_);
    }

    // The band split and the four stages.
    L uv[N], pq[N];
    {
        L low[N];
        splitPair_.Run<N>(in, low);
        const L g = L::Both(drive_);
        L lowIn[N], highIn[N];
        VELTO_UNROLL
        for (int j = 0; j < N; ++j)
        {
            lowIn[j] = g * low[j];
            highIn[j] = g * in[j] - g * low[j];
        }
        // Amounts, A: mismatch * working value * band drive * m, B: band drive * working value * m.
        const L amountLow = L::Of(ampLowA_ * working_[0], lowDrive_) * L::Of(lowDrive_, working_[0]);
        const L amountHigh = L::Of(ampHighA_ * working_[1], highDrive_) * L::Of(highDrive_, working_[1]);
        const double w = M(31);
        L lowLevel[N], highLevel[N];
#if defined(VELTO_LANES4)
        if constexpr (V::kSamples == 2)
            SaturationStagePair::Envelopes<N>(lowStages_, highStages_, lowIn, highIn, lowLevel, highLevel, w > 1e-12);
        else
#endif
        {
            lowStages_.Envelope<N>(lowIn, lowLevel, w > 1e-12);
            highStages_.Envelope<N>(highIn, highLevel, w > 1e-12);
        }
        lowStages_.Shape<SaturationStage::Curve::kCurve6, N, V>(lowIn, lowLevel, uv, w, amountLow, modLow, working_[2]);
        highStages_.Shape<SaturationStage::Curve::kCurve5, N, V>(highIn, highLevel, pq, w, amountHigh, modHigh,
                                                               working_[3]);
    }

    // A = gl u + gh p + xl gl v + xh gh q; B = xl gl u + gl v + xh gh p + gh q.
    L s[N];
    {
        const double gl = stageGainLow_, gh = stageGainHigh_;
        const double xgl = crosstalkLow_ * gl, xgh = crosstalkHigh_ * gh;
        const V c0 = V::Of(gl, xgl), c1 = V::Of(gh, gl), c2 = V::Of(xgl, xgh), c3 = V::Of(xgh, gh);
        VELTO_UNROLL
        for (int j = 0; j < N; j += V::kSamples)
        {
            const V u = V::Join(uv + j), p = V::Join(pq + j);
            (c0 * BothA(u) + c1 * AOfXBOfY(p, u) + c2 * BOfXAOfY(u, p) + c3 * BothB(p)).Split(s + j);
        }
    }

    // Boosts, presence and the fixed equaliser.
    {
        L t[N];
        lowBoostPair_.Run<N>(s, t);
        const L lowBoost = L::Both(lowBoost_), highBoost = L::Both(highBoost_);
        VELTO_UNROLL
        for (int j = 0; j < N; ++j)
            s[j] = s[j] + t[j] * lowBoost;
        highBoostPair_.Run<N>(s, t);
        VELTO_UNROLL
        for (int j = 0; j < N; ++j)
            s[j] = s[j] + (s[j] - t[j]) * highBoost;
        L presence[N];
        if (M(10) != 0.0)
        {
            presencePair_.Run<N>(s, t);
            const L gain = L::Both(presenceGain_);
            VELTO_UNROLL
            for (int j = 0; j < N; ++j)
                presence[j] = (s[j] - t[j]) * gain;
        }
        else
        {
            VELTO_UNROLL
            for (int j = 0; j < N; ++j)
                presence[j] = zero;
        }
        highPeakPair_.Run<N, V>(s, s);
        lowPeakPair_.Run<N, V>(s, s);
        eqHighpassPair_.Run<N, V>(s, s);
        VELTO_UNROLL
        for (int j = 0; j < N; ++j)
            s[j] = s[j] + presence[j];
    }

    if (hissEnabled_ && model_->hasNoise)
    {
        const V gain = V::Both(inputGain), drive = V::Both(drive_);
        L hiss[N];
        noise_.Run<N, V>(hiss);
        VELTO_UNROLL
        for (int j = 0; j < N; j += V::kSamples)
            (V::Join(s + j) + V::Join(hiss + j) * V::Load(modHiss + 2 * j) * gain * drive).Split(s + j);
    }

    // Slow recursive memory term (r is small, so it stays stable):
    // fA = A + r (memA2 fA[n-2] + memA1 fA[n-1] + 0.01 fA[n-3]),
    // fB = B + r (memB1 fB[n-1] + 0.1 fB[n-2] + memB3 fB[n-3]),
    // then the drive compensation and the DC blocker.
    {
        const L r = L::Both(memoryFactor_);
        const L c2 = L::Of(memA2_, memB1_), c1 = L::Of(memA1_, 0.1), c3 = L::Of(0.01, memB3_);
        L f1 = L::Load(memory_[0]), f2 = L::Load(memory_[1]), f3 = L::Load(memory_[2]);
        const L kept = one - r, compensation = L::Both(compensation_), trim = L::Both(1.015);
        const L pole = L::Both(dcPole_);
        L dcIn = L::Load(dcIn_), dcOut = L::Load(dcOut_);
        VELTO_UNROLL
        for (int j = 0; j < N; ++j)
        {
            const L f = s[j] + r * (c2 * AOfXBOfY(f2, f1) + c1 * AOfXBOfY(f1, f2) + c3 * f3);
            f3 = f2;
            f2 = f1;
            f1 = f;
            const L z = kept * f * compensation * trim;
            dcOut = z - dcIn + pole * dcOut;
            dcIn = z;
            io[j] = dcOut;
        }
        f1.Store(memory_[0]);
        f2.Store(memory_[1]);
        f3.Store(memory_[2]);
        dcIn.Store(dcIn_);
        dcOut.Store(dcOut_);
    }
}

// Channels A and B run side by side, one per lane; each lane does the
// arithmetic of the channel's own chain, term by term in the same order, so
// the lanes give what the two channels computed one after the other give.
// Products of settings are formed here, not when the settings change: the
// block's rounding mode (toward zero) applies to them as to the rest.
Lanes2 SaturationCore::Process(Lanes2 ab)
{
#if defined(VELTO_CORE_AVX2)
    if (avx2_)
        return RunAvx2(ab);
#endif
    Run<1>(&ab);
    return ab;
}

#if defined(VELTO_CORE_AVX2)
// The same bodies with the three-operand AVX encoding (no fused multiply-add:
// that is a feature of its own, and not asked for).
__attribute__((target("avx2"))) Lanes2 SaturationCore::RunAvx2(Lanes2 ab)
{
    Run<1>(&ab);
    return ab;
}

template <int N>
__attribute__((target("avx2"))) void SaturationCore::RunBlockAvx2(Lanes2* io)
{
#if defined(VELTO_LANES4)
    Run<N, Lanes4>(io);
#else
    Run<N>(io);
#endif
}
#endif

void SaturationCore::ProcessBlock(Lanes2* io, int n)
{
    if (n == kBlock || n == kLongBlock)
    {
#if defined(VELTO_CORE_AVX2)
        if (avx2_)
            return n == kBlock ? RunBlockAvx2<kBlock>(io) : RunBlockAvx2<kLongBlock>(io);
#endif
        return n == kBlock ? Run<kBlock>(io) : Run<kLongBlock>(io);
    }
    for (int j = 0; j < n; ++j)
        io[j] = Process(io[j]);
}
