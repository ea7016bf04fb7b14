// "Synchronize": the engine's sample-rate conversion of its input, edited while it runs. The
// frequency slider moves the conversion frequency around a centre in the chosen step (10 % down
// to 1 ppm), "Set Center" makes the present frequency the new centre, the phase slider sets the
// converter's fractional start phase, "Reset" goes back to no conversion. The sample-shift slider
// and "sync" have nothing in the engine to act on and stay disabled.
//
// Threads: user-interface thread; the engine reads each value per block.
#pragma once

#include <wx/dialog.h>

#include <array>

class CSoundIn;
class wxCheckBox;
class wxRadioButton;
class wxSlider;
class wxStaticText;

class CSampleRateConversionDlg : public wxDialog
{
public:
    static constexpr int kIdFrequency = 269;
    static constexpr int kIdPhase = 285;
    static constexpr int kIdSampleShift = 289;
    static constexpr int kIdFrequencyText = 276;
    static constexpr int kIdEnable = 272;
    static constexpr int kIdSync = 295;
    static constexpr int kIdSetCenter = 281;
    static constexpr int kIdReset = 279;
    static constexpr std::array<int, 6> kIdSteps = {134, 139, 143, 147, 154, 161};

    CSampleRateConversionDlg(wxWindow* parent, CSoundIn& engine);

    // What the controls do; the tests call them as the events do.
    void OnSlider(int id);
    void OnStep(int choice);
    void OnSetCenter();
    void OnReset();
    void OnEnable();

    double Centre() const { return m_dCentre; }

private:
    void Setup();
    void ShowFrequency();

    CSoundIn& m_engine;
    double m_dStep = 0.1;
    double m_dCentre = 0.0;
    wxSlider* m_pFrequency;
    wxSlider* m_pPhase;
    wxSlider* m_pSampleShift;
    wxStaticText* m_pFrequencyText;
    wxCheckBox* m_pEnable;
    std::array<wxRadioButton*, 6> m_pSteps{};
};
