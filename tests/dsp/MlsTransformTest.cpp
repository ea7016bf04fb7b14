#include "dsp/MlsTransform.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>
#include <vector>

namespace
{

int LengthOf(int order)
{
    return (1 << order) - 1;
}

// Orders 2 and 3 have no generator sequence; their periods were worked out by hand from the shift
// register (taps 2,1 and 3,1, register starting at 1 0 ...).
const std::vector<float> kOrder2Sequence = {-1, -1, 1};
const std::vector<float> kOrder3Sequence = {-1, -1, -1, 1, -1, 1, 1};

std::vector<float> SequenceOf(int order)
{
    if (order == 2)
    {
        return kOrder2Sequence;
    }
    if (order == 3)
    {
        return kOrder3Sequence;
    }
    const CMlsSequence sequence(LengthOf(order), 0, 1);
    return std::vector<float>(sequence.m_data.begin(), sequence.m_data.end());
}

// The correlation formula evaluated term by term in double precision.
std::vector<double> DirectCorrelation(const std::vector<float>& period, const std::vector<float>& s,
                                      long long offset)
{
    const long long length = static_cast<long long>(s.size());
    const long long start = ((offset % length) + length) % length;
    std::vector<double> result(s.size());
    for (long long k = 0; k < length; ++k)
    {
        double sum = 0.0;
        for (long long n = 0; n < length; ++n)
        {
            sum +=
                static_cast<double>(period[(n + start) % length]) * s[((n - k) % length + length) % length];
        }
        result[k] = sum / static_cast<double>(length);
    }
    return result;
}

TEST(MlsSequenceTest, Order4IsTheTabledPeriod)
{
    const CMlsSequence sequence(15, 0, 1);
    const std::vector<std::int16_t> expected = {-1, -1, -1, -1, 1, -1, 1, -1, -1, 1, 1, -1, 1, 1, 1};
    EXPECT_EQ(sequence.m_data, expected);
    EXPECT_EQ(sequence.m_length, 15);
    EXPECT_TRUE(sequence.IsValid());
}

TEST(MlsSequenceTest, SampleFormsScaleTheSigns)
{
    struct Case
    {
        int sampleBits;
        std::int16_t minus;
        std::int16_t plus;
        int byteLength;
    };
    const Case cases[] = {{8, -128, 127, 15}, {16, -32768, 32767, 30}, {0, -1, 1, 0}, {24, -1, 1, 0}};
    const CMlsSequence reference(15, 0, 1);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.sampleBits);
        const CMlsSequence sequence(15, c.sampleBits, 7);
        ASSERT_EQ(sequence.m_data.size(), 15u);
        EXPECT_EQ(sequence.m_byteLength, c.byteLength);
        EXPECT_EQ(sequence.m_sampleBits, c.sampleBits);
        EXPECT_EQ(sequence.m_param, 7);
        for (int i = 0; i < 15; ++i)
        {
            EXPECT_EQ(sequence.m_data[i], reference.m_data[i] < 0 ? c.minus : c.plus) << i;
        }
    }
    const CMlsSequence wide(15, 16, 1);
    EXPECT_EQ(std::vector<std::int16_t>(wide.m_data.begin(), wide.m_data.begin() + 5),
              (std::vector<std::int16_t>{-32768, -32768, -32768, -32768, 32767}));
}

// An m-sequence of order P shows every non-zero P-bit pattern exactly once in its L cyclic windows; that
// fixes the period at exactly L and the balance at 2^(P-1) values -1 (bit 1) against 2^(P-1) - 1 values +1.
TEST(MlsSequenceTest, EveryOrderIsOnePeriodOfAnMSequence)
{
    for (int order = kMlsMinSequenceOrder; order <= kMlsMaxOrder; ++order)
    {
        SCOPED_TRACE(order);
        const int length = LengthOf(order);
        const CMlsSequence sequence(length, 0, 1);
        ASSERT_EQ(sequence.m_length, length);
        ASSERT_EQ(static_cast<int>(sequence.m_data.size()), length);
        int minus = 0;
        int plus = 0;
        for (std::int16_t v : sequence.m_data)
        {
            minus += v == -1;
            plus += v == 1;
        }
        EXPECT_EQ(minus, 1 << (order - 1));
        EXPECT_EQ(plus, (1 << (order - 1)) - 1);

        const unsigned mask = (1u << order) - 1u;
        auto bit = [&](int i) { return sequence.m_data[i % length] < 0 ? 1u : 0u; };
        unsigned window = 0;
        for (int i = 0; i < order; ++i)
        {
            window = (window << 1) | bit(i);
        }
        std::vector<bool> seen(std::size_t{1} << order, false);
        int repeats = 0;
        for (int i = 0; i < length; ++i)
        {
            repeats += window == 0 || seen[window];
            seen[window] = true;
            window = ((window << 1) | bit(i + order)) & mask;
        }
        EXPECT_EQ(repeats, 0);
    }
}

TEST(MlsSequenceTest, LengthsOutsideTheTableGiveAnEmptySequence)
{
    for (int length : {INT_MIN, -1, 0, 1, 3, 7, 14, 16, 1000, 1048576, 2097151, INT_MAX})
    {
        SCOPED_TRACE(length);
        const CMlsSequence sequence(length, 16, 1);
        EXPECT_FALSE(sequence.IsValid());
        EXPECT_EQ(sequence.m_length, 0);
        EXPECT_TRUE(sequence.m_data.empty());
        EXPECT_EQ(sequence.m_byteLength, 0);
    }
}

TEST(MlsTransformTest, OwnSequenceGivesUnitImpulseForEveryOrder)
{
    CMlsTransform transform;
    for (int order = kMlsMinOrder; order <= kMlsMaxOrder; ++order)
    {
        SCOPED_TRACE(order);
        ASSERT_TRUE(transform.Init(order));
        const std::vector<float> s = SequenceOf(order);
        const int length = LengthOf(order);
        ASSERT_EQ(transform.GetLength(), length);
        std::vector<float> response(length, 99.0f);
        ASSERT_EQ(transform.Correlate(s.data(), response.data(), 0), 1);
        // Sums of +-1 values stay integers below 2^24, so the only rounding is the final scaling.
        const float off = -1.0f / static_cast<float>(length);
        EXPECT_NEAR(response[0], 1.0f, 1e-6f);
        int wrong = 0;
        for (int k = 1; k < length; ++k)
        {
            wrong += std::fabs(response[k] - off) > 1e-6f * std::fabs(off);
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(MlsTransformTest, MatchesTheCorrelationFormulaForAnyOffset)
{
    std::mt19937 random(17);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    CMlsTransform transform;
    for (int order = kMlsMinOrder; order <= 9; ++order)
    {
        const int length = LengthOf(order);
        ASSERT_TRUE(transform.Init(order));
        const std::vector<float> s = SequenceOf(order);
        std::vector<float> period(length);
        for (float& v : period)
        {
            v = uniform(random);
        }
        for (int offset :
             {0, 1, 2, length - 1, length, length + 3, 5 * length + 2, -1, -length - 4, INT_MIN, INT_MAX})
        {
            SCOPED_TRACE(testing::Message() << "order " << order << " offset " << offset);
            const std::vector<double> expected = DirectCorrelation(period, s, offset);
            std::vector<float> response(length);
            ASSERT_EQ(transform.Correlate(period.data(), response.data(), offset), 1);
            double worst = 0.0;
            for (int k = 0; k < length; ++k)
            {
                worst = std::max(worst, std::fabs(response[k] - expected[k]));
            }
            EXPECT_LT(worst, 1e-5);
        }
    }
}

// A period of the sequence played through an FIR h (circular convolution), recorded d samples late and
// read from offset v. With sum s[n] = -1 the correlation is exact in closed form:
//   r[k] = ((L + 1) h[k - (d - v)] - sum h) / L,
// the FIR itself at its lag plus the MLS's known DC term of order 1/L.
TEST(MlsTransformTest, RecoversAShortFirFromOnePeriod)
{
    struct Case
    {
        int order;
        int delay;
        int offset;
    };
    const Case cases[] = {{4, 0, 0},  {4, 0, 2},     {8, 3, 0},  {10, 0, 0},
                          {12, 7, 2}, {16, 100, 40}, {20, 0, 0}, {20, 5, 9}};
    const std::vector<double> fir = {0.5, -0.25, 0.75, 0.125, -0.5, 0.0625, 0.03125};
    double firSum = 0.0;
    for (double v : fir)
    {
        firSum += v;
    }
    CMlsTransform transform;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message()
                     << "order " << c.order << " delay " << c.delay << " offset " << c.offset);
        const int length = LengthOf(c.order);
        const std::vector<float> s = SequenceOf(c.order);
        std::vector<float> period(length);
        for (int n = 0; n < length; ++n)
        {
            double y = 0.0;
            for (int m = 0; m < static_cast<int>(fir.size()); ++m)
            {
                y += fir[m] * s[((n - m - c.delay) % length + length) % length];
            }
            period[n] = static_cast<float>(y);
        }
        ASSERT_TRUE(transform.Init(c.order));
        std::vector<float> response(length);
        ASSERT_EQ(transform.Correlate(period.data(), response.data(), c.offset), 1);
        const int lag = ((c.delay - c.offset) % length + length) % length;
        double worst = 0.0;
        for (int k = 0; k < length; ++k)
        {
            const int tap = ((k - lag) % length + length) % length;
            const double h = tap < static_cast<int>(fir.size()) ? fir[tap] : 0.0;
            const double expected = ((length + 1) * h - firSum) / length;
            worst = std::max(worst, std::fabs(response[k] - expected));
        }
        EXPECT_LT(worst, 2e-6);
        for (int m = 0; m < static_cast<int>(fir.size()); ++m)
        {
            EXPECT_NEAR(response[(lag + m) % length], fir[m], 2.0 / length + 2e-6) << m;
        }
    }
}

TEST(MlsTransformTest, ReInitReplacesTheTables)
{
    CMlsTransform transform;
    ASSERT_TRUE(transform.Init(12));
    ASSERT_TRUE(transform.Init(5));
    EXPECT_EQ(transform.GetOrder(), 5);
    const std::vector<float> s = SequenceOf(5);
    std::vector<float> response(31);
    ASSERT_EQ(transform.Correlate(s.data(), response.data(), 0), 1);
    EXPECT_NEAR(response[0], 1.0f, 1e-6f);
    EXPECT_NEAR(response[1], -1.0f / 31.0f, 1e-6f);
}

class MlsTransformRefusalTest : public testing::Test
{
protected:
    static constexpr float kUntouched = 7.0f;

    // Correlate must fail and leave the response as it was.
    void ExpectRefused(CMlsTransform& transform)
    {
        std::vector<float> period(64, 1.0f);
        std::vector<float> response(64, kUntouched);
        EXPECT_EQ(transform.Correlate(period.data(), response.data(), 0), 0);
        EXPECT_EQ(transform.Correlate(std::span<const float>(period), std::span<float>(response), 0), 0);
        EXPECT_EQ(transform.GetLength(), 0);
        for (float v : response)
        {
            ASSERT_EQ(v, kUntouched);
        }
    }
};

TEST_F(MlsTransformRefusalTest, CorrelateBeforeInitDoesNothing)
{
    CMlsTransform transform;
    ExpectRefused(transform);
}

TEST_F(MlsTransformRefusalTest, OrdersOutsideTheTableAreRefused)
{
    for (int order : {INT_MIN, -1, 0, 1, 21, 24, 31, 32, 1000})
    {
        SCOPED_TRACE(order);
        CMlsTransform transform;
        EXPECT_FALSE(transform.Init(order));
        ExpectRefused(transform);
        // A refused order also drops tables built before, so no stale length is used.
        ASSERT_TRUE(transform.Init(6));
        EXPECT_FALSE(transform.Init(order));
        ExpectRefused(transform);
    }
}

TEST_F(MlsTransformRefusalTest, CheckedFormRefusesShortBuffers)
{
    CMlsTransform transform;
    ASSERT_TRUE(transform.Init(6));
    const std::vector<float> s = SequenceOf(6);
    std::vector<float> response(63, kUntouched);
    EXPECT_EQ(transform.Correlate(std::span<const float>(s).first(62), std::span<float>(response), 0), 0);
    EXPECT_EQ(transform.Correlate(std::span<const float>(s), std::span<float>(response).first(62), 0), 0);
    for (float v : response)
    {
        ASSERT_EQ(v, kUntouched);
    }
    ASSERT_EQ(transform.Correlate(std::span<const float>(s), std::span<float>(response), 0), 1);
    EXPECT_NEAR(response[0], 1.0f, 1e-6f);
}

}  // namespace
