// The modal editors of single generator functions: amplitude modulation, frequency modulation, DC
// offset, a frequency entry, the burst generator and distortion. The panel copies the generator's
// fields in before ShowModal and back after OK; numbers outside a field's range are refused with the
// range message and the dialog stays open. Captions and labels come from the text table.
//
// Threads: user-interface thread only.
#pragma once

#include "engine/ui/GeneratorDialogs.h"

#include <functional>

class wxChoice;
class wxSlider;

class CAmplitudeModulationDlg : public CGeneratorDialogBase
{
public:
    explicit CAmplitudeModulationDlg(wxWindow* parent);
    int m_bOn = 0;
    double m_dFrequency = 1000.0;
    double m_dIndex = 1.0;
    wxCheckBox* m_pOn = nullptr;
    wxTextCtrl* m_pFrequency = nullptr;
    wxTextCtrl* m_pIndex = nullptr;

protected:
    void ToWindow() override;
    bool FromWindow() override;
};

class CFrequencyModulationDlg : public CGeneratorDialogBase
{
public:
    explicit CFrequencyModulationDlg(wxWindow* parent);
    double m_dShift = 1000.0;
    int m_bOn = 0;
    wxTextCtrl* m_pShift = nullptr;
    wxCheckBox* m_pOn = nullptr;

protected:
    void ToWindow() override;
    bool FromWindow() override;
};

class CDcOffsetDlg : public CGeneratorDialogBase
{
public:
    static constexpr double kLimit = 20.0;
    explicit CDcOffsetDlg(wxWindow* parent);
    double m_dOffset = 0.0;
    wxTextCtrl* m_pOffset = nullptr;
};

class CSelectFrequencyDlg : public CGeneratorDialogBase
{
public:
    static constexpr double kMaxFrequency = 1000000.0;
    explicit CSelectFrequencyDlg(wxWindow* parent);
    double m_dFrequency = 0.0;
    wxTextCtrl* m_pFrequency = nullptr;
};

class CBurstDlg : public CGeneratorDialogBase
{
public:
    explicit CBurstDlg(wxWindow* parent);
    double m_dOnTime = 1.0;
    double m_dOffTime = 1.0;
    double m_dOnLevel = 1.0;
    double m_dOffLevel = 0.0;
    int m_nOnUnit = 2;
    int m_nOffUnit = 2;
    int m_bZeroPhase = 0;
    int m_bModulate = 1;
    int m_bOn = 0;
    wxTextCtrl* m_pOnTime = nullptr;
    wxTextCtrl* m_pOffTime = nullptr;
    wxTextCtrl* m_pOnLevel = nullptr;
    wxTextCtrl* m_pOffLevel = nullptr;
    wxChoice* m_pOnUnit = nullptr;
    wxChoice* m_pOffUnit = nullptr;
    wxCheckBox* m_pZeroPhase = nullptr;
    wxCheckBox* m_pModulate = nullptr;
    wxCheckBox* m_pOn = nullptr;

protected:
    void ToWindow() override;
    bool FromWindow() override;
};

// Distortion: a switch and a track bar 0..100. Every change is reported at once through the notify
// function (the panel's message 1074: wParam 1 when ticked, lParam the position); the dialog has no
// result of its own.
class CDistortionDlg : public wxDialog
{
public:
    static constexpr int kMessage = 1074;
    explicit CDistortionDlg(wxWindow* parent);
    // Sets the controls without reporting.
    void Preset(int on, int position);
    // As the controls do: the switch or the track bar changed.
    void Changed();

    std::function<void(int wParam, int lParam)> m_notify;
    wxCheckBox* m_pOn = nullptr;
    wxSlider* m_pAmount = nullptr;
};
