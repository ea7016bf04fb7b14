#include "generator_app/ui/GeneratorWindow.h"

#include "engine/GeneratorLink.h"
#include "engine/ui/GeneratorDlg.h"
#include "generator_app/GeneratorCommands.h"
#include "generator_app/GeneratorTrace.h"
#include "generator_app/ui/GeneratorProgramDialogs.h"
#include "platform/ui/MessageBoxService.h"
#include "platform/ui/UiThread.h"
#include "texts/LanguageChoice.h"
#include "texts/ui/LanguageDlg.h"

#include <wx/dcclient.h>
#include <wx/frame.h>
#include <wx/msgdlg.h>

#include <wx/panel.h>
#include <wx/utils.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <vector>

CGeneratorWindow::CGeneratorWindow(wxWindow* parent, std::shared_ptr<CGeneratorWnd> core)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_SUNKEN), m_core(std::move(core))
{
    SetBackgroundColour(*wxWHITE);
    Bind(wxEVT_PAINT, &CGeneratorWindow::OnPaint, this);
}

CGeneratorWindow::~CGeneratorWindow()
{
    CloseGenerator();
    m_core->m_onSettingsChanged = nullptr;
    if (m_pPanel != nullptr)
    {
        // The panel's frame goes now; its controls are this window's children.
        delete m_pPanel;
        m_pPanel = nullptr;
    }
}

void CGeneratorWindow::CreatePanel()
{
    GeneratorDlgOptions options;
    options.upperFrequencyLimit = kPanelUpperFrequency;
    options.host = this;
    m_pPanel = new CGeneratorDlg(this, m_core->m_generator, options);
    RescalePanel(m_core->m_dCreationScale);
    if (m_onPanelCreated)
        m_onPanelCreated(m_pPanel->GetPanel()->GetSize());
    CGeneratorDlg* panel = m_pPanel;
    m_core->m_onSettingsChanged = [panel] { panel->UpdateControls(); };
}

void CGeneratorWindow::RescalePanel(double scale)
{
    // Every layout asks again; only a new scale lays the panel out anew.
    if (m_pPanel == nullptr || scale == m_dPanelScale)
        return;
    m_dPanelScale = scale;
    // The layout follows the language setting whenever the panel is laid out.
    m_pPanel->UseGermanLayout(GetLanguage() == kGermanLanguage);
    m_pPanel->Rescale(scale);
    m_pPanel->GetPanel()->SetPosition(wxPoint(0, 0));
}

void CGeneratorWindow::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    if (m_core->HasPainted())
        return;
    CreatePanel();
    m_core->OnFirstPaint();
    m_pPanel->UpdateControls();
    SetName(CGeneratorWnd::kWindowText);
    // The link opens only now, so that a record never meets the settings before "saved.sgs".
    CallAfter([this] { StartListening(); });
}

void CGeneratorWindow::StartListening()
{
    if (m_bClosed || m_listener)
        return;
    std::weak_ptr<CGeneratorWnd> weak = m_core;
    auto handler = [weak](std::uint64_t, std::span<const std::byte> bytes) -> std::int32_t
    {
        // The bytes live only during this call; the user-interface thread gets its own copy, and the
        // answer is given once the record has been applied there.
        auto reply = std::make_shared<std::atomic<std::int32_t>>(0);
        std::vector<std::byte> copy(bytes.begin(), bytes.end());
        const bool ran = platform::ui::SendToUi(
            [weak, reply, copy = std::move(copy)]
            {
                if (auto core = weak.lock())
                    reply->store(core->OnCopyData(copy));
            });
        return ran ? reply->load() : 0;
    };
    m_listener = platform::CopyDataListener::Listen(kGeneratorProgramTitle, handler, kSigGenWireBytes);
    if (m_listener)
        GeneratorTrace("listening");
    else if (platform::FindWindowSocket(kGeneratorProgramTitle))
    {
        // The other copy owns "saved.sgs": this one ends without writing it.
        m_bSecondCopy = true;
        platform::ui::ShowMessageBox("Pulvera is already running; this copy ends.", "Pulvera",
                                     wxOK | wxICON_INFORMATION, this);
        if (wxWindow* frame = wxGetTopLevelParent(this))
            frame->Close();
        return;
    }
    else
        platform::ui::ShowMessageBox(
            "Pulvera cannot receive settings from Tessarin: the link cannot be opened.", "Pulvera",
            wxOK | wxICON_EXCLAMATION, this);
    if (m_onReady)
        m_onReady();
}

void CGeneratorWindow::CloseGenerator()
{
    if (m_bClosed)
        return;
    m_bClosed = true;
    if (m_core->HasPainted() && !m_bSecondCopy)
        GeneratorTrace(m_core->OnClose() ? "saved" : "not saved");
    else
        m_core->OnStop();
    GeneratorTrace("underruns " + std::to_string(m_core->m_soundOut.GetUnderruns()));
    // A sender that waits for this thread gives up, so the listener's thread can be joined.
    platform::ui::SetUiClosing(true);
    m_listener.reset();
}

int CGeneratorWindow::PanelCommand(unsigned id)
{
    using namespace generator_ids;
    switch (id)
    {
        case kPulseWidths:
            return CGeneratorDlg::kCmdPulseWidths;
        case kBurstGenerator:
            return CGeneratorDlg::kCmdBurst;
        case kGaussGenerator:
            return CGeneratorDlg::kCmdGauss;
        case kAdvSettings:
            return CGeneratorDlg::kCmdAdvSettings;
        case kPlayWaveFile:
            return CGeneratorDlg::kCmdPlayWaveFile;
        case kVolume:
            return CGeneratorDlg::kCmdVolume;
        case kDistortion:
            return CGeneratorDlg::kCmdDistortion;
        case kCrestFactor:
            return CGeneratorDlg::kCmdCrestFactor;
        case kFm:
            return CGeneratorDlg::kCmdFm;
        case kAm:
            return CGeneratorDlg::kCmdAm;
        case kDcOffset:
            return CGeneratorDlg::kCmdDcOffset;
        case kStatistics:
            return CGeneratorDlg::kCmdStatistics;
        case kFrequencySlider:
            return CGeneratorDlg::kCmdFrequencySlider;
        case kVolumeSlider:
            return CGeneratorDlg::kCmdVolumeSlider;
        case kBalanceSlider:
            return CGeneratorDlg::kCmdBalanceSlider;
        case kFreqPresets:
            return CGeneratorDlg::kCmdFreqPresets;
        case kPiano:
            return CGeneratorDlg::kCmdPiano;
        default:
            return 0;
    }
}

bool CGeneratorWindow::RunCommand(unsigned id)
{
    using namespace generator_ids;
    if (m_pPanel == nullptr)
        return false;
    if (const int command = PanelCommand(id); command != 0)
    {
        m_pPanel->RunCommand(command);
        return true;
    }
    switch (id)
    {
        case kShowGenerator:
            m_pPanel->GetPanel()->Show();
            m_pPanel->UpdateControls();
            return true;
        case kWriteWaveFile:
            OnWriteWaveFile();
            return true;
        case kSoundCardSettings:
            OnSoundCardSettings();
            return true;
        case kSelectSpeaker:
            OnSelectSpeaker();
            return true;
        case kLanguage:
            OnLanguage();
            return true;
        default:
            return false;
    }
}

bool CGeneratorWindow::IsChecked(unsigned id) const
{
    using namespace generator_ids;
    auto shown = [](const wxWindow* window) { return window != nullptr && window->IsShown(); };
    const CSigGen_settings& s = m_core->m_generator.m_settings;
    switch (id)
    {
        case kStart:
            return m_core->IsRunning();
        case kStop:
            return !m_core->IsRunning();
        case kFreeFilter:
            return m_core->m_generator.m_freeFilter.m_full.m_bEnabled != 0;
        case kAm:
            return s.m_am_on != 0;
        case kFrequencySlider:
            return m_pPanel != nullptr && shown(m_pPanel->GetFrequencySlider());
        case kVolumeSlider:
            return m_pPanel != nullptr && shown(m_pPanel->GetVolumeSlider());
        case kBalanceSlider:
            return m_pPanel != nullptr && shown(m_pPanel->GetBalanceSlider());
        case kFreqPresets:
            return m_pPanel != nullptr && shown(m_pPanel->GetPresets());
        case kStatistics:
            return m_pPanel != nullptr && shown(m_pPanel->GetStatistics());
        default:
            return false;
    }
}

void CGeneratorWindow::OnWriteWaveFile()
{
    m_core->OnStop();
    platform::ui::FileDialogRequest request;
    request.save = true;
    request.wildcard = "wave files (*.wav)|*.wav";
    std::filesystem::path path = platform::ui::ShowFileDialog(request, this);
    if (path.empty())
        return;
    if (!path.has_extension())
        path += ".wav";
    CFileLengthDlg length(this);
    length.m_dLength = 30.0;
    if (length.ShowModal() != wxID_OK)
        return;
    wxBusyCursor busy;
    m_core->WriteWaveFile(path, length.m_dLength);
}

void CGeneratorWindow::OnSoundCardSettings()
{
    CGeneratorWnd& core = *m_core;
    const bool wasRunning = core.IsRunning();
    core.OnStop();
    core.m_soundOut.Close();
    CSigGen_settings& s = core.m_generator.m_settings;
    CSoundCardDlg dialog(this, core.m_soundOut);
    dialog.m_dSampleRate = core.m_waveFormat.samplesPerSec;
    dialog.m_nDevice = core.m_nDxDevice;
    dialog.m_nAsioDevice = core.m_nAsioDevice;
    dialog.m_strBits = std::to_string(s.m_bits);
    dialog.m_bHighResolution = s.m_32bit != 0;
    if (dialog.ShowModal() == wxID_OK)
    {
        core.ApplySoundCardChoice(static_cast<int>(dialog.m_dSampleRate), std::atoi(dialog.m_strBits.c_str()),
                                  dialog.m_bHighResolution);
        core.m_nDxDevice = dialog.m_nDevice;
        core.m_nAsioDevice = dialog.m_nAsioDevice;
        m_pPanel->UpdateControls();
    }
    if (wasRunning)
        core.OnStart();
}

void CGeneratorWindow::OnSelectSpeaker()
{
    CGeneratorWnd& core = *m_core;
    CSpeakerDlg dialog(this);
    for (int i = 0; i < CGeneratorWnd::kSpeakers; ++i)
        dialog.m_bSpeaker[i] = core.m_speakers[static_cast<std::size_t>(i)];
    dialog.m_bMultichannel = core.IsMultichannel();
    if (dialog.ShowModal() != wxID_OK)
        return;
    std::array<bool, CGeneratorWnd::kSpeakers> switches{};
    for (int i = 0; i < CGeneratorWnd::kSpeakers; ++i)
        switches[static_cast<std::size_t>(i)] = dialog.m_bSpeaker[i];
    core.ApplySpeakerChoice(switches, dialog.m_bMultichannel);
}

void CGeneratorWindow::OnLanguage()
{
    CLanguageDlg dialog(this);
    dialog.m_nLanguage = GetLanguage();
    if (dialog.ShowModal() == wxID_OK)
        SetLanguage(dialog.m_nLanguage);
}
