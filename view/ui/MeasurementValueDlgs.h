// The small settings dialogs of the measurement windows, each a few numbers or choices: the data
// logger rate, the reverberation evaluation, the bands per octave, the frequency band, the
// intermodulation settings, the decay-signal type, the sound-power surface, the
// frequency range of the attenuation measurement and the date and time fields. The command that
// opens one fills its members and takes them back after OK; a value out of range is named in a
// message and the dialog stays open.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>

#include <array>
#include <string>

class wxCheckBox;
class wxChoice;
class wxRadioButton;
class wxTextCtrl;

// "Datalogger": measurements per minute (0.001..500) and the duration in minutes (0.01..1e8).
class CDataloggerDlg : public wxDialog
{
public:
    static constexpr int kIdRate = 416;
    static constexpr int kIdDuration = 336;
    explicit CDataloggerDlg(wxWindow* parent);
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;
    double m_dPerMinute = 1.0;
    double m_dMinutes = 60.0;

private:
    wxTextCtrl* m_pRate;
    wxTextCtrl* m_pDuration;
};

// The reverberation evaluation: average points, start, stop and target levels, time window and
// frequency range.
class CReverbPropertiesDlg : public wxDialog
{
public:
    static constexpr int kIdAveragePoints = 215;
    static constexpr int kIdStartLevel = 197;
    static constexpr int kIdStopLevel = 204;
    static constexpr int kIdTargetLevel = 209;
    static constexpr int kIdTimeWindow = 222;
    static constexpr int kIdMinFrequency = 198;
    static constexpr int kIdMaxFrequency = 205;
    explicit CReverbPropertiesDlg(wxWindow* parent);
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;
    int m_nAveragePoints = 2;
    double m_dStartLevel = -3.0;
    double m_dStopLevel = -15.0;
    double m_dTargetLevel = -60.0;
    double m_dTimeWindowMs = 0.0;
    double m_dMinFrequency = 20.0;
    double m_dMaxFrequency = 20000.0;

private:
    std::array<wxTextCtrl*, 7> m_edits{};
};

// Bars per octave, 1..32.
class CSelectBandsDlg : public wxDialog
{
public:
    static constexpr int kIdBands = 600;
    explicit CSelectBandsDlg(wxWindow* parent);
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;
    int m_nBands = 6;

private:
    wxTextCtrl* m_pBands;
};

// The frequency band: off, an octave or a third octave with its centre from the nominal tables.
class CSelectFrequencyBandDlg : public wxDialog
{
public:
    static constexpr int kIdOctave = 754;
    static constexpr int kIdThird = 755;
    static constexpr int kIdOff = 756;
    static constexpr int kIdOctaveList = 757;
    static constexpr int kIdThirdList = 441;
    explicit CSelectFrequencyBandDlg(wxWindow* parent);
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;
    double m_dFrequency = 1000.0;
    int m_nKind = 0;  // 0 off, 1 octave, 3 third octave

private:
    wxRadioButton* m_pOctave;
    wxRadioButton* m_pThird;
    wxRadioButton* m_pOff;
    wxChoice* m_pOctaveList;
    wxChoice* m_pThirdList;
};

// Intermodulation: "Auto detect", the two frequencies and the orders shown. The members hold what
// the dialog shows; the window's stored first frequency carries "Auto detect" as its sign.
class CImdSettingsDlg : public wxDialog
{
public:
    static constexpr int kIdAutoDetect = 1527;
    static constexpr int kIdFrequency1 = 1526;
    static constexpr int kIdFrequency2 = 491;
    static constexpr int kIdOrderFirst = 1528;  // "Order #2" .. "Order #5": 1528..1531
    explicit CImdSettingsDlg(wxWindow* parent);
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;
    int m_bAutoDetect = 0;
    double m_dFrequency1 = 60.0;
    double m_dFrequency2 = 7000.0;
    std::array<int, 4> m_bOrders{1, 1, 1, 1};

private:
    wxCheckBox* m_pAutoDetect;
    wxTextCtrl* m_pFrequency1;
    wxTextCtrl* m_pFrequency2;
    std::array<wxCheckBox*, 4> m_pOrders{};
};

// "Signal Typ": impulse response, decay of interrupted noise, energy decay curve (hidden). The
// dialog keeps its place at 111, 111.
class CSignalTypeDlg : public wxDialog
{
public:
    static constexpr int kIds[3] = {134, 139, 143};
    static constexpr int kPinnedPosition = 111;
    explicit CSignalTypeDlg(wxWindow* parent);
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;
    int m_nType = -1;

private:
    std::array<wxRadioButton*, 3> m_pTypes{};
};

// "Schallleistung": the measurement surface in m² and the number of microphones (3 or 6).
class CSoundPowerDlg : public wxDialog
{
public:
    static constexpr int kIdSurface = 333;
    static constexpr int kIdThree = 134;
    static constexpr int kIdSix = 135;
    explicit CSoundPowerDlg(wxWindow* parent);
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;
    double m_dSurface = 1.0;
    int m_nMicrophones = -1;  // 0: three, 1: six, -1: none chosen

private:
    wxTextCtrl* m_pSurface;
    wxRadioButton* m_pThree;
    wxRadioButton* m_pSix;
};

// "Konfiguration": the frequency range "von" .. "bis" of the attenuation wizard, each 0..100000 Hz.
class CAttenuationRangeDlg : public wxDialog
{
public:
    static constexpr int kIdFrom = 252;
    static constexpr int kIdTo = 255;
    explicit CAttenuationRangeDlg(wxWindow* parent);
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;
    double m_dFrom = 20.0;
    double m_dTo = 20000.0;

private:
    wxTextCtrl* m_pFrom;
    wxTextCtrl* m_pTo;
};

// "Time": year, month, day, hour, minute and second, for a duration or a date (the opener converts).
class CDateTimeDlg : public wxDialog
{
public:
    static constexpr int kIds[6] = {1489, 1490, 1492, 1494, 1496, 1498};
    explicit CDateTimeDlg(wxWindow* parent);
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;
    int m_nYear = 0;
    int m_nMonth = 0;
    int m_nDay = 0;
    int m_nHour = 0;
    int m_nMinute = 0;
    double m_dSecond = 0.0;

private:
    std::array<wxTextCtrl*, 6> m_edits{};
};
