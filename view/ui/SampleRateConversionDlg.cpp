#include "view/ui/SampleRateConversionDlg.h"

#include "engine/SoundIn.h"
#include "view/SampleRateConversion.h"
#include "view/ui/DialogFields.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/stattext.h>

#include <cmath>

using namespace dialog_fields;
namespace src = sample_rate_conversion;

namespace
{

constexpr const char* kStepNames[src::kSteps] = {"10%", "1%", "0.1%", "100ppm", "10ppm", "1ppm"};

wxSlider* Slider(wxWindow* parent, int id, int minimum, int maximum, int tick)
{
    auto* slider = new wxSlider(parent, id, 0, minimum, maximum, wxDefaultPosition, wxSize(320, -1),
                                wxSL_HORIZONTAL | wxSL_AUTOTICKS);
    slider->SetTickFreq(tick);
    return slider;
}

}  // namespace

CSampleRateConversionDlg::CSampleRateConversionDlg(wxWindow* parent, CSoundIn& engine)
    : wxDialog(parent, wxID_ANY, WxText("Synchronize")), m_engine(engine)
{
    m_pEnable = new wxCheckBox(this, kIdEnable, WxText("enable sample rate conversion"));
    m_pEnable->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { OnEnable(); });
    auto* sync = new wxCheckBox(this, kIdSync, WxText("sync"));
    sync->Enable(false);

    m_pFrequency = Slider(this, kIdFrequency, -src::kSliderRange, src::kSliderRange, 10);
    m_pFrequencyText =
        new wxStaticText(this, kIdFrequencyText, wxEmptyString, wxDefaultPosition, wxSize(120, -1));
    m_pPhase = Slider(this, kIdPhase, 0, src::kPhaseRange, 10);
    m_pSampleShift = Slider(this, kIdSampleShift, -10, 10, 2);
    m_pSampleShift->Enable(false);
    for (int id : {kIdFrequency, kIdPhase})
        Bind(
            wxEVT_SLIDER, [this, id](wxCommandEvent&) { OnSlider(id); }, id);

    auto* steps = new wxBoxSizer(wxHORIZONTAL);
    for (int k = 0; k < src::kSteps; ++k)
    {
        m_pSteps[static_cast<std::size_t>(k)] =
            new wxRadioButton(this, kIdSteps[static_cast<std::size_t>(k)], kStepNames[k], wxDefaultPosition,
                              wxDefaultSize, k == 0 ? wxRB_GROUP : 0);
        m_pSteps[static_cast<std::size_t>(k)]->Bind(wxEVT_RADIOBUTTON,
                                                    [this, k](wxCommandEvent&) { OnStep(k); });
        steps->Add(m_pSteps[static_cast<std::size_t>(k)], 0, wxRIGHT, 8);
    }

    auto* grid = new wxFlexGridSizer(3, 6, 8);
    grid->Add(new wxStaticText(this, wxID_ANY, WxText("frequency")), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_pFrequency);
    grid->Add(m_pFrequencyText, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(new wxStaticText(this, wxID_ANY, WxText("phase (fractional shift)")), 0,
              wxALIGN_CENTER_VERTICAL);
    grid->Add(m_pPhase);
    grid->AddSpacer(0);
    grid->Add(new wxStaticText(this, wxID_ANY, WxText("sample shift")), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_pSampleShift);
    grid->AddSpacer(0);

    auto* setCenter = new wxButton(this, kIdSetCenter, WxText("Set Center"));
    setCenter->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnSetCenter(); });
    auto* reset = new wxButton(this, kIdReset, WxText("Reset"));
    reset->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnReset(); });
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(setCenter, 0, wxRIGHT, 6);
    buttons->Add(reset, 0, wxRIGHT, 16);
    buttons->Add(new wxButton(this, wxID_OK, WxText("OK")));

    auto* checks = new wxBoxSizer(wxHORIZONTAL);
    checks->Add(m_pEnable, 0, wxRIGHT, 16);
    checks->Add(sync);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(checks, 0, wxALL, 10);
    sizer->Add(grid, 0, wxLEFT | wxRIGHT, 10);
    sizer->Add(steps, 0, wxALL, 10);
    sizer->Add(buttons, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    SetSizerAndFit(sizer);
    CentreOnParent();
    SetEscapeId(wxID_OK);
    Setup();
}

void CSampleRateConversionDlg::Setup()
{
    // The slider starts in the middle around the present conversion, so that moving it changes the
    // ratio by the steps shown and not by the ratio a second time.
    m_dCentre = m_engine.m_nSampleRate * m_engine.m_dResampleRatio;
    m_pFrequency->SetValue(0);
    const double phase = std::fmod(std::max(0.0, m_engine.m_dResampleStartPhase), 1.0);
    m_pPhase->SetValue(static_cast<int>(std::lround(phase * src::kPhaseRange)));
    m_pEnable->SetValue(m_engine.m_bResampler != 0);
    for (int k = 0; k < src::kSteps; ++k)
        if (std::abs(src::StepOf(k) - m_dStep) < src::StepOf(k) * 1e-6)
            m_pSteps[static_cast<std::size_t>(k)]->SetValue(true);
    ShowFrequency();
}

void CSampleRateConversionDlg::ShowFrequency()
{
    m_pFrequencyText->SetLabel(
        wxString::Format("%7.2fHz", m_engine.m_nSampleRate * m_engine.m_dResampleRatio));
}

void CSampleRateConversionDlg::OnSlider(int id)
{
    m_engine.m_dResampleRatio = src::RatioOf(m_pFrequency->GetValue(), m_dStep, m_dCentre,
                                             static_cast<double>(m_engine.m_nSampleRate));
    if (id == kIdPhase)
    {
        m_engine.m_dResampleStartPhase = static_cast<double>(m_pPhase->GetValue()) / src::kPhaseRange;
        m_engine.m_nResampleApplyPhase = 1;
    }
    ShowFrequency();
}

void CSampleRateConversionDlg::OnStep(int choice)
{
    if (choice >= 0 && choice < src::kSteps)
        m_dStep = src::StepOf(choice);
}

void CSampleRateConversionDlg::OnSetCenter()
{
    m_dCentre = src::FrequencyOf(m_pFrequency->GetValue(), m_dStep, m_dCentre);
    m_pFrequency->SetValue(0);
}

void CSampleRateConversionDlg::OnReset()
{
    m_engine.m_dResampleRatio = 1.0;
    m_engine.m_dResampleStartPhase = 0.0;
    m_engine.m_nResampleApplyPhase = 1;
    Setup();
}

void CSampleRateConversionDlg::OnEnable()
{
    m_engine.m_bResampler = m_pEnable->GetValue() ? 1 : 0;
}
