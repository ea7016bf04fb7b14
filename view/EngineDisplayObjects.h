// The display records that belong to the engine's settings but are made of the plot's and the
// settings model's types: the 23 axis presets (the kinds of display start from them), the colour
// scheme, 128 curve styles and the engine's 64 channel records. The engine block of a workspace
// stores them through the hooks that Attach installs; one set serves the whole program.
//
// Threads: user-interface thread only.
#pragma once

#include <array>
#include <memory>

#include "display/ColorScheme.h"
#include "display/CurveStyle.h"
#include "display/settings/AxisProp.h"
#include "display/settings/InputChannelMatrix.h"

class CArchive;
class CSoundIn;

class CEngineDisplayObjects
{
public:
    static constexpr int kAxisPresets = 23;
    static constexpr int kCurveStyles = 128;
    // The presets the engine block stores, in their stored order.
    static constexpr std::array<int, 14> kStoredPresets = {0, 4, 3, 1, 2, 5, 6, 7, 8, 9, 10, 11, 12, 13};

    CEngineDisplayObjects();
    ~CEngineDisplayObjects();
    CEngineDisplayObjects(const CEngineDisplayObjects&) = delete;
    CEngineDisplayObjects& operator=(const CEngineDisplayObjects&) = delete;

    // The engine's defaults: presets, curve styles, channel styles, the scheme on the palette.
    void InitDefaults();

    // Storing writes the records; loading reads them aside (archive errors pass through) until
    // Commit takes them over.
    void Serialize(CArchive& ar);
    void Commit();

    // Installs the engine block's hooks on the engine and points it at the channels' operations.
    // Loaded channel records also route the engine's intake.
    void Attach(CSoundIn& engine);
    // Hands the channel records' routing (source channel, scale in dB, active flag) to the
    // engine's intake.
    void ApplyChannelRouting(CSoundIn& engine) const;

    std::array<CAxisProp, kAxisPresets> m_axisPresets;
    CColorScheme m_colorScheme;
    std::array<CCurveStyle, kCurveStyles> m_curveStyles;
    CInputChannelMatrix m_channels;

private:
    struct Loaded;
    std::unique_ptr<Loaded> m_pLoaded;
};

// The program's one set.
CEngineDisplayObjects& GetEngineDisplayObjects();
