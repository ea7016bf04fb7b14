// Speech transmission index (STI) and its rapid form (RASTI) of a measured impulse response by the
// indirect method: the modulation transfer function of each octave band 125 Hz ... 8 kHz is the
// normalised spectrum of the squared, band-filtered response, corrected for the background noise
// by the per-band signal-to-noise ratios in m_snr. Also writes the transfer table and the indices
// as a text file and as HTML tables, and rates an index with one word.
//
// Threads: one thread at a time per evaluator; evaluators are independent. The work buffer grows to
// the longest response and is kept, so that repeated evaluations do not allocate.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "dsp/StiBandValues.h"

// The magnitude of one DFT bin at an arbitrary frequency, by a phasor rotated sample by sample.
class CSingleFrequencyDft
{
public:
    double Magnitude(const float* values, int count, double frequency) const;

    double m_sampleRate = -1.0;
};

class CStiEvaluator
{
public:
    static constexpr int kBands = 7;
    static constexpr int kModulationFrequencies = 14;

    // Modulation frequency f (0 = 0.63 Hz ... 13 = 12.5 Hz) of the transfer table's rows.
    static double GetModulationFrequency(int f);

    CStiEvaluator();
    virtual ~CStiEvaluator();
    CStiEvaluator(const CStiEvaluator&) = delete;
    CStiEvaluator& operator=(const CStiEvaluator&) = delete;

    // Fills every result. At a sample rate without octave-filter coefficients the bands cannot be
    // separated: every result is then "not available" (-1).
    void Evaluate(const float* signal, int count, std::int32_t sampleRate);
    // The transfer table and both indices as text; false when the file cannot be written.
    bool WriteTextReport(const std::string& path) const;
    // The transfer table and the rated indices as two HTML tables into an open file.
    void WriteHtmlReport(std::FILE* file) const;

    // 1 / (1 + 10^(-SNR/10)) of band k; 1 for a ratio at or above the noise-free limit.
    double GetNoiseFactor(int band) const;

    CStiBandValues m_snr;
    std::int32_t m_useDirectDft = 1;
    double m_mtf[kModulationFrequencies][kBands] = {};
    double m_rastiMtf[5][2] = {};
    double m_sti = 0.0;
    double m_stiFemale = 0.0;
    double m_stiMale = 0.0;
    double m_rasti = 0.0;
    double m_bandEnergy[kBands] = {};
    double m_mti[kBands] = {};
    CSingleFrequencyDft m_dft;
    float* m_buffer = nullptr;
    std::int32_t m_bufferSize = 0;

private:
    // Transfer values and transmission indices at `count` modulation frequencies of band k from the
    // squared band signal in m_buffer (or its power spectrum); returns the sum of the indices.
    // Each depth is divided by the band filter's own transfer at that frequency (filterTransfer), so
    // that an ideal channel reads 1 however long the filter rings.
    double ComputeModulationTransfer(int band, const double* frequencies, int count, int length,
                                     double energy, double* transferOut, double* indexOut);
    // The modulation transfer of the band filter alone at a modulation frequency.
    double FilterTransfer(int band, double frequency);
    // The modulation frequency a depth is measured at: F itself, or the centre of its FFT bin.
    double MeasuredFrequency(double frequency, int length) const;
    double ComputeStiWeighted() const;
    double ComputeStiGender(bool male) const;
    void SetNotAvailable();

    std::vector<double> m_spectrum;
    // The squared impulse response of each band filter at the current rate, and its energy.
    std::vector<float> m_filterResponse[kBands];
    double m_filterEnergy[kBands] = {};
    int m_filterRate = 0;
};

// "--" outside 0..1, else bad, poor, fair, good or excellent in the current language.
std::string GetStiRating(double value);
