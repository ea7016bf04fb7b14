// The small calibration entries: "Tracking level" (one value with its label, unit and range), the
// two-value dialog of the sweep results' scale (two such rows), and the quick calibration's
// reference level with its "save" choice. A value outside its range is named in a message and the
// dialog stays open.
//
// Threads: user-interface thread only.
#pragma once

#include <array>
#include <string>
#include <vector>

#include <wx/dialog.h>

class wxCheckBox;
class wxTextCtrl;

// One labelled value with its unit and range.
struct CalibrationValueRow
{
    std::string label;
    std::string unit;
    double value = 0.0;
    double minimum = -1e9;
    double maximum = 1e9;
};

// What the tracking-level and two-value dialogs share: a title and rows of values.
class CValueRowsDlg : public wxDialog
{
public:
    // Builds the rows' controls from the members the first time.
    int ShowModal() override;
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    std::string m_strTitle;

protected:
    CValueRowsDlg(wxWindow* parent, int templateId, int rows, const std::vector<std::array<int, 3>>& ids);
    void Build();
    virtual CalibrationValueRow& Row(int index) = 0;

private:
    std::vector<std::array<int, 3>> m_ids;  // label, value and unit ids of each row
    std::vector<wxTextCtrl*> m_edits;
    bool m_bBuilt = false;
};

class CTrackingLevelCalibrationDlg : public CValueRowsDlg
{
public:
    static constexpr int kIdLabel = 602;
    static constexpr int kIdValue = 610;
    static constexpr int kIdUnit = 611;
    static constexpr int kIdHidden = 177;

    explicit CTrackingLevelCalibrationDlg(wxWindow* parent);
    CalibrationValueRow m_row;

protected:
    CalibrationValueRow& Row(int) override { return m_row; }
};

class CTwoValueDlg : public CValueRowsDlg
{
public:
    static constexpr int kIdFirstValue = 610;
    static constexpr int kIdSecondValue = 613;

    explicit CTwoValueDlg(wxWindow* parent);
    std::array<CalibrationValueRow, 2> m_rows;

protected:
    CalibrationValueRow& Row(int index) override { return m_rows[static_cast<std::size_t>(index & 1)]; }
};

class CQuickCalibrationDlg : public wxDialog
{
public:
    static constexpr int kIdReference = 599;
    static constexpr int kIdSave = 1525;

    explicit CQuickCalibrationDlg(wxWindow* parent);
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    double m_dReferenceLevel = 94.0;  // dB
    int m_bSave = 0;

private:
    wxTextCtrl* m_pReference;
    wxCheckBox* m_pSave;
};
