#include "dsp/StipaAnalyzer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <filesystem>
#include <limits>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "common/IniFile.h"
#include "dsp/StiBandValues.h"
#include "tests/support/TempHome.h"
#include "texts/LanguageChoice.h"
#include "texts/TextTable.h"

namespace
{

constexpr double kPi = std::numbers::pi;

// ---------------------------------------------------------------------------------------------
// Reference formulas of IEC 60268-16, written out here independently of the analyser.

double ReferenceTi(double m)
{
    const double snr = 10.0 * std::log10(m / (1.0 - m));
    return std::clamp((snr + 15.0) / 30.0, 0.0, 1.0);
}

// Male weights 2003, 125 Hz ... 8 kHz (alpha) and 125 ... 4 kHz (beta).
constexpr double kAlphaMale[7] = {0.085, 0.127, 0.230, 0.233, 0.309, 0.224, 0.173};
constexpr double kBetaMale[6] = {0.085, 0.078, 0.065, 0.011, 0.047, 0.095};
constexpr double kAlphaFemale[7] = {0.0, 0.117, 0.223, 0.216, 0.328, 0.250, 0.194};
constexpr double kBetaFemale[6] = {0.0, 0.099, 0.066, 0.062, 0.025, 0.076};

// The seven-band index; 125 Hz merged into 250 Hz as the STIPA variant does.
double ReferenceStipa(std::array<double, 7> mti)
{
    const double low = 0.5 * (mti[0] + mti[1]);
    mti[0] = mti[1] = low;
    double sti = kAlphaMale[6] * mti[6];
    for (int k = 1; k <= 5; ++k)
        sti += kAlphaMale[k] * mti[k] - kBetaMale[k] * std::sqrt(mti[k] * mti[k + 1]);
    return sti;
}

// Six bands 250 Hz ... 8 kHz weighting (band 0 takes the 250 Hz weights).
double ReferenceSixBand(const std::array<double, 6>& mti, bool male)
{
    const double* alpha = male ? kAlphaMale : kAlphaFemale;
    const double* beta = male ? kBetaMale : kBetaFemale;
    double sti = alpha[6] * mti[5];
    for (int k = 0; k < 5; ++k)
        sti += alpha[k + 1] * mti[k] - beta[k + 1] * std::sqrt(mti[k] * mti[k + 1]);
    return sti;
}

double NoiseReduced(double m, double snrDb)
{
    return m / (1.0 + std::pow(10.0, -snrDb / 10.0));
}

// ---------------------------------------------------------------------------------------------
// Test signal: per band a sine carrier at the band's centre whose intensity is
// 1 + sum m_j sin(2 pi F_j t + phase_j), plus an optional unmodulated sine in quadrature at the
// same frequency. The quadrature tone adds its power to the band's intensity at every instant
// (A^2 I(t) + B^2), exactly as stationary noise of that power would on average, but without the
// random envelope fluctuations that a noise carrier would add to every modulation filter; those
// would need minutes of averaging to fall below the effects measured here.

struct Band
{
    double carrier = 1000.0;
    double amplitude = 0.1;
    double noiseAmplitude = 0.0;
    std::vector<double> frequencies;
    std::vector<double> depths;
    std::vector<double> phases;
};

std::vector<Band> BandsOf(const CStipaAnalyzer& analyzer, double m)
{
    std::vector<Band> bands;
    for (int k = 0; k < analyzer.GetBandCount(); ++k)
    {
        Band band;
        band.carrier = std::sqrt(analyzer.m_lowerEdges[k] * analyzer.m_upperEdges[k]);
        for (int j = 0; j < analyzer.GetModulationCount(k); ++j)
        {
            band.frequencies.push_back(analyzer.GetModulationFrequency(k, j));
            band.depths.push_back(m);
            band.phases.push_back(0.9 * j + 0.4 * k);
        }
        bands.push_back(band);
    }
    return bands;
}

void SetSnr(std::vector<Band>& bands, double snrDb)
{
    for (Band& band : bands)
        band.noiseAmplitude = band.amplitude * std::pow(10.0, -snrDb / 20.0);
}

double Intensity(const Band& band, double t)
{
    double intensity = 1.0;
    for (std::size_t j = 0; j < band.frequencies.size(); ++j)
        intensity += band.depths[j] * std::sin(2.0 * kPi * band.frequencies[j] * t + band.phases[j]);
    return std::max(intensity, 0.0);
}

// Samples [first, first + count) of the test signal (noise optional) or of the noise alone.
void Synthesise(const std::vector<Band>& bands, double rate, long first, std::span<float> out, bool signal,
                bool noise)
{
    for (std::size_t n = 0; n < out.size(); ++n)
    {
        const double t = static_cast<double>(first + static_cast<long>(n)) / rate;
        double x = 0.0;
        for (const Band& band : bands)
        {
            const double phase = 2.0 * kPi * band.carrier * t;
            if (signal)
                x += band.amplitude * std::sqrt(Intensity(band, t)) * std::sin(phase);
            if (noise)
                x += band.noiseAmplitude * std::cos(phase);
        }
        out[n] = static_cast<float>(x);
    }
}

// Feeds seconds of the signal in blocks of blockSize; returns the samples fed.
long Feed(CStipaAnalyzer& analyzer, const std::vector<Band>& bands, double seconds, int blockSize,
          bool noise = true)
{
    const long total = std::lround(seconds * analyzer.m_sampleRate);
    std::vector<float> block(blockSize);
    for (long first = 0; first < total; first += blockSize)
    {
        const int count = static_cast<int>(std::min<long>(blockSize, total - first));
        Synthesise(bands, analyzer.m_sampleRate, first, std::span<float>(block.data(), count), true, noise);
        analyzer.ProcessBlock(block.data(), count);
    }
    return total;
}

// ---------------------------------------------------------------------------------------------
// What the analyser should read for a band. It measures the intensity envelope (the squared signal
// through a 20 Hz second-order Butterworth low-pass, whose loss at each modulation frequency it
// divides out) through narrow modulation band-passes (whose build-up and gain at their centre it
// divides out too), and scales the relative amplitude of each modulation component: by 1/0.55 for STIPA (the
// test signal's own depth), by half the band's modulation count in the other modes. The relative amplitude of
// each component of the intensity (clipped at 0, plus the noise's constant share) is taken here by a Fourier
// series over one period of the envelope: all modulation frequencies of a band are integer multiples of its
// lowest one.

std::vector<double> ExpectedDepths(const Band& band, double reading)
{
    const double base = *std::min_element(band.frequencies.begin(), band.frequencies.end());
    const double noiseRatio = std::pow(band.noiseAmplitude / band.amplitude, 2.0);
    constexpr int kPoints = 16384;
    std::vector<std::complex<double>> coefficients(band.frequencies.size());
    double mean = 0.0;
    for (int n = 0; n < kPoints; ++n)
    {
        const double t = n / (kPoints * base);
        const double envelope = Intensity(band, t) + noiseRatio;
        mean += envelope / kPoints;
        for (std::size_t j = 0; j < band.frequencies.size(); ++j)
            coefficients[j] += envelope * std::polar(2.0 / kPoints, -2.0 * kPi * band.frequencies[j] * t);
    }
    std::vector<double> depths;
    for (const std::complex<double>& coefficient : coefficients)
        depths.push_back(reading * std::abs(coefficient) / mean);
    return depths;
}

double MeasuredDepth(const CStipaAnalyzer& analyzer, int band, int j)
{
    if (analyzer.m_mode == 0)
        return j == 0 ? analyzer.m_sixBandDepthHigh[band] : analyzer.m_sixBandDepthLow[band];
    return analyzer.m_depth[j][band];
}

// ---------------------------------------------------------------------------------------------

TEST(StipaTransmissionIndex, StandardPhaseTestDepthsGiveTenthSteps)
{
    // Edge-carrier depths of the filter-bank phase test and their transmission indices.
    const double depths[] = {0.0,     0.059351, 0.11182, 0.20076, 0.33386, 0.5,
                             0.66614, 0.79924,  0.88818, 0.94065, 1.0};
    for (int i = 0; i <= 10; ++i)
        EXPECT_NEAR(TransmissionIndex(depths[i]), 0.1 * i, 0.01) << depths[i];
    EXPECT_EQ(TransmissionIndex(1.7), 1.0);
    EXPECT_EQ(TransmissionIndex(-0.2), 0.0);
    EXPECT_EQ(TransmissionIndex(std::numeric_limits<double>::quiet_NaN()), 0.0);
}

TEST(StipaAnalyzerTables, BandsAndModulationFrequenciesPerMode)
{
    CStipaAnalyzer analyzer;
    EXPECT_EQ(analyzer.m_sti, -1.0);
    EXPECT_EQ(analyzer.m_stiSixBand, -1.0);

    analyzer.SetMode(2);
    ASSERT_EQ(analyzer.GetBandCount(), 7);
    EXPECT_EQ(analyzer.GetBandCentre(6), 8000.0);
    EXPECT_EQ(analyzer.GetModulationFrequency(0, 0), 8.0);
    EXPECT_EQ(analyzer.GetModulationFrequency(0, 1), 1.6);
    EXPECT_EQ(analyzer.GetModulationFrequency(2, 1), 0.63);
    EXPECT_NEAR(analyzer.m_lowerEdges[3], 1000.0 / std::pow(2.0, 0.25), 1e-9);
    EXPECT_NEAR(analyzer.m_upperEdges[3], 1000.0 * std::pow(2.0, 0.25), 1e-9);
    // Each modulation filter sits around the frequency of the same indices.
    EXPECT_NEAR(analyzer.GetModulationFilter(0, 0)->m_dLowCorner, 7.93, 1e-9);
    EXPECT_NEAR(analyzer.GetModulationFilter(1, 2)->m_dHighCorner, 0.70, 1e-9);

    analyzer.SetMode(1);
    ASSERT_EQ(analyzer.GetBandCount(), 2);
    EXPECT_EQ(analyzer.GetModulationCount(0), 4);
    EXPECT_EQ(analyzer.GetModulationCount(1), 5);
    EXPECT_EQ(analyzer.GetModulationFrequency(1, 4), 11.2);
    EXPECT_EQ(analyzer.GetModulationFilter(4, 0), nullptr);

    analyzer.SetMode(0);
    ASSERT_EQ(analyzer.GetBandCount(), 6);
    EXPECT_EQ(analyzer.GetModulationFrequency(5, 0), 12.5);
    EXPECT_EQ(analyzer.GetModulationFrequency(5, 1), 2.5);
    EXPECT_NEAR(analyzer.m_lowerEdges[0], 105.11, 0.005);
    EXPECT_NEAR(analyzer.m_upperEdges[0], 297.30, 0.005);
    EXPECT_NEAR(analyzer.GetModulationFilter(0, 5)->m_dLowCorner, 12.3, 1e-9);
    EXPECT_NEAR(analyzer.GetModulationFilter(1, 5)->m_dHighCorner, 2.7, 1e-9);
    analyzer.m_male = 0;
    analyzer.Reset();
    EXPECT_EQ(analyzer.GetBandCentre(0), 250.0);
    EXPECT_NEAR(analyzer.m_lowerEdges[0], 175.19, 0.005);
    EXPECT_NEAR(analyzer.m_upperEdges[0], 356.76, 0.005);

    analyzer.SetMode(3);
    EXPECT_EQ(analyzer.GetBandCount(), 0);
    EXPECT_EQ(analyzer.GetModulationCount(0), 0);
}

// The index formulas fed with set depths: the analyser's combination of transmission indices
// against the standard's reference values.
class StipaIndexFormula : public ::testing::Test
{
protected:
    void SetAllDepths(double m)
    {
        for (auto& row : m_analyzer.m_depth)
            row.fill(m);
        m_analyzer.m_sixBandDepthLow.fill(m);
        m_analyzer.m_sixBandDepthHigh.fill(m);
    }
    double Index()
    {
        return m_analyzer.m_mode == 0 ? m_analyzer.ComputeStiSixBand() : m_analyzer.ComputeSti();
    }

    CStipaAnalyzer m_analyzer;
};

TEST_F(StipaIndexFormula, EqualDepthsFollowTheStandardDepthTable)
{
    // Modulation-depth test: m = 0 ... 1 in steps of 0.1 and the reference indices (two decimals).
    const double expected[] = {0.0, 0.18, 0.30, 0.38, 0.44, 0.50, 0.56, 0.62, 0.70, 0.82, 1.0};
    struct Mode
    {
        int mode, male;
    };
    for (const Mode mode : {Mode{0, 1}, Mode{0, 0}, Mode{1, 1}, Mode{2, 1}})
    {
        m_analyzer.m_mode = mode.mode;
        m_analyzer.m_male = mode.male;
        for (int i = 0; i <= 10; ++i)
        {
            SetAllDepths(0.1 * i);
            EXPECT_NEAR(Index(), expected[i], 0.006)
                << "mode " << mode.mode << " male " << mode.male << " m " << 0.1 * i;
        }
    }
}

TEST_F(StipaIndexFormula, RastiOfEqualTransmissionIndicesIsThatIndex)
{
    m_analyzer.m_mode = 1;
    for (double m : {0.2, 0.5, 0.73})
    {
        SetAllDepths(m);
        EXPECT_NEAR(m_analyzer.ComputeSti(), ReferenceTi(m), 1e-12);
    }
}

TEST_F(StipaIndexFormula, CarrierPairsGiveTheStandardWeightFactorValues)
{
    // Weight-factor test: full modulation in two adjacent octaves, none elsewhere.
    struct Case
    {
        int lowBand;  // index of the lower octave, 0 = 125 Hz
        double sti;
    };
    m_analyzer.m_mode = 2;
    for (const Case c : {Case{0, 0.127}, Case{2, 0.398}, Case{3, 0.531}, Case{4, 0.486}, Case{5, 0.302}})
    {
        SetAllDepths(0.0);
        for (auto& row : m_analyzer.m_depth)
            row[c.lowBand] = row[c.lowBand + 1] = 1.0;
        EXPECT_NEAR(m_analyzer.ComputeSti(), c.sti, 0.001) << c.lowBand;
    }
    // The six-band mode starts at 250 Hz (its band 1 is 500 Hz).
    m_analyzer.m_mode = 0;
    for (const Case c : {Case{2, 0.398}, Case{3, 0.531}, Case{4, 0.486}, Case{5, 0.302}})
    {
        SetAllDepths(0.0);
        m_analyzer.m_sixBandDepthLow[c.lowBand - 1] = m_analyzer.m_sixBandDepthLow[c.lowBand] = 1.0;
        m_analyzer.m_sixBandDepthHigh[c.lowBand - 1] = m_analyzer.m_sixBandDepthHigh[c.lowBand] = 1.0;
        EXPECT_NEAR(m_analyzer.ComputeStiSixBand(), c.sti, 0.001) << c.lowBand;
    }
}

TEST_F(StipaIndexFormula, StipaDependsOnlyOnTheMeanOfTheTwoLowestBands)
{
    m_analyzer.m_mode = 2;
    SetAllDepths(0.6);
    m_analyzer.m_depth[0][0] = m_analyzer.m_depth[1][0] = 0.9;
    m_analyzer.m_depth[0][1] = m_analyzer.m_depth[1][1] = 0.2;
    const double split = m_analyzer.ComputeSti();
    const double mean = 0.5 * (ReferenceTi(0.9) + ReferenceTi(0.2));
    std::array<double, 7> mti;
    mti.fill(ReferenceTi(0.6));
    mti[0] = mti[1] = mean;
    EXPECT_NEAR(split, ReferenceStipa(mti), 1e-12);
    EXPECT_NEAR(m_analyzer.m_mti[0], mean, 1e-12);
    EXPECT_NEAR(m_analyzer.m_mti[1], mean, 1e-12);
}

TEST_F(StipaIndexFormula, SignalToNoiseCorrectionFollowsTheDerivedNoiseTable)
{
    // Stationary noise at the same ratio in every band and an otherwise perfect channel.
    const double snr[] = {-15.0, -10.0, -5.0, 0.0, 5.0, 10.0, 15.0};
    const double expected[] = {0.0, 0.167, 0.333, 0.5, 0.667, 0.833, 1.0};
    for (int mode : {0, 1, 2})
    {
        m_analyzer.m_mode = mode;
        SetAllDepths(1.0);
        for (int i = 0; i < 7; ++i)
        {
            m_analyzer.m_snr.SetAll(snr[i]);
            EXPECT_NEAR(Index(), expected[i], 0.001) << "mode " << mode << " snr " << snr[i];
        }
    }
}

TEST_F(StipaIndexFormula, NoiseFactorPerBand)
{
    for (int mode : {0, 1, 2})
    {
        m_analyzer.m_mode = mode;
        for (int k = 0; k < m_analyzer.GetBandCount(); ++k)
            EXPECT_EQ(m_analyzer.GetNoiseFactor(k), 1.0) << mode << " " << k;
    }
    auto phi = [](double s) { return 1.0 / (1.0 + std::pow(10.0, -s / 10.0)); };
    for (int k = 0; k < 7; ++k)
        m_analyzer.m_snr.m_values[k] = 3.0 * k - 4.0;
    m_analyzer.m_snr.m_values[6] = 200.0;  // at the limit: no noise

    m_analyzer.m_mode = 2;
    EXPECT_NEAR(m_analyzer.GetNoiseFactor(0), phi(-4.0), 1e-12);
    EXPECT_NEAR(m_analyzer.GetNoiseFactor(5), phi(11.0), 1e-12);
    EXPECT_EQ(m_analyzer.GetNoiseFactor(6), 1.0);
    m_analyzer.m_mode = 1;
    EXPECT_NEAR(m_analyzer.GetNoiseFactor(0), phi(2.0), 1e-12);
    EXPECT_NEAR(m_analyzer.GetNoiseFactor(1), phi(8.0), 1e-12);
    m_analyzer.m_mode = 0;
    m_analyzer.m_male = 0;
    EXPECT_NEAR(m_analyzer.GetNoiseFactor(0), phi(-1.0), 1e-12);
    EXPECT_NEAR(m_analyzer.GetNoiseFactor(4), phi(11.0), 1e-12);
    m_analyzer.m_male = 1;
    // 125 Hz at -4 dB counted once, 250 Hz at -1 dB twice, as powers.
    const double combined = 10.0 * std::log10((std::pow(10.0, -0.4) + 2.0 * std::pow(10.0, -0.1)) / 3.0);
    EXPECT_NEAR(m_analyzer.GetNoiseFactor(0), phi(combined), 1e-12);
}

// ---------------------------------------------------------------------------------------------
// The live analysis of synthesised test signals.

constexpr double kRate = 22050.0;
// Every reset restarts the filters, and the start of the envelope rings through the modulation
// band-passes (0.14 Hz wide, 0.4 Hz in the six-band mode) for about ten seconds, while the averages
// begin after two. That ringing adds to or takes from each modulation power depending on its phase,
// and its share of the average falls as 1 / duration: the worst STIPA depth was 4.6 % off after
// 45 s, 2.2 % after 90 s and 1.1 % after 180 s. A minute of audio keeps it near 3.5 % and costs
// about half a second of analysis.
constexpr double kRunSeconds = 60.0;

class StipaAnalyzerSignal : public ::testing::Test
{
protected:
    void Start(int mode, double rate = kRate, int male = 1)
    {
        m_analyzer.m_sampleRate = rate;
        m_analyzer.m_male = male;
        m_analyzer.SetMode(mode);
        m_analyzer.m_running = 1;
        m_analyzer.Reset();
    }

    // Each depth against the envelope model, and the index against the closed-form index of the
    // model depths.
    void CheckAgainstModel(const std::vector<Band>& bands, double depthTolerance, double indexTolerance)
    {
        const int mode = m_analyzer.m_mode;
        const double signalDepth = 0.55;
        std::array<double, 7> mti{};
        for (int k = 0; k < m_analyzer.GetBandCount(); ++k)
        {
            const double reading =
                mode == 2 ? 1.0 / signalDepth : static_cast<double>(bands[k].frequencies.size()) / 2.0;
            const std::vector<double> expected = ExpectedDepths(bands[k], reading);
            double tiSum = 0.0;
            for (std::size_t j = 0; j < expected.size(); ++j)
            {
                const double measured = MeasuredDepth(m_analyzer, k, static_cast<int>(j));
                EXPECT_NEAR(measured, expected[j], depthTolerance * expected[j])
                    << "band " << k << " F " << bands[k].frequencies[j];
                tiSum += ReferenceTi(std::min(expected[j], 0.9999999999));
            }
            mti[k] = tiSum / static_cast<double>(expected.size());
        }
        double index = 0.0;
        if (mode == 2)
            index = ReferenceStipa(mti);
        else if (mode == 1)
            index = mti[0] * 4.0 / 9.0 + mti[1] * 5.0 / 9.0;
        else
            index =
                ReferenceSixBand({mti[0], mti[1], mti[2], mti[3], mti[4], mti[5]}, m_analyzer.m_male != 0);
        EXPECT_NEAR(mode == 0 ? m_analyzer.m_stiSixBand : m_analyzer.m_sti, index, indexTolerance);
    }

    CStipaAnalyzer m_analyzer;
};

// Depths within 5 % of the envelope model (the ringing above, plus under 1 % from the carriers'
// ripple behind the envelope low-pass); near m = 0.3 that moves a transmission index by at most
// 0.01, and the errors of the fourteen depths partly cancel in the index.
constexpr double kDepthTolerance = 0.05;
constexpr double kIndexTolerance = 0.008;

TEST_F(StipaAnalyzerSignal, StipaRecoversModulationDepthsAndIndex)
{
    Start(2);
    const std::vector<Band> bands = BandsOf(m_analyzer, 0.2);
    Feed(m_analyzer, bands, kRunSeconds, 4096);
    CheckAgainstModel(bands, kDepthTolerance, kIndexTolerance);
}

TEST_F(StipaAnalyzerSignal, FullStipaModulationGivesAnIndexNearOne)
{
    // The STIPA test signal modulates each band by 0.55 at both frequencies (the intensity clipped
    // at 0 where the two add up to more than 1); the analyser's depth scale maps it to about 1.
    Start(2);
    const std::vector<Band> bands = BandsOf(m_analyzer, 0.55);
    Feed(m_analyzer, bands, kRunSeconds, 4096);
    CheckAgainstModel(bands, kDepthTolerance, kIndexTolerance);
    EXPECT_GT(m_analyzer.m_sti, 0.9);
}

TEST_F(StipaAnalyzerSignal, NoiseReducesDepthsAsTheClosedForm)
{
    // Noise at 3 dB below the signal in every band: m' = m / (1 + 10^(-SNR/10)).
    Start(2);
    constexpr double kSnr = 3.0;
    constexpr double kM = 0.3;
    std::vector<Band> bands = BandsOf(m_analyzer, kM);
    SetSnr(bands, kSnr);
    Feed(m_analyzer, bands, kRunSeconds, 4096);
    CheckAgainstModel(bands, kDepthTolerance, kIndexTolerance);

    // The same reading as a clean signal of the reduced depth.
    std::vector<Band> reduced = BandsOf(m_analyzer, NoiseReduced(kM, kSnr));
    CheckAgainstModel(reduced, kDepthTolerance, kIndexTolerance);
}

TEST_F(StipaAnalyzerSignal, SixBandModeMaleAndFemale)
{
    for (int male : {1, 0})
    {
        Start(0, kRate, male);
        const std::vector<Band> bands = BandsOf(m_analyzer, 0.3);
        Feed(m_analyzer, bands, 25.0, 4096);
        CheckAgainstModel(bands, kDepthTolerance, kIndexTolerance);
        EXPECT_EQ(m_analyzer.m_sti, -1.0);
    }
}

TEST_F(StipaAnalyzerSignal, RastiAtALowRate)
{
    // Two bands up to 2.4 kHz: a rate of 11025 Hz suffices and still leaves 11.2 Hz below half the
    // decimated rate.
    Start(1, 11025.0);
    // Five components of 0.2 just keep the intensity from reaching 0. The ringing weighs more
    // against the 0.7 Hz and 1 Hz components (11 % and 6 % after 45 s at depth 0.12), so this run
    // is longer; at the lower rate it costs less than the STIPA runs.
    const std::vector<Band> bands = BandsOf(m_analyzer, 0.2);
    Feed(m_analyzer, bands, 90.0, 4096);
    CheckAgainstModel(bands, kDepthTolerance, kIndexTolerance);
}

TEST_F(StipaAnalyzerSignal, NoResultDuringTheFirstTwoSeconds)
{
    // The rate is unknown at construction: the settling time must still be two seconds of the rate
    // the first blocks arrive at.
    m_analyzer.m_mode = 2;
    m_analyzer.m_running = 1;
    m_analyzer.Reset();
    m_analyzer.m_sampleRate = kRate;
    const std::vector<Band> bands = BandsOf(m_analyzer, 0.3);
    std::vector<float> block(1024);
    // Two seconds are 44100 samples: 43 blocks stay within them, the 44th ends beyond.
    for (long b = 0; b < 44; ++b)
    {
        EXPECT_EQ(m_analyzer.m_sti, -1.0) << b;
        EXPECT_EQ(m_analyzer.m_settledSamples, 0) << b;
        Synthesise(bands, kRate, b * 1024, block, true, false);
        m_analyzer.ProcessBlock(block.data(), 1024);
    }
    EXPECT_GE(m_analyzer.m_sti, 0.0);
    EXPECT_EQ(m_analyzer.m_settledSamples, 1024);
    EXPECT_GT(m_analyzer.m_bandPower[3], 0.0);

    // A reset starts the settling time again.
    m_analyzer.Reset();
    EXPECT_EQ(m_analyzer.m_sti, -1.0);
    Feed(m_analyzer, bands, 1.9, 1024);
    EXPECT_EQ(m_analyzer.m_sti, -1.0);
    EXPECT_EQ(m_analyzer.m_running.load(), 1);
}

TEST_F(StipaAnalyzerSignal, NothingIsAnalysedWhileStopped)
{
    Start(2);
    m_analyzer.StopAndWait();
    const std::vector<Band> bands = BandsOf(m_analyzer, 0.3);
    Feed(m_analyzer, bands, 3.0, 4096);
    EXPECT_EQ(m_analyzer.m_samplesSinceReset, 0);
    EXPECT_EQ(m_analyzer.m_sti, -1.0);
    // A mode change keeps the analyser stopped or running as it was.
    m_analyzer.SetMode(1);
    EXPECT_EQ(m_analyzer.m_running.load(), 0);
    m_analyzer.m_running = 1;
    m_analyzer.SetMode(2);
    EXPECT_EQ(m_analyzer.m_running.load(), 1);
}

TEST_F(StipaAnalyzerSignal, SilentInputGivesZeroWithoutNaN)
{
    Start(2);
    std::vector<float> silence(4096, 0.0f);
    for (int b = 0; b < 30; ++b)
        m_analyzer.ProcessBlock(silence.data(), 4096);
    EXPECT_EQ(m_analyzer.m_sti, 0.0);
    for (int k = 0; k < 7; ++k)
        EXPECT_EQ(m_analyzer.m_depth[0][k], 0.0);
}

// IEC 60268-16, C.3.2: the STIPA test signal modulates every band's intensity by 0.55 at each of
// its two frequencies; a channel that transfers the fraction m of that modulation must read m
// within ±0.05 at every modulation frequency, m from 0 to 1, also with noise (the closed form
// m / (1 + 10^(−SNR/10))) and at the rates of real measurements. Each run gives every band its own
// transfer; the rotations give every frequency each of the seven transfers 0, 1/6 … 1. The
// analysis runs 15 s after the settling time, when the readout starts showing its result as valid.
struct StipaTransferCase
{
    double rate;
    int rotation;
    double snrDb;  // above 200: no noise
};

constexpr double kStipaSignalDepth = 0.55;
constexpr double kStipaMeasuringSeconds = 17.0;

TEST_F(StipaAnalyzerSignal, Iec60268StipaDepthsReadTheTransferAtEveryFrequency)
{
    std::vector<StipaTransferCase> cases;
    for (int rotation = 0; rotation < 7; ++rotation)
        cases.push_back({48000.0, rotation, 250.0});
    for (int rotation : {0, 3, 5})
        cases.push_back({44100.0, rotation, 250.0});
    cases.push_back({48000.0, 2, 10.0});
    cases.push_back({44100.0, 4, 0.0});
    for (const StipaTransferCase& c : cases)
    {
        Start(2, c.rate);
        std::vector<Band> bands = BandsOf(m_analyzer, 0.0);
        std::array<double, 7> transfer{};
        for (int k = 0; k < 7; ++k)
        {
            transfer[k] = static_cast<double>((k + c.rotation) % 7) / 6.0;
            for (double& depth : bands[k].depths)
                depth = kStipaSignalDepth * transfer[k];
        }
        if (c.snrDb < 200.0)
            SetSnr(bands, c.snrDb);
        Feed(m_analyzer, bands, kStipaMeasuringSeconds, 4096);
        for (int k = 0; k < 7; ++k)
        {
            const double expected = c.snrDb < 200.0 ? NoiseReduced(transfer[k], c.snrDb) : transfer[k];
            for (int j = 0; j < 2; ++j)
                EXPECT_NEAR(m_analyzer.m_depth[j][k], expected, 0.05)
                    << c.rate << " Hz, rotation " << c.rotation << ", SNR " << c.snrDb << " dB, band " << k
                    << ", F " << bands[k].frequencies[j];
        }
    }
}

// A carrier that carries no modulation reads no depth once the measuring time is over, and a band
// that gets no signal while its neighbours do reads neither a number out of nothing nor NaN.
TEST_F(StipaAnalyzerSignal, Iec60268UnmodulatedCarrierAndSilentBandReadNoDepth)
{
    Start(2, 48000.0);
    std::vector<Band> bands = BandsOf(m_analyzer, 0.0);
    bands[3].amplitude = 0.0;
    Feed(m_analyzer, bands, kStipaMeasuringSeconds, 4096);
    for (int k = 0; k < 7; ++k)
        for (int j = 0; j < 2; ++j)
        {
            EXPECT_FALSE(std::isnan(m_analyzer.m_depth[j][k]));
            EXPECT_LT(m_analyzer.m_depth[j][k], 0.03) << "band " << k << ", F " << bands[k].frequencies[j];
        }
}

// Blocks are analysed in chunks of 1024 samples: how the engine cuts its blocks must not matter
// when the cuts fall on chunk boundaries, and the chunks of a longer block are exactly such cuts.
std::vector<double> RunWithBlocks(const std::vector<int>& pattern, double seconds)
{
    CStipaAnalyzer analyzer;
    analyzer.m_sampleRate = kRate;
    analyzer.m_mode = 2;
    analyzer.m_running = 1;
    analyzer.Reset();
    const std::vector<Band> bands = BandsOf(analyzer, 0.3);
    const long total = std::lround(seconds * kRate);
    std::vector<float> block(*std::max_element(pattern.begin(), pattern.end()));
    long first = 0;
    for (std::size_t i = 0; first < total; ++i)
    {
        const int count = static_cast<int>(std::min<long>(pattern[i % pattern.size()], total - first));
        Synthesise(bands, kRate, first, std::span<float>(block.data(), count), true, false);
        analyzer.ProcessBlock(block.data(), count);
        first += count;
    }
    std::vector<double> results = {analyzer.m_sti, static_cast<double>(analyzer.m_settledSamples),
                                   static_cast<double>(analyzer.m_decimatedSamples)};
    for (int k = 0; k < 7; ++k)
        results.insert(results.end(),
                       {analyzer.m_depth[0][k], analyzer.m_depth[1][k], analyzer.m_bandPower[k]});
    return results;
}

TEST(StipaAnalyzerBlocks, LongBlocksAreAnalysedInChunksOf1024)
{
    EXPECT_EQ(RunWithBlocks({2500}, 6.0), RunWithBlocks({1024, 1024, 452}, 6.0));
    EXPECT_EQ(RunWithBlocks({262144}, 14.0), RunWithBlocks({1024}, 14.0));
    EXPECT_NE(RunWithBlocks({2500}, 6.0), RunWithBlocks({1024}, 6.0));
}

// ---------------------------------------------------------------------------------------------
// Background noise from a recording.

class FakeNoiseReader : public CStipaNoiseReader
{
public:
    bool Open(const std::string& path) override
    {
        ++m_opens;
        m_path = path;
        m_position = 0;
        m_open = m_openable;
        return m_open;
    }
    int GetChannelCount() const override { return m_channels; }
    int Read(std::span<float> frames) override
    {
        if (!m_open)
            return 0;
        const int count =
            static_cast<int>(std::min<long>(static_cast<long>(frames.size()), m_available - m_position));
        if (m_bands != nullptr)
            Synthesise(*m_bands, m_rate, m_position, frames.first(count), false, true);
        else
            std::fill_n(frames.begin(), count, 0.25f);
        m_position += count;
        return count;
    }
    void Close() override
    {
        ++m_closes;
        m_open = false;
    }

    bool m_openable = true;
    int m_channels = 1;
    long m_available = 1L << 40;
    const std::vector<Band>* m_bands = nullptr;
    double m_rate = kRate;
    long m_position = 0;
    bool m_open = false;
    int m_opens = 0;
    int m_closes = 0;
    std::string m_path;
};

class StipaNoiseMixing : public StipaAnalyzerSignal
{
protected:
    // One block of ones through the analyser: what comes back is 1 + gain x noise.
    std::vector<float> MixedBlock(int count)
    {
        std::vector<float> block(count, 1.0f);
        m_analyzer.ProcessBlock(block.data(), count);
        return block;
    }
    // The reader goes before the analyser of the base, which would close it on its way out.
    ~StipaNoiseMixing() override { m_analyzer.SetNoiseReader(nullptr); }

    FakeNoiseReader m_reader;
};

TEST_F(StipaNoiseMixing, RecordingIsAddedAtItsLevelWhenEnabled)
{
    m_analyzer.SetNoiseReader(&m_reader);
    m_analyzer.m_noiseFile = "/tmp/noise.wav";
    m_analyzer.m_noiseLevel = -6.0;
    const float mixed = static_cast<float>(1.0 + std::pow(10.0, -6.0 / 20.0) * 0.25);
    // A block of 2500 ones is analysed as chunks of 1024, 1024 and 452 samples; a reader that
    // delivers less than a chunk asks for leaves that chunk unmixed.
    struct Case
    {
        int enabled, channels;
        bool openable;
        long available;  // frames the recording delivers in all
        float first, second, last;
    };
    const long all = 1L << 40;
    for (const Case c :
         {Case{1, 1, true, all, mixed, mixed, mixed}, Case{0, 1, true, all, 1.0f, 1.0f, 1.0f},
          Case{1, 2, true, all, 1.0f, 1.0f, 1.0f}, Case{1, 1, false, all, 1.0f, 1.0f, 1.0f},
          Case{1, 1, true, 2000, mixed, 1.0f, 1.0f}, Case{1, 1, true, 2048, mixed, mixed, 1.0f}})
    {
        m_analyzer.m_noiseEnabled = c.enabled;
        m_reader.m_channels = c.channels;
        m_reader.m_openable = c.openable;
        m_reader.m_available = c.available;
        Start(2);
        const std::vector<float> block = MixedBlock(2500);
        const std::string label = std::to_string(c.enabled) + " " + std::to_string(c.channels) + " " +
                                  std::to_string(c.openable) + " " + std::to_string(c.available);
        EXPECT_FLOAT_EQ(block[0], c.first) << label;
        EXPECT_FLOAT_EQ(block[1500], c.second) << label;
        EXPECT_FLOAT_EQ(block[2499], c.last) << label;
        if (c.enabled != 0)
        {
            EXPECT_EQ(m_reader.m_path, "/tmp/noise.wav");
        }
        // A recording with more than one channel is not kept open.
        EXPECT_EQ(m_reader.m_open, c.enabled != 0 && c.channels == 1 && c.openable) << label;
    }
}

TEST_F(StipaNoiseMixing, ResetRestartsTheRecording)
{
    m_analyzer.SetNoiseReader(&m_reader);
    m_analyzer.m_noiseEnabled = 1;
    Start(2);
    const int opens = m_reader.m_opens;
    MixedBlock(3000);
    EXPECT_EQ(m_reader.m_position, 3000);
    m_analyzer.Reset();
    EXPECT_EQ(m_reader.m_opens, opens + 1);
    EXPECT_EQ(m_reader.m_position, 0);
    m_analyzer.SetNoiseReader(nullptr);
    m_analyzer.Reset();
    const std::vector<float> block = MixedBlock(100);
    EXPECT_EQ(block[50], 1.0f);
}

TEST_F(StipaNoiseMixing, MixedRecordingReducesDepthsLikeNoiseInTheSignal)
{
    // The recording holds the quadrature tones at twice their amplitude and is mixed at -6.02 dB:
    // a signal-to-noise ratio of 0 dB in every band.
    Start(2);
    std::vector<Band> bands = BandsOf(m_analyzer, 0.3);
    SetSnr(bands, 0.0);
    std::vector<Band> recording = bands;
    for (Band& band : recording)
        band.noiseAmplitude *= 2.0;
    m_reader.m_bands = &recording;
    m_analyzer.SetNoiseReader(&m_reader);
    m_analyzer.m_noiseEnabled = 1;
    m_analyzer.m_noiseLevel = -20.0 * std::log10(2.0);
    m_analyzer.Reset();
    Feed(m_analyzer, bands, kRunSeconds, 4096, false);
    CheckAgainstModel(bands, kDepthTolerance, kIndexTolerance);
}

// ---------------------------------------------------------------------------------------------

class StipaRating : public testsupport::TempHomeTest
{
};

TEST_F(StipaRating, BoundariesBelongToTheLowerRating)
{
    SetLanguage(LANGUAGE_ENGLISH);
    struct Case
    {
        double value;
        const char* rating;
    };
    for (const Case c : {Case{-0.001, "--"}, Case{0.0, "bad"}, Case{0.30, "bad"}, Case{0.3001, "poor"},
                         Case{0.45, "poor"}, Case{0.451, "fair"}, Case{0.60, "fair"}, Case{0.6001, "good"},
                         Case{0.75, "good"}, Case{0.7501, "excellent"}, Case{1.0, "excellent"},
                         Case{1.0001, "--"}, Case{std::numeric_limits<double>::quiet_NaN(), "--"}})
        EXPECT_EQ(GetStipaRating(c.value), c.rating) << c.value;
}

// ---------------------------------------------------------------------------------------------

TEST(StiBandValues, StartsAtTheDefaultAndWorksOnTheValuesInUse)
{
    CStiBandValues values;
    EXPECT_EQ(values.m_count, 8);
    EXPECT_EQ(values.m_defaultValue, 250.0);
    EXPECT_EQ(values.m_limit, 200.0);
    EXPECT_EQ(values.m_values[0], 250.0);
    EXPECT_EQ(values.m_values[255], 250.0);

    values.m_count = 3;
    values.SetAll(7.0);
    EXPECT_EQ(values.m_values[2], 7.0);
    EXPECT_EQ(values.m_values[3], 250.0);
    values.m_defaultValue = 99.0;
    values.Reset();
    EXPECT_EQ(values.m_values[0], 99.0);
    EXPECT_EQ(values.m_values[3], 250.0);

    // A damaged count reaches no further than the values.
    values.m_count = 100000;
    values.SetAll(1.0);
    EXPECT_EQ(values.m_values[255], 1.0);
    values.m_count = -4;
    values.SetAll(2.0);
    EXPECT_EQ(values.m_values[0], 1.0);
}

TEST(StiBandValues, SignalMinusNoiseGivesTheSignalToNoiseRatio)
{
    struct Case
    {
        double signal, noise, snr;
    };
    const Case cases[] = {{80.0, 50.0, 30.0},  {62.5, 64.0, -1.5},   {0.0, 0.0, 0.0},   {-10.0, 20.0, -30.0},
                          {250.0, 0.0, 250.0}, {70.25, 70.5, -0.25}, {45.0, -5.0, 50.0}};
    CStiBandValues signal;
    CStiBandValues noise;
    signal.m_count = noise.m_count = 7;
    for (int k = 0; k < 7; ++k)
    {
        signal.m_values[k] = cases[k].signal;
        noise.m_values[k] = cases[k].noise;
    }
    signal.m_values[7] = 9.0;
    const CStiBandValues snr = signal.Difference(noise);
    EXPECT_EQ(snr.m_count, 7);
    for (int k = 0; k < 7; ++k)
    {
        EXPECT_EQ(snr.m_values[k], cases[k].snr) << k;
        EXPECT_EQ(signal.m_values[k], cases[k].signal) << k;
    }
    EXPECT_EQ(snr.m_values[7], 9.0);

    CStiBandValues copy;
    copy.m_values[5] = 1.0;
    copy.Assign(snr);
    EXPECT_EQ(copy.m_count, 7);
    EXPECT_EQ(copy.m_values[1], -1.5);
    copy.Subtract(snr);
    for (int k = 0; k < 7; ++k)
        EXPECT_EQ(copy.m_values[k], 0.0);
}

class StiBandValuesFile : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        m_path = m_home.File("sti.ini").string();
        std::filesystem::create_directories(m_home.File("sti.ini").parent_path());
        m_ini.SetFileName(m_path);
    }
    std::string Stored(const char* set, const char* key) const
    {
        return m_ini.ReadString(std::string("STI Signal to Noise.") + set, key, "<missing>");
    }

    std::string m_path;
    CIniFile m_ini;
};

TEST_F(StiBandValuesFile, WritesTwoDecimalsAndDashesForNoiseFreeRatios)
{
    CStiBandValues values;
    const double written[7] = {250.0, 12.5, -3.25, 199.999, 200.0, 0.0, 1e6};
    for (int k = 0; k < 7; ++k)
        values.m_values[k] = written[k];
    ASSERT_TRUE(WriteStiBandValues(m_path, values, kStiSetSnr));
    ASSERT_TRUE(WriteStiBandValues(m_path, values, kStiSetSignal));
    struct Case
    {
        const char* key;
        const char* snr;
        const char* signal;
    };
    for (const Case c :
         {Case{"125Hz", "--", "250.00"}, Case{"250Hz", "12.50", "12.50"}, Case{"500Hz", "-3.25", "-3.25"},
          Case{"1000Hz", "200.00", "200.00"}, Case{"2000Hz", "--", "200.00"}, Case{"4000Hz", "0.00", "0.00"},
          Case{"8000Hz", "--", "1000000.00"}})
    {
        EXPECT_EQ(Stored("SNR", c.key), c.snr) << c.key;
        EXPECT_EQ(Stored("SIGNAL", c.key), c.signal) << c.key;
    }
    EXPECT_EQ(Stored("NOISE", "125Hz"), "<missing>");
    EXPECT_FALSE(WriteStiBandValues(m_path, values, 3));
    EXPECT_FALSE(WriteStiBandValues(m_path, values, -1));
}

TEST_F(StiBandValuesFile, ReadsBackDashesNumbersAndBadTexts)
{
    struct Case
    {
        const char* stored;  // nullptr: no key
        double before;
        double after;
    };
    const Case cases[] = {
        {"--", 3.0, 250.0},      // no noise: the default value
        {"12.5", 0.0, 12.5},     //
        {"-7.25", 0.0, -7.25},   //
        {"abc", 5.0, 0.0},       // no number at all reads as 0
        {"", 5.0, 5.0},          // empty: unchanged
        {"1e999", 5.0, 5.0},     // not a finite number: unchanged
        {nullptr, 1.234, 1.23},  // missing: what the writer would write
    };
    const char* keys[] = {"125Hz", "250Hz", "500Hz", "1000Hz", "2000Hz", "4000Hz", "8000Hz"};
    const std::string section = "STI Signal to Noise.NOISE";
    CStiBandValues values;
    for (int k = 0; k < 7; ++k)
    {
        if (cases[k].stored != nullptr)
        {
            ASSERT_TRUE(m_ini.WriteString(section, keys[k], cases[k].stored));
        }
        values.m_values[k] = cases[k].before;
    }
    ASSERT_TRUE(ReadStiBandValues(m_path, values, kStiSetNoise));
    for (int k = 0; k < 7; ++k)
        EXPECT_DOUBLE_EQ(values.m_values[k], cases[k].after) << keys[k];
    EXPECT_FALSE(ReadStiBandValues(m_path, values, 5));
}

TEST_F(StiBandValuesFile, RoundTripPerSet)
{
    for (int set = 0; set < kStiSetCount; ++set)
    {
        CStiBandValues out;
        for (int k = 0; k < 7; ++k)
            out.m_values[k] = 10.0 * set + 1.25 * k - 3.0;
        out.m_values[6] = 250.0;
        ASSERT_TRUE(WriteStiBandValues(m_path, out, set));
        CStiBandValues in;
        in.SetAll(-1.0);
        ASSERT_TRUE(ReadStiBandValues(m_path, in, set));
        for (int k = 0; k < 7; ++k)
            EXPECT_DOUBLE_EQ(in.m_values[k], out.m_values[k]) << g_stiBandValueSetNames[set] << " " << k;
        EXPECT_EQ(in.m_values[7], -1.0);
    }
    // The ratio 220 is noise-free: stored as "--", it reads back as the default value.
    CStiBandValues snr;
    snr.m_values[3] = 220.0;
    ASSERT_TRUE(WriteStiBandValues(m_path, snr, kStiSetSnr));
    snr.m_values[3] = 0.0;
    ASSERT_TRUE(ReadStiBandValues(m_path, snr, kStiSetSnr));
    EXPECT_EQ(snr.m_values[3], 250.0);
}

}  // namespace
