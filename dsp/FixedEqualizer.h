// Four fixed peaking sections (4025, 4314, 6543 and 10637 Hz) run in series when enabled.
#pragma once

#include <array>

#include "dsp/BiquadFilter.h"
#include "dsp/FilterStage.h"

class CFixedEqualizer : public CFilterStage
{
public:
    CFixedEqualizer();
    ~CFixedEqualizer() override;
    void Process(float* samples, int count) override;

    int m_nSections = 4;
    int m_bEnabled = 0;
    std::array<CBiquadFilter, 4> m_peaks;
};
