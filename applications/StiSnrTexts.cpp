#include "applications/StiSnrTexts.h"

#include <cmath>

#include "common/IniFile.h"
#include "platform/NumberFormat.h"

namespace
{

constexpr const char* kNoNoise = "--";
// What the SIGNAL and NOISE sets are preset to, so that a file without them is recognised.
constexpr double kMissingSet = -250.0;

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::string FormatStiSnr(double value, double limit)
{
    if (value >= limit)
        return kNoNoise;
    return platform::FormatC("%.1f", value);
}

StiSnrTexts MakeStiSnrTexts(const CStiBandValues& values)
{
    StiSnrTexts texts;
    for (int band = 0; band < CStiBandValues::kFileBands; ++band)
        texts[band] = FormatStiSnr(values.m_values[band], values.m_limit);
    return texts;
}

bool ParseStiSnr(const std::string& text, double defaultValue, double& value)
{
    std::string number = Trimmed(text);
    if (number == kNoNoise)
    {
        value = defaultValue;
        return true;
    }
    for (char& c : number)
        if (c == ',')
            c = '.';
    std::size_t used = 0;
    const double parsed = platform::ParseDouble(number, &used);
    if (number.empty() || used != number.size() || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

bool ApplyStiSnrTexts(const StiSnrTexts& texts, CStiBandValues& values, int& badBand)
{
    std::array<double, CStiBandValues::kFileBands> read{};
    for (int band = 0; band < CStiBandValues::kFileBands; ++band)
    {
        if (!ParseStiSnr(texts[band], values.m_defaultValue, read[band]))
        {
            badBand = band;
            return false;
        }
    }
    for (int band = 0; band < CStiBandValues::kFileBands; ++band)
        values.m_values[band] = read[band];
    badBand = -1;
    return true;
}

std::string StiSnrRefusal(int band, const std::string& text)
{
    return "The signal-to-noise ratio \"" + text + "\" of the " + StiSnrBandTitle(band) +
           " band is not a number.\nEnter a value in dB, or \"--\" for a band without noise.";
}

std::string StiSnrBandTitle(int band)
{
    return platform::FormatC("%.0fHz", 125.0 * std::ldexp(1.0, band));
}

void LoadStiSnrTexts(const std::string& path, StiSnrTexts& texts)
{
    CStiBandValues snr;
    for (int band = 0; band < CStiBandValues::kFileBands; ++band)
        if (!ParseStiSnr(texts[band], snr.m_defaultValue, snr.m_values[band]))
            snr.m_values[band] = snr.m_defaultValue;
    CStiBandValues signal;
    CStiBandValues noise;
    signal.SetAll(kMissingSet);
    noise.SetAll(kMissingSet);
    ReadStiBandValues(path, snr, kStiSetSnr);
    ReadStiBandValues(path, signal, kStiSetSignal);
    ReadStiBandValues(path, noise, kStiSetNoise);
    if (std::fabs(signal.m_values[0] - kMissingSet) > 1e-6)
        snr = signal.Difference(noise);
    texts = MakeStiSnrTexts(snr);
}

bool SaveStiSnrTexts(const std::string& path, const StiSnrTexts& texts)
{
    CIniFile ini;
    if (!ini.SetFileName(path))
        return false;
    const std::string section = std::string("STI Signal to Noise.") + g_stiBandValueSetNames[kStiSetSnr];
    bool written = true;
    for (int band = 0; band < CStiBandValues::kFileBands; ++band)
        written = ini.WriteString(section, StiSnrBandTitle(band), texts[band]) && written;
    return written;
}
