#include "applications/ui/SoundLevelStatisticsDlg.h"

#include <wx/button.h>

#include <wx/display.h>
#include <wx/stattext.h>
#include <cstdlib>

#include "common/NumberTexts.h"
#include "common/TextFormatting.h"
#include "common/controls/Clipboard.h"
#include "dsp/BandAnalyzer.h"
#include "engine/SoundIn.h"
#include "platform/NumberFormat.h"
#include "view/SndView.h"
#include "view/ui/DialogFields.h"
#include "view/ui/SndViewWindow.h"

namespace
{

constexpr int kFiguresMs = 500;
constexpr int kHistogramMs = 125;
constexpr double kBaseSize = 96.0;
// Pixels by which a client height may miss the scaled layout without a new scaling.
constexpr int kSizeTolerance = 4;

// The static labels of the template.
constexpr int kIdLabelLaeq = 2001;
constexpr int kIdLabelLceq = 2002;
constexpr int kIdLabelLafteq = 2003;
constexpr int kIdLabelLafmax = 2004;
constexpr int kIdLabelLcpeak = 2005;
constexpr int kIdLabelLa95 = 2006;
constexpr int kIdLabelTime = 2007;

struct Control
{
    int id;
    const char* text;
    bool button;
    DialogTemplateItem place;
};

// The layout in dialog units: two columns of label and level, the two differences across the
// window, the time, and the buttons at the bottom.
const Control kControls[] = {
    {kIdLabelLaeq, "LAeq", false, {kIdLabelLaeq, 6, 6, 34, 12}},
    {CSoundLevelStatisticsDlg::kIdLaeq, "72.0dB", false, {CSoundLevelStatisticsDlg::kIdLaeq, 40, 6, 56, 12}},
    {kIdLabelLceq, "LCeq", false, {kIdLabelLceq, 104, 6, 34, 12}},
    {CSoundLevelStatisticsDlg::kIdLceq, "84.0dB", false, {CSoundLevelStatisticsDlg::kIdLceq, 138, 6, 56, 12}},
    {CSoundLevelStatisticsDlg::kIdLceqMinusLaeq,
     "LCeq-LAeq: 12dB",
     false,
     {CSoundLevelStatisticsDlg::kIdLceqMinusLaeq, 6, 22, 188, 12}},
    {kIdLabelLafteq, "LAFteq", false, {kIdLabelLafteq, 6, 38, 34, 12}},
    {CSoundLevelStatisticsDlg::kIdLafteq,
     "85.3dB",
     false,
     {CSoundLevelStatisticsDlg::kIdLafteq, 40, 38, 56, 12}},
    {kIdLabelLafmax, "LAFmax", false, {kIdLabelLafmax, 104, 38, 34, 12}},
    {CSoundLevelStatisticsDlg::kIdLafmax,
     "85.3dB",
     false,
     {CSoundLevelStatisticsDlg::kIdLafmax, 138, 38, 56, 12}},
    {CSoundLevelStatisticsDlg::kIdLafteqMinusLaeq,
     "LAFteq-LAeq: 13.3dB",
     false,
     {CSoundLevelStatisticsDlg::kIdLafteqMinusLaeq, 6, 54, 188, 12}},
    {kIdLabelLcpeak, "LCpeak", false, {kIdLabelLcpeak, 6, 70, 34, 12}},
    {CSoundLevelStatisticsDlg::kIdLcpeak,
     "82.3dB",
     false,
     {CSoundLevelStatisticsDlg::kIdLcpeak, 40, 70, 56, 12}},
    {kIdLabelLa95, "LA95%", false, {kIdLabelLa95, 104, 70, 34, 12}},
    {CSoundLevelStatisticsDlg::kIdLa95,
     "70.2dB",
     false,
     {CSoundLevelStatisticsDlg::kIdLa95, 138, 70, 56, 12}},
    {kIdLabelTime, "Zeit", false, {kIdLabelTime, 6, 86, 34, 12}},
    {CSoundLevelStatisticsDlg::kIdTime, "13s", false, {CSoundLevelStatisticsDlg::kIdTime, 40, 86, 80, 12}},
    {CSoundLevelStatisticsDlg::kIdCopy, "->", true, {CSoundLevelStatisticsDlg::kIdCopy, 6, 104, 30, 14}},
    {CSoundLevelStatisticsDlg::kIdX1, "X1", true, {CSoundLevelStatisticsDlg::kIdX1, 104, 104, 28, 14}},
    {CSoundLevelStatisticsDlg::kIdX2, "X2", true, {CSoundLevelStatisticsDlg::kIdX2, 135, 104, 28, 14}},
    {CSoundLevelStatisticsDlg::kIdX4, "X4", true, {CSoundLevelStatisticsDlg::kIdX4, 166, 104, 28, 14}},
};

// The statistics window as a measurement window's owned window.
class COwnedStatistics : public COwnedWindow
{
public:
    explicit COwnedStatistics(CSoundLevelStatisticsDlg* dialog) : m_pDialog(dialog) {}
    ~COwnedStatistics() override { m_pDialog->Destroy(); }
    void ShowWindow(bool show) override
    {
        m_pDialog->Show(show);
        if (show)
            m_pDialog->Raise();
    }
    void ResetValues() override { m_pDialog->ResetHistogram(); }

private:
    CSoundLevelStatisticsDlg* m_pDialog;
};

}  // namespace

CSoundLevelStatisticsDlg::CSoundLevelStatisticsDlg(CSoundIn& engine, double exportInterval,
                                                   const std::string& exportFile)
    : wxDialog(nullptr, wxID_ANY, "Signal Statistik", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      m_engine(engine)
{
    m_statistics.m_exportInterval = exportInterval;
    m_statistics.m_exportFile = exportFile;
    m_template.pointSize = 12;
    m_template.weight = 700;
    m_template.face = "Sans";
    m_template.cx = 200;
    m_template.cy = 124;
    for (const Control& control : kControls)
    {
        if (control.button)
            new wxButton(this, control.id, control.text);
        else
            new wxStaticText(this, control.id, control.text);
        m_template.items.push_back(control.place);
    }
    dialog_fields::HideOnClose(this);
    ApplyScale(kBaseSize);
    m_baseClient = GetClientSize();

    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { CopyToClipboard(); }, kIdCopy);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { Zoom(1); }, kIdX1);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { Zoom(2); }, kIdX2);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { Zoom(4); }, kIdX4);
    Bind(wxEVT_SIZE, &CSoundLevelStatisticsDlg::OnSize, this);
    for (int id : {kTimerFigures, kTimerHistogram, kTimerExport})
    {
        wxTimer& timer = m_timers[static_cast<std::size_t>(id - 1)];
        timer.SetOwner(this, id);
        Bind(
            wxEVT_TIMER, [this, id](wxTimerEvent&) { OnTimer(id); }, id);
    }
    m_timers[0].Start(kFiguresMs);
    m_timers[1].Start(kHistogramMs);
    if (exportInterval > 0.0)
        m_timers[2].Start(static_cast<int>(exportInterval * 1000.0));
    ShowFigures();
}

CSoundLevelStatisticsDlg::~CSoundLevelStatisticsDlg()
{
    for (wxTimer& timer : m_timers)
        timer.Stop();
}

void CSoundLevelStatisticsDlg::OnTimer(int id)
{
    const CBandAnalyzer* analyzer = m_engine.GetBandAnalyzer(0);
    switch (id)
    {
        case kTimerHistogram:
            if (analyzer)
                m_statistics.AddFastLevel(analyzer->m_meters[2].m_levelFast);
            break;
        case kTimerFigures:
            m_statistics.Update(analyzer, analyzer && analyzer->m_logger && analyzer->m_logger->IsRunning());
            ShowFigures();
            break;
        case kTimerExport:
            m_statistics.Export(analyzer, m_statistics.m_exportFile);
            break;
        default:
            break;
    }
}

void CSoundLevelStatisticsDlg::ShowFigures()
{
    const auto set = [this](int id, const std::string& text)
    {
        if (wxWindow* control = FindWindow(id); control && control->GetLabel() != wxString::FromUTF8(text))
            control->SetLabel(wxString::FromUTF8(text));
    };
    const CSoundLevelStatistics& s = m_statistics;
    set(kIdLaeq, FormatDb(s.m_laeq));
    set(kIdLceq, FormatDb(s.m_lceq));
    set(kIdLceqMinusLaeq, "LCeq-LAeq: " + FormatDb(s.m_lceqMinusLaeq));
    set(kIdLafteq, FormatDb(s.m_lafteq));
    set(kIdLafteqMinusLaeq, "LAFteq-LAeq: " + FormatDb(s.m_lafteqMinusLaeq));
    set(kIdLcpeak, FormatDb(s.m_lcpeak));
    set(kIdLafmax, FormatDb(s.m_lafmax));
    set(kIdLa95, FormatDb(s.m_la95));
    set(kIdTime, FormatTimeSpan(s.m_seconds));
}

wxString CSoundLevelStatisticsDlg::GetControlText(int id) const
{
    const wxWindow* control = FindWindow(id);
    return control ? control->GetLabel() : wxString();
}

void CSoundLevelStatisticsDlg::CopyToClipboard()
{
    CopyTextToClipboard(m_statistics.ClipboardText());
}

void CSoundLevelStatisticsDlg::ApplyScale(double pixelsPerInch)
{
    m_bApplying = true;
    m_scaler.Apply(this, m_template, pixelsPerInch);
    m_bApplying = false;
}

void CSoundLevelStatisticsDlg::Zoom(int factor)
{
    const wxRect screen = wxDisplay(wxDisplay::GetFromWindow(this) == wxNOT_FOUND
                                        ? 0u
                                        : static_cast<unsigned>(wxDisplay::GetFromWindow(this)))
                              .GetClientArea();
    // The frame around the client area counts against the screen as well.
    const wxSize frame = GetSize() - GetClientSize();
    int width = 0;
    int height = 0;
    CSoundLevelStatistics::FitSize(m_baseClient.x, m_baseClient.y, factor, screen.width - frame.x,
                                   screen.height - frame.y, width, height);
    if (m_baseClient.y > 0)
        ApplyScale(kBaseSize * height / m_baseClient.y);
    // The font's steps may not meet the size exactly: the window keeps within the screen.
    const wxSize client = GetClientSize();
    if (client.x > screen.width - frame.x || client.y > screen.height - frame.y)
    {
        m_bApplying = true;
        SetClientSize(std::min(client.x, screen.width - frame.x),
                      std::min(client.y, screen.height - frame.y));
        m_bApplying = false;
    }
    CentreOnScreen();
    Show();
}

void CSoundLevelStatisticsDlg::OnSize(wxSizeEvent& event)
{
    event.Skip();
    if (m_bApplying || m_baseClient.y <= 0)
        return;
    // The toolkit reports the size a scaling asked for later on: only a size the user gave
    // scales again.
    const int height = GetClientSize().y;
    const int applied =
        DialogUnitsToPixels({0, 0, 0, m_template.cx, m_template.cy}, m_scaler.GetBaseX(), m_scaler.GetBaseY())
            .GetHeight();
    if (height > 0 && std::abs(height - applied) > kSizeTolerance)
        ApplyScale(kBaseSize * height / m_baseClient.y);
}

std::unique_ptr<COwnedWindow> CSoundLevelStatisticsDlg::CreateOwned(int kind, CSndView& view,
                                                                    double exportInterval,
                                                                    const std::string& exportFile)
{
    if (kind != CSndViewWindow::kAuxStatistics)
        return nullptr;
    return std::make_unique<COwnedStatistics>(
        new CSoundLevelStatisticsDlg(view.GetEngine(), exportInterval, exportFile));
}
