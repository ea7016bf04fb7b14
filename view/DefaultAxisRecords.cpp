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

// The engine's axis presets that the kinds of display start from (log x, log y, y range, x range;
// an x range of 0 to -1 stands for the mode's full range): spectrum preset 0, FFT phase 2, time
// signal 3, MLS magnitude 7, MLS phase 5, MLS impulse response 6, impedance 8, spectrogram 9, bar
// graph 10, impulse variant 11, correlation 13, level monitor 15, frequency-sweep results 16,
// level-sweep results 17, loudness 18, reverberation over frequency 19, directivity 20,
// phonetogram 21, level logger 22.
constexpr std::array<RecordDefaults, CDefaultAxisRecords::kKindCount> kDefaults = {{
    {1, 1, -100.0, 10.0, 0.0, -1.0},     // spectrum
    {1, 0, -180.0, 180.0, 0.0, -1.0},    // FFT phase
    {0, 0, -1.1, 1.1, 0.0, -1.0},        // time signal
    {1, 1, -100.0, 10.0, 0.0, -1.0},     // MLS magnitude
    {1, 0, -180.0, 180.0, 0.0, -1.0},    // MLS phase
    {0, 0, -1.1, 1.1, 0.0, -1.0},        // MLS impulse response
    {1, 0, 0.0, 1000.0, 0.0, -1.0},      // impedance
    {1, 1, -100.0, 10.0, 0.0, -1.0},     // spectrogram
    {1, 1, -100.0, 10.0, 5.0, 21000.0},  // bar graph
    {0, 1, -60.0, 10.0, 0.0, -1.0},      // impulse variant
    {0, 0, -0.1, 1.1, 0.0, -1.0},        // correlation
    {0, 1, -60.0, 10.0, 0.0, -1.0},      // level monitor
    {1, 0, -100.0, 10.0, 0.0, -1.0},     // frequency-sweep results
    {0, 0, -100.0, 10.0, 0.0, -1.0},     // level-sweep results
    {0, 0, 0.0, 180.0, 0.0, 26.0},       // loudness
    {1, 0, 0.0, 2000.0, 0.0, -1.0},      // reverberation over frequency
    {0, 0, -100.0, 10.0, 0.0, 180.0},    // directivity
    {1, 1, -100.0, 10.0, 0.0, -1.0},     // phonetogram
    {0, 1, -60.0, 10.0, 0.0, -1.0},      // level logger
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
