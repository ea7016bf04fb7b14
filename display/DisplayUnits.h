// The four display units of the sweep-result plot dialog: default, linear (with the dialog's unit),
// dB and percent.
#pragma once

#include <string>

class CDisplayUnitList
{
public:
    static constexpr int kUnitDefault = -1;
    static constexpr int kUnitLinear = 0;
    static constexpr int kUnitDecibel = 1;
    static constexpr int kUnitPercent = 2;
    // What GetUnitCode gives for an index outside the list; GetLabel shows it as an empty text.
    static constexpr int kNoUnit = -2;

    int GetCount() const { return 4; }
    // -1, 0, 1, 2 for the indices 0..3.
    int GetUnitCode(int index) const;
    // "default", "linear" followed by the unit string, "dB", "%"; empty for any other code.
    std::string GetLabel(int code) const;

    std::string m_strUnit;  // set by the dialog that uses the list
    std::string m_strSecond;
};
