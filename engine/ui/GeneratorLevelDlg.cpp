#include "engine/ui/GeneratorLevelDlg.h"

#include "common/controls/OwnerDrawButton.h"
#include "engine/GeneratorMatrix.h"
#include "engine/ui/GeneratorToolRules.h"
#include "platform/NumberFormat.h"
#include "platform/ui/MessageBoxService.h"
#include "texts/TextTable.h"

#include <algorithm>
#include <cstdlib>

#include <cmath>
#include <utility>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace
{

constexpr int kRowTop = 50;
constexpr int kRowStep = 22;
constexpr int kRowHeight = 18;
constexpr int kWidth = 560;
constexpr gfx::Color kGreen = 0x008000;
constexpr gfx::Color kRed = 0x0000FF;

wxString Text(int id)
{
    return wxString::FromUTF8(GetText(id));
}

gfx::Color ToColor(const wxColour& colour)
{
    return static_cast<gfx::Color>(colour.Red() | (colour.Green() << 8) | (colour.Blue() << 16));
}

}  // namespace

CGeneratorLevelDlg::CGeneratorLevelDlg(wxWindow* parent, CGeneratorMatrix& engine)
    : wxDialog(parent, wxID_ANY, Text(1000026), wxDefaultPosition, wxDefaultSize, wxCAPTION | wxCLOSE_BOX),
      m_engine(engine),
      m_timer(this)
{
    m_settings.Copy(engine.m_settings);
    new wxStaticText(this, 696, Text(1000033), wxPoint(10, 10));
    new wxStaticText(this, 697, Text(1000141), wxPoint(10, 28));
    new wxStaticText(this, wxID_ANY, "RMS V", wxPoint(150, 28));
    new wxStaticText(this, wxID_ANY, "RMS dB", wxPoint(230, 28));
    wxArrayString units;
    for (const char* unit : generator_tools::kLevelUnits)
        units.Add(unit);
    m_pUnit = new wxChoice(this, kUnitId, wxPoint(70, 4), wxSize(70, -1), units);
    m_pUnit->SetSelection(m_nUnit);
    m_pUnit->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { m_nUnit = m_pUnit->GetSelection(); });
    const struct
    {
        int id;
        wxString caption;
        int x;
    } buttons[] = {{kResetAllId, Text(1000152), 170},
                   {kAllOffId, Text(1000167), 264},
                   {kStereoId, "Stereo", 358},
                   {kFiveGeneratorsId, "5 Generators", 452}};
    for (const auto& b : buttons)
        new wxButton(this, b.id, b.caption, wxPoint(b.x, 4), wxSize(90, 22));
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { ResetAll(); }, kResetAllId);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { AllOffOn(); }, kAllOffId);
    Bind(
        wxEVT_BUTTON,
        [this](wxCommandEvent&)
        {
            m_settings.ApplyPreset(CGeneratorMatrix_settings::Preset::Stereo);
            Refresh();
        },
        kStereoId);
    Bind(
        wxEVT_BUTTON,
        [this](wxCommandEvent&)
        {
            m_settings.ApplyPreset(CGeneratorMatrix_settings::Preset::Generators5);
            Refresh();
        },
        kFiveGeneratorsId);

    const int rows = std::min(m_settings.Count(), generator_tools::kMaxMatrixRows);
    const gfx::Color background = ToColor(GetBackgroundColour());
    for (int i = 0; i < rows; ++i)
    {
        const int y = kRowTop + kRowStep * i;
        const wxString number = wxString::Format("%i", i + 1);
        Row row;
        row.active = new wxCheckBox(this, kFirstActiveId + i, number, wxPoint(10, y), wxSize(50, kRowHeight));
        row.value = new wxTextCtrl(this, wxID_ANY, "", wxPoint(62, y), wxSize(80, kRowHeight));
        row.volts = new wxStaticText(this, wxID_ANY, "0.707", wxPoint(150, y), wxSize(76, kRowHeight));
        row.db = new wxStaticText(this, wxID_ANY, "0.01", wxPoint(230, y), wxSize(90, kRowHeight));
        new wxButton(this, kFirstSetId + i, "S" + number, wxPoint(330, y), wxSize(56, kRowHeight));
        new wxButton(this, kFirstResetId + i, "R" + number, wxPoint(390, y), wxSize(56, kRowHeight));
        row.calibrate = new COwnerDrawButton;
        row.calibrate->Create(this, kFirstCalibrateId + i, "C" + number, wxPoint(450, y),
                              wxSize(56, kRowHeight));
        // Enabled once the opener gives the window its electrical calibration.
        row.calibrate->Enable(false);
        row.calibrate->SetColors(kRed, background);
        m_rows.push_back(row);
        row.active->Bind(wxEVT_CHECKBOX, [this, i](wxCommandEvent&) { ToggleActive(i); });
        Bind(
            wxEVT_BUTTON, [this, i](wxCommandEvent&) { Set(i); }, kFirstSetId + i);
        Bind(
            wxEVT_BUTTON, [this, i](wxCommandEvent&) { ResetChannel(i); }, kFirstResetId + i);
        Bind(
            wxEVT_BUTTON, [this, i](wxCommandEvent&) { Calibrate(i); }, kFirstCalibrateId + i);
    }
    SetClientSize(kWidth, rows * 25 + 85);
    // Enter stores the switches and closes the window.
    Bind(wxEVT_CHAR_HOOK,
         [this](wxKeyEvent& e)
         {
             if (e.GetKeyCode() == WXK_RETURN || e.GetKeyCode() == WXK_NUMPAD_ENTER)
             {
                 for (int i = 0; i < GetRowCount(); ++i)
                     m_settings.m_channel[static_cast<std::size_t>(i)].m_active =
                         m_rows[static_cast<std::size_t>(i)].active->GetValue() ? 1 : 0;
                 Hide();
                 return;
             }
             e.Skip();
         });
    Bind(wxEVT_CLOSE_WINDOW, &CGeneratorLevelDlg::OnClose, this);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { UpdateReadouts(); });
    Refresh();
    if (!m_timer.Start(kTimerMs))
        platform::ui::ShowMessageBox("Not enough timers available for this window.", "Tessarin",
                                     wxOK | wxICON_EXCLAMATION, this);
}

CGeneratorLevelDlg::~CGeneratorLevelDlg()
{
    m_timer.Stop();
}

void CGeneratorLevelDlg::OnClose(wxCloseEvent& event)
{
    if (event.CanVeto())
    {
        event.Veto();
        Hide();
        return;
    }
    event.Skip();
}

void CGeneratorLevelDlg::SetCalibrateChannel(CalibrateChannel calibrate)
{
    m_calibrate = std::move(calibrate);
    for (Row& row : m_rows)
        row.calibrate->Enable(static_cast<bool>(m_calibrate));
}

void CGeneratorLevelDlg::Calibrate(int row)
{
    if (!m_calibrate || row < 0 || row >= GetRowCount())
        return;
    CGenerator_channel_settings& engine = m_engine.m_settings.m_channel[static_cast<std::size_t>(row)];
    CGenerator_channel_settings& copy = m_settings.m_channel[static_cast<std::size_t>(row)];
    const std::int32_t wasCalibrated = engine.m_calibrated;
    ChannelCalibration calibration;
    calibration.calibrated = engine.m_calibrated;
    calibration.target = engine.m_calibrated_target;
    calibration.reference = engine.m_calibration_reference;
    // The readings are taken from the plain output while the dialog is open.
    engine.m_calibrated = 0;
    if (m_calibrate(row, calibration) && std::isfinite(calibration.factor) && calibration.factor > 0.0)
    {
        engine.m_calibration_factor = calibration.factor;
        copy.m_calibration_factor = calibration.factor;
        engine.m_calibrated = calibration.calibrated;
        copy.m_calibrated = calibration.calibrated;
        engine.m_calibration_reference = calibration.reference;
        copy.m_calibration_reference = calibration.reference;
        engine.m_calibrated_target = 1.0 / calibration.factor;
    }
    else
    {
        engine.m_calibrated = wasCalibrated;
    }
    Refresh();
}

void CGeneratorLevelDlg::CopyFromEngine()
{
    m_settings.Copy(m_engine.m_settings);
    Refresh();
}

void CGeneratorLevelDlg::Refresh()
{
    const gfx::Color background = ToColor(GetBackgroundColour());
    for (int i = 0; i < GetRowCount(); ++i)
    {
        const CGenerator_channel_settings& c = m_settings.m_channel[static_cast<std::size_t>(i)];
        Row& row = m_rows[static_cast<std::size_t>(i)];
        row.active->SetValue(c.m_active != 0);
        row.value->ChangeValue(wxString::FromUTF8(platform::FormatC("%3.2f", c.m_scale_db)));
        row.calibrate->SetColors(c.m_calibrated != 0 ? kGreen : kRed, background);
    }
}

void CGeneratorLevelDlg::CopyActiveToEngine()
{
    for (int i = 0; i < GetRowCount(); ++i)
        m_engine.m_settings.m_channel[static_cast<std::size_t>(i)].m_active =
            m_settings.m_channel[static_cast<std::size_t>(i)].m_active;
}

void CGeneratorLevelDlg::ToggleActive(int row)
{
    if (row < 0 || row >= GetRowCount())
        return;
    m_settings.m_channel[static_cast<std::size_t>(row)].m_active =
        m_rows[static_cast<std::size_t>(row)].active->GetValue() ? 1 : 0;
    CopyActiveToEngine();
}

void CGeneratorLevelDlg::Set(int row)
{
    if (row < 0 || row >= GetRowCount())
        return;
    Row& r = m_rows[static_cast<std::size_t>(row)];
    const std::string text = r.value->GetValue().utf8_string();
    // A text that is not a number reads as 0.
    const double value = std::strtod(text.c_str(), nullptr);
    switch (generator_tools::SetChannelLevel(m_engine, m_settings, row, value, m_nUnit, r.active->GetValue()))
    {
        case generator_tools::LevelSet::Corrected:
            break;
        case generator_tools::LevelSet::Deactivated:
            r.active->SetValue(false);
            break;
        case generator_tools::LevelSet::NotActive:
            platform::ui::ShowMessageBox(GetText(1000383), "Tessarin", wxOK | wxICON_EXCLAMATION, this);
            break;
        case generator_tools::LevelSet::Silent:
            platform::ui::ShowMessageBox(
                "This channel has no output to measure: start the generators first. "
                "The channel is unchanged.",
                "Tessarin", wxOK | wxICON_EXCLAMATION, this);
            break;
    }
}

void CGeneratorLevelDlg::ResetChannel(int row)
{
    if (row < 0 || row >= GetRowCount())
        return;
    m_engine.m_settings.m_channel[static_cast<std::size_t>(row)].ResetCalibration();
    m_settings.m_channel[static_cast<std::size_t>(row)].ResetCalibration();
    Refresh();
}

void CGeneratorLevelDlg::ResetAll()
{
    m_engine.m_settings.ResetCalibration();
    m_settings.ResetCalibration();
    Refresh();
}

void CGeneratorLevelDlg::AllOffOn()
{
    bool any = false;
    for (int i = 0; i < GetRowCount(); ++i)
        any = any || m_settings.m_channel[static_cast<std::size_t>(i)].m_active != 0;
    for (int i = 0; i < GetRowCount(); ++i)
        m_settings.m_channel[static_cast<std::size_t>(i)].m_active = any ? 0 : 1;
    CopyActiveToEngine();
    Refresh();
}

void CGeneratorLevelDlg::UpdateReadouts()
{
    for (int i = 0; i < GetRowCount(); ++i)
    {
        Row& row = m_rows[static_cast<std::size_t>(i)];
        const auto texts =
            generator_tools::LevelReadouts(m_engine.GetOutputRmsCalibrated(i), row.active->GetValue());
        row.volts->SetLabel(wxString::FromUTF8(texts[0]));
        row.db->SetLabel(wxString::FromUTF8(texts[1]));
    }
}
