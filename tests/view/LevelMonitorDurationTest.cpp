// The level monitor's duration presets and typed durations.
#include "view/LevelMonitorDuration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{

using level_monitor::Duration;

TEST(LevelMonitorDurationTest, PresetsAddOnASecondPressAndStartAfreshOnAnother)
{
    Duration d{1.0, 0, -1};
    ASSERT_TRUE(level_monitor::PressPreset(d, 5));  // "1h"
    EXPECT_EQ(d.number, 3600);
    ASSERT_TRUE(level_monitor::PressPreset(d, 5));
    EXPECT_EQ(d.number, 7200);
    ASSERT_TRUE(level_monitor::PressPreset(d, 0));  // "30s" replaces
    EXPECT_EQ(d.number, 30);
    EXPECT_EQ(d.lastPreset, 0);
    // Every preset at an average time of 0.25 s.
    for (int k = 0; k < 10; ++k)
    {
        Duration q{0.25, 0, -1};
        ASSERT_TRUE(level_monitor::PressPreset(q, k));
        EXPECT_EQ(q.number, static_cast<int>(level_monitor::kPresetSeconds[static_cast<std::size_t>(k)] * 4))
            << k;
    }
}

TEST(LevelMonitorDurationTest, TypedDurationDividesByTheAverageTime)
{
    Duration d{0.5, 10, 3};
    ASSERT_TRUE(level_monitor::SetDuration(d, (24 + 2) * 3600.0));  // 1 day and 2 hours
    EXPECT_EQ(d.number, 187200);
    EXPECT_EQ(d.lastPreset, -1);
    // A remainder shorter than one average time is dropped.
    Duration r{7.0, 0, -1};
    ASSERT_TRUE(level_monitor::SetDuration(r, 100.0));
    EXPECT_EQ(r.number, 14);
}

TEST(LevelMonitorDurationTest, AverageTimeOfZeroIsRefused)
{
    for (double bad : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()})
    {
        Duration d{bad, 12, 4};
        EXPECT_FALSE(level_monitor::PressPreset(d, 5));
        EXPECT_FALSE(level_monitor::SetDuration(d, 60.0));
        EXPECT_EQ(d.number, 12);
        EXPECT_EQ(d.lastPreset, 4);
    }
    Duration d{1.0, 0, -1};
    EXPECT_FALSE(level_monitor::PressPreset(d, 10));
    EXPECT_FALSE(level_monitor::PressPreset(d, -1));
}

}  // namespace
