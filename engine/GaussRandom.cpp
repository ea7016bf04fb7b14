#include "engine/GaussRandom.h"

#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>

namespace
{

constexpr double kNormalTail = 3.442619855899;
constexpr double kNormalArea = 9.91256303526217e-3;
constexpr double kExponentialTail = 7.697117470131487;
constexpr double kExponentialArea = 3.949659822581572e-3;
constexpr int kNormalLayers = 128;
constexpr int kExponentialLayers = 256;

struct ZigguratTables
{
    std::array<std::uint32_t, kNormalLayers> kn{};
    std::array<double, kNormalLayers> wn{};
    std::array<double, kNormalLayers> fn{};
    std::array<std::uint32_t, kExponentialLayers> ke{};
    std::array<double, kExponentialLayers> we{};
    std::array<double, kExponentialLayers> fe{};

    ZigguratTables()
    {
        const double m1 = 2147483648.0;
        const double m2 = 4294967296.0;
        double dn = kNormalTail;
        double tn = dn;
        double q = kNormalArea / std::exp(-0.5 * dn * dn);
        kn[0] = static_cast<std::uint32_t>((dn / q) * m1);
        kn[1] = 0;
        wn[0] = q / m1;
        wn[kNormalLayers - 1] = dn / m1;
        fn[0] = 1.0;
        fn[kNormalLayers - 1] = std::exp(-0.5 * dn * dn);
        for (int i = kNormalLayers - 2; i >= 1; --i)
        {
            dn = std::sqrt(-2.0 * std::log(kNormalArea / dn + std::exp(-0.5 * dn * dn)));
            kn[i + 1] = static_cast<std::uint32_t>((dn / tn) * m1);
            tn = dn;
            fn[i] = std::exp(-0.5 * dn * dn);
            wn[i] = dn / m1;
        }
        double de = kExponentialTail;
        double te = de;
        q = kExponentialArea / std::exp(-de);
        ke[0] = static_cast<std::uint32_t>((de / q) * m2);
        ke[1] = 0;
        we[0] = q / m2;
        we[kExponentialLayers - 1] = de / m2;
        fe[0] = 1.0;
        fe[kExponentialLayers - 1] = std::exp(-de);
        for (int i = kExponentialLayers - 2; i >= 1; --i)
        {
            de = -std::log(kExponentialArea / de + std::exp(-de));
            ke[i + 1] = static_cast<std::uint32_t>((de / te) * m2);
            te = de;
            fe[i] = std::exp(-de);
            we[i] = de / m2;
        }
    }
};

const ZigguratTables& Tables()
{
    static const ZigguratTables tables;
    return tables;
}

std::atomic<std::uint32_t> g_shr3{CGaussRandom::kInitialState};

// One SHR3 step: the sum of the old and the new word.
std::uint32_t Shr3()
{
    std::uint32_t j = g_shr3.load(std::memory_order_relaxed);
    const std::uint32_t old = j;
    j ^= j << 13;
    j ^= j >> 17;
    j ^= j << 5;
    g_shr3.store(j, std::memory_order_relaxed);
    return old + j;
}

// Uniform in (0, 1) from a signed SHR3 value.
double Uniform()
{
    return 0.5 + static_cast<double>(static_cast<std::int32_t>(Shr3())) * 0.2328306e-9;
}

double NormalFix(std::int32_t hz, std::uint32_t iz)
{
    const ZigguratTables& t = Tables();
    for (;;)
    {
        const double x = hz * t.wn[iz];
        if (iz == 0)
        {
            // The tail beyond r.
            double tx = 0.0;
            double ty = 0.0;
            do
            {
                tx = -std::log(Uniform()) / kNormalTail;
                ty = -std::log(Uniform());
            } while (ty + ty < tx * tx);
            return hz > 0 ? kNormalTail + tx : -kNormalTail - tx;
        }
        if (t.fn[iz] + Uniform() * (t.fn[iz - 1] - t.fn[iz]) < std::exp(-0.5 * x * x))
            return x;
        hz = static_cast<std::int32_t>(Shr3());
        iz = static_cast<std::uint32_t>(hz) & (kNormalLayers - 1);
        if (static_cast<std::uint32_t>(std::llabs(hz)) < t.kn[iz])
            return hz * t.wn[iz];
    }
}

}  // namespace

void CGaussRandom::Seed(std::uint32_t seed)
{
    (void)Tables();
    g_shr3.store(g_shr3.load(std::memory_order_relaxed) ^ seed, std::memory_order_relaxed);
}

double CGaussRandom::Next()
{
    const ZigguratTables& t = Tables();
    const auto hz = static_cast<std::int32_t>(Shr3());
    const std::uint32_t iz = static_cast<std::uint32_t>(hz) & (kNormalLayers - 1);
    // The fast path: one table comparison.
    if (static_cast<std::uint32_t>(std::llabs(hz)) < t.kn[iz])
        return hz * t.wn[iz];
    return NormalFix(hz, iz);
}

std::uint32_t CGaussRandom::GetState()
{
    return g_shr3.load(std::memory_order_relaxed);
}

void CGaussRandom::SetState(std::uint32_t state)
{
    g_shr3.store(state, std::memory_order_relaxed);
}
