// Recovers the frequency modulation (and on request the amplitude envelope) of a carrier: quadrature
// mixing with an oscillator at the carrier, low-pass filtering of both branches with library tables,
// optional limiting to unit magnitude, the phase step between samples, scaled to the relative
// frequency deviation. ProcessDeviation also tracks the mean, RMS and held peak of the deviation.
//
// Threads: run by the engine's block processing; the results are plain doubles that the measurement
// window reads between blocks. Setup after changing the carrier, rate or time constants.
#pragma once

#include <memory>

#include "dsp/BiquadFilter.h"
#include "dsp/DemodWeightingFilter.h"
#include "dsp/LowPassTableFilter.h"

class CDemodulator
{
public:
    CDemodulator();
    virtual ~CDemodulator();
    CDemodulator(const CDemodulator&) = delete;
    CDemodulator& operator=(const CDemodulator&) = delete;

    // Resets oscillator, branch history and peak tracker and takes the current parameters.
    void Setup();
    // Replaces the block by the demodulated signal (FM deviation, or the envelope with m_bAm).
    void Demodulate(float* samples, int count);
    // Replaces the block by the (weighted) frequency deviation and updates m_dMean, m_dRms, m_dPeak.
    void ProcessDeviation(float* samples, int count);

    double m_dSampleRate = 44100.0;
    int m_nBlockSize = 1024;
    double m_dCarrier = 3150.0;
    int m_bWeighting = 0;
    int m_bAbsolute = 0;
    int m_nCutoff = 26;  // 400 Hz in the library's cutoffs
    int m_nOrder = 5;
    double m_dHoldTime = 2.0;
    double m_dMeanTime = 2.0;
    double m_dRmsTime = 2.0;
    int m_bNormalize = 1;
    int m_bFm = 1;
    int m_bAm = 0;
    double m_dMean = 0.0;
    double m_dPeak = 0.0;
    double m_dRms = 0.0;
    CLowPassTableFilter m_lowPassI;
    CLowPassTableFilter m_lowPassQ;
    CDemodWeightingFilter m_weighting;
    float m_fPrevI = 0.0f;
    float m_fPrevQ = 0.0f;
    std::unique_ptr<float[]> m_pI;
    std::unique_ptr<float[]> m_pQ;
    double m_dOscCos = 1.0;
    double m_dOscSin = 0.0;
    double m_dStepCos = 1.0;
    double m_dStepSin = 0.0;
    int m_nBufferLength = kBufferLength;
    CBiquadFilter m_meanFilter;
    CBiquadFilter m_rmsFilter;
    int m_nPeakCount = 0;
    double m_dPeakTrack = 0.0;

    static constexpr int kBufferLength = 65536;

private:
    // Both operations on one piece that fits the work buffers.
    void MixAndFilter(const float* samples, int count);
    void PhaseStep(int count);
    void DemodulatePiece(float* samples, int count);
    void DeviationPiece(float* samples, int count);
};
