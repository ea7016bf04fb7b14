// The complete display state of one measurement window: analyser-mode switches, axes per view mode,
// channels, overlays, parameter windows, annotations, bar-graph, math-curve, distortion and
// intermodulation options and the print texts. The workspace file stores one per window; its stored
// form (Serialize) is a contract.
#pragma once

#include <array>
#include <string>

#include "common/settings/WindowSettings.h"
#include "display/AnnotationList.h"
#include "display/ColorScheme.h"
#include "display/CurveStyle.h"
#include "display/settings/AxisProp.h"
#include "display/settings/InputChannelMatrix.h"
#include "display/settings/OverlaySettings.h"
#include "display/settings/ParamViewSettings.h"
#include "display/settings/PlotSettingsRecords.h"
#include "display/settings/VectorscopeSettings.h"

class CArchive;

class CViewSettings
{
public:
    static constexpr int kOverlayCount = 10;
    static constexpr int kParamViewCount = 16;
    static constexpr int kModeCount = 1024;
    static constexpr int kPlacementCount = 3;
    static constexpr int kMathCurveCount = 3;
    static constexpr int kReservedWords = 256;
    // Keys of the string carriers of the parameter-window labels: kParamLabelKey + window index.
    static constexpr int kParamLabelKey = 450000;
    // A stored reserved block longer than this is refused.
    static constexpr std::size_t kMaxReservedWords = 1 << 20;
    // A stored math-curve style count above this is refused; counts above three are read and dropped.
    static constexpr std::size_t kMaxMathCurveStyles = 1024;

    CViewSettings();
    virtual ~CViewSettings() = default;
    CViewSettings(const CViewSettings&) = delete;
    CViewSettings& operator=(const CViewSettings&) = delete;

    // Stores or loads the record; archive errors pass through and leave it partly loaded.
    void Serialize(CArchive& ar);

    // Undo zoom: the axes in force go to redo, undo comes back. Redo is the mirror.
    void UndoZoom();
    void RedoZoom();

    CColorScheme m_ColorScheme;
    std::string m_strPrintAnnotation = "Tessarin\r\nPrint annotations";
    void* m_pOwnerView = nullptr;  // the window that holds this slot; null: the slot is free
    int m_bPrintAnnotation = 1;
    std::string m_strWindowTitle;
    int m_bBarGraph = 0;
    int m_nBandsPerOctave = 0;
    int m_nTimeWeighting = 3;
    int m_nBarsPerOctave = 5;
    int m_bPeakHold = 1;
    int m_bSpectrogram = 0;
    int m_bPolar = 0;
    int m_nDisplayKind = 0;
    int m_bFreqSweepPlot = 0;
    int m_bLevelSweepPlot = 0;
    int m_nSweepResultType = 0;
    int m_nSweepPlotOptions = 0;
    int m_bSpecificLoudness = 0;
    int m_bPhonetogram = 0;
    int m_bAttenuationPlot = 0;
    int m_bLoggerResults = 0;
    int m_nLoggerResultType = 0;
    double m_dLoggerCentreFrequency = -1.0;
    int m_nLoggerWeighting = 0;
    CVectorscope_settings m_Vectorscope;
    CPolar_sweep_settings m_PolarSweep;
    Sweep2DSettings m_Sweep2D;
    double m_dSampleRate = -1.0;
    int m_nRefreshMs = 100;
    double m_dBarDecay = 30.0;
    double m_dSpare1;  // 10^-0.3; stored, not used
    double m_dPeakDecay = 0.0;
    double m_dSpare2 = 1.0;  // stored, not used
    int m_nMathFunction = 3;
    int m_nMathMode = 0;
    std::array<CCurveStyle, kMathCurveCount> m_MathCurveStyles;
    std::array<CParamView_settings, kParamViewCount> m_ParamViews;
    std::array<COverlay_settings, kOverlayCount> m_Overlays;
    std::array<DynamicOverlaySettings, kOverlayCount> m_DynamicOverlays;
    std::array<CAxisProp, kModeCount> m_ModeAxes;
    CAxisProp m_Axes;
    CAxisProp m_UndoAxes;
    CAxisProp m_RedoAxes;
    int m_bThdPercent = 0;
    int m_nHarmonicsMask = 3;  // bit 0 even, bit 1 odd harmonics
    int m_nMaxHarmonics = 5;
    int m_bHarmonicMarkers = 0;
    int m_bIntermodulation = 0;
    int m_nSpareInt = 0;  // stored, not used
    int m_bImpulseAutoUpdate = 0;
    int m_nHistoryDepth = 0;
    int m_bJetColours = 1;
    CAnnotationList m_Annotations;
    CInputChannelMatrix m_Channels;
    std::array<CWindow_settings, kPlacementCount> m_WindowPlacements;
    int m_bTonality = 0;
    int m_nDecimation = 0;
    double m_dImFrequency1 = 60.0;
    double m_dImFrequency2 = 4000.0;
    std::array<int, 4> m_bImOrder{1, 1, 0, 0};
    // "Enable THD" and "Enable IMD" of the THD settings: the readouts show THD or IMD. Not stored in
    // the workspace.
    int m_bEnableThd = 1;
    int m_bEnableImd = 0;
};
