// Speech transmission index of impulse responses (IEC 60268-16, indirect method): ideal impulses,
// the standard's derived signal-to-noise row, exponential noise decays against the closed-form
// modulation transfer function, and the reports.
#include "dsp/StiEvaluator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "texts/LanguageChoice.h"
#include "texts/TextTable.h"

namespace
{

constexpr double kFrequencies[14] = {0.63, 0.8, 1.0, 1.25, 1.6, 2.0,  2.5,
                                     3.15, 4.0, 5.0, 6.3,  8.0, 10.0, 12.5};

std::vector<float> Impulse(int count, int at = 100)
{
    std::vector<float> x(static_cast<std::size_t>(count), 0.0f);
    x[static_cast<std::size_t>(at)] = 1.0f;
    return x;
}

// Exponentially decaying Gaussian noise, 60 dB in T.
std::vector<float> NoiseDecay(double reverberation, int rate, unsigned seed)
{
    const int count = static_cast<int>((1.6 * reverberation + 0.3) * rate);
    std::mt19937 random(seed);
    std::normal_distribution<double> gauss(0.0, 1.0);
    std::vector<float> x(static_cast<std::size_t>(count));
    const double perSample = 13.8155 / (reverberation * rate) / 2.0;
    for (int i = 0; i < count; ++i)
        x[static_cast<std::size_t>(i)] = static_cast<float>(gauss(random) * std::exp(-perSample * i));
    return x;
}

// The STI of a modulation transfer that is the same in every band, m(F) per modulation frequency.
double StiOfTransfer(double (*transfer)(double, double), double parameter)
{
    double mti = 0.0;
    for (double f : kFrequencies)
    {
        const double m = transfer(f, parameter);
        const double snr = std::clamp(10.0 * std::log10(m / (1.0 - m)), -15.0, 15.0);
        mti += (snr + 15.0) / 30.0;
    }
    return mti / 14.0;  // the band weights sum to 1
}

double ReverberationTransfer(double f, double t)
{
    const double a = 2.0 * M_PI * f * t / 13.8155;
    return 1.0 / std::sqrt(1.0 + a * a);
}

}  // namespace

TEST(StiEvaluatorIec60268, IdealImpulseGivesOne)
{
    for (int rate : {32000, 44100, 48000, 96000})
    {
        CStiEvaluator sti;
        const std::vector<float> x = Impulse(65536);
        sti.Evaluate(x.data(), 65536, rate);
        EXPECT_DOUBLE_EQ(sti.m_sti, 1.0) << rate;
        EXPECT_NEAR(sti.m_stiMale, 1.0, 1e-9);
        EXPECT_NEAR(sti.m_stiFemale, 1.0, 1e-9);
        EXPECT_DOUBLE_EQ(sti.m_rasti, 1.0);
        for (int f = 0; f < 14; ++f)
            for (int k = 0; k < 7; ++k)
                EXPECT_GT(sti.m_mtf[f][k], 0.97);
    }
}

TEST(StiEvaluatorIec60268, DerivedSignalToNoiseRow)
{
    // Stationary noise at the same ratio in every band: -15 ... +15 dB give 0 ... 1.
    const double snr[] = {-15, -10, -5, 0, 5, 10, 15};
    const double expected[] = {0.0, 0.167, 0.333, 0.5, 0.667, 0.833, 1.0};
    const std::vector<float> x = Impulse(32768);
    for (int useDft : {1, 0})
        for (int i = 0; i < 7; ++i)
        {
            CStiEvaluator sti;
            sti.m_useDirectDft = useDft;
            for (int k = 0; k < 7; ++k)
                sti.m_snr.m_values[static_cast<std::size_t>(k)] = snr[i];
            sti.Evaluate(x.data(), 32768, 48000);
            EXPECT_NEAR(sti.m_sti, expected[i], 0.001) << snr[i] << " dB, direct " << useDft;
            EXPECT_NEAR(sti.m_rasti, expected[i], 0.001);
            EXPECT_NEAR(sti.m_stiMale, expected[i], 0.001);
            EXPECT_NEAR(sti.m_stiFemale, expected[i], 0.001);
        }
    // Exactly 200 dB counts as noise-free.
    CStiEvaluator sti;
    sti.m_snr.SetAll(200.0);
    EXPECT_EQ(sti.GetNoiseFactor(3), 1.0);
    sti.m_snr.SetAll(0.0);
    EXPECT_EQ(sti.GetNoiseFactor(3), 0.5);
}

TEST(StiEvaluatorIec60268, NoiseDecaysFollowTheReverberationTransfer)
{
    for (int rate : {44100, 48000})
        for (double t : {0.5, 1.0, 2.0})
        {
            const std::vector<float> x = NoiseDecay(t, rate, static_cast<unsigned>(t * 100) + rate);
            CStiEvaluator sti;
            sti.Evaluate(x.data(), static_cast<int>(x.size()), rate);
            EXPECT_NEAR(sti.m_sti, StiOfTransfer(ReverberationTransfer, t), 0.02) << rate << " Hz, T " << t;
        }
}

TEST(StiEvaluatorIec60268, RatesWithoutBandFiltersAreNotAvailable)
{
    const std::vector<float> x = Impulse(16384);
    CStiEvaluator sti;
    sti.Evaluate(x.data(), 16384, 22050);
    EXPECT_EQ(sti.m_sti, -1.0);
    EXPECT_EQ(sti.m_rasti, -1.0);
    EXPECT_EQ(sti.m_stiMale, -1.0);
    EXPECT_EQ(sti.m_stiFemale, -1.0);
    EXPECT_EQ(GetStiRating(sti.m_sti), "--");
}

TEST(StiEvaluatorIec60268, SilenceGivesZero)
{
    const std::vector<float> x(8192, 0.0f);
    CStiEvaluator sti;
    sti.Evaluate(x.data(), 8192, 48000);
    EXPECT_EQ(sti.m_sti, 0.0);
    EXPECT_EQ(sti.m_rasti, 0.0);
    for (int k = 0; k < 7; ++k)
        EXPECT_EQ(sti.m_mti[k], 0.0);
}

TEST(StiEvaluatorIec60268, Ratings)
{
    SetLanguage(LANGUAGE_ENGLISH);
    EXPECT_EQ(GetStiRating(0.30), "bad");
    EXPECT_EQ(GetStiRating(0.3000001), "poor");
    EXPECT_EQ(GetStiRating(0.75), "good");
    EXPECT_EQ(GetStiRating(1.0), "excellent");
    EXPECT_EQ(GetStiRating(1.2), "--");
    EXPECT_EQ(GetStiRating(-0.1), "--");
}

TEST(StiEvaluatorIec60268, Reports)
{
    SetLanguage(LANGUAGE_ENGLISH);
    const std::vector<float> x = Impulse(4096);
    CStiEvaluator sti;
    sti.Evaluate(x.data(), 4096, 48000);
    const auto dir = std::filesystem::path(testing::TempDir()) / "sti_report";
    std::filesystem::create_directories(dir);
    const auto text = dir / "sti.txt";
    ASSERT_TRUE(sti.WriteTextReport(text.string()));
    std::ifstream in(text);
    std::stringstream content;
    content << in.rdbuf();
    const std::string s = content.str();
    EXPECT_EQ(s.rfind("m.freq.\t125.0Hz\t250.0Hz", 0), 0u);
    EXPECT_NE(s.find("\n0.63Hz\t1.000000\t1.000000"), std::string::npos);
    EXPECT_NE(s.find("\n12.50Hz\t"), std::string::npos);
    EXPECT_NE(s.find("\nSTI:1.000000 RASTI1.000000\n"), std::string::npos);
    EXPECT_FALSE(sti.WriteTextReport((dir / "missing" / "sti.txt").string()));

    const auto html = dir / "sti.html";
    std::FILE* f = std::fopen(html.string().c_str(), "w");
    ASSERT_NE(f, nullptr);
    sti.WriteHtmlReport(f);
    std::fclose(f);
    std::ifstream hin(html);
    std::stringstream hcontent;
    hcontent << hin.rdbuf();
    const std::string h = hcontent.str();
    EXPECT_EQ(h.rfind("<TABLE border=\"1\" cellpadding=\"4\"", 0), 0u);
    EXPECT_NE(h.find("<TD>8000Hz</TD>\n</TR>\n"), std::string::npos);
    EXPECT_NE(h.find("\n<TD>STI</TD><TD>1.00</TD><TD>excellent</TD>\n"), std::string::npos);
    EXPECT_NE(h.find("\n<TD>RASTI</TD><TD>1.00</TD><TD>excellent</TD>\n</TR>\n</TABLE>\n"),
              std::string::npos);
}
