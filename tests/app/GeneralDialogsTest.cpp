// The general dialogs and the input mixer as the application drives it: start-up, the "Audio
// Mixer" command with its dialog, and pictures of the dialogs (saved as PNG into the test output
// folder).
#include "app/AboutDlg.h"
#include "app/AnalyzerApp.h"
#include "app/CommandTable.h"
#include "app/ConfigPresetsDlg.h"
#include "app/MainFrame.h"
#include "app/MixerDlg.h"
#include "app/PageSetupDlg.h"
#include "app/PreferencesDlg.h"
#include "common/IniFile.h"
#include "common/RegistryValues.h"
#include "engine/SoundIn.h"
#include "platform/Registry.h"
#include "platform/ui/ScreenCapture.h"
#include "tests/app/DialogHooks.h"
#include "tests/app/MainFrameFixture.h"
#include "tests/display/ScopedLanguage.h"
#include "tests/support/alsa/TestMixer.h"
#include "texts/LanguageChoice.h"
#include "texts/TextTable.h"
#include "texts/ui/LanguageDlg.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/menu.h>
#include <wx/modalhook.h>
#include <wx/radiobox.h>
#include <wx/textctrl.h>

#include <fstream>
#include <functional>
#include <thread>

namespace
{

using testsupport::TestAlsaMixer;

using testsupport::FillAndConfirm;
using testsupport::SavePicture;

class GeneralDialogsTest : public testsupport::MainFrameFixture
{
protected:
    void SetUp() override
    {
        testsupport::MainFrameFixture::SetUp();
        if (IsSkipped())
            return;
        m_mixer = std::make_unique<TestAlsaMixer>(m_home.File("alsa"));
    }
    void WriteUserMixer(const std::string& lines)
    {
        const std::filesystem::path file = m_app->m_DataFolders.GetPath(CDataFolders::kUserSettingsFile);
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << "[Mixer]\n" << lines;
    }
    void RunCommand(int id)
    {
        wxCommandEvent event(wxEVT_MENU, command_id::WxCommandId(id));
        ASSERT_TRUE(m_frame->ProcessWindowEvent(event)) << id;
    }
    std::unique_ptr<TestAlsaMixer> m_mixer;
};

TEST_F(GeneralDialogsTest, StartUpSetsTheStoredMixerValuesOnTheCard)
{
    struct Case
    {
        const char* device;
        int volume;
        long expected;
    };
    for (const Case& c : {Case{TestAlsaMixer::kFirst, 50, 32767}, Case{TestAlsaMixer::kFirst, 100, 65535},
                          Case{TestAlsaMixer::kSecond, 50, 0}, Case{TestAlsaMixer::kSecond, 100, 20}})
    {
        WriteUserMixer(std::string("Device Name=") + c.device + "\nMic Volume=" + std::to_string(c.volume) +
                       "\nMic AGC=1\n");
        m_app.reset();
        m_app = std::make_unique<CAnalyzerApp>();
        const auto state = m_mixer->Read(c.device);
        EXPECT_EQ(state.volumeLeft, c.expected) << c.device << " " << c.volume;
        EXPECT_EQ(state.agc, 1);
        EXPECT_EQ(state.captureSwitch, 1) << "unmuted";
        EXPECT_EQ(state.playbackSwitch, 0) << "monitor muted";
    }
}

TEST_F(GeneralDialogsTest, AudioMixerCommandAppliesAndSavesWhatTheDialogHolds)
{
    Create();
    const auto set = [](wxDialog& dialog, int id, const wxString& text)
    { static_cast<wxTextCtrl*>(dialog.FindWindow(id))->SetValue(text); };
    const auto tick = [](wxDialog& dialog, int id, bool on)
    { static_cast<wxCheckBox*>(dialog.FindWindow(id))->SetValue(on); };
    {
        FillAndConfirm answer(
            [&](wxDialog& dialog)
            {
                set(dialog, CMixerDlg::kIdDeviceName, TestAlsaMixer::kSecond);
                set(dialog, CMixerDlg::kIdLevel, "100.7");
                tick(dialog, CMixerDlg::kIdAgc, true);
                tick(dialog, CMixerDlg::kIdMute, true);
                tick(dialog, CMixerDlg::kIdSave, true);
            });
        RunCommand(command_id::kAudioMixer);
        EXPECT_EQ(answer.m_shown, 1);
    }
    auto state = m_mixer->Read(TestAlsaMixer::kSecond);
    EXPECT_EQ(state.volumeLeft, 20);
    EXPECT_EQ(state.agc, 1);
    EXPECT_EQ(state.captureSwitch, 0) << "muted";
    EXPECT_EQ(m_app->m_MixerSettings.m_strDeviceName, TestAlsaMixer::kSecond);
    EXPECT_DOUBLE_EQ(m_app->m_MixerSettings.m_dMicVolume, 100.7);
    // Saved: the volume as an integer, no mute.
    CIniFile ini;
    ASSERT_TRUE(ini.SetFileName(m_app->m_DataFolders.GetPath(CDataFolders::kUserSettingsFile)));
    EXPECT_EQ(ini.ReadString("Mixer", "Mic Volume", ""), "100");
    EXPECT_EQ(ini.ReadString("Mixer", "Device Name", ""), TestAlsaMixer::kSecond);
    EXPECT_EQ(ini.ReadString("Mixer", "Mic AGC", ""), "1");
    EXPECT_EQ(ini.ReadString("Mixer", "Mute", "none"), "none");
    EXPECT_EQ(ini.ReadString("Mixer", "Mic Mute", "none"), "none");

    // A negative level sets no volume; the switches still follow.
    {
        FillAndConfirm answer(
            [&](wxDialog& dialog)
            {
                set(dialog, CMixerDlg::kIdLevel, "-1");
                tick(dialog, CMixerDlg::kIdMute, false);
                tick(dialog, CMixerDlg::kIdSave, false);
            });
        RunCommand(command_id::kAudioMixer);
    }
    state = m_mixer->Read(TestAlsaMixer::kSecond);
    EXPECT_EQ(state.volumeLeft, 20);
    EXPECT_EQ(state.captureSwitch, 1);
    EXPECT_EQ(ini.ReadString("Mixer", "Mic Volume", ""), "100") << "not saved this time";

    // A level that is no number is refused and nothing changes.
    const CMixerSettings before = m_app->m_MixerSettings;
    {
        FillAndConfirm answer([&](wxDialog& dialog) { set(dialog, CMixerDlg::kIdLevel, "loud"); });
        RunCommand(command_id::kAudioMixer);
    }
    EXPECT_EQ(m_app->m_MixerSettings.m_dMicVolume, before.m_dMicVolume);
}

std::string RegistryText(const std::string& keyPath, const char* name)
{
    const platform::RegistryKey key = platform::RegistryKey::Open(keyPath, false);
    if (!key)
        return "<no key>";
    std::array<char, 1024> buffer{};
    ReadRegString(key, name, buffer, "<none>");
    return buffer.data();
}

TEST_F(GeneralDialogsTest, ConfigPresetsFirstOpenResetAllOkAndCancel)
{
    Create();
    {
        CConfigPresetsDlg dialog(m_frame);
        for (int i = 1; i <= CConfigPresetsDlg::kPresetCount; ++i)
        {
            EXPECT_EQ(
                static_cast<wxTextCtrl*>(dialog.FindWindow(CConfigPresetsDlg::kIdNameBase + i))->GetValue(),
                wxString::Format("Preset %i", i));
            EXPECT_TRUE(
                static_cast<wxTextCtrl*>(dialog.FindWindow(CConfigPresetsDlg::kIdFileBase + i))->IsEmpty());
            // The keys exist now, the values not yet.
            EXPECT_EQ(RegistryText(CConfigPresetsDlg::PresetKey(i), "name"), "<none>") << i;
        }
        // Cancel: an edit and a reset that are never written.
        dialog.ResetAll();
        EXPECT_EQ(static_cast<wxTextCtrl*>(dialog.FindWindow(CConfigPresetsDlg::kIdNameBase + 3))->GetValue(),
                  "Empty 3");
    }
    EXPECT_EQ(RegistryText(CConfigPresetsDlg::PresetKey(3), "name"), "<none>");
    {
        CConfigPresetsDlg dialog(m_frame);
        static_cast<wxTextCtrl*>(dialog.FindWindow(CConfigPresetsDlg::kIdFileBase + 2))
            ->SetValue("/data/a.ini");
        ASSERT_TRUE(dialog.TransferDataFromWindow());  // OK
    }
    EXPECT_EQ(RegistryText(CConfigPresetsDlg::PresetKey(1), "name"), "Preset 1");
    EXPECT_EQ(RegistryText(CConfigPresetsDlg::PresetKey(2), "Filename"), "/data/a.ini");
    {
        CConfigPresetsDlg dialog(m_frame);
        EXPECT_EQ(static_cast<wxTextCtrl*>(dialog.FindWindow(CConfigPresetsDlg::kIdFileBase + 2))->GetValue(),
                  "/data/a.ini");
        dialog.ResetAll();
        ASSERT_TRUE(dialog.TransferDataFromWindow());
        SavePicture(&dialog, "config-presets.png");
    }
    EXPECT_EQ(RegistryText(CConfigPresetsDlg::PresetKey(10), "name"), "Empty 10");
    EXPECT_EQ(RegistryText(CConfigPresetsDlg::PresetKey(2), "Filename"), "");
}

TEST_F(GeneralDialogsTest, LanguageActsAtTheNextFileNew)
{
    displaytest::ScopedLanguage english(LANGUAGE_ENGLISH);
    Create();
    {
        FillAndConfirm answer(
            [](wxDialog& dialog)
            { static_cast<wxRadioBox*>(dialog.FindWindow(CLanguageDlg::kIdLanguages))->SetSelection(1); });
        RunCommand(command_id::kLanguage);
        EXPECT_EQ(answer.m_shown, 1);
    }
    EXPECT_EQ(GetLanguage(), LANGUAGE_GERMAN);
    wxTheApp->ProcessPendingEvents();
    EXPECT_EQ(m_frame->GetMenuBar()->GetMenuLabelText(0), "File") << "not before the next workspace";
    RunCommand(command_id::kFileNew);
    wxTheApp->ProcessPendingEvents();
    EXPECT_EQ(m_frame->GetMenuBar()->GetMenuLabelText(0).utf8_string(),
              GetTextForLanguage(1000020, LANGUAGE_GERMAN));
    // Cancel keeps the language.
    {
        FillAndConfirm answer(
            [](wxDialog& dialog)
            { static_cast<wxRadioBox*>(dialog.FindWindow(CLanguageDlg::kIdLanguages))->SetSelection(4); });
        CLanguageDlg dialog(m_frame);
        dialog.m_nLanguage = GetLanguage();
        dialog.TransferDataToWindow();
        EXPECT_EQ(static_cast<wxRadioBox*>(dialog.FindWindow(CLanguageDlg::kIdLanguages))->GetSelection(), 1);
    }
    EXPECT_EQ(GetLanguage(), LANGUAGE_GERMAN);
}

TEST_F(GeneralDialogsTest, PreferencesReachTheRegistryAndTheEngine)
{
    CSoundIn engine;
    m_app->m_pEngine = &engine;
    Create();
    {
        FillAndConfirm answer(
            [](wxDialog& dialog)
            {
                static_cast<wxRadioBox*>(dialog.FindWindow(CPreferencesDlg::kIdStartup))->SetSelection(3);
                static_cast<wxTextCtrl*>(dialog.FindWindow(CPreferencesDlg::kIdFile))
                    ->SetValue("/data/start.wst");
                static_cast<wxCheckBox*>(dialog.FindWindow(CPreferencesDlg::kIdDisableCursor))
                    ->SetValue(true);
                static_cast<wxCheckBox*>(dialog.FindWindow(CPreferencesDlg::kIdDisableMeter))->SetValue(true);
            });
        RunCommand(command_id::kPreferences);
        EXPECT_EQ(answer.m_shown, 1);
    }
    EXPECT_EQ(engine.m_bDisableCursor.load(), 1);
    EXPECT_EQ(engine.m_bDisableMeter.load(), 1);
    const platform::RegistryKey key = platform::RegistryKey::Open(CAnalyzerApp::kConfigKey, false);
    ASSERT_TRUE(key);
    int value = -1;
    ReadRegDword(key, "load last saved", &value, -1);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(RegistryText(CAnalyzerApp::kConfigKey, "load file"), "/data/start.wst");
    // The dialog opens with what is stored.
    {
        FillAndConfirm answer(
            [](wxDialog& dialog)
            {
                EXPECT_EQ(
                    static_cast<wxRadioBox*>(dialog.FindWindow(CPreferencesDlg::kIdStartup))->GetSelection(),
                    3);
                static_cast<wxCheckBox*>(dialog.FindWindow(CPreferencesDlg::kIdDisableMeter))
                    ->SetValue(false);
            });
        RunCommand(command_id::kPreferences);
    }
    EXPECT_EQ(engine.m_bDisableCursor.load(), 1);
    EXPECT_EQ(engine.m_bDisableMeter.load(), 0);
    DestroyFrame();
    m_app->m_pEngine = nullptr;
}

TEST_F(GeneralDialogsTest, FileNewKeepingSettingsKeepsCalibrationAndDcBlock)
{
    CSoundIn engine;
    m_app->m_pEngine = &engine;
    Create();
    for (int keep : {0, 1})
    {
        engine.m_bCalibration = 1;
        engine.m_fCalibrationOffset = 12.5f;
        engine.m_dCalibrationGain = 4.2;
        engine.m_bDcBlock = 1;
        RunCommand(keep ? command_id::kFileNewKeepSettings : command_id::kFileNew);
        wxTheApp->ProcessPendingEvents();
        EXPECT_EQ(engine.m_bCalibration == 1 && engine.m_fCalibrationOffset == 12.5f &&
                      engine.m_dCalibrationGain == 4.2 && engine.m_bDcBlock == 1,
                  keep == 1)
            << "keep " << keep;
    }
    DestroyFrame();
    m_app->m_pEngine = nullptr;
}

TEST_F(GeneralDialogsTest, PageSetupFieldsRoundTrip)
{
    Create();
    CPageSetupDlg dialog(m_frame);
    dialog.m_bPrintAnnotations = 1;
    dialog.m_strAnnotation = "Room 12\nmic at 1 m, 48 kHz";
    dialog.m_strWindowTitle = "Lautsprecher \u00e4";
    dialog.TransferDataToWindow();
    dialog.m_bPrintAnnotations = 0;
    dialog.m_strAnnotation.clear();
    dialog.m_strWindowTitle.clear();
    ASSERT_TRUE(dialog.TransferDataFromWindow());
    EXPECT_EQ(dialog.m_bPrintAnnotations, 1);
    EXPECT_EQ(dialog.m_strAnnotation, "Room 12\nmic at 1 m, 48 kHz");
    EXPECT_EQ(dialog.m_strWindowTitle, "Lautsprecher \u00e4");
    EXPECT_EQ(dialog.GetTitle().utf8_string(), GetText(1000133));
}

TEST_F(GeneralDialogsTest, PicturesOfAboutAndMixer)
{
    Create();
    auto* about = new CAboutDlg(m_frame);
    SavePicture(about, "about.png");
    about->Destroy();
    auto* mixer = new CMixerDlg(m_frame);
    mixer->m_strDeviceName = "USB Au";
    mixer->m_dLevel = 70;
    mixer->m_bAgc = 1;
    mixer->TransferDataToWindow();
    SavePicture(mixer, "mixer.png");
    mixer->Destroy();
    auto* preferences = new CPreferencesDlg(m_frame);
    preferences->m_nStartup = 2;
    preferences->TransferDataToWindow();
    SavePicture(preferences, "preferences.png");
    preferences->Destroy();
    auto* language = new CLanguageDlg(m_frame);
    language->m_nLanguage = 1;
    language->TransferDataToWindow();
    SavePicture(language, "language.png");
    language->Destroy();
}

}  // namespace
