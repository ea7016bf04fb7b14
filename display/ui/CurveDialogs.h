// The small modal dialogs of one curve, one text label, the vectorscope and the waterfall: the caller fills
// the members, runs the dialog and reads the members back after OK. A value outside its range keeps the
// dialog open with a message.
//
// Threads: user-interface thread only.
#pragma once

#include <string>

#include <wx/dialog.h>

#include "display/CurveStyle.h"

class wxCheckBox;
class wxTextCtrl;
class wxButton;
class wxRadioBox;

// "Properties" of a curve: its style (a copy the dialog owns), whether it is shown and its label.
class CCurvePropertiesDlg : public wxDialog
{
public:
    static constexpr int kIdActive = 490;
    static constexpr int kIdLabel = 593;
    static constexpr int kIdLineStyles = 590;
    static constexpr int kIdActiveText = 1353;
    static constexpr int kIdLabelText = 1352;

    explicit CCurvePropertiesDlg(wxWindow* parent);

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    CCurveStyle m_style;
    int m_bActive = 0;
    std::string m_strLabel;

private:
    void OnLineStyles(wxCommandEvent& event);

    wxCheckBox* m_pActive = nullptr;
    wxTextCtrl* m_pLabel = nullptr;
    wxButton* m_pLineStyles = nullptr;
};

// "Properties" of a text label: its text, its font size (1 to 200) and whether to delete it.
class CTextLabelDlg : public wxDialog
{
public:
    static constexpr int kIdDelete = 639;
    static constexpr int kIdSize = 596;
    static constexpr int kIdText = 593;
    static constexpr int kIdDeleteText = 1461;
    static constexpr int kIdTextLabel = 1460;
    static constexpr int kIdSizeLabel = 776;
    static constexpr unsigned kMinSize = 1;
    static constexpr unsigned kMaxSize = 200;

    explicit CTextLabelDlg(wxWindow* parent);

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    int m_bDelete = 0;
    unsigned m_nSize = 0;
    std::string m_strText;

private:
    wxCheckBox* m_pDelete = nullptr;
    wxTextCtrl* m_pSize = nullptr;
    wxTextCtrl* m_pText = nullptr;
};

// "Vectorscope settings": rotation, decay, history depth (0 to 256, the image's slots) and style.
class CVectorscopeSettingsDlg : public wxDialog
{
public:
    static constexpr int kIdFreeAngle = 168;
    static constexpr int kIdDecay = 173;
    static constexpr int kIdDepth = 145;
    static constexpr int kIdRotation = 150;
    static constexpr int kIdStyle = 137;
    static constexpr int kIdActive = 490;
    static constexpr int kMaxDepth = 256;

    explicit CVectorscopeSettingsDlg(wxWindow* parent);

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    double m_dFreeAngle = 0.0;
    double m_dDecay = 0.85;
    int m_nDepth = 0;
    int m_nRotation = 1;  // 0 off, 1 +45deg, 2 -45deg, 3 free
    int m_nStyle = 1;     // 0 dots, 1 lines
    int m_bActive = 0;

private:
    wxTextCtrl* m_pFreeAngle = nullptr;
    wxTextCtrl* m_pDecay = nullptr;
    wxTextCtrl* m_pDepth = nullptr;
    wxRadioBox* m_pRotation = nullptr;
    wxRadioBox* m_pStyle = nullptr;
    wxCheckBox* m_pActive = nullptr;
};

// "Waterfall settings": the zoom, the time span (start 0 to 100 s, stop -1 to 100 s; -1 is the
// full span) and the direction.
class CWaterfallSettingsDlg : public wxDialog
{
public:
    static constexpr int kIdXLog = 152;
    static constexpr int kIdYMax = 169;
    static constexpr int kIdYMin = 165;
    static constexpr int kIdXMax = 185;
    static constexpr int kIdXMin = 179;
    static constexpr int kIdStart = 197;
    static constexpr int kIdStop = 204;
    static constexpr int kIdYLog = 164;
    static constexpr int kIdFullSpan = 694;
    static constexpr int kIdInvert = 695;

    explicit CWaterfallSettingsDlg(wxWindow* parent);

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    int m_bXLog = 0;
    float m_fYMax = 0.0f;
    float m_fYMin = 0.0f;
    float m_fXMax = 0.0f;
    float m_fXMin = 0.0f;
    double m_dStart = 0.0;
    double m_dStop = 0.0;
    int m_bYLog = 0;
    int m_bFullSpan = 0;
    int m_bInvert = 0;

private:
    wxCheckBox* m_pXLog = nullptr;
    wxTextCtrl* m_pYMax = nullptr;
    wxTextCtrl* m_pYMin = nullptr;
    wxTextCtrl* m_pXMax = nullptr;
    wxTextCtrl* m_pXMin = nullptr;
    wxTextCtrl* m_pStart = nullptr;
    wxTextCtrl* m_pStop = nullptr;
    wxCheckBox* m_pYLog = nullptr;
    wxCheckBox* m_pFullSpan = nullptr;
    wxCheckBox* m_pInvert = nullptr;
};
