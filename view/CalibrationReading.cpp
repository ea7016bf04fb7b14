#include "view/CalibrationReading.h"

#include <cmath>
#include <cstdio>

void CCalibrationReading::Update(const Source& source)
{
    if (!source || m_nChannel < 0 || m_nChannel >= kChannels)
        return;
    double rms = 0.0, zeroPeak = 0.0, peakToPeak = 0.0;
    if (!source(m_nChannel, rms, zeroPeak, peakToPeak))
        return;
    m_dRms = rms;
    m_dZeroPeak = zeroPeak;
    m_dPeakToPeak = peakToPeak;
}

double CCalibrationReading::Reading(ReadingType type) const
{
    switch (type)
    {
        case kZeroPeak:
            return m_dZeroPeak;
        case kPeakToPeak:
            return m_dPeakToPeak;
        case kRms:
            break;
    }
    return m_dRms;
}

namespace calibration
{

namespace
{

bool UsableReading(double reading)
{
    return std::isfinite(reading) && reading > CCalibrationReading::kSmallestReading;
}

bool StoreFactor(double value, double& factor)
{
    if (!std::isfinite(value) || value <= 0.0)
        return false;
    factor = value;
    return true;
}

}  // namespace

bool SoundLevelFactor(double referenceDb, double reading, double factorAtOpening, double& factor)
{
    if (!UsableReading(reading) || !std::isfinite(referenceDb))
        return false;
    const double opening = factorAtOpening > 0.0 && std::isfinite(factorAtOpening) ? factorAtOpening : 1.0;
    return StoreFactor(opening * std::pow(10.0, referenceDb * 0.05) / reading, factor);
}

bool ElectricalFactor(double volts, double reading, double factorAtOpening, double& factor)
{
    if (!UsableReading(reading) || !std::isfinite(volts) || volts <= 0.0)
        return false;
    const double opening = factorAtOpening > 0.0 && std::isfinite(factorAtOpening) ? factorAtOpening : 1.0;
    return StoreFactor(opening * volts / reading, factor);
}

double CurrentLevelDb(double reading, double factor, double factorAtOpening)
{
    const double opening = factorAtOpening > 0.0 ? factorAtOpening : 1.0;
    return 20.0 * std::log10(reading * factor / opening);
}

bool FactorToScaleDb(double factor, double& scaleDb)
{
    if (!std::isfinite(factor) || factor <= 0.0)
        return false;
    scaleDb = 20.0 * std::log10(factor);
    return true;
}

double ScaleDbToFactor(double scaleDb)
{
    return std::pow(10.0, scaleDb * 0.05);
}

std::string FactorLine(double factor, bool withLinear)
{
    char text[128];
    const double db = 20.0 * std::log10(factor);
    if (withLinear)
        std::snprintf(text, sizeof text, "Current calibration factor %.1fdB  %f", db, factor);
    else
        std::snprintf(text, sizeof text, "Current calibration factor %.1fdB", db);
    return text;
}

std::string LevelLine(double reading, double factor, double factorAtOpening)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.1f dB", CurrentLevelDb(reading, factor, factorAtOpening));
    return text;
}

}  // namespace calibration
