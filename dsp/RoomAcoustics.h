// Room-acoustic figures of a measured impulse response: decay curves (backward integration or a
// moving mean square), decay times fitted between two levels of such a curve, the energy ratios C50,
// C80, D50 and D80, and the same figures per octave or third-octave band.
//
// Decay times follow the usual practice for measured responses: the backward integration stops where
// the decay meets the background noise, and the energy cut off there is added back as the tail of the
// fitted decay (an iterative estimate of noise level and crossing point). A fit whose lower level
// lies less than 10 dB above the noise cannot be trusted; its decay time is "not available" (-1).
//
// Free functions over float arrays; nothing keeps state between calls, and different calls may run
// at the same time on different data.
#pragma once

#include <array>
#include <cstdint>

class CBandTableFilter;

// Marks a single value of the record as unset, and a decay time as not available.
inline constexpr double kUnsetValue = -1.0;

class CRoomAcousticResults
{
public:
    CRoomAcousticResults();
    void Reset();

    double m_decayTime;      // s, extrapolated to 60 dB; 0 no decay found; -1 not available
    double m_halfDecayTime;  // half of m_decayTime
    double m_c50;            // plain energy ratios
    double m_c80;
    double m_d50;  // fractions 0..1
    double m_d80;
    double m_energy;        // sum of squares, filled by the caller
    double m_nonLinearity;  // per mille
    double m_intercept;     // dB at time 0
    double m_sti;
    double m_rasti;
    std::int32_t m_octaveLastBand;
    std::array<float, 64> m_octaveCentres;
    std::array<float, 64> m_octaveDecayTimes;  // ms
    std::array<float, 64> m_octaveNonLinearity;
    std::array<float, 64> m_octaveIntercepts;
    std::int32_t m_thirdLastBand;
    std::array<float, 256> m_thirdCentres;
    std::array<float, 256> m_thirdDecayTimes;  // ms
    std::array<float, 256> m_thirdNonLinearity;
    std::array<float, 256> m_thirdIntercepts;
    std::array<float, 256> m_thirdC50;
    std::array<float, 256> m_thirdD80;
    // Three decay times in seconds fitted on the same curve with the same points, not stored with
    // the record: [0] between the caller's levels, [1] T30 (-5 to -35 dB), [2] EDT (0 to -10 dB).
    // Each is 0 when no decay was found and -1 when the dynamic range does not reach its lower level.
    std::array<double, 3> m_decayTimes;
};

// What the backward integration needs to stop at the noise: the end of the integration (exclusive),
// the energy of the decay beyond it as the fitted line continues, that line's energy factor per
// sample, and the dynamic range of the response (level of the fitted decay at the peak above the
// noise, dB; 1000 when there is no noise at all, 0 when no decay was found).
struct DecayTruncation
{
    int end = 0;
    double tailEnergy = 0.0;
    double tailFactor = 0.0;
    double dynamicRange = 0.0;
};

// 1 when no value is smaller (direction 0) or larger (direction 1) than the one before it.
int IsMonotonic(const float* values, int count, int direction);

// Remaining energy after each sample relative to the total; values not above 0 become 1e-12.
// input and output may be the same array.
void SchroederIntegrate(const float* input, float* output, int count);
// The same, integrated up to truncation.end only, with truncation.tailEnergy added to what remains;
// beyond the end the curve follows the fitted tail.
void SchroederIntegrate(const float* input, float* output, int count, const DecayTruncation& truncation);
// Mean square over the `window` samples from each sample on (fewer at the end). In place allowed.
void MovingMeanSquare(const float* input, float* output, int count, int window);
// Noise level, crossing point and tail of a measured response.
DecayTruncation FindDecayTruncation(const float* signal, int count, double sampleRate);
// Mode 0: backward integration stopped at the noise and compensated; mode 1: moving mean square of
// 1024 samples scaled so that the first 0.2 s average 1. Other modes leave output untouched.
void ComputeDecayCurve(const float* input, float* output, int count, int mode, double sampleRate);

void ComputeEnergyRatios(const float* signal, int count, double sampleRate, CRoomAcousticResults& results);

// Decay time (s) of a decay curve between levelStart and levelEnd (dB, levelStart above levelEnd)
// from `points` (at most 256) regression points; 0 when the curve does not fall through both levels.
// Never NaN.
double FitDecayTime(const float* curve, int count, double sampleRate, double levelStart, double levelEnd,
                    int points, double* nonLinearityOut, double* interceptOut);

// The decay figures of one response: `work` holds the response on entry and its decay curve on exit
// (count floats). Fills m_decayTime, m_halfDecayTime, m_nonLinearity, m_intercept and m_decayTimes
// of results and returns m_decayTime. Allocates nothing.
double EvaluateDecayInPlace(float* work, int count, double sampleRate, double levelStart, double levelEnd,
                            int points, int decayMode, CRoomAcousticResults& results);

void EvaluateRoomAcoustics(const float* signal, int count, double sampleRate, CRoomAcousticResults& results,
                           double levelStart, double levelEnd, int points, int decayMode);

// Filters signal in place with the band of the octave (bandType 1) or third-octave (3) filter whose
// centre is the first at or above frequency; no such band or another type leaves it unchanged.
void ApplyBandFilter(float* signal, int count, double sampleRate, double frequency, int bandType);
// The same with the caller's filter (which then stays set to that band and rate); the filter
// starts from rest. Allocates nothing once the filter was built for the band. False: no such band.
bool ApplyBandFilter(CBandTableFilter& filter, float* signal, int count, double sampleRate, double frequency);

std::int32_t EvaluateRoomAcousticsPerBand(const float* signal, int count, double sampleRate,
                                          double levelStart, double levelEnd, int points, int bandType,
                                          float* centresOut, float* decayTimesOut, float* nonLinearityOut,
                                          float* interceptsOut, double lowerLimit, double upperLimit,
                                          float* c50Out, float* d80Out, int decayMode);
