// The window's channel configuration: the Channel Matrix on the window's 64 channel records, and
// what follows an OK; the level calibration and the tracking level of the generators' output.
#include "display/settings/ViewSettings.h"
#include "engine/SoundIn.h"
#include "view/EngineDisplayObjects.h"
#include "view/LevelCalibration.h"
#include "view/SndView.h"
#include "view/ViewFrame.h"

#include <algorithm>
#include <cmath>
#include <vector>

CCalibrationReading::Source CSndView::ChannelReadings()
{
    return [this](int channel, double& rms, double& peak, double& peakToPeak)
    {
        if (channel < 0 || channel >= CSoundIn::kMaxChannels)
            return false;
        const CSoundIn::BlockStatisticsRecord s = m_engine.GetPublishedBlockStatistics(channel);
        rms = std::sqrt(std::max(0.0, s.meanSquare));
        peak = s.blockPeak;
        peakToPeak = s.blockMax - s.blockMin;
        return true;
    };
}

void CSndView::OnChannelConfiguration()
{
    CViewSettings* settings = CurrentSettings();
    CViewFrame* frame = Frame();
    if (!settings || !frame)
        return;
    std::vector<Cchannel_settings> channels(CInputChannelMatrix::kChannelCount);
    for (int c = 0; c < CInputChannelMatrix::kChannelCount; ++c)
        channels[static_cast<std::size_t>(c)].CopyFrom(settings->m_Channels.GetChannel(c));
    std::vector<std::string> curveNames;
    for (int n = 0; n < GetCurveCount(); ++n)
        curveNames.push_back(GetCurveName(n));
    if (!frame->EditChannelMatrix(channels, curveNames, ChannelReadings()))
        return;

    CEngineDisplayObjects& engineObjects = GetEngineDisplayObjects();
    for (int c = 0; c < CInputChannelMatrix::kChannelCount; ++c)
    {
        const Cchannel_settings& edited = channels[static_cast<std::size_t>(c)];
        settings->m_Channels.GetChannel(c).CopyFrom(edited);
        // The engine's record takes everything but its own curve style; the engine reads the
        // operation through it.
        Cchannel_settings& engineChannel = engineObjects.m_channels.GetChannel(c);
        engineChannel.m_dScaleDb = edited.m_dScaleDb;
        engineChannel.m_nInputChannel = edited.m_nInputChannel;
        engineChannel.m_bActive = edited.m_bActive;
        engineChannel.m_dPreScale = edited.m_dPreScale;
        engineChannel.m_bCalibrated = edited.m_bCalibrated;
        engineChannel.m_Operation = edited.m_Operation;
    }
    engineObjects.ApplyChannelRouting(m_engine);
    engineObjects.m_curveStyles[0].CopyFrom(settings->m_Channels.GetChannel(0).m_CurveStyle);
    engineObjects.m_curveStyles[1].CopyFrom(settings->m_Channels.GetChannel(1).m_CurveStyle);
    RestartDisplay();
    m_engine.m_bDisplayRestartRequest.store(1);
}

void CSndView::OnCalibrateLevels()
{
    CViewSettings* settings = CurrentSettings();
    if (!settings || !m_pWindow)
        return;
    CLevelCalibration calibration(m_engine, settings->m_Channels, GetEngineDisplayObjects(),
                                  ChannelReadings());
    m_pWindow->RunLevelCalibration(calibration);
}

void CSndView::OnTrackingLevel()
{
    double millivolts = 500.0;
    if (!m_pWindow || !m_pWindow->EditTrackingLevel(millivolts))
        return;
    m_engine.m_generatorMatrix.SetChannelLevels(millivolts * 0.001);
    if (m_engine.m_generatorLink.m_refreshPanel)
        m_engine.m_generatorLink.m_refreshPanel(CLevelCalibration::kGenerator);
}
