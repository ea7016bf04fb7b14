#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dsp/DesignedFilterBank.h"

namespace
{

std::vector<float> Signal(int count)
{
    std::vector<float> x(static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n)
        x[n] = static_cast<float>(std::sin(0.01 * n) + 0.5 * std::sin(0.9 * n) + 0.2 * std::sin(2.5 * n));
    return x;
}

TEST(DesignedFilterBankTest, StartsWithTheFilterDefaults)
{
    CDesignedFilterBank bank;
    EXPECT_EQ(bank.m_nCount, 0);
    for (int channel = 0; channel < CDesignedFilterBank::kMaxChannels; ++channel)
    {
        EXPECT_EQ(bank.m_nDesignKind[channel], kDesignButterworth);
        EXPECT_EQ(bank.m_nOrder[channel], 2);
        EXPECT_EQ(bank.m_dRippleDb[channel], 0.5);
        EXPECT_EQ(bank.m_pFilters[channel], nullptr);
    }
}

TEST(DesignedFilterBankTest, RunsItsChannelsInSeries)
{
    CDesignedFilterBank bank;
    bank.m_nCount = 2;
    bank.m_dSampleRate = 48000;
    bank.m_dLowCorner[0] = 0;
    bank.m_dHighCorner[0] = 3000;
    bank.m_nOrder[0] = 4;
    bank.m_dLowCorner[1] = 100;
    bank.m_dHighCorner[1] = 1e9;
    bank.m_nDesignKind[1] = kDesignChebyshev;
    bank.m_nOrder[1] = 3;
    bank.m_bEnabled = 1;
    bank.Configure();
    ASSERT_NE(bank.m_pFilters[0], nullptr);
    ASSERT_NE(bank.m_pFilters[1], nullptr);
    EXPECT_EQ(bank.m_pFilters[2], nullptr);

    CDesignedFilter lowPass, highPass;
    lowPass.m_dSampleRate = highPass.m_dSampleRate = 48000;
    lowPass.m_dHighCorner = 3000;
    lowPass.m_nOrder = 4;
    highPass.m_dLowCorner = 100;
    highPass.m_dHighCorner = 1e9;
    highPass.m_nDesignKind = kDesignChebyshev;
    highPass.m_nOrder = 3;

    std::vector<float> x = Signal(3000);
    std::vector<float> y = x;
    bank.Process(x.data(), 1000);
    bank.Process(x.data() + 1000, 2000);
    lowPass.Process(y.data(), 3000);
    highPass.Process(y.data(), 3000);
    EXPECT_EQ(x, y);
}

TEST(DesignedFilterBankTest, DisabledBankLeavesTheBlock)
{
    CDesignedFilterBank bank;
    bank.m_nCount = 1;
    bank.m_dSampleRate = 48000;
    bank.m_dHighCorner[0] = 1000;
    bank.Configure();
    std::vector<float> x = Signal(100);
    const std::vector<float> original = x;
    bank.Process(x.data(), 100);
    EXPECT_EQ(x, original);
}

TEST(DesignedFilterBankTest, NewCornersTakeEffectWithoutAChangeOfRate)
{
    CDesignedFilterBank bank;
    bank.m_nCount = 1;
    bank.m_dSampleRate = 48000;
    bank.m_dHighCorner[0] = 1000;
    bank.m_bEnabled = 1;
    bank.Configure();
    std::vector<float> x = Signal(64);
    bank.Process(x.data(), 64);
    EXPECT_NEAR(20 * std::log10(bank.m_pFilters[0]->GetResponse(1000)), -3.0103, 1e-6);

    bank.m_dHighCorner[0] = 4000;
    bank.Configure();
    bank.Process(x.data(), 64);
    EXPECT_NEAR(20 * std::log10(bank.m_pFilters[0]->GetResponse(4000)), -3.0103, 1e-6);

    // Configuring again with the same values keeps the running design and its state.
    const double designed = bank.m_pFilters[0]->m_dDesignedRate;
    bank.Configure();
    EXPECT_EQ(bank.m_pFilters[0]->m_dDesignedRate, designed);
}

TEST(DesignedFilterBankTest, CountBeyondTheChannelsIsClamped)
{
    CDesignedFilterBank bank;
    bank.m_nCount = 1000;
    bank.m_dSampleRate = 48000;
    for (int channel = 0; channel < CDesignedFilterBank::kMaxChannels; ++channel)
        bank.m_dHighCorner[channel] = 20000;
    bank.m_bEnabled = 1;
    bank.Configure();
    EXPECT_NE(bank.m_pFilters[CDesignedFilterBank::kMaxChannels - 1], nullptr);
    std::vector<float> x = Signal(16);
    bank.Process(x.data(), 16);
}

}  // namespace
