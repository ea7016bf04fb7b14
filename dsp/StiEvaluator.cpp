#include "dsp/StiEvaluator.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <numbers>

#include "common/BitFields.h"
#include "dsp/BandFilterTables.h"
#include "dsp/Fft.h"
#include "dsp/OctaveBandFilter.h"
#include "dsp/StipaAnalyzer.h"
#include "dsp/TableFilter.h"

namespace
{

constexpr double kModulationHz[CStiEvaluator::kModulationFrequencies] = {
    0.63, 0.8, 1.0, 1.25, 1.6, 2.0, 2.5, 3.15, 4.0, 5.0, 6.3, 8.0, 10.0, 12.5};
constexpr double kRastiFrequencies2k[5] = {0.71, 1.41, 2.8, 5.6, 11.2};
constexpr int kRastiRows500[4] = {2, 5, 8, 11};
constexpr int kRastiBand500 = 2;
constexpr int kRastiBand2k = 4;
constexpr double kOctaveCentres125[CStiEvaluator::kBands] = {125, 250, 500, 1000, 2000, 4000, 8000};

constexpr double kBandWeights[CStiEvaluator::kBands] = {0.13, 0.14, 0.11, 0.12, 0.19, 0.17, 0.14};
// Weights and redundancy factors of the male and female speech spectra; the female table starts
// at 250 Hz (index 1).
constexpr double kMaleAlpha[7] = {0.085, 0.127, 0.230, 0.233, 0.309, 0.224, 0.173};
constexpr double kMaleBeta[6] = {0.085, 0.078, 0.065, 0.011, 0.047, 0.095};
constexpr double kFemaleAlpha[7] = {0.0, 0.117, 0.223, 0.216, 0.328, 0.250, 0.194};
constexpr double kFemaleBeta[6] = {0.0, 0.099, 0.066, 0.062, 0.025, 0.076};

constexpr double kNotAvailable = -1.0;

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

double CSingleFrequencyDft::Magnitude(const float* values, int count, double frequency) const
{
    const double theta = -2.0 * std::numbers::pi * frequency / m_sampleRate;
    const double stepCos = std::cos(theta);
    const double stepSin = std::sin(theta);
    long double re = 0.0L;
    long double im = 0.0L;
    double c = 1.0;
    double s = 0.0;
    for (int i = 0; i < count; ++i)
    {
        re += static_cast<long double>(values[i]) * c;
        im += static_cast<long double>(values[i]) * s;
        const double nc = c * stepCos - s * stepSin;
        s = c * stepSin + s * stepCos;
        c = nc;
    }
    return static_cast<double>(std::sqrt(re * re + im * im));
}

CStiEvaluator::CStiEvaluator()
{
    m_snr.Reset();
}

CStiEvaluator::~CStiEvaluator()
{
    if (m_bufferSize > 0)
        std::free(m_buffer);
}

double CStiEvaluator::GetNoiseFactor(int band) const
{
    const double snr = m_snr.m_values[static_cast<std::size_t>(band)];
    return snr < m_snr.m_limit ? 1.0 / (1.0 + std::pow(10.0, -snr / 10.0)) : 1.0;
}

void CStiEvaluator::SetNotAvailable()
{
    for (auto& row : m_mtf)
        std::fill(std::begin(row), std::end(row), kNotAvailable);
    for (auto& row : m_rastiMtf)
        std::fill(std::begin(row), std::end(row), kNotAvailable);
    std::fill(std::begin(m_mti), std::end(m_mti), kNotAvailable);
    std::fill(std::begin(m_bandEnergy), std::end(m_bandEnergy), 0.0);
    m_sti = m_stiMale = m_stiFemale = m_rasti = kNotAvailable;
}

double CStiEvaluator::MeasuredFrequency(double frequency, int length) const
{
    if (m_useDirectDft)
        return frequency;
    const double spacing = m_dft.m_sampleRate / length;
    return std::floor(frequency / spacing + 0.5) * spacing;
}

double CStiEvaluator::FilterTransfer(int band, double frequency)
{
    const auto& response = m_filterResponse[band];
    const double transfer =
        m_dft.Magnitude(response.data(), static_cast<int>(response.size()), frequency) / m_filterEnergy[band];
    return transfer > 0.0 ? transfer : 1.0;
}

double CStiEvaluator::ComputeModulationTransfer(int band, const double* frequencies, int count, int length,
                                                double energy, double* transferOut, double* indexOut)
{
    const double rate = m_dft.m_sampleRate;
    double sum = 0.0;
    for (int f = 0; f < count; ++f)
    {
        double m;
        if (m_useDirectDft)
            m = m_dft.Magnitude(m_buffer, length, frequencies[f]) / energy;
        else
        {
            const int bin = static_cast<int>(std::floor(frequencies[f] / (rate / length) + 0.5));
            m = bin < length / 2
                    ? std::sqrt(m_spectrum[static_cast<std::size_t>(bin)]) / std::sqrt(m_spectrum[0])
                    : 0.0;
        }
        m /= FilterTransfer(band, MeasuredFrequency(frequencies[f], length));
        if (m >= 1.0)
            m = 0.9999999999;
        if (!(m >= 0.0))  // negative, or no number (a band without energy)
            m = 1e-11;
        m *= GetNoiseFactor(band);
        const double apparent = 10.0 * std::log10(m / (1.0 - m));
        const double index = std::clamp((apparent + 15.0) / 30.0, 0.0, 1.0);
        transferOut[f] = m;
        indexOut[f] = index;
        sum += index;
    }
    return sum;
}

void CStiEvaluator::Evaluate(const float* signal, int count, std::int32_t sampleRate)
{
    if (count < 1 || FindLastRateIndex(kOctaveRates, static_cast<double>(sampleRate)) < 0)
    {
        SetNotAvailable();
        return;
    }
    const int length = NextPowerOfTwo(count);
    if (m_bufferSize < length)
    {
        auto* grown = static_cast<float*>(std::realloc(m_bufferSize > 0 ? m_buffer : nullptr,
                                                       sizeof(float) * static_cast<std::size_t>(length)));
        if (!grown)
        {
            SetNotAvailable();
            return;
        }
        m_buffer = grown;
        m_bufferSize = length;
    }
    m_dft.m_sampleRate = static_cast<double>(sampleRate);
    double rastiSum = 0.0;
    const auto filter = std::make_unique<COctaveBandFilter>();
    filter->m_nSampleRate = sampleRate;
    if (m_filterRate != sampleRate)
    {
        // The filters' own squared impulse responses, half a second each (they have rung out long
        // before), once per rate.
        const int span = std::max(1, sampleRate / 2);
        for (int k = 0; k < kBands; ++k)
        {
            auto& response = m_filterResponse[k];
            response.assign(static_cast<std::size_t>(span), 0.0f);
            response[0] = 1.0f;
            filter->m_nBand = k + 1;
            for (CIirFilter& section : filter->m_sections)
                section.Reset();
            filter->Process(response.data(), span);
            long double energy = 0.0L;
            for (float& value : response)
            {
                value *= value;
                energy += value;
            }
            m_filterEnergy[k] = static_cast<double>(energy);
        }
        m_filterRate = sampleRate;
    }
    for (int k = 0; k < kBands; ++k)
    {
        std::fill(m_buffer, m_buffer + length, 0.0f);
        std::copy_n(signal, count, m_buffer);
        filter->m_nBand = k + 1;
        for (CIirFilter& section : filter->m_sections)
            section.Reset();
        filter->Process(m_buffer, length);
        long double energy = 0.0L;
        for (int i = 0; i < length; ++i)
        {
            m_buffer[i] = m_buffer[i] * m_buffer[i];
            energy += m_buffer[i];
        }
        m_bandEnergy[k] = static_cast<double>(energy);
        if (!m_useDirectDft)
        {
            m_spectrum.assign(m_buffer, m_buffer + length);
            ComputePowerSpectrumDouble(m_spectrum.data(), length);
        }
        double transfer[kModulationFrequencies];
        double index[kModulationFrequencies];
        const double sum = ComputeModulationTransfer(k, kModulationHz, kModulationFrequencies, length,
                                                     m_bandEnergy[k], transfer, index);
        for (int f = 0; f < kModulationFrequencies; ++f)
            m_mtf[f][k] = transfer[f];
        m_mti[k] = sum / kModulationFrequencies;
        if (k == kRastiBand500)
            for (int r = 0; r < 4; ++r)
            {
                m_rastiMtf[r][0] = transfer[kRastiRows500[r]];
                rastiSum += index[kRastiRows500[r]];
            }
        if (k == kRastiBand2k)
        {
            double rastiTransfer[5];
            double rastiIndex[5];
            rastiSum += ComputeModulationTransfer(k, kRastiFrequencies2k, 5, length, m_bandEnergy[k],
                                                  rastiTransfer, rastiIndex);
            for (int r = 0; r < 5; ++r)
                m_rastiMtf[r][1] = rastiTransfer[r];
        }
    }
    m_rasti = rastiSum / 9.0;
    m_sti = ComputeStiWeighted();
    m_stiMale = ComputeStiGender(true);
    m_stiFemale = ComputeStiGender(false);
}

double CStiEvaluator::ComputeStiWeighted() const
{
    double sti = 0.0;
    for (int k = 0; k < kBands; ++k)
        sti += kBandWeights[k] * m_mti[k];
    return sti;
}

double CStiEvaluator::ComputeStiGender(bool male) const
{
    const double* alpha = male ? kMaleAlpha : kFemaleAlpha;
    const double* beta = male ? kMaleBeta : kFemaleBeta;
    double sti = alpha[6] * m_mti[6];
    for (int k = male ? 0 : 1; k <= 5; ++k)
        sti += alpha[k] * m_mti[k] - beta[k] * std::sqrt(m_mti[k] * m_mti[k + 1]);
    return sti;
}

bool CStiEvaluator::WriteTextReport(const std::string& path) const
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "w"));
    if (!file)
        return false;
    std::FILE* f = file.get();
    bool ok = std::fprintf(f, "m.freq.") >= 0;
    for (double centre : kOctaveCentres125)
        ok = std::fprintf(f, "\t%.1fHz", centre) >= 0 && ok;
    ok = std::fprintf(f, "\n") >= 0 && ok;
    for (int row = 0; row < kModulationFrequencies; ++row)
    {
        ok = std::fprintf(f, "%2.2fHz", kModulationHz[row]) >= 0 && ok;
        for (int k = 0; k < kBands; ++k)
            ok = std::fprintf(f, "\t%f", m_mtf[row][k]) >= 0 && ok;
        ok = std::fprintf(f, "\n") >= 0 && ok;
    }
    ok = std::fprintf(f, "\nSTI:%f RASTI%f\n", m_sti, m_rasti) >= 0 && ok;
    return std::fclose(file.release()) == 0 && ok;
}

void CStiEvaluator::WriteHtmlReport(std::FILE* file) const
{
    if (!file)
        return;
    const char* table =
        "<TABLE border=\"1\" cellpadding=\"4\" bordercolordark=\"#666666\" bordercolorlight=\"#999999\">\n";
    std::fputs(table, file);
    std::fputs("<TR>\n", file);
    std::fputs("<TD> </TD>\n", file);
    for (double centre : kOctaveCentres125)
        std::fprintf(file, "<TD>%.0fHz</TD>\n", centre);
    std::fputs("</TR>\n", file);
    for (int row = 0; row < kModulationFrequencies; ++row)
    {
        std::fputs("<TR>\n", file);
        std::fprintf(file, "<TD>%2.2fHz</TD>\n", kModulationHz[row]);
        for (int k = 0; k < kBands; ++k)
            std::fprintf(file, "<TD>%.2f</TD>", m_mtf[row][k]);
        std::fputs("\n", file);
        std::fputs("</TR>\n", file);
    }
    std::fputs("</TABLE>\n", file);
    std::fputs("<BR> <BR>\n", file);
    std::fputs("Rating:\n", file);
    std::fputs("<BR>\n", file);
    std::fputs(table, file);
    std::fputs("<TR>\n", file);
    std::fprintf(file, "\n<TD>STI</TD><TD>%.2f</TD><TD>%s</TD>\n", m_sti, GetStiRating(m_sti).c_str());
    std::fputs("</TR>\n", file);
    std::fputs("<TR>\n", file);
    std::fprintf(file, "\n<TD>RASTI</TD><TD>%.2f</TD><TD>%s</TD>\n", m_rasti, GetStiRating(m_rasti).c_str());
    std::fputs("</TR>\n", file);
    std::fputs("</TABLE>\n", file);
}

double CStiEvaluator::GetModulationFrequency(int f)
{
    return f >= 0 && f < kModulationFrequencies ? kModulationHz[f] : 0.0;
}

std::string GetStiRating(double value)
{
    // The same words and boundaries as the live analyser's.
    return GetStipaRating(value);
}
