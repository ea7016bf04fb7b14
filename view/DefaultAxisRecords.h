// The default axis record of each kind of display, from which a new measurement window fills its
// per-mode records. One set serves the whole program.
#pragma once

#include <array>

#include "common/settings/AxisProp.h"

class CViewSettings;

class CDefaultAxisRecords
{
public:
    enum Kind
    {
        kSpectrum,
        kFftPhase,
        kTimeSignal,
        kMlsMagnitude,
        kMlsPhase,
        kMlsImpulse,
        kImpedance,
        kSpectrogram,
        kBarGraph,
        kImpulseVariant,
        kCorrelation,
        kLevelMonitor,
        kFrequencySweep,
        kLevelSweep,
        kLoudness,
        kReverberation,
        kDirectivity,
        kPhonetogram,
        kLevelLogger,
        kKindCount
    };

    // Every kind at its default.
    CDefaultAxisRecords();
    void Reset();

    CAxisProp& Get(Kind kind) { return m_records[kind]; }
    const CAxisProp& Get(Kind kind) const { return m_records[kind]; }

    // Fills the per-mode records of a window's settings from the defaults, each mode from the kind
    // of display it shows (the custom plot's mode keeps its record).
    void FillModeRecords(CViewSettings& settings) const;

private:
    std::array<CAxisProp, kKindCount> m_records;
};

// The program's one set.
CDefaultAxisRecords& GetDefaultAxisRecords();
