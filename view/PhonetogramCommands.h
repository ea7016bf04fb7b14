// What the phonetogram's settings dialog edits, in the dialog's own units, and the choice of the
// input device whose capture volume the phonetogram turns up.
#pragma once

#include <string>
#include <vector>

class CPhonetogram;

struct PhonetogramSettingsValues
{
    double toneDuration = 1.0;             // s, 1 .. 4
    double sensitivity = 0.55;             // 0 .. 1
    double lowerFrequency = 60.0;          // Hz, lowest pitch searched
    double upperSearchFrequency = 600.0;   // Hz, highest pitch searched
    double upperFilterFrequency = 8000.0;  // Hz, the band filter's upper corner
    double maxInterruptionMs = 200.0;      // ms (the phonetogram keeps seconds)
};

namespace phonetogram_commands
{

// The two microphones the phonetogram prefers, by their device names (the second with its blanks).
inline constexpr const char* kPreferredMicrophones[2] = {"USB Studio Microphone",
                                                         "PRONOMIC USB-M900        "};
// The phonetogram's settings shown in milliseconds, and taken back in seconds.
PhonetogramSettingsValues FromPhonetogram(const CPhonetogram& phonetogram);
void ToPhonetogram(const PhonetogramSettingsValues& values, CPhonetogram& phonetogram);
// The device id (index in the capture device list) of the last preferred microphone in the list,
// else 0.
int ChooseMicrophone(const std::vector<std::string>& names);

}  // namespace phonetogram_commands
