// The handlers of the measurement settings commands: each copies the engine's settings into its
// dialog, shows it with the 3D window paused and, after OK, stores them back; a change that needs it
// stops the engine and opens and restarts it. Cancel leaves the engine untouched and running.
#include "app/AdvancedSettingDlg.h"
#include "app/AnalyzerApp.h"
#include "app/ChannelMatrixDlg.h"
#include "app/CommandHandlers.h"
#include "app/MainFrame.h"
#include "display/ThreeDWindow.h"
#include "engine/SoundIn.h"
#include "texts/TextTable.h"
#include "view/EngineDisplayObjects.h"
#include "view/MeasurementSettingsRules.h"
#include "view/ui/AudioMonitorDlg.h"
#include "view/ui/DualSettingsDlg.h"
#include "view/ui/FftPropertiesDlg.h"
#include "view/ui/ImpedanceDlg.h"
#include "view/ui/MicCalibrationDlg.h"
#include "view/ui/SampleRateConversionDlg.h"
#include "view/ui/ReferenceMeasurementDlg.h"
#include "view/ui/TriggerSettingsDlg.h"

#include <wx/msgdlg.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace
{

constexpr int kTextChirpStopAboveStart = 1000081;
constexpr int kTextChirpStopAboveNyquist = 1000082;
constexpr int kTextFftSizeFitted = 1000083;
constexpr int kTextSmallBlocks = 1000084;
constexpr int kSettleMs = 100;

void Settle()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(kSettleMs));
}

// Opens and restarts the engine after its settings changed and lets the windows follow.
void ReopenEngine(CSoundIn& engine)
{
    if (engine.OpenInput() == 0)
        engine.RestartInput();
    engine.m_bDisplayRestartRequest.store(1);
    engine.m_bProcessingEnabled.store(1);
}

std::string Formatted(int textId, int value)
{
    return wxString::Format(wxString::FromUTF8(GetText(textId)), value).utf8_string();
}

}  // namespace

namespace commands
{

void Settings(CMainFrame& frame, int)
{
    CAnalyzerApp& app = frame.GetApp();
    CSoundIn* engine = app.m_pEngine;
    if (!engine)
        return;
    CScoped3DPause pause;
    CFftPropertiesDlg dialog(&frame);
    dialog.m_strFftSize = std::to_string(engine->m_nFftSize);
    dialog.m_strSequenceSize = std::to_string(engine->m_nMlsLength);
    dialog.m_nSampleRate = engine->m_nSampleRate;
    dialog.m_nAverages = engine->m_nAverageCount;
    dialog.m_nExcitation = engine->m_bChirpExcitation ? 2 : (engine->m_bMlsMode ? 1 : 0);
    dialog.m_dChirpStart = engine->m_dChirpStart;
    dialog.m_dChirpStop = engine->m_dChirpStop;
    dialog.m_nMlsDisplay = engine->m_nMlsDisplayKind;
    dialog.m_nAnalyserDisplay = engine->m_bScopeMode ? 2 : (engine->m_nFftSubmode == 1 ? 1 : 0);
    dialog.m_nWindowType = engine->m_nWindowType;
    dialog.m_nWeighting = engine->m_nWeightingType;
    dialog.m_bCalibration = engine->m_bCalibration;
    dialog.m_dOffset = engine->m_fCalibrationOffset;
    dialog.m_dDelayMs = engine->m_dImpulseLead * 1000.0;
    dialog.m_dLengthMs = engine->m_dImpulseLength * 1000.0;

    // The dialog comes back with the entered values until they pass or the user cancels.
    int fftSize = 0;
    int fittedSize = 0;
    for (;;)
    {
        if (dialog.ShowModal() != wxID_OK)
            return;
        fftSize = std::atoi(dialog.m_strFftSize.c_str());
        settings_rules::FftCheckValues values;
        values.fftSize = fftSize;
        values.sequenceSize = std::atoi(dialog.m_strSequenceSize.c_str());
        values.excitation = dialog.m_nExcitation;
        values.chirpStart = dialog.m_dChirpStart;
        values.chirpStop = dialog.m_dChirpStop;
        values.sampleRate = dialog.m_nSampleRate;
        const settings_rules::FftCheckResult check = settings_rules::CheckFftSettings(values);
        if (check.smallBlockWarning)
            app.DoMessageBox(GetText(kTextSmallBlocks), wxOK);
        if (check.failure != 0)
        {
            app.DoMessageBox(
                GetText(check.failure == 2 ? kTextChirpStopAboveStart : kTextChirpStopAboveNyquist), wxOK);
            continue;
        }
        if (fftSize > CSoundIn::kMaxFftSize)
        {
            app.DoMessageBox(
                "The largest FFT size the analyser offers is " + std::to_string(CSoundIn::kMaxFftSize) + ".",
                wxOK | wxICON_EXCLAMATION);
            continue;
        }
        fittedSize = fftSize;
        if (dialog.m_nExcitation != 0)
        {
            fittedSize = settings_rules::FitFftSizeToTimeWindow(
                fftSize, dialog.m_nSampleRate, dialog.m_dLengthMs * 0.001, CSoundIn::kMaxFftSize);
            if (fittedSize < 0)
            {
                app.DoMessageBox(
                    wxString::Format("The time window of %g ms needs more than the largest FFT size "
                                     "(%i) at %i Hz. Please choose a shorter time window.",
                                     dialog.m_dLengthMs, CSoundIn::kMaxFftSize, dialog.m_nSampleRate)
                        .utf8_string(),
                    wxOK | wxICON_EXCLAMATION);
                continue;
            }
        }
        break;
    }

    engine->m_bProcessingEnabled.store(0);
    Settle();
    engine->StopInput();
    const int previousRate = engine->m_nSampleRate;
    engine->SetFftSize(fittedSize);
    engine->m_nMlsLength = std::atoi(dialog.m_strSequenceSize.c_str());
    engine->m_nSampleRate = dialog.m_nSampleRate;
    engine->m_nAverageCount = dialog.m_nAverages;
    engine->m_bChirpExcitation = dialog.m_nExcitation == 2 ? 1 : 0;
    engine->m_dChirpStart = dialog.m_dChirpStart;
    engine->m_dChirpStop = dialog.m_dChirpStop;
    engine->m_nWindowType = dialog.m_nWindowType;
    engine->m_nWeightingType = dialog.m_nWeighting;
    engine->m_bCalibration = dialog.m_bCalibration;
    engine->m_fCalibrationOffset = static_cast<float>(dialog.m_dOffset);
    engine->m_dImpulseLead = dialog.m_dDelayMs * 0.001;
    engine->m_dImpulseLength = dialog.m_dLengthMs * 0.001;
    // The MLS display and the analyser's display choose the analyser mode while MLS is on or the
    // display changes; the other modes of the window stay.
    if (dialog.m_nExcitation != 0)
        engine->SetAnalyzerMode(2 + dialog.m_nMlsDisplay);
    else if (engine->m_bMlsMode ||
             dialog.m_nAnalyserDisplay != (engine->m_bScopeMode ? 2 : engine->m_nFftSubmode))
        engine->SetAnalyzerMode(dialog.m_nAnalyserDisplay == 2 ? 1
                                                               : (dialog.m_nAnalyserDisplay == 1 ? 8 : 0));
    CAxisProp& firstPreset = GetEngineDisplayObjects().m_axisPresets[0];
    settings_rules::FitAxisPresetToRate(firstPreset.m_dXMin, firstPreset.m_dXMax,
                                        engine->IsFrequencyAxisMode(), engine->m_nSampleRate != previousRate,
                                        engine->m_nSampleRate);
    if (fittedSize != fftSize)
        app.DoMessageBox(Formatted(kTextFftSizeFitted, fittedSize), wxOK);
    // A running generator program plays the excitation the analysis now expects.
    if (dialog.m_nExcitation != 0)
        engine->SendExcitationToGeneratorProgram();
    ReopenEngine(*engine);
}

void AdvancedSettings(CMainFrame& frame, int)
{
    CAnalyzerApp& app = frame.GetApp();
    CSoundIn* engine = app.m_pEngine;
    if (!engine)
        return;
    CScoped3DPause pause;
    CAdvancedSettingDlg dialog(&frame);
    dialog.m_pEngine = engine;
    dialog.m_nBufferCount = engine->m_nDeviceBufferCount;
    dialog.m_nDeviceIndex = engine->m_nCaptureDevice;
    dialog.m_strDeviceName = engine->m_strCaptureDeviceName;
    dialog.m_nChannelMode = engine->m_nChannelMode;
    dialog.m_strMinBuffer = std::to_string(engine->m_nMinDeviceBuffer);
    dialog.m_bDcRemoval = engine->m_bDcBlock;
    dialog.m_strResolution = std::to_string(engine->m_nBitsPerSample);
    dialog.m_bMp3 = engine->m_bRecorderMp3;
    dialog.m_dFileLengthMinutes = settings_rules::SecondsToMinutes(engine->m_dRecorderInterval);
    const int processing = engine->m_bProcessingEnabled.load();
    engine->m_bProcessingEnabled.store(0);
    if (dialog.ShowModal() != wxID_OK)
    {
        engine->m_bProcessingEnabled.store(processing);
        return;
    }
    Settle();
    engine->StopInput();
    engine->m_nDeviceBufferCount = dialog.m_nBufferCount;
    engine->m_nCaptureDevice = dialog.m_nDeviceIndex;
    engine->m_strCaptureDeviceName = dialog.m_strDeviceName;
    engine->m_nChannelMode = dialog.m_nChannelMode;
    if (settings_rules::ResolveDualChannelMode(engine->m_nChannelMode, engine->m_stored.dualPlot[1]))
        app.DoMessageBox(settings_rules::kSingleChannelMessage, wxOK);
    engine->m_nAnalysisChannels = engine->m_nChannelMode == 3 ? 2 : 1;
    engine->m_nMinDeviceBuffer = std::atoi(dialog.m_strMinBuffer.c_str());
    engine->m_bDcBlock = dialog.m_bDcRemoval;
    engine->m_nBitsPerSample = std::atoi(dialog.m_strResolution.c_str());
    engine->m_bRecorderMp3 = dialog.m_bMp3;
    engine->m_dRecorderInterval = settings_rules::MinutesToSeconds(dialog.m_dFileLengthMinutes);
    ReopenEngine(*engine);
}

void TriggerSettings(CMainFrame& frame, int)
{
    CSoundIn* engine = frame.GetApp().m_pEngine;
    if (!engine)
        return;
    CScoped3DPause pause;
    CSoundIn::TriggerSettings settings = engine->GetTriggerSettings();
    CTriggerSettingsDlg dialog(&frame);
    dialog.m_nMode = settings.mode;
    dialog.m_dThreshold = settings.level;
    dialog.m_nChannel = settings.channel;
    dialog.m_bNegativeSlope = settings.slope;
    dialog.m_bBelowThreshold = settings.negative;
    dialog.m_nRepeat = settings.repeat == 0 ? 0 : 1;
    dialog.m_bScopeOnly = settings.scopeOnly;
    dialog.m_dDelayMs = settings_rules::TriggerFramesToMs(settings.offsetFrames, engine->m_nSampleRate);
    if (dialog.ShowModal() != wxID_OK)
        return;
    settings.mode = dialog.m_nMode;
    settings.level = dialog.m_dThreshold;
    settings.channel = dialog.m_nChannel;
    settings.slope = dialog.m_bNegativeSlope;
    settings.negative = dialog.m_bBelowThreshold;
    settings.repeat = dialog.m_nRepeat;
    settings.scopeOnly = dialog.m_bScopeOnly;
    settings.offsetFrames = settings_rules::TriggerMsToFrames(dialog.m_dDelayMs, engine->m_nSampleRate);
    engine->SetTriggerSettings(settings);
    engine->m_bDisplayRestartRequest.store(1);
}

void ImpedanceSettings(CMainFrame& frame, int)
{
    CSoundIn* engine = frame.GetApp().m_pEngine;
    if (!engine)
        return;
    CScoped3DPause pause;
    CImpedanceDlg dialog(&frame);
    dialog.m_dResistor = engine->m_dMode5Factor;
    if (dialog.ShowModal() == wxID_OK)
        engine->m_dMode5Factor = dialog.m_dResistor;
}

void Dsp(CMainFrame& frame, int)
{
    CSoundIn* engine = frame.GetApp().m_pEngine;
    if (!engine)
        return;
    CScoped3DPause pause;
    CDualSettingsDlg::EditEngine(&frame, *engine);
}

void AudioMonitor(CMainFrame& frame, int)
{
    CAudioMonitorDlg dialog(&frame);
    dialog.ShowModal();
}

void MicCalibration(CMainFrame& frame, int)
{
    CSoundIn* engine = frame.GetApp().m_pEngine;
    if (!engine)
        return;
    CScoped3DPause pause;
    CMicCalibrationDlg dialog(&frame, *engine);
    dialog.ShowModal();
}

void LoadSaveReference(CMainFrame& frame, int)
{
    CSoundIn* engine = frame.GetApp().m_pEngine;
    if (!engine)
        return;
    // The file the reference came from, for as long as the program runs.
    static std::string path;
    CScoped3DPause pause;
    CReferenceMeasurementDlg::EditEngine(&frame, *engine, path);
}

void Synchronize(CMainFrame& frame, int)
{
    CSoundIn* engine = frame.GetApp().m_pEngine;
    if (!engine)
        return;
    CScoped3DPause pause;
    CSampleRateConversionDlg dialog(&frame, *engine);
    dialog.ShowModal();
}

}  // namespace commands

bool CMainFrame::EditChannelMatrix(std::vector<Cchannel_settings>& channels,
                                   const std::vector<std::string>& curveNames,
                                   const CCalibrationReading::Source& readings)
{
    CChannelMatrixDlg dialog(this);
    dialog.m_readings = readings;
    const std::size_t count = std::min(channels.size(), dialog.m_channels.size());
    for (std::size_t i = 0; i < count; ++i)
        dialog.m_channels[i].CopyFrom(channels[i]);
    dialog.m_curveNames = curveNames;
    if (dialog.ShowModal() != wxID_OK)
        return false;
    for (std::size_t i = 0; i < count; ++i)
        channels[i].CopyFrom(dialog.m_channels[i]);
    return true;
}
