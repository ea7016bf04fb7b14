// The engine's resampler hook: with the resampler on, every analysis channel is converted (none is
// left stale), and the collected stream follows the ratio.
#include "engine/SoundIn.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace
{

constexpr int kRate = 48000;

class Engine : public CSoundIn
{
public:
    ~Engine() override { StopInput(); }
};

TEST(ResamplerHook, EveryAnalysisChannelIsConvertedAtTheRatio)
{
    Engine engine;
    engine.m_nInputMode = CSoundIn::kInputNone;
    engine.m_nSampleRate = kRate;
    engine.m_nChannelMode = 3;
    engine.m_bResampler = 1;
    engine.m_dResampleRatio = 2.0;
    engine.SetFftSize(512);
    ASSERT_EQ(engine.OpenInput(), 0);
    ASSERT_EQ(engine.m_nAnalysisChannels, 2);

    // Channel 0 a 1 kHz sine, channel 1 a 3 kHz sine, interleaved.
    const int frames = 1024;
    const int blocks = 8;
    const double f[2] = {1000.0 / kRate, 3000.0 / kRate};
    std::vector<float> block(2 * frames);
    const std::int64_t before = engine.m_ring.GetWrittenFrames();
    for (int b = 0; b < blocks; ++b)
    {
        for (int i = 0; i < frames; ++i)
            for (int c = 0; c < 2; ++c)
                block[2 * i + c] =
                    static_cast<float>(0.5 * std::sin(2.0 * std::numbers::pi * f[c] * (b * frames + i)));
        engine.OnFloatBlock(block, frames);
    }
    const std::int64_t written = engine.m_ring.GetWrittenFrames() - before;
    EXPECT_NEAR(static_cast<double>(written), 2.0 * blocks * frames, 40.0);

    // Both rows of the ring hold the sine at the new rate (output m at input instant m / 2).
    const std::size_t length = static_cast<std::size_t>(engine.m_nRingLength);
    for (int c = 0; c < 2; ++c)
    {
        double error = 0.0, power = 0.0;
        for (std::int64_t m = 100; m < written - 100; ++m)
        {
            const double ideal = 0.5 * std::sin(2.0 * std::numbers::pi * f[c] * (m / 2.0));
            const double got = engine.m_ringStorage[c * length + static_cast<std::size_t>(m)];
            error += (got - ideal) * (got - ideal);
            power += ideal * ideal;
        }
        EXPECT_LT(10.0 * std::log10(error / power), -60.0) << "channel " << c;
    }
}

}  // namespace
