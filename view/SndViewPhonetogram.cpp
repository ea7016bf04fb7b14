// The phonetogram's commands of the measurement window: on and off with its analysis set-up and
// the microphone's capture volume, its files, its display modes, the last tone's removal and its
// settings.
#include "display/settings/ViewSettings.h"
#include "dsp/FftWindow.h"
#include "engine/AudioInWave.h"
#include "engine/InputMixer.h"
#include "engine/SoundIn.h"
#include "view/PhonetogramCommands.h"
#include "view/SndView.h"

namespace
{

constexpr int kPhonetogramFftSize = 4096;
// The parameter window the phonetogram opens: the RMS level.
constexpr int kRmsParameter = 8;

}  // namespace

void CSndView::SetPhonetogramCaptureVolume()
{
    std::vector<std::string> names;
    EnumWaveInDevices(names);
    CInputMixer own;
    CInputMixerBase& mixer = m_pPhonetogramMixer ? *m_pPhonetogramMixer : own;
    mixer.m_nDeviceId = phonetogram_commands::ChooseMicrophone(names);
    mixer.m_strDeviceName = mixer.m_nDeviceId < static_cast<int>(names.size())
                                ? names[static_cast<std::size_t>(mixer.m_nDeviceId)]
                                : "";
    mixer.SetVolume(100);
}

void CSndView::OnPhonetogram()
{
    if (!m_pSettings)
        return;
    CViewSettings& settings = *m_pSettings;
    if (settings.m_bPhonetogram)
    {
        settings.m_bPhonetogram = 0;
        RestartDisplay();
        return;
    }
    SetPhonetogramCaptureVolume();
    OnStop();
    ResetViewFlags();
    m_engine.m_bWindowEnable = 1;
    m_engine.SetFftSize(kPhonetogramFftSize);
    m_engine.m_nWindowType = kFftWindowHanning;
    m_engine.m_nWeightingType = 0;
    settings.m_bPhonetogram = 1;
    m_engine.m_phonetogram.m_active = 1;
    OnStart();
    // One parameter window with the level.
    m_paramViews.RemoveAll();
    if (m_paramViews.AddParamView() > 0)
        m_paramViews.GetState(m_paramViews.GetCount() - 1).nParameter = kRmsParameter;
    OnAlignParamViews();
    RestartDisplay();
}

void CSndView::OnPhonetogramFile(bool save)
{
    std::string path;
    if (!m_pWindow || !m_pWindow->AskPhonetogramFile(save, path) || path.empty())
        return;
    if (save)
    {
        if (!m_engine.m_phonetogram.Save(path) && Frame())
            Frame()->ShowMessage("The phonetogram cannot be written to this file:\n" + path);
        return;
    }
    if (!m_engine.m_phonetogram.Load(path))
    {
        if (Frame())
            Frame()->ShowMessage("This file does not hold a phonetogram that can be read:\n" + path);
        return;
    }
    if (m_pSettings)
        m_pSettings->m_bPhonetogram = 1;
    RestartDisplay();
}

void CSndView::OnPhonetogramSettings()
{
    PhonetogramSettingsValues values = phonetogram_commands::FromPhonetogram(m_engine.m_phonetogram);
    if (m_pWindow && m_pWindow->EditPhonetogramSettings(values))
        phonetogram_commands::ToPhonetogram(values, m_engine.m_phonetogram);
}
