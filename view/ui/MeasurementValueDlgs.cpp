#include "view/ui/MeasurementValueDlgs.h"

#include "dsp/BandFilterTables.h"
#include "view/MeasurementSettingsRules.h"
#include "view/ui/DialogFields.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <span>

using namespace dialog_fields;

namespace
{

wxString Utf8(const std::string& text)
{
    return wxString::FromUTF8(text);
}

}  // namespace

// ----- Datalogger -----

CDataloggerDlg::CDataloggerDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, WxText("Datalogger"))
{
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    m_pRate = AddEdit(this, grid, kIdRate, WxText("measurements per minute"));
    m_pDuration = AddEdit(this, grid, kIdDuration, WxText("duration in minutes"));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxALL, 10);
    FinishDialog(this, sizer);
}

bool CDataloggerDlg::TransferDataToWindow()
{
    SetNumber(m_pRate, m_dPerMinute);
    SetNumber(m_pDuration, m_dMinutes);
    return true;
}

bool CDataloggerDlg::TransferDataFromWindow()
{
    double rate = 0.0;
    double minutes = 0.0;
    if (!ReadNumber(m_pRate, Text("measurements per minute"), 0.001, 500.0, rate) ||
        !ReadNumber(m_pDuration, Text("duration in minutes"), 0.01, 1e8, minutes))
        return false;
    m_dPerMinute = rate;
    m_dMinutes = minutes;
    return true;
}

// ----- Reverberation properties -----

namespace
{
struct ReverbField
{
    int id;
    const char* label;
    double minimum;
    double maximum;
};
// Start level beside edit 197 and stop level beside edit 204, as their defaults (-3 and -15 dB) say.
constexpr ReverbField kReverbFields[7] = {
    {CReverbPropertiesDlg::kIdAveragePoints, "average points", 2, 128},
    {CReverbPropertiesDlg::kIdStartLevel, "start level", -60, 0},
    {CReverbPropertiesDlg::kIdStopLevel, "stop level", -60, 0},
    {CReverbPropertiesDlg::kIdTargetLevel, "target level", -60, 0},
    {CReverbPropertiesDlg::kIdTimeWindow, "time window", 0, 10000},
    {CReverbPropertiesDlg::kIdMinFrequency, "frequency range", 1e-10, 1e8},
    {CReverbPropertiesDlg::kIdMaxFrequency, "frequency range", 1e-10, 1e8},
};
constexpr const char* kReverbUnits[7] = {"", " [dB]", " [dB]", " [dB]", " [ms]", " min [Hz]", " max [Hz]"};
}  // namespace

CReverbPropertiesDlg::CReverbPropertiesDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, WxText("settings"))
{
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    for (std::size_t i = 0; i < m_edits.size(); ++i)
        m_edits[i] =
            AddEdit(this, grid, kReverbFields[i].id, WxText(kReverbFields[i].label) + kReverbUnits[i]);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new wxStaticText(this, wxID_ANY, WxText("slope Selection")), 0, wxLEFT | wxTOP, 10);
    sizer->Add(grid, 0, wxALL, 10);
    FinishDialog(this, sizer);
}

bool CReverbPropertiesDlg::TransferDataToWindow()
{
    SetInteger(m_edits[0], m_nAveragePoints);
    const double values[6] = {m_dStartLevel,   m_dStopLevel,    m_dTargetLevel,
                              m_dTimeWindowMs, m_dMinFrequency, m_dMaxFrequency};
    for (std::size_t i = 0; i < 6; ++i)
        SetNumber(m_edits[i + 1], values[i]);
    return true;
}

bool CReverbPropertiesDlg::TransferDataFromWindow()
{
    int points = 0;
    if (!ReadInteger(m_edits[0], Text(kReverbFields[0].label), 2, 128, points))
        return false;
    double values[6] = {};
    for (std::size_t i = 0; i < 6; ++i)
    {
        const ReverbField& field = kReverbFields[i + 1];
        if (!ReadNumber(m_edits[i + 1], Text(field.label) + kReverbUnits[i + 1], field.minimum, field.maximum,
                        values[i]))
            return false;
    }
    m_nAveragePoints = points;
    m_dStartLevel = values[0];
    m_dStopLevel = values[1];
    m_dTargetLevel = values[2];
    m_dTimeWindowMs = values[3];
    m_dMinFrequency = values[4];
    m_dMaxFrequency = values[5];
    return true;
}

// ----- Bands per octave -----

CSelectBandsDlg::CSelectBandsDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, WxText("bars") + " " + WxText("per") + " " + WxText("Octave"))
{
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    m_pBands = AddEdit(this, grid, kIdBands, wxString::Format(WxText("number of %s"), GetTitle()));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxALL, 10);
    FinishDialog(this, sizer);
}

bool CSelectBandsDlg::TransferDataToWindow()
{
    SetInteger(m_pBands, m_nBands);
    return true;
}

bool CSelectBandsDlg::TransferDataFromWindow()
{
    return ReadInteger(m_pBands, GetTitle().utf8_string(), 1, 32, m_nBands);
}

// ----- Frequency band -----

CSelectFrequencyBandDlg::CSelectFrequencyBandDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, WxText("frequency band"))
{
    m_pOctave = new wxRadioButton(this, kIdOctave, "1/1 " + WxText("Octave"), wxDefaultPosition,
                                  wxDefaultSize, wxRB_GROUP);
    m_pThird = new wxRadioButton(this, kIdThird, "1/3 " + WxText("Octave"));
    m_pOff = new wxRadioButton(this, kIdOff, WxText("Off"));
    m_pOctaveList = new wxChoice(this, kIdOctaveList);
    for (double centre : kOctaveCentres)
        m_pOctaveList->Append(wxString::Format("%3.2f", centre));
    m_pThirdList = new wxChoice(this, kIdThirdList);
    for (double centre : kThirdOctaveCentres)
        m_pThirdList->Append(wxString::Format("%3.2f", centre));
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    grid->Add(m_pOctave, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_pOctaveList, 0, wxEXPAND);
    grid->Add(m_pThird, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_pThirdList, 0, wxEXPAND);
    grid->Add(m_pOff, 0, wxALIGN_CENTER_VERTICAL);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxALL, 10);
    FinishDialog(this, sizer);
}

bool CSelectFrequencyBandDlg::TransferDataToWindow()
{
    m_pOctaveList->SetSelection(settings_rules::FindBandCentreIndex(kOctaveCentres, m_dFrequency));
    m_pThirdList->SetSelection(settings_rules::FindBandCentreIndex(kThirdOctaveCentres, m_dFrequency));
    // Any other kind leaves no radio chosen.
    m_pOctave->SetValue(m_nKind == 1);
    m_pThird->SetValue(m_nKind == 3);
    m_pOff->SetValue(m_nKind <= 0);
    return true;
}

bool CSelectFrequencyBandDlg::TransferDataFromWindow()
{
    if (m_pOctave->GetValue())
        m_nKind = 1;
    else if (m_pThird->GetValue())
        m_nKind = 3;
    else if (m_pOff->GetValue())
        m_nKind = 0;
    if (m_nKind == 1 && m_pOctaveList->GetSelection() >= 0)
        m_dFrequency = kOctaveCentres[m_pOctaveList->GetSelection()];
    else if (m_nKind == 3 && m_pThirdList->GetSelection() >= 0)
        m_dFrequency = kThirdOctaveCentres[m_pThirdList->GetSelection()];
    return true;
}

// ----- Intermodulation -----

CImdSettingsDlg::CImdSettingsDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, "Intermodulation")
{
    m_pAutoDetect = new wxCheckBox(this, kIdAutoDetect, "Auto detect");
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    m_pFrequency1 = AddEdit(this, grid, kIdFrequency1, "Frequency #1 [Hz]");
    m_pFrequency2 = AddEdit(this, grid, kIdFrequency2, "Frequency #2 [Hz]");
    auto* orders = new wxBoxSizer(wxHORIZONTAL);
    for (std::size_t i = 0; i < m_pOrders.size(); ++i)
    {
        m_pOrders[i] =
            new wxCheckBox(this, kIdOrderFirst + static_cast<int>(i), wxString::Format("Order #%zu", i + 2));
        orders->Add(m_pOrders[i], 0, wxRIGHT, 8);
    }
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_pAutoDetect, 0, wxALL, 10);
    sizer->Add(grid, 0, wxLEFT | wxRIGHT, 10);
    sizer->Add(orders, 0, wxALL, 10);
    FinishDialog(this, sizer);
}

bool CImdSettingsDlg::TransferDataToWindow()
{
    m_pAutoDetect->SetValue(m_bAutoDetect != 0);
    SetNumber(m_pFrequency1, m_dFrequency1);
    SetNumber(m_pFrequency2, m_dFrequency2);
    for (std::size_t i = 0; i < m_pOrders.size(); ++i)
        m_pOrders[i]->SetValue(m_bOrders[i] != 0);
    return true;
}

bool CImdSettingsDlg::TransferDataFromWindow()
{
    double f1 = 0.0;
    double f2 = 0.0;
    if (!ReadNumber(m_pFrequency1, "Frequency #1", 0.1, 1e9, f1) ||
        !ReadNumber(m_pFrequency2, "Frequency #2", 0.1, 1e9, f2))
        return false;
    m_bAutoDetect = m_pAutoDetect->GetValue() ? 1 : 0;
    m_dFrequency1 = f1;
    m_dFrequency2 = f2;
    for (std::size_t i = 0; i < m_pOrders.size(); ++i)
        m_bOrders[i] = m_pOrders[i]->GetValue() ? 1 : 0;
    return true;
}

// ----- Signal type -----

CSignalTypeDlg::CSignalTypeDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Signal Typ", wxPoint(kPinnedPosition, kPinnedPosition))
{
    const char* labels[3] = {"Impulsantwort", "Abklingkurve aus abgeschaltetem Rauschen",
                             "Energiezerfallskurve"};
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    for (std::size_t i = 0; i < m_pTypes.size(); ++i)
    {
        m_pTypes[i] = new wxRadioButton(this, kIds[i], Utf8(labels[i]), wxDefaultPosition, wxDefaultSize,
                                        i == 0 ? wxRB_GROUP : 0);
        sizer->Add(m_pTypes[i], 0, wxLEFT | wxRIGHT | wxTOP, 10);
    }
    m_pTypes[2]->Hide();
    FinishDialog(this, sizer);
    // Every move puts it back in its place.
    Move(kPinnedPosition, kPinnedPosition);
    Bind(wxEVT_MOVE,
         [this](wxMoveEvent& event)
         {
             if (GetPosition() != wxPoint(kPinnedPosition, kPinnedPosition))
                 Move(kPinnedPosition, kPinnedPosition);
             event.Skip();
         });
}

bool CSignalTypeDlg::TransferDataToWindow()
{
    for (std::size_t i = 0; i < m_pTypes.size(); ++i)
        m_pTypes[i]->SetValue(static_cast<int>(i) == m_nType);
    return true;
}

bool CSignalTypeDlg::TransferDataFromWindow()
{
    for (std::size_t i = 0; i < m_pTypes.size(); ++i)
        if (m_pTypes[i]->GetValue())
            m_nType = static_cast<int>(i);
    return true;
}

// ----- Sound power -----

CSoundPowerDlg::CSoundPowerDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, Utf8("Schallleistung"))
{
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    m_pSurface = AddEdit(this, grid, kIdSurface, Utf8("Messfläche S [m²]"));
    m_pThree = new wxRadioButton(this, kIdThree, "3", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_pSix = new wxRadioButton(this, kIdSix, "6");
    auto* microphones = new wxBoxSizer(wxHORIZONTAL);
    microphones->Add(new wxStaticText(this, wxID_ANY, "Mikrofone"), 0, wxRIGHT, 8);
    microphones->Add(m_pThree, 0, wxRIGHT, 8);
    microphones->Add(m_pSix);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxALL, 10);
    sizer->Add(microphones, 0, wxLEFT | wxRIGHT, 10);
    FinishDialog(this, sizer);
}

bool CSoundPowerDlg::TransferDataToWindow()
{
    SetNumber(m_pSurface, m_dSurface);
    m_pThree->SetValue(m_nMicrophones == 0);
    m_pSix->SetValue(m_nMicrophones == 1);
    return true;
}

bool CSoundPowerDlg::TransferDataFromWindow()
{
    double surface = 0.0;
    if (!ReadAnyNumber(m_pSurface, "S", surface))
        return false;
    m_dSurface = surface;
    if (m_pThree->GetValue())
        m_nMicrophones = 0;
    else if (m_pSix->GetValue())
        m_nMicrophones = 1;
    return true;
}

// ----- Attenuation frequency range -----

CAttenuationRangeDlg::CAttenuationRangeDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, "Konfiguration")
{
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    m_pFrom = AddEdit(this, grid, kIdFrom, "von [Hz]");
    m_pTo = AddEdit(this, grid, kIdTo, "bis [Hz]");
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxALL, 10);
    FinishDialog(this, sizer);
}

bool CAttenuationRangeDlg::TransferDataToWindow()
{
    SetNumber(m_pFrom, m_dFrom);
    SetNumber(m_pTo, m_dTo);
    return true;
}

bool CAttenuationRangeDlg::TransferDataFromWindow()
{
    double from = 0.0;
    double to = 0.0;
    if (!ReadNumber(m_pFrom, "von", 0.0, 100000.0, from) || !ReadNumber(m_pTo, "bis", 0.0, 100000.0, to))
        return false;
    m_dFrom = from;
    m_dTo = to;
    return true;
}

// ----- Date and time -----

namespace
{
constexpr const char* kDateTimeLabels[6] = {"year", "month", "day", "hour", "minute", "second"};
}

CDateTimeDlg::CDateTimeDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, WxText("Time"))
{
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    for (std::size_t i = 0; i < m_edits.size(); ++i)
        m_edits[i] = AddEdit(this, grid, kIds[i], WxText(kDateTimeLabels[i]));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxALL, 10);
    FinishDialog(this, sizer);
}

bool CDateTimeDlg::TransferDataToWindow()
{
    const int values[5] = {m_nYear, m_nMonth, m_nDay, m_nHour, m_nMinute};
    for (std::size_t i = 0; i < 5; ++i)
        SetInteger(m_edits[i], values[i]);
    SetNumber(m_edits[5], m_dSecond);
    return true;
}

bool CDateTimeDlg::TransferDataFromWindow()
{
    int values[5] = {};
    for (std::size_t i = 0; i < 5; ++i)
        if (!ReadInteger(m_edits[i], Text(kDateTimeLabels[i]), -1000000, 1000000, values[i]))
            return false;
    double second = 0.0;
    if (!ReadNumber(m_edits[5], Text(kDateTimeLabels[5]), -1e9, 1e9, second))
        return false;
    m_nYear = values[0];
    m_nMonth = values[1];
    m_nDay = values[2];
    m_nHour = values[3];
    m_nMinute = values[4];
    m_dSecond = second;
    return true;
}
