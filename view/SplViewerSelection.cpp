#include "view/SplViewerSelection.h"

#include <cmath>

namespace
{

constexpr double kTaktmaxMinimumSeconds = 12.0;
constexpr double kTaktmaxMaximumResolution = 5.0;

}  // namespace

std::vector<std::string> CheckSplResultType(int type, std::int64_t blocks, double resolution)
{
    std::vector<std::string> refusals;
    if (type != kSplTypeTaktmax)
        return refusals;
    if (static_cast<double>(blocks) * resolution < kTaktmaxMinimumSeconds)
        refusals.emplace_back("Die Me\xC3\x9Fzeit ist zu kurz f\xC3\xBCr den Taktmaximalpegel");
    if (resolution > kTaktmaxMaximumResolution)
        refusals.emplace_back("Die Zeitaufl\xC3\xB6sung ist zu gering f\xC3\xBCr den Taktmaximalpegel");
    return refusals;
}

int SelectSplBandEntry(const std::vector<double>& centres, double current)
{
    if (!(current > 0.0) || centres.empty())
        return 0;
    int best = -1;
    double bestDeviation = 0.0;
    for (std::size_t i = 0; i < centres.size(); ++i)
    {
        const double c = centres[i];
        if (!(c > 0.0))
            continue;
        const double deviation = std::fabs(c - current) / c;
        if (best < 0 || deviation < bestDeviation)
        {
            best = static_cast<int>(i);
            bestDeviation = deviation;
        }
    }
    return best < 0 ? 0 : best + 1;
}
