#include "generator_app/ui/MainFrame.h"

#include "common/settings/WindowSettings.h"
#include "engine/GeneratorLink.h"
#include "engine/ui/GeneratorDlg.h"
#include "generator_app/FrameLayout.h"
#include "generator_app/GeneratorCommands.h"
#include "generator_app/GeneratorMenus.h"
#include "generator_app/ui/GeneratorPanelConfig.h"
#include "generator_app/ui/GeneratorProgramDialogs.h"
#include "generator_app/ui/GeneratorWindow.h"
#include "platform/ui/MessageBoxService.h"
#include "platform/ui/ScreenCapture.h"
#include "texts/LanguageChoice.h"

#include <algorithm>

#include <wx/app.h>
#include <wx/artprov.h>
#include <wx/dcscreen.h>
#include <wx/filedlg.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>

using namespace generator_ids;

namespace
{

std::string CommandString(unsigned id)
{
    std::string text = LoadStringForLanguage(id, LanguageToLangId());
    if (text.empty())
        text = LoadStringForLanguage(id, LANGID_ENGLISH_US);
    return text;
}

void AppendEntries(wxMenu* menu, const std::vector<GeneratorMenuEntry>& entries)
{
    for (const GeneratorMenuEntry& entry : entries)
    {
        if (entry.id == 0 && entry.items.empty())
            menu->AppendSeparator();
        else if (entry.id == 0)
        {
            auto* sub = new wxMenu;
            AppendEntries(sub, entry.items);
            menu->AppendSubMenu(sub, wxString::FromUTF8(entry.caption));
        }
        else
        {
            const bool check = entry.id == kViewToolbar || entry.id == kViewStatusBar ||
                               CMainFrame::HasCheckMark(static_cast<int>(WxId(entry.id)));
            menu->Append(WxId(entry.id), wxString::FromUTF8(entry.caption),
                         wxString::FromUTF8(generator_layout::PromptPart(CommandString(entry.id))),
                         check ? wxITEM_CHECK : wxITEM_NORMAL);
        }
    }
}

// The frame as a placed window, for the configuration's "Mainframe" section.
class CFramePlacement : public CPlacedWindow
{
public:
    explicit CFramePlacement(wxFrame* frame) : m_frame(frame) {}

    ChildFrameState GetFrameState() const override
    {
        ChildFrameState state;
        state.visible = m_frame->IsShown();
        state.minimised = m_frame->IsIconized();
        state.maximised = m_frame->IsMaximized();
        const wxRect rect = m_frame->GetRect();
        state.current = {rect.GetLeft(), rect.GetTop(), rect.GetRight() + 1, rect.GetBottom() + 1};
        state.normal = state.current;
        return state;
    }

    void SetFrameState(const ChildFrameState& state) override
    {
        const WindowRect& r = state.normal;
        if (r.right > r.left && r.bottom > r.top)
            m_frame->SetSize(r.left, r.top, r.right - r.left, r.bottom - r.top);
        m_frame->Iconize(state.minimised);
    }

private:
    wxFrame* m_frame;
};

}  // namespace

wxMenuBar* BuildGeneratorMenuBar(unsigned resource)
{
    auto* bar = new wxMenuBar;
    for (const GeneratorMenuEntry& popup : GeneratorMenu(resource))
    {
        auto* menu = new wxMenu;
        AppendEntries(menu, popup.items);
        bar->Append(menu, wxString::FromUTF8(popup.caption));
    }
    return bar;
}

bool CMainFrame::HasCheckMark(int wxId)
{
    switch (FromWxId(wxId))
    {
        case kStart:
        case kStop:
        case kFreeFilter:
        case kAm:
        case kStatistics:
        case kFrequencySlider:
        case kVolumeSlider:
        case kBalanceSlider:
        case kFreqPresets:
            return true;
        default:
            return false;
    }
}

bool CMainFrame::IsCommandAvailable(int wxId)
{
    const unsigned id = FromWxId(wxId);
    // The free filter and RIAA dialogs are not part of this program yet.
    if (id == kFreeFilter || id == kRiaaFilter)
        return false;
    if (CGeneratorWindow::PanelCommand(id) != 0)
        return true;
    switch (id)
    {
        case kShowGenerator:
        case kWriteWaveFile:
        case kSoundCardSettings:
        case kSelectSpeaker:
        case kLanguage:
        case kAppAbout:
        case kStart:
        case kStop:
        case kDefaultSettings:
        case kLoadSettings:
        case kSaveSettings:
        case kViewToolbar:
        case kViewStatusBar:
        case kAppExit:
        case kSaveConfig:
        case kLoadConfig:
            return true;
        default:
            return false;
    }
}

CMainFrame::CMainFrame(std::shared_ptr<CGeneratorWnd> core)
{
    const int scale = generator_layout::ScaleFromDpi(wxScreenDC().GetPPI().x);
    const generator_layout::FrameSize size = generator_layout::FrameSizeForScale(scale);
    Create(nullptr, wxID_ANY, wxString::FromUTF8(kGeneratorProgramTitle),
           wxPoint(generator_layout::kFramePosition, generator_layout::kFramePosition),
           wxSize(size.width, size.height), wxDEFAULT_FRAME_STYLE & ~wxMAXIMIZE_BOX);
    m_dCreationScale = scale;
    m_dCurrentScale = scale;

    m_pGeneratorWnd = new CGeneratorWindow(this, std::move(core));
    m_pGeneratorWnd->Core().m_dCreationScale = m_dCreationScale;
    m_pGeneratorWnd->m_onPanelCreated = [this](const wxSize& panel) { FitPanel(panel); };
    CreateBars();

    Bind(wxEVT_CLOSE_WINDOW, &CMainFrame::OnClose, this);
    Bind(wxEVT_SIZE, &CMainFrame::OnSize, this);
    Bind(wxEVT_IDLE, &CMainFrame::OnIdle, this);
    Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateUi, this);
    Bind(wxEVT_MENU, &CMainFrame::OnCommand, this);
    Bind(wxEVT_TOOL, &CMainFrame::OnCommand, this);
}

void CMainFrame::CreateBars()
{
    wxToolBar* toolbar = CreateToolBar(wxTB_HORIZONTAL | wxTB_FLAT);
    const wxSize icon(16, 15);
    toolbar->SetToolBitmapSize(icon);
    toolbar->SetMargins(0, 0);
    toolbar->SetToolPacking(0);
    auto addTool = [&](unsigned id, const wxArtID& art, wxItemKind kind)
    {
        const std::string text = CommandString(id);
        toolbar->AddTool(WxId(id), wxEmptyString, wxArtProvider::GetBitmap(art, wxART_TOOLBAR, icon),
                         wxString::FromUTF8(generator_layout::TooltipPart(text)), kind);
        toolbar->SetToolLongHelp(WxId(id), wxString::FromUTF8(generator_layout::PromptPart(text)));
    };
    addTool(kDefaultSettings, wxART_NEW, wxITEM_NORMAL);
    addTool(kLoadSettings, wxART_FILE_OPEN, wxITEM_NORMAL);
    addTool(kSaveSettings, wxART_FILE_SAVE, wxITEM_NORMAL);
    toolbar->AddSeparator();
    addTool(kAppAbout, wxART_HELP, wxITEM_NORMAL);
    addTool(kStart, wxART_GO_FORWARD, wxITEM_CHECK);
    addTool(kStop, wxART_CROSS_MARK, wxITEM_CHECK);
    toolbar->Realize();

    wxStatusBar* status = CreateStatusBar(2);
    status->SetId(WxId(kSampleRatePane));
    // The pane's width is that of its widest value, with room for the pane's own border.
    const int paneWidth = status->GetTextExtent("192000").x + 40;
    const int widths[2] = {-1, paneWidth};
    status->SetStatusWidths(2, widths);
}

wxString CMainFrame::SampleRateText() const
{
    double rate = 0.0;
    if (m_pGeneratorWnd != nullptr && m_pGeneratorWnd->Core().HasPainted())
        rate = m_pGeneratorWnd->Core().m_generator.m_settings.m_sample_rate;
    return wxString::Format("%.0f", rate);
}

void CMainFrame::OnIdle(wxIdleEvent& event)
{
    if (wxStatusBar* status = GetStatusBar();
        status != nullptr && status->GetStatusText(1) != SampleRateText())
        status->SetStatusText(SampleRateText(), 1);
    event.Skip();
}

void CMainFrame::FitPanel(const wxSize& panel)
{
    const wxSize window = m_pGeneratorWnd->GetSize();
    const wxSize border = window - m_pGeneratorWnd->GetClientSize();
    const wxSize outside = GetSize() - window;
    const wxSize needed = panel + border + outside;
    SetSize(std::max(GetSize().x, needed.x), std::max(GetSize().y, needed.y));
    m_nFitWidth = GetSize().x;
    m_dCurrentScale = m_dCreationScale;
}

void CMainFrame::OnSize(wxSizeEvent& event)
{
    // The panel keeps its proportion to the frame: before it exists by the frame's logical width,
    // afterwards by the width that fits it at the creation scale.
    m_dCurrentScale = m_nFitWidth > 0 ? m_dCreationScale * GetSize().x / m_nFitWidth
                                      : generator_layout::ScaleFromWidth(GetSize().x);
    if (m_pGeneratorWnd != nullptr)
    {
        m_pGeneratorWnd->RescalePanel(m_dCurrentScale);
        // A wider frame gives a taller panel: the frame grows in height so that none of it is cut
        // off (it never shrinks here, the user may make it taller still).
        if (CGeneratorDlg* panel = m_pGeneratorWnd->GetPanel();
            panel != nullptr && panel->GetPanel() != nullptr)
        {
            const wxSize window = m_pGeneratorWnd->GetSize();
            const int border = window.y - m_pGeneratorWnd->GetClientSize().y;
            const int needed = panel->GetPanel()->GetSize().y + border + GetSize().y - GetClientSize().y;
            if (needed > GetSize().y)
                CallAfter([this, needed] { SetSize(GetSize().x, std::max(GetSize().y, needed)); });
        }
    }
    event.Skip();
}

void CMainFrame::OnUpdateUi(wxUpdateUIEvent& event)
{
    const unsigned id = FromWxId(event.GetId());
    event.Enable(IsCommandAvailable(event.GetId()));
    if (HasCheckMark(event.GetId()))
        event.Check(m_pGeneratorWnd != nullptr && m_pGeneratorWnd->IsChecked(id));
    else if (id == kViewToolbar)
        event.Check(GetToolBar() != nullptr && GetToolBar()->IsShown());
    else if (id == kViewStatusBar)
        event.Check(GetStatusBar() != nullptr && GetStatusBar()->IsShown());
}

void CMainFrame::OnCommand(wxCommandEvent& event)
{
    CGeneratorWnd& core = m_pGeneratorWnd->Core();
    const std::string sgsFilter = "Generator settings files (*.sgs)|*.sgs";
    if (!IsCommandAvailable(event.GetId()))
        return;
    if (m_pGeneratorWnd->RunCommand(FromWxId(event.GetId())))
        return;
    switch (FromWxId(event.GetId()))
    {
        case kAppAbout:
        {
            CGeneratorAboutDlg about(this);
            about.ShowModal();
            break;
        }
        case kStart:
            core.OnStart();
            break;
        case kStop:
            core.OnStop();
            break;
        case kDefaultSettings:
            core.OnDefaultSettings();
            break;
        case kSaveSettings:
        {
            platform::ui::FileDialogRequest request;
            request.save = true;
            request.wildcard = sgsFilter;
            if (const std::string chosen = platform::ui::ShowFileDialog(request, this); !chosen.empty())
            {
                std::filesystem::path path = chosen;
                if (!path.has_extension())
                    path += ".sgs";
                core.SaveSettingsFile(path);
            }
            break;
        }
        case kLoadSettings:
        {
            platform::ui::FileDialogRequest request;
            request.wildcard = sgsFilter;
            if (const std::string chosen = platform::ui::ShowFileDialog(request, this); !chosen.empty())
                core.LoadSettingsFile(chosen);
            break;
        }
        case kSaveConfig:
        case kLoadConfig:
        {
            const bool save = FromWxId(event.GetId()) == kSaveConfig;
            platform::ui::FileDialogRequest request;
            request.save = save;
            request.wildcard = "Generator settings files (*.ini)|*.ini";
            const std::string chosen = platform::ui::ShowFileDialog(request, this);
            if (chosen.empty())
                break;
            std::filesystem::path path = chosen;
            if (save && !path.has_extension())
                path += ".ini";
            auto placement = std::make_shared<CFramePlacement>(this);
            CWindow_settings mainframe;
            mainframe.m_window = placement;
            CGeneratorDlg* panel = m_pGeneratorWnd->GetPanel();
            if (save)
            {
                if (core.SaveConfig(path, mainframe) && panel != nullptr &&
                    !generator_panel_config::SaveConfig(*panel, path))
                    platform::ui::ShowMessageBox(
                        "The configuration cannot be written to \"" + path.string() + "\".", "Pulvera",
                        wxOK | wxICON_EXCLAMATION, this);
            }
            else if (core.LoadConfig(path, mainframe) && panel != nullptr)
                generator_panel_config::LoadConfig(*panel, path);
            break;
        }
        case kViewToolbar:
            if (GetToolBar() != nullptr)
            {
                GetToolBar()->Show(!GetToolBar()->IsShown());
                SendSizeEvent();
            }
            break;
        case kViewStatusBar:
            if (GetStatusBar() != nullptr)
            {
                GetStatusBar()->Show(!GetStatusBar()->IsShown());
                SendSizeEvent();
            }
            break;
        case kAppExit:
            Close();
            break;
        default:
            event.Skip();
            break;
    }
}

void CMainFrame::OnClose(wxCloseEvent& event)
{
    (void)event;
    // The generator window saves "saved.sgs" first; then the frame goes.
    if (m_pGeneratorWnd != nullptr)
        m_pGeneratorWnd->CloseGenerator();
    Destroy();
    // The program ends with its frame, whatever helper windows of the toolkit are still about.
    wxTheApp->ExitMainLoop();
}

bool CMainFrame::SaveScreenshot(const std::string& path)
{
    const wxImage picture = platform::ui::CaptureScreen(GetScreenRect());
    return picture.IsOk() && picture.SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG);
}
