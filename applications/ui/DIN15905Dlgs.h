// The two "Einstellungen" dialogs of DIN 15905 sound-level monitoring: the event (place, name,
// organiser, date, begin and end) and the measurement (company, technician, PA, immission points,
// instruments, the corrections K1 and K2, begin and end). Each edits a record of its own that the
// caller fills before and reads after the dialog; each loads it from and saves it to a "Config" INI
// file. EditDin15905Info runs both for a logger's record as the DIN 15905 preset does.
//
// Threads: user-interface thread only.
#pragma once

#include <ctime>
#include <string>

#include <wx/dialog.h>

#include "applications/DIN15905Info.h"

class CLevelLogger;
class wxTextCtrl;

class CDIN15905EventDlg : public wxDialog
{
public:
    static constexpr int kIdPlace = 1490;
    static constexpr int kIdName = 335;
    static constexpr int kIdOrganiser = 1492;
    static constexpr int kIdDate = 1491;
    static constexpr int kIdBegin = 1493;
    static constexpr int kIdEnd = 338;
    static constexpr int kIdSetDate = 1494;
    static constexpr int kIdSetBegin = 1495;
    static constexpr int kIdSetEnd = 259;
    static constexpr int kIdLoad = 3;
    static constexpr int kIdSave = 4;

    explicit CDIN15905EventDlg(wxWindow* parent);
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    // "Laden": both sections of a chosen file; "Speichern": the event section only.
    void OnLoad();
    void OnSave();

    CDIN15905Info m_info;

private:
    void SetTime(std::time_t& time);
    void ShowTimes();

    wxTextCtrl* m_pPlace;
    wxTextCtrl* m_pName;
    wxTextCtrl* m_pOrganiser;
    wxTextCtrl* m_pDate;
    wxTextCtrl* m_pBegin;
    wxTextCtrl* m_pEnd;
};

class CDIN15905MeasurementDlg : public wxDialog
{
public:
    static constexpr int kIdCompany = 1496;
    static constexpr int kIdTechnician = 335;
    static constexpr int kIdPa = 336;
    static constexpr int kIdFirstText = 339;  // 339 .. 345: the seven texts below the PA
    static constexpr int kIdK1 = 346;
    static constexpr int kIdK2 = 347;
    static constexpr int kIdBegin = 334;
    static constexpr int kIdEnd = 337;
    static constexpr int kIdSetBegin = 1497;
    static constexpr int kIdSetEnd = 258;
    static constexpr int kIdLoad = 3;
    static constexpr int kIdSave = 4;
    static constexpr int kIdFirstInfo = 5;  // 5 .. 8
    static constexpr const char* kNegativeWarning =
        "In den meisten Fällen sind K1 und K2 positiv.\nNur wenn das Mikrofon dicht bei den Lautsprechern "
        "plaziert wird, kann K1/2 negativ sein. In diesem Fall ist der Schallpegel am Aufstellungsort höher "
        "als "
        "am massgeblichen Immisionspunkt.";

    explicit CDIN15905MeasurementDlg(wxWindow* parent);
    bool TransferDataToWindow() override;
    // Refuses a K1 or K2 that is not a number; a negative one only warns.
    bool TransferDataFromWindow() override;

    void OnLoad();
    void OnSave();
    // The explanation of "Info" button 5 .. 8.
    static std::string InfoText(int button);

    CDIN15905Info m_info;

private:
    void SetTime(std::time_t& time);
    void ShowTimes();
    bool TakeTexts();

    wxTextCtrl* m_pCompany;
    wxTextCtrl* m_pTechnician;
    wxTextCtrl* m_pPa;
    wxTextCtrl* m_apTexts[7];
    wxTextCtrl* m_pK1;
    wxTextCtrl* m_pK2;
    wxTextCtrl* m_pBegin;
    wxTextCtrl* m_pEnd;
};

// The DIN 15905 preset's questions: switches the logger to DIN 15905 mode, shows the event dialog
// with the logger's record, then the measurement dialog with the event dialog's values, and copies
// the record into the logger only when the measurement dialog ends with OK (true then).
bool EditDin15905Info(wxWindow* parent, CLevelLogger& logger);
