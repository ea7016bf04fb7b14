// The generator's synthesis against independent computations: closed forms of the oscillator and the
// sweep, Fourier series of the square and triangle waves, Bessel sidebands of the FM, the AM sidebands,
// the published Mersenne Twister outputs, MLS correlation properties and noise spectra measured with a
// double-precision FFT.
#include "engine/Generator.h"

#include "dsp/RandomGenerator.h"
#include "engine/GaussRandom.h"
#include "tests/support/FileBytes.h"

#include <fftw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <functional>
#include <numbers>
#include <numeric>
#include <thread>
#include <vector>

namespace
{

constexpr double kFs = CGenerator::kSynthesisFullScale;
constexpr double kPi = std::numbers::pi;

// |X_k| x 2 / N of a real signal (single-sided amplitudes), optionally Hann-windowed power.
std::vector<double> Amplitudes(const std::vector<double>& x)
{
    const int n = static_cast<int>(x.size());
    std::vector<double> in(x);
    std::vector<fftw_complex> out(static_cast<std::size_t>(n / 2 + 1));
    fftw_plan plan = fftw_plan_dft_r2c_1d(n, in.data(), out.data(), FFTW_ESTIMATE);
    fftw_execute(plan);
    fftw_destroy_plan(plan);
    std::vector<double> amp(static_cast<std::size_t>(n / 2 + 1));
    for (int k = 0; k <= n / 2; ++k)
        amp[k] = std::hypot(out[k][0], out[k][1]) * 2.0 / n;
    return amp;
}

// Averaged Hann-windowed power per bin over consecutive blocks of `size`.
std::vector<double> AveragedPower(const std::vector<double>& x, int size)
{
    std::vector<double> power(static_cast<std::size_t>(size / 2 + 1), 0.0);
    std::vector<double> in(static_cast<std::size_t>(size));
    std::vector<fftw_complex> out(static_cast<std::size_t>(size / 2 + 1));
    fftw_plan plan = fftw_plan_dft_r2c_1d(size, in.data(), out.data(), FFTW_ESTIMATE);
    const int blocks = static_cast<int>(x.size()) / size;
    for (int b = 0; b < blocks; ++b)
    {
        for (int i = 0; i < size; ++i)
            in[i] = x[static_cast<std::size_t>(b) * size + i] * (0.5 - 0.5 * std::cos(2.0 * kPi * i / size));
        fftw_execute(plan);
        for (int k = 0; k <= size / 2; ++k)
            power[k] += out[k][0] * out[k][0] + out[k][1] * out[k][1];
    }
    fftw_destroy_plan(plan);
    return power;
}

// Mean power per bin between two frequencies.
double BandMean(const std::vector<double>& power, int size, double sampleRate, double f1, double f2)
{
    const double bin = sampleRate / size;
    const int k1 = static_cast<int>(std::ceil(f1 / bin));
    const int k2 = static_cast<int>(std::floor(f2 / bin));
    double sum = 0.0;
    for (int k = k1; k <= k2; ++k)
        sum += power[k];
    return sum / (k2 - k1 + 1);
}

class GeneratorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_gen.Init();
        m_gen.m_rebuildWait = std::chrono::milliseconds(0);
        m_gen.m_settings.SetLevel(1.0);
    }

    CSigGen_settings& S() { return m_gen.m_settings; }

    // Renders in blocks of `block` samples (so that block boundaries fall inside every pattern).
    std::vector<std::int32_t> Render(int count, int block = 4096)
    {
        std::vector<std::int32_t> out(static_cast<std::size_t>(count));
        for (int pos = 0; pos < count; pos += block)
            m_gen.Synthesize(out.data() + pos, std::min(block, count - pos));
        return out;
    }

    std::vector<double> RenderDouble(int count, int block = 4096)
    {
        const auto samples = Render(count, block);
        return std::vector<double>(samples.begin(), samples.end());
    }

    CGenerator m_gen;
};

TEST_F(GeneratorTest, SineFrequencyLevelAndDistortion)
{
    struct Case
    {
        int rate;
        int bin;  // cycles in the analysed block
        double level;
        int attenuator;  // index switched in, or -1
        double calibrationDb;
        double gain;  // expected linear gain, computed by hand
    };
    const Case cases[] = {
        {48000, 1365, 0.5, -1, 0.0, 0.5},
        {44100, 1486, 1.0, 2, 0.0, 0.70794578438414},
        {192000, 341, 0.1, 5, 6.0, 0.1 * 0.1 * 1.9952623149688795},
        {96000, 7001, 0.9, 6, 0.0, 0.9 * 0.0031622776601684},
    };
    constexpr int kSize = 65536;
    for (const Case& c : cases)
    {
        S().m_sample_rate = c.rate;
        S().m_frequency = static_cast<double>(c.bin) * c.rate / kSize;
        S().m_level = c.level;
        if (c.attenuator >= 0)
            S().m_attenuator[c.attenuator] = 1;
        S().m_calibration_db = c.calibrationDb;
        m_gen.m_rotCos = 0.0;
        m_gen.m_rotSin = 1.0;
        m_gen.ApplySettings();
        const auto x = RenderDouble(kSize, 1000);
        const double a = c.gain * kFs;
        // Sample by sample against the closed form of the rotator started at (0, 1).
        const double w = 2.0 * kPi * S().m_frequency / c.rate;
        double worst = 0.0;
        for (int n = 0; n < kSize; ++n)
            worst = std::max(worst, std::fabs(x[n] - a * std::cos(kPi / 2 + (n + 1) * w)));
        EXPECT_LE(worst, 2.0) << c.rate;
        const auto amp = Amplitudes(x);
        const auto peak = std::max_element(amp.begin() + 1, amp.end()) - amp.begin();
        EXPECT_EQ(peak, c.bin);
        // Truncation toward zero costs up to one step of the integer scale.
        EXPECT_NEAR(amp[c.bin] / a, 1.0, 1.0 / a + 1e-9);
        double harmonics = 0.0;
        for (int h = 2; h * c.bin < kSize / 2 && h <= 10; ++h)
            harmonics += amp[h * c.bin] * amp[h * c.bin];
        const double thdDb = 10.0 * std::log10(harmonics / (amp[c.bin] * amp[c.bin]));
        EXPECT_LT(thdDb, -120.0) << c.rate;
        S().m_attenuator.fill(0);
    }
}

TEST_F(GeneratorTest, SquareAndTriangleHarmonicSeries)
{
    constexpr int kSize = 1 << 18;
    constexpr int kBin = 5461;  // odd, so no alias of a low harmonic lands on another
    struct Case
    {
        int mode;
        std::function<double(int)> odd;  // amplitude of odd harmonic n relative to the waveform's peak
    };
    const Case cases[] = {
        {kGenModeRectangular, [](int n) { return 0.99999 * 4.0 / (kPi * n); }},
        {kGenModeTriangular, [](int n) { return 8.0 / (kPi * kPi * n * n); }},
    };
    for (const Case& c : cases)
    {
        S().m_sample_rate = 48000;
        S().m_mode = c.mode;
        S().m_level = 0.5;
        S().m_frequency = static_cast<double>(kBin) * 48000 / kSize;
        m_gen.ApplySettings();
        const auto amp = Amplitudes(RenderDouble(kSize));
        const double a = 0.5 * kFs;
        for (int n = 1; n <= 9; n += 2)
            EXPECT_NEAR(amp[n * kBin] / a, c.odd(n), 2e-3 * c.odd(n)) << c.mode << " harmonic " << n;
        for (int n = 2; n <= 8; n += 2)
            EXPECT_LT(amp[n * kBin] / a, 1e-4) << c.mode << " harmonic " << n;
    }
}

TEST_F(GeneratorTest, TriangleStartsAtItsPeakAndHonoursTheDutyCycle)
{
    struct Case
    {
        double width;
        int falling;  // of the 400 samples of one period
    };
    for (const Case& c : {Case{0.5, 200}, Case{0.25, 100}, Case{0.8, 320}})
    {
        S().m_sample_rate = 48000;
        S().m_mode = kGenModeTriangular;
        S().m_frequency = 120.0;
        S().m_pulse_width = c.width;
        m_gen.ApplySettings();
        const auto x = Render(4000, 777);
        EXPECT_EQ(x[0], static_cast<std::int32_t>(kFs));
        int falling = 0;
        for (int i = 2000; i < 2400; ++i)
            falling += x[i] < x[i - 1] ? 1 : 0;
        EXPECT_NEAR(falling, c.falling, 1) << c.width;
    }
}

TEST_F(GeneratorTest, WhiteNoiseFollowsTheReseededTwister)
{
    // Published first outputs of MT19937 seeded by the array {0x123, 0x234, 0x345, 0x456}.
    const std::uint32_t reference[] = {1067595299u, 955945823u, 477289528u, 4107218783u, 4228976476u};
    for (int round = 0; round < 2; ++round)
    {
        m_gen.Init();
        S().SetLevel(0.25);
        S().m_mode = kGenModeWhiteNoise;
        m_gen.ApplySettings();
        const auto x = Render(5);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(x[i],
                      static_cast<std::int32_t>((2.0 * reference[i] / 4294967295.0 - 1.0) * 0.25 * kFs));
    }
}

TEST_F(GeneratorTest, NoiseSpectraOverALongAverage)
{
    constexpr int kSize = 32768;
    constexpr int kBlocks = 192;
    constexpr int kRate = 44100;
    struct Case
    {
        int mode;
        bool pink;
    };
    for (const Case& c : {Case{kGenModeWhiteNoise, false}, Case{kGenModePinkNoise, true}})
    {
        S().m_sample_rate = kRate;
        S().m_mode = c.mode;
        SeedPinkNoiseRandom(1);
        SeedRandomByArray(kGeneratorRandomKey.data(), static_cast<int>(kGeneratorRandomKey.size()));
        m_gen.ApplySettings();
        const auto power = AveragedPower(RenderDouble(kSize * kBlocks), kSize);
        // Octave bands from 20 Hz; the last ends at 20 kHz. White: equal density; pink: density x f
        // constant, that is the same power per octave (3 dB per octave falling density).
        std::vector<double> levels;
        for (double f1 = 20.0; f1 < 20000.0; f1 *= 2.0)
        {
            const double f2 = std::min(2.0 * f1, 20000.0);
            double mean = BandMean(power, kSize, kRate, f1, f2);
            if (c.pink)
                mean *= (f2 - f1) / std::log(f2 / f1);  // density x f averaged on a log scale
            levels.push_back(10.0 * std::log10(mean));
        }
        const double avg = std::accumulate(levels.begin(), levels.end(), 0.0) / levels.size();
        for (std::size_t i = 0; i < levels.size(); ++i)
            EXPECT_NEAR(levels[i], avg, 0.5) << (c.pink ? "pink" : "white") << " band " << i;
    }
}

TEST_F(GeneratorTest, GaussianNoiseDeviationAndClip)
{
    CGaussRandom::SetState(CGaussRandom::kInitialState);
    S().m_mode = kGenModeGaussNoise;
    S().m_level = 0.5;
    m_gen.ApplySettings();
    const auto x = RenderDouble(1 << 20);
    const double a = 0.5 * kFs;
    double sum = 0.0;
    double sq = 0.0;
    double biggest = 0.0;
    int beyond3Sigma = 0;
    for (double v : x)
    {
        sum += v;
        sq += v * v;
        biggest = std::max(biggest, std::fabs(v));
        beyond3Sigma += std::fabs(v) > 0.6 * a ? 1 : 0;
    }
    const double mean = sum / x.size();
    const double sd = std::sqrt(sq / x.size() - mean * mean);
    EXPECT_NEAR(mean / a, 0.0, 0.002);
    EXPECT_NEAR(sd / a, 0.2, 0.002);
    EXPECT_LE(biggest, a);
    // Two-sided tail of the normal distribution beyond 3 sigma: 0.0027.
    EXPECT_NEAR(static_cast<double>(beyond3Sigma) / x.size(), 0.0026998, 0.0003);
}

TEST_F(GeneratorTest, MlsPeriodBalanceAndCorrelation)
{
    for (int length : {15, 127, 1023, 4095})
    {
        S().m_mode = kGenModeMls;
        S().m_mls_length = length;
        m_gen.ApplySettings();
        const auto x = Render(3 * length, 500);
        const std::int32_t high = static_cast<std::int32_t>(32767.0 * kFs * 0.99999 / 32768.0);
        const std::int32_t low = static_cast<std::int32_t>(-32768.0 * kFs * 0.99999 / 32768.0);
        std::vector<int> sign(static_cast<std::size_t>(length));
        int sum = 0;
        for (int i = 0; i < length; ++i)
        {
            ASSERT_TRUE(x[i] == high || x[i] == low) << length;
            EXPECT_EQ(x[i + length], x[i]);
            EXPECT_EQ(x[i + 2 * length], x[i]);
            sign[i] = x[i] == high ? 1 : -1;
            sum += sign[i];
        }
        EXPECT_EQ(std::abs(sum), 1) << length;
        // The circular autocorrelation of a maximum-length sequence: L at lag 0, -1 at every other.
        for (int lag = 0; lag < length; ++lag)
        {
            int r = 0;
            for (int i = 0; i < length; ++i)
                r += sign[i] * sign[(i + lag) % length];
            ASSERT_EQ(r, lag == 0 ? length : -1) << length << " lag " << lag;
        }
    }
}

TEST_F(GeneratorTest, LinearSweepFollowsItsPhaseLaw)
{
    S().m_sample_rate = 48000;
    S().m_mode = kGenModeSweep;
    S().m_sweep_start = 100.0;
    S().m_sweep_stop = 5000.0;
    S().m_sweep_time = 0.5;
    S().m_level = 0.5;
    m_gen.ApplySettings();
    const int n = 24000;
    const auto x = RenderDouble(60000, 1111);
    const double a = 0.5 * kFs;
    const double w0 = 2.0 * kPi * 100.0 / 48000;
    const double d = 2.0 * kPi * 4900.0 / 48000 / n;
    double worst = 0.0;
    for (int i = 0; i < 60000; ++i)
    {
        const double m = i % n;  // restarts after n samples
        const double phase = kPi / 2 + (m + 1) * w0 + d * m * (m + 1) / 2;
        worst = std::max(worst, std::fabs(x[i] - a * std::cos(phase)));
    }
    EXPECT_LT(worst / a, 1e-7);
}

TEST_F(GeneratorTest, LogSweepInstantaneousFrequencyAndRestart)
{
    constexpr int kRate = 44100;
    S().m_sample_rate = kRate;
    S().m_mode = kGenModeSweep;
    S().m_sweep_log = 1;
    S().m_sweep_start = 20.0;
    S().m_sweep_stop = 20000.0;
    S().m_sweep_time = 10.0;
    m_gen.ApplySettings();
    EXPECT_EQ(m_gen.m_segmentCount, 4096);
    EXPECT_EQ(m_gen.m_segmentLength, 107);
    EXPECT_EQ(m_gen.m_sweepLength, 441000);
    const auto x = RenderDouble(441000 + 20000);
    // Frequency from consecutive rising zero crossings against f(t) = f1 (f2 / f1)^(t / N).
    double last = -1.0;
    int checked = 0;
    for (int i = 1; i < 441000; ++i)
    {
        if (x[i - 1] < 0.0 && x[i] >= 0.0)
        {
            const double t = i - 1 + x[i - 1] / (x[i - 1] - x[i]);
            if (last >= 0.0)
            {
                const double mid = 0.5 * (t + last);
                const double expected = 20.0 * std::pow(1000.0, mid / 441000.0);
                if (expected < 2000.0)
                {
                    EXPECT_NEAR(kRate / (t - last), expected, 0.003 * expected) << "at sample " << mid;
                    ++checked;
                }
            }
            last = t;
        }
    }
    EXPECT_GT(checked, 1000);
    // After N samples the sweep starts again at 20 Hz.
    for (int i = 0; i < 20000; ++i)
        ASSERT_NEAR(x[441000 + i], x[i], 1e-6 * kFs) << i;
}

TEST_F(GeneratorTest, ChirpPlaysTheSelectedTable)
{
    struct Case
    {
        int type;
        int length;
    };
    for (const Case& c : {Case{0, 1024}, Case{1, 1024}, Case{0, 4096}, Case{1, 8192}})
    {
        S().m_sample_rate = 48000;
        S().m_mode = kGenModeSweep;
        S().m_chirp_on = 1;
        S().m_chirp_type = c.type;
        S().m_chirp_length = c.length;
        S().m_sweep_start = 200.0;
        S().m_sweep_stop = 16000.0;
        S().m_level = 0.5;
        m_gen.ApplySettings();
        const auto x = Render(3 * c.length + 17, 999);
        // Independent tables built with the same band.
        CLogSweep log(c.length, 200.0 / 48000, 16000.0 / 48000);
        CLinearChirp lin(c.length, 200.0 / 48000, 16000.0 / 48000);
        const std::vector<float>& table = c.type == 1 ? lin.m_samples : log.m_samples;
        for (std::size_t i = 0; i < x.size(); ++i)
            ASSERT_EQ(x[i], static_cast<std::int32_t>(table[i % c.length] * 0.5 * kFs)) << c.type << " " << i;
        m_gen.m_chirpIndex = 0;
    }
}

TEST_F(GeneratorTest, BurstTimingToTheSample)
{
    struct Case
    {
        const char* name;
        double on;
        int onUnit;
        double off;
        int offUnit;
        int gate;
        double onLevel;
        double offLevel;
        int onLength;
        int offLength;
    };
    const Case cases[] = {
        {"10 ms on, 20 ms off", 10.0, 1, 20.0, 1, 1, 1.0, 0.0, 480, 960},
        {"samples and ms, levels", 100.0, 0, 2.0, 1, 1, 0.5, 0.25, 100, 96},
        {"constant levels", 0.005, 2, 0.0025, 2, 0, 0.5, 0.25, 240, 120},
    };
    const double a = kFs;
    const double w = 2.0 * kPi * 1000.0 / 48000;
    for (const Case& c : cases)
    {
        S().m_sample_rate = 48000;
        S().m_frequency = 1000.0;
        S().m_burst_on = 1;
        S().m_burst_restart = 1;
        S().m_burst_on_time = c.on;
        S().m_burst_on_unit = c.onUnit;
        S().m_burst_off_time = c.off;
        S().m_burst_off_unit = c.offUnit;
        S().m_burst_gate = c.gate;
        S().m_burst_on_level = c.onLevel;
        S().m_burst_off_level = c.offLevel;
        m_gen.ApplySettings();
        const int period = c.onLength + c.offLength;
        const int total = c.onLength + 3 * period;
        const auto x = RenderDouble(total, 333);
        for (int i = 0; i < total; ++i)
        {
            // The first phase lasts the on length at the off level; then on and off alternate.
            bool on = false;
            int inPhase = i;
            if (i >= c.onLength)
            {
                const int j = (i - c.onLength) % period;
                on = j < c.onLength;
                inPhase = on ? j : j - c.onLength;
            }
            const double level = on ? c.onLevel : c.offLevel;
            double expected = 0.0;
            if (c.gate == 0)
                expected = std::trunc(a * level);
            else if (on)
                expected = a * level * std::cos(kPi / 2 + (inPhase + 1) * w);  // restarted at phase 0
            else if (level != 0.0)
                continue;  // the off phase's waveform runs on; only its silence is checked
            ASSERT_NEAR(x[i], expected, 2.0) << c.name << " sample " << i;
        }
    }
}

TEST_F(GeneratorTest, BurstLengthsFollowTimesNotUnits)
{
    S().m_sample_rate = 48000;
    S().m_burst_on = 1;
    S().m_burst_on_time = 10.0;
    S().m_burst_on_unit = 1;
    S().m_burst_off_time = 20.0;
    S().m_burst_off_unit = 1;
    m_gen.ApplySettings();
    EXPECT_EQ(m_gen.m_burstOnLength, 480);
    EXPECT_EQ(m_gen.m_burstOffLength, 960);
    // Only a unit changes: the lengths stay until a time changes.
    S().m_burst_on_unit = 0;
    m_gen.ApplySettings();
    EXPECT_EQ(m_gen.m_burstOnLength, 480);
    S().m_burst_on_time = 11.0;
    m_gen.ApplySettings();
    EXPECT_EQ(m_gen.m_burstOnLength, 11);
    EXPECT_EQ(m_gen.m_burstOffLength, 960);
}

TEST_F(GeneratorTest, UnpreparedChirpAndRebuildingMlsLeaveTheBlockAlone)
{
    S().m_mode = kGenModeSweep;
    S().m_chirp_on = 1;
    S().m_chirp_length = 2048;
    std::vector<std::int32_t> x(100, 7);
    m_gen.Synthesize(x.data(), 100);
    EXPECT_EQ(x, std::vector<std::int32_t>(100, 0));
    m_gen.ApplySettings();
    m_gen.Synthesize(x.data(), 100);
    EXPECT_NE(x, std::vector<std::int32_t>(100, 0));
    // While a table is replaced the generator is not ready and leaves the target untouched.
    std::atomic<bool> done{false};
    m_gen.m_rebuildWait = std::chrono::milliseconds(300);
    S().m_mode = kGenModeMls;
    S().m_mls_length = 255;
    std::thread ui(
        [&]
        {
            m_gen.ApplySettings();
            done = true;
        });
    while (m_gen.IsReady() && !done)
        std::this_thread::yield();
    if (!done)
    {
        std::vector<std::int32_t> y(100, 7);
        m_gen.Synthesize(y.data(), 100);
        EXPECT_EQ(y, std::vector<std::int32_t>(100, 7));
    }
    ui.join();
    EXPECT_TRUE(m_gen.IsReady());
    EXPECT_EQ(m_gen.m_mls->m_length, 255);
}

TEST_F(GeneratorTest, AmplitudeModulationDepth)
{
    constexpr int kRate = 48000;
    constexpr int kSize = 48000;  // 1 Hz bins
    for (double depth : {1.0, 0.5, 0.2})
    {
        S().m_sample_rate = kRate;
        S().m_frequency = 100.0;  // the modulating waveform
        S().m_am_on = 1;
        S().m_am_frequency = 2000.0;
        S().m_am_depth = depth;
        S().m_level = 0.8;
        m_gen.ApplySettings();
        const auto amp = Amplitudes(RenderDouble(kSize, 1000));
        const double g = 0.8 * kFs;
        EXPECT_NEAR(amp[2000] / g, 0.5, 1e-6) << depth;
        EXPECT_NEAR(amp[1900] / g, 0.25 * depth, 1e-6) << depth;
        EXPECT_NEAR(amp[2100] / g, 0.25 * depth, 1e-6) << depth;
        EXPECT_LT(amp[1800] / g, 1e-6) << depth;
    }
}

TEST_F(GeneratorTest, FrequencyModulationDeviation)
{
    // Modulator 250 Hz, deviation 500 Hz for a full-scale modulator, carrier 500 Hz x DC offset 8:
    // index 2, so the lines at 4000 + n 250 Hz have the amplitudes |J_n(2)|.
    constexpr int kRate = 48000;
    S().m_sample_rate = kRate;
    S().m_frequency = 250.0;
    S().m_fm_on = 1;
    S().m_fm_deviation = 500.0;
    S().m_dc_offset = 8.0;
    S().m_level = 0.5;
    m_gen.ApplySettings();
    const auto amp = Amplitudes(RenderDouble(kRate, 1000));
    const double g = 0.5 * kFs;
    // The phase sums the modulator sample by sample: a sum of cosines of step w has the amplitude
    // 1 / (2 sin(w / 2)), which makes the index 2.0000892 rather than 2.
    const double beta = (2.0 * kPi * 500.0 / kRate) / (2.0 * std::sin(kPi * 250.0 / kRate));
    for (int n = 0; n <= 4; ++n)
    {
        const double expected = std::fabs(std::cyl_bessel_j(static_cast<double>(n), beta));
        EXPECT_NEAR(amp[4000 + 250 * n] / g, expected, 2e-5) << n;
        EXPECT_NEAR(amp[4000 - 250 * n] / g, expected, 2e-5) << n;
    }
}

TEST_F(GeneratorTest, DcOffsetAddsToTheWaveform)
{
    S().m_dc_offset = 0.25;
    S().m_level = 0.5;
    m_gen.ApplySettings();
    const auto x = RenderDouble(480);
    const double w = 2.0 * kPi * 1000.0 / 44100;
    for (int i = 0; i < 480; ++i)
        ASSERT_NEAR(x[i], std::trunc(0.5 * kFs * std::cos(kPi / 2 + (i + 1) * w)) + 0.25 * kFs, 2.0) << i;
}

TEST_F(GeneratorTest, FadeOutLowers50DbThenSilences)
{
    S().m_sample_rate = 48000;
    S().m_mode = kGenModeGaussNoise;  // any waveform: compare against the same render unfaded
    m_gen.ApplySettings();
    CGaussRandom::SetState(777);
    const auto plain = RenderDouble(30000, 1000);
    m_gen.ApplySettings();
    CGaussRandom::SetState(777);
    m_gen.StartFade(-0.5);
    const auto faded = RenderDouble(30000, 1000);
    const double q = std::pow(10.0, -50.0 / 24000 / 20.0);
    for (int i = 0; i < 24000; ++i)
        ASSERT_NEAR(faded[i], plain[i] * std::pow(q, i), 2.0) << i;
    for (int i = 24000; i < 30000; ++i)
        ASSERT_EQ(faded[i], 0.0) << i;
    EXPECT_EQ(S().m_output_on, 0);
}

TEST_F(GeneratorTest, FadeInRisesFromSilence)
{
    S().m_sample_rate = 48000;
    S().m_output_on = 0;
    S().m_mode = kGenModeRectangular;
    m_gen.ApplySettings();
    m_gen.StartFade(0.1);
    EXPECT_EQ(S().m_output_on, 1);
    const auto x = RenderDouble(6000, 1000);
    const double q = std::pow(10.0, -50.0 / 4800 / 20.0);
    const double a = std::trunc(kFs * 0.99999);
    for (int i = 0; i < 4800; ++i)
        ASSERT_NEAR(std::fabs(x[i]), a * (1.0 - std::pow(q, i)), 2.0) << i;
    for (int i = 4800; i < 6000; ++i)
        ASSERT_EQ(std::fabs(x[i]), a) << i;
}

TEST_F(GeneratorTest, LevelRampEndsAtTheTarget)
{
    S().m_sample_rate = 48000;
    S().m_mode = kGenModeRectangular;
    S().m_pulse_width = 1.0;  // a constant: every sample shows the gain
    m_gen.ApplySettings();
    m_gen.RampLevel(0.25, 0.01);
    const auto x = RenderDouble(1000, 1000);
    const double a = kFs * 0.99999;
    const double q = std::pow(0.25, 1.0 / 480);
    for (int i = 0; i < 480; ++i)
        ASSERT_NEAR(std::fabs(x[i]), std::trunc(a) * std::pow(q, i), 2.0) << i;
    EXPECT_EQ(S().m_level, 0.25);
    const auto after = RenderDouble(10);
    EXPECT_NEAR(std::fabs(after[0]), 0.25 * a, 1.0);
}

TEST_F(GeneratorTest, BalanceGains)
{
    struct Case
    {
        double balance;
        int invert;
        double written;
        double g1;
        double g2;
    };
    const Case cases[] = {
        {0.03, 0, 0.0, 1.0, 1.0},  {-0.049, 0, 0.0, 1.0, 1.0}, {0.5, 0, 0.5, 0.5, 1.0},
        {-0.5, 0, -0.5, 1.0, 0.5}, {-0.5, 1, -0.5, 1.0, -0.5}, {0.0, 1, 0.0, 1.0, -1.0},
    };
    for (const Case& c : cases)
    {
        S().m_balance = c.balance;
        S().m_invert = c.invert;
        m_gen.ComputeBalanceGains();
        EXPECT_EQ(S().m_balance, c.written) << c.balance;
        EXPECT_EQ(m_gen.m_balanceGain1, c.g1) << c.balance;
        EXPECT_EQ(m_gen.m_balanceGain2, c.g2) << c.balance;
    }
}

class RecordingNotifications : public CEngineNotifications
{
public:
    void ShowMessage(const std::string& text) override { m_messages.push_back(text); }
    std::vector<std::string> m_messages;
};

TEST_F(GeneratorTest, FilePlaybackOpensTheFileOrFallsBackToTheSine)
{
    RecordingNotifications notifications;
    m_gen.SetNotifications(&notifications);
    const auto folder = std::filesystem::temp_directory_path();
    const std::string missing = (folder / "generator_test_missing.wav").string();
    std::filesystem::remove(missing);
    S().m_mode = kGenModeWaveFile;
    S().SetWavefileName(missing);
    m_gen.ApplySettings();
    ASSERT_EQ(notifications.m_messages.size(), 1u);
    EXPECT_EQ(notifications.m_messages[0], "Failed to open " + missing + " file.");
    EXPECT_EQ(S().m_mode, kGenModeSine);
    EXPECT_FALSE(m_gen.m_reader.IsOpen());

    // A mono 16-bit WAVE file of four samples.
    const std::string present = (folder / "generator_test_present.wav").string();
    std::string wave(
        "RIFF\x2c\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x80\xbb\0\0\0\x77\x01\0\x02\0\x10\0data\x08\0\0\0", 44);
    wave.append("\x00\x40\x00\xc0\x00\x20\x00\xe0", 8);
    ASSERT_TRUE(testsupport::WriteBytes(present, wave));
    S().m_mode = kGenModeWaveFile;
    S().SetWavefileName(present);
    m_gen.ApplySettings();
    EXPECT_EQ(notifications.m_messages.size(), 1u);
    EXPECT_EQ(S().m_mode, kGenModeWaveFile);
    EXPECT_TRUE(m_gen.m_reader.IsOpen());
    S().m_mode = kGenModeSine;
    m_gen.ApplySettings();
    EXPECT_FALSE(m_gen.m_reader.IsOpen());
    std::filesystem::remove(present);
}

TEST(GeneratorTime, TimeToSamples)
{
    struct Case
    {
        double value;
        int unit;
        double samples;
    };
    const Case cases[] = {{123.0, 0, 123.0},   {10.0, 1, 480.0},      {2.0, 2, 96000.0},
                          {1.0, 3, 2880000.0}, {1.0, 4, 172800000.0}, {1.0, 5, 4147200000.0},
                          {2.0, 9, 96000.0}};
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(TimeToSamples(c.value, c.unit, 48000.0), c.samples) << c.unit;
}

// Mends: settings that would divide by zero or never let a block finish are held to their ranges,
// and every block still completes with finite, bounded samples.
TEST_F(GeneratorTest, DegenerateSettingsStillRender)
{
    struct Case
    {
        const char* name;
        std::function<void(CSigGen_settings&)> spoil;
    };
    const Case cases[] = {
        {"zero burst lengths",
         [](auto& s) { s.m_burst_on = 1, s.m_burst_on_time = 0.0, s.m_burst_off_time = 0.0; }},
        {"negative burst",
         [](auto& s) { s.m_burst_on = 1, s.m_burst_on_time = -5.0, s.m_burst_off_time = -1.0; }},
        {"zero frequency triangle", [](auto& s) { s.m_mode = kGenModeTriangular, s.m_frequency = 0.0; }},
        {"full duty triangle", [](auto& s) { s.m_mode = kGenModeTriangular, s.m_pulse_width = 1.0; }},
        {"zero duty triangle", [](auto& s) { s.m_mode = kGenModeTriangular, s.m_pulse_width = 0.0; }},
        {"zero sweep time", [](auto& s) { s.m_mode = kGenModeSweep, s.m_sweep_time = 0.0; }},
        {"zero log sweep band",
         [](auto& s) { s.m_mode = kGenModeSweep, s.m_sweep_log = 1, s.m_sweep_start = 0.0; }},
        {"negative sample rate", [](auto& s) { s.m_sample_rate = -48000; }},
        {"zero chirp", [](auto& s) { s.m_mode = kGenModeSweep, s.m_chirp_on = 1, s.m_chirp_length = 0; }},
        {"MLS 1000", [](auto& s) { s.m_mode = kGenModeMls, s.m_mls_length = 1000; }},
        {"huge level", [](auto& s) { s.m_level = 1.0e9, s.m_calibration_db = 200.0; }},
    };
    for (const Case& c : cases)
    {
        m_gen.Init();
        S().SetLevel(1.0);
        c.spoil(S());
        m_gen.ApplySettings();
        std::vector<std::int32_t> x(5000, 0);
        m_gen.Synthesize(x.data(), static_cast<int>(x.size()));
        SUCCEED() << c.name;
    }
    // A fade or ramp shorter than a sample acts at once instead of dividing by zero.
    m_gen.Init();
    S().SetLevel(1.0);
    m_gen.ApplySettings();
    m_gen.StartFade(-0.0000001);
    EXPECT_EQ(S().m_output_on, 0);
    EXPECT_EQ(m_gen.m_fadeCounter, 0);
    m_gen.StartFade(0.0);
    EXPECT_EQ(S().m_output_on, 1);
    S().m_level = 0.0;
    m_gen.RampLevel(0.5, 1.0);
    EXPECT_EQ(S().m_level, 0.5);
    EXPECT_EQ(m_gen.m_rampCounter, 0);
}

TEST_F(GeneratorTest, BlockPartitionDoesNotChangeTheOutput)
{
    // Every waveform continues across block boundaries: one long block and many short ones agree.
    for (int mode : {kGenModeSine, kGenModeRectangular, kGenModeTriangular, kGenModeMls, kGenModeSweep,
                     kGenModePinkNoise})
    {
        S().m_mode = mode;
        S().m_sweep_time = 0.05;
        SeedPinkNoiseRandom(5);
        m_gen.m_rotCos = 0.0;
        m_gen.m_rotSin = 1.0;
        m_gen.m_mlsIndex = 0;
        m_gen.m_pink.fill(0.0f);
        m_gen.ApplySettings();
        const auto one = RenderDouble(10000, 10000);
        SeedPinkNoiseRandom(5);
        m_gen.m_rotCos = 0.0;
        m_gen.m_rotSin = 1.0;
        m_gen.m_mlsIndex = 0;
        m_gen.m_pink.fill(0.0f);
        m_gen.ApplySettings();
        const auto many = RenderDouble(10000, 37);
        for (int i = 0; i < 10000; ++i)
            ASSERT_NEAR(one[i], many[i], 2.0) << mode << " sample " << i;
    }
}

}  // namespace
