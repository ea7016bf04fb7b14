#include "common/Log10.h"

#include <bit>
#include <cmath>
#include <cstdint>

std::array<float, kLog10TableSize> Log10Table{};

void InitLog10Table()
{
    Log10Table[0] = -10.0f;
    for (std::size_t i = 1; i < kLog10TableSize; ++i)
    {
        Log10Table[i] = static_cast<float>(std::log10(static_cast<double>(i) / kLog10TableSize));
    }
}

double FastLog10(float x)
{
    constexpr std::uint32_t kExponentMask = 0x7F800000u;
    constexpr int kExponentShift = 23;
    constexpr std::uint32_t kHalfExponent = 126;  // the exponent field of 0.5 <= m < 1

    // Split x into 2^(e-126) * m, then centre m on 1 by the factor sqrt(2) so that z stays small.
    const auto bits = std::bit_cast<std::uint32_t>(x);
    const int exponent = static_cast<int>((bits & kExponentMask) >> kExponentShift);
    const float mantissa = std::bit_cast<float>((bits & ~kExponentMask) | (kHalfExponent << kExponentShift));

    const double y = mantissa * 1.41421356237;
    const double z = (y - 1.0) / (y + 1.0);
    const double zf = static_cast<float>(z);
    const double z2 = z * zf;
    const double lnY = zf * (0.89554061525 * z2 - 3.31355617479) / (z2 - 1.65677797691);
    const double lnX = lnY + (exponent - 126) * 0.6931471805599453 - 0.34657359027997264;
    return lnX * 0.434294481;
}
