#include "applications/ui/DIN15905Dlgs.h"

#include "applications/LevelLogger.h"
#include "platform/ui/MessageBoxService.h"
#include "view/ui/DialogFields.h"
#include "view/ui/MeasurementValueDlgs.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cmath>
#include <cstdlib>
#include <ctime>

using namespace dialog_fields;

namespace
{

constexpr const char* kCaption = "Einstellungen";
constexpr const char* kConfigWildcard = "Config (*.ini)|*.ini";

std::time_t CutToMinute(std::time_t time)
{
    return time - time % 60;
}

wxTextCtrl* AddText(wxWindow* parent, wxFlexGridSizer* grid, int id, const char* label, long style = 0)
{
    grid->Add(new wxStaticText(parent, wxID_ANY, wxString::FromUTF8(label)), 0, wxALIGN_CENTER_VERTICAL);
    auto* edit = new wxTextCtrl(parent, id, wxEmptyString, wxDefaultPosition, wxSize(260, -1), style);
    grid->Add(edit, 1, wxEXPAND);
    return edit;
}

// A read-only time with its "Setzen" button beside it.
wxTextCtrl* AddTime(wxWindow* parent, wxFlexGridSizer* grid, int id, int buttonId, const char* label)
{
    grid->Add(new wxStaticText(parent, wxID_ANY, wxString::FromUTF8(label)), 0, wxALIGN_CENTER_VERTICAL);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    auto* edit = new wxTextCtrl(parent, id, wxEmptyString, wxDefaultPosition, wxSize(160, -1), wxTE_READONLY);
    row->Add(edit, 1, wxEXPAND | wxRIGHT, 6);
    row->Add(new wxButton(parent, buttonId, "Setzen"));
    grid->Add(row, 1, wxEXPAND);
    return edit;
}

void SetText(wxTextCtrl* edit, const std::string& text)
{
    edit->ChangeValue(wxString::FromUTF8(text));
}

std::string GetText(const wxTextCtrl* edit)
{
    return edit->GetValue().utf8_string();
}

// The date-and-time dialog with the time; true (and the new time) on OK.
bool AskTime(wxWindow* parent, std::time_t& time)
{
    std::tm parts{};
    localtime_r(&time, &parts);
    CDateTimeDlg dialog(parent);
    dialog.m_nYear = parts.tm_year + 1900;
    dialog.m_nMonth = parts.tm_mon + 1;
    dialog.m_nDay = parts.tm_mday;
    dialog.m_nHour = parts.tm_hour;
    dialog.m_nMinute = parts.tm_min;
    dialog.m_dSecond = parts.tm_sec;
    if (dialog.ShowModal() != wxID_OK)
        return false;
    std::tm chosen{};
    chosen.tm_year = dialog.m_nYear - 1900;
    chosen.tm_mon = dialog.m_nMonth - 1;
    chosen.tm_mday = dialog.m_nDay;
    chosen.tm_hour = dialog.m_nHour;
    chosen.tm_min = dialog.m_nMinute;
    chosen.tm_sec = static_cast<int>(std::lround(dialog.m_dSecond));
    chosen.tm_isdst = -1;
    const std::time_t made = std::mktime(&chosen);
    if (made == static_cast<std::time_t>(-1))
        return false;
    time = made;
    return true;
}

std::string AskConfigFile(wxWindow* parent, bool save)
{
    platform::ui::FileDialogRequest request;
    request.save = save;
    request.wildcard = kConfigWildcard;
    std::string path = platform::ui::ShowFileDialog(request, parent);
    if (save && !path.empty() && path.find('.', path.find_last_of('/') + 1) == std::string::npos)
        path += ".ini";
    return path;
}

void ReportSaveFailure(wxWindow* parent, const std::string& path)
{
    platform::ui::ShowMessageBox("Die Datei " + path + " konnte nicht geschrieben werden.", kCaption,
                                 wxOK | wxICON_EXCLAMATION, parent);
}

}  // namespace

// ----- Event -----

CDIN15905EventDlg::CDIN15905EventDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, kCaption)
{
    const std::time_t now = std::time(nullptr);
    m_info.m_date = m_info.m_eventBegin = now;
    m_info.m_eventEnd = m_info.m_eventBegin + 3600;
    m_info.m_measurementBegin = CutToMinute(now);
    m_info.m_measurementEnd = m_info.m_measurementBegin + 3600;

    auto* box = new wxStaticBoxSizer(wxVERTICAL, this, "Veranstaltung");
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    grid->AddGrowableCol(1);
    m_pPlace = AddText(this, grid, kIdPlace, "Veranstaltungsort");
    m_pName = AddText(this, grid, kIdName, "Name der Veranstaltung");
    m_pOrganiser = AddText(this, grid, kIdOrganiser, "Veranstalter");
    m_pDate = AddTime(this, grid, kIdDate, kIdSetDate, "Datum");
    m_pBegin = AddTime(this, grid, kIdBegin, kIdSetBegin, "Beginn");
    m_pEnd = AddTime(this, grid, kIdEnd, kIdSetEnd, "Ende");
    box->Add(grid, 1, wxEXPAND | wxALL, 6);
    auto* files = new wxBoxSizer(wxHORIZONTAL);
    files->Add(new wxButton(this, kIdLoad, "Laden"), 0, wxRIGHT, 6);
    files->Add(new wxButton(this, kIdSave, "Speichern"));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(box, 1, wxEXPAND | wxALL, 10);
    sizer->Add(files, 0, wxLEFT | wxRIGHT, 10);
    FinishDialog(this, sizer);

    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { SetTime(m_info.m_date); }, kIdSetDate);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { SetTime(m_info.m_eventBegin); }, kIdSetBegin);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { SetTime(m_info.m_eventEnd); }, kIdSetEnd);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnLoad(); }, kIdLoad);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnSave(); }, kIdSave);
}

bool CDIN15905EventDlg::TransferDataToWindow()
{
    SetText(m_pPlace, m_info.m_place);
    SetText(m_pName, m_info.m_name);
    SetText(m_pOrganiser, m_info.m_organiser);
    ShowTimes();
    return true;
}

bool CDIN15905EventDlg::TransferDataFromWindow()
{
    m_info.m_place = GetText(m_pPlace);
    m_info.m_name = GetText(m_pName);
    m_info.m_organiser = GetText(m_pOrganiser);
    return true;
}

void CDIN15905EventDlg::ShowTimes()
{
    SetText(m_pDate, FormatTimeC(m_info.m_date, "%d %b %Y"));
    SetText(m_pBegin, FormatTimeC(m_info.m_eventBegin, "%H:%M"));
    SetText(m_pEnd, FormatTimeC(m_info.m_eventEnd, "%H:%M"));
}

void CDIN15905EventDlg::SetTime(std::time_t& time)
{
    TransferDataFromWindow();
    if (AskTime(this, time))
        ShowTimes();
}

void CDIN15905EventDlg::OnLoad()
{
    const std::string path = AskConfigFile(this, false);
    if (path.empty())
        return;
    m_info.ReadEvent(path, std::string());
    m_info.ReadMeasurement(path, std::string());
    TransferDataToWindow();
}

void CDIN15905EventDlg::OnSave()
{
    TransferDataFromWindow();
    const std::string path = AskConfigFile(this, true);
    if (!path.empty() && !m_info.WriteEvent(path, std::string()))
        ReportSaveFailure(this, path);
}

// ----- Measurement -----

CDIN15905MeasurementDlg::CDIN15905MeasurementDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, kCaption)
{
    m_info.m_measurementBegin = CutToMinute(std::time(nullptr));
    m_info.m_measurementEnd = m_info.m_measurementBegin + 3600;
    m_info.m_id = (std::rand() & 0x7FFF) * 65536 + (std::rand() & 0x7FFF);

    auto* measurement = new wxStaticBoxSizer(wxVERTICAL, this, "Messung");
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    grid->AddGrowableCol(1);
    m_pCompany = AddText(this, grid, kIdCompany, "Messdurchführung, Firma");
    m_pTechnician = AddText(this, grid, kIdTechnician, "Verantwortlicher Techniker / Ingenieur FoH");
    m_pBegin = AddTime(this, grid, kIdBegin, kIdSetBegin, "Beginn der Messung");
    m_pEnd = AddTime(this, grid, kIdEnd, kIdSetEnd, "Ende der Messung");
    m_pPa = AddText(this, grid, kIdPa, "Typ und Anordnung der Beschallungsanlage");
    static constexpr const char* kLabels[7] = {
        "Maßgeblicher Immissionspunkt", "Ersatzimmissionsort (Messpunkt)", "Ermittlung von K1 und K2",
        "Messgerät Typ/Klasse",         "Messgerät Seriennummer",          "Kalibriergerät Seriennummer",
        "Ergebnis der Kalibrierung",
    };
    for (int i = 0; i < 3; ++i)
        m_apTexts[i] = AddText(this, grid, kIdFirstText + i, kLabels[i]);
    m_pK1 = AddText(this, grid, kIdK1, "K1 (A-bew.) dB");
    m_pK2 = AddText(this, grid, kIdK2, "K2 (C-bew.) dB");
    measurement->Add(grid, 1, wxEXPAND | wxALL, 6);
    auto* instruments = new wxStaticBoxSizer(wxVERTICAL, this, "Messgeräte");
    auto* instrumentGrid = new wxFlexGridSizer(2, 6, 8);
    instrumentGrid->AddGrowableCol(1);
    for (int i = 3; i < 7; ++i)
        m_apTexts[i] = AddText(this, instrumentGrid, kIdFirstText + i, kLabels[i]);
    instruments->Add(instrumentGrid, 1, wxEXPAND | wxALL, 6);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxButton(this, kIdLoad, "Laden"), 0, wxRIGHT, 6);
    buttons->Add(new wxButton(this, kIdSave, "Speichern"), 0, wxRIGHT, 18);
    for (int i = 0; i < 4; ++i)
        buttons->Add(new wxButton(this, kIdFirstInfo + i, "Info", wxDefaultPosition, wxSize(50, -1)), 0,
                     wxRIGHT, 4);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(measurement, 1, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 10);
    sizer->Add(instruments, 0, wxEXPAND | wxALL, 10);
    sizer->Add(buttons, 0, wxLEFT | wxRIGHT, 10);
    FinishDialog(this, sizer);

    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { SetTime(m_info.m_measurementBegin); }, kIdSetBegin);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { SetTime(m_info.m_measurementEnd); }, kIdSetEnd);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnLoad(); }, kIdLoad);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnSave(); }, kIdSave);
    for (int i = 0; i < 4; ++i)
        Bind(
            wxEVT_BUTTON,
            [this, i](wxCommandEvent&) {
                platform::ui::ShowMessageBox(InfoText(kIdFirstInfo + i), kCaption, wxOK | wxICON_INFORMATION,
                                             this);
            },
            kIdFirstInfo + i);
}

std::string CDIN15905MeasurementDlg::InfoText(int button)
{
    switch (button)
    {
        case 5:
            return "Der maßgebliche Immissionsort ist der für das Pubklikum zugängliche Platz, an dem der "
                   "höchste "
                   "Schalldruckpegel erwartet wird.";
        case 6:
            return "Die Messung kann an einem anderen Punkt erfolgen, dem 'Ersatzimmsionsort'. Dies ist "
                   "häufig am "
                   "FOH.\n Die unterschiedliche Schallausbreitung wird durch 2 Korrekturfaktoren K1 und K2 "
                   "berücksichtigt.";
        case 7:
            return "Der Pegelunterschied zwischen dem maßgeblichen Immissionsort und dem Ersatzimmsionsort "
                   "wird "
                   "jeweils A und C bewertet gemessen.\nK1 ist der Pegelunterschied mit A-Bewertung\nK2 ist "
                   "der "
                   "Pegelunterschied mit C-Bewertung.";
        case 8:
            return std::string(
                       "Bei einem weit verbreiteten Verfahren wird rosa Rauschen auf die PA gegeben. Es wird "
                       "der mittlere Schallpegel am lautesten Punkt jeweils A und C bewertet gemessen.\nBei "
                       "gleichem Signal wird die Messung am Ersatzimmsionsort wiederholt. Die Differenz "
                       "ergibt die Korrekturfaktoren.\n") +
                   "Beispiel:\nmaßgeblicher Immisionsort: 95dB(A) und 97dB(C)\nErsatzimmisionsort: 84dB(A) "
                   "und "
                   "86,3dB(C)\n" +
                   "K1 berechnet sich dann zu 95-84=11\nK2 entsprechend zu 97-86,3=10.7";
        default:
            return {};
    }
}

bool CDIN15905MeasurementDlg::TransferDataToWindow()
{
    SetText(m_pCompany, m_info.m_company);
    SetText(m_pTechnician, m_info.m_technician);
    SetText(m_pPa, m_info.m_pa);
    const std::string* texts[7] = {&m_info.m_immissionPoint,   &m_info.m_substitutePoint,
                                   &m_info.m_correctionMethod, &m_info.m_instrumentType,
                                   &m_info.m_instrumentSerial, &m_info.m_calibrator,
                                   &m_info.m_calibrationResult};
    for (int i = 0; i < 7; ++i)
        SetText(m_apTexts[i], *texts[i]);
    SetNumber(m_pK1, m_info.m_k1);
    SetNumber(m_pK2, m_info.m_k2);
    ShowTimes();
    return true;
}

bool CDIN15905MeasurementDlg::TakeTexts()
{
    // K1 and K2 first: a value that is not a number keeps the dialog open and changes nothing.
    double k1 = 0.0;
    double k2 = 0.0;
    if (!ReadAnyNumber(m_pK1, "K1", k1) || !ReadAnyNumber(m_pK2, "K2", k2))
        return false;
    m_info.m_company = GetText(m_pCompany);
    m_info.m_technician = GetText(m_pTechnician);
    m_info.m_pa = GetText(m_pPa);
    std::string* texts[7] = {&m_info.m_immissionPoint,   &m_info.m_substitutePoint,
                             &m_info.m_correctionMethod, &m_info.m_instrumentType,
                             &m_info.m_instrumentSerial, &m_info.m_calibrator,
                             &m_info.m_calibrationResult};
    for (int i = 0; i < 7; ++i)
        *texts[i] = GetText(m_apTexts[i]);
    m_info.m_k1 = k1;
    m_info.m_k2 = k2;
    return true;
}

bool CDIN15905MeasurementDlg::TransferDataFromWindow()
{
    if (!TakeTexts())
        return false;
    if (m_info.m_k1 < 0.0 || m_info.m_k2 < 0.0)
        platform::ui::ShowMessageBox(kNegativeWarning, kCaption, wxOK | wxICON_INFORMATION, this);
    return true;
}

void CDIN15905MeasurementDlg::ShowTimes()
{
    SetText(m_pBegin, FormatTimeC(m_info.m_measurementBegin, "%H:%M"));
    SetText(m_pEnd, FormatTimeC(m_info.m_measurementEnd, "%H:%M"));
}

void CDIN15905MeasurementDlg::SetTime(std::time_t& time)
{
    if (AskTime(this, time))
        ShowTimes();
}

void CDIN15905MeasurementDlg::OnLoad()
{
    const std::string path = AskConfigFile(this, false);
    if (path.empty())
        return;
    m_info.ReadMeasurement(path, std::string());
    TransferDataToWindow();
}

void CDIN15905MeasurementDlg::OnSave()
{
    if (!TakeTexts())
        return;
    const std::string path = AskConfigFile(this, true);
    if (!path.empty() && !m_info.WriteMeasurement(path, std::string()))
        ReportSaveFailure(this, path);
}

bool EditDin15905Info(wxWindow* parent, CLevelLogger& logger)
{
    logger.m_dinMode = 1;
    CDIN15905EventDlg event(parent);
    event.m_info = logger.m_dinInfo;
    event.ShowModal();
    CDIN15905MeasurementDlg measurement(parent);
    measurement.m_info = event.m_info;
    if (measurement.ShowModal() != wxID_OK)
        return false;
    logger.m_dinInfo = measurement.m_info;
    return true;
}
