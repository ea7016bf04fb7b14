#include "view/DefaultAxisRecords.h"

#include "common/settings/ViewSettings.h"

#include <utility>

namespace
{

struct RecordDefaults
{
    int logX;
    int logY;
    double yMin;
    double yMax;
    double xMin;
    double xMax;  // below xMin: the full range of the mode
};

// What a new window shows in each kind of display: decibel spectra on a logarithmic frequency axis
// over the audio band, time signals linear over the whole block.
constexpr std::array<RecordDefaults, CDefaultAxisRecords::kKindCount> kDefaults = {{
    {1, 1, -120.0, 0.0, 20.0, 20000.0},    // spectrum
    {1, 0, -180.0, 180.0, 20.0, 20000.0},  // FFT phase
    {0, 0, -1.1, 1.1, 0.0, -1.0},          // time signal
    {1, 1, -60.0, 20.0, 20.0, 20000.0},    // MLS magnitude
    {1, 0, -180.0, 180.0, 20.0, 20000.0},  // MLS phase
    {0, 0, -1.1, 1.1, 0.0, -1.0},          // MLS impulse response
    {1, 0, 0.0, 100.0, 20.0, 20000.0},     // impedance
    {1, 1, -120.0, 0.0, 20.0, 20000.0},    // spectrogram
    {1, 1, -100.0, 0.0, 20.0, 20000.0},    // bar graph
    {0, 1, -60.0, 0.0, 0.0, -1.0},         // impulse variant
    {0, 0, -0.1, 1.1, 0.0, -1.0},          // correlation
    {0, 1, -100.0, 0.0, 0.0, -1.0},        // level monitor
    {1, 1, -100.0, 10.0, 20.0, 20000.0},   // frequency-sweep results
    {0, 1, -100.0, 10.0, 0.0, -1.0},       // level-sweep results
    {0, 0, 0.0, 20.0, 0.0, 24.0},          // loudness
    {1, 0, 0.0, 3000.0, 0.0, -1.0},        // reverberation over frequency
    {0, 1, -40.0, 0.0, 0.0, -1.0},         // directivity
    {1, 1, -100.0, 0.0, 30.0, 2000.0},     // phonetogram
    {0, 1, -100.0, 0.0, 0.0, -1.0},        // level logger
}};

// The modes each kind fills.
const std::array<std::pair<CDefaultAxisRecords::Kind, std::array<int, 4>>, 19> kModesOfKind = {{
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

CDefaultAxisRecords::CDefaultAxisRecords()
{
    Reset();
}

void CDefaultAxisRecords::Reset()
{
    for (std::size_t kind = 0; kind < m_records.size(); ++kind)
    {
        CAxisProp& record = m_records[kind];
        record = CAxisProp();
        record.m_bLogX = kDefaults[kind].logX;
        record.m_bLogY = kDefaults[kind].logY;
        record.m_dYMin = kDefaults[kind].yMin;
        record.m_dYMax = kDefaults[kind].yMax;
        record.m_dXMin = kDefaults[kind].xMin;
        record.m_dXMax = kDefaults[kind].xMax;
    }
}

void CDefaultAxisRecords::FillModeRecords(CViewSettings& settings) const
{
    for (const auto& [kind, modes] : kModesOfKind)
        for (int mode : modes)
            if (mode >= 0)
                settings.m_ModeAxes[static_cast<std::size_t>(mode)].CopyFrom(m_records[kind]);
}

CDefaultAxisRecords& GetDefaultAxisRecords()
{
    static CDefaultAxisRecords records;
    return records;
}
