#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <string>
#include <vector>

#include "dsp/DesignedFilter.h"
#include "platform/Archive.h"
#include "tests/dsp/FilterMath.h"
#include "tests/support/FileBytes.h"

namespace
{

using filtertest::Db;
using filtertest::kPi;

constexpr double kRate = 48000.0;

struct Settings
{
    int kind;
    double low;
    double high;
    int order;
    int bandStop = 0;
    double ripple = 0.5;
};

std::string Describe(const Settings& s)
{
    return "kind " + std::to_string(s.kind) + " low " + std::to_string(s.low) + " high " +
           std::to_string(s.high) + " order " + std::to_string(s.order) + " stop " +
           std::to_string(s.bandStop);
}

void Configure(CDesignedFilter& filter, const Settings& s, double rate = kRate)
{
    filter.m_nDesignKind = s.kind;
    filter.m_dLowCorner = s.low;
    filter.m_dHighCorner = s.high;
    filter.m_nOrder = s.order;
    filter.m_bBandStop = s.bandStop;
    filter.m_dRippleDb = s.ripple;
    filter.m_dSampleRate = rate;
    filter.m_dDesignedRate = -1.0;
}

// Runs an empty block so that the filter designs and builds its sections.
void Prepare(CDesignedFilter& filter)
{
    float none = 0.0f;
    filter.Process(&none, 0);
    filter.Reset();
}

// The cascade as built: the product of the sections' transfer functions at e^{jw}, times the gain.
std::complex<double> CascadeResponse(const CDesignedFilter& filter, double f)
{
    std::complex<double> h = filter.GetGain();
    for (int k = 0; k < filter.GetSectionCount(); ++k)
    {
        const CIirFilter& section = filter.GetSection(k);
        h *= filtertest::PolynomialResponse(std::span(section.GetB(), section.GetNumB()),
                                            std::span(section.GetA(), section.GetNumA()), f, kRate);
    }
    return h;
}

// Filters a long sine and compares the settled output with the input: gain in dB and the
// in-phase part of the output (positive when the filter does not invert at f).
struct SineMeasurement
{
    double gainDb;
    double inPhase;
};

SineMeasurement MeasureSine(CDesignedFilter& filter, double f)
{
    const int count = 96000;
    std::vector<float> x(count);
    for (int n = 0; n < count; ++n)
        x[n] = static_cast<float>(std::sin(2 * kPi * f * n / kRate));
    std::vector<float> y = x;
    for (int start = 0; start < count; start += 1000)
        filter.Process(y.data() + start, 1000);
    double in = 0, out = 0, cross = 0;
    for (int n = count / 2; n < count; ++n)
    {
        in += double(x[n]) * x[n];
        out += double(y[n]) * y[n];
        cross += double(x[n]) * y[n];
    }
    return {10 * std::log10(out / in), cross / in};
}

// The roots of z^2 + a1 z + a2 (or z + a1) lie inside the unit circle.
bool SectionIsStable(const CIirFilter& section)
{
    const double* a = section.GetA();
    if (section.GetNumA() == 2)
        return std::fabs(a[1]) < 1.0;
    const std::complex<double> root = std::sqrt(std::complex<double>(a[1] * a[1] - 4 * a[2]));
    return std::abs((-a[1] + root) / 2.0) < 1.0 && std::abs((-a[1] - root) / 2.0) < 1.0;
}

std::vector<Settings> AllDesigns()
{
    std::vector<Settings> all;
    for (int kind : {kDesignButterworth, kDesignChebyshev, kDesignElliptic})
    {
        for (int order = 1; order <= 12; ++order)
        {
            all.push_back({kind, 0, 1000, order});
            all.push_back({kind, 0, 40, order});
            all.push_back({kind, 100, 1e9, order});
            all.push_back({kind, 8000, 30000, order});
            all.push_back({kind, 300, 3000, order});
            all.push_back({kind, 900, 1100, order});
            all.push_back({kind, 300, 3000, order, 1});
            all.push_back({kind, 50, 15000, order, 1});
        }
    }
    return all;
}

// ---- Reference designs -----------------------------------------------------------------------------

TEST(DesignedFilterTest, DefaultsDesignASecondOrderButterworthLowPass)
{
    CDesignedFilter filter;
    filter.m_dSampleRate = kRate;
    Prepare(filter);
    EXPECT_EQ(filter.GetDesignResult(), kDesignOk);
    EXPECT_EQ(filter.GetBandType(), kBandLowPass);
    ASSERT_EQ(filter.GetSectionCount(), 1);
    const CIirFilter& section = filter.GetSection(0);
    ASSERT_EQ(section.GetNumB(), 3);
    EXPECT_DOUBLE_EQ(section.GetB()[0], 1.0);
    EXPECT_NEAR(section.GetB()[1], 2.0, 1e-12);
    EXPECT_NEAR(section.GetB()[2], 1.0, 1e-12);
    EXPECT_NEAR(section.GetA()[1], -1.632993162, 1e-9);
    EXPECT_NEAR(section.GetA()[2], 0.690598923, 1e-9);
    EXPECT_NEAR(filter.GetGain(), 0.014401440346511196, 1e-15);
}

// The numerators are prod(1 - zero z^-1): a zero at +1 gives {1, -1}, and a high-pass keeps the sign
// of what it passes.
TEST(DesignedFilterTest, OddHighPassKeepsThePolarity)
{
    CDesignedFilter filter;
    Configure(filter, {kDesignButterworth, 100, 1e9, 3});
    Prepare(filter);
    EXPECT_EQ(filter.GetBandType(), kBandHighPass);
    ASSERT_EQ(filter.GetSectionCount(), 2);
    const CIirFilter& first = filter.GetSection(0);
    ASSERT_EQ(first.GetNumB(), 2);
    EXPECT_DOUBLE_EQ(first.GetB()[0], 1.0);
    EXPECT_DOUBLE_EQ(first.GetB()[1], -1.0);
    EXPECT_NEAR(first.GetA()[1], -0.986994963, 1e-9);
    const CIirFilter& second = filter.GetSection(1);
    EXPECT_DOUBLE_EQ(second.GetB()[0], 1.0);
    EXPECT_DOUBLE_EQ(second.GetB()[1], -2.0);
    EXPECT_DOUBLE_EQ(second.GetB()[2], 1.0);
    EXPECT_NEAR(second.GetA()[1], -1.986825285, 1e-9);
    EXPECT_NEAR(second.GetA()[2], 0.986995516, 1e-9);
    EXPECT_NEAR(filter.GetGain(), 0.98699523941, 1e-10);

    std::vector<float> impulse(8, 0.0f);
    impulse[0] = 1.0f;
    filter.Process(impulse.data(), 8);
    EXPECT_NEAR(impulse[0], 0.98699523941, 1e-6);
}

TEST(DesignedFilterTest, HighPassStepResponseStartsPositive)
{
    for (int kind : {kDesignButterworth, kDesignChebyshev, kDesignElliptic})
    {
        for (int order = 1; order <= 9; ++order)
        {
            const Settings s{kind, 200, 1e9, order};
            CDesignedFilter filter;
            Configure(filter, s);
            std::vector<float> step(48000, 1.0f);
            filter.Process(step.data(), 48000);
            ASSERT_EQ(filter.GetDesignResult(), kDesignOk) << Describe(s);
            // The first output is the gain times the leading coefficients: the step's edge passes
            // with its sign. Odd orders are where a section with a zero at +1 used to invert it.
            EXPECT_GT(step[0], 0.5f) << Describe(s);
            // A high-pass lets no DC through once the edge has passed (an even-order elliptic one
            // holds its stop-band level, -60 dB, at 0 Hz).
            EXPECT_NEAR(step.back(), 0.0f, 1.1e-3) << Describe(s);
        }
    }
}

TEST(DesignedFilterTest, BandPassPassesItsCentreInPhase)
{
    for (int kind : {kDesignButterworth, kDesignChebyshev, kDesignElliptic})
    {
        for (int order = 1; order <= 6; ++order)
        {
            const Settings s{kind, 500, 2000, order, 0, 1.0};
            CDesignedFilter filter;
            Configure(filter, s);
            Prepare(filter);
            ASSERT_EQ(filter.GetDesignResult(), kDesignOk) << Describe(s);
            const double w1 = 2 * kPi * 500 / kRate, w2 = 2 * kPi * 2000 / kRate;
            const double centre =
                std::acos(std::cos((w1 + w2) / 2) / std::cos((w2 - w1) / 2)) * kRate / (2 * kPi);
            const double expectedDb = (kind != kDesignButterworth && order % 2 == 0) ? -1.0 : 0.0;
            const std::complex<double> h = CascadeResponse(filter, centre);
            EXPECT_NEAR(Db(std::abs(h)), expectedDb, 1e-9) << Describe(s);
            // Zero phase at the centre: real and positive, not -1.
            EXPECT_NEAR(h.real(), std::abs(h), 1e-9) << Describe(s);
            if (order <= 2)
            {
                const SineMeasurement m = MeasureSine(filter, centre);
                EXPECT_NEAR(m.gainDb, expectedDb, 0.02) << Describe(s);
                EXPECT_GT(m.inPhase, 0.85) << Describe(s);
            }
        }
    }
}

// ---- Every design: the sections reproduce the design and are stable -------------------------------

TEST(DesignedFilterTest, SectionsReproduceTheDesignAndAreStable)
{
    for (const Settings& s : AllDesigns())
    {
        CDesignedFilter filter;
        Configure(filter, s);
        Prepare(filter);
        ASSERT_EQ(filter.GetDesignResult(), kDesignOk) << Describe(s);
        ASSERT_GT(filter.GetSectionCount(), 0) << Describe(s);
        ASSERT_LE(filter.GetSectionCount(), CDesignedFilter::kMaxSections);
        int order = 0;
        for (int k = 0; k < filter.GetSectionCount(); ++k)
        {
            ASSERT_TRUE(SectionIsStable(filter.GetSection(k))) << Describe(s) << " section " << k;
            order += filter.GetSection(k).GetNumA() - 1;
        }
        EXPECT_EQ(order, filter.GetDigitalOrder()) << Describe(s);
        for (double f = 15.0; f < kRate / 2; f *= 1.15)
        {
            const double expected = Db(filter.GetResponse(f));
            const double actual = Db(std::abs(CascadeResponse(filter, f)));
            if (expected > -150.0)
            {
                ASSERT_NEAR(actual, expected, 1e-6 + 1e-6 * std::fabs(expected)) << Describe(s) << " f " << f;
            }
        }
    }
}

TEST(DesignedFilterTest, FilteredSinesMatchTheResponse)
{
    const struct
    {
        Settings settings;
        double f;
        double expectedDb;
        double tolerance;
    } cases[] = {
        {{kDesignButterworth, 0, 1000, 4}, 1000, -3.0103, 0.02},
        {{kDesignButterworth, 0, 1000, 4},
         4000,
         -80 * std::log10(std::tan(kPi * 4000 / kRate) / std::tan(kPi * 1000 / kRate)),
         0.05},
        {{kDesignButterworth, 200, 1e9, 2}, 200, -3.0103, 0.02},
        {{kDesignChebyshev, 0, 2000, 3, 0, 1.0}, 2000, -1.0, 0.02},
        {{kDesignElliptic, 0, 1000, 4}, 300, 0.0, 0.5},  // within the 0.5 dB passband ripple
    };
    for (const auto& c : cases)
    {
        CDesignedFilter filter;
        Configure(filter, c.settings);
        const SineMeasurement m = MeasureSine(filter, c.f);
        EXPECT_NEAR(m.gainDb, c.expectedDb, c.tolerance) << Describe(c.settings) << " f " << c.f;
        EXPECT_NEAR(m.gainDb, Db(filter.GetResponse(c.f)), 0.02) << Describe(c.settings) << " f " << c.f;
    }
}

// ---- Elliptic designs and refusals -----------------------------------------------------------------

TEST(DesignedFilterTest, EllipticFiltersAreDesignedForSixtyDecibels)
{
    for (const Settings& s :
         {Settings{kDesignElliptic, 0, 1000, 4}, Settings{kDesignElliptic, 0, 5000, 7},
          Settings{kDesignElliptic, 2000, 1e9, 5}, Settings{kDesignElliptic, 500, 2000, 3},
          Settings{kDesignElliptic, 500, 2000, 4, 1}})
    {
        CDesignedFilter filter;
        Configure(filter, s);
        Prepare(filter);
        ASSERT_EQ(filter.GetDesignResult(), kDesignOk) << Describe(s);
        EXPECT_FALSE(filter.IsDesignRefused());
        double deepest = 0.0;
        for (double f = 10.0; f < kRate / 2; f *= 1.01)
            deepest = std::min(deepest, Db(filter.GetResponse(f)));
        EXPECT_LT(deepest, -60.0) << Describe(s);
    }
    // The low-pass really attenuates a tone in its stop band.
    CDesignedFilter lowPass;
    Configure(lowPass, {kDesignElliptic, 0, 1000, 4});
    EXPECT_LT(MeasureSine(lowPass, 8000).gainDb, -59.9);
}

TEST(DesignedFilterTest, RefusedDesignIsReportedAndPassesTheBlock)
{
    const struct
    {
        Settings settings;
        double stopSpec;
        int result;
    } cases[] = {
        {{kDesignElliptic, 0, 1000, 4}, 0.5, kDesignStopBandWrongSide},      // a stop-band edge of 0.5 Hz
        {{kDesignButterworth, 1000, 100, 2}, -60, kDesignInvalidArguments},  // corners the wrong way round
        {{kDesignButterworth, 0, 1000, 30}, -60, kDesignOrderTooHigh},
        {{kDesignButterworth, 100, 1000, 13}, -60, kDesignOrderTooHigh},
        {{kDesignChebyshev, 0, 1000, 3, 0, -1.0}, -60, kDesignInvalidArguments},
        {{7, 0, 1000, 3}, -60, kDesignInvalidArguments},
    };
    for (const auto& c : cases)
    {
        CDesignedFilter filter;
        // A working design first: a refusal must not leave it running for the new settings.
        Configure(filter, {kDesignButterworth, 0, 500, 2});
        Prepare(filter);
        ASSERT_EQ(filter.GetSectionCount(), 1);

        Configure(filter, c.settings);
        filter.m_dStopSpec = c.stopSpec;
        std::vector<float> x(64);
        for (int n = 0; n < 64; ++n)
            x[n] = static_cast<float>(std::sin(0.3 * n));
        const std::vector<float> original = x;
        filter.Process(x.data(), 64);
        EXPECT_EQ(filter.GetDesignResult(), c.result) << Describe(c.settings);
        EXPECT_TRUE(filter.IsDesignRefused());
        EXPECT_EQ(filter.GetSectionCount(), 0);
        EXPECT_EQ(filter.GetGain(), 1.0);
        EXPECT_EQ(x, original) << Describe(c.settings);
    }
}

TEST(DesignedFilterTest, ClassifyBandChoosesTypeAndEdges)
{
    const struct
    {
        double low, high, fs;
        int bandStop;
        int type;
        double edge1, edge2;
    } cases[] = {
        {0, 2000, 48000, 0, kBandLowPass, 2000, 2000},
        {-5, 2000, 48000, 1, kBandLowPass, 2000, 2000},
        {100, 1e9, 48000, 0, kBandHighPass, 100, 100},
        {100, 24000, 48000, 0, kBandHighPass, 100, 100},  // at half the rate
        {100, -1, 48000, 0, kBandHighPass, 100, 100},
        {100, 1000, 48000, 0, kBandBandPass, 100, 1000},
        {100, 1000, 48000, 1, kBandBandStop, 100, 1000},
        {1000, 100, 48000, 0, -1, 1000, 100},
        {1000, 1000, 48000, 0, -1, 1000, 1000},
    };
    for (const auto& c : cases)
    {
        int type = 0;
        double edge1 = 0, edge2 = 0;
        ClassifyBand(c.low, c.high, c.fs, c.bandStop, type, edge1, edge2);
        EXPECT_EQ(type, c.type) << c.low << " " << c.high;
        EXPECT_EQ(edge1, c.edge1) << c.low << " " << c.high;
        EXPECT_EQ(edge2, c.edge2) << c.low << " " << c.high;
    }
}

// ---- Lifecycle -------------------------------------------------------------------------------------

TEST(DesignedFilterTest, RedesignsForANewRateOrNewSettings)
{
    CDesignedFilter filter;
    filter.m_dSampleRate = kRate;
    Prepare(filter);
    EXPECT_NEAR(Db(filter.GetResponse(2000)), -3.0103, 1e-6);

    filter.m_dSampleRate = 96000;
    Prepare(filter);
    EXPECT_NEAR(Db(filter.GetResponse(2000)), -3.0103, 1e-6);
    EXPECT_EQ(filter.m_dDesignedRate, 96000);

    CDesignedFilterSettings settings;
    settings.m_dHighCorner = 500;
    filter.SetSettings(settings);
    Prepare(filter);
    EXPECT_NEAR(Db(filter.GetResponse(500)), -3.0103, 1e-6);
}

TEST(DesignedFilterTest, TwiceSquaresTheResponseAndRunsTheCascadeAgain)
{
    const Settings s{kDesignChebyshev, 300, 3000, 3, 0, 1.0};
    CDesignedFilter once;
    CDesignedFilter twice;
    CDesignedFilter secondPass;
    Configure(once, s);
    Configure(twice, s);
    Configure(secondPass, s);
    twice.m_bTwice = 1;
    Prepare(once);
    Prepare(twice);
    for (double f : {100.0, 300.0, 1000.0, 5000.0})
        EXPECT_NEAR(twice.GetResponse(f), once.GetResponse(f) * once.GetResponse(f), 1e-15) << f;

    std::vector<float> x(2000);
    for (int n = 0; n < 2000; ++n)
        x[n] = static_cast<float>(std::sin(0.05 * n) + 0.3 * std::sin(0.7 * n));
    std::vector<float> y = x;
    twice.Process(y.data(), 2000);
    once.Process(x.data(), 2000);
    secondPass.Process(x.data(), 2000);
    for (int n = 0; n < 2000; ++n)
        ASSERT_NEAR(y[n], x[n], 1e-5) << n;
}

TEST(DesignedFilterTest, ResponseAtOrAboveHalfTheRateIsTheFloor)
{
    CDesignedFilter filter;
    filter.m_dSampleRate = kRate;
    Prepare(filter);
    EXPECT_EQ(filter.GetResponse(24000), 1e-30);
    EXPECT_EQ(filter.GetResponse(30000), 1e-30);
    EXPECT_GT(filter.GetResponse(23999), 1e-30);
}

TEST(DesignedFilterTest, ResetClearsEverySection)
{
    CDesignedFilter used;
    CDesignedFilter fresh;
    Configure(used, {kDesignButterworth, 300, 3000, 3});
    Configure(fresh, {kDesignButterworth, 300, 3000, 3});
    used.m_bTwice = fresh.m_bTwice = 1;
    std::vector<float> noise(500);
    for (int n = 0; n < 500; ++n)
        noise[n] = static_cast<float>(std::sin(1.3 * n * n));
    used.Process(noise.data(), 500);
    used.Reset();
    std::vector<float> a(100, 0.0f), b(100, 0.0f);
    a[0] = b[0] = 1.0f;
    used.Process(a.data(), 100);
    fresh.Process(b.data(), 100);
    EXPECT_EQ(a, b);
}

// ---- Archive ----------------------------------------------------------------------------------------

std::string AsString(const std::vector<std::uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::uint8_t> FromHex(const std::string& hex)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 3)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

// int32 56, then the record: enabled, pad, high, low, order, band-stop, kind, pad, ripple, twice, pad.
const std::string kDefaultRecord =
    "38 00 00 00 "
    "01 00 00 00 00 00 00 00 "
    "00 00 00 00 00 40 9f 40 "
    "00 00 00 00 00 00 00 00 "
    "02 00 00 00 00 00 00 00 "
    "01 00 00 00 00 00 00 00 "
    "00 00 00 00 00 00 e0 3f "
    "00 00 00 00 00 00 00 00";
const std::string kEllipticBandStopRecord =
    "38 00 00 00 "
    "00 00 00 00 00 00 00 00 "
    "00 00 00 00 00 40 8f 40 "
    "00 00 00 00 00 00 59 40 "
    "03 00 00 00 01 00 00 00 "
    "03 00 00 00 00 00 00 00 "
    "00 00 00 00 00 00 f0 3f "
    "01 00 00 00 00 00 00 00";

TEST(DesignedFilterTest, StoresTheFiftySixByteRecord)
{
    // The record's defaults, as a new filter in the designer starts.
    const auto defaults = CDesignedFilterSettings{}.ToBytes();
    EXPECT_EQ(testsupport::Hex(std::string(defaults.begin(), defaults.end())), kDefaultRecord.substr(12));

    // A filter object starts switched off (an engine's 640 filters must not run until a workspace or
    // the user turns them on); otherwise it stores the record's defaults.
    CDesignedFilter fresh;
    CArchive store;
    fresh.Serialize(store);
    std::string expected = kDefaultRecord;
    expected.replace(12, 2, "00");
    EXPECT_EQ(testsupport::Hex(AsString(store.Buffer())), expected);

    CDesignedFilter filter;
    filter.m_full.m_bEnabled = 0;
    filter.m_dHighCorner = 1000.0;
    filter.m_dLowCorner = 100.0;
    filter.m_nOrder = 3;
    filter.m_bBandStop = 1;
    filter.m_nDesignKind = kDesignElliptic;
    filter.m_dRippleDb = 1.0;
    filter.m_bTwice = 1;
    filter.m_dSampleRate = kRate;
    filter.m_dDesignedRate = kRate;
    CArchive second;
    filter.Serialize(second);
    EXPECT_EQ(testsupport::Hex(AsString(second.Buffer())), kEllipticBandStopRecord);
    // Storing hands the settings out, which forces a redesign.
    EXPECT_EQ(filter.m_dDesignedRate, -1.0);
}

TEST(DesignedFilterTest, LoadsTheRecordAndIgnoresItsPadding)
{
    std::vector<std::uint8_t> bytes = FromHex(kEllipticBandStopRecord);
    // Padding written by another program may hold anything.
    for (int offset : {4, 36, 52})
        for (int i = 0; i < 4; ++i)
            bytes[4 + offset + i] = 0xa5;
    CArchive load(bytes);
    CDesignedFilter filter;
    filter.Serialize(load);
    EXPECT_EQ(filter.m_full.m_bEnabled, 0);
    EXPECT_EQ(filter.m_dHighCorner, 1000.0);
    EXPECT_EQ(filter.m_dLowCorner, 100.0);
    EXPECT_EQ(filter.m_nOrder, 3);
    EXPECT_EQ(filter.m_bBandStop, 1);
    EXPECT_EQ(filter.m_nDesignKind, kDesignElliptic);
    EXPECT_EQ(filter.m_dRippleDb, 1.0);
    EXPECT_EQ(filter.m_bTwice, 1);

    // And the loaded filter designs what the record says.
    filter.m_dSampleRate = kRate;
    Prepare(filter);
    EXPECT_EQ(filter.GetBandType(), kBandBandStop);
    EXPECT_EQ(filter.GetDesignResult(), kDesignOk);
}

TEST(DesignedFilterTest, RecordOfAnotherSizeIsSkipped)
{
    // A count of 40 followed by an int the caller reads next: nothing past the count is taken.
    CArchive store;
    store << std::int32_t{40} << std::int32_t{1234};
    CArchive load(store.Buffer());
    CDesignedFilter filter;
    filter.m_dHighCorner = 777.0;
    filter.Serialize(load);
    EXPECT_EQ(filter.m_dHighCorner, 777.0);
    std::int32_t next = 0;
    load >> next;
    EXPECT_EQ(next, 1234);
}

TEST(DesignedFilterTest, TruncatedRecordThrowsAndKeepsTheSettings)
{
    std::vector<std::uint8_t> bytes = FromHex(kEllipticBandStopRecord);
    bytes.resize(40);
    CArchive load(bytes);
    CDesignedFilter filter;
    EXPECT_THROW(filter.Serialize(load), platform::ArchiveError);
    EXPECT_EQ(filter.m_dHighCorner, 2000.0);
    EXPECT_EQ(filter.m_nOrder, 2);
}

TEST(DesignedFilterTest, UntrustedOrderFromARecordIsRefusedSafely)
{
    CDesignedFilterSettings settings;
    settings.m_nOrder = 0x7fffffff;
    settings.m_dHighCorner = 1000.0;
    std::vector<std::uint8_t> bytes = {0x38, 0, 0, 0};
    const auto record = settings.ToBytes();
    bytes.insert(bytes.end(), record.begin(), record.end());
    CArchive load(bytes);
    CDesignedFilter filter;
    filter.Serialize(load);
    filter.m_dSampleRate = kRate;
    std::vector<float> x(32, 0.25f);
    filter.Process(x.data(), 32);
    EXPECT_EQ(filter.GetDesignResult(), kDesignOrderTooHigh);
    EXPECT_EQ(x, std::vector<float>(32, 0.25f));
}

}  // namespace
