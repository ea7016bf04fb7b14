#include "engine/ui/GeneratorToolRules.h"

#include "common/TextFormatting.h"
#include "engine/GeneratorMatrix.h"
#include "platform/NumberFormat.h"
#include "texts/TextTable.h"

#include <algorithm>
#include <cmath>

namespace generator_tools
{

namespace
{

constexpr double kFloor = 1e-20;

int Bar(double value)
{
    if (!(value > 0.0))
        return 0;
    return std::clamp(static_cast<int>(20.0 * std::log10(value) + 100.0), 0, 100);
}

std::string Line(const std::string& name, double value)
{
    if (value < kFloor)
        return platform::FormatC("%s  %s", name.c_str(), "-NA-");
    return platform::FormatC("%s   %2.2f%%=%3.2fdB", name.c_str(), value * 100.0, 20.0 * std::log10(value));
}

}  // namespace

std::int64_t MessageWParam(double value, std::int64_t scale)
{
    const double product = value * static_cast<double>(scale);
    if (!std::isfinite(product))
        return 0;
    return static_cast<std::int64_t>(std::clamp(product, -9.0e18, 9.0e18));
}

double SliderScale::LogMinimum() const
{
    return min > 0.0 ? min : 1.0;
}

double SliderScale::ValueFromPosition(int position) const
{
    const double r = p1 != p0 ? static_cast<double>(position - p0) / static_cast<double>(p1 - p0) : 0.0;
    if (log)
    {
        const double bottom = LogMinimum();
        if (!(max > bottom))
            return bottom;
        return bottom * std::pow(max / bottom, r);
    }
    return min + r * (max - min);
}

int SliderScale::PositionFromValue(double value) const
{
    double r = 0.0;
    if (log)
    {
        const double bottom = LogMinimum();
        if (value > 0.0 && max > bottom)
            r = std::log(value / bottom) / std::log(max / bottom);
    }
    else if (max != min)
    {
        r = (value - min) / (max - min);
    }
    if (!std::isfinite(r))
        r = 0.0;
    r = std::clamp(r, 0.0, 1.0);
    return p0 + static_cast<int>((p1 - p0) * r);
}

StatisticsText FormatStatistics(double crest, double peak1, double rms1, double peak2, double rms2)
{
    const std::string peak = GetText(1000025);
    StatisticsText text;
    text.peak1 = Line(peak, peak1);
    text.rms1 = Line("RMS", rms1);
    text.peak2 = Line(peak, peak2);
    text.rms2 = Line("RMS", rms2);
    text.crest =
        peak1 < kFloor ? platform::FormatC("Crest   %s", "-NA-") : platform::FormatC("Crest   %2.2f", crest);
    const std::string balance =
        rms1 < kFloor || rms2 < kFloor
            ? std::string("-NA-")
            : platform::FormatC("%3.2fdB", 20.0 * std::log10(rms1) - 20.0 * std::log10(rms2));
    text.crest += platform::FormatC("\t%s  %s", GetText(1000216).c_str(), balance.c_str());
    text.bars = {Bar(peak1), Bar(rms1), Bar(peak2), Bar(rms2)};
    return text;
}

std::array<double, kPresetCount> DefaultPresets()
{
    return {20,  30,  40,  50,  60,   70,   80,   90,   100,  200,  300,  400,  440,   500,
            600, 700, 800, 900, 1000, 2000, 3000, 3150, 4000, 5000, 7000, 9000, 10000, 16000};
}

std::string PresetCaption(double frequency)
{
    return platform::FormatC("%5.1f", frequency);
}

int DistortionPosition(double drive)
{
    if (!(drive > 0.0))
        return 0;
    return std::clamp(static_cast<int>(std::sqrt(drive) * 200.0 / 3.0), 0, 100);
}

double DistortionDrive(int position)
{
    const double root = position * 0.015;
    return position == 0 ? root * root + 0.001 : root * root;
}

}  // namespace generator_tools

namespace generator_tools
{

double RequestedRms(double value, int unit)
{
    double volts = value;
    if (unit == kLevelUnitDb)
        volts = std::pow(10.0, value * 0.05);
    else if (unit == kLevelUnitMv)
        volts = value * 0.001;
    return std::fabs(volts);
}

LevelSet SetChannelLevel(CGeneratorMatrix& engine, CGeneratorMatrix_settings& copy, int channel, double value,
                         int unit, bool ticked)
{
    if (channel < 0 || channel >= kGeneratorOutputChannels)
        return LevelSet::NotActive;
    auto& target = engine.m_settings.m_channel[static_cast<std::size_t>(channel)];
    auto& shown = copy.m_channel[static_cast<std::size_t>(channel)];
    const double requested = RequestedRms(value, unit);
    if (!(requested >= 1e-9))
    {
        target.m_active = 0;
        shown.m_active = 0;
        return LevelSet::Deactivated;
    }
    if (!ticked)
        return LevelSet::NotActive;
    const double measured = engine.GetOutputRmsCalibrated(channel);
    // A silent channel has no level to correct: an infinite scale would be stored.
    if (!(measured > 0.0) || !std::isfinite(requested / measured))
        return LevelSet::Silent;
    const double ratio = requested / measured;
    if (target.m_calibrated != 0)
    {
        target.m_calibrated_target *= ratio;
        shown.m_calibrated_target = target.m_calibrated_target;
    }
    else
    {
        target.m_scale *= ratio;
        shown.m_scale = target.m_scale;
    }
    return LevelSet::Corrected;
}

std::array<std::string, 2> LevelReadouts(double rms, bool ticked)
{
    if (!ticked || !(rms > 0.0))
        return {"--", "--"};
    return {FormatEngineering(rms, 4, "V"), platform::FormatC("%3.3fdB", 20.0 * std::log10(rms))};
}

}  // namespace generator_tools
