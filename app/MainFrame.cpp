#include "app/MainFrame.h"

#include "app/AnalyzerApp.h"
#include "app/ChildFrame.h"
#include "dsp/FrequencyWeighting.h"
#include "engine/AudioFileReader.h"
#include "engine/SoundIn.h"
#include "platform/ui/MdiContainer.h"
#include "platform/ui/ScreenCapture.h"
#include "texts/LanguageChoice.h"
#include "texts/TextTable.h"
#include "texts/ui/MenuTranslation.h"
#include "view/SndView.h"
#include "view/ui/SndViewWindow.h"

#include <wx/artprov.h>
#include <wx/choice.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/dnd.h>
#include <wx/image.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/wrapsizer.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace
{

constexpr int kTextOff = 1000028;
constexpr int kTextOther = 1000181;
constexpr int kStatusPaneCount = 6;
// Status-bar panes after the message pane: the sample rate, FFT size, a spare value, weighting
// and window; the texts give each pane its width.
constexpr std::array<const char*, kStatusPaneCount> kPaneWidthTexts = {
    "", "_44200", "__9999999", "_44200", "ITU_ARM ", "Blackman-Harris "};
constexpr int kFftPane = 2;
constexpr int kWeightingPane = 4;
constexpr int kWeightingCount = 8;
constexpr int kFftSizeFirst = 128;
constexpr int kFftSizeLast = 16777216;
constexpr int kSmallButton = 22;
constexpr int kLargeButton = 32;

// The commands that go to the active measurement window.
constexpr std::array<int, 26> kViewCommands = {view_command::kDisplayProperties,
                                               view_command::kMeasurementsCurve1,
                                               view_command::kMeasurementsCurve2,
                                               view_command::kRoomAcoustics,
                                               view_command::kStart,
                                               view_command::kStop,
                                               view_command::kReset,
                                               view_command::kResetZoom,
                                               view_command::kFftAnalyzer,
                                               view_command::kMls,
                                               view_command::kOscilloscope,
                                               view_command::kBarGraph,
                                               view_command::kImpedance,
                                               view_command::kSpectrogram,
                                               view_command::kDistortion,
                                               view_command::kPeak,
                                               view_command::kAverage,
                                               view_command::kIntermodulation,
                                               view_command::kDualChannel,
                                               view_command::kYAutoScale,
                                               view_command::kResetMeasurements,
                                               view_command::kLinLogX,
                                               view_command::kResetAllViews,
                                               view_command::kChannel1,
                                               view_command::kChannel2,
                                               view_command::kSmoothing};

constexpr int kCopyAsBitmap = 32774;
constexpr int kTextInvalidFile = 1000274;
constexpr int kTextFileTooLong = 1000275;

// Wave files dropped on the main window.
class WaveDropTarget : public wxFileDropTarget
{
public:
    explicit WaveDropTarget(CMainFrame* frame) : m_frame(frame) {}
    bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& names) override
    {
        std::vector<std::string> paths;
        for (const wxString& name : names)
            paths.push_back(name.utf8_string());
        return m_frame->OnDropFiles(paths, m_frame->ClientToScreen(wxPoint(x, y)));
    }

private:
    CMainFrame* m_frame;
};

const std::array<const char*, CMainFrame::kToolbarCount> kToolbarNames = {"Main",    "Impulse", "Overlay",
                                                                          "Channel", "STIPA",   "Options1"};

// A toolbar button face: a short label on a tinted key, for the analyser's own commands.
wxBitmap MakeButtonFace(const wxString& label, const wxColour& tint, int size)
{
    wxBitmap bitmap(size, size, 24);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
    dc.Clear();
    dc.SetPen(wxPen(tint.ChangeLightness(60)));
    dc.SetBrush(wxBrush(tint));
    dc.DrawRoundedRectangle(1, 1, size - 2, size - 2, 3);
    wxFont font(wxFontInfo(size >= kLargeButton ? 10 : 7).Family(wxFONTFAMILY_SWISS).Bold());
    dc.SetFont(font);
    dc.SetTextForeground(*wxWHITE);
    dc.DrawLabel(label, wxRect(0, 0, size, size), wxALIGN_CENTER);
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}

struct ButtonDef
{
    int id;
    const char* face;  // label on the key, or an art id starting with "wxART_"
    const char* tip;
};

wxToolBar* MakeToolbar(wxWindow* parent, const std::vector<ButtonDef>& buttons, const wxColour& tint,
                       int size)
{
    auto* bar = new wxToolBar(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                              wxTB_HORIZONTAL | wxTB_FLAT | wxTB_NODIVIDER);
    bar->SetToolBitmapSize(wxSize(size, size));
    for (const ButtonDef& button : buttons)
    {
        if (button.id == 0)
        {
            bar->AddSeparator();
            continue;
        }
        const std::string face = button.face;
        const wxBitmap bitmap = face.rfind("wxART_", 0) == 0
                                    ? wxArtProvider::GetBitmap(face, wxART_TOOLBAR, wxSize(size, size))
                                    : MakeButtonFace(wxString::FromUTF8(face), tint, size);
        // The measurement window's toggles show their state.
        const bool check = view_command::IsToggleCommand(button.id);
        bar->AddTool(command_id::WxCommandId(button.id), wxString::FromUTF8(button.tip), bitmap,
                     wxString::FromUTF8(button.tip), check ? wxITEM_CHECK : wxITEM_NORMAL);
    }
    return bar;
}

}  // namespace

CMainFrame::CMainFrame(CAnalyzerApp& app)
    : wxFrame(nullptr, wxID_ANY, CAnalyzerApp::kAppName, wxDefaultPosition, wxSize(1180, 800)),
      m_app(app),
      m_presetsTimer(this, kTimerPresetsSecondPhase),
      m_resetTimer(this, kTimerResetMeasurements)
{
}

CMainFrame::~CMainFrame()
{
    m_presetsTimer.Stop();
    m_resetTimer.Stop();
    if (m_app.m_pMainWnd == this)
        m_app.m_pMainWnd = nullptr;
}

const std::array<const char*, CMainFrame::kToolbarCount>& CMainFrame::GetToolbarNames()
{
    return kToolbarNames;
}

bool CMainFrame::OnCreate()
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);  // the container covers the client area; no erasing
    CreateMenuBar();
    if (!CreateStatusBarWithPanes())
        return false;
    CreateStatusBarCombos();

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    m_pDockTop = new wxPanel(this, wxID_ANY);
    m_pDockTop->SetSizer(new wxWrapSizer(wxHORIZONTAL));
    sizer->Add(m_pDockTop, 0, wxEXPAND);
    m_pContainer = new MdiContainer(this);
    sizer->Add(m_pContainer, 1, wxEXPAND);
    SetSizer(sizer);
    if (!CreateToolbars())
        return false;
    ApplyGuiMode();

    m_pContainer->SetActiveChildChanged([this](MdiChildFrame*) { UpdateTitle(); });
    Bind(wxEVT_CLOSE_WINDOW, &CMainFrame::OnClose, this);
    Bind(wxEVT_SIZE, &CMainFrame::OnSize, this);
    Bind(wxEVT_TIMER, &CMainFrame::OnTimer, this);
    Bind(wxEVT_MENU, &CMainFrame::OnWindowNew, this, command_id::WxCommandId(command_id::kWindowNew));
    Bind(wxEVT_MENU_HIGHLIGHT, &CMainFrame::OnMenuHighlight, this);
    // Pictures and printing of the active measurement window.
    for (int id : {command_id::kEditCopy, kCopyAsBitmap})
        Bind(
            wxEVT_MENU,
            [this](wxCommandEvent&)
            {
                if (CSndViewWindow* window = GetActiveViewWindow())
                    window->OnEditCopy();
            },
            command_id::WxCommandId(id));
    Bind(
        wxEVT_MENU,
        [this](wxCommandEvent&)
        {
            if (CSndViewWindow* window = GetActiveViewWindow())
            {
                wxPrintData data;
                window->Print(data, true);
            }
        },
        command_id::WxCommandId(command_id::kFilePrint));
    for (int id : kViewCommands)
    {
        Bind(
            wxEVT_MENU, [this, id](wxCommandEvent& event) { OnViewCommand(id, event); },
            command_id::WxCommandId(id));
        Bind(
            wxEVT_UPDATE_UI, [this, id](wxUpdateUIEvent& event) { OnUpdateViewCommand(id, event); },
            command_id::WxCommandId(id));
    }
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { m_pContainer->Cascade(); },
        command_id::WxCommandId(command_id::kWindowCascade));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { m_pContainer->Tile(); },
        command_id::WxCommandId(command_id::kWindowTileHorz));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { m_pContainer->Tile(); },
        command_id::WxCommandId(command_id::kWindowTileVert));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { m_pContainer->ArrangeIcons(); },
        command_id::WxCommandId(command_id::kWindowArrange));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { Close(); }, command_id::WxCommandId(command_id::kAppExit));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { m_app.OnFileNew(); },
        command_id::WxCommandId(command_id::kFileNew));
    Bind(
        wxEVT_CHOICE, [this](wxCommandEvent&) { OnSelchangeWeighting(); },
        command_id::WxCommandId(command_id::kStatusWeighting));
    Bind(
        wxEVT_CHOICE, [this](wxCommandEvent&) { OnSelchangeFftSize(); },
        command_id::WxCommandId(command_id::kStatusFftSize));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { m_app.OnExpertMode(); },
        command_id::WxCommandId(command_id::kExpertMode));
    SetDropTarget(new WaveDropTarget(this));
    Layout();
    return true;
}

bool CMainFrame::IsToolbarShown(wxToolBar* bar) const
{
    return bar && m_pDockTop->GetSizer()->IsShown(bar);
}

std::string CMainFrame::CheckDroppedFiles(const std::vector<std::string>& paths)
{
    for (const std::string& path : paths)
    {
        WaveFileInfo info;
        if (GetWaveFileInfo(path, info) != 1 || info.sampleRate <= 0)
            return wxString::Format(wxString::FromUTF8(GetText(kTextInvalidFile)), ".wav").utf8_string();
        if (info.length / info.sampleRate > kMaxDropSeconds)
            return wxString::Format(wxString::FromUTF8(GetText(kTextFileTooLong)), kMaxDropSeconds)
                .utf8_string();
    }
    return {};
}

bool CMainFrame::OnDropFiles(const std::vector<std::string>& paths, const wxPoint& screenPoint)
{
    if (paths.empty())
        return false;
    if (const std::string refusal = CheckDroppedFiles(paths); !refusal.empty())
    {
        m_app.DoMessageBox(refusal, wxOK | wxICON_INFORMATION);
        return false;
    }
    if (!m_pContainer->GetActiveChild())
        return false;
    // At least one window per file (the workspace document adds the missing ones).
    while (m_pContainer->GetChildFrames().size() < paths.size())
        (new CChildFrame(this, m_pContainer->GetActiveChild()->GetTitle()))->Show();
    if (m_app.m_pEngine)
        m_app.m_pEngine->m_bProcessingEnabled.store(0);
    std::vector<MdiChildFrame*> targets(m_pContainer->GetChildFrames().begin(),
                                        m_pContainer->GetChildFrames().begin() + paths.size());
    if (paths.size() == 1)
    {
        MdiChildFrame* under = m_pContainer->ChildAtScreenPoint(screenPoint);
        targets[0] = under ? under : m_pContainer->GetChildFrames().front();
    }
    for (std::size_t i = 0; i < paths.size(); ++i)
    {
        // The measurement window that loads the file as its impulse response does not exist yet;
        // the frame takes the file's name.
        targets[i]->SetTitle(wxString::FromUTF8(std::filesystem::path(paths[i]).stem().string()));
        m_app.Trace("dropped " + paths[i]);
    }
    if (m_app.m_pEngine)
        m_app.m_pEngine->m_bProcessingEnabled.store(1);
    m_pContainer->Tile();
    return true;
}

void CMainFrame::CreateMenuBar()
{
    using namespace command_id;
    auto* file = new wxMenu;
    file->Append(WxCommandId(kFileNew), "&New\tCtrl+N", "Create a new document\nNew");
    file->Append(WxCommandId(kFileOpen), "&Open...\tCtrl+O", "Open an existing document\nOpen");
    file->Append(WxCommandId(kFileClose), "&Close", "Close the active document\nClose");
    file->Append(WxCommandId(kFileSave), "&Save\tCtrl+S", "Save the active document\nSave");
    file->Append(WxCommandId(kFileSaveAs), "Save &As...",
                 "Save the active document with a new name\nSave As");
    file->AppendSeparator();
    file->Append(WxCommandId(kFilePrint), "&Print...\tCtrl+P", "Print the active document\nPrint");
    file->Append(WxCommandId(kFilePrintPreview), "Print Pre&view", "Display full pages\nPrint Preview");
    file->Append(WxCommandId(kFilePrintSetup), "P&rint Setup...",
                 "Change the printer and printing options\nPrint Setup");
    file->AppendSeparator();
    file->Append(WxCommandId(kAppExit), "E&xit", "Quit the application; prompts to save documents\nExit");
    auto* edit = new wxMenu;
    edit->Append(WxCommandId(kEditCopy), "&Copy\tCtrl+C",
                 "Copy the selection and put it on the Clipboard\nCopy");
    edit->Append(WxCommandId(kEditPaste), "&Paste\tCtrl+V", "Insert Clipboard contents\nPaste");
    edit->Append(WxCommandId(kCopyAsBitmap), "Copy as Bitmap");
    auto* view = new wxMenu;
    view->AppendCheckItem(WxCommandId(kViewToolbar), "&Toolbar", "Show or hide the toolbar\nToggle ToolBar");
    view->AppendCheckItem(WxCommandId(kViewStatusBar), "&Status Bar",
                          "Show or hide the status bar\nToggle StatusBar");
    view->AppendSeparator();
    view->AppendCheckItem(WxCommandId(kExpertMode), "Expert Mode",
                          "Show all toolbars (the program restarts)\nExpert Mode");
    view->AppendSeparator();
    // The measurement window's own windows.
    view->Append(WxCommandId(view_command::kMeasurementsCurve1), "Measurements curve 1");
    view->Append(WxCommandId(view_command::kMeasurementsCurve2), "Measurements curve 2");
    view->Append(WxCommandId(view_command::kDisplayProperties), "Display properties");
    view->Check(WxCommandId(kExpertMode), m_app.m_nGuiMode == 0);
    view->Check(WxCommandId(kViewToolbar), true);
    view->Check(WxCommandId(kViewStatusBar), true);
    auto* window = new wxMenu;
    window->Append(WxCommandId(kWindowNew), "&New Window",
                   "Open another window for the active document\nNew Window");
    window->Append(WxCommandId(kWindowCascade), "&Cascade",
                   "Arrange windows so they overlap\nCascade Windows");
    window->Append(WxCommandId(kWindowTileHorz), "&Tile",
                   "Arrange windows as non-overlapping tiles\nTile Windows");
    window->Append(WxCommandId(kWindowArrange), "&Arrange Icons",
                   "Arrange icons at the bottom of the window\nArrange Icons");
    auto* help = new wxMenu;
    help->Append(WxCommandId(kHelpFinder), "&Help Topics", "List Help topics\nHelp Topics");
    help->AppendSeparator();
    help->Append(WxCommandId(kAppAbout), "&About Tessarin...",
                 "Display program information, version number and copyright\nAbout");
    auto* bar = new wxMenuBar;
    bar->Append(file, "&File");
    bar->Append(edit, "&Edit");
    bar->Append(view, "&View");
    bar->Append(window, "&Window");
    bar->Append(help, "&Help");
    TranslateMenu(bar, GetLanguage());
    SetMenuBar(bar);
}

bool CMainFrame::CreateStatusBarWithPanes()
{
    wxStatusBar* bar = CreateStatusBar(kStatusPaneCount);
    if (!bar)
        return false;
    std::array<int, kStatusPaneCount> widths{};
    widths[0] = -1;
    for (int pane = 1; pane < kStatusPaneCount; ++pane)
        widths[pane] = bar->GetTextExtent(kPaneWidthTexts[pane]).x + 12;
    bar->SetStatusWidths(kStatusPaneCount, widths.data());
    return true;
}

void CMainFrame::CreateStatusBarCombos()
{
    wxStatusBar* bar = GetStatusBar();
    if (!m_pWeightingCombo)
    {
        m_pWeightingCombo = new wxChoice(bar, command_id::WxCommandId(command_id::kStatusWeighting));
        for (int code = 0; code < kWeightingCount; ++code)
            m_pWeightingCombo->Append(wxString::FromUTF8(GetWeightingName(code)));
    }
    if (!m_pFftSizeCombo)
    {
        m_pFftSizeCombo = new wxChoice(bar, command_id::WxCommandId(command_id::kStatusFftSize));
        for (int size = kFftSizeFirst; size <= kFftSizeLast; size *= 2)
            m_pFftSizeCombo->Append(wxString::Format("%i", size));
    }
    // The measurement windows show their own values here; until one does, the engine's.
    if (CSoundIn* engine = m_app.m_pEngine)
    {
        m_pWeightingCombo->SetSelection(engine->m_nWeightingType >= 0 &&
                                                engine->m_nWeightingType < kWeightingCount
                                            ? engine->m_nWeightingType
                                            : 0);
        m_pFftSizeCombo->SetStringSelection(wxString::Format("%i", engine->m_nFftSize));
    }
    // Room for the combo boxes in the panes.
    bar->SetMinHeight(std::max(m_pWeightingCombo->GetBestSize().y, m_pFftSizeCombo->GetBestSize().y));
    FitCombosToPanes();
}

void CMainFrame::FitCombosToPanes()
{
    wxStatusBar* bar = GetStatusBar();
    if (!bar)
        return;
    wxRect rect;
    if (m_pWeightingCombo && bar->GetFieldRect(kWeightingPane, rect))
        m_pWeightingCombo->SetSize(rect);
    if (m_pFftSizeCombo && bar->GetFieldRect(kFftPane, rect))
        m_pFftSizeCombo->SetSize(rect);
}

bool CMainFrame::CreateToolbars()
{
    using namespace command_id;
    const bool large = m_app.m_nGuiMode == 1;
    const wxColour blue(40, 80, 150), green(30, 120, 60), orange(190, 100, 20), violet(110, 60, 140);
    if (large)
        m_pMainBar = MakeToolbar(
            m_pDockTop, {{33044, "FFT", "Analyser"}, {32812, "Start", "Start"}, {33095, "Cal", "Calibrate"}},
            blue, kLargeButton);
    else
        m_pMainBar = MakeToolbar(m_pDockTop,
                                 {{WxCommandId(kFileNew), "wxART_NEW", "New"},
                                  {WxCommandId(kFileOpen), "wxART_FILE_OPEN", "Open"},
                                  {WxCommandId(kFileSave), "wxART_FILE_SAVE", "Save"},
                                  {0, "", ""},
                                  {WxCommandId(kFilePrint), "wxART_PRINT", "Print"},
                                  {WxCommandId(kAppAbout), "wxART_HELP", "About"},
                                  {0, "", ""},
                                  {view_command::kStart, "\u25B6", "Start"},
                                  {view_command::kStop, "\u25A0", "Stop"},
                                  {0, "", ""},
                                  {view_command::kFftAnalyzer, "FFT", "FFT analyzer"},
                                  {view_command::kMls, "MLS", "MLS measurement"},
                                  {view_command::kOscilloscope, "Osc", "Oscilloscope"},
                                  {view_command::kBarGraph, "RTA", "Bar graph analyzer"},
                                  {view_command::kImpedance, "Z", "Impedance"},
                                  {view_command::kSpectrogram, "Spg", "Spectrogram analyzer"},
                                  {0, "", ""},
                                  {view_command::kDistortion, "THD", "Distortion"},
                                  {view_command::kIntermodulation, "IMD", "Intermodulation"},
                                  {view_command::kPeak, "Pk", "Peak"},
                                  {view_command::kAverage, "Avg", "Average"},
                                  {view_command::kDualChannel, "2Ch", "Dual channel"},
                                  {view_command::kLinLogX, "Log", "lin/log x-axis"},
                                  {view_command::kYAutoScale, "YA", "y auto scale"},
                                  {view_command::kResetZoom, "Z0", "Reset zoom"}},
                                 blue, kSmallButton);
    m_pImpulseBar = MakeToolbar(
        m_pDockTop,
        {{32846, "IR", "Plot impulse"}, {32847, "ETC", "Energy time curve"}, {32848, "RT", "Reverberation"}},
        green, kSmallButton);
    m_pOverlayBar = MakeToolbar(m_pDockTop,
                                {{33007, "O1", "Overlay 1"},
                                 {33008, "O2", "Overlay 2"},
                                 {33009, "O3", "Overlay 3"},
                                 {33010, "O4", "Overlay 4"},
                                 {33011, "O5", "Overlay 5"}},
                                orange, kSmallButton);
    const bool largeLogger = large;
    m_pLoggerBar = MakeToolbar(m_pDockTop,
                               {{33074, "L", "Logger"},
                                {33073, "Set", "Logger settings"},
                                {33075, "\u25CF", "Start logger"},
                                {33076, "\u25A0", "Stop logger"},
                                {33087, "Rep", "Report"},
                                {33077, "Vw", "Logger view"},
                                {33080, "Exp", "Export"}},
                               violet, largeLogger ? kLargeButton : kSmallButton);
    m_pChannelBar = MakeToolbar(m_pDockTop, {{32962, "Ch1", "Channel 1"}, {32963, "Ch2", "Channel 2"}}, green,
                                kSmallButton);
    m_pStipaBar = MakeToolbar(m_pDockTop, {{32964, "STI", "STIPA"}}, violet, kSmallButton);
    m_pOptionsBar = new wxToolBar(m_pDockTop, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                  wxTB_HORIZONTAL | wxTB_FLAT | wxTB_NODIVIDER);
    m_pOptionsBar->SetToolBitmapSize(wxSize(kSmallButton, kSmallButton));
    m_pOctaveCombo =
        new wxChoice(m_pOptionsBar, WxCommandId(kOctaveFraction), wxDefaultPosition, wxSize(70, -1));
    for (std::size_t i = 0; i < kOctaveFractionTexts.size(); ++i)
    {
        std::string text = kOctaveFractionTexts[i];
        if (i == 0)
            text = GetText(kTextOff);
        else if (i + 1 == kOctaveFractionTexts.size())
            text = GetText(kTextOther);
        m_pOctaveCombo->Append(wxString::FromUTF8(text));
    }
    m_pOctaveCombo->SetSelection(1);
    m_pOptionsBar->AddControl(m_pOctaveCombo);
    m_pOptionsBar->AddTool(
        WxCommandId(view_command::kSmoothing), "Smoothing", MakeButtonFace("Sm", blue, kSmallButton),
        "Smoothing", view_command::IsToggleCommand(view_command::kSmoothing) ? wxITEM_CHECK : wxITEM_NORMAL);

    for (wxToolBar* bar :
         {m_pMainBar, m_pImpulseBar, m_pOverlayBar, m_pLoggerBar, m_pChannelBar, m_pStipaBar, m_pOptionsBar})
    {
        if (!bar || !bar->Realize())
            return false;
    }
    // One row in the order the bars are docked in.
    wxSizer* row = m_pDockTop->GetSizer();
    for (wxToolBar* bar :
         {m_pMainBar, m_pImpulseBar, m_pOptionsBar, m_pChannelBar, m_pStipaBar, m_pOverlayBar, m_pLoggerBar})
        row->Add(bar, 0, wxRIGHT, 10);
    m_ToolbarTable = {m_pMainBar, m_pImpulseBar, m_pOverlayBar, m_pChannelBar, m_pStipaBar, m_pOptionsBar};
    return true;
}

void CMainFrame::ApplyGuiMode()
{
    wxSizer* row = m_pDockTop->GetSizer();
    row->Show(m_pLoggerBar, false);
    if (m_app.m_nGuiMode == 1)
    {
        row->Show(m_pLoggerBar, true);
        for (wxToolBar* bar : {m_pImpulseBar, m_pStipaBar, m_pOptionsBar, m_pOverlayBar, m_pChannelBar})
            row->Show(bar, false);
    }
    m_pDockTop->Layout();
}

void CMainFrame::UpdateTitle()
{
    wxString title = CAnalyzerApp::kAppName;
    if (MdiChildFrame* active = m_pContainer ? m_pContainer->GetActiveChild() : nullptr)
        title += " - " + active->GetTitle();
    SetTitle(title);
}

std::string CMainFrame::MessageFromPrompt(const std::string& prompt)
{
    return prompt.substr(0, prompt.find('\n'));
}

bool CMainFrame::ToolTipFromPrompt(const std::string& prompt, std::string& tip)
{
    if (prompt.empty())
        return false;
    const std::size_t first = prompt.find('\n');
    if (first == std::string::npos)
        return false;
    const std::size_t second = prompt.find('\n', first + 1);
    tip = prompt.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    return true;
}

void CMainFrame::OnMenuHighlight(wxMenuEvent& event)
{
    // The prompt string table of the current language wins; the menu's own help text otherwise.
    std::string prompt = LoadStringForLanguage(static_cast<unsigned>(event.GetMenuId()), LanguageToLangId());
    if (prompt.empty())
    {
        if (wxMenuItem* item = GetMenuBar() ? GetMenuBar()->FindItem(event.GetMenuId()) : nullptr)
            prompt = item->GetHelp().utf8_string();
    }
    SetStatusText(wxString::FromUTF8(MessageFromPrompt(prompt)), 0);
}

void CMainFrame::StartPresetTimer(int id, int milliseconds)
{
    if (id == kTimerPresetsSecondPhase)
        m_presetsTimer.StartOnce(milliseconds);
    else if (id == kTimerResetMeasurements)
        m_resetTimer.StartOnce(milliseconds);
}

void CMainFrame::OnTimer(wxTimerEvent& event)
{
    // One-shot: each timer is stopped before its command is posted.
    int commandId = 0;
    if (event.GetId() == kTimerPresetsSecondPhase)
    {
        m_presetsTimer.Stop();
        commandId = command_id::kPresetsSecondPhase;
    }
    else if (event.GetId() == kTimerResetMeasurements)
    {
        m_resetTimer.Stop();
        commandId = command_id::kResetAllMeasurements;
    }
    if (commandId != 0)
    {
        wxCommandEvent command(wxEVT_MENU, command_id::WxCommandId(commandId));
        command.SetEventObject(this);
        wxPostEvent(this, command);
    }
}

void CMainFrame::OnWindowNew(wxCommandEvent&)
{
    MdiChildFrame* active = m_pContainer->GetActiveChild();
    if (!active)
    {
        m_app.DoMessageBox("Failed to create empty document.", wxOK);
        return;
    }
    auto* frame = new CChildFrame(this, active->GetTitle() + ":2");
    frame->Show();
}

void CMainFrame::OnSize(wxSizeEvent& event)
{
    event.Skip();
    CallAfter([this] { FitCombosToPanes(); });
}

void CMainFrame::OnSelchangeWeighting()
{
    const int selection = m_pWeightingCombo->GetSelection();
    CSoundIn* engine = m_app.m_pEngine;
    if (selection == wxNOT_FOUND || !engine || selection == engine->m_nWeightingType)
        return;
    const bool wasOpen = engine->GetState() != CSoundIn::kStateStopped;
    if (wasOpen)
        engine->StopInput();
    engine->m_nWeightingType = selection;
    if (wasOpen && engine->OpenInput() == 0)
    {
        engine->RestartInput();
        engine->m_bDisplayRestartRequest.store(1);
        engine->m_bProcessingEnabled.store(1);
    }
}

void CMainFrame::OnSelchangeFftSize()
{
    const int selection = m_pFftSizeCombo->GetSelection();
    CSoundIn* engine = m_app.m_pEngine;
    if (selection == wxNOT_FOUND || !engine)
        return;
    long size = 0;
    if (!m_pFftSizeCombo->GetString(selection).ToLong(&size) || size == engine->m_nFftSize)
        return;
    const bool wasOpen = engine->GetState() != CSoundIn::kStateStopped;
    if (wasOpen)
        engine->StopInput();
    engine->SetFftSize(static_cast<int>(size));
    if (wasOpen && engine->OpenInput() == 0)
    {
        engine->RestartInput();
        engine->m_bDisplayRestartRequest.store(1);
        engine->m_bProcessingEnabled.store(1);
    }
}

void CMainFrame::OnClose(wxCloseEvent& event)
{
    // The workspace is saved while its windows still hold their settings.
    m_app.SaveWorkspaceOnClose();
    m_app.Trace("main window closed");
    event.Skip();
}

bool CMainFrame::SaveScreenshot(const std::string& path)
{
    const wxImage picture = platform::ui::CaptureScreen(GetScreenRect());
    return picture.IsOk() && picture.SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG);
}

CSndViewWindow* CMainFrame::GetActiveViewWindow() const
{
    MdiChildFrame* active = m_pContainer ? m_pContainer->GetActiveChild() : nullptr;
    auto* child = dynamic_cast<CChildFrame*>(active);
    return child ? child->GetViewWindow() : nullptr;
}

CSndView* CMainFrame::GetActiveView() const
{
    CSndViewWindow* window = GetActiveViewWindow();
    return window ? &window->GetView() : nullptr;
}

void CMainFrame::OnViewCommand(int commandId, wxCommandEvent& event)
{
    CSndView* view = GetActiveView();
    if (!view || !view->OnCommand(commandId))
        event.Skip();
}

void CMainFrame::OnUpdateViewCommand(int commandId, wxUpdateUIEvent& event)
{
    CSndView* view = GetActiveView();
    event.Enable(!view || view->IsCommandEnabled(commandId));
    if (event.IsCheckable())
        event.Check(view && view->IsCommandChecked(commandId));
}

bool CMainFrame::HasStatusBar() const
{
    return GetStatusBar() != nullptr;
}

void CMainFrame::SetStatusPaneText(int pane, const std::string& text)
{
    if (wxStatusBar* bar = GetStatusBar(); bar && pane >= 0 && pane < bar->GetFieldsCount())
        bar->SetStatusText(wxString::FromUTF8(text), pane);
}

void CMainFrame::SelectFftSizeEntry(int index)
{
    if (m_pFftSizeCombo && index >= 0 && index < static_cast<int>(m_pFftSizeCombo->GetCount()))
        m_pFftSizeCombo->SetSelection(index);
}

void CMainFrame::SelectWeightingEntry(int index)
{
    if (m_pWeightingCombo && index >= 0 && index < static_cast<int>(m_pWeightingCombo->GetCount()))
        m_pWeightingCombo->SetSelection(index);
}

void CMainFrame::RemoveMenu()
{
    if (GetMenuBar())
        SetMenuBar(nullptr);
}

void CMainFrame::ShowMessage(const std::string& text)
{
    m_app.DoMessageBox(text, wxOK | wxICON_EXCLAMATION);
}
