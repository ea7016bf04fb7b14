#include "view/ui/PhonetogramSettingsDlg.h"

#include "view/ui/DialogFields.h"

#include <wx/sizer.h>
#include <wx/textctrl.h>

using namespace dialog_fields;

namespace
{
// Upper bounds of the fields without a range of their own: beyond any voice or sound card.
constexpr double kMaxFrequency = 100000.0;
constexpr double kMaxInterruptionMs = 100000.0;
}  // namespace

CPhonetogramSettingsDlg::CPhonetogramSettingsDlg(wxWindow* parent, const PhonetogramSettingsValues& values)
    : wxDialog(parent, wxID_ANY, "Phonetogram"), m_values(values)
{
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    m_pToneDuration = AddEdit(this, grid, kToneDuration, "Tone duration [s] (1s bis 3s)");
    m_pSensitivity = AddEdit(this, grid, kSensitivity, "Sensitivity (0 bis 1.0)");
    m_pLowerFrequency = AddEdit(this, grid, kLowerFrequency, "Lower frequency [Hz] (20Hz-80Hz)");
    m_pUpperSearchFrequency =
        AddEdit(this, grid, kUpperSearchFrequency, "Upper search frequency [Hz] (400Hz-1000Hz)");
    m_pUpperFilterFrequency =
        AddEdit(this, grid, kUpperFilterFrequency, "Upper filter frequency [Hz] (1000Hz-6000Hz)");
    m_pMaxInterruption = AddEdit(this, grid, kMaxInterruption, "Max. interruption [ms] (0 bis 500ms)");
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxALL, 10);
    FinishDialog(this, sizer);
}

bool CPhonetogramSettingsDlg::TransferDataToWindow()
{
    SetNumber(m_pToneDuration, m_values.toneDuration);
    SetNumber(m_pSensitivity, m_values.sensitivity);
    SetNumber(m_pLowerFrequency, m_values.lowerFrequency);
    SetNumber(m_pUpperSearchFrequency, m_values.upperSearchFrequency);
    SetNumber(m_pUpperFilterFrequency, m_values.upperFilterFrequency);
    SetNumber(m_pMaxInterruption, m_values.maxInterruptionMs);
    return true;
}

bool CPhonetogramSettingsDlg::TransferDataFromWindow()
{
    PhonetogramSettingsValues values;
    if (!ReadNumber(m_pToneDuration, "Tone duration", 1.0, 4.0, values.toneDuration) ||
        !ReadNumber(m_pSensitivity, "Sensitivity", 0.0, 1.0, values.sensitivity) ||
        !ReadNumber(m_pLowerFrequency, "Lower frequency", 1.0, kMaxFrequency, values.lowerFrequency) ||
        !ReadNumber(m_pUpperSearchFrequency, "Upper search frequency", 1.0, kMaxFrequency,
                    values.upperSearchFrequency) ||
        !ReadNumber(m_pUpperFilterFrequency, "Upper filter frequency", 1.0, kMaxFrequency,
                    values.upperFilterFrequency) ||
        !ReadNumber(m_pMaxInterruption, "Max. interruption", 0.0, kMaxInterruptionMs,
                    values.maxInterruptionMs))
        return false;
    m_values = values;
    return true;
}
