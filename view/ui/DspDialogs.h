// The small dialogs of the "DSP" menu: the hum filter, the channel delay, the
// octave and third-octave filterbanks and the demodulator. Each edits a copy of its values; the
// measurement window stores them in the engine after OK.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>

#include "view/DspDialogValues.h"

class wxCheckBox;
class wxChoice;
class wxRadioButton;
class wxTextCtrl;

class CHumFilterDlg : public wxDialog
{
public:
    static constexpr int kIdEnable = 490;
    static constexpr int kIdBase = 751;
    static constexpr int kIdMaximum = 493;

    CHumFilterDlg(wxWindow* parent, const HumFilterValues& values);
    const HumFilterValues& GetValues() const { return m_values; }
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

private:
    HumFilterValues m_values;
    wxCheckBox* m_pEnable;
    wxTextCtrl* m_pBase;
    wxTextCtrl* m_pMaximum;
};

class CDelayDlg : public wxDialog
{
public:
    static constexpr int kIdDelay = 510;
    static constexpr int kIdChannel = 345;
    static constexpr int kIdActive = 434;

    CDelayDlg(wxWindow* parent, const DelayValues& values);
    const DelayValues& GetValues() const { return m_values; }
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

private:
    DelayValues m_values;
    wxTextCtrl* m_pDelay;
    wxTextCtrl* m_pChannel;
    wxCheckBox* m_pActive;
};

class CFilterbankDlg : public wxDialog
{
public:
    static constexpr int kIdCentre = 435;
    static constexpr int kIdEnable = 434;
    static constexpr int kIdStopBand = 440;

    CFilterbankDlg(wxWindow* parent, const FilterbankValues& values);
    const FilterbankValues& GetValues() const { return m_values; }
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

private:
    FilterbankValues m_values;
    wxChoice* m_pCentre;
    wxCheckBox* m_pEnable;
    wxCheckBox* m_pStopBand;
};

class CDemodulatorDlg : public wxDialog
{
public:
    static constexpr int kIdAm = 744;
    static constexpr int kIdFm = 745;
    static constexpr int kIdBandwidth = 484;
    static constexpr int kIdOrder = 486;
    static constexpr int kIdActive = 490;
    static constexpr int kIdCentre = 489;

    CDemodulatorDlg(wxWindow* parent, const DemodulatorValues& values);
    const DemodulatorValues& GetValues() const { return m_values; }
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

private:
    DemodulatorValues m_values;
    wxRadioButton* m_pAm;
    wxRadioButton* m_pFm;
    wxChoice* m_pBandwidth;
    wxChoice* m_pOrder;
    wxCheckBox* m_pActive;
    wxTextCtrl* m_pCentre;
};
