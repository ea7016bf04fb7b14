#include "engine/ui/HistogramDlgs.h"

#include "platform/ui/MessageBoxService.h"

#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include <cmath>

namespace
{

bool Whole(double value)
{
    return value == std::floor(value);
}

}  // namespace

CHistogramSettingsDlg::CHistogramSettingsDlg(wxWindow* parent)
    : CGeneratorDialogBase(parent, "Histogram Settings")
{
    AddNumber("Auto scale factor", &m_dAutoScaleFactor, 0.0, 1.0, "%g")->SetId(598);
    AddNumber("Points", &m_dPoints, 128.0, 65536.0, "%.0f")->SetId(215);
    AddNumber("Abs. RMS threshold", &m_dAbsRmsThreshold, 0.0, 1.0, "%g")->SetId(342);
    AddNumber("Time window [ms]", &m_dTimeWindowMs, 0.0, 9999999.0, "%g")->SetId(220);
    AddNumber("Capture time/Countdown :h", &m_dHours, 0.0, 999999.0, "%.0f")->SetId(352);
    AddNumber(":min", &m_dMinutes, 0.0, 99999.0, "%.0f")->SetId(357);
    AddNumber(":sec", &m_dSeconds, 0.0, 999999.0, "%g")->SetId(360);
    Finish();
}

void CHistogramSettingsDlg::SplitCaptureTime(double seconds, int& hours, int& minutes, double& rest)
{
    const double whole = std::isfinite(seconds) && seconds > 0.0 ? std::floor(seconds) : 0.0;
    hours = static_cast<int>(std::min(whole / 3600.0, 999999.0));
    const double left = whole - hours * 3600.0;
    minutes = static_cast<int>(std::min(std::floor(left / 60.0), 99999.0));
    rest = left - minutes * 60.0;
}

double CHistogramSettingsDlg::JoinCaptureTime(int hours, int minutes, double seconds)
{
    return hours * 3600.0 + minutes * 60.0 + seconds;
}

void CHistogramSettingsDlg::ToWindow()
{
    int hours = 0;
    int minutes = 0;
    SplitCaptureTime(m_dCaptureTime, hours, minutes, m_dSeconds);
    m_dHours = hours;
    m_dMinutes = minutes;
    m_dPoints = m_nPoints;
    // The number edits were filled before these values were split: fill them again.
    m_numbers.ToWindow();
}

bool CHistogramSettingsDlg::FromWindow()
{
    if (!Whole(m_dPoints) || !Whole(m_dHours) || !Whole(m_dMinutes))
    {
        platform::ui::ShowMessageBox("Points, hours and minutes must be whole numbers.", "Histogram Settings",
                                     wxOK | wxICON_EXCLAMATION, this);
        return false;
    }
    m_nPoints = static_cast<int>(m_dPoints);
    m_dCaptureTime = JoinCaptureTime(static_cast<int>(m_dHours), static_cast<int>(m_dMinutes), m_dSeconds);
    return true;
}

CHistogramCurveSelectDlg::CHistogramCurveSelectDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Histogram curve select")
{
    const char* names[] = {"Oscilloscope", "Period", "Active duration", "Differentiate"};
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    for (int k = 0; k < 4; ++k)
    {
        m_pCurves[static_cast<std::size_t>(k)] = new wxRadioButton(
            this, kIdFirstCurve + k, names[k], wxDefaultPosition, wxDefaultSize, k == 0 ? wxRB_GROUP : 0);
        sizer->Add(m_pCurves[static_cast<std::size_t>(k)], 0, wxLEFT | wxRIGHT | wxTOP, 10);
    }
    sizer->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(sizer);
    CentreOnParent();
}

bool CHistogramCurveSelectDlg::TransferDataToWindow()
{
    for (int k = 0; k < 4; ++k)
        m_pCurves[static_cast<std::size_t>(k)]->SetValue(k == m_nCurve);
    return true;
}

bool CHistogramCurveSelectDlg::TransferDataFromWindow()
{
    for (int k = 0; k < 4; ++k)
        if (m_pCurves[static_cast<std::size_t>(k)]->GetValue())
            m_nCurve = k;
    return true;
}
