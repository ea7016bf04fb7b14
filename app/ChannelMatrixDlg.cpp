#include "app/ChannelMatrixDlg.h"

#include "common/DspOperation.h"
#include "display/ui/LineStylesDlg.h"
#include "platform/gfx/WxCanvas.h"
#include "texts/TextTable.h"
#include "view/MeasurementSettingsRules.h"
#include "view/ui/CalibrationDlgs.h"
#include "view/ui/DialogFields.h"
#include "view/ui/SelectDspOperationDlg.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace
{

constexpr int kTextCaption = 1000166;
constexpr int kTextCancel = 1000112;
constexpr int kTextChannel = 1000141;
constexpr int kTextInput = 1000032;
constexpr int kTextDisplay = 1000057;
constexpr int kTextStyle = 1000170;
constexpr int kTextLine = 1000171;
constexpr int kTextReset = 1000152;
constexpr int kTextAllOff = 1000167;
constexpr int kTextScale = 1000169;
constexpr int kNarrow = 50;
constexpr int kSmallButton = 24;
// The line-style button shows a short stretch of the channel's curve: wide enough for a dash
// pattern to show.
constexpr int kSwatchWidth = 28;
constexpr int kSwatchHeight = 12;
constexpr gfx::Color kSwatchBackground = 0xFFFFFF;

wxString Text(int id)
{
    return wxString::FromUTF8(GetText(id));
}

wxString Fixed2(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%3.2f", value);
    return text;
}

}  // namespace

wxBitmap CChannelMatrixDlg::MakeStyleSwatch(const CCurveStyle& style)
{
    CCurveStyle copy;
    copy.CopyFrom(style);
    const PenDescription pen = copy.MakePen();
    gfx::WxBitmapCanvas canvas(kSwatchWidth, kSwatchHeight);
    canvas.FillRect({0, 0, kSwatchWidth, kSwatchHeight}, kSwatchBackground);
    canvas.SetPen(gfx::Pen{pen.color, std::clamp(pen.width, 1, kSwatchHeight / 2),
                           static_cast<gfx::PenStyle>(std::clamp(pen.style, 0, 5))});
    canvas.MoveTo(1, kSwatchHeight / 2);
    canvas.LineTo(kSwatchWidth - 1, kSwatchHeight / 2);
    return wxBitmap(canvas.GetImage());
}

void CChannelMatrixDlg::ShowStyle(int row)
{
    m_rows[static_cast<std::size_t>(row)].lineStyle->SetBitmap(
        MakeStyleSwatch(m_channels[static_cast<std::size_t>(row)].m_CurveStyle));
}

CChannelMatrixDlg::CChannelMatrixDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, Text(kTextCaption))
{
    auto* grid = new wxFlexGridSizer(7, 2, 6);
    const wxString headers[] = {Text(kTextDisplay) + "\n" + Text(kTextChannel),
                                Text(kTextInput) + "\n" + Text(kTextChannel),
                                Text(kTextScale) + "\n[dB]",
                                "Prescaler",
                                Text(kTextLine) + "\n" + Text(kTextStyle),
                                "DSP",
                                "CAL"};
    for (const wxString& header : headers)
        grid->Add(new wxStaticText(this, wxID_ANY, header), 0, wxALIGN_BOTTOM);
    m_rows.resize(kRows);
    for (int i = 0; i < kRows; ++i)
    {
        Row& row = m_rows[static_cast<std::size_t>(i)];
        row.display = new wxCheckBox(this, kIdDisplay + i, wxString::Format("%i", i + 1));
        row.input = new wxTextCtrl(this, kIdInput + i, wxEmptyString, wxDefaultPosition, wxSize(kNarrow, -1));
        row.scale =
            new wxTextCtrl(this, kIdScale + i, wxEmptyString, wxDefaultPosition, wxSize(kNarrow + 20, -1));
        row.prescaler = new wxChoice(this, kIdPrescaler + i, wxDefaultPosition, wxSize(80, -1));
        for (double value : settings_rules::kPrescalers)
            row.prescaler->Append(wxString::Format("%.0f", value));
        row.lineStyle = new wxButton(this, kIdLineStyle + i, wxEmptyString, wxDefaultPosition,
                                     wxSize(kSwatchWidth + 12, -1), wxBU_EXACTFIT);
        row.lineStyle->SetBitmap(MakeStyleSwatch(m_channels[static_cast<std::size_t>(i)].m_CurveStyle));
        row.dsp =
            new wxButton(this, kIdDsp + i, "D", wxDefaultPosition, wxSize(kSmallButton, -1), wxBU_EXACTFIT);
        row.calibrate = new wxButton(this, kIdCalibrate + i, "C", wxDefaultPosition, wxSize(kSmallButton, -1),
                                     wxBU_EXACTFIT);
        row.calibrate->Bind(wxEVT_BUTTON, [this, i](wxCommandEvent&) { OnCalibrate(i); });
        row.lineStyle->Bind(wxEVT_BUTTON, [this, i](wxCommandEvent&) { OnLineStyle(i); });
        row.dsp->Bind(wxEVT_BUTTON, [this, i](wxCommandEvent&) { OnDsp(i); });
        grid->Add(row.display, 0, wxALIGN_CENTER_VERTICAL);
        grid->Add(row.input);
        grid->Add(row.scale);
        grid->Add(row.prescaler);
        grid->Add(row.lineStyle);
        grid->Add(row.dsp);
        grid->Add(row.calibrate);
    }
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto* reset = new wxButton(this, kIdReset, Text(kTextReset));
    auto* allOff = new wxButton(this, kIdAllOff, Text(kTextAllOff));
    reset->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnReset(); });
    allOff->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnAllOff(); });
    buttons->Add(reset, 0, wxRIGHT, 6);
    buttons->Add(allOff, 0, wxRIGHT, 6);
    buttons->AddStretchSpacer();
    buttons->Add(new wxButton(this, wxID_OK), 0, wxRIGHT, 6);
    buttons->Add(new wxButton(this, wxID_CANCEL, Text(kTextCancel)));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxALL, 10);
    sizer->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
    SetSizerAndFit(sizer);
    CentreOnParent();
}

bool CChannelMatrixDlg::TransferDataToWindow()
{
    for (int i = 0; i < kRows; ++i)
    {
        const Row& row = m_rows[static_cast<std::size_t>(i)];
        const Cchannel_settings& channel = m_channels[static_cast<std::size_t>(i)];
        row.display->SetValue(channel.m_bActive != 0);
        row.input->ChangeValue(wxString::Format("%i", channel.m_nInputChannel + 1));
        row.scale->ChangeValue(Fixed2(channel.m_dScaleDb));
        row.prescaler->SetSelection(settings_rules::NearestPrescalerIndex(channel.m_dPreScale));
        ShowStyle(i);
    }
    return true;
}

bool CChannelMatrixDlg::TransferDataFromWindow()
{
    // Every row is read before anything is stored: a refusal changes no record.
    std::vector<double> scales(kRows);
    std::vector<double> inputs(kRows);
    for (int i = 0; i < kRows; ++i)
    {
        const Row& row = m_rows[static_cast<std::size_t>(i)];
        const std::string channel = " (" + GetText(kTextChannel) + " " + std::to_string(i + 1) + ")";
        if (!dialog_fields::ReadAnyNumber(row.scale, GetText(kTextScale) + " [dB]" + channel,
                                          scales[static_cast<std::size_t>(i)]) ||
            !dialog_fields::ReadAnyNumber(row.input, GetText(kTextInput) + channel,
                                          inputs[static_cast<std::size_t>(i)]))
            return false;
    }
    for (int i = 0; i < kRows; ++i)
    {
        const Row& row = m_rows[static_cast<std::size_t>(i)];
        Cchannel_settings& channel = m_channels[static_cast<std::size_t>(i)];
        const bool keepsCalibration =
            row.calibrated && row.scale->GetValue() == Fixed2(row.calibratedScaleDb);
        channel.m_dScaleDb = keepsCalibration ? row.calibratedScaleDb : scales[static_cast<std::size_t>(i)];
        if (row.calibrated)
            channel.m_bCalibrated = keepsCalibration ? 1 : 0;
        channel.m_nInputChannel = settings_rules::InputChannelFromEntry(inputs[static_cast<std::size_t>(i)]);
        channel.m_bActive = row.display->GetValue() ? 1 : 0;
        const int selected = row.prescaler->GetSelection();
        if (selected >= 0 && selected < static_cast<int>(std::size(settings_rules::kPrescalers)))
            channel.m_dPreScale = settings_rules::kPrescalers[selected];
    }
    return true;
}

void CChannelMatrixDlg::OnReset()
{
    for (int i = 0; i < kRows; ++i)
    {
        const Row& row = m_rows[static_cast<std::size_t>(i)];
        row.display->SetValue(true);
        row.input->ChangeValue(wxString::Format("%i", i + 1));
        row.scale->ChangeValue(Fixed2(0.0));
    }
}

void CChannelMatrixDlg::OnAllOff()
{
    for (const Row& row : m_rows)
        row.display->SetValue(false);
}

void CChannelMatrixDlg::OnLineStyle(int row)
{
    if (row < 0 || row >= kRows)
        return;
    Cchannel_settings& channel = m_channels[static_cast<std::size_t>(row)];
    CLineStylesDlg dialog(this);
    dialog.m_style.CopyFrom(channel.m_CurveStyle);
    if (dialog.ShowModal() != wxID_OK)
        return;
    channel.m_CurveStyle.CopyFrom(dialog.m_style);
    ShowStyle(row);
}

void CChannelMatrixDlg::OnDsp(int row)
{
    if (row < 0 || row >= kRows)
        return;
    Cchannel_settings& channel = m_channels[static_cast<std::size_t>(row)];
    CSelectDspOperationDlg dialog(this);
    dialog.m_curveNames = m_curveNames;
    for (int code = 0; code < kDspOperationCount; ++code)
        dialog.m_operationNames.emplace_back(GetDspOperationName(code));
    dialog.m_Operation = channel.m_Operation;
    if (dialog.ShowModal() == wxID_OK)
        channel.m_Operation = dialog.m_Operation;
}

void CChannelMatrixDlg::OnCalibrate(int row)
{
    if (row < 0 || row >= kRows)
        return;
    Row& controls = m_rows[static_cast<std::size_t>(row)];
    double scaleDb = m_channels[static_cast<std::size_t>(row)].m_dScaleDb;
    if (controls.calibrated && controls.scale->GetValue() == Fixed2(controls.calibratedScaleDb))
        scaleDb = controls.calibratedScaleDb;
    else if (!dialog_fields::ReadAnyNumber(controls.scale, GetText(kTextScale) + " [dB]", scaleDb))
        return;
    CLevelCalibrationChannelDlg dialog(this);
    dialog.m_source = m_readings;
    dialog.m_nChannel = row;
    dialog.m_dFactor = calibration::ScaleDbToFactor(scaleDb);
    if (dialog.ShowModal() != wxID_OK || !dialog.m_bCalibrated)
        return;
    double calibrated = 0.0;
    if (!calibration::FactorToScaleDb(dialog.m_dFactor, calibrated))
        return;
    controls.calibratedScaleDb = calibrated;
    controls.calibrated = true;
    controls.scale->ChangeValue(Fixed2(calibrated));
}
