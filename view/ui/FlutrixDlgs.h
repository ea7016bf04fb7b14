// The wow-and-flutter windows of a measurement window: the settings dialog of the analysis, and its
// results window (peak, RMS and mean deviation in per cent and in Hz, the centre frequency, the
// weighting and the input bandwidth), a modeless pop-up created hidden whose closing only hides it.
//
// Threads: user-interface thread only.
#pragma once

#include <vector>

#include <wx/dialog.h>

#include "engine/WowAndFlutter.h"

class wxCheckBox;
class wxChoice;
class wxTextCtrl;

class CFlutrixSettingsDlg : public wxDialog
{
public:
    static constexpr int kIdBandwidths = 484;
    static constexpr int kIdOrder = 486;
    static constexpr int kIdWeighting = 488;
    static constexpr int kIdCentre = 489;
    static constexpr int kIdActive = 490;
    static constexpr int kIdAbsolute = 492;
    static constexpr int kIdRms = 338;
    static constexpr int kIdPeak = 348;
    static constexpr int kIdMean = 520;

    CFlutrixSettingsDlg(wxWindow* parent, const WowAndFlutterSettings& settings,
                        std::vector<double> bandwidths);

    bool TransferDataToWindow() override;
    // Reads every field; a value outside its range is named in a message and the dialog stays.
    bool TransferDataFromWindow() override;

    WowAndFlutterSettings m_settings;

private:
    std::vector<double> m_bandwidths;
    wxTextCtrl* m_pCentre;
    wxChoice* m_pBandwidths;
    wxChoice* m_pOrder;
    wxCheckBox* m_pWeighting;
    wxCheckBox* m_pActive;
    wxTextCtrl* m_pMean;
    wxTextCtrl* m_pPeak;
    wxTextCtrl* m_pRms;
    wxCheckBox* m_pAbsolute;
};

class CFlutrixResultsDlg : public wxDialog
{
public:
    static constexpr int kIdMeanPercent = 512;
    static constexpr int kIdMeanHz = 513;
    static constexpr int kIdRmsPercent = 514;
    static constexpr int kIdRmsHz = 515;
    static constexpr int kIdPeakPercent = 516;
    static constexpr int kIdPeakHz = 517;
    static constexpr int kIdCentre = 518;
    static constexpr int kIdBandwidth = 521;
    static constexpr int kIdWeighting = 535;

    CFlutrixResultsDlg();

    // Takes the analysis' newest values and shows them.
    void SetResults(const WowAndFlutterResults& results);
    void RefreshValues();
    // The text of a control (tests read what a user sees).
    wxString GetControlText(int id) const;

private:
    WowAndFlutterResults m_results;
};
