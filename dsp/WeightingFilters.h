// The time-domain frequency weightings: filter stages that weight a block in place with cascades of
// first-order (and a few higher-order) sections designed for the current sample rate, plus the
// ITU-R 468 stage with its peaking section.
//
// The A and C stages are the analogue curves pole by pole. The low-frequency poles are first-order
// sections designed by the pre-warped bilinear transform, which puts them where they belong. The
// 12.2 kHz double pole is one second-order section whose poles are the analogue ones mapped exactly
// (z = e^(-2 pi f / fs)) and whose zeros match the analogue magnitude at 0 Hz, at its corner and at
// half the rate: a bilinear transform would bend the curve towards half the rate, which at 32 kHz
// puts 8 kHz outside the class 1 limits. Both curves stay within the class 1 limits of the
// sound-level-meter standard at every offered rate from 32 to 192 kHz up to 0.45 of the rate.
//
// Threads: one object per channel of one owner, used by the thread that runs its blocks. The first
// block at a new rate designs the sections (no allocation once the bank's channels exist: construct
// and run one block at the rate before the audio path starts, or accept one allocation per stage).
#pragma once

#include "dsp/BiquadFilter.h"
#include "dsp/DesignedFilterBank.h"
#include "dsp/FilterStage.h"
#include "dsp/IirFilter.h"

// Base of the bank-built weightings: rebuilds the bank on a rate change, runs it and scales.
class CBankWeightingFilter : public CFilterStage
{
public:
    CBankWeightingFilter();
    void Process(float* samples, int count) override;
    // The part of Process before the samples: rebuilds the bank and the double pole when the rate
    // changed. For code that runs the stage's sections itself (side by side with other channels'
    // stages): after it, the bank's filters (once designed for the rate), the double pole and the
    // output factor are what Process applies.
    void PrepareForRate();
    CIirFilter& GetDoublePole() { return m_doublePole; }
    double GetOutputFactor() const { return m_dOutputFactor; }

    CDesignedFilterBank m_bank;

protected:
    // Writes the bank's channels for rate fs; returns the output factor.
    virtual double WriteChannels(int fs) = 0;
    void SetHighPass(int channel, double corner, int order);
    void SetLowPass(int channel, double corner, int order);

    // The corner of the magnitude-matched double real pole run after the bank (Hz); 0: none.
    double m_dDoublePoleCorner = 0.0;

private:
    double m_dOutputFactor = 1.0;
    CIirFilter m_doublePole;
};

// The second-order low-pass (b0..b2, a0..a2 with a0 = 1) of the analogue double real pole
// (1 + s / (2 pi fc))^-2 at rate fs: poles mapped exactly, zeros chosen so that the magnitude equals
// the analogue one at 0 Hz, at half the rate and at fc (at a quarter of the rate when fc is not
// below half the rate).
void DesignMatchedDoublePole(double fc, double fs, double* b, double* a);

class CAWeightingFilter : public CBankWeightingFilter
{
public:
    CIirFilter m_switch;  // filters nothing: m_switch.m_bEnabled is the on switch a generator tests

protected:
    double WriteChannels(int fs) override;
};

class CCWeightingFilter : public CBankWeightingFilter
{
public:
    CIirFilter m_switch;  // filters nothing: m_switch.m_bEnabled is the on switch a generator tests

protected:
    double WriteChannels(int fs) override;
};

class CAUWeightingFilter : public CBankWeightingFilter
{
protected:
    double WriteChannels(int fs) override;
};

class CUWeightingFilter : public CBankWeightingFilter
{
protected:
    double WriteChannels(int fs) override;
};

class CUS1WeightingFilter : public CBankWeightingFilter
{
protected:
    double WriteChannels(int fs) override;
};

class CItu468WeightingFilter : public CFilterStage
{
public:
    CItu468WeightingFilter();
    void Process(float* samples, int count) override;
    // The corner, peak and gain set of the rate class of fs (each boundary belongs to the lower class).
    void SelectParameters(int fs);
    // Writes the bank's channels and the peaking section for the selected parameters.
    void Configure(int fs);

    CDesignedFilterBank m_bank;
    CBiquadFilter m_peak;
    double m_dHighPassCorner = 16000.0;
    double m_dLowPassCorner = 10300.0;
    double m_dPeakGain = -1.2;  // dB, applied with inverted sign
    double m_dPeakFrequency = 7000.0;
    double m_dOutputGain = 29.8;  // dB
    double m_dPeakQ = 1.0;
};

// One filter of every time-domain weighting, looked up by weighting code, for owners that switch
// between weightings.
class CWeightingFilterSet
{
public:
    // The filter of a weighting code; null for Z and every unknown code (no weighting).
    CFilterStage* Get(int code);
    // The same filter when it is built on a designed-filter bank (A, C, AU, U, US1); null otherwise.
    CBankWeightingFilter* GetBank(int code);
    void SetSampleRate(int sampleRate);

    CCWeightingFilter m_weightingC;
    CAWeightingFilter m_weightingA;
    CAUWeightingFilter m_weightingAU;
    CUWeightingFilter m_weightingU;
    CUS1WeightingFilter m_weightingUS1;
    CItu468WeightingFilter m_weightingItu468;
};
