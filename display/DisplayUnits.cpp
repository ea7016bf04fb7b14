#include "display/DisplayUnits.h"

#include <array>

#include "texts/TextTable.h"

namespace
{

constexpr int kDefaultTextId = 1000312;  // "default"
constexpr int kLinearTextId = 1000203;   // "linear"

constexpr std::array<int, 4> kUnitCodes = {CDisplayUnitList::kUnitDefault, CDisplayUnitList::kUnitLinear,
                                           CDisplayUnitList::kUnitDecibel, CDisplayUnitList::kUnitPercent};

}  // namespace

int CDisplayUnitList::GetUnitCode(int index) const
{
    if (index < 0 || index >= static_cast<int>(kUnitCodes.size()))
        return kNoUnit;
    return kUnitCodes[index];
}

std::string CDisplayUnitList::GetLabel(int code) const
{
    switch (code)
    {
        case kUnitDefault:
            return GetText(kDefaultTextId);
        case kUnitLinear:
            return GetText(kLinearTextId) + m_strUnit;
        case kUnitDecibel:
            return "dB";
        case kUnitPercent:
            return "%";
        default:
            return {};
    }
}
