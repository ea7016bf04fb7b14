// Reading a one-hour 48 kHz stereo 16-bit WAVE file into float blocks, interleaved and planar, in
// times real time (seconds of audio read per second). The set-up writes the file with the wave
// recorder into /tmp and deletes it when the benchmarks end.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/AudioFileReader.h"
#include "engine/WaveRecorder.h"

namespace
{

constexpr int kRate = 48000;
constexpr int kChannels = 2;
constexpr int kSeconds = 3600;
constexpr int kBlockFrames = 4096;

const std::string& HourFile()
{
    static const std::string path = "/tmp/tessarin-audio-bench-" + std::to_string(::getpid()) + ".wav";
    return path;
}

bool WriteHourFile()
{
    CWaveRecorder recorder;
    recorder.m_nFileChannels = kChannels;
    recorder.m_nSampleRate = kRate;
    recorder.m_nBits = 16;
    recorder.m_dMaxFileSeconds = kSeconds + 1;
    if (recorder.Open(HourFile()) != 1)
        return false;
    std::vector<std::int16_t> second(static_cast<std::size_t>(kRate * kChannels));
    for (int i = 0; i < kRate; ++i)
    {
        const auto v =
            static_cast<std::int16_t>(16000.0 * std::sin(i * 2.0 * 3.14159265358979 * 1000.0 / kRate));
        second[static_cast<std::size_t>(2 * i)] = v;
        second[static_cast<std::size_t>(2 * i + 1)] = static_cast<std::int16_t>(-v);
    }
    for (int s = 0; s < kSeconds; ++s)
        recorder.WritePcm16Block(second.data(), kRate);
    recorder.Close();
    return recorder.m_files.size() == 1;
}

void ReadHour(benchmark::State& state)
{
    const int planar = static_cast<int>(state.range(0));
    std::vector<float> block(static_cast<std::size_t>(kBlockFrames * kChannels));
    for (auto _ : state)
    {
        CAudioFileReader reader;
        reader.Open(HourFile());
        if (!reader.IsOpen() || reader.m_dLength != static_cast<double>(kRate) * kSeconds)
        {
            state.SkipWithError("the one-hour file did not open");
            return;
        }
        const auto total = static_cast<std::int64_t>(reader.m_dLength);
        for (std::int64_t done = 0; done < total; done += kBlockFrames)
        {
            reader.Read(block.data(), kBlockFrames, planar);
            benchmark::DoNotOptimize(block.data());
        }
        benchmark::ClobberMemory();
    }
    state.counters["times_real_time"] = benchmark::Counter(
        static_cast<double>(kSeconds) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kRate * kChannels * 2 * kSeconds);
}

BENCHMARK(ReadHour)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("planar")
    ->Unit(benchmark::kSecond)
    ->Iterations(3)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    const bool ready = WriteHourFile();
    if (ready)
        benchmark::RunSpecifiedBenchmarks();
    std::error_code error;
    std::filesystem::remove(HourFile(), error);
    benchmark::Shutdown();
    return ready ? 0 : 1;
}
