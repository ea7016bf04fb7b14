#include "engine/ui/GeneratorMatrixDlg.h"

#include "engine/ui/GeneratorToolRules.h"
#include "platform/NumberFormat.h"
#include "texts/TextTable.h"

#include <algorithm>
#include <cstdlib>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace
{

constexpr int kRowTop = 50;
constexpr int kRowStep = 22;
constexpr int kRowHeight = 18;
constexpr int kWidth = 660;

wxString Text(int id)
{
    return wxString::FromUTF8(GetText(id));
}

// A text that is not a number reads as 0.
double Number(const wxTextCtrl* edit)
{
    return std::strtod(edit->GetValue().utf8_string().c_str(), nullptr);
}

}  // namespace

CGeneratorMatrixDlg::CGeneratorMatrixDlg(wxWindow* parent, const CGeneratorMatrix_settings& settings)
    : wxDialog(parent, wxID_ANY, Text(1000285), wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE)
{
    m_settings.Copy(settings);
    // Column labels.
    new wxStaticText(this, 696, Text(1000033), wxPoint(10, 14));
    new wxStaticText(this, 697, Text(1000141), wxPoint(10, 30));
    new wxStaticText(this, 700, Text(1000032), wxPoint(66, 14));
    new wxStaticText(this, 701, Text(1000141), wxPoint(66, 30));
    new wxStaticText(this, 698, Text(1000169), wxPoint(126, 30));
    new wxStaticText(this, 702, "Name", wxPoint(196, 30));
    new wxStaticText(this, 699, wxString::FromUTF8(GetTextCapitalized(1000286)), wxPoint(306, 30));
    new wxStaticText(this, 704, "Pre Scale", wxPoint(456, 30));
    new wxStaticText(this, 703, "Test", wxPoint(526, 30));

    const int rows = std::min(m_settings.Count(), generator_tools::kMaxMatrixRows);
    for (int i = 0; i < rows; ++i)
    {
        const int y = kRowTop + kRowStep * i;
        Row row;
        row.active = new wxCheckBox(this, kFirstActiveId + i, wxString::Format("%i", i + 1), wxPoint(10, y),
                                    wxSize(50, kRowHeight));
        row.channel = new wxTextCtrl(this, wxID_ANY, "", wxPoint(66, y), wxSize(54, kRowHeight));
        row.scale = new wxTextCtrl(this, wxID_ANY, "", wxPoint(126, y), wxSize(64, kRowHeight));
        row.name = new wxTextCtrl(this, wxID_ANY, "", wxPoint(196, y), wxSize(104, kRowHeight));
        row.routing = new wxTextCtrl(this, wxID_ANY, "", wxPoint(306, y), wxSize(144, kRowHeight));
        row.preScale = new wxTextCtrl(this, wxID_ANY, "", wxPoint(456, y), wxSize(64, kRowHeight));
        row.test = new wxCheckBox(this, wxID_ANY, "", wxPoint(526, y), wxSize(30, kRowHeight));
        m_rows.push_back(row);
    }
    // The buttons down the right side.
    const struct
    {
        int id;
        wxString caption;
    } buttons[] = {{kResetId, Text(1000152)}, {kAllOffId, Text(1000167)},          {kTestId, "Test Off/On"},
                   {kStereoId, "Stereo"},     {kFiveGeneratorsId, "5 Generators"}, {kOneToOneId, "1:1"},
                   {wxID_OK, "OK"},           {wxID_CANCEL, Text(1000112)}};
    int y = kRowTop;
    int testBottom = 0;
    for (const auto& b : buttons)
    {
        auto* button = new wxButton(this, b.id, b.caption, wxPoint(kWidth - 100, y), wxSize(92, 24));
        if (b.id == kTestId)
            testBottom = button->GetRect().GetBottom();
        y += 30;
    }
    Bind(
        wxEVT_BUTTON,
        [this](wxCommandEvent&)
        {
            m_settings.SetDefaults();
            Refresh();
        },
        kResetId);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { ToggleAll(false); }, kAllOffId);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { ToggleAll(true); }, kTestId);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { Preset(CGeneratorMatrix_settings::Preset::Stereo); },
        kStereoId);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { Preset(CGeneratorMatrix_settings::Preset::Generators5); },
        kFiveGeneratorsId);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { Preset(CGeneratorMatrix_settings::Preset::OneToOne); },
        kOneToOneId);
    SetClientSize(kWidth, std::max(rows * 25 + 85, std::max(testBottom + 5, y + 10)));
    Refresh();
}

void CGeneratorMatrixDlg::Refresh()
{
    for (int i = 0; i < GetRowCount(); ++i)
    {
        const CGenerator_channel_settings& c = m_settings.m_channel[static_cast<std::size_t>(i)];
        Row& row = m_rows[static_cast<std::size_t>(i)];
        row.active->SetValue(c.m_active != 0);
        row.channel->ChangeValue(wxString::Format("%i", c.m_channel + 1));
        row.scale->ChangeValue(wxString::FromUTF8(platform::FormatC("%3.2f", c.m_scale_db)));
        row.preScale->ChangeValue(wxString::FromUTF8(platform::FormatC("%3.2f", c.m_pre_scale)));
        row.name->ChangeValue(wxString::FromUTF8(c.m_name));
        row.routing->ChangeValue(wxString::FromUTF8(c.FormatGeneratorConfig()));
        row.test->SetValue(c.m_test_generator != 0);
    }
}

void CGeneratorMatrixDlg::ReadRows()
{
    for (int i = 0; i < GetRowCount(); ++i)
    {
        CGenerator_channel_settings& c = m_settings.m_channel[static_cast<std::size_t>(i)];
        const Row& row = m_rows[static_cast<std::size_t>(i)];
        c.m_active = row.active->GetValue() ? 1 : 0;
        c.m_test_generator = row.test->GetValue() ? 1 : 0;
        c.m_scale_db = Number(row.scale);
        c.m_pre_scale = Number(row.preScale);
        const double channel = Number(row.channel) - 1.0;
        c.m_channel =
            static_cast<int>(std::clamp(channel, 0.0, static_cast<double>(kGeneratorOutputChannels - 1)));
        c.ParseGeneratorConfig(row.routing->GetValue().utf8_string());
    }
}

bool CGeneratorMatrixDlg::TransferDataFromWindow()
{
    ReadRows();
    return wxDialog::TransferDataFromWindow();
}

void CGeneratorMatrixDlg::Preset(CGeneratorMatrix_settings::Preset preset)
{
    m_settings.ApplyPreset(preset);
    Refresh();
}

void CGeneratorMatrixDlg::ToggleAll(bool test)
{
    bool any = false;
    for (int i = 0; i < GetRowCount(); ++i)
    {
        const auto& c = m_settings.m_channel[static_cast<std::size_t>(i)];
        any = any || (test ? c.m_test_generator : c.m_active) != 0;
    }
    for (int i = 0; i < GetRowCount(); ++i)
    {
        auto& c = m_settings.m_channel[static_cast<std::size_t>(i)];
        (test ? c.m_test_generator : c.m_active) = any ? 0 : 1;
    }
    Refresh();
}
