// The ASIO path in real time: one buffer switch of the plug-in's device over the loopback driver
// (8 inputs and 8 outputs of 32-bit floats, 128-frame periods at 96 kHz) with the engine's output
// callback rendering all 11 generators and mixing them into the 8 outputs, and the conversions
// alone. The "x_realtime" counter is how many times faster than the period's duration it runs.
#include "asio_input/AsioDevice.h"
#include "engine/SoundIn.h"
#include "platform/asio/AsioConvert.h"
#include "platform/asio/AsioDriverList.h"
#include "tests/support/AsioLoopbackDriver.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace
{

constexpr int kFrames = 128;
constexpr double kRate = 96000.0;
constexpr int kChannels = 8;

void IgnoreData(const float*, int) {}

void BM_AsioSwitchWith11Generators(benchmark::State& state)
{
    CSoundIn engine;
    engine.m_nSampleRate = static_cast<int>(kRate);
    engine.m_nPluginOutputChannels = kChannels;
    for (int g = 0; g < CSoundIn::kPanelGenerators; ++g)
    {
        CGenerator& generator = *engine.GetGenerator(g);
        generator.m_settings.m_mode = g % 2 ? kGenModeWhiteNoise : kGenModeSine;
        generator.m_settings.m_frequency = 100.0 * (g + 1);
        generator.m_settings.m_level = 0.05;
        generator.m_settings.m_output_on = 1;
    }
    for (int k = 0; k < kChannels; ++k)
    {
        auto& channel = engine.m_generatorMatrix.m_settings.m_channel[static_cast<std::size_t>(k)];
        channel.m_active = 1;
        channel.m_count_a = 10;
        for (int g = 0; g < 10; ++g)
            channel.m_generators_a[static_cast<std::size_t>(g)] = g;
    }
    // The binding re-applies the generators at the engine's rate and makes the render area; the
    // plug-in library itself is not needed here.
    engine.m_pluginFolder = "/nonexistent";
    engine.BindAsioPlugin();

    CAsioLoopbackDriver::Setup setup;
    setup.inputs = kChannels;
    setup.outputs = kChannels;
    setup.bufferSize = kFrames;
    setup.sampleRate = kRate;
    CAsioLoopbackDriver::RegisterLoopback("Bench loopback", setup);
    CAsioDevice device;
    device.m_nDevice = 1;
    device.m_bForceStereo = 0;
    device.m_bMultichannel = 1;
    if (device.Open(&IgnoreData, &CSoundIn::AsioOutputCallback, &engine) != 0)
    {
        state.SkipWithError(device.GetError().c_str());
        return;
    }
    device.Start();
    int index = 0;
    for (auto _ : state)
    {
        device.BufferSwitchTimeInfo(index);
        index ^= 1;
    }
    state.counters["x_realtime"] = benchmark::Counter(
        kFrames / kRate * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    device.Close();
    UnregisterAsioDriver("Bench loopback");
    DeleteAsioDriverLoader();
}
BENCHMARK(BM_AsioSwitchWith11Generators);

void BM_AsioConversions(benchmark::State& state)
{
    const int type = static_cast<int>(state.range(0));
    std::vector<std::int32_t> host(kFrames * kChannels, 123456789);
    std::vector<unsigned char> driver(static_cast<std::size_t>(kFrames) * 8 * kChannels);
    std::vector<float> floats(kFrames * kChannels);
    for (auto _ : state)
    {
        for (int k = 0; k < kChannels; ++k)
        {
            asio::ConvertFromHostSamples(type, host.data() + k * kFrames, 1, driver.data() + k * kFrames * 8,
                                         kFrames);
            asio::ConvertToFloatSamples(type, driver.data() + k * kFrames * 8, floats.data() + k, kChannels,
                                        kFrames);
        }
        benchmark::DoNotOptimize(floats.data());
    }
    state.counters["x_realtime"] = benchmark::Counter(
        kFrames / kRate * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AsioConversions)->Arg(16)->Arg(17)->Arg(18)->Arg(19)->Arg(20);

}  // namespace

BENCHMARK_MAIN();
