// The rules of the generator panel's tool windows, free of the window toolkit: the slider windows'
// value scale, the value messages they send, the statistics window's lines, the frequency presets
// and the burst dialog's units.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace generator_tools
{

// Value messages carry value x scale in wParam (truncated) and the scale in lParam.
inline constexpr std::int64_t kMessageScale = 10000;
std::int64_t MessageWParam(double value, std::int64_t scale = kMessageScale);

// The value range of a slider and its track bar positions.
struct SliderScale
{
    double min = 100.0;
    double max = 2000.0;
    int p0 = 0;
    int p1 = 5000;
    bool log = false;

    // The bottom of a logarithmic scale: the range minimum, or 1 of the unit when the minimum is not
    // above 0 (a log scale cannot start at or below 0).
    double LogMinimum() const;
    double ValueFromPosition(int position) const;
    // The position of a value, truncated and held to p0..p1; p0 for a value a log scale cannot show.
    int PositionFromValue(double value) const;
};

// The six lines of the statistics window: peak 1, RMS 1, peak 2, RMS 2, and the crest factor with
// the balance; and the four bar values (20 log10 value + 100, truncated) in the same order.
struct StatisticsText
{
    std::string peak1;
    std::string rms1;
    std::string peak2;
    std::string rms2;
    std::string crest;
    std::array<int, 4> bars{};  // peak 1, RMS 1, peak 2, RMS 2
};
StatisticsText FormatStatistics(double crest, double peak1, double rms1, double peak2, double rms2);

// The 28 frequency presets the presets window starts with (Hz).
inline constexpr int kPresetColumns = 4;
inline constexpr int kPresetRows = 7;
inline constexpr int kPresetCount = kPresetColumns * kPresetRows;
// The presets the window holds: a button for each of the first kPresetCount, the others kept for
// the configuration files.
inline constexpr int kPresetCapacity = 100;
std::array<double, kPresetCount> DefaultPresets();
// The caption of a preset button ("%5.1f").
std::string PresetCaption(double frequency);

// The burst dialog's time units, in list order.
inline constexpr std::array<const char*, 6> kBurstUnits = {"samples", "ms", "s", "min", "hours", "days"};

// The distortion dialog's slider position for a drive, and the drive of a position.
int DistortionPosition(double drive);
double DistortionDrive(int position);

}  // namespace generator_tools

class CGeneratorMatrix;
class CGeneratorMatrix_settings;

namespace generator_tools
{

// The value units of the level window's edit, in list order.
inline constexpr std::array<const char*, 3> kLevelUnits = {"dB", "V", "mV"};
inline constexpr int kLevelUnitDb = 0;
inline constexpr int kLevelUnitV = 1;
inline constexpr int kLevelUnitMv = 2;
// Rows the level and matrix windows show at most.
inline constexpr int kMaxMatrixRows = 24;

// The requested RMS in volts of an entry in a unit (absolute value).
double RequestedRms(double value, int unit);

enum class LevelSet
{
    Corrected,    // the channel's scale (or calibrated target value) was corrected
    NotActive,    // the row is not ticked: nothing changed
    Deactivated,  // a request below 1e-9 V: the row and the channel were switched off
    Silent,       // the channel measures no output: nothing changed
};
// "SET" of a row: corrects the engine's channel by requested / measured (the calibrated target value
// of a calibrated channel, else its scale) and takes the corrected field into the window's copy.
LevelSet SetChannelLevel(CGeneratorMatrix& engine, CGeneratorMatrix_settings& copy, int channel, double value,
                         int unit, bool ticked);
// The level window's two readouts of a channel: volts with an engineering prefix, and "%3.3fdB"; "--"
// for both when the row is not ticked or the RMS is not above 0.
std::array<std::string, 2> LevelReadouts(double rms, bool ticked);

}  // namespace generator_tools
