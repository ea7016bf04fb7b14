#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

#include "dsp/Decimator.h"
#include "dsp/FilterStage.h"
#include "dsp/IirFilter.h"
#include "dsp/SampleDelay.h"

namespace
{

// The difference equation written out directly, in double, over the whole signal at once.
std::vector<double> ReferenceFilter(const std::vector<double>& b, const std::vector<double>& a,
                                    const std::vector<float>& x)
{
    std::vector<double> y(x.size(), 0.0);
    for (std::size_t n = 0; n < x.size(); ++n)
    {
        double acc = 0.0;
        for (std::size_t i = 0; i < b.size() && i <= n; ++i)
            acc += b[i] * x[n - i];
        for (std::size_t i = 1; i < a.size() && i <= n; ++i)
            acc -= a[i] * y[n - i];
        y[n] = acc;
    }
    return y;
}

std::vector<float> TestSignal(int count)
{
    std::vector<float> x(static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n)
        x[n] = static_cast<float>(std::sin(0.37 * n) + 0.5 * std::cos(1.91 * n + 0.2) + (n == 3 ? 1.0 : 0.0));
    return x;
}

TEST(IirFilterTest, MatchesTheDifferenceEquationAcrossBlocks)
{
    const struct
    {
        std::vector<double> b;
        std::vector<double> a;
    } cases[] = {
        {{0.7}, {1.0}},                                                 // plain gain
        {{0.5, 0.5}, {1.0, 0.0}},                                       // two-point average
        {{0.2, -0.2}, {1.0, -0.9}},                                     // first order
        {{0.1, 0.2, 0.1}, {1.0, -1.2, 0.5}},                            // second-order section
        {{0.3, 0.1, -0.2, 0.05}, {1.0, -0.5, 0.25}},                    // longer numerator than denominator
        {{1.0}, {1.0, -0.3, 0.1, -0.02}},                               // all-pole
        {{0.05, 0.1, 0.1, 0.05, 0.01}, {1.0, -1.1, 0.6, -0.15, 0.02}},  // fourth order
    };
    const std::vector<float> x = TestSignal(300);
    for (const auto& c : cases)
    {
        CIirFilter filter;
        filter.SetCoefficients(static_cast<int>(c.b.size()), static_cast<int>(c.a.size()), c.b.data(),
                               c.a.data());
        std::vector<float> y = x;
        // Uneven blocks: the histories must carry across every boundary.
        filter.Process(y.data(), 7);
        filter.Process(y.data() + 7, 1);
        filter.Process(y.data() + 8, 292);
        const std::vector<double> expected = ReferenceFilter(c.b, c.a, x);
        for (std::size_t n = 0; n < x.size(); ++n)
            ASSERT_NEAR(y[n], expected[n], 1e-5 * (1.0 + std::fabs(expected[n])))
                << "b" << c.b.size() << " n " << n;
    }
}

TEST(IirFilterTest, TwoPointAverageStartsFromZeroHistory)
{
    const double b[] = {0.5, 0.5};
    const double a[] = {1.0, 0.0};
    CIirFilter filter;
    filter.SetCoefficients(2, 2, b, a);
    float x[] = {4.0f, 2.0f, 6.0f};
    filter.Process(x, 3);
    EXPECT_FLOAT_EQ(x[0], 2.0f);
    EXPECT_FLOAT_EQ(x[1], 3.0f);
    EXPECT_FLOAT_EQ(x[2], 4.0f);
}

TEST(IirFilterTest, FirstFeedbackCoefficientIsNeverRead)
{
    const double b[] = {0.1, 0.2, 0.1};
    const double aUnit[] = {1.0, -1.2, 0.5};
    const double aOther[] = {7.0, -1.2, 0.5};
    CIirFilter unit;
    CIirFilter other;
    unit.SetCoefficients(3, 3, b, aUnit);
    other.SetCoefficients(3, 3, b, aOther);
    std::vector<float> x = TestSignal(64);
    std::vector<float> y = x;
    unit.Process(x.data(), 64);
    other.Process(y.data(), 64);
    EXPECT_EQ(x, y);
}

TEST(IirFilterTest, SetCoefficientsAndResetClearTheState)
{
    const double b[] = {0.1, 0.2, 0.1};
    const double a[] = {1.0, -1.2, 0.5};
    const std::vector<float> x = TestSignal(50);
    std::vector<float> fresh = x;
    CIirFilter reference;
    reference.SetCoefficients(3, 3, b, a);
    reference.Process(fresh.data(), 50);

    CIirFilter filter;
    filter.SetCoefficients(3, 3, b, a);
    std::vector<float> warmUp = TestSignal(80);
    filter.Process(warmUp.data(), 80);
    filter.SetCoefficients(3, 3, b, a);
    std::vector<float> y = x;
    filter.Process(y.data(), 50);
    EXPECT_EQ(y, fresh);

    filter.Process(warmUp.data(), 80);
    filter.Reset();
    y = x;
    filter.Process(y.data(), 50);
    EXPECT_EQ(y, fresh);
}

TEST(IirFilterTest, OwnedCoefficientsOutliveTheCallersArrays)
{
    std::vector<double> b = {0.5, 0.5};
    std::vector<double> a = {1.0, 0.0};
    CIirFilter owned;
    owned.m_bOwnsCoefficients = 1;
    owned.SetCoefficients(2, 2, b.data(), a.data());
    CIirFilter borrowed;
    borrowed.SetCoefficients(2, 2, b.data(), a.data());
    b[0] = 3.0;  // the caller rewrites its table in place

    float x1[] = {2.0f};
    float x2[] = {2.0f};
    owned.Process(x1, 1);
    borrowed.Process(x2, 1);
    EXPECT_FLOAT_EQ(x1[0], 1.0f);  // kept its copy
    EXPECT_FLOAT_EQ(x2[0], 6.0f);  // reads the caller's table
    b.clear();
    b.shrink_to_fit();
    owned.Process(x1, 1);
    EXPECT_FLOAT_EQ(x1[0], 1.5f);
}

TEST(IirFilterTest, ReleasedOrEmptyFilterPassesBlocksUnchanged)
{
    const double b[] = {0.5, 0.5};
    const double a[] = {1.0, 0.0};
    std::vector<float> x = TestSignal(10);
    const std::vector<float> original = x;
    CIirFilter empty;
    empty.Process(x.data(), 10);
    EXPECT_EQ(x, original);

    CIirFilter filter;
    filter.m_bOwnsCoefficients = 1;
    filter.SetCoefficients(2, 2, b, a);
    filter.Release();
    EXPECT_EQ(filter.GetNumB(), 0);
    filter.Process(x.data(), 10);
    EXPECT_EQ(x, original);
}

TEST(FilterStageTest, BaseStageKeepsTheBlockAndStartsUnbuilt)
{
    CFilterStage stage;
    EXPECT_EQ(stage.m_nSampleRate, -1);
    EXPECT_EQ(stage.m_nBuiltRate, -2);
    std::vector<float> x = TestSignal(8);
    const std::vector<float> original = x;
    CFilterStage& base = stage;
    base.Process(x.data(), 8);
    EXPECT_EQ(x, original);
}

TEST(DecimatorTest, PhaseCarriesAcrossBlocks)
{
    const struct
    {
        int factor;
        std::vector<int> blockSizes;
    } cases[] = {
        {3, {10, 10}}, {3, {10, 10, 1, 1, 1, 7}}, {4, {2, 2, 2, 2, 9, 3}},
        {1, {5, 6}},   {7, {3, 3, 20, 1, 13}},
    };
    for (const auto& c : cases)
    {
        CDecimator decimator;
        decimator.SetFactor(c.factor);
        int start = 0;  // index of the block's first sample in the whole stream
        std::vector<float> kept;
        for (int size : c.blockSizes)
        {
            std::vector<float> block(static_cast<std::size_t>(size));
            std::iota(block.begin(), block.end(), static_cast<float>(start));
            const int count = decimator.Process(block.data(), size);
            kept.insert(kept.end(), block.begin(), block.begin() + count);
            start += size;
        }
        // Every factor-th sample of the stream, whatever the block boundaries.
        std::vector<float> expected;
        for (int n = 0; n < start; n += c.factor)
            expected.push_back(static_cast<float>(n));
        EXPECT_EQ(kept, expected) << "factor " << c.factor;
    }
}

TEST(DecimatorTest, FactorThreeOverBlocksOfTen)
{
    CDecimator decimator;
    decimator.SetFactor(3);
    std::vector<float> block(10);
    std::iota(block.begin(), block.end(), 0.0f);
    EXPECT_EQ(decimator.Process(block.data(), 10), 4);
    EXPECT_EQ(decimator.m_nPhase, 2);
    EXPECT_EQ((std::vector<float>(block.begin(), block.begin() + 4)), (std::vector<float>{0, 3, 6, 9}));
    std::iota(block.begin(), block.end(), 0.0f);
    EXPECT_EQ(decimator.Process(block.data(), 10), 3);
    EXPECT_EQ(decimator.m_nPhase, 1);
    EXPECT_EQ((std::vector<float>(block.begin(), block.begin() + 3)), (std::vector<float>{2, 5, 8}));
}

TEST(DecimatorTest, PhaseBeyondTheBlockYieldsNothingAndZeroFactorCannotHang)
{
    CDecimator decimator;
    decimator.SetFactor(100);
    float block[10] = {};
    EXPECT_EQ(decimator.Process(block, 10), 1);
    EXPECT_EQ(decimator.m_nPhase, 90);
    EXPECT_EQ(decimator.Process(block, 10), 0);
    EXPECT_EQ(decimator.m_nPhase, 80);

    decimator.SetFactor(0);  // would never advance; counts as 1
    EXPECT_EQ(decimator.Process(block, 10), 10);
    EXPECT_EQ(decimator.m_nPhase, 0);
}

TEST(SampleDelayTest, DelaysAcrossBlocksOfAnySize)
{
    const struct
    {
        int delay;
        std::vector<int> blockSizes;
    } cases[] = {
        {5, {8, 8, 3}},       {5, {3000, 17}},  // blocks longer than a chunk
        {0, {100, 5}},        {1500, {1024, 1024, 1025, 2}},
        {64, {1, 1, 2, 200}},
    };
    for (const auto& c : cases)
    {
        CSampleDelay delay;
        delay.SetDelay(c.delay);
        delay.m_bEnabled = 1;
        int start = 0;
        std::vector<float> output;
        for (int size : c.blockSizes)
        {
            std::vector<float> block(static_cast<std::size_t>(size));
            std::iota(block.begin(), block.end(), static_cast<float>(start + 1));
            EXPECT_EQ(delay.Process(block.data(), size), 0);
            output.insert(output.end(), block.begin(), block.end());
            start += size;
        }
        for (int n = 0; n < start; ++n)
        {
            const float expected = n < c.delay ? 0.0f : static_cast<float>(n - c.delay + 1);
            ASSERT_EQ(output[n], expected) << "delay " << c.delay << " sample " << n;
        }
    }
}

TEST(SampleDelayTest, DisabledOrUnpreparedDelayLeavesTheBlock)
{
    std::vector<float> x = TestSignal(20);
    const std::vector<float> original = x;
    CSampleDelay disabled;
    disabled.SetDelay(5);
    disabled.Process(x.data(), 20);
    EXPECT_EQ(x, original);

    CSampleDelay unprepared;
    unprepared.m_bEnabled = 1;
    unprepared.Process(x.data(), 20);
    EXPECT_EQ(x, original);
}

TEST(SampleDelayTest, SetDelayAgainStartsOverWithZeros)
{
    CSampleDelay delay;
    delay.m_bEnabled = 1;
    delay.SetDelay(3);
    std::vector<float> block = {1, 2, 3, 4};
    delay.Process(block.data(), 4);
    delay.SetDelay(2);
    block = {5, 6, 7, 8};
    delay.Process(block.data(), 4);
    EXPECT_EQ(block, (std::vector<float>{0, 0, 5, 6}));
    EXPECT_EQ(delay.m_nDelay, 2);
}

}  // namespace
