// The CCIR quasi-peak rectifier: full-wave rectification with a fast attack and a slow release,
// smoothed by a 6.67 Hz first-order low-pass.
//
// Threads: one object per level meter, used by the thread that feeds that meter.
#pragma once

#include "dsp/DesignedFilterBank.h"

class CEnvelopeFollower
{
public:
    CEnvelopeFollower();
    virtual ~CEnvelopeFollower() = default;
    CEnvelopeFollower(const CEnvelopeFollower&) = delete;
    CEnvelopeFollower& operator=(const CEnvelopeFollower&) = delete;

    // Replaces the block by its envelope. Coefficients and state restart when the rate changed.
    void Process(float* values, int count);
    // For a caller that runs several followers side by side (CLevelMeter::ProcessLanes): brings the
    // rectifier coefficients to the present rate as Process does, and returns the smoothing filter
    // when it is designed for that rate and is one first-order section; null when only Process can
    // run this follower.
    CDesignedFilter* PrepareLane();

    double m_sampleRate = 0.0;
    double m_coefficientRate = -1.0;
    CDesignedFilterBank m_smoothingBank;
    double m_attackTime = 0.0016;
    double m_releaseTime = 0.39;
    double m_state = 0.0;
    double m_attackCoefficient = 0.0;
    double m_releaseCoefficient = 0.0;

private:
    void UpdateCoefficients();
};
