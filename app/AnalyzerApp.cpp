#include "app/AnalyzerApp.h"
#include "app/CommandPrompts.h"

#include "app/ChildFrame.h"
#include "app/GeneratorPanels.h"
#include "app/LevelLoggers.h"
#include "app/MainFrame.h"
#include "app/ProgressDlg.h"
#include "app/ReportCommands.h"
#include "app/SndDoc.h"
#include "common/BackgroundJob.h"
#include "common/IniFile.h"
#include "common/Log10.h"
#include "common/RegistryValues.h"
#include "common/ShellHelpers.h"
#include "engine/InputMixer.h"
#include "engine/SoundIn.h"
#include "filtercoeffs/Brevik.h"
#include "platform/Places.h"
#include "platform/Registry.h"
#include "platform/Spawn.h"
#include "platform/ui/MdiContainer.h"
#include "platform/ui/MessageBoxService.h"
#include "platform/ui/UiThread.h"
#include "texts/LanguageChoice.h"
#include "texts/TextTable.h"
#include "view/EngineDisplayObjects.h"

#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/image.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

extern char** environ;

std::array<float, 1024> g_RandomTable{};

CAnalyzerApp* CAnalyzerApp::s_pApp = nullptr;

namespace
{

// The Brevik library's module handle, kept for the About box's splash bitmap.
void* g_hBrevikModule = nullptr;

constexpr int kMeasurementViewSections = 10;
constexpr std::size_t kLoadFileMaxCharacters = 1024;
constexpr std::size_t kRecentValueMaxBytes = 1000;
constexpr const char* kWorkspaceFilter = "Tessarin Settings (*.wst)|*.wst";

constexpr const char* kAskDeleteTemp = "Temporäre Meßdaten löschen?";
constexpr const char* kAskKeepWaves =
    "Möchten Sie die gespeicherten Wave Dateien in\n %s\nbehalten?\nSie sollten "
    "dann 'Ja' wählen und diese in ein anderes Verzeichnis kopieren.";
constexpr const char* kAskReallyDelete =
    "Sind Sie sicher, dass Sie die Wave Dateien unwiderruflich löschen möchten?";

// The toolkit's application object: only forwards to the shell's own.
class CAnalyzerWxApp : public wxApp
{
public:
    explicit CAnalyzerWxApp(CAnalyzerApp& app) : m_app(app) {}
    bool OnInit() override
    {
        // No wxApp::OnInit: the command line belongs to the shell (a workspace file to open).
        m_app.Trace("framework started");
        // A request to end (SIGTERM) closes the main window as a user would, so that the
        // workspace is saved; the handler runs in the main loop, not in the signal's context.
        SetSignalHandler(SIGTERM,
                         [](int)
                         {
                             if (wxWindow* top = wxTheApp ? wxTheApp->GetTopWindow() : nullptr)
                                 top->Close();
                             else if (wxTheApp)
                                 wxTheApp->ExitMainLoop();
                         });
        return m_app.InitInstance();
    }
    int OnExit() override
    {
        const int code = m_app.ExitInstance();
        wxApp::OnExit();
        return code;
    }

private:
    CAnalyzerApp& m_app;
};

}  // namespace

CAnalyzerApp::CAnalyzerApp(CInputMixerBase* mixer)
{
    s_pApp = this;
    for (auto& position : m_ViewPos)
        position = {-1, -1};
    Trace("data folders");
    m_pLevelLoggers = std::make_unique<CLevelLoggers>(m_DataFolders.GetPath(CDataFolders::kSplLongterm),
                                                      m_DataFolders.GetPath(CDataFolders::kDinAutolog));
    if (const char* answers = std::getenv("TESSARIN_TEST_ANSWERS"))
    {
        m_bTestAnswers = true;
        std::string list = answers;
        for (std::size_t start = 0; start <= list.size();)
        {
            const std::size_t comma = std::min(list.find(',', start), list.size());
            if (comma > start)
                m_testAnswers.push_back(list.substr(start, comma - start));
            start = comma + 1;
        }
    }
    for (const std::string& path : GetSettingsFiles())
    {
        // A fresh mixer for each file, as the values read are applied at once.
        CInputMixer temporary;
        ReadSettingsFile(path, mixer ? *mixer : temporary);
    }
}

CAnalyzerApp::~CAnalyzerApp()
{
    if (s_pApp == this)
        s_pApp = nullptr;
}

void CAnalyzerApp::ApplyMixerSettings(const CMixerSettings& settings, CInputMixerBase* mixer)
{
    m_MixerSettings = settings;
    CInputMixer temporary;
    CInputMixerBase& target = mixer ? *mixer : temporary;
    target.m_nDeviceId = settings.m_nDeviceId;
    target.m_strDeviceName = settings.m_strDeviceName;
    if (settings.m_dMicVolume >= 0.0)
        target.SetVolume(static_cast<int>(settings.m_dMicVolume));
    target.SetAgc(settings.m_nMicAgc);
    target.SetMute(settings.m_nMute);
    if (!settings.m_nSave)
        return;
    CIniFile ini;
    const std::string path = m_DataFolders.GetPath(CDataFolders::kUserSettingsFile);
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    const bool written = ini.SetFileName(path) && ini.WriteInt("Mixer", "Device ID", settings.m_nDeviceId) &&
                         ini.WriteInt("Mixer", "Mic Volume", static_cast<int>(settings.m_dMicVolume)) &&
                         ini.WriteString("Mixer", "Device Name", settings.m_strDeviceName) &&
                         ini.WriteInt("Mixer", "Mic AGC", settings.m_nMicAgc);
    if (!written)
        DoMessageBox("The mixer settings could not be saved to " + path + ".", wxOK | wxICON_EXCLAMATION);
}

std::vector<std::string> CAnalyzerApp::GetSettingsFiles() const
{
    std::vector<std::string> files;
    for (const std::string& path : {m_DataFolders.GetPath(CDataFolders::kProgramSettingsFile),
                                    m_DataFolders.GetPath(CDataFolders::kUserSettingsFile)})
    {
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error))
            files.push_back(path);
    }
    return files;
}

void CAnalyzerApp::ReadSettingsFile(const std::string& path, CInputMixerBase& mixer)
{
    Trace("settings file " + path);
    CIniFile ini;
    if (!ini.SetFileName(path))
        return;
    const int deviceId = ini.ReadInt("Mixer", "Device ID", m_MixerSettings.m_nDeviceId);
    const int volume = ini.ReadInt("Mixer", "Mic Volume", static_cast<int>(m_MixerSettings.m_dMicVolume));
    const std::string deviceName = ini.ReadString("Mixer", "Device Name", m_MixerSettings.m_strDeviceName);
    const int agc = ini.ReadInt("Mixer", "Mic AGC", m_MixerSettings.m_nMicAgc);
    mixer.m_nDeviceId = deviceId;
    mixer.m_strDeviceName = deviceName;
    if (volume >= 0)
        mixer.SetVolume(volume);
    if (agc >= 0)
    {
        mixer.SetAgc(agc);
        mixer.Unmute();
        mixer.MuteMonitor();
    }
    m_MixerSettings.m_nDeviceId = deviceId;
    m_MixerSettings.m_dMicVolume = volume;
    m_MixerSettings.m_strDeviceName = deviceName;
    m_MixerSettings.m_nMicAgc = agc;

    m_nGuiMode = ini.ReadInt("GUI", "Mode", m_nGuiMode);
    const auto readPosition = [&ini](const std::string& section, std::array<int, 2>& position)
    {
        position[0] = ini.ReadInt(section, "left", position[0]);
        position[1] = ini.ReadInt(section, "top", position[1]);
    };
    readPosition("Presets Main", m_PresetsPanelPos);
    readPosition("ParamView Position", m_ParamViewPos);
    readPosition("TA Laerm", m_NoiseReportPos);
    m_dLoggerInterval = ini.ReadDouble("TA Laerm", "Autolog Intervall", m_dLoggerInterval);
    m_strLoggerFileName = ini.ReadString("TA Laerm", "Autolog File Name", "");
    for (int view = 0; view < kMeasurementViewSections; ++view)
        readPosition("Measurement View " + std::to_string(view + 1), m_ViewPos[view]);
}

int CAnalyzerApp::Run(int argc, char** argv, CSoundIn& engine)
{
    m_pEngine = &engine;
    m_pLevelLoggers->Attach(&engine);
    wxApp::SetInstance(new CAnalyzerWxApp(*this));
    const int code = wxEntry(argc, argv);
    // The toolkit has ended: no window exists any more, and none may be touched.
    m_pMainWnd = nullptr;
    // The measurement windows are gone with the frames; their document goes after them.
    m_pDocument.reset();
    m_pEngine = nullptr;
    Trace("framework ended");
    FlushTrace();
    return code;
}

bool CAnalyzerApp::InitInstance()
{
    // The shell helpers tell their failures through the program's message boxes.
    SetShellMessageHandler([](const std::string& text, const std::string& caption)
                           { platform::ui::ShowMessageBox(text, caption, wxOK | wxICON_INFORMATION); });
    // Background jobs show their progress in the application's progress window.
    CBackgroundJob::SetProgressWindowFactory(&CProgressDlg::CreateForJob);
    // The first measurement window owns the sound-level statistics window.
    InstallSoundLevelStatistics(*this);
    // 1.
    g_bDisplayRestart = 1;
    InitLog10Table();
    wxInitAllImageHandlers();
    Trace("log table");
    // 2.
    EnsureTextTable();
    InstallCommandPrompts();
    Trace("text tables");
    // 3. The registry key and profile name are fixed in the key paths used below.
    g_hBrevikModule = BREVIK_hModule;
    Trace("profile settings");
    // 4. The document template (workspace document, child frame, measurement window): only the
    // child frame exists yet.
    Trace("document template");
    // 5.
    auto* frame = new CMainFrame(*this);
    if (!frame->OnCreate())
    {
        frame->Destroy();
        Trace("main frame failed");
        FlushTrace();
        return false;
    }
    m_pMainWnd = frame;
    wxTheApp->SetTopWindow(frame);
    if (m_pEngine)
    {
        m_pDocument = std::make_unique<CSndDoc>(*m_pEngine);
        m_pDocument->m_pFrame = frame;
    }
    Trace("main frame");
    Trace("gui mode " + std::to_string(m_nGuiMode));
    // 6.
    bool processed = true;
    if (wxTheApp->argc > 1)
        processed = OpenDocumentFile(wxTheApp->argv[1].utf8_string());
    else
        processed = OnFileNew();
    Trace("command line");
    if (!processed)
    {
        frame->Destroy();
        m_pMainWnd = nullptr;
        FlushTrace();
        return false;
    }
    // 7.
    frame->Show();
    Trace("main window shown");
    // 8.
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    for (float& value : g_RandomTable)
        value = static_cast<float>(std::rand()) / 32767.0f;
    Trace("random table");
    // 9. The presets (the menu's content) are not built yet; the menu object exists.
    m_pPresetsMenu = std::make_unique<wxMenu>();
    Trace("presets menu");
    // 10.
    if (m_pEngine)
        m_pEngine->m_bProcessingEnabled.store(1);
    Trace("processing enabled");
    // 11.
    ReadRegistrySettings();
    Trace("registry settings");
    // 12.
    if (m_pEngine)
    {
        m_pEngine->InitDefaults();
        m_pEngine->m_dMinFrequency = m_EngineValues.m_dDefaultFrequencyMin;
        m_pEngine->m_dMaxFrequency = m_EngineValues.m_dDefaultFrequencyMax;
        m_pEngine->m_dMinLevelDb = m_EngineValues.m_dDefaultLevelMin;
        m_pEngine->m_dMaxLevelDb = m_EngineValues.m_dDefaultLevelMax;
        m_pEngine->m_bDisableCursor.store(m_EngineValues.m_bDisableCursor);
        m_pEngine->m_bDisableMeter.store(m_EngineValues.m_bDisableMeter);
    }
    Trace("engine defaults");
    // 13.
    for (const std::string& path : GetSettingsFiles())
    {
        if (m_pEngine)
        {
            m_pEngine->LoadSettings(path);
            m_nDcBlockAtStartup = m_pEngine->m_bDcBlock;
        }
        Trace("engine settings " + path);
    }
    // 14.
    m_EngineValues.m_bDecimalComma = LocaleUsesDecimalComma();
    Trace("decimal comma");
    // 15.
    OpenStartupWorkspace();
    Trace("start-up workspace");
    // 16. The production test does not exist yet.
    Trace("production test settings");
    RecoverLoggerJournals();
    // A damaged or read-only settings store met on the way is told once.
    if (const std::string warning = platform::TakeRegistryWarning(); !warning.empty())
        DoMessageBox(warning, wxOK | wxICON_EXCLAMATION);
    FlushTrace();

    // The program's self-test hooks: the expert-mode switch, or a picture of the main window and
    // then the window closed as a user would close it.
    if (const char* expert = std::getenv("TESSARIN_TEST_EXPERT_MODE"); expert && *expert)
    {
        frame->CallAfter([this] { OnExpertMode(); });
        return true;
    }
    if (const char* folder = std::getenv("TESSARIN_TEST_VIEW"); folder && *folder)
    {
        const std::string path = folder;
        frame->CallAfter([this, path] { RunViewSelfTest(path); });
        return true;
    }
    if (const char* shot = std::getenv("TESSARIN_TEST_SCREENSHOT"); shot && *shot)
    {
        const std::string path = shot;
        frame->CallAfter(
            [this, path]
            {
                wxTheApp->Yield(true);
                if (m_pMainWnd)
                {
                    m_pMainWnd->Update();
                    Trace(m_pMainWnd->SaveScreenshot(path) ? "screenshot saved" : "screenshot failed");
                    m_pMainWnd->Close();
                }
            });
    }
    return true;
}

void CAnalyzerApp::ReadRegistrySettings()
{
    const platform::RegistryKey key = platform::RegistryKey::Open(kConfigKey, true);
    if (!key)
        return;
    ReadRegDword(key, "load last saved", &m_nLoadLastSaved, 0);
    WriteRegDword(key, "load last saved", m_nLoadLastSaved);
    std::array<char, kLoadFileMaxCharacters * 4 + 1> buffer{};
    ReadRegString(key, "load file", buffer, "");
    m_strLoadFile = buffer.data();
    CEngineStartupValues& values = m_EngineValues;
    ReadRegDword(key, "disable cursor", &values.m_bDisableCursor, 0);
    ReadRegDword(key, "disable meter", &values.m_bDisableMeter, 0);
    ReadRegDword(key, "default language code", &values.m_nDefaultLanguageCode, -1);
    const std::array<std::pair<const char*, double*>, 5> doubles = {{
        {"default frequency MIN", &values.m_dDefaultFrequencyMin},
        {"default frequency MAX", &values.m_dDefaultFrequencyMax},
        {"default level dB MAX", &values.m_dDefaultLevelMax},
        {"default level dB MIN", &values.m_dDefaultLevelMin},
        {"default sample rate", &values.m_dDefaultSampleRate},
    }};
    for (const auto& [name, value] : doubles)
        ReadRegDouble(key, name, value, *value);
    for (const auto& [name, value] : doubles)
        WriteRegDouble(key, name, *value);
}

void CAnalyzerApp::OpenStartupWorkspace()
{
    switch (m_nLoadLastSaved)
    {
        case 3:
            if (!m_strLoadFile.empty())
                OpenDocumentFile(m_strLoadFile);
            break;
        case 1:
            OpenDocumentFile(GetSavedWorkspacePath().string());
            break;
        case 2:
            OpenRecentStartupWorkspace();
            break;
        default:
            break;
    }
}

void CAnalyzerApp::OpenRecentStartupWorkspace()
{
    const platform::RegistryKey key = platform::RegistryKey::Open(kRecentFileListKey, false);
    if (!key)
        return;
    for (const std::string& name : key.ValueNames())
    {
        if (name.size() <= 4 || name[4] != '1')
            continue;
        const auto value = key.ReadValue(name);
        if (!value || value->type != platform::RegistryType::String ||
            value->data.size() > kRecentValueMaxBytes)
            continue;
        if (OpenDocumentFile(value->data))
            return;
        // A recent file that cannot be opened costs neither the recent-file list nor the user's
        // recordings: the engine goes back to its defaults under a fresh workspace, and the exit
        // prompts (which offer to delete recordings) are not run in the middle of start-up.
        Trace("recent file failed");
        if (m_pEngine)
        {
            m_pEngine->PauseInput();
            m_pEngine->InitDefaults();
        }
        OnFileNew();
        return;
    }
}

void CAnalyzerApp::CloseAllChildFrames()
{
    // One workspace at a time: a new one replaces the frames of the old, and its windows start from
    // fresh settings.
    for (MdiChildFrame* child : std::vector<MdiChildFrame*>(m_pMainWnd->GetContainer()->GetChildFrames()))
        child->Destroy();
    if (m_pDocument)
    {
        for (auto& slot : m_pDocument->m_viewSettings)
            if (slot && !slot->m_pOwnerView)
                slot.reset();
        m_pDocument->m_nInitialisedViews = 0;
    }
}

bool CAnalyzerApp::OnFileNew()
{
    if (!m_pMainWnd)
        return false;
    // The workspace is saved with its generators before they go back to their defaults.
    SaveWorkspaceOnClose();
    if (m_pEngine)
        m_pEngine->ResetGenerators();
    CloseAllChildFrames();
    ++m_nDocumentCounter;
    // A language chosen since the last workspace shows from now on.
    m_pMainWnd->RebuildMenuBar();
    // A new workspace starts from the engine's defaults; its first window takes slot 0.
    if (m_pEngine)
    {
        m_pEngine->StopInput();
        m_pEngine->InitDefaults();
        GetEngineDisplayObjects().InitDefaults();
        for (const std::string& path : GetSettingsFiles())
            m_pEngine->LoadSettings(path);
        m_pEngine->m_bDisplayRestartRequest.store(1);
    }
    m_strWorkspacePath.clear();
    m_strWorkspaceTitle = wxString::Format("%s%i", kAppName, m_nDocumentCounter).utf8_string();
    auto* frame = new CChildFrame(m_pMainWnd, wxString::FromUTF8(m_strWorkspaceTitle));
    frame->Show();
    Trace("file new");
    return true;
}

std::filesystem::path CAnalyzerApp::GetSavedWorkspacePath()
{
    return platform::ConfigFolder() / CSndDoc::kSavedWorkspace;
}

bool CAnalyzerApp::SaveWorkspaceOnClose()
{
    if (!m_pDocument || m_pDocument->CountViewSettings() == 0)
        return true;
    if (m_pMainWnd)
    {
        const wxRect rect = m_pMainWnd->GetScreenRect();
        m_pDocument->m_mainWindowRect = {rect.x, rect.y, rect.x + rect.width, rect.y + rect.height};
    }
    // The generator panels' placements go with the workspace.
    if (m_pMainWnd)
        if (CGeneratorPanels* panels = m_pMainWnd->GetGeneratorPanels())
            panels->CapturePlacements(m_pDocument->m_generatorWindows);
    std::error_code error;
    std::filesystem::create_directories(GetSavedWorkspacePath().parent_path(), error);
    if (m_pDocument->SaveWorkspace(GetSavedWorkspacePath()))
        return true;
    DoMessageBox(m_pDocument->m_strLastError, wxOK | wxICON_EXCLAMATION);
    return false;
}

bool CAnalyzerApp::OpenDocumentFile(const std::string& path)
{
    // Only a regular file is opened: a pipe or a device would block start-up or never end.
    std::error_code statusError;
    if (!std::filesystem::is_regular_file(path, statusError))
    {
        DoMessageBox("Cannot open the document \"" + path + "\".", wxOK | wxICON_EXCLAMATION);
        return false;
    }
    if (!m_pMainWnd || !m_pEngine || !m_pDocument)
        return false;
    // The open workspace is saved first; a file that is refused leaves it as it was (the
    // measurement stopped), a file that loads replaces it. Opening "saved.wst" itself must not
    // write over it before it is read.
    std::error_code sameError;
    if (!std::filesystem::equivalent(path, GetSavedWorkspacePath(), sameError))
        SaveWorkspaceOnClose();
    g_bDisplayRestart = 0;
    m_pEngine->m_bDisplayRestartRequest.store(0);
    m_pEngine->m_bProcessingEnabled.store(0);
    CSndDoc loaded(*m_pEngine);
    const bool ok = loaded.LoadWorkspace(path);
    g_bDisplayRestart = 1;
    if (!ok)
    {
        DoMessageBox(loaded.m_strLastError, wxOK | wxICON_EXCLAMATION);
        Trace("open refused " + path);
        return false;
    }
    CloseAllChildFrames();
    m_pDocument->TakeWorkspace(loaded);
    if (CGeneratorPanels* panels = m_pMainWnd->GetGeneratorPanels())
        panels->RestorePlacements(m_pDocument->m_generatorWindows);
    const WindowRect& rect = m_pDocument->m_mainWindowRect;
    if (IsUsableWindowRect(rect.left, rect.top, rect.right, rect.bottom))
        m_pMainWnd->SetSize(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    // One window per stored record, each taking its slot in order; at least one.
    m_strWorkspaceTitle = std::filesystem::path(path).filename().string();
    const int windows = std::max(1, m_pDocument->m_nLoadedWindowCount);
    m_pDocument->m_nViewsToCreate = windows;
    ConnectDocument();
    m_pDocument->EnsureViewCount(windows, true);
    m_pDocument->m_nViewsToCreate = 0;
    // The workspace saved on close is not one the user named: it neither names the workspace's
    // file nor joins the recent files.
    if (!std::filesystem::equivalent(path, GetSavedWorkspacePath(), sameError))
    {
        m_strWorkspacePath = path;
        AddToRecentFileList(path);
    }
    else
        m_strWorkspacePath.clear();
    if (!m_pDocument->m_viewSettings.empty() && m_pDocument->m_viewSettings[0])
        m_pEngine->m_nBandAnalyzerMode = m_pDocument->m_viewSettings[0]->m_nBandsPerOctave;
    Trace("opened " + path);
    Trace("windows " + std::to_string(windows));
    return true;
}

void CAnalyzerApp::ConnectDocument()
{
    if (!m_pDocument)
        return;
    m_pDocument->m_newWindow = [this](bool send)
    {
        const auto make = [this]
        {
            if (!m_pMainWnd)
                return;
            const std::size_t count = m_pMainWnd->GetContainer()->GetChildFrames().size();
            const wxString title = wxString::FromUTF8(m_strWorkspaceTitle);
            (new CChildFrame(m_pMainWnd, count == 0 ? title : title + wxString::Format(":%zu", count + 1)))
                ->Show();
        };
        if (send)
            make();
        else
            wxTheApp->CallAfter(make);
    };
}

bool CAnalyzerApp::OnFileSave()
{
    if (m_strWorkspacePath.empty())
        return OnFileSaveAs();
    return SaveWorkspaceAs(m_strWorkspacePath);
}

bool CAnalyzerApp::OnFileSaveAs()
{
    if (!m_pMainWnd || !m_pDocument || m_pDocument->CountViewSettings() == 0)
        return false;
    const std::filesystem::path current(m_strWorkspacePath);
    wxFileDialog dialog(m_pMainWnd, "Save As", wxString::FromUTF8(current.parent_path().string()),
                        wxString::FromUTF8(current.filename().string()), kWorkspaceFilter,
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    // The chosen folder and name (the path stays empty until the native dialog has answered itself).
    std::filesystem::path path(dialog.GetPath().utf8_string());
    if (path.empty())
        path =
            std::filesystem::path(dialog.GetDirectory().utf8_string()) / dialog.GetFilename().utf8_string();
    if (path.filename().empty())
        return false;
    if (path.extension().empty())
        path += ".wst";
    return SaveWorkspaceAs(path.string());
}

bool CAnalyzerApp::SaveWorkspaceAs(const std::string& path)
{
    if (!m_pDocument || m_pDocument->CountViewSettings() == 0)
        return false;
    if (m_pMainWnd)
    {
        const wxRect rect = m_pMainWnd->GetScreenRect();
        m_pDocument->m_mainWindowRect = {rect.x, rect.y, rect.x + rect.width, rect.y + rect.height};
    }
    if (!m_pDocument->SaveWorkspace(path))
    {
        DoMessageBox(m_pDocument->m_strLastError, wxOK | wxICON_EXCLAMATION);
        return false;
    }
    m_strWorkspacePath = path;
    m_strWorkspaceTitle = std::filesystem::path(path).filename().string();
    if (m_pMainWnd)
    {
        int index = 0;
        const wxString title = wxString::FromUTF8(m_strWorkspaceTitle);
        for (MdiChildFrame* child : m_pMainWnd->GetContainer()->GetChildFrames())
        {
            child->SetTitle(index == 0 ? title : title + wxString::Format(":%i", index + 1));
            ++index;
        }
    }
    AddToRecentFileList(path);
    Trace("saved " + path);
    return true;
}

bool CAnalyzerApp::OnFileClose()
{
    if (!m_pMainWnd)
        return false;
    const bool saved = SaveWorkspaceOnClose();
    CloseAllChildFrames();
    m_strWorkspacePath.clear();
    Trace("file closed");
    return saved;
}

std::vector<std::string> CAnalyzerApp::GetRecentFiles() const
{
    std::vector<std::string> files;
    const platform::RegistryKey key = platform::RegistryKey::Open(kRecentFileListKey, false);
    if (!key)
        return files;
    for (int i = 1; i <= kRecentFileCount; ++i)
    {
        const auto value = key.ReadValue("File" + std::to_string(i));
        if (!value || value->type != platform::RegistryType::String || value->data.empty() ||
            value->data.size() > kRecentValueMaxBytes)
            continue;
        files.push_back(value->data);
    }
    return files;
}

void CAnalyzerApp::AddToRecentFileList(const std::string& path)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    const std::string entry = error ? path : absolute.lexically_normal().string();
    std::vector<std::string> files = GetRecentFiles();
    std::erase(files, entry);
    files.insert(files.begin(), entry);
    if (files.size() > static_cast<std::size_t>(kRecentFileCount))
        files.resize(kRecentFileCount);
    const platform::RegistryKey key = platform::RegistryKey::Open(kRecentFileListKey, true);
    if (!key)
        return;
    for (int i = 1; i <= kRecentFileCount; ++i)
    {
        const std::string name = "File" + std::to_string(i);
        if (i <= static_cast<int>(files.size()))
            WriteRegString(key, name, files[static_cast<std::size_t>(i - 1)]);
        else
            key.DeleteValue(name);
    }
}

bool CAnalyzerApp::OpenRecentFile(int index)
{
    const std::vector<std::string> files = GetRecentFiles();
    if (index < 0 || index >= static_cast<int>(files.size()))
        return false;
    // Unlike a plain open, a file that fails to open keeps its place in the list.
    return OpenDocumentFile(files[static_cast<std::size_t>(index)]);
}

int CAnalyzerApp::ExitInstance()
{
    // 1.
    if (m_pEngine)
        m_pEngine->StopInput();
    Trace("engine stopped");
    // 2. and 3.
    OfferToDeleteRecordings();
    // 4.
    FreeTextTable();
    Trace("text tables freed");
    // The presets menu and the self-test's timer are toolkit objects: they go while the toolkit
    // still runs.
    m_pPresetsMenu.reset();
    m_pSelfTest.reset();
    FlushTrace();
    // Workers that still want the user interface are turned away from here on.
    platform::ui::SetUiClosing(true);
    return 0;
}

void CAnalyzerApp::RecoverLoggerJournals()
{
    for (const std::string& name : m_pLevelLoggers->RecoverJournals())
        DoMessageBox("A level logging run that did not end has been saved as the data set \"" + name +
                         "\" in " + m_DataFolders.GetPath(CDataFolders::kSplLongterm) + ".",
                     wxOK | wxICON_INFORMATION);
}

void CAnalyzerApp::OfferToDeleteRecordings()
{
    std::vector<std::string> temp;
    ListFolderFiles(m_DataFolders.GetPath(CDataFolders::kTemp), temp);
    if (!temp.empty() && DoMessageBox(kAskDeleteTemp, wxYES_NO) == wxID_YES)
    {
        std::error_code error;
        for (const auto& file : temp)
            std::filesystem::remove(file, error);
        Trace("temporary files deleted");
    }
    // The folder also holds the level logger's data sets; the question is about the recordings.
    const std::string wavesFolder = m_DataFolders.GetPath(CDataFolders::kSplLongterm);
    std::vector<std::string> files;
    ListFolderFiles(wavesFolder, files);
    std::vector<std::string> waves;
    for (const std::string& file : files)
        if (HasExtension(file, "wav"))
            waves.push_back(file);
    if (waves.empty())
        return;
    const wxString question =
        wxString::Format(wxString::FromUTF8(kAskKeepWaves), wxString::FromUTF8(wavesFolder));
    if (DoMessageBox(question.utf8_string(), wxYES_NO) != wxID_NO)
        return;
    if (DoMessageBox(kAskReallyDelete, wxYES_NO | wxICON_QUESTION | wxNO_DEFAULT) != wxID_YES)
        return;
    std::error_code error;
    for (const auto& file : waves)
        std::filesystem::remove(file, error);
    Trace("wave files deleted");
}

int CAnalyzerApp::DoMessageBox(const std::string& text, long style, unsigned promptId)
{
    (void)promptId;  // help contexts of message boxes have no help topics on this platform
    const long icons = wxICON_EXCLAMATION | wxICON_HAND | wxICON_QUESTION | wxICON_INFORMATION | wxICON_NONE;
    if (!(style & icons))
        style |= wxICON_EXCLAMATION;
    Trace("message box: " + text);
    if (m_bTestAnswers)
    {
        const std::string answer = m_testAnswers.empty() ? std::string() : m_testAnswers.front();
        if (!m_testAnswers.empty())
            m_testAnswers.erase(m_testAnswers.begin());
        Trace("answer: " + answer);
        if (answer == "yes")
            return wxID_YES;
        if (answer == "no")
            return wxID_NO;
        if (answer == "cancel" || (answer.empty() && (style & wxCANCEL)))
            return wxID_CANCEL;
        if (answer.empty() && (style & wxYES_NO))
            return wxID_NO;
        return wxID_OK;
    }
    return platform::ui::ShowMessageBox(text, kAppName, style, m_pMainWnd);
}

void CAnalyzerApp::OnExpertMode()
{
    m_nGuiMode = m_nGuiMode == 0 ? 1 : 0;
    CIniFile ini;
    if (ini.SetFileName(m_DataFolders.GetPath(CDataFolders::kUserSettingsFile)))
        ini.WriteInt("GUI", "Mode", m_nGuiMode);
    if (m_pEngine)
        m_pEngine->StopInput();
    m_bRestartRequested = true;
    Trace("expert mode switched to " + std::to_string(m_nGuiMode));
    if (m_pMainWnd)
    {
        CMainFrame* frame = m_pMainWnd;
        frame->CallAfter([frame] { frame->Close(); });
    }
}

bool CAnalyzerApp::StartRestartedInstance()
{
    if (!m_bRestartRequested)
        return false;
    m_bRestartRequested = false;
    // Started only now, after this instance wrote its workspace, settings and registry values: a
    // new instance that started at once would read them half-written, or have its own overwritten.
    std::error_code error;
    std::string program = std::filesystem::read_symlink("/proc/self/exe", error).string();
    if (error || program.empty())
        return false;
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry)
    {
        const std::string variable = *entry;
        if (variable.rfind("TESSARIN_TEST_EXPERT_MODE=", 0) == 0)
            continue;  // the new instance must not switch again
        if (variable.rfind("TESSARIN_STARTUP_TRACE=", 0) == 0)
        {
            env.push_back(variable + ".restarted");
            continue;
        }
        env.push_back(variable);
    }
    platform::SpawnRequest request;
    request.argv = {program};
    request.environment = std::move(env);
    request.replaceEnvironment = true;
    return platform::SpawnProgram(request).Started();
}

std::string CAnalyzerApp::GetHelpFileName(const std::string& isoLanguage)
{
    return std::string("Tessarin") + (isoLanguage == "de" ? "_de" : "") + ".chm";
}

int CAnalyzerApp::GetHelpTopic(unsigned long context)
{
    struct Topic
    {
        unsigned context;
        int topic;
    };
    static constexpr Topic kTopics[] = {{57600, 1}, {57601, 2}, {57603, 3}, {57635, 4},
                                        {57634, 5}, {57637, 6}, {57607, 7}, {57664, 8},
                                        {57609, 9}, {100, 100}, {14, 101},  {103, 103}};
    const unsigned low = static_cast<unsigned>(context & 0xFFFF);
    for (const Topic& entry : kTopics)
        if (entry.context == low)
            return entry.topic;
    return 0;
}

void CAnalyzerApp::WinHelp(unsigned long data, unsigned command)
{
    if (command != kHelpContext)
        return;
    // The user's language as ISO 639: the part of the locale name before "_".
    std::string language;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(name); value && *value)
        {
            language = value;
            break;
        }
    language = language.substr(0, language.find_first_of("_.@"));
    const std::string name = GetHelpFileName(language);
    const int topic = GetHelpTopic(data);
    m_strLastHelp = name + "#" + std::to_string(topic);
    Trace("help " + m_strLastHelp);
    // Only the help file in the program folder is opened, never a file of that name wherever the
    // program happens to run; the viewer is the desktop's, started with an argument vector.
    const std::string file = (platform::ProgramFolder() / name).string();
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
    {
        DoMessageBox("There is no help for this program: " + file + " is not installed.",
                     wxOK | wxICON_INFORMATION);
        return;
    }
    wxExecute(std::vector<const char*>{"xdg-open", file.c_str(), nullptr}.data(), wxEXEC_ASYNC);
}

void CAnalyzerApp::Trace(const std::string& step)
{
    m_trace.push_back(step);
}

void CAnalyzerApp::FlushTrace() const
{
    const char* path = std::getenv("TESSARIN_STARTUP_TRACE");
    if (!path || !*path)
        return;
    std::ofstream out(path, std::ios::trunc);
    for (const std::string& step : m_trace)
        out << step << '\n';
}
