// The user-definable filter: a Butterworth, Chebyshev or elliptic low-pass, high-pass, band-pass or
// band-stop designed at run time for the current sample rate and run as a cascade of first- and
// second-order sections, with the design gain applied after the cascade. Its settings travel as the
// 56-byte record CDesignedFilterSettings (workspace, generator settings).
//
// Threads: one object is used by one thread at a time (the engine's input path, a generator's
// rendering, an analyser, or the dialog's own temporary filter). Process redesigns when the sample
// rate differs from the design's or m_dDesignedRate was reset to -1 (SetSettings and GetSettings do
// so; an owner that writes the fields directly sets it). A redesign allocates nothing: the sections
// are sized at construction.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "dsp/FilterDesigner.h"
#include "dsp/IirFilter.h"

class CArchive;

// The settings record; its byte form (ToBytes / FromBytes, little-endian, padding written as zeros
// and ignored when read) is the stored one:
//   0 int32 enabled | 4 pad | 8 double high corner | 16 double low corner | 24 int32 order |
//   28 int32 band-stop | 32 int32 design kind | 36 pad | 40 double ripple dB | 48 int32 twice | 52 pad
struct CDesignedFilterSettings
{
    static constexpr int kBytes = 56;

    std::int32_t m_bEnabled = 1;     // 1: the owner applies the filter
    double m_dHighCorner = 2000.0;   // Hz: low-pass corner or upper band edge
    double m_dLowCorner = 0.0;       // Hz: high-pass corner or lower band edge; <= 0 makes a low-pass
    std::int32_t m_nOrder = 2;       // order of the prototype
    std::int32_t m_bBandStop = 0;    // 1: two corners make a band-stop instead of a band-pass
    std::int32_t m_nDesignKind = 1;  // 1 Butterworth, 2 Chebyshev, 3 elliptic
    double m_dRippleDb = 0.5;        // passband ripple (Chebyshev, elliptic)
    std::int32_t m_bTwice = 0;       // 1: the cascade runs twice (squared response)

    std::array<std::uint8_t, kBytes> ToBytes() const;
    static CDesignedFilterSettings FromBytes(std::span<const std::uint8_t, kBytes> bytes);
};

// Band type and designer edges for a pair of corners: low-pass when fA <= 0, high-pass at fA when fB
// is negative or at or above half the rate, band-pass (band-stop with bandStop) when fA < fB, else -1.
void ClassifyBand(double fA, double fB, double fs, int bandStop, int& type, double& edge1, double& edge2);

class CDesignedFilter
{
public:
    static constexpr int kMaxSections = 20;
    // The stop-band parameter of the elliptic kind: an attenuation of 60 dB (the settings carry no
    // stop-band field).
    static constexpr double kEllipticStopSpec = -60.0;

    CDesignedFilter();
    virtual ~CDesignedFilter();
    CDesignedFilter(const CDesignedFilter&) = delete;
    CDesignedFilter& operator=(const CDesignedFilter&) = delete;

    // Copies the record in; the next Process designs for it.
    void SetSettings(const CDesignedFilterSettings& settings);
    // Copies the settings out and marks the design stale, so the next Process redesigns.
    void GetSettings(CDesignedFilterSettings& settings);
    // The filter always works at the input rate; kept for the owners that call it before processing.
    void UpdateDecimation() {}
    // Classifies the corners and designs. Returns the designer's result (kDesignOk or a refusal);
    // a refused design leaves no sections and gain 1, so the block passes unchanged, and the refusal
    // stays readable through GetDesignResult.
    int Design();
    // Filters in place; redesigns first when the sample rate differs from the design's.
    void Process(float* samples, int count);
    // Zeroes the histories of every section.
    void Reset();
    // Magnitude at f Hz of the present design; 1e-30 at or above half the rate (with the full-rate
    // response: computed there too); squared with twice.
    double GetResponse(double f) const;
    // The generator program's rule for every filter of the process: the response is computed at
    // the full rate for every frequency, half the rate and above included. Off by default.
    static void SetFullRateResponse(bool on);
    // Stores int32 56 and the record (forcing a redesign); loads a count and, when it is 56, the record.
    void Serialize(CArchive& ar);

    int GetDesignResult() const { return m_nDesignResult; }
    bool IsDesignRefused() const { return m_nDesignResult != kDesignOk; }
    int GetBandType() const { return m_nBandType; }
    int GetSectionCount() const { return m_nSections; }
    const CIirFilter& GetSection(int index) const { return m_sections[index]; }
    CIirFilter& GetSection(int index) { return m_sections[index]; }
    // The sections of the second run through the cascade (twice), mirroring GetSection.
    CIirFilter& GetTwiceSection(int index) { return m_sectionsTwice[index]; }
    int GetDigitalOrder() const { return m_nDigitalOrder; }
    double GetGain() const { return m_dGain; }
    std::span<const DesignComplex> GetRoots() const { return m_roots; }
    std::span<const double> GetNumerator() const { return m_dNumerator; }
    std::span<const double> GetDenominator() const { return m_dDenominator; }
    double GetEdge1() const { return m_dEdge1; }
    double GetEdge2() const { return m_dEdge2; }

    CIirFilter m_full;  // its m_bEnabled holds the enabled setting; no samples pass through it
    double m_dStopSpec = kEllipticStopSpec;
    double m_dRippleDb = 0.5;
    int m_bTwice = 0;
    double m_dHighCorner = 2000.0;
    double m_dLowCorner = 0.0;
    int m_nOrder = 2;
    int m_bBandStop = 0;
    int m_nDesignKind = kDesignButterworth;
    double m_dSampleRate = 0.0;     // Hz; the owner sets it before Process
    double m_dDesignedRate = -1.0;  // rate of the present design; -1 forces a redesign

private:
    void BuildSections();
    void ClearDesign();

    std::array<CIirFilter, kMaxSections> m_sections;
    std::array<CIirFilter, kMaxSections> m_sectionsTwice;
    int m_nBandType = -1;
    int m_nSections = 0;
    int m_nDigitalOrder = 0;
    std::array<DesignComplex, kDesignRootCapacity> m_roots{};
    double m_dGain = 1.0;
    std::array<double, kDesignArraySize> m_dNumerator{};
    std::array<double, kDesignArraySize> m_dDenominator{};
    double m_dEdge1 = 0.0;
    double m_dEdge2 = 0.0;
    int m_nDesignResult = kDesignOk;
};
