#include "common/FloatSort.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace
{

// A strict weak order that agrees with CompareFloats for numbers and puts every NaN before them, all
// NaN equivalent. std::sort with CompareFloats itself would be undefined as soon as a NaN appears.
bool SortsBefore(float a, float b)
{
    const bool aNan = std::isnan(a);
    const bool bNan = std::isnan(b);
    if (aNan || bNan)
    {
        return aNan && !bNan;
    }
    return a < b;
}

}  // namespace

void SortFloats(float* values, int n)
{
    if (values != nullptr && n > 1)
    {
        std::sort(values, values + n, SortsBefore);
    }
}

void SortPairsByX(float* x, float* y, int n)
{
    if (x == nullptr || y == nullptr || n <= 1)
    {
        return;
    }
    std::vector<std::pair<float, float>> pairs(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
    {
        pairs[static_cast<std::size_t>(i)] = {x[i], y[i]};
    }
    std::sort(pairs.begin(), pairs.end(),
              [](const auto& p, const auto& q) { return SortsBefore(p.first, q.first); });
    for (int i = 0; i < n; ++i)
    {
        x[i] = pairs[static_cast<std::size_t>(i)].first;
        y[i] = pairs[static_cast<std::size_t>(i)].second;
    }
}

int CompareFloats(const float* a, const float* b)
{
    if (*a > *b)
    {
        return 1;
    }
    if (*a < *b || std::isnan(*a) || std::isnan(*b))
    {
        return -1;
    }
    return 0;
}
