// The two-sided level calibration of one output and one input channel: the output channel's volts
// per full-scale unit from a voltage measured externally while the first generator plays, the input
// channel's "Scale dB" from the voltage present at its input, the first generator's frequency and
// mute switch, and the calibration file "calibration.ini" in the configuration folder that keeps
// both channel matrices. Every change goes to the engine at once; there is nothing to undo.
//
// Threads: user-interface thread only.
#pragma once

#include "view/CalibrationReading.h"

#include <filesystem>

class CEngineDisplayObjects;
class CInputChannelMatrix;
class CSoundIn;

namespace calibration
{

// The volts of an external reading: millivolts times 0.001, volts as they are.
double ExternalVolts(double value, bool millivolts);
// An output channel that plays `rms` (full scale 1.0) while `volts` are measured: its volts per
// full-scale unit and the reciprocal. False and nothing stored for no signal or no positive voltage.
bool OutputCalibration(double volts, double rms, double& factor, double& target);
// The "Scale dB" that makes an input reading `rms` (taken with `oldScaleDb` applied) read `volts`:
// 20·log10(volts / (rms / 10^(oldScaleDb/20))). False and nothing stored for no signal or no
// positive voltage.
bool InputScaleDb(double volts, double rms, double oldScaleDb, double& scaleDb);

}  // namespace calibration

class CLevelCalibration
{
public:
    // The generator the calibration plays and mutes.
    static constexpr int kGenerator = 0;
    enum Result
    {
        kDone = 0,
        kNoChannel,  // the channel lies outside 1..64: nothing happens
        kNoSignal,   // no usable reading or voltage: nothing changes
    };

    CLevelCalibration(CSoundIn& engine, CInputChannelMatrix& windowChannels,
                      CEngineDisplayObjects& engineObjects, CCalibrationReading::Source inputReadings);

    // The output channel's calibrated RMS (0 outside 0..63).
    double OutputReading(int channel) const;
    Result SetOutput(int channel, double external, bool millivolts);
    Result ResetOutput(int channel);
    // Refreshes the input reading of the channel and returns its RMS (kept outside 0..63).
    double InputReading(int channel);
    Result SetInput(int channel, double external, bool millivolts);
    Result ResetInput(int channel);

    // The first generator's frequency and output switch; false when there is no generator.
    bool GeneratorState(double& frequency, bool& muted) const;
    void SetMute(bool mute);
    // Stores and applies a frequency that differs from the generator's.
    void SetFrequency(double frequency);

    // Writes the engine's input channel matrix and the output matrix; false when the file could not
    // be written completely.
    bool Save(const std::filesystem::path& path) const;
    // Reads both back; the opening window's channels follow the engine's so that the next channel
    // configuration does not undo the loaded calibration. False (nothing changed) without the file.
    bool Load(const std::filesystem::path& path);
    static std::filesystem::path FilePath();

private:
    static bool ValidChannel(int channel) { return channel >= 0 && channel < CCalibrationReading::kChannels; }
    void ApplyInput(int channel);
    void RefreshGenerator();

    CSoundIn& m_engine;
    CInputChannelMatrix& m_windowChannels;
    CEngineDisplayObjects& m_engineObjects;
    CCalibrationReading::Source m_inputReadings;
    CCalibrationReading m_input;
};
