// The pulse histogram's two dialogs: "Histogram Settings" (auto scale factor, capture time shown as
// hours, minutes and seconds, points, absolute RMS threshold, time window) and "Histogram curve
// select" (which of the four curves the window draws). Both edit their own members; the opener
// copies them in and takes them after OK.
//
// Threads: user-interface thread only.
#pragma once

#include "engine/ui/GeneratorDialogs.h"

#include <array>

class wxRadioButton;

class CHistogramSettingsDlg : public CGeneratorDialogBase
{
public:
    explicit CHistogramSettingsDlg(wxWindow* parent);

    // The capture time in whole hours, minutes and seconds, and back.
    static void SplitCaptureTime(double seconds, int& hours, int& minutes, double& rest);
    static double JoinCaptureTime(int hours, int minutes, double seconds);

    double m_dAutoScaleFactor = 0.0;
    double m_dCaptureTime = 0.0;  // s
    int m_nPoints = 0;
    double m_dAbsRmsThreshold = 0.0;
    double m_dTimeWindowMs = 0.0;

protected:
    void ToWindow() override;
    bool FromWindow() override;

private:
    // The edits' values; the whole-number fields are checked on OK.
    double m_dPoints = 0.0;
    double m_dHours = 0.0;
    double m_dMinutes = 0.0;
    double m_dSeconds = 0.0;
};

class CHistogramCurveSelectDlg : public wxDialog
{
public:
    static constexpr int kIdFirstCurve = 595;

    explicit CHistogramCurveSelectDlg(wxWindow* parent);
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    // 0 oscilloscope, 1 period, 2 active duration, 3 differentiated; -1 none.
    int m_nCurve = -1;

private:
    std::array<wxRadioButton*, 4> m_pCurves{};
};
