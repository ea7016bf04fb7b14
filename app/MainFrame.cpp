#include "app/MainFrame.h"

#include "app/AnalyzerApp.h"
#include "app/ChildFrame.h"
#include "app/CommandIcons.h"
#include "app/CommandTable.h"
#include "app/GeneratorPanels.h"
#include "app/QuickStartDlg.h"
#include "app/SndDoc.h"
#include "common/controls/BarComboBox.h"
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
#include <limits>

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
constexpr long kToolbarStyle = wxTB_HORIZONTAL | wxTB_FLAT | wxTB_NODIVIDER;
constexpr int kOctaveListWidth = 70;
constexpr int kOctaveListDropHeight = 200;
constexpr int kLargeButton = 32;

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
    // The panels go with the frame's windows; the engine (while it is still there) stops reaching
    // them now.
    if (m_pGeneratorPanels && m_app.m_pEngine)
        m_pGeneratorPanels->Detach();
    m_pGeneratorPanels.reset();
    if (m_app.m_pMainWnd == this)
        m_app.m_pMainWnd = nullptr;
}

CGeneratorPanels* CMainFrame::GetGeneratorPanels()
{
    if (!m_pGeneratorPanels && m_app.m_pEngine)
        m_pGeneratorPanels = std::make_unique<CGeneratorPanels>(this, *m_app.m_pEngine);
    return m_pGeneratorPanels.get();
}

const std::array<const char*, CMainFrame::kToolbarCount>& CMainFrame::GetToolbarNames()
{
    return kToolbarNames;
}

bool CMainFrame::OnCreate()
{
    // The quick-start panel, hidden until command 33095 brings it up; at its stored place.
    m_pPanel = new CQuickStartDlg(this, m_app);
    if (m_app.m_PresetsPanelPos[0] >= 0)
        m_pPanel->Move(m_app.m_PresetsPanelPos[0], m_app.m_PresetsPanelPos[1]);
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
    Bind(wxEVT_MENU_HIGHLIGHT, &CMainFrame::OnMenuHighlight, this);
    // Every command of the table that has its handler.
    int firstId = std::numeric_limits<int>::max();
    int lastId = std::numeric_limits<int>::min();
    for (const CommandEntry& entry : GetCommandTable())
    {
        if (!entry.handler)
            continue;
        const int wxId = command_id::WxCommandId(entry.id);
        m_commandRows.try_emplace(wxId, &entry);
        firstId = std::min(firstId, wxId);
        lastId = std::max(lastId, wxId);
    }
    if (!m_commandRows.empty())
    {
        Bind(wxEVT_MENU, &CMainFrame::OnTableCommand, this, firstId, lastId);
        Bind(wxEVT_UPDATE_UI, &CMainFrame::OnTableUpdate, this, firstId, lastId);
    }
    Bind(
        wxEVT_COMBOBOX, [this](wxCommandEvent&) { OnSelchangeWeighting(); },
        command_id::WxCommandId(command_id::kStatusWeighting));
    Bind(
        wxEVT_COMBOBOX, [this](wxCommandEvent&) { OnSelchangeFftSize(); },
        command_id::WxCommandId(command_id::kStatusFftSize));
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
    if (m_app.m_pDocument)
    {
        m_app.ConnectDocument();
        m_app.m_pDocument->EnsureViewCount(static_cast<int>(paths.size()), true);
    }
    else
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
    std::vector<CSndView*> loaders(paths.size(), nullptr);
    for (std::size_t i = 0; i < paths.size(); ++i)
    {
        targets[i]->SetTitle(wxString::FromUTF8(std::filesystem::path(paths[i]).stem().string()));
        m_app.Trace("dropped " + paths[i]);
        if (auto* child = dynamic_cast<CChildFrame*>(targets[i]); child && child->GetViewWindow())
            loaders[i] = &child->GetViewWindow()->GetView();
    }
    if (m_app.m_pEngine)
        m_app.m_pEngine->m_bProcessingEnabled.store(1);
    // Each window takes its file as its impulse response.
    for (std::size_t i = 0; i < paths.size(); ++i)
        if (loaders[i])
            loaders[i]->LoadImpulseFile(paths[i]);
    m_pContainer->Tile();
    return true;
}

void CMainFrame::CreateMenuBar()
{
    const auto order = GetMenuOrder();
    std::vector<wxMenu*> menus(order.size(), nullptr);
    // The rows' own items, then the items placed apart from their rows, for the current language.
    const int language = GetLanguage();
    std::vector<std::pair<const CommandEntry*, const char*>> items;
    for (const CommandEntry& entry : GetCommandTable())
        items.emplace_back(&entry, entry.menuPath);
    for (const MenuPlacement& placement : GetMenuPlacements())
    {
        const CommandEntry* entry = FindCommand(placement.id);
        if (entry && GetMenuPath(*entry, language) == placement.path)
            items.emplace_back(entry, placement.path);
    }
    for (const auto& [row, menuPath] : items)
    {
        const CommandEntry& entry = *row;
        if (!entry.handler || !menuPath)
            continue;
        const std::string path = menuPath;
        const std::size_t slash = path.find('/');
        const std::string title = path.substr(0, slash);
        const auto found =
            std::find_if(order.begin(), order.end(), [&](const char* t) { return title == t; });
        if (found == order.end() || slash == std::string::npos)
            continue;
        wxMenu*& menu = menus[static_cast<std::size_t>(found - order.begin())];
        if (!menu)
            menu = new wxMenu;
        std::string item = path.substr(slash + 1);
        wxMenu* target = menu;
        // "Generator/Link generators/Item": the item goes into nested submenus, made once each.
        for (std::size_t sub = item.find('/'); sub != std::string::npos && sub < item.find('\t');
             sub = item.find('/'))
        {
            const wxString label = wxString::FromUTF8(item.substr(0, sub));
            item.erase(0, sub + 1);
            wxMenu* child = nullptr;
            for (wxMenuItem* existing : target->GetMenuItems())
            {
                if (existing->IsSubMenu() && existing->GetItemLabel() == label)
                    child = existing->GetSubMenu();
            }
            if (!child)
            {
                child = new wxMenu;
                target->AppendSubMenu(child, label);
            }
            target = child;
        }
        if (!item.empty() && item.front() == '|')
        {
            item.erase(0, 1);
            if (target->GetMenuItemCount() > 0)
                target->AppendSeparator();
        }
        if (entry.textId != 0)
        {
            // The table text in the current language, with the path's accelerator.
            const std::size_t tab = item.find('\t');
            item = GetText(entry.textId) + (tab == std::string::npos ? std::string() : item.substr(tab));
        }
        target->Append(command_id::WxCommandId(entry.id), wxString::FromUTF8(item), wxEmptyString,
                       entry.kind == CommandKind::kCheck ? wxITEM_CHECK : wxITEM_NORMAL);
    }
    auto* bar = new wxMenuBar;
    for (std::size_t i = 0; i < order.size(); ++i)
    {
        if (menus[i])
            bar->Append(menus[i], order[i]);
    }
    TranslateMenu(bar, GetLanguage());
    m_app.UpdatePresetsMenu(false, bar);
    SetMenuBar(bar);
}

void CMainFrame::RebuildMenuBar()
{
    // Not inside the menu's own event: the old bar goes once the event is done.
    CallAfter(
        [this]
        {
            wxMenuBar* old = GetMenuBar();
            if (!old)
                return;
            CreateMenuBar();
            delete old;
        });
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
    const int weightingId = command_id::WxCommandId(command_id::kStatusWeighting);
    const int fftId = command_id::WxCommandId(command_id::kStatusFftSize);
    // The two lists sit over the panes that carry their ids.
    std::vector<int> paneIds(kStatusPaneCount, 0);
    paneIds[kFftPane] = fftId;
    paneIds[kWeightingPane] = weightingId;
    SetStatusPaneIds(*bar, paneIds);
    const auto makeList = [bar](int id)
    {
        auto* list = new CBarComboBox;
        if (!list->CreateInStatusBar(bar, id))
        {
            delete list;
            return static_cast<CBarComboBox*>(nullptr);
        }
        return list;
    };
    if (!m_pWeightingCombo && (m_pWeightingCombo = makeList(weightingId)) != nullptr)
    {
        for (int code = 0; code < kWeightingCount; ++code)
            m_pWeightingCombo->Append(wxString::FromUTF8(GetWeightingName(code)));
    }
    if (!m_pFftSizeCombo && (m_pFftSizeCombo = makeList(fftId)) != nullptr)
    {
        for (int size = kFftSizeFirst; size <= kFftSizeLast; size *= 2)
            m_pFftSizeCombo->Append(wxString::Format("%i", size));
    }
    if (!m_pWeightingCombo || !m_pFftSizeCombo)
        return;
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
    FitToStatusPane(m_pWeightingCombo);
    FitToStatusPane(m_pFftSizeCombo);
}

wxToolBar* CMainFrame::MakeToolbar(std::uint32_t bit, int size, wxToolBar* bar)
{
    if (!bar)
        bar = new wxToolBar(m_pDockTop, wxID_ANY, wxDefaultPosition, wxDefaultSize, kToolbarStyle);
    bar->SetToolBitmapSize(wxSize(size, size));
    // The large main toolbar keeps every button; a button without its handler shows disabled.
    const bool keepsLayout = bit == toolbar_bit::kMainLarge;
    const bool german = GetLanguage() == LANGUAGE_GERMAN;
    for (const CommandEntry& entry : GetCommandTable())
    {
        std::uint32_t bars = entry.toolbars;
        if (german && (bars & toolbar_bit::kMainGerman))
            bars |= toolbar_bit::kMain;
        if (!(bars & bit) || !entry.icon || (!entry.handler && !keepsLayout))
            continue;
        if ((entry.toolbars & toolbar_bit::kGapBefore) && bar->GetToolsCount() > 0)
            bar->AddSeparator();
        const wxString tip = wxString::FromUTF8(GetCommandToolTip(entry));
        const int wxId = command_id::WxCommandId(entry.id);
        bar->AddTool(wxId, tip, LoadCommandIcon(entry.icon, size), tip,
                     entry.kind == CommandKind::kCheck ? wxITEM_CHECK : wxITEM_NORMAL);
        if (!entry.handler)
            bar->EnableTool(wxId, false);
    }
    return bar;
}

bool CMainFrame::CreateToolbars()
{
    const bool large = m_app.m_nGuiMode == 1;
    m_pMainBar = MakeToolbar(large ? toolbar_bit::kMainLarge : toolbar_bit::kMain,
                             large ? kLargeButton : kSmallButton);
    m_pImpulseBar = MakeToolbar(toolbar_bit::kImpulse, kSmallButton);
    m_pOverlayBar = MakeToolbar(toolbar_bit::kOverlay, kSmallButton);
    m_pLoggerBar = MakeToolbar(toolbar_bit::kLogger, large ? kLargeButton : kSmallButton);
    m_pChannelBar = MakeToolbar(toolbar_bit::kChannel, kSmallButton);
    m_pStipaBar = MakeToolbar(toolbar_bit::kStipa, kSmallButton);
    auto* optionsBar = new CComboToolBar(m_pDockTop, wxID_ANY, kToolbarStyle);
    m_pOptionsBar = MakeToolbar(toolbar_bit::kOptions, kSmallButton, optionsBar);
    // The octave-fraction list goes first on the options toolbar; its selections set the active
    // measurement window's smoothing.
    m_pOctaveCombo = optionsBar->AddComboBox(1, 0, command_id::WxCommandId(command_id::kOctaveFraction),
                                             kOctaveListWidth, kOctaveListDropHeight);
    if (!m_pOctaveCombo)
        return false;
    optionsBar->m_nViewMessage = kMsgSmoothingSelected;
    optionsBar->SetTarget(
        [this](unsigned, CHistoryComboBox&)
        {
            if (!GetActiveView())
                return false;
            OnSelchangeSmoothing();
            return true;
        });
    for (std::size_t i = 0; i < kOctaveFractionTexts.size(); ++i)
    {
        std::string text = kOctaveFractionTexts[i];
        if (i == 0)
            text = GetText(kTextOff);
        else if (i + 1 == kOctaveFractionTexts.size())
            text = GetText(kTextOther);
        m_pOctaveCombo->AddToHistory(text);
    }
    m_pOctaveCombo->SetSelection(1);

    for (wxToolBar* bar :
         {m_pMainBar, m_pImpulseBar, m_pOverlayBar, m_pLoggerBar, m_pChannelBar, m_pStipaBar, m_pOptionsBar})
    {
        // The toolkit reports an empty toolbar as not realised; that is no failure.
        if (!bar || (!bar->Realize() && bar->GetToolsCount() > 0))
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

bool CMainFrame::HasCommandButtons(wxToolBar* bar)
{
    for (std::size_t i = 0; i < bar->GetToolsCount(); ++i)
    {
        const wxToolBarToolBase* tool = bar->GetToolByPos(static_cast<int>(i));
        if (tool && tool->IsButton())
            return true;
    }
    return false;
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
    // A toolbar none of whose commands has its handler yet stays out of sight.
    for (wxToolBar* bar :
         {m_pMainBar, m_pImpulseBar, m_pOverlayBar, m_pLoggerBar, m_pChannelBar, m_pStipaBar, m_pOptionsBar})
    {
        if (!HasCommandButtons(bar))
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

void CMainFrame::OnTableCommand(wxCommandEvent& event)
{
    if (const auto found = m_commandRows.find(event.GetId()); found != m_commandRows.end())
        RunCommand(*found->second);
    else
        event.Skip();
}

void CMainFrame::OnTableUpdate(wxUpdateUIEvent& event)
{
    const auto found = m_commandRows.find(event.GetId());
    if (found != m_commandRows.end() && found->second->update)
        found->second->update(*this, found->second->id, event);
    else
        event.Skip();
}

void CMainFrame::OnMenuHighlight(wxMenuEvent& event)
{
    // The prompt string table of the current language wins; the menu's own help text otherwise.
    const CommandEntry* entry = nullptr;
    for (const CommandEntry& row : GetCommandTable())
    {
        if (command_id::WxCommandId(row.id) == event.GetMenuId())
            entry = &row;
    }
    std::string prompt;
    for (const std::uint16_t langId : {LanguageToLangId(), LANGID_ENGLISH_US})
    {
        if (entry && prompt.empty())
            prompt = LoadStringForLanguage(static_cast<unsigned>(entry->id), langId);
    }
    SetStatusText(wxString::FromUTF8(MessageFromPrompt(prompt)), 0);
}

bool CMainFrame::StartPresetTimer(int id, int milliseconds)
{
    if (id != kTimerPresetsSecondPhase && id != kTimerResetMeasurements)
        return false;
    if (m_fnStartTimer)
        return m_fnStartTimer(id, milliseconds);
    return (id == kTimerPresetsSecondPhase ? m_presetsTimer : m_resetTimer).StartOnce(milliseconds);
}

void CMainFrame::OnTimer(wxTimerEvent& event)
{
    OnTimerFired(event.GetId());
}

void CMainFrame::OnTimerFired(int id)
{
    // One-shot: each timer is stopped before its command is posted.
    int commandId = 0;
    if (id == kTimerPresetsSecondPhase)
    {
        m_presetsTimer.Stop();
        commandId = command_id::kPresetsSecondPhase;
    }
    else if (id == kTimerResetMeasurements)
    {
        m_resetTimer.Stop();
        commandId = command_id::kResetAllMeasurements;
    }
    if (commandId != 0)
        PostCommand(commandId);
}

void CMainFrame::OnSize(wxSizeEvent& event)
{
    event.Skip();
    CallAfter([this] { FitCombosToPanes(); });
}

int CMainFrame::GetSmoothingEntry() const
{
    return m_pOctaveCombo ? m_pOctaveCombo->GetSelection() : -1;
}

void CMainFrame::SelectSmoothingEntry(int index)
{
    if (m_pOctaveCombo && index >= 0 && index < static_cast<int>(m_pOctaveCombo->GetCount()))
        m_pOctaveCombo->SetSelection(index);
}

void CMainFrame::OnSelchangeSmoothing()
{
    CSndView* view = GetActiveView();
    const int selection = m_pOctaveCombo->GetSelection();
    if (!view || selection == wxNOT_FOUND)
        return;
    std::vector<std::string> names;
    for (unsigned i = 0; i < m_pOctaveCombo->GetCount(); ++i)
        names.push_back(m_pOctaveCombo->GetString(i).utf8_string());
    view->OnSmoothingSelected(names[static_cast<std::size_t>(selection)], names);
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
    // A closed workspace leaves the generators (and a running generator program's) at rest.
    if (CSoundIn* engine = m_app.m_pEngine)
        engine->ResetGenerators();
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

bool CMainFrame::AskYesNo(const std::string& text)
{
    return m_app.DoMessageBox(text, wxYES_NO | wxICON_QUESTION) == wxID_YES;
}

void CMainFrame::PostCommand(int id)
{
    // Command ids above the toolkit's range arrive folded, as the menus and toolbars send them.
    wxCommandEvent event(wxEVT_MENU, command_id::WxCommandId(id));
    event.SetEventObject(this);
    wxQueueEvent(this, event.Clone());
}

void CMainFrame::RebuildOverlayMenu(const std::vector<OverlayMenuEntry>& entries)
{
    wxMenuBar* bar = GetMenuBar();
    if (!bar)
        return;
    // The submenu whose first item is "Set as Overlay".
    wxMenu* submenu = nullptr;
    wxMenuItem* first = bar->FindItem(command_id::WxCommandId(view_command::kSetAsOverlay), &submenu);
    if (!first || !submenu || submenu->FindItemByPosition(0) != first)
        return;
    while (submenu->GetMenuItemCount() > 0)
        submenu->Destroy(submenu->FindItemByPosition(0));
    for (const OverlayMenuEntry& entry : entries)
    {
        if (entry.m_nCommand == 0)
        {
            submenu->AppendSeparator();
            continue;
        }
        // Only commands of the table have handlers; anything else stays out.
        const CommandEntry* command = FindCommand(entry.m_nCommand);
        if (!command || !command->handler)
            continue;
        // An overlay without a name keeps the table's caption ("Overlay 3").
        std::string text = entry.m_strText;
        if (text.empty() && command->menuPath)
        {
            text = command->menuPath;
            text.erase(0, text.find_last_of('/') + 1);
            if (!text.empty() && text.front() == '|')
                text.erase(0, 1);
        }
        submenu->Append(command_id::WxCommandId(entry.m_nCommand), wxString::FromUTF8(text), wxEmptyString,
                        command->kind == CommandKind::kCheck ? wxITEM_CHECK : wxITEM_NORMAL);
    }
}

bool CMainFrame::GetMainWindowRect(PlotRect& rect) const
{
    const wxRect r = GetScreenRect();
    rect = PlotRect{r.x, r.y, r.x + r.width, r.y + r.height};
    return true;
}

void CMainFrame::MoveMainWindow(const PlotRect& rect)
{
    SetSize(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

void CMainFrame::GetDesktopSize(int& width, int& height) const
{
    wxDisplaySize(&width, &height);
}

std::string CMainFrame::GetDataFolder(int id) const
{
    const CAnalyzerApp* app = CAnalyzerApp::Get();
    return app ? app->m_DataFolders.GetPath(id) : std::string();
}

std::vector<std::pair<std::string, PlotRect>> CMainFrame::GetToolbarRects() const
{
    std::vector<std::pair<std::string, PlotRect>> rects;
    for (wxToolBar* bar : m_ToolbarTable)
    {
        if (!bar)
            continue;
        const wxRect r = bar->GetScreenRect();
        rects.emplace_back(bar->GetName().utf8_string(), PlotRect{r.x, r.y, r.x + r.width, r.y + r.height});
    }
    return rects;
}

void CMainFrame::RunCommand(const CommandEntry& entry)
{
    ++m_nCommandsRun;
    m_nLastCommand = entry.id;
    // No failure of a command reaches the toolkit: the user reads it and the program goes on.
    try
    {
        entry.handler(*this, entry.id);
    }
    catch (const std::exception& error)
    {
        ++m_nFailedCommands;
        m_app.DoMessageBox(error.what(), wxOK | wxICON_EXCLAMATION);
    }
}

void CMainFrame::ShowMainToolbar(bool show)
{
    ShowToolbar(m_pMainBar, show);
}

void CMainFrame::ShowToolbar(wxToolBar* bar, bool show)
{
    if (!bar)
        return;
    m_pDockTop->GetSizer()->Show(bar, show);
    m_pDockTop->Layout();
    Layout();
}

wxToolBar* CMainFrame::FindToolbar(const std::string& name) const
{
    for (std::size_t i = 0; i < kToolbarNames.size(); ++i)
    {
        if (name == kToolbarNames[i])
            return m_ToolbarTable[i];
    }
    return nullptr;
}

std::string CMainFrame::GetCommandToolTip(const CommandEntry& entry)
{
    // The current language's prompt, else the English one.
    std::string tip;
    for (const std::uint16_t langId : {LanguageToLangId(), LANGID_ENGLISH_US})
    {
        if (ToolTipFromPrompt(LoadStringForLanguage(static_cast<unsigned>(entry.id), langId), tip) &&
            !tip.empty())
            return tip;
    }
    if (entry.textId != 0)
        return GetText(entry.textId);
    if (entry.menuPath)
    {
        std::string path = entry.menuPath;
        return NormalizeMenuCaption(path.substr(path.find('/') + 1));
    }
    return entry.icon ? entry.icon : "";
}
