// The handlers of the general commands: About, and the options (audio mixer, language,
// preferences).
#include "app/AboutDlg.h"
#include "app/AnalyzerApp.h"
#include "app/CommandHandlers.h"
#include "app/MainFrame.h"
#include "app/MixerDlg.h"
#include "app/PreferencesDlg.h"
#include "common/RegistryValues.h"
#include "platform/Registry.h"
#include "texts/LanguageChoice.h"
#include "texts/ui/LanguageDlg.h"

#include <array>
#include "engine/SoundIn.h"

namespace commands
{

void AppAbout(CMainFrame& frame, int)
{
    CSoundIn* engine = frame.GetApp().m_pEngine;
    if (engine)
        engine->m_bProcessingEnabled.store(0);
    CAboutDlg dialog(&frame);
    dialog.ShowModal();
    if (engine)
        engine->m_bProcessingEnabled.store(1);
}

void ShowAsioGenerator(CMainFrame& frame, int id)
{
    if (CSoundIn* engine = frame.GetApp().m_pEngine)
        engine->OnShowAsioGenerator(id - command_id::kAsioGenerator1);
}

void AudioMixer(CMainFrame& frame, int)
{
    CAnalyzerApp& app = frame.GetApp();
    CMixerSettings settings = app.m_MixerSettings;
    CMixerDlg dialog(&frame);
    dialog.m_nDeviceNumber = settings.m_nDeviceId;
    dialog.m_dLevel = settings.m_dMicVolume;
    dialog.m_strDeviceName = settings.m_strDeviceName;
    dialog.m_bAgc = settings.m_nMicAgc;
    dialog.m_bMute = settings.m_nMute;
    dialog.m_bSave = settings.m_nSave;
    if (dialog.ShowModal() != wxID_OK)
        return;
    settings.m_nDeviceId = dialog.m_nDeviceNumber;
    settings.m_dMicVolume = dialog.m_dLevel;
    settings.m_strDeviceName = dialog.m_strDeviceName;
    settings.m_nMicAgc = dialog.m_bAgc;
    settings.m_nMute = dialog.m_bMute;
    settings.m_nSave = dialog.m_bSave;
    app.ApplyMixerSettings(settings);
}

void Language(CMainFrame& frame, int)
{
    CLanguageDlg dialog(&frame);
    dialog.m_nLanguage = GetLanguage();
    // The menus follow at the next File New.
    if (dialog.ShowModal() == wxID_OK && dialog.m_nLanguage >= 0)
        SetLanguage(dialog.m_nLanguage);
}

void Preferences(CMainFrame& frame, int)
{
    CAnalyzerApp& app = frame.GetApp();
    const platform::RegistryKey key = platform::RegistryKey::Open(CAnalyzerApp::kConfigKey, true);
    CPreferencesDlg dialog(&frame);
    dialog.m_nStartup = 2;
    if (key)
    {
        ReadRegDword(key, "load last saved", &dialog.m_nStartup, 0);
        std::array<char, 4096> buffer{};
        ReadRegString(key, "load file", buffer, "");
        dialog.m_strFile = buffer.data();
        ReadRegDword(key, "disable cursor", &dialog.m_bDisableCursor, 0);
        ReadRegDword(key, "disable meter", &dialog.m_bDisableMeter, 0);
    }
    if (dialog.ShowModal() != wxID_OK)
        return;
    const bool written = key && WriteRegDword(key, "load last saved", dialog.m_nStartup) == 0 &&
                         WriteRegString(key, "load file", dialog.m_strFile) == 0 &&
                         WriteRegDword(key, "disable cursor", dialog.m_bDisableCursor) == 0 &&
                         WriteRegDword(key, "disable meter", dialog.m_bDisableMeter) == 0;
    if (!written)
        app.DoMessageBox("The preferences could not be saved.", wxOK | wxICON_EXCLAMATION);
    // The windows see the switches at once.
    app.m_nLoadLastSaved = dialog.m_nStartup;
    app.m_strLoadFile = dialog.m_strFile;
    app.m_EngineValues.m_bDisableCursor = dialog.m_bDisableCursor;
    app.m_EngineValues.m_bDisableMeter = dialog.m_bDisableMeter;
    if (CSoundIn* engine = app.m_pEngine)
    {
        engine->m_bDisableCursor.store(dialog.m_bDisableCursor);
        engine->m_bDisableMeter.store(dialog.m_bDisableMeter);
    }
}

}  // namespace commands
