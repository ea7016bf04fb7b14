#include "app/CommandTable.h"

#include "app/CommandHandlers.h"
#include "app/MainFrame.h"
#include "applications/ImpulseAnalysisCommands.h"
#include "texts/TextTable.h"
#include "view/SndView.h"

#include <array>

namespace
{

using namespace command_id;
using namespace commands;
namespace tb = toolbar_bit;
constexpr auto kCheck = CommandKind::kCheck;
constexpr auto kNormal = CommandKind::kNormal;
constexpr std::uint32_t kAnalyserBar = tb::kMain;
constexpr std::uint32_t kGap = tb::kGapBefore;

constexpr std::array<const char*, 12> kMenuOrder = {
    "&File", "&Edit", "&View", "&Options", "DSP", "ASIO", "Easy Measurements", "Presets", "&Plug-Ins",
    "Module", "&Window", "&Help"};

// THE COMMAND TABLE. To add a command, add one row here:
//   {id, "Menu/Item\tAccel" or nullptr, caption text id or 0, toolbar_bit:: set, "icon" or nullptr,
//    handler or nullptr, updater or nullptr, kNormal or kCheck},
// - Rows keep the order of their menu and of each toolbar; a new top-level menu also goes into
//   kMenuOrder above.
// - A button needs resources/icons/<icon>.svg (run scripts/render-icons.sh and commit the PNGs).
// - Every command has an English prompt ("status text\ntool tip") in CommandPrompts.cpp.
// - Declare the handler in CommandHandlers.h (or a header of its own) and name it here. A row
//   whose handler is nullptr stays out of the menus and toolbars until the handler exists; the
//   README lists those. tests/app/CommandTableTest.cpp fires every item and button that shows (in
//   both GUI modes and all languages; modal dialogs are answered with Cancel).
// clang-format off
const CommandEntry kCommands[] = {
    // id                                 menu path                                   text id  toolbars                icon              handler            updater                  kind
    {kFileNew,                            "&File/&New\tCtrl+N",                       0,       tb::kMain,              "file-new",       FileNew,           nullptr,                 kNormal},
    {kFileOpen,                           "&File/&Open...\tCtrl+O",                   0,       tb::kMain,              "file-open",      FileOpen,          nullptr,                 kNormal},
    {kFileClose,                          "&File/&Close",                             0,       tb::kNone,              nullptr,          FileClose,         nullptr,                 kNormal},
    {kFileSave,                           "&File/&Save\tCtrl+S",                      0,       tb::kMain,              "file-save",      FileSave,          nullptr,                 kNormal},
    {kFileSaveAs,                         "&File/Save &As...",                        0,       tb::kNone,              nullptr,          FileSaveAs,        nullptr,                 kNormal},
    {kAnalyzeWaveFile,                    "&File/|Analyze wave file...",              0,       tb::kNone,              nullptr,          AnalyzeWaveFile,   UpdateAnalyzeWaveFile,      kCheck},
    {kStopWaveFileAnalyzer,               "&File/Stop wave file analyzer",            0,       tb::kNone,              nullptr,          StopWaveFileAnalyzer, UpdateStopWaveFileAnalyzer, kNormal},
    {view_command::kAudioRecorder,        "&File/Audio recorder...",                  0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kLoadConfig,           "&File/|Load config...",                    0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kSaveConfig,           "&File/Save config...",                     0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kSaveState,            "&File/Save state",                         0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {kFilePrint,                          "&File/|&Print...\tCtrl+P",                 0,       tb::kMain | kGap,       "print",          FilePrint,         nullptr,                 kNormal},
    {kFilePrintPreview,                   "&File/Print Pre&view",                     0,       tb::kNone,              nullptr,          FilePrintPreview,  nullptr,                 kNormal},
    {kFilePrintSetup,                     "&File/P&rint Setup...",                    0,       tb::kNone,              nullptr,          FilePrintSetup,    nullptr,                 kNormal},
    {kFileMru1,                           "&File/|Recent File 1",                     0,       tb::kNone,              nullptr,          OpenRecentFile,    UpdateRecentFile,        kNormal},
    {kFileMru1 + 1,                       "&File/Recent File 2",                      0,       tb::kNone,              nullptr,          OpenRecentFile,    UpdateRecentFile,        kNormal},
    {kFileMru1 + 2,                       "&File/Recent File 3",                      0,       tb::kNone,              nullptr,          OpenRecentFile,    UpdateRecentFile,        kNormal},
    {kFileMru1 + 3,                       "&File/Recent File 4",                      0,       tb::kNone,              nullptr,          OpenRecentFile,    UpdateRecentFile,        kNormal},
    {kAppExit,                            "&File/|E&xit",                             0,       tb::kNone,              nullptr,          AppExit,           nullptr,                 kNormal},
    {kEditCopy,                           "&Edit/&Copy\tCtrl+C",                      0,       tb::kNone,              nullptr,          EditCopy,          nullptr,                 kNormal},
    {kCopyAsBitmap,                       "&Edit/Copy as Bitmap",                     1000417, tb::kNone,              nullptr,          EditCopy,          nullptr,                 kNormal},
    {kViewToolbar,                        "&View/&Toolbar",                           1000523, tb::kNone,              nullptr,          ViewToolbar,       UpdateViewToolbar,       kCheck},
    {kViewStatusBar,                      "&View/&Status Bar",                        1000524, tb::kNone,              nullptr,          ViewStatusBar,     UpdateViewStatusBar,     kCheck},
    {kExpertMode,                         "&View/|Expert Mode",                       0,       tb::kNone,              nullptr,          ExpertMode,        UpdateExpertMode,        kCheck},
    {view_command::kMeasurementsCurve1,   "&View/|Measurements curve 1",              0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kMeasurementsCurve2,   "&View/Measurements curve 2",               0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kShowResults,          "&View/Show results",                       1000531, tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kShowMarker,           "&View/Show Marker",                        1000568, tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kRoomAcoustics,        "&View/Room acoustics",                     1000115, tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kDisplayProperties,    "&View/Display properties",                 0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kLegend,               "&View/Legend",                             0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    // The "Overlay" submenu; the active measurement window rebuilds it with its overlays' names.
    {view_command::kSetAsOverlay,         "&View/Overlay/Set as Overlay",             1000349, tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kConfigOverlays,       "&View/Overlay/setup",                      1000288, tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kLoadOverlayText,      "&View/Overlay/Load a text file",           1000350, tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kSaveOverlayText,      "&View/Overlay/Save to a text file",        1000351, tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kDynamicOverlay,       "&View/Overlay/Dynamic overlay",            1000352, tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kAutoLoadLimits,       "&View/Overlay/Auto load frequency response limits", 1000353, tb::kNone,     nullptr,          ToActiveView,      nullptr,                 kNormal},
    {32858,                               "&View/Overlay/|Overlay 1",                      0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {32859,                               "&View/Overlay/Overlay 2",                       0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {32860,                               "&View/Overlay/Overlay 3",                       0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {32861,                               "&View/Overlay/Overlay 4",                       0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {32862,                               "&View/Overlay/Overlay 5",                       0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {32863,                               "&View/Overlay/Overlay 6",                       0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {32864,                               "&View/Overlay/Overlay 7",                       0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {32865,                               "&View/Overlay/Overlay 8",                       0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {32866,                               "&View/Overlay/Overlay 9",                       0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {32867,                               "&View/Overlay/Overlay 10",                      0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kAddParamView,         "&View/|Add ParamView",                     0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kAlignParamViews,      "&View/Align ParamViews",                   0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    // The active measurement window's "DSP" menu: filters on every input channel.
    {view_command::kNotch1kHz,            "DSP/1kHz notch",                           0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kDcBlock,              "DSP/DC block",                             0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kFirstFreeFilter + 0,  "DSP/|Filter #1",                           0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kFirstFreeFilter + 1,  "DSP/Filter #2",                            0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kFirstFreeFilter + 2,  "DSP/Filter #3",                            0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kFirstFreeFilter + 3,  "DSP/Filter #4",                            0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kFirstFreeFilter + 4,  "DSP/Filter #5",                            0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kFirstFreeFilter + 5,  "DSP/Filter #6",                            0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kFirstFreeFilter + 6,  "DSP/Filter #7",                            0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kFirstFreeFilter + 7,  "DSP/Filter #8",                            0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kFirstFreeFilter + 8,  "DSP/Filter #9",                            0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kFirstFreeFilter + 9,  "DSP/Filter #10",                           0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kHumFilter,            "DSP/Hum",                                  0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kRiaaFilter,           "DSP/RIAA",                                 0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kChannelDelay,         "DSP/Delay",                                0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kThirdOctaveFilterbank, "DSP/|1\u22153 octave filterbank",         0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kOctaveFilterbank,     "DSP/Octave filterbank",                    0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kDemodulator,          "DSP/Demodulator",                          0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kMusicalNotes,         "DSP/|Musical notes",                       0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {kSelectAsio,                          "ASIO/select ASIO",                              0,       tb::kNone,              nullptr,          SelectAsio,        UpdateInputMode,         kCheck},
    {kConfigureAsio,                       "ASIO/Configure",                                0,       tb::kNone,              nullptr,          ConfigureAsio,     nullptr,                 kNormal},
    {kAsioGenerator1,                      "ASIO/ASIO Generator #1",                        0,       tb::kNone,              nullptr,          ShowAsioGenerator, nullptr,                 kNormal},
    {kAsioGenerator1 + 1,                  "ASIO/ASIO Generator #2",                        0,       tb::kNone,              nullptr,          ShowAsioGenerator, nullptr,                 kNormal},
    {kAsioGenerator1 + 2,                  "ASIO/ASIO Generator #3",                        0,       tb::kNone,              nullptr,          ShowAsioGenerator, nullptr,                 kNormal},
    {kAsioGenerator1 + 3,                  "ASIO/ASIO Generator #4",                        0,       tb::kNone,              nullptr,          ShowAsioGenerator, nullptr,                 kNormal},
    {kAsioGenerator1 + 4,                  "ASIO/ASIO Generator #5",                        0,       tb::kNone,              nullptr,          ShowAsioGenerator, nullptr,                 kNormal},
    {kAsioGenerator1 + 5,                  "ASIO/ASIO Generator #6",                        0,       tb::kNone,              nullptr,          ShowAsioGenerator, nullptr,                 kNormal},
    {kAsioGenerator1 + 6,                  "ASIO/ASIO Generator #7",                        0,       tb::kNone,              nullptr,          ShowAsioGenerator, nullptr,                 kNormal},
    {kAsioGenerator1 + 7,                  "ASIO/ASIO Generator #8",                        0,       tb::kNone,              nullptr,          ShowAsioGenerator, nullptr,                 kNormal},
    {kAsioGenerator1 + 8,                  "ASIO/ASIO Generator #9",                        0,       tb::kNone,              nullptr,          ShowAsioGenerator, nullptr,                 kNormal},
    {kAsioGenerator1 + 9,                  "ASIO/ASIO Generator #10",                       0,       tb::kNone,              nullptr,          ShowAsioGenerator, nullptr,                 kNormal},
    {kAsioTestSignal,                     "ASIO/Test signal",                         0,       tb::kNone,              nullptr,          ShowAsioGenerator, nullptr,                 kNormal},
    {view_command::kLinkFrequencyDiff,    "ASIO/Generator/Link generators/Frequency (Diff)",   0, tb::kNone,      nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kLinkFrequencyFactor,  "ASIO/Generator/Link generators/Frequency (Factor)", 0, tb::kNone,      nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kLinkVolume,           "ASIO/Generator/Link generators/Volume",    0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kGeneratorLevel,       "ASIO/Generator/Level",                     0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kOutputMatrix,         "ASIO/Generator/Output Matrix",             0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kTrackingLevel,        "ASIO/Generator/Tracking Level",            0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kCustomReport,         "Easy Measurements/Your custom report",     0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    // The measurement presets: a ready-made workspace, started at once.
    {33001,                               "Easy Measurements/|LIVE Monitor",          1000497, tb::kNone,              nullptr,          MeasurementPreset, nullptr,                 kNormal},
    {33093,                               "Easy Measurements/Oktav",                  0,       tb::kNone,              nullptr,          MeasurementPreset, nullptr,                 kNormal},
    {33071,                               "Easy Measurements/FFT",                    0,       tb::kNone,              nullptr,          PresetFft,         nullptr,                 kNormal},
    {33100,                               "Easy Measurements/Impact sound",           0,       tb::kNone,              nullptr,          MeasurementPreset, nullptr,                 kNormal},
    {33106,                               "Easy Measurements/Long-term sound recording", 0,    tb::kNone,              nullptr,          MeasurementPreset, nullptr,                 kNormal},
    {33081,                               "Easy Measurements/Ultraschall",            0,       tb::kNone,              nullptr,          MeasurementPreset, nullptr,                 kNormal},
    {33088,                               "Easy Measurements/48kHz",                  0,       tb::kNone,              nullptr,          MeasurementPreset, nullptr,                 kNormal},
    {33082,                               "Easy Measurements/DIN45680",               0,       tb::kNone,              nullptr,          MeasurementPreset, nullptr,                 kNormal},
    {33084,                               "Easy Measurements/DIN15905-5",             0,       tb::kNone,              nullptr,          MeasurementPreset, nullptr,                 kNormal},
    {kPresetsSecondPhase,                 nullptr,                                    0,       tb::kNone,              nullptr,          PresetSecondPhase, nullptr,                 kNormal},
    {33072,                               nullptr,                                    0,       tb::kNone,              nullptr,          PresetFftLayout,   nullptr,                 kNormal},
    // The user presets; the menu shows their stored names (UpdatePresetsMenu).
    {32848,                               "Presets/Preset 1",                         1000500, tb::kNone,              nullptr,          UserPreset,        nullptr,                 kNormal},
    {32849,                               "Presets/Preset 2",                         1000501, tb::kNone,              nullptr,          UserPreset,        nullptr,                 kNormal},
    {32850,                               "Presets/Preset 3",                         1000502, tb::kNone,              nullptr,          UserPreset,        nullptr,                 kNormal},
    {32851,                               "Presets/Preset 4",                         1000503, tb::kNone,              nullptr,          UserPreset,        nullptr,                 kNormal},
    {32852,                               "Presets/Preset 5",                         1000504, tb::kNone,              nullptr,          UserPreset,        nullptr,                 kNormal},
    {32853,                               "Presets/Preset 6",                         1000505, tb::kNone,              nullptr,          UserPreset,        nullptr,                 kNormal},
    {32854,                               "Presets/Preset 7",                         1000506, tb::kNone,              nullptr,          UserPreset,        nullptr,                 kNormal},
    {32855,                               "Presets/Preset 8",                         1000507, tb::kNone,              nullptr,          UserPreset,        nullptr,                 kNormal},
    {32856,                               "Presets/Preset 9",                         1000508, tb::kNone,              nullptr,          UserPreset,        nullptr,                 kNormal},
    {32857,                               "Presets/Preset 10",                        1000509, tb::kNone,              nullptr,          UserPreset,        nullptr,                 kNormal},
    {33050,                               "Presets/|setup",                           1000288, tb::kNone,              nullptr,          PresetsSetup,      nullptr,                 kNormal},
    {kSettings,                           "&Options/&Settings...",                    0,       tb::kNone,              nullptr,          Settings,          nullptr,                 kNormal},
    {kAdvancedSettings,                   "&Options/Adv. Settings...",                0,       tb::kNone,              nullptr,          AdvancedSettings,  nullptr,                 kNormal},
    {kTriggerSettings,                    "&Options/Trigger Settings...",             0,       tb::kNone,              nullptr,          TriggerSettings,   nullptr,                 kNormal},
    {kImpedanceSettings,                  "&Options/Impedance Settings...",           0,       tb::kNone,              nullptr,          ImpedanceSettings, nullptr,                 kNormal},
    {kDsp,                                "&Options/DSP...",                          0,       tb::kNone,              nullptr,          Dsp,               nullptr,                 kNormal},
    {kAudioMonitor,                       "&Options/Audio Monitor",                   0,       tb::kNone,              nullptr,          AudioMonitor,      nullptr,                 kNormal},
    {view_command::kChannelConfiguration, "&Options/Channel configuration",           0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kCalibrateLevels,      "&Options/Calibrate levels",                0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {kMicCalibration,                     "&Options/Mic. calibration",                0,       tb::kNone,              nullptr,          MicCalibration,    nullptr,                 kNormal},
    // "Load/Save Reference": the "/" of the caption is U+2215, since "/" would open a submenu.
    {kLoadSaveReference,                  "&Options/Load\u2215Save Reference",        0,       tb::kNone,              nullptr,          LoadSaveReference, nullptr,                 kNormal},
    {kSynchronize,                        "&Options/Synchronize",                     1000424, tb::kNone,              nullptr,          Synchronize,       nullptr,                 kNormal},
    {kAudioMixer,                         "&Options/Audio &Mixer...",                 0,       tb::kNone,              nullptr,          AudioMixer,          nullptr,                 kNormal},
    {kLanguage,                           "&Options/&Language...",                    1000540, tb::kNone,              nullptr,          Language,          nullptr,                 kNormal},
    {kPreferences,                        "&Options/&Preferences...",                 1000425, tb::kNone,              nullptr,          Preferences,          nullptr,                 kNormal},
    // The plug-in analyses of the active measurement window.
    {kSelectInputLibrary,                 "&Plug-Ins/External input driver",          0,       tb::kNone,              nullptr,          SelectInputLibrary, UpdateInputMode,        kCheck},
    {kConfigureInputLibrary,              "&Plug-Ins/configure external input driver", 0,      tb::kNone,              nullptr,          ConfigureInputLibrary, nullptr,            kNormal},
    {view_command::kTonality,             "&Plug-Ins/Tonality (DIN45681)",            0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kLoudness,             "&Plug-Ins/Loudness (sone)",                1000455, tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kSpecificLoudness,     "&Plug-Ins/Specific loudness",              0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kVectorscope,          "&Plug-Ins/Vectorscope...",                 0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kNormal},
    {view_command::kTimeCorrelation,      "&Plug-Ins/Time correlation",               1000438, tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kLevelMonitor,         "&Plug-Ins/Level monitor...",               0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    // "Flutrix/wow and flutter": the "/" of the caption is U+2215, since "/" would open a submenu.
    {view_command::kWowAndFlutter,        "&Plug-Ins/Flutrix\u2215wow and flutter",   1000440, tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    // Speech intelligibility.
    {32824,                               "&Plug-Ins/|Display STI+RASTI",             1000459, tb::kNone,              nullptr,          DisplayStiRasti,   nullptr,                 kNormal},
    {33000,                               "&Plug-Ins/SNR",                            1000544, tb::kNone,              nullptr,          StiSignalToNoise,  nullptr,                 kNormal},
    {view_command::kPhonetogram,          "&Plug-Ins/Phontetogram/Phonetogram",                0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kPhonetogramLoad,      "&Plug-Ins/Phontetogram/Load...",                    0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kPhonetogramSave,      "&Plug-Ins/Phontetogram/Save...",                    0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kPhonetogramFast,      "&Plug-Ins/Phontetogram/|Schnelle Anzeige",          0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kPhonetogramSingleTones, "&Plug-Ins/Phontetogram/Einzeltöne",               0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kPhonetogramDeleteLastTone, "&Plug-Ins/Phontetogram/Letzten Ton löschen",   0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kPhonetogramSettings,  "&Plug-Ins/Phontetogram/|Einstellungen...",          0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    // The window's own impulse response; the Impulse toolbar shows three of its plots.
    {view_command::kUseCurrentMeasurement, "&Plug-Ins/Impulse response/Use current measurement", 0, tb::kNone,  nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kLoadImpulse,          "&Plug-Ins/Impulse response/load  file",    0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kSaveImpulseText,      "&Plug-Ins/Impulse response/Save to .txt file", 0,   tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kSaveImpulseWav,       "&Plug-Ins/Impulse response/Save .wav file", 0,      tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kImpulseAutoUpdate,    "&Plug-Ins/Impulse response/Auto update",   0,       tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kUnloadImpulse,        "&Plug-Ins/Impulse response/Unload",        0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kPlotImpulse,          "&Plug-Ins/Impulse response/|Plot impulse", 0,       tb::kImpulse,           "impulse",        ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kPlotFreqResponse,     "&Plug-Ins/Impulse response/Plot freq. response", 0, tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kPlotPhaseResponse,    "&Plug-Ins/Impulse response/Plot phase response", 0, tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kPlotEnergyTime,       "&Plug-Ins/Impulse response/Plot energy time curve", 0, tb::kImpulse,        "etc",            ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kPlotEnergyDecay,      "&Plug-Ins/Impulse response/Plot energy decay", 0,   tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kPlotStepResponse,     "&Plug-Ins/Impulse response/Plot step response", 0,  tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kPlotReverbVsFrequency, "&Plug-Ins/Impulse response/Plot reverberation vs. frequency", 0, tb::kImpulse, "rt",           ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kPlotGroupDelay,       "&Plug-Ins/Impulse response/Plot group delay", 0,    tb::kNone,              nullptr,          ToActiveView,      UpdateActiveViewCommand, kCheck},
    // The impulse analyses and reports and the measurement series: the applications take them first.
    {impulse_command::kImpulseReport,     "&Plug-Ins/Impulse response/|Report",       0,       tb::kNone,              nullptr,          ToImpulseAnalyses, UpdateImpulseAnalysisCommand, kNormal},
    {impulse_command::kEnergyDecayReport, "&Plug-Ins/Impulse response/Energieabklingkurven als Bericht", 0, tb::kNone, nullptr,          ToImpulseAnalyses, UpdateImpulseAnalysisCommand, kNormal},
    {impulse_command::kOctaveEnergyDecay, "&Plug-Ins/Impulse response/Energieabklingkurven in Oktaven", 0, tb::kNone,  nullptr,          ToImpulseAnalyses, UpdateImpulseAnalysisCommand, kNormal},
    {impulse_command::kStiRasti,          "&Plug-Ins/Impulse response/ STI+RASTI",    0,       tb::kNone,              nullptr,          ToImpulseAnalyses, UpdateImpulseAnalysisCommand, kNormal},
    {impulse_command::kWaveFileAnalysis,  "&Plug-Ins/Impulse response/Wave Datei Analyse", 0,  tb::kNone,              nullptr,          ToImpulseAnalyses, UpdateImpulseAnalysisCommand, kNormal},
    {impulse_command::kSeriesAverage,     "&Plug-Ins/Measurement series/Average",     0,       tb::kNone,              nullptr,          ToImpulseAnalyses, UpdateImpulseAnalysisCommand, kNormal},
    {impulse_command::kSeriesStatistics,  "&Plug-Ins/Measurement series/Statistics",  0,       tb::kNone,              nullptr,          ToImpulseAnalyses, UpdateImpulseAnalysisCommand, kNormal},
    {kWindowNew,                          "&Window/&New Window",                      0,       tb::kNone,              nullptr,          WindowNew,         nullptr,                 kNormal},
    {kWindowCascade,                      "&Window/&Cascade",                         0,       tb::kNone,              nullptr,          WindowCascade,     nullptr,                 kNormal},
    {kWindowTileHorz,                     "&Window/&Tile",                            0,       tb::kNone,              nullptr,          WindowTile,        nullptr,                 kNormal},
    {kWindowArrange,                      "&Window/&Arrange Icons",                   0,       tb::kNone,              nullptr,          WindowArrange,     nullptr,                 kNormal},
    {kAppAbout,                           "&Help/&About Tessarin...",                 0,       tb::kMain,              "about",          AppAbout,          nullptr,                 kNormal},
    {kFileNewKeepSettings,                nullptr,                                    0,       tb::kNone,              nullptr,          FileNewKeepSettings, nullptr,               kNormal},
    // The measurement window's analyser buttons.
    {view_command::kStart,                nullptr,                                    0,       kAnalyserBar | kGap,    "start",          ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kStop,                 nullptr,                                    0,       kAnalyserBar,           "stop",           ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kFftAnalyzer,          nullptr,                                    0,       kAnalyserBar | kGap,    "fft",            ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kMls,                  nullptr,                                    0,       kAnalyserBar,           "mls",            ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kOscilloscope,         nullptr,                                    0,       kAnalyserBar,           "oscilloscope",   ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kBarGraph,             nullptr,                                    0,       kAnalyserBar,           "bar-graph",      ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kImpedance,            nullptr,                                    0,       kAnalyserBar,           "impedance",      ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kSpectrogram,          nullptr,                                    0,       kAnalyserBar,           "spectrogram",    ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kDistortion,           nullptr,                                    0,       kAnalyserBar | kGap,    "distortion",     ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kIntermodulation,      nullptr,                                    0,       kAnalyserBar,           "intermodulation",ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kPeak,                 nullptr,                                    0,       kAnalyserBar,           "peak",           ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kAverage,              nullptr,                                    0,       kAnalyserBar,           "average",        ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kDualChannel,          nullptr,                                    0,       kAnalyserBar,           "dual-channel",   ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kLinLogX,              nullptr,                                    0,       kAnalyserBar,           "lin-log-x",      ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kYAutoScale,           nullptr,                                    0,       kAnalyserBar | tb::kMainLarge, "y-auto-scale", ToActiveView, nullptr,               kNormal},
    {view_command::kResetZoom,            nullptr,                                    0,       kAnalyserBar,           "reset-zoom",     ToActiveView,      nullptr,                 kNormal},
    {view_command::kReset,                nullptr,                                    0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kResetMeasurements,    nullptr,                                    0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kResetAllViews,        nullptr,                                    0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    // The large main toolbar of GUI mode 1: y auto scale (above), the 3D viewer, the quick-start panel.
    {k3dViewer,                           "&Plug-Ins/3D viewer",                      0,       tb::kMainLarge,         "viewer-3d",      ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kWaterfallStartStop,   "&Plug-Ins/3D waterfall Start∕Stop",        0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {view_command::kWaterfallSettings,    "&Plug-Ins/Settings...",                    0,       tb::kNone,              nullptr,          ToActiveView,      nullptr,                 kNormal},
    {kShowPanel,                          nullptr,                                    0,       tb::kMainLarge,         "quick-start",    ShowPanel,         nullptr,                 kNormal},
    // "Impulse", "Overlay", "Channel", "STIPA" and "Options1".
    {33007,                               nullptr,                                    0,       tb::kOverlay,           "overlay-1",      ToActiveView,      UpdateActiveViewCommand, kCheck},
    {33008,                               nullptr,                                    0,       tb::kOverlay,           "overlay-2",      ToActiveView,      UpdateActiveViewCommand, kCheck},
    {33009,                               nullptr,                                    0,       tb::kOverlay,           "overlay-3",      ToActiveView,      UpdateActiveViewCommand, kCheck},
    {33010,                               nullptr,                                    0,       tb::kOverlay,           "overlay-4",      ToActiveView,      UpdateActiveViewCommand, kCheck},
    {33011,                               nullptr,                                    0,       tb::kOverlay,           "overlay-5",      ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kChannel1,             nullptr,                                    0,       tb::kChannel,           "channel-1",      ToActiveView,      UpdateActiveViewCommand, kCheck},
    {view_command::kChannel2,             nullptr,                                    0,       tb::kChannel,           "channel-2",      ToActiveView,      UpdateActiveViewCommand, kCheck},
    {32964,                               nullptr,                                    0,       tb::kStipa,             "stipa",          nullptr,           nullptr,                 kNormal},
    // Shows whether smoothing is on; the octave-fraction list beside it chooses the smoothing.
    {view_command::kSmoothing,            nullptr,                                    0,       tb::kOptions,           "smoothing",      ToActiveView,      UpdateActiveViewCommand, kCheck},
    // The logger toolbar; its commands' menu items are in kMenuPlacements below.
    {33074,                               nullptr,                                    0,       tb::kLogger,            "logger",         ToApplicationOrView, UpdateApplicationOrViewCommand, kNormal},
    {33073,                               nullptr,                                    0,       tb::kLogger,            "logger-settings",ToApplicationOrView, UpdateApplicationOrViewCommand, kNormal},
    {33075,                               nullptr,                                    0,       tb::kLogger,            "logger-start",   ToApplicationOrView, UpdateApplicationOrViewCommand, kCheck},
    {33076,                               nullptr,                                    0,       tb::kLogger,            "logger-stop",    LoggerStop,        UpdateLoggerStop,        kNormal},
    {33087,                               nullptr,                                    0,       tb::kLogger,            "logger-report",  nullptr,           nullptr,                 kNormal},
    {33077,                               nullptr,                                    0,       tb::kLogger,            "logger-view",    ToApplicationOrView, UpdateApplicationOrViewCommand, kNormal},
    // The logger report: the logger toolbar, and the German menu (see kMenuPlacements).
    {33080,                               nullptr,                                    0,       tb::kLogger,            "logger-export",  LoggerReport,      UpdateReportCommand,     kNormal},
    // The sound power report, on the German main toolbar only.
    {33098,                               nullptr,                                    0,       tb::kMainGerman,        "sound-power",    SoundPowerReport,  UpdateReportCommand,     kNormal},
    // The real-time analyser of the active measurement window and the DIN 15905 result folders; their
    // menu items are in kMenuPlacements below.
    {32798,                               nullptr,                                    0,       tb::kNone,              nullptr,          ToApplicationOrView, UpdateApplicationOrViewCommand, kCheck},
    {32801,                               nullptr,                                    0,       tb::kNone,              nullptr,          ToApplicationOrView, UpdateApplicationOrViewCommand, kCheck},
    {32926,                               nullptr,                                    0,       tb::kNone,              nullptr,          ToApplicationOrView, UpdateApplicationOrViewCommand, kCheck},
    {33065,                               nullptr,                                    0,       tb::kNone,              nullptr,          ToApplicationOrView, UpdateApplicationOrViewCommand, kCheck},
    {33067,                               nullptr,                                    0,       tb::kNone,              nullptr,          ToApplicationOrView, UpdateApplicationOrViewCommand, kCheck},
    {33066,                               nullptr,                                    0,       tb::kNone,              nullptr,          ToApplicationOrView, UpdateApplicationOrViewCommand, kCheck},
    {33092,                               nullptr,                                    0,       tb::kNone,              nullptr,          ToApplicationOrView, UpdateApplicationOrViewCommand, kCheck},
    {33068,                               nullptr,                                    0,       tb::kNone,              nullptr,          ToApplicationOrView, UpdateApplicationOrViewCommand, kCheck},
    {33069,                               nullptr,                                    0,       tb::kNone,              nullptr,          ToApplicationOrView, UpdateApplicationOrViewCommand, kCheck},
    {33102,                               nullptr,                                    0,       tb::kNone,              nullptr,          ToApplicationOrView, UpdateApplicationOrViewCommand, kNormal},
    {33103,                               nullptr,                                    0,       tb::kNone,              nullptr,          ToApplicationOrView, UpdateApplicationOrViewCommand, kNormal},
};

// Menu items that sit apart from their row (the row gives handler and toolbar; its menu path stays
// nullptr): a menu of its own in one language, or an order that differs from the toolbar's. An item
// with a row for the current language shows there; else the row for every language (kAnyLanguage)
// places it, when there is one. The items follow this table's order after the command table's.
constexpr int kAnyLanguage = -1;
constexpr int kGerman = LANGUAGE_GERMAN;
const MenuPlacement kMenuPlacements[] = {
    // The real-time analyser and the level logger: English "Plug-Ins" > "RTA".
    {32798,  kAnyLanguage, "&Plug-Ins/RTA/Octave RTA"},
    {32801,  kAnyLanguage, "&Plug-Ins/RTA/1\u22153 octave RTA"},
    {32926,  kAnyLanguage, "&Plug-Ins/RTA/1\u2215N octave RTA"},
    {33065,  kAnyLanguage, "&Plug-Ins/RTA/Speed/Impulse (35ms)"},
    {33067,  kAnyLanguage, "&Plug-Ins/RTA/Speed/Fast (125ms)"},
    {33066,  kAnyLanguage, "&Plug-Ins/RTA/Speed/Slow (1.0s)"},
    {33092,  kAnyLanguage, "&Plug-Ins/RTA/Speed/CCIR"},
    {33068,  kAnyLanguage, "&Plug-Ins/RTA/Speed/10s"},
    {33069,  kAnyLanguage, "&Plug-Ins/RTA/Speed/60s"},
    {33073,  kAnyLanguage, "&Plug-Ins/RTA/Logger/Save"},
    {33074,  kAnyLanguage, "&Plug-Ins/RTA/Logger/Load"},
    {33075,  kAnyLanguage, "&Plug-Ins/RTA/Logger/Start"},
    {33076,  kAnyLanguage, "&Plug-Ins/RTA/Logger/Stop"},
    {33077,  kAnyLanguage, "&Plug-Ins/RTA/Logger/View results"},
    // German: "Module" > "RTA" and "Module" > "DIN15905" (the DIN 15905 commands are German only).
    {32798,  kGerman,      "Module/RTA/Oktav-Analysator"},
    {32801,  kGerman,      "Module/RTA/Terz-Analysator"},
    {32926,  kGerman,      "Module/RTA/1\u2215N Oktav Analysator"},
    {33065,  kGerman,      "Module/RTA/Geschwindigkeit/Impulse (35ms)"},
    {33067,  kGerman,      "Module/RTA/Geschwindigkeit/Fast (125ms)"},
    {33066,  kGerman,      "Module/RTA/Geschwindigkeit/Slow (1.0s)"},
    {33092,  kGerman,      "Module/RTA/Geschwindigkeit/CCIR"},
    {33068,  kGerman,      "Module/RTA/Geschwindigkeit/10s"},
    {33069,  kGerman,      "Module/RTA/Geschwindigkeit/60s"},
    {33073,  kGerman,      "Module/RTA/Logger/Speichern"},
    {33074,  kGerman,      "Module/RTA/Logger/Laden"},
    {33075,  kGerman,      "Module/RTA/Logger/Start"},
    {33076,  kGerman,      "Module/RTA/Logger/Stopp"},
    {33077,  kGerman,      "Module/RTA/Logger/Anzeigen"},
    {33080,  kGerman,      "Module/RTA/Logger/Bericht"},
    {33102,  kGerman,      "Module/DIN15905/Bericht"},
    {33103,  kGerman,      "Module/DIN15905/Export"},
};
// clang-format on

}  // namespace

std::span<const char* const> GetMenuOrder()
{
    return kMenuOrder;
}

std::span<const CommandEntry> GetCommandTable()
{
    return kCommands;
}

std::span<const MenuPlacement> GetMenuPlacements()
{
    return kMenuPlacements;
}

const char* GetMenuPath(const CommandEntry& entry, int language)
{
    const char* any = nullptr;
    bool placed = false;
    for (const MenuPlacement& placement : kMenuPlacements)
    {
        if (placement.id != entry.id)
            continue;
        placed = true;
        if (placement.language == language)
            return placement.path;
        if (placement.language == kAnyLanguage)
            any = placement.path;
    }
    return placed ? any : entry.menuPath;
}

const CommandEntry* FindCommand(int id)
{
    for (const CommandEntry& entry : kCommands)
    {
        if (entry.id == id)
            return &entry;
    }
    return nullptr;
}
