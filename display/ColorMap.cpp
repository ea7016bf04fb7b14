#include "display/ColorMap.h"

#include <cmath>
#include <span>

namespace
{

// One channel of the map: straight ramps between the anchors (entry, value), rounded to whole
// steps; entries before the first anchor take its value.
struct Anchor
{
    int entry;
    int value;
};

int Ramp(std::span<const Anchor> anchors, int i)
{
    if (i <= anchors.front().entry)
        return anchors.front().value;
    for (std::size_t k = 1; k < anchors.size(); ++k)
    {
        const Anchor& a = anchors[k - 1];
        const Anchor& b = anchors[k];
        if (i <= b.entry)
            return static_cast<int>(std::lround(a.value + static_cast<double>(b.value - a.value) *
                                                              (i - a.entry) / (b.entry - a.entry)));
    }
    return anchors.back().value;
}

// Blue rises to full first, then green, then red while blue falls away, and finally green falls
// leaving pure red.
constexpr Anchor kRed[] = {{120, 0}, {128, 31}, {184, 254}, {255, 254}};
constexpr Anchor kGreen[] = {{56, 0},    {57, 2},    {64, 31}, {120, 254},
                             {184, 254}, {192, 239}, {252, 0}, {255, 0}};
constexpr Anchor kBlue[] = {{0, 25}, {56, 254}, {120, 254}, {128, 239}, {184, 15}, {185, 0}, {255, 0}};

std::array<ColorMapEntry, kColorMapSize> BuildMap()
{
    std::array<ColorMapEntry, kColorMapSize> map{};
    for (int i = 0; i < kColorMapSize; ++i)
        map[static_cast<std::size_t>(i)] = ColorMapEntry{Ramp(kRed, i), Ramp(kGreen, i), Ramp(kBlue, i)};
    return map;
}

}  // namespace

const std::array<ColorMapEntry, kColorMapSize>& GetColorMap()
{
    static const std::array<ColorMapEntry, kColorMapSize> map = BuildMap();
    return map;
}

int ColorMapIndex(double value, double high, double low)
{
    if (high == low)
        return 0;
    const double position = (high - value) / (high - low) * 255.0;
    if (!(position > 0.0))
        return 0;
    if (position >= 255.0)
        return 255;
    return static_cast<int>(position);
}

COLORREF ColorMapRgb(double value, double high, double low)
{
    const ColorMapEntry& e = GetColorMap()[static_cast<std::size_t>(ColorMapIndex(value, high, low))];
    return RgbColor(e.red, e.green, e.blue);
}

COLORREF ColorMapBgr(double value, double high, double low)
{
    const ColorMapEntry& e = GetColorMap()[static_cast<std::size_t>(ColorMapIndex(value, high, low))];
    return RgbColor(e.blue, e.green, e.red);
}
