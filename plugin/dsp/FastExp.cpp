#include "FastExp.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace
{
constexpr int kTableSize = 2048;
constexpr double kScale = 2048.0 / 0.6931471805599453;  // 2048 / ln 2
constexpr double kInvScale = 1.0 / kScale;
// 3 * 2^51: adding it to a value below 2^51 in magnitude leaves the value,
// rounded to an integer in the current rounding mode, in the low mantissa bits.
constexpr double kShifter = 6755399441055744.0;
constexpr double kC1 = 1.0;
constexpr double kC2 = 0.16666666685227835;
constexpr double kC3 = 3.0000000027955394;

struct MantissaTable
{
    std::uint64_t entry[kTableSize];

    MantissaTable()
    {
        for (int i = 0; i < kTableSize; ++i)
        {
            const double v = std::pow(2.0, i * 0.00048828125);
            std::uint64_t bits;
            std::memcpy(&bits, &v, sizeof bits);
            entry[i] = bits & 0x000FFFFFFFFFFFFFull;
        }
    }
};

const MantissaTable& Table()
{
    static const MantissaTable table;
    return table;
}

// Built during static initialisation of the library so that the first
// audio-thread call never pays for it; Table() stays safe if another static
// initialiser calls FastExp earlier.
[[maybe_unused]] const MantissaTable& gTableAtLoad = Table();
}  // namespace

double FastExp(double x)
{
    if (x <= kFastExpLowerLimit)
        return 0.0;
    if (x >= kFastExpUpperLimit)
        return std::numeric_limits<double>::infinity();

    // The shifter goes through a volatile so that the addition is done at run
    // time in the rounding mode in force (round toward zero inside the audio
    // block) and is never folded or reassociated away.
    volatile double shifter = kShifter;
    const double s = shifter;
    const double d = x * kScale + s;

    std::uint64_t dBits;
    std::memcpy(&dBits, &d, sizeof dBits);
    const std::uint32_t n = static_cast<std::uint32_t>(dBits);  // low 32 bits, two's complement

    const double t = (d - s) * kInvScale - x;

    const std::uint64_t tab = Table().entry[n & 0x7FFu];
    const std::uint32_t hi = (((n + 0x1FF800u) << 9) & 0xFFF00000u)
                             | static_cast<std::uint32_t>((tab >> 32) & 0x000FFFFFu);
    const std::uint32_t lo = static_cast<std::uint32_t>(tab);
    const std::uint64_t scaleBits = (static_cast<std::uint64_t>(hi) << 32) | lo;
    double scale;
    std::memcpy(&scale, &scaleBits, sizeof scale);

    return ((kC3 - t) * t * t * kC2 - t + kC1) * scale;
}
