// The readings of one channel being calibrated and the arithmetic of the calibration dialogs: a
// channel's calibration is a multiplier ("Scale dB" = 20·log10 of it) applied to its samples, so
// every reading taken while the dialog is open already carries the factor the channel had when the
// dialog opened. The factors derived here divide that one out again, so that calibrating a channel
// that is already calibrated gives the same result as calibrating it from scratch.
//
// Threads: user-interface thread only.
#pragma once

#include <functional>
#include <string>

class CCalibrationReading
{
public:
    static constexpr int kChannels = 64;
    // Readings at or below this (about -300 dB) are taken as no signal: no factor is derived.
    static constexpr double kSmallestReading = 1e-15;

    enum Kind
    {
        kInputChannel = 0,  // the per-channel meters of a measurement window
        kTestGenerator = 1,
        kOutputChannel = 2,  // the generator matrix's output statistics
    };
    enum ReadingType
    {
        kRms = 0,
        kZeroPeak = 1,
        kPeakToPeak = 2,
    };

    // Fills RMS, zero-peak and peak-to-peak of a channel; false when the source has nothing for it.
    using Source = std::function<bool(int channel, double& rms, double& zeroPeak, double& peakToPeak)>;

    // Refreshes the three readings; a channel outside 0..63 or a source without readings leaves them.
    void Update(const Source& source);
    double Reading(ReadingType type) const;

    int m_nKind = kInputChannel;
    int m_nChannel = 0;
    double m_dFactor = 1.0;
    double m_dFactorAtOpening = 1.0;
    double m_dRms = 1.0;
    double m_dZeroPeak = 0.0;
    double m_dPeakToPeak = 0.0;
};

namespace calibration
{

// Factor so that `reading` (taken with `factorAtOpening` applied) reads `referenceDb` dB:
// factorAtOpening · 10^(referenceDb/20) / reading. False and nothing stored for a reading that is
// no signal or no number, or a result that is no finite positive number.
bool SoundLevelFactor(double referenceDb, double reading, double factorAtOpening, double& factor);
// Factor so that `reading` reads `volts`: factorAtOpening · volts / reading; the same refusals, and a
// voltage that is not positive.
bool ElectricalFactor(double volts, double reading, double factorAtOpening, double& factor);
// The level shown while calibrating: 20·log10(reading · factor / factorAtOpening).
double CurrentLevelDb(double reading, double factor, double factorAtOpening);
// The factor as "Scale dB" and back; a factor that is not positive has no scale (false).
bool FactorToScaleDb(double factor, double& scaleDb);
double ScaleDbToFactor(double scaleDb);

// "Current calibration factor %.1fdB  %f" (with the linear factor) or "... %.1fdB" (without).
std::string FactorLine(double factor, bool withLinear);
// "%.1f dB" of CurrentLevelDb.
std::string LevelLine(double reading, double factor, double factorAtOpening);

}  // namespace calibration
