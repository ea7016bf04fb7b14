#include "generator_app/ui/MainFrame.h"

#include "common/settings/WindowSettings.h"
#include "engine/GeneratorLink.h"
#include "generator_app/FrameLayout.h"
#include "generator_app/GeneratorCommands.h"
#include "generator_app/GeneratorMenus.h"
#include "generator_app/ui/GeneratorWindow.h"
#include "platform/ui/ScreenCapture.h"
#include "texts/LanguageChoice.h"

#include <wx/app.h>
#include <wx/artprov.h>
#include <wx/dcscreen.h>
#include <wx/filedlg.h>
#include <wx/menu.h>
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
            const bool check = entry.id == kViewToolbar || entry.id == kViewStatusBar;
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

bool CMainFrame::IsCommandAvailable(int wxId)
{
    switch (FromWxId(wxId))
    {
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

void CMainFrame::OnSize(wxSizeEvent& event)
{
    m_dCurrentScale = generator_layout::ScaleFromWidth(GetSize().x);
    event.Skip();
}

void CMainFrame::OnUpdateUi(wxUpdateUIEvent& event)
{
    const unsigned id = FromWxId(event.GetId());
    event.Enable(IsCommandAvailable(event.GetId()));
    const bool running = m_pGeneratorWnd != nullptr && m_pGeneratorWnd->Core().IsRunning();
    if (id == kStart)
        event.Check(running);
    else if (id == kStop)
        event.Check(!running);
    else if (id == kViewToolbar)
        event.Check(GetToolBar() != nullptr && GetToolBar()->IsShown());
    else if (id == kViewStatusBar)
        event.Check(GetStatusBar() != nullptr && GetStatusBar()->IsShown());
}

void CMainFrame::OnCommand(wxCommandEvent& event)
{
    CGeneratorWnd& core = m_pGeneratorWnd->Core();
    const wxString sgsFilter = "Generator settings files (*.sgs)|*.sgs";
    switch (FromWxId(event.GetId()))
    {
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
            wxFileDialog dialog(this, wxEmptyString, wxEmptyString, wxEmptyString, sgsFilter,
                                wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
            if (dialog.ShowModal() == wxID_OK)
            {
                std::filesystem::path path = dialog.GetPath().utf8_string();
                if (!path.has_extension())
                    path += ".sgs";
                core.SaveSettingsFile(path);
            }
            break;
        }
        case kLoadSettings:
        {
            wxFileDialog dialog(this, wxEmptyString, wxEmptyString, wxEmptyString, sgsFilter,
                                wxFD_OPEN | wxFD_FILE_MUST_EXIST);
            if (dialog.ShowModal() == wxID_OK)
                core.LoadSettingsFile(dialog.GetPath().utf8_string());
            break;
        }
        case kSaveConfig:
        case kLoadConfig:
        {
            const bool save = FromWxId(event.GetId()) == kSaveConfig;
            wxFileDialog dialog(this, wxEmptyString, wxEmptyString, wxEmptyString,
                                "Generator settings files (*.ini)|*.ini",
                                save ? wxFD_SAVE | wxFD_OVERWRITE_PROMPT : wxFD_OPEN | wxFD_FILE_MUST_EXIST);
            if (dialog.ShowModal() != wxID_OK)
                break;
            std::filesystem::path path = dialog.GetPath().utf8_string();
            if (save && !path.has_extension())
                path += ".ini";
            auto placement = std::make_shared<CFramePlacement>(this);
            CWindow_settings mainframe;
            mainframe.m_window = placement;
            if (save)
                core.SaveConfig(path, mainframe);
            else
                core.LoadConfig(path, mainframe);
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
