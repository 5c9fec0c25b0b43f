#include "SaturationCore.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "FastExp.h"
#include "ModulationTable.h"
#include "TablePower.h"

namespace
{
constexpr double kLn10Over20 = 0.1151292546497;
constexpr double kTiny = 5.551115123125783e-17;  // 2^-54

std::uint32_t RandomSeed()
{
    return static_cast<std::uint32_t>(std::rand());
}
}  // namespace

SaturationCore::SaturationCore()
    : model_(&FindSaturationModel(25)),
      modPos_(std::rand() % 595),
      noise_{NoiseGenerator(RandomSeed()), NoiseGenerator(RandomSeed())}
{
    SetModel(44100.0, 25);
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
    for (NoiseGenerator& n : noise_)
        n.Configure(model_->noiseLevelDb * levelFactor, model_->noiseColour * colourFactor, rate_);
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
    for (SaturationStage& s : stage_)
    {
        s.attack = attack;
        s.release = release;
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

    // Curve set 0 (the only one the supported rows use).
    stage_[0].curve = stage_[1].curve = SaturationStage::Curve::kCurve6;
    stage_[2].curve = stage_[3].curve = SaturationStage::Curve::kCurve5;

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
        for (auto [from, to] : {std::pair{&lowBoostFilter_[c], &lowBoostPair_},
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
    for (SaturationStage& s : stage_)
        s.Clear();
    for (int c = 0; c < 2; ++c)
    {
        lagAbs_[c] = lagState_[c] = 0.0;
        memory_[c][0] = memory_[c][1] = memory_[c][2] = 0.0;
    }
}

void SaturationCore::Process(double& a, double& b)
{
    modPos_ = (modPos_ + 1 == kModulationCycle) ? 0 : modPos_ + 1;
    const double* m = ModulationTable() + modPos_;

    double in[2] = {inputGain * a, inputGain * b};

    // Short lag: faster rise than fall, blended in by lagBlend_.
    for (int c = 0; c < 2; ++c)
    {
        const double x = in[c];
        const double ax = std::fabs(x);
        const double l = (ax >= lagAbs_[c]) ? lagRise_ : lagFall_;
        lagState_[c] = (1.0 - l) * x + l * lagState_[c];
        lagAbs_[c] = (!std::isfinite(x) || ax < kTiny) ? 0.0 : ax;
        in[c] = (1.0 - lagBlend_) * x + lagBlend_ * lagState_[c];
    }
    const double d = in[0];
    const double e = in[1];

    const double lA = split_[0].Process(d);
    const double lB = split_[1].Process(e);

    const double g = drive_;
    const double w = M(31);
    const double u = stage_[0].Process(g * lA, w, ampLowA_ * working_[0] * lowDrive_ * m[2], working_[2]);
    const double v = stage_[1].Process(g * lB, w, lowDrive_ * working_[0] * m[0], working_[2]);
    const double p = stage_[2].Process(g * d - g * lA, w, ampHighA_ * working_[1] * highDrive_ * m[1], working_[3]);
    const double q = stage_[3].Process(g * e - g * lB, w, highDrive_ * working_[1] * m[4], working_[3]);

    const double gl = stageGainLow_, gh = stageGainHigh_;
    const double xl = crosstalkLow_, xh = crosstalkHigh_;
    double out[2] = {gl * u + gh * p + xl * gl * v + xh * gh * q,
                     xl * gl * u + gl * v + xh * gh * p + gh * q};

    // Boosts, presence and the fixed equaliser, both channels in one pass.
    {
        const bool presenceOn = M(10) != 0.0;
        Lanes2 s = Lanes2::Of(out[0], out[1]);
        s = s + lowBoostPair_.Process(s) * Lanes2::Of(lowBoost_, lowBoost_);
        s = s + (s - highBoostPair_.Process(s)) * Lanes2::Of(highBoost_, highBoost_);
        const Lanes2 presence = presenceOn ? (s - presencePair_.Process(s)) * Lanes2::Of(presenceGain_, presenceGain_)
                                           : Lanes2::Of(0.0, 0.0);
        s = eqHighpassPair_.Process(lowPeakPair_.Process(highPeakPair_.Process(s))) + presence;
        out[0] = s.A();
        out[1] = s.B();
    }

    if (hissEnabled_ && model_->hasNoise)
    {
        out[0] += noise_[0].Next() * m[3] * inputGain * drive_;
        out[1] += noise_[1].Next() * m[0] * inputGain * drive_;
    }

    // Slow recursive memory term (r is small, so it stays stable).
    const double r = memoryFactor_;
    double* fa = memory_[0];
    double* fb = memory_[1];
    const double f0 = out[0] + r * (memA2_ * fa[1] + memA1_ * fa[0] + 0.01 * fa[2]);
    const double f1 = out[1] + r * (memB1_ * fb[0] + 0.1 * fb[1] + memB3_ * fb[2]);
    fa[2] = fa[1]; fa[1] = fa[0]; fa[0] = f0;
    fb[2] = fb[1]; fb[1] = fb[0]; fb[0] = f1;

    const double f[2] = {f0, f1};
    for (int c = 0; c < 2; ++c)
    {
        const double z = (1.0 - r) * f[c] * compensation_ * 1.015;
        dcOut_[c] = z - dcIn_[c] + dcPole_ * dcOut_[c];
        dcIn_[c] = z;
    }
    a = dcOut_[0];
    b = dcOut_[1];
}
