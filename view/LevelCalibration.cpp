#include "view/LevelCalibration.h"

#include "display/settings/InputChannelMatrix.h"
#include "engine/Generator.h"
#include "engine/SoundIn.h"
#include "view/EngineDisplayObjects.h"

#include <cmath>
#include <system_error>
#include <utility>

namespace calibration
{

namespace
{

bool Usable(double volts, double rms)
{
    return std::isfinite(volts) && volts > 0.0 && std::isfinite(rms) &&
           rms > CCalibrationReading::kSmallestReading;
}

}  // namespace

double ExternalVolts(double value, bool millivolts)
{
    return millivolts ? value * 0.001 : value;
}

bool OutputCalibration(double volts, double rms, double& factor, double& target)
{
    if (!Usable(volts, rms))
        return false;
    factor = volts / rms;
    target = rms / volts;
    return true;
}

bool InputScaleDb(double volts, double rms, double oldScaleDb, double& scaleDb)
{
    if (!Usable(volts, rms) || !std::isfinite(oldScaleDb))
        return false;
    const double value = 20.0 * std::log10(volts / (rms / std::pow(10.0, oldScaleDb / 20.0)));
    if (!std::isfinite(value))
        return false;
    scaleDb = value;
    return true;
}

}  // namespace calibration

CLevelCalibration::CLevelCalibration(CSoundIn& engine, CInputChannelMatrix& windowChannels,
                                     CEngineDisplayObjects& engineObjects,
                                     CCalibrationReading::Source inputReadings)
    : m_engine(engine),
      m_windowChannels(windowChannels),
      m_engineObjects(engineObjects),
      m_inputReadings(std::move(inputReadings))
{
    m_input.m_nKind = CCalibrationReading::kInputChannel;
}

double CLevelCalibration::OutputReading(int channel) const
{
    return m_engine.m_generatorMatrix.GetOutputRmsCalibrated(channel);
}

CLevelCalibration::Result CLevelCalibration::SetOutput(int channel, double external, bool millivolts)
{
    if (!ValidChannel(channel))
        return kNoChannel;
    CGeneratorMatrix& matrix = m_engine.m_generatorMatrix;
    double factor = 1.0;
    double target = 1.0;
    if (!calibration::OutputCalibration(calibration::ExternalVolts(external, millivolts),
                                        matrix.GetOutputRms(channel), factor, target))
        return kNoSignal;
    CGenerator_channel_settings& record = matrix.m_settings.m_channel[static_cast<std::size_t>(channel)];
    record.m_calibrated = 1;
    record.m_calibration_factor = factor;
    record.m_calibrated_target = target;
    return kDone;
}

CLevelCalibration::Result CLevelCalibration::ResetOutput(int channel)
{
    if (!ValidChannel(channel))
        return kNoChannel;
    CGenerator_channel_settings& record =
        m_engine.m_generatorMatrix.m_settings.m_channel[static_cast<std::size_t>(channel)];
    record.m_calibrated = 0;
    record.m_calibration_factor = 1.0;
    record.m_calibrated_target = 1.0;
    return kDone;
}

double CLevelCalibration::InputReading(int channel)
{
    m_input.m_nChannel = channel;
    m_input.Update(m_inputReadings);
    return m_input.m_dRms;
}

CLevelCalibration::Result CLevelCalibration::SetInput(int channel, double external, bool millivolts)
{
    if (!ValidChannel(channel))
        return kNoChannel;
    Cchannel_settings& record = m_windowChannels.GetChannel(channel);
    const double rms = InputReading(channel);
    double scaleDb = 0.0;
    if (!calibration::InputScaleDb(calibration::ExternalVolts(external, millivolts), rms, record.m_dScaleDb,
                                   scaleDb))
        return kNoSignal;
    record.m_dScaleDb = scaleDb;
    record.m_bCalibrated = 1;
    ApplyInput(channel);
    return kDone;
}

CLevelCalibration::Result CLevelCalibration::ResetInput(int channel)
{
    if (!ValidChannel(channel))
        return kNoChannel;
    Cchannel_settings& record = m_windowChannels.GetChannel(channel);
    record.m_dScaleDb = 0.0;
    record.m_bCalibrated = 0;
    ApplyInput(channel);
    return kDone;
}

void CLevelCalibration::ApplyInput(int channel)
{
    const Cchannel_settings& record = m_windowChannels.GetChannel(channel);
    Cchannel_settings& engineRecord = m_engineObjects.m_channels.GetChannel(channel);
    engineRecord.m_dScaleDb = record.m_dScaleDb;
    engineRecord.m_bCalibrated = record.m_bCalibrated;
    m_engineObjects.ApplyChannelRouting(m_engine);
}

bool CLevelCalibration::GeneratorState(double& frequency, bool& muted) const
{
    const CGenerator* generator = m_engine.GetGenerator(kGenerator);
    if (!generator)
        return false;
    frequency = generator->m_settings.m_frequency;
    muted = generator->m_settings.m_output_on == 0;
    return true;
}

void CLevelCalibration::SetMute(bool mute)
{
    CGenerator* generator = m_engine.GetGenerator(kGenerator);
    if (!generator)
        return;
    generator->m_settings.m_output_on = mute ? 0 : 1;
    generator->ApplySettings();
    RefreshGenerator();
}

void CLevelCalibration::SetFrequency(double frequency)
{
    CGenerator* generator = m_engine.GetGenerator(kGenerator);
    if (!generator || !std::isfinite(frequency) || frequency == generator->m_settings.m_frequency)
        return;
    generator->m_settings.m_frequency = frequency;
    generator->ApplySettings();
    RefreshGenerator();
}

void CLevelCalibration::RefreshGenerator()
{
    if (m_engine.m_generatorLink.m_refreshPanel)
        m_engine.m_generatorLink.m_refreshPanel(kGenerator);
}

bool CLevelCalibration::Save(const std::filesystem::path& path) const
{
    const bool input = m_engineObjects.m_channels.WriteProfile(path.string());
    const bool output = m_engine.m_generatorMatrix.m_settings.WriteIni(path.string());
    return input && output;
}

bool CLevelCalibration::Load(const std::filesystem::path& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    CInputChannelMatrix& channels = m_engineObjects.m_channels;
    channels.ReadProfile(path.string());
    m_engine.m_generatorMatrix.m_settings.ReadIni(path.string());
    for (int c = 0; c < CInputChannelMatrix::kChannelCount; ++c)
    {
        const Cchannel_settings& loaded = channels.GetChannel(c);
        Cchannel_settings& window = m_windowChannels.GetChannel(c);
        // A scale that is no number would silence the channel: the channel is left uncalibrated.
        Cchannel_settings& engineRecord = channels.GetChannel(c);
        if (!std::isfinite(engineRecord.m_dScaleDb))
        {
            engineRecord.m_dScaleDb = 0.0;
            engineRecord.m_bCalibrated = 0;
        }
        window.m_bActive = loaded.m_bActive;
        window.m_nInputChannel = loaded.m_nInputChannel;
        window.m_bCalibrated = loaded.m_bCalibrated;
        window.m_dScaleDb = loaded.m_dScaleDb;
        window.m_dPreScale = loaded.m_dPreScale;
    }
    m_engineObjects.ApplyChannelRouting(m_engine);
    return true;
}

std::filesystem::path CLevelCalibration::FilePath()
{
    return CInputChannelMatrix::CalibrationFilePath();
}
