// An integer-factor sample dropper whose phase carries across blocks; it filters nothing, so its
// users put the anti-alias band filter in front of it.
#pragma once

class CDecimator
{
public:
    CDecimator() = default;

    // Restarts the phase. A factor below 1 keeps every sample (factor 1).
    void SetFactor(int factor);
    // Keeps every factor-th sample, moved to the front of the block; returns how many were kept.
    int Process(float* samples, int count);

    int m_nPhase = 0;   // index, relative to the next block's start, of the next sample to keep
    int m_nFactor = 1;  // decimation factor
};
