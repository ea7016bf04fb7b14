// The default axis record of each kind of display, from which a new measurement window fills its
// per-mode records: each kind starts from one of the engine's axis presets.
#pragma once

#include <array>

#include "display/settings/AxisProp.h"

class CViewSettings;
class CEngineDisplayObjects;

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

    explicit CDefaultAxisRecords(CEngineDisplayObjects& objects) : m_objects(objects) {}

    // The engine preset a kind of display starts from.
    static int PresetOf(Kind kind);
    const CAxisProp& Get(Kind kind) const;

    // Fills the per-mode records of a window's settings from the defaults, each mode from the kind
    // of display it shows (the custom plot's mode keeps its record).
    void FillModeRecords(CViewSettings& settings) const;

private:
    CEngineDisplayObjects& m_objects;
};

// The program's defaults, over the program's engine display records.
const CDefaultAxisRecords& GetDefaultAxisRecords();
