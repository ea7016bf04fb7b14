#include "view/ParamViewRules.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "common/TextFormatting.h"
#include "platform/NumberFormat.h"
#include "texts/TextTable.h"
#include "view/ViewTexts.h"

namespace
{

using platform::FormatC;

constexpr double kMarker = CParamResults::kNotAvailable;
constexpr double kLowestDb = -200.0;
constexpr double kSoundSpeedFactor = 333.0;
constexpr int kTime = 20;
constexpr int kFirstDistortion = 24;
constexpr int kLastDistortion = 33;

constexpr std::array<const char*, kParamViewParameters> kNames = {"THD",
                                                                  "THD %",
                                                                  "THD+N",
                                                                  "THD+N %",
                                                                  "Inband level",
                                                                  "Peak Level FFT",
                                                                  "Peak Level",
                                                                  "Peak Peak long term",
                                                                  "RMS",
                                                                  "RMS long term",
                                                                  "Crest",
                                                                  "Crest long term",
                                                                  "Channel Seperation",
                                                                  "Peak position",
                                                                  "M1-M2",
                                                                  "Delay",
                                                                  "Delay (meter)",
                                                                  "LEQ",
                                                                  "LEQ min",
                                                                  "LEQ max",
                                                                  "",
                                                                  "LEQ short",
                                                                  "LEQ long",
                                                                  "C peak",
                                                                  "THD K1",
                                                                  "THD K2",
                                                                  "THD K3",
                                                                  "THD K4",
                                                                  "THD K5",
                                                                  "THD K6",
                                                                  "THD K7",
                                                                  "THD K8",
                                                                  "THD K9",
                                                                  "THD K10",
                                                                  "Watt",
                                                                  "SPL",
                                                                  "SPL Z",
                                                                  "5s Taktmaximalpegel",
                                                                  "Phase diff."};

ParamCategory CategoryOf(int n)
{
    switch (n)
    {
        case 1:
        case 3:
            return ParamCategory::Percent;
        case 7:
            return ParamCategory::Plain;
        case 13:
        case 15:
        case 16:
        case kTime:
            return ParamCategory::Time;
        case 14:
        case 17:
        case 18:
        case 19:
        case 21:
        case 22:
        case 23:
            return ParamCategory::None;
        case 34:
            return ParamCategory::Watt;
        case 38:
            return ParamCategory::Angle;
        default:
            return n >= 0 && n < kParamViewParameters ? ParamCategory::Db20 : ParamCategory::None;
    }
}

bool Available(double v)
{
    return v != kMarker && std::isfinite(v);
}

// 10 · log10 of a mean square; false for values that have none.
bool LevelOf(double meanSquare, double& db)
{
    if (!Available(meanSquare) || meanSquare <= 0.0)
        return false;
    db = 10.0 * std::log10(meanSquare);
    return true;
}

std::string DbText(double db)
{
    return FormatC("% 3.2fdB", db);
}

}  // namespace

std::string GetParamViewName(int n)
{
    if (n == kTime)
        return GetText(view_text::kTime);
    if (n < 0 || n >= kParamViewParameters)
        return std::string();
    return kNames[static_cast<std::size_t>(n)];
}

bool GetParamValue(int n, int channel, const CParamResults& r, double& value)
{
    if (channel < 0 || channel >= CParamResults::kChannels)
        return false;
    const auto c = static_cast<std::size_t>(channel);
    const auto plain = [&value](double v)
    {
        value = v;
        return Available(v);
    };
    switch (n)
    {
        case 0:
        case 1:
            return plain(r.m_adThd[c]);
        case 2:
        case 3:
            return plain(r.m_adThdN[c]);
        case 4:
            return Available(r.m_adInbandDb[c]) && plain(std::pow(10.0, 0.05 * r.m_adInbandDb[c]));
        case 5:
            return Available(r.m_adFftPeakDb[c]) && plain(std::pow(10.0, 0.05 * r.m_adFftPeakDb[c]));
        case 6:
            return Available(r.m_adPeakLevel[c]) && plain(std::fabs(r.m_adPeakLevel[c]));
        case 7:
            if (!Available(r.m_adLongMax[c]) || !Available(r.m_adLongMin[c]))
                return false;
            return plain(std::max(0.0, r.m_adLongMax[c] - r.m_adLongMin[c]));
        case 8:
            return plain(r.m_adRms[c]);
        case 9:
            if (r.m_anLongCount[c] <= 0 || !Available(r.m_adLongSumSquares[c]))
                return false;
            return plain(std::sqrt(r.m_adLongSumSquares[c] / static_cast<double>(r.m_anLongCount[c])));
        case 10:
        {
            if (!Available(r.m_adBlockMin[c]) || !Available(r.m_adBlockMax[c]) || !Available(r.m_adRms[c]))
                return false;
            return plain(std::max(std::fabs(r.m_adBlockMin[c]), std::fabs(r.m_adBlockMax[c])) / r.m_adRms[c]);
        }
        case 11:
        {
            double rmsLong = 0.0;
            if (!GetParamValue(9, channel, r, rmsLong) || !Available(r.m_adLongMin[c]) ||
                !Available(r.m_adLongMax[c]))
                return false;
            return plain(std::max(std::fabs(r.m_adLongMin[c]), std::fabs(r.m_adLongMax[c])) / rmsLong);
        }
        case 12:
            if (!Available(r.m_adInbandDb[0]) || !Available(r.m_adInbandDb[1]))
                return false;
            return plain(std::pow(10.0, 0.05 * std::fabs(r.m_adInbandDb[0] - r.m_adInbandDb[1])));
        case 13:
            return plain(r.m_adPeakPosition[c]);
        case 14:
            if (!Available(r.m_adMarker1Db[c]) || !Available(r.m_adMarker2Db[c]))
                return false;
            value = r.m_adMarker1Db[c] - r.m_adMarker2Db[c];
            return true;
        case 15:
            return plain(r.m_dDelay);
        case 16:
            return Available(r.m_dDelay) && plain(r.m_dDelay * kSoundSpeedFactor);
        case 17:
            return LevelOf(r.m_adLeq[c], value);
        case 18:
            return LevelOf(r.m_adLeqMin[c], value);
        case 19:
            return LevelOf(r.m_adLeqMax[c], value);
        case kTime:
            return plain(r.m_dMeasurementTime);
        case 21:
            return LevelOf(r.m_adLeqShort[c], value);
        case 22:
            return LevelOf(r.m_adLeqLong[c], value);
        case 23:
            if (!Available(r.m_adCPeak[c]) || r.m_adCPeak[c] <= 0.0)
                return false;
            value = 20.0 * std::log10(r.m_adCPeak[c]);
            return true;
        case 34:
            if (!Available(r.m_adRms[c]) || !Available(r.m_dLoadImpedance) || r.m_dLoadImpedance <= 0.0)
                return false;
            return plain(r.m_adRms[c] * r.m_adRms[c] / r.m_dLoadImpedance);
        case 35:
            return plain(r.m_adSpl[c]);
        case 36:
            return plain(r.m_adSplZ[c]);
        case 37:
            return plain(r.m_adTaktMax5s[c]);
        case 38:
            if (!Available(r.m_dPhaseDiff))
                return false;
            value = r.m_dPhaseDiff < -180.0 ? r.m_dPhaseDiff + 360.0 : r.m_dPhaseDiff;
            return true;
        default:
            break;
    }
    if (n >= kFirstDistortion && n <= kLastDistortion)
        return plain(static_cast<double>(r.m_afDistortion[static_cast<std::size_t>(n - kFirstDistortion)]));
    return false;
}

ParamScale SetupParamScale(int n)
{
    ParamScale scale;
    scale.category = CategoryOf(n);
    switch (scale.category)
    {
        case ParamCategory::Db20:
        case ParamCategory::Watt:
            scale.nScaleMode = ParamScale::kLogDb;
            scale.dDbFactor = scale.category == ParamCategory::Watt ? 10.0 : 20.0;
            scale.dScaleFactor = 1.0;
            scale.unit = "dB";
            break;
        case ParamCategory::Percent:
            scale.nScaleMode = ParamScale::kLinearPercent;
            scale.dScaleFactor = 100.0;
            scale.suffix = "%";
            break;
        case ParamCategory::Angle:
            scale.suffix = view_text::kDegreeSign;
            break;
        case ParamCategory::Time:
        case ParamCategory::Plain:
        case ParamCategory::None:
            break;
    }
    return scale;
}

ParamReading ReadParamView(int n, int channel, const CParamResults& results, const ParamScale& scale)
{
    ParamReading reading;
    reading.title = GetParamViewName(n);
    double value = 0.0;
    const bool available = GetParamValue(n, channel, results, value);
    reading.value = value;

    switch (scale.category)
    {
        case ParamCategory::Db20:
        case ParamCategory::Watt:
        {
            if (!available)
                break;
            const bool watt = scale.category == ParamCategory::Watt;
            if (scale.nScaleMode == ParamScale::kLogDb)
            {
                if (value <= 0.0)
                    break;
                value = scale.dDbFactor * std::log10(value);
                reading.value = value;
                if (value < kLowestDb)
                    break;
                reading.text = DbText(value) + (watt ? "W" : "");
            }
            else if (scale.nScaleMode == ParamScale::kLinearPercent)
            {
                value *= scale.dScaleFactor * 100.0;
                reading.value = value;
                reading.text = FormatC("%3.4f%%", value);
            }
            else
            {
                value *= scale.dScaleFactor;
                reading.value = value;
                reading.text = watt ? FormatEngineering(value, 4, "W") : FormatC("%3.4f", value);
            }
            reading.valid = true;
            break;
        }
        case ParamCategory::Time:
            if (available)
            {
                reading.text = n == 13   ? FormatC("% 5.2f", value)
                               : n == 16 ? FormatC("%2.2fm", value)
                                         : FormatTimeSpan(value);
                reading.valid = true;
            }
            break;
        case ParamCategory::Percent:
            if (available)
            {
                reading.value = value * 100.0;
                reading.text = FormatC("%3.4f%%", reading.value);
                reading.valid = true;
            }
            break;
        case ParamCategory::Plain:
            if (available)
            {
                reading.text = FormatC("%3.4f", value);
                reading.valid = true;
            }
            break;
        case ParamCategory::Angle:
            if (available)
            {
                reading.text = FormatC("%3.1f", value) + view_text::kDegreeSign;
                reading.valid = true;
            }
            break;
        case ParamCategory::None:
            if (available && value >= kLowestDb)
            {
                reading.text = DbText(value);
                reading.valid = true;
            }
            break;
    }

    if (n == 17)
    {
        double low = 0.0;
        double high = 0.0;
        reading.presetMinMax = true;
        reading.minimum = GetParamValue(18, channel, results, low) ? low : 1e99;
        reading.maximum = GetParamValue(19, channel, results, high) ? high : -1e99;
    }
    reading.hideMinMax = n == kTime;
    return reading;
}
