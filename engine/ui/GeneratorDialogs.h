// The small modal dialogs of the generator panel, each editing a few fields of the panel's
// generator: playing a wave file, pulse width, crest-factor target, the advanced setting, the
// frequency step, the sweep and chirp properties, and volume, calibration and balance with the
// ranges of the floating sliders. The panel fills the members before ShowModal and takes them back
// after OK. Numbers outside a field's range are refused with a message and the dialog stays open.
//
// Threads: user-interface thread only.
#pragma once

#include <string>
#include <vector>

#include <wx/dialog.h>

class wxCheckBox;
class wxComboBox;
class wxRadioButton;
class wxStaticText;
class wxTextCtrl;

// The number edits of a dialog: each edit with its member, its range and its format.
class CNumberFields
{
public:
    void Add(wxTextCtrl* edit, double* value, double min, double max, const char* format);
    void ToWindow() const;
    // Reads every edit; the first that holds no number in its range is refused ("Please enter a
    // number between %g and %g."), gets the focus, and nothing is taken over.
    bool FromWindow(wxWindow* parent) const;

private:
    struct Field
    {
        wxTextCtrl* edit;
        double* value;
        double min;
        double max;
        const char* format;
    };
    std::vector<Field> m_fields;
};

class CGeneratorDialogBase : public wxDialog
{
public:
    CGeneratorDialogBase(wxWindow* parent, const wxString& title);
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

protected:
    // The dialog's own exchange besides the number edits.
    virtual void ToWindow() {}
    virtual bool FromWindow() { return true; }
    // Adds a row "label [edit]" to the dialog's body.
    wxTextCtrl* AddNumber(const wxString& label, double* value, double min, double max, const char* format);
    void Finish();

    CNumberFields m_numbers;
    wxWindow* m_pBody = nullptr;
};

class CPlayWaveFileDlg : public CGeneratorDialogBase
{
public:
    static constexpr double kMaxFadeMs = 99000.0;
    explicit CPlayWaveFileDlg(wxWindow* parent);
    // Reads the facts of m_strPath (all 0 without a path or a readable file) and shows them.
    void ReadFacts();

    std::string m_strPath;
    double m_dFadeInMs = 0.0;
    double m_dFadeOutMs = 0.0;
    double m_dLengthSeconds = 0.0;
    int m_nChannels = 0;
    int m_nSampleRate = 0;
    int m_nBits = 0;
    wxStaticText* m_pPath = nullptr;
    wxStaticText* m_pLength = nullptr;
    wxStaticText* m_pChannels = nullptr;
    wxStaticText* m_pRate = nullptr;
    wxStaticText* m_pBits = nullptr;

protected:
    void ToWindow() override;

private:
    void OnBrowse();
};

class CPulseWidthsDlg : public CGeneratorDialogBase
{
public:
    explicit CPulseWidthsDlg(wxWindow* parent);
    double m_dPulseWidthPercent = 50.0;
};

class CCrestFactorDlg : public CGeneratorDialogBase
{
public:
    explicit CCrestFactorDlg(wxWindow* parent);
    double m_dTarget = 1.3;
    bool m_bEnable = false;
    wxCheckBox* m_pEnable = nullptr;

protected:
    void ToWindow() override;
    bool FromWindow() override;
};

class CSpecialSettingsDlg : public CGeneratorDialogBase
{
public:
    explicit CSpecialSettingsDlg(wxWindow* parent);
    bool m_bChannel1Only = false;
    wxCheckBox* m_pChannel1Only = nullptr;

protected:
    void ToWindow() override;
    bool FromWindow() override;
};

class CFrequencyStepDlg : public CGeneratorDialogBase
{
public:
    explicit CFrequencyStepDlg(wxWindow* parent);
    double m_dStep = 10.0;
    int m_nMode = 0;  // 0 automatic (mouse control), 1 fixed step
    wxRadioButton* m_pAutomatic = nullptr;
    wxRadioButton* m_pFixed = nullptr;

protected:
    void ToWindow() override;
    bool FromWindow() override;
};

class CSweepPropertiesDlg : public CGeneratorDialogBase
{
public:
    explicit CSweepPropertiesDlg(wxWindow* parent);
    double m_dStart = 100.0;
    double m_dStop = 2000.0;
    double m_dTime = 1.0;
    int m_nLog = 0;
    std::string m_strLength = "1024";
    int m_nChirpType = 0;
    bool m_bChirpOn = false;
    wxRadioButton* m_pLinear = nullptr;
    wxRadioButton* m_pLog = nullptr;
    wxComboBox* m_pLength = nullptr;
    wxRadioButton* m_pConstant = nullptr;
    wxRadioButton* m_pOptimized = nullptr;
    wxCheckBox* m_pChirps = nullptr;

protected:
    void ToWindow() override;
    bool FromWindow() override;
};

class CVolumeDlg : public CGeneratorDialogBase
{
public:
    explicit CVolumeDlg(wxWindow* parent);
    double m_dVolumeDb = 0.0;
    double m_dCalibrationDb = 0.0;
    double m_dBalanceDb = 0.0;
    double m_dBalanceMax = 50.0;
    double m_dBalanceMin = -50.0;
    double m_dVolumeMax = 0.0;
    double m_dVolumeMin = -100.1;
};
