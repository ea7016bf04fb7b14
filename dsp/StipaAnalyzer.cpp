#include "dsp/StipaAnalyzer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>
#include <thread>

#include "dsp/ArrayStatistics.h"
#include "texts/TextTable.h"

namespace
{

constexpr int kModeSixBand = 0;
constexpr int kModeRasti = 1;
constexpr int kModeStipa = 2;

constexpr std::array<double, CStipaAnalyzer::kSixBands> kSixBandCentresMale = {125.0,  500.0,  1000.0,
                                                                               2000.0, 4000.0, 8000.0};
constexpr std::array<double, CStipaAnalyzer::kSixBands> kSixBandCentresFemale = {250.0,  500.0,  1000.0,
                                                                                 2000.0, 4000.0, 8000.0};
constexpr std::array<double, CStipaAnalyzer::kSixBands> kSixBandLowModulation = {1.0,  0.63, 2.0,
                                                                                 1.25, 0.8,  2.5};
constexpr std::array<double, CStipaAnalyzer::kSixBands> kSixBandHighModulation = {5.0,  3.15, 10.0,
                                                                                  6.25, 4.0,  12.5};

constexpr std::array<double, 2> kRastiCentres = {500.0, 2000.0};
constexpr std::array<int, 2> kRastiModulationCounts = {4, 5};
constexpr std::array<std::array<double, CStipaAnalyzer::kMaxModulations>, 2> kRastiModulation = {
    {{1.0, 2.0, 4.0, 8.0, 0.0}, {0.7, 1.4, 2.8, 5.6, 11.2}}};

constexpr std::array<double, CStipaAnalyzer::kMaxBands> kStipaCentres = {125.0,  250.0,  500.0, 1000.0,
                                                                         2000.0, 4000.0, 8000.0};
constexpr std::array<double, CStipaAnalyzer::kMaxBands> kStipaLowModulation = {1.6,  1.0, 0.63, 2.0,
                                                                               1.25, 0.8, 2.5};
constexpr std::array<double, CStipaAnalyzer::kMaxBands> kStipaHighModulation = {8.0,  5.0, 3.15, 10.0,
                                                                                6.25, 4.0, 12.5};

constexpr std::array<double, CStipaAnalyzer::kAuxBands> kAuxCentres = {125.0, 250.0};

// Octave weights from 250 Hz up to 4 kHz, the 8 kHz weight apart.
constexpr std::array<double, 5> kMaleAlpha = {0.127, 0.230, 0.233, 0.309, 0.224};
constexpr std::array<double, 5> kMaleBeta = {0.078, 0.065, 0.011, 0.047, 0.095};
constexpr double kMaleAlpha8k = 0.173;
constexpr std::array<double, 5> kFemaleAlpha = {0.117, 0.223, 0.216, 0.328, 0.250};
constexpr std::array<double, 5> kFemaleBeta = {0.099, 0.066, 0.062, 0.025, 0.076};
constexpr double kFemaleAlpha8k = 0.194;

constexpr int kBandFilterOrder = 3;
constexpr int kEnvelopeFilterOrder = 2;
constexpr double kEnvelopeCorner = 20.0;
constexpr int kDcFilterOrder = 1;
constexpr double kDcCorner = 0.1;
// Lies above half of any decimated rate, which turns the band into a high-pass.
constexpr double kDcUpperCorner = 1000.0;
constexpr int kModulationFilterOrder = 2;
constexpr double kSixBandModulationHalfWidth = 0.2;
// The steady output power of a modulation filter fed a sine of amplitude 1 at its centre.
constexpr double kReferencePower = 0.5;
// When the band filters and the envelope low-pass have settled, within the settling time.
constexpr double kModulationStartSeconds = 0.25;
constexpr double kModulationHalfWidth = 0.07;
// The STIPA test signal modulates each band's intensity by this depth at each of its two
// frequencies: a component read at this depth has been transmitted whole.
constexpr double kStipaSignalDepth = 0.55;

constexpr int kWaitSteps = 21;
constexpr auto kWaitStep = std::chrono::milliseconds(100);

constexpr double kDepthAboveOne = 0.9999999999;
constexpr double kDepthAboveZero = 1e-11;

constexpr int kTextBad = 1000176;
constexpr int kTextPoor = 1000177;
constexpr int kTextFair = 1000178;
constexpr int kTextGood = 1000179;
constexpr int kTextExcellent = 1000180;

// Running mean since the end of the settling time: weight samples already in v, n new ones summing
// to sum. A chunk may yield no decimated samples; the mean then stays.
void UpdateRunningMean(double& v, std::int64_t weight, double sum, int n)
{
    const double total = static_cast<double>(weight) + n;
    if (total > 0.0)
        v = (static_cast<double>(weight) * v + sum) / total;
}

void ConfigureFilter(CDesignedFilter& filter, int order, double lowCorner, double highCorner, double rate)
{
    CDesignedFilterSettings settings;
    settings.m_bEnabled = 1;
    settings.m_nOrder = order;
    settings.m_dLowCorner = lowCorner;
    settings.m_dHighCorner = highCorner;
    settings.m_nDesignKind = kDesignButterworth;
    settings.m_bBandStop = 0;
    settings.m_bTwice = 0;
    filter.SetSettings(settings);
    filter.m_dSampleRate = rate;
    filter.m_dDesignedRate = -1.0;
    filter.Reset();
    // Designing here, while the rate is known, spares the analysis thread the design (its first
    // design sizes the section histories).
    if (rate > 0.0)
    {
        float none = 0.0f;
        filter.Process(&none, 0);
    }
}

// A component of power P in an intensity envelope of mean μ has the depth √2·√P/μ.
double Depth(double power, double scale, double mean)
{
    // A silent band has no envelope to compare against: no modulation is taken as transmitted.
    if (!(mean > 0.0))
        return 0.0;
    return std::sqrt(2.0) * std::sqrt(std::max(power, 0.0)) * scale / mean;
}

// Magnitude of the bilinear Butterworth low-pass (pre-warped corner) at f.
double LowPassGain(double f, double corner, int order, double rate)
{
    const double w = std::tan(std::numbers::pi * f / rate) / std::tan(std::numbers::pi * corner / rate);
    return 1.0 / std::sqrt(1.0 + std::pow(w, 2 * order));
}

}  // namespace

double TransmissionIndex(double m)
{
    if (m >= 1.0)
        m = kDepthAboveOne;
    else if (!(m > 0.0))
        m = kDepthAboveZero;
    const double ti = (10.0 * std::log10(m / (1.0 - m)) + 15.0) / 30.0;
    return std::clamp(ti, 0.0, 1.0);
}

CStipaAnalyzer::CStipaAnalyzer() : m_halfBandFactor(std::pow(2.0, 0.25))
{
    m_snr.Reset();
    Reset();
}

CStipaAnalyzer::~CStipaAnalyzer()
{
    if (m_noiseReader != nullptr)
        m_noiseReader->Close();
}

void CStipaAnalyzer::StopAndWait()
{
    m_running.store(0);
    for (int step = 0; step < kWaitSteps && m_busy.load() == 1; ++step)
        std::this_thread::sleep_for(kWaitStep);
}

void CStipaAnalyzer::SetMode(int mode)
{
    const int wasRunning = m_running.load();
    StopAndWait();
    m_mode = mode;
    Reset();
    m_running.store(wasRunning);
}

void CStipaAnalyzer::Reset()
{
    const int wasRunning = m_running.load();
    StopAndWait();

    if (m_noiseReader != nullptr)
    {
        m_noiseReader->Close();
        m_noiseOpen = false;
        if (m_noiseEnabled != 0 && m_noiseReader->Open(m_noiseFile))
        {
            // The noise is added sample by sample to a one-channel input.
            if (m_noiseReader->GetChannelCount() == 1)
                m_noiseOpen = true;
            else
                m_noiseReader->Close();
        }
    }

    m_sti = -1.0;
    m_stiSixBand = -1.0;
    m_settlingSamples =
        m_sampleRate > 0.0 ? static_cast<std::int64_t>(std::trunc(kSettlingSeconds * m_sampleRate)) : -1;
    m_modulationStartSamples =
        m_sampleRate > 0.0 ? static_cast<std::int64_t>(std::trunc(kModulationStartSeconds * m_sampleRate))
                           : -1;
    m_modulationStarted.fill(0);
    m_modulationOffset.fill(0.0f);
    m_samplesSinceReset = 0;
    m_settledSamples = 0;
    m_decimatedSamples = 0;
    ClearAccumulators();
    m_bandPower.fill(0.0);
    m_auxPower.fill(0.0);
    m_mti.fill(0.0);
    for (CDecimator& decimator : m_decimators)
        decimator.SetFactor(m_decimation);
    m_decimatedRate = m_sampleRate / std::max(m_decimation, 1);

    ConfigureBandEdges();
    ConfigureFilters();
    m_running.store(wasRunning);
}

void CStipaAnalyzer::ClearAccumulators()
{
    m_envelopeMean.fill(0.0);
    m_envelopeAcPower.fill(0.0);
    for (auto& row : m_modulationPower)
        row.fill(0.0);
    for (auto& row : m_depth)
        row.fill(0.0);
    m_sixBandPowerLow.fill(0.0);
    m_sixBandPowerHigh.fill(0.0);
    m_sixBandDepthLow.fill(0.0);
    m_sixBandDepthHigh.fill(0.0);
    for (auto& row : m_referencePower)
        row.fill(0.0);
}

void CStipaAnalyzer::ConfigureBandEdges()
{
    m_lowerEdges.fill(0.0);
    m_upperEdges.fill(0.0);
    if (m_mode == kModeSixBand)
    {
        for (int k = 0; k < kSixBands; ++k)
        {
            m_lowerEdges[k] = kSixBandCentresMale[k] / m_halfBandFactor;
            m_upperEdges[k] = kSixBandCentresMale[k] * m_halfBandFactor;
        }
        // The lowest band spans 125 and 250 Hz for male speech and starts just below 250 Hz for
        // female speech.
        if (m_male != 0)
        {
            m_lowerEdges[0] = 125.0 / m_halfBandFactor;
            m_upperEdges[0] = 250.0 * m_halfBandFactor;
        }
        else
        {
            m_lowerEdges[0] = 250.0 / m_halfBandFactor * 5.0 / 6.0;
            m_upperEdges[0] = 300.0 * m_halfBandFactor;
        }
        return;
    }
    const int bands = GetBandCount();
    for (int k = 0; k < bands; ++k)
    {
        const double centre = GetBandCentre(k);
        m_lowerEdges[k] = centre / m_halfBandFactor;
        m_upperEdges[k] = centre * m_halfBandFactor;
    }
}

void CStipaAnalyzer::ConfigureFilters()
{
    for (int a = 0; a < kAuxBands; ++a)
        ConfigureFilter(m_auxFilters[a], kBandFilterOrder, kAuxCentres[a] / m_halfBandFactor,
                        kAuxCentres[a] * m_halfBandFactor, m_sampleRate);
    const int bands = GetBandCount();
    const double halfWidth = m_mode == kModeSixBand ? kSixBandModulationHalfWidth : kModulationHalfWidth;
    for (int k = 0; k < bands; ++k)
    {
        ConfigureFilter(m_bandFilters[k], kBandFilterOrder, m_lowerEdges[k], m_upperEdges[k], m_sampleRate);
        ConfigureFilter(m_envelopeFilters[k], kEnvelopeFilterOrder, 0.0, kEnvelopeCorner, m_sampleRate);
        ConfigureFilter(m_dcFilters[k], kDcFilterOrder, kDcCorner, kDcUpperCorner, m_decimatedRate);
        const int modulations = GetModulationCount(k);
        for (int j = 0; j < modulations; ++j)
        {
            const double f = GetModulationFrequency(k, j);
            ConfigureFilter(*GetModulationFilter(j, k), kModulationFilterOrder, f - halfWidth, f + halfWidth,
                            m_decimatedRate);
            ConfigureFilter(m_referenceFilters[j][k], kModulationFilterOrder, f - halfWidth, f + halfWidth,
                            m_decimatedRate);
        }
    }
    UpdateDepthScales();
}

void CStipaAnalyzer::UpdateDepthScales()
{
    m_depthScaleRate = m_sampleRate;
    const int bands = GetBandCount();
    for (int k = 0; k < bands; ++k)
    {
        const int modulations = GetModulationCount(k);
        // STIPA compares with its test signal's depth. The six-band and RASTI signals are not
        // given, so those modes read a weak modulation of the amplitude: half the intensity depth,
        // times the band's count of modulation frequencies.
        const double reading = m_mode == kModeStipa ? 1.0 / kStipaSignalDepth : modulations / 2.0;
        for (int j = 0; j < modulations; ++j)
        {
            const double f = GetModulationFrequency(k, j);
            const double envelopeGain =
                m_sampleRate > 0.0 ? LowPassGain(f, kEnvelopeCorner, kEnvelopeFilterOrder, m_sampleRate)
                                   : 1.0;
            m_depthScale[j][k] = reading / envelopeGain;
        }
    }
}

void CStipaAnalyzer::ProcessBlock(float* samples, int count)
{
    if (samples == nullptr || count <= 0)
        return;
    // Busy goes up before running is looked at: a reset that has just cleared running then either
    // sees this block busy and waits, or this block sees running cleared.
    m_busy.store(1);
    if (m_running.load() == 0 || !(m_sampleRate > 0.0))
    {
        m_busy.store(0);
        return;
    }
    // A reset before the engine knew its rate could not size the settling time.
    if (m_settlingSamples < 0)
    {
        m_settlingSamples = static_cast<std::int64_t>(std::trunc(kSettlingSeconds * m_sampleRate));
        m_modulationStartSamples =
            static_cast<std::int64_t>(std::trunc(kModulationStartSeconds * m_sampleRate));
    }
    for (int start = 0; start < count; start += kChunkSamples)
        ProcessChunk(samples + start, std::min(kChunkSamples, count - start));
    m_busy.store(0);
}

void CStipaAnalyzer::UpdateFilterRates()
{
    const int factor = std::max(m_decimation, 1);
    m_decimatedRate = m_sampleRate / factor;
    for (CDesignedFilter& filter : m_auxFilters)
        filter.m_dSampleRate = m_sampleRate;
    const int bands = GetBandCount();
    for (int k = 0; k < bands; ++k)
    {
        m_bandFilters[k].m_dSampleRate = m_sampleRate;
        m_envelopeFilters[k].m_dSampleRate = m_sampleRate;
        m_dcFilters[k].m_dSampleRate = m_decimatedRate;
        const int modulations = GetModulationCount(k);
        for (int j = 0; j < modulations; ++j)
        {
            GetModulationFilter(j, k)->m_dSampleRate = m_decimatedRate;
            m_referenceFilters[j][k].m_dSampleRate = m_decimatedRate;
        }
        // Setting the factor restarts the phase, which must run on across chunks.
        if (m_decimators[k].m_nFactor != factor)
            m_decimators[k].SetFactor(factor);
    }
    if (m_depthScaleRate != m_sampleRate)
        UpdateDepthScales();
}

void CStipaAnalyzer::MixNoise(float* samples, int count)
{
    if (m_noiseReader == nullptr || !m_noiseOpen)
        return;
    const int read = m_noiseReader->Read(std::span<float>(m_noiseWork.data(), count));
    if (read != count)
        return;
    const float gain = static_cast<float>(std::pow(10.0, m_noiseLevel / 20.0));
    for (int n = 0; n < count; ++n)
        samples[n] += gain * m_noiseWork[n];
}

void CStipaAnalyzer::ProcessChunk(float* samples, int count)
{
    UpdateFilterRates();
    if (m_noiseEnabled != 0)
        MixNoise(samples, count);

    for (int a = 0; a < kAuxBands; ++a)
    {
        float* work = m_bandWork.data();
        std::copy_n(samples, count, work);
        m_auxFilters[a].Process(work, count);
        UpdateRunningMean(m_auxPower[a], m_settledSamples, GetSumOfSquares(work, count), count);
    }

    const int bands = GetBandCount();
    int decimated = 0;
    for (int k = 0; k < bands; ++k)
        decimated = AnalyseBandChunk(k, samples, count);

    m_samplesSinceReset += count;
    if (m_samplesSinceReset <= m_settlingSamples)
    {
        // The filters are still settling: nothing of this time enters the averages.
        m_settledSamples = 0;
        m_decimatedSamples = 0;
        ClearAccumulators();
        return;
    }
    m_settledSamples += count;
    m_decimatedSamples += decimated;
    if (m_mode == kModeSixBand)
        m_stiSixBand = ComputeStiSixBand();
    else if (m_mode == kModeRasti || m_mode == kModeStipa)
        m_sti = ComputeSti();
}

int CStipaAnalyzer::AnalyseBandChunk(int band, const float* samples, int count)
{
    float* work = m_bandWork.data();
    std::copy_n(samples, count, work);
    m_bandFilters[band].Process(work, count);
    UpdateRunningMean(m_bandPower[band], m_settledSamples, GetSumOfSquares(work, count), count);

    // The intensity envelope: squares, low-passed.
    SquareArray(work, count);
    m_envelopeFilters[band].Process(work, count);
    const int g = m_decimators[band].Process(work, count);
    const std::int64_t weight = m_decimatedSamples;

    float* envelope = m_envelopeWork.data();
    std::copy_n(work, g, envelope);
    m_dcFilters[band].Process(envelope, g);
    UpdateRunningMean(m_envelopeAcPower[band], weight, GetSumOfSquares(envelope, g), g);
    UpdateRunningMean(m_envelopeMean[band], weight, GetSum(work, g), g);
    const double mean = m_envelopeMean[band];

    // The narrow modulation filters would ring for tens of seconds after the envelope's onset, a
    // step as large as the envelope itself. They start from rest once the band filter and the
    // envelope low-pass have settled, and see the envelope less its level at that moment: a
    // carrier without modulation gives them nothing.
    if (m_modulationStarted[band] == 0)
    {
        if (g == 0 || m_samplesSinceReset < m_modulationStartSamples)
            return g;
        m_modulationStarted[band] = 1;
        m_modulationOffset[band] = work[0];
        for (int j = 0; j < GetModulationCount(band); ++j)
        {
            GetModulationFilter(j, band)->Reset();
            m_referenceFilters[j][band].Reset();
            m_referencePhase[j][band] = 0.0;
        }
    }
    const float offset = m_modulationOffset[band];
    float* modulation = m_modulationWork.data();
    float* reference = m_referenceWork.data();
    const int modulations = GetModulationCount(band);
    for (int j = 0; j < modulations; ++j)
    {
        for (int i = 0; i < g; ++i)
            modulation[i] = work[i] - offset;
        GetModulationFilter(j, band)->Process(modulation, g);
        double& power = m_mode == kModeSixBand ? (j == 0 ? m_sixBandPowerHigh[band] : m_sixBandPowerLow[band])
                                               : m_modulationPower[j][band];
        UpdateRunningMean(power, weight, GetSumOfSquares(modulation, g), g);

        double& phase = m_referencePhase[j][band];
        const double step = 2.0 * std::numbers::pi * GetModulationFrequency(band, j) / m_decimatedRate;
        for (int i = 0; i < g; ++i)
        {
            reference[i] = static_cast<float>(std::sin(phase));
            phase = std::fmod(phase + step, 2.0 * std::numbers::pi);
        }
        m_referenceFilters[j][band].Process(reference, g);
        double& referencePower = m_referencePower[j][band];
        UpdateRunningMean(referencePower, weight, GetSumOfSquares(reference, g), g);

        const double steadyPower = referencePower > 0.0 ? power * kReferencePower / referencePower : 0.0;
        const double depth = Depth(steadyPower, m_depthScale[j][band], mean);
        if (m_mode == kModeSixBand)
            (j == 0 ? m_sixBandDepthHigh[band] : m_sixBandDepthLow[band]) = depth;
        else
            m_depth[j][band] = depth;
    }
    return g;
}

int CStipaAnalyzer::GetBandCount() const
{
    switch (m_mode)
    {
        case kModeSixBand:
            return kSixBands;
        case kModeRasti:
            return static_cast<int>(kRastiCentres.size());
        case kModeStipa:
            return kMaxBands;
        default:
            return 0;
    }
}

double CStipaAnalyzer::GetBandCentre(int band) const
{
    if (band < 0 || band >= GetBandCount())
        return 0.0;
    switch (m_mode)
    {
        case kModeSixBand:
            return m_male != 0 ? kSixBandCentresMale[band] : kSixBandCentresFemale[band];
        case kModeRasti:
            return kRastiCentres[band];
        default:
            return kStipaCentres[band];
    }
}

int CStipaAnalyzer::GetModulationCount(int band) const
{
    if (band < 0 || band >= GetBandCount())
        return 0;
    return m_mode == kModeRasti ? kRastiModulationCounts[band] : 2;
}

double CStipaAnalyzer::GetModulationFrequency(int band, int j) const
{
    if (j < 0 || j >= GetModulationCount(band))
        return 0.0;
    switch (m_mode)
    {
        case kModeSixBand:
            return j == 0 ? kSixBandHighModulation[band] : kSixBandLowModulation[band];
        case kModeRasti:
            return kRastiModulation[band][j];
        default:
            return j == 0 ? kStipaHighModulation[band] : kStipaLowModulation[band];
    }
}

CDesignedFilter* CStipaAnalyzer::GetModulationFilter(int j, int band)
{
    if (j < 0 || j >= GetModulationCount(band))
        return nullptr;
    if (m_mode == kModeSixBand)
        return j == 0 ? &m_sixBandHighFilters[band] : &m_sixBandLowFilters[band];
    return &m_modulationFilters[j][band];
}

double CStipaAnalyzer::GetBandSnr(int band) const
{
    const auto& values = m_snr.m_values;
    switch (m_mode)
    {
        case kModeSixBand:
            if (band == 0 && m_male != 0)
            {
                // The male lowest band covers 125 Hz once and 250 Hz twice over.
                const double a = std::pow(10.0, values[0] / 10.0);
                const double b = std::pow(10.0, values[1] / 10.0);
                return 10.0 * std::log10((a + 2.0 * b) / 3.0);
            }
            return values[band + 1];
        case kModeRasti:
            return band == 0 ? values[2] : values[4];
        default:
            return values[band];
    }
}

double CStipaAnalyzer::GetNoiseFactor(int band) const
{
    const double snr = GetBandSnr(band);
    if (snr >= m_snr.m_limit)
        return 1.0;
    return 1.0 / (1.0 + std::pow(10.0, -snr / 10.0));
}

double CStipaAnalyzer::ComputeStiSixBand()
{
    for (int k = 0; k < kSixBands; ++k)
    {
        const double phi = GetNoiseFactor(k);
        m_mti[k] = 0.5 * TransmissionIndex(phi * m_sixBandDepthLow[k]) +
                   0.5 * TransmissionIndex(phi * m_sixBandDepthHigh[k]);
    }
    const bool male = m_male != 0;
    const auto& alpha = male ? kMaleAlpha : kFemaleAlpha;
    const auto& beta = male ? kMaleBeta : kFemaleBeta;
    double index = (male ? kMaleAlpha8k : kFemaleAlpha8k) * m_mti[5];
    for (int k = 0; k < 5; ++k)
        index += alpha[k] * m_mti[k] - beta[k] * std::sqrt(m_mti[k] * m_mti[k + 1]);
    return index;
}

double CStipaAnalyzer::ComputeSti()
{
    const int bands = GetBandCount();
    for (int k = 0; k < bands; ++k)
    {
        const double phi = GetNoiseFactor(k);
        const int modulations = GetModulationCount(k);
        double sum = 0.0;
        for (int j = 0; j < modulations; ++j)
            sum += TransmissionIndex(phi * m_depth[j][k]);
        m_mti[k] = sum / modulations;
    }
    if (m_mode == kModeRasti)
        return m_mti[0] * 4.0 / 9.0 + m_mti[1] * 5.0 / 9.0;
    if (m_mode != kModeStipa)
        return -1.0;
    // 125 Hz and 250 Hz share the weights of the 250 Hz band.
    const double low = 0.5 * (m_mti[0] + m_mti[1]);
    m_mti[0] = low;
    m_mti[1] = low;
    double index = kMaleAlpha8k * m_mti[6];
    for (int k = 1; k <= 5; ++k)
        index += kMaleAlpha[k - 1] * m_mti[k] - kMaleBeta[k - 1] * std::sqrt(m_mti[k] * m_mti[k + 1]);
    return index;
}

std::string GetStipaRating(double value)
{
    if (!(value >= 0.0 && value <= 1.0))
        return "--";
    if (value <= 0.30)
        return GetText(kTextBad);
    if (value <= 0.45)
        return GetText(kTextPoor);
    if (value <= 0.60)
        return GetText(kTextFair);
    if (value <= 0.75)
        return GetText(kTextGood);
    return GetText(kTextExcellent);
}
