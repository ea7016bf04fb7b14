// The room-acoustic figures against a second implementation in Python (numpy and scipy), written
// apart from the program's: noisy decays with a pre-delay and a noise floor go out as WAVE files
// together with the program's figures, and the script checks ISO 3382 decay times and energy
// ratios against its own within 1 % and 0.1 dB.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "dsp/RoomAcoustics.h"
#include "engine/AudioFileReader.h"
#include "engine/WaveRecorder.h"
#include "platform/Spawn.h"
#include "tests/support/TempHome.h"

namespace
{

// A room-like response: background noise, then the direct sound (the response's peak) followed by
// a diffuse decay.
std::vector<float> NoisyDecay(double reverberation, int rate, double noiseDb, unsigned seed)
{
    const int delay = rate / 20;  // 50 ms of background before the sound arrives
    const int count = static_cast<int>((1.3 * reverberation + 0.6) * rate) + delay;
    std::mt19937 random(seed);
    std::normal_distribution<double> gauss(0.0, 1.0);
    const double perSample = 13.8155 / (reverberation * rate) / 2.0;
    const double noise = std::pow(10.0, noiseDb / 20.0);
    std::vector<float> x(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
    {
        double v = noise * gauss(random);
        if (i >= delay)
            v += gauss(random) * std::exp(-perSample * (i - delay));
        x[static_cast<std::size_t>(i)] = static_cast<float>(0.1 * v);
    }
    x[static_cast<std::size_t>(delay)] = 0.8f;
    return x;
}

}  // namespace

TEST(RoomAcousticsIso3382, SecondImplementationAgrees)
{
    testsupport::TempHome home;
    const std::filesystem::path folder = home.Root() / "cross";
    std::filesystem::create_directories(folder);
    std::ofstream cases(folder / "cases.csv");
    cases << "file;T20;T30;EDT;C50;C80;D50\n";
    unsigned seed = 1;
    for (int rate : {44100, 48000})
        for (double t : {0.5, 1.2, 2.0})
            for (double noise : {-60.0, -70.0})
            {
                const std::string name =
                    "decay_" + std::to_string(rate) + "_" + std::to_string(seed) + ".wav";
                const std::vector<float> x = NoisyDecay(t, rate, noise, seed++);
                CWaveRecorder recorder;
                recorder.m_nFileChannels = 1;
                recorder.m_nSampleRate = rate;
                recorder.m_nBits = 32;
                recorder.m_bFloat = 1;
                ASSERT_EQ(recorder.Open((folder / name).string()), 1);
                recorder.WriteFloatBlock(x.data(), static_cast<int>(x.size()), 0);
                recorder.Close();
                // The program's figures of the samples as the file holds them.
                CAudioFileReader reader;
                reader.Open((folder / name).string());
                ASSERT_TRUE(reader.IsOpen());
                std::vector<float> back(x.size());
                ASSERT_EQ(reader.Read(back.data(), static_cast<int>(back.size()), 1),
                          static_cast<int>(back.size()));
                CRoomAcousticResults r;
                EvaluateRoomAcoustics(back.data(), static_cast<int>(back.size()), rate, r, -5.0, -25.0, 100,
                                      0);
                ASSERT_GT(r.m_decayTimes[1], 0.0) << name;
                cases << name << ";" << r.m_decayTimes[0] << ";" << r.m_decayTimes[1] << ";"
                      << r.m_decayTimes[2] << ";" << 10.0 * std::log10(r.m_c50) << ";"
                      << 10.0 * std::log10(r.m_c80) << ";" << r.m_d50 << "\n";
            }
    cases.close();
    platform::SpawnRequest request;
    // Debian's interpreter, which has Debian's numpy and scipy.
    request.argv.push_back("/usr/bin/python3");
    request.argv.push_back(
        (std::filesystem::path(TESSARIN_SOURCE_DIR) / "tests/engine/room_acoustics_check.py").string());
    request.argv.push_back(folder.string());
    request.mode = platform::SpawnMode::Wait;
    const platform::SpawnResult result = platform::SpawnProgram(request);
    ASSERT_TRUE(result.Started()) << "python3 could not be started";
    EXPECT_EQ(result.exitStatus, 0) << "the second implementation differs (its lines above name the figures)";
}
