#include "TablePower.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace
{
constexpr float kExponent = 0.85f;

struct PowerTables
{
    float exponentPart[256];
    float mantissaPart[2049];  // the last entry closes the interpolation

    PowerTables()
    {
        for (int i = 0; i < 256; ++i)
            exponentPart[i] = static_cast<float>(std::pow(2.0, (i - 127) * static_cast<double>(kExponent)));
        for (int i = 0; i <= 2048; ++i)
            mantissaPart[i] = static_cast<float>(std::pow(1.0 + i / 2048.0, static_cast<double>(kExponent)));
    }
};

const PowerTables& Tables()
{
    static const PowerTables tables;
    return tables;
}
}  // namespace

float TablePow085(float x)
{
    if (!(x > 0.0f))
        return 0.0f;
    std::uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    const PowerTables& t = Tables();
    const std::uint32_t exponent = (bits >> 23) & 0xFFu;
    const std::uint32_t index = (bits >> 12) & 0x7FFu;
    const float frac = static_cast<float>(bits & 0xFFFu) * (1.0f / 4096.0f);
    const float lo = t.mantissaPart[index];
    const float hi = t.mantissaPart[index + 1];
    return t.exponentPart[exponent] * (lo + (hi - lo) * frac);
}
