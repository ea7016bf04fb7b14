// The routing of the engine's generators to up to 64 output channels: the 64 channel records, one
// level statistic per output channel, the mixing of rendered generator blocks into the output
// channels, and the coupling that makes the other generators follow a master generator's frequency
// by a fixed ratio or a fixed offset.
//
// Threads: MixGenerators runs on the output callback's thread and reads the channel records and the
// global level without a lock; everything else runs on the user-interface thread.
#pragma once

#include "engine/GeneratorChannelSettings.h"
#include "engine/OutputLevelStats.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>

class CArchive;
class CGenerator;

class CGeneratorMatrix
{
public:
    static constexpr int kMaxGenerators = 64;
    // The generator that a channel in copy mode carries ("Test signal").
    static constexpr int kTestGenerator = 10;
    static constexpr int kCouplingNone = 0;
    static constexpr int kCouplingRatio = 1;
    static constexpr int kCouplingOffset = 2;

    CGeneratorMatrix();

    // Six values, little-endian: master level, master frequency (doubles), coupling mode, a reserved
    // word, master index and generator count (int32). Loading re-selects the master when coupled.
    void Serialize(CArchive& ar);
    void SelectMasterChannel(int index);
    // One step of the coupling: when the master's frequency moved, the others follow.
    void CoupleFrequencies();
    void SetSampleRate(double rate);
    double GetOutputRms(int channel) const;
    double GetOutputRmsCalibrated(int channel) const;
    // The level factor of every calibrated channel for the level L (volts).
    void SetChannelLevels(double level);

    // Mixes rendered generator blocks into `outputChannels` output blocks of `frames` samples each
    // (channel k at out[k * frames]). renders[g] is generator g's interleaved block of frames x
    // `channelsPerRender` samples, or null when the generator was not rendered: it is then mixed as
    // silence. Sums saturate at the int32 range. Every active channel's block goes to its statistic.
    void MixGenerators(std::span<std::int32_t> out, int outputChannels, int frames,
                       std::span<const std::int32_t* const> renders, int channelsPerRender);

    double m_master_level = 0.0;
    double m_master_frequency = 0.0;
    std::int32_t m_coupling = kCouplingNone;
    std::int32_t m_reserved = 0;
    std::int32_t m_master_index = 0;
    std::int32_t m_generator_count = 0;
    CGeneratorMatrix_settings m_settings;
    std::array<COutputLevelStats, kGeneratorOutputChannels> m_stats;
    std::array<double, kMaxGenerators> m_frequency{};
    std::array<double, kMaxGenerators> m_level{};
    double m_global_level_db = 0.0;
    std::array<CGenerator*, kMaxGenerators> m_generators{};
    // Refreshes generator i's frequency controls (its panel window); none by default.
    std::function<void(int)> m_refreshFrequency;

private:
    int GeneratorCount() const;
};
