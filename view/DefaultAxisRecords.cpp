#include "view/DefaultAxisRecords.h"

#include "display/settings/ViewSettings.h"
#include "view/EngineDisplayObjects.h"

#include <utility>

namespace
{

// The preset of each kind, in the order of the kinds: the presets' ranges and log flags say which
// display each was made for.
constexpr std::array<int, CDefaultAxisRecords::kKindCount> kPresetOfKind = {
    0,   // spectrum
    2,   // FFT phase
    3,   // time signal
    7,   // MLS magnitude
    5,   // MLS phase
    6,   // MLS impulse response
    8,   // impedance
    9,   // spectrogram
    10,  // bar graph
    11,  // impulse variant
    13,  // correlation
    15,  // level monitor
    16,  // frequency-sweep results
    17,  // level-sweep results
    18,  // loudness
    19,  // reverberation over frequency
    20,  // directivity
    21,  // phonetogram
    22,  // level logger
};

// The modes each kind fills.
const std::array<std::pair<CDefaultAxisRecords::Kind, std::array<int, 4>>, CDefaultAxisRecords::kKindCount>
    kModesOfKind = {{
        {CDefaultAxisRecords::kSpectrum, {0, 257, -1, -1}},
        {CDefaultAxisRecords::kFftPhase, {8, -1, -1, -1}},
        {CDefaultAxisRecords::kTimeSignal, {1, 256, 261, 320}},
        {CDefaultAxisRecords::kMlsMagnitude, {2, -1, -1, -1}},
        {CDefaultAxisRecords::kMlsPhase, {3, 258, 263, -1}},
        {CDefaultAxisRecords::kMlsImpulse, {4, -1, -1, -1}},
        {CDefaultAxisRecords::kImpedance, {5, -1, -1, -1}},
        {CDefaultAxisRecords::kSpectrogram, {6, -1, -1, -1}},
        {CDefaultAxisRecords::kBarGraph, {32, -1, -1, -1}},
        {CDefaultAxisRecords::kImpulseVariant, {36, 259, 260, -1}},
        {CDefaultAxisRecords::kCorrelation, {7, -1, -1, -1}},
        {CDefaultAxisRecords::kLevelMonitor, {64, -1, -1, -1}},
        {CDefaultAxisRecords::kFrequencySweep, {96, -1, -1, -1}},
        {CDefaultAxisRecords::kLevelSweep, {128, -1, -1, -1}},
        {CDefaultAxisRecords::kLoudness, {160, -1, -1, -1}},
        {CDefaultAxisRecords::kReverberation, {262, -1, -1, -1}},
        {CDefaultAxisRecords::kDirectivity, {9, -1, -1, -1}},
        {CDefaultAxisRecords::kPhonetogram, {288, -1, -1, -1}},
        {CDefaultAxisRecords::kLevelLogger, {271, -1, -1, -1}},
    }};

}  // namespace

int CDefaultAxisRecords::PresetOf(Kind kind)
{
    return kPresetOfKind[static_cast<std::size_t>(kind)];
}

const CAxisProp& CDefaultAxisRecords::Get(Kind kind) const
{
    return m_objects.m_axisPresets[static_cast<std::size_t>(PresetOf(kind))];
}

void CDefaultAxisRecords::FillModeRecords(CViewSettings& settings) const
{
    for (const auto& [kind, modes] : kModesOfKind)
        for (int mode : modes)
            if (mode >= 0)
                settings.m_ModeAxes[static_cast<std::size_t>(mode)].CopyFrom(Get(kind));
}

const CDefaultAxisRecords& GetDefaultAxisRecords()
{
    static const CDefaultAxisRecords records(GetEngineDisplayObjects());
    return records;
}
