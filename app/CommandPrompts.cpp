#include "app/CommandPrompts.h"

#include "app/MainFrame.h"
#include "texts/LanguageChoice.h"
#include "texts/TextTable.h"
#include "view/SndView.h"

#include <string>
#include <vector>

namespace
{

using namespace command_id;

struct Prompt
{
    int id;
    const char* text;  // "status-bar text\ntool tip"
};

// One prompt for every command of the command table.
// clang-format off
const Prompt kEnglishPrompts[] = {
    {kFileNew,                         "Create a new workspace\nNew"},
    {kFileOpen,                        "Open an existing workspace\nOpen"},
    {kFileNewKeepSettings,             "Create a new workspace keeping the calibration\nNew"},
    {kFileClose,                       "Close the active workspace\nClose"},
    {kFileSave,                        "Save the active workspace\nSave"},
    {kFileSaveAs,                      "Save the active workspace with a new name\nSave As"},
    {kFileMru1,                        "Open this workspace\nRecent File 1"},
    {kFileMru1 + 1,                    "Open this workspace\nRecent File 2"},
    {kFileMru1 + 2,                    "Open this workspace\nRecent File 3"},
    {kFileMru1 + 3,                    "Open this workspace\nRecent File 4"},
    {kSettings,                        "Change the FFT, sample rate, MLS and chirp settings\nSettings"},
    {kAdvancedSettings,                "Change the input device, channels, buffers and recorder\nAdv. Settings"},
    {kTriggerSettings,                 "Change the trigger settings\nTrigger Settings"},
    {view_command::kChannelConfiguration, "Choose the displayed and input channels, scales and styles\nChannel configuration"},
    {kImpedanceSettings,               "Change the measurement resistor of the impedance measurement\nImpedance Settings"},
    {kDsp,                             "Change the dual-channel real-time processing\nDSP"},
    {kAudioMonitor,                    "Show the audio monitor\nAudio Monitor"},
    {kMicCalibration,                  "Load a microphone calibration file and bind it to a channel\nMic. calibration"},
    {kLoadSaveReference,               "Load or save the reference spectrum that the measurement is shown relative to\nLoad/Save Reference"},
    {kSynchronize,                     "Convert the input's sample rate by a fine-tuned ratio\nSynchronize"},
    {view_command::kLoadConfig,        "Load the analyser's settings from a configuration file\nLoad config"},
    {view_command::kSaveConfig,        "Save the analyser's settings to a configuration file\nSave config"},
    {view_command::kSaveState,         "Write the analyser's state log and settings to the configuration folder\nSave state"},
    {kFilePrint,                       "Print the active measurement window\nPrint"},
    {kFilePrintPreview,                "Show the printed page\nPrint Preview"},
    {kFilePrintSetup,                  "Change the printer and printing options\nPrint Setup"},
    {kAppExit,                         "Quit the application; the workspace is saved\nExit"},
    {kEditCopy,                        "Copy the active measurement window's picture to the clipboard\nCopy"},
    {kCopyAsBitmap,                    "Copy the active measurement window's picture to the clipboard\nCopy as Bitmap"},
    {kViewToolbar,                     "Show or hide the toolbar\nToolbar"},
    {kViewStatusBar,                   "Show or hide the status bar\nStatus Bar"},
    {kExpertMode,                      "Show all toolbars or only the large buttons (the program restarts)\nExpert Mode"},
    {view_command::kMeasurementsCurve1, "Show the measurements of curve 1\nMeasurements curve 1"},
    {view_command::kMeasurementsCurve2, "Show the measurements of curve 2\nMeasurements curve 2"},
    {view_command::kShowResults,       "Show the values of the curves as a table\nShow results"},
    {view_command::kShowMarker,        "Show the values of the curves at the markers\nShow Marker"},
    {view_command::kDisplayProperties, "Edit the display properties of the active measurement window\nDisplay properties"},
    {view_command::kTonality,          "Judge the tonality of the spectrum after DIN 45681\nTonality (DIN45681)"},
    {view_command::kLoudness,          "Show the loudness in sone over the third-octave bands\nLoudness (sone)"},
    {view_command::kSpecificLoudness,  "Show the specific loudness over bark\nSpecific loudness"},
    {view_command::kVectorscope,       "Draw two channels against each other\nVectorscope"},
    {view_command::kTimeCorrelation,   "Show the correlation of the input channels over the time lag\nTime correlation"},
    {view_command::kLevelMonitor,      "Record the broadband level as a series of averaged measurements\nLevel monitor"},
    {view_command::kWowAndFlutter,     "Measure wow and flutter of a test tone on the first channel\nWow and flutter"},
    {view_command::kPhonetogram,       "Measure the voice range profile: pitch and level of sung tones\nPhonetogram"},
    {view_command::kPhonetogramLoad,   "Load a phonetogram file\nLoad"},
    {view_command::kPhonetogramSave,   "Save the phonetogram to a file\nSave"},
    {view_command::kPhonetogramFast,   "Show every point of the phonetogram as it comes\nFast display"},
    {view_command::kPhonetogramSingleTones, "Show the phonetogram's single tones\nSingle tones"},
    {view_command::kPhonetogramDeleteLastTone, "Delete the last tone of the phonetogram\nDelete last tone"},
    {view_command::kPhonetogramSettings, "Settings of the phonetogram\nSettings"},
    {view_command::kAddParamView,      "Open a window that shows one measured parameter\nAdd ParamView"},
    {view_command::kAlignParamViews,   "Line the parameter windows up beside the measurement window\nAlign ParamViews"},
    {view_command::kLinkFrequencyDiff, "Let the generators follow the first one's frequency by a fixed offset\nFrequency (Diff)"},
    {view_command::kLinkFrequencyFactor, "Let the generators follow the first one's frequency by a fixed ratio\nFrequency (Factor)"},
    {view_command::kLinkVolume, "Set the level of the linked generators\nVolume"},
    {view_command::kGeneratorLevel, "Show and set the output level of each generator channel\nLevel"},
    {view_command::kOutputMatrix, "Route the generators to the output channels\nOutput Matrix"},
    {view_command::kTrackingLevel, "Set the calibrated output channels to one level in millivolts\nTracking Level"},
    {view_command::kCalibrateLevels, "Calibrate one output and one input channel against external voltages\nCalibrate levels"},
    {view_command::kCustomReport,      "About measurement reports made to your specification\nYour custom report"},
    {kSelectAsio,                       "Measure through the ASIO plug-in on a JACK server\nselect ASIO"},
    {kConfigureAsio,                    "Choose the ASIO driver and its channels\nConfigure"},
    {kSelectInputLibrary,               "Measure through the external input library\nExternal input driver"},
    {kConfigureInputLibrary,            "Configure the external input library\nconfigure external input driver"},
    {kAsioGenerator1,                   "Show the panel of generator 1\nASIO Generator #1"},
    {kAsioGenerator1 + 1,               "Show the panel of generator 2\nASIO Generator #2"},
    {kAsioGenerator1 + 2,               "Show the panel of generator 3\nASIO Generator #3"},
    {kAsioGenerator1 + 3,               "Show the panel of generator 4\nASIO Generator #4"},
    {kAsioGenerator1 + 4,               "Show the panel of generator 5\nASIO Generator #5"},
    {kAsioGenerator1 + 5,               "Show the panel of generator 6\nASIO Generator #6"},
    {kAsioGenerator1 + 6,               "Show the panel of generator 7\nASIO Generator #7"},
    {kAsioGenerator1 + 7,               "Show the panel of generator 8\nASIO Generator #8"},
    {kAsioGenerator1 + 8,               "Show the panel of generator 9\nASIO Generator #9"},
    {kAsioGenerator1 + 9,               "Show the panel of generator 10\nASIO Generator #10"},
    {kAsioTestSignal,                  "Show the panel of the test signal generator\nTest signal"},
    {kAudioMixer,                      "Set the microphone level, AGC and mute of the sound card\nAudio Mixer"},
    {kAnalyzeWaveFile,                 "Analyse a wave or MP3 file as the live input\nAnalyze wave file"},
    {kStopWaveFileAnalyzer,            "Stop the file input and go back to the sound card\nStop wave file analyzer"},
    {view_command::kAudioRecorder,     "Record the active input channels to a wave file, or stop the recording\nAudio recorder"},
    {kLanguage,                        "Choose the language of the menus and windows\nLanguage"},
    {kPreferences,                     "Choose what is loaded at start-up\nPreferences"},
    {kWindowNew,                       "Open another window for the active workspace\nNew Window"},
    {kWindowCascade,                   "Arrange the windows so they overlap\nCascade"},
    {kWindowTileHorz,                  "Arrange the windows as non-overlapping tiles\nTile"},
    {kWindowArrange,                   "Arrange the icons of minimised windows\nArrange Icons"},
    {kAppAbout,                        "Show the program's version and copyright\nAbout"},
    {view_command::kNotch1kHz,         "Suppress 1 kHz in every input channel\n1kHz notch"},
    {view_command::kDcBlock,           "Remove the DC part of every input channel\nDC block"},
    {view_command::kFirstFreeFilter + 0, "Design free filter 1 of every input channel\nFilter #1"},
    {view_command::kFirstFreeFilter + 1, "Design free filter 2 of every input channel\nFilter #2"},
    {view_command::kFirstFreeFilter + 2, "Design free filter 3 of every input channel\nFilter #3"},
    {view_command::kFirstFreeFilter + 3, "Design free filter 4 of every input channel\nFilter #4"},
    {view_command::kFirstFreeFilter + 4, "Design free filter 5 of every input channel\nFilter #5"},
    {view_command::kFirstFreeFilter + 5, "Design free filter 6 of every input channel\nFilter #6"},
    {view_command::kFirstFreeFilter + 6, "Design free filter 7 of every input channel\nFilter #7"},
    {view_command::kFirstFreeFilter + 7, "Design free filter 8 of every input channel\nFilter #8"},
    {view_command::kFirstFreeFilter + 8, "Design free filter 9 of every input channel\nFilter #9"},
    {view_command::kFirstFreeFilter + 9, "Design free filter 10 of every input channel\nFilter #10"},
    {view_command::kHumFilter,         "Suppress the hum lines of the spectrum\nHum"},
    {view_command::kRiaaFilter,        "RIAA or inverse RIAA filtering of every input channel\nRIAA"},
    {view_command::kChannelDelay,      "Delay an input channel by a number of samples\nDelay"},
    {view_command::kThirdOctaveFilterbank, "Filter the input with one third-octave band\n1/3 octave filterbank"},
    {view_command::kOctaveFilterbank,  "Filter the input with one octave band\nOctave filterbank"},
    {view_command::kDemodulator,       "Demodulate an AM or FM carrier in the input\nDemodulator"},
    {view_command::kMusicalNotes,      "Show the musical note at the cursor\nMusical notes"},
    {view_command::kStart,             "Start the measurement\nStart"},
    {view_command::kStop,              "Stop the measurement\nStop"},
    {view_command::kFftAnalyzer,       "Spectrum analysis with the FFT\nFFT analyzer"},
    {view_command::kMls,               "Impulse response with a maximum length sequence\nMLS measurement"},
    {view_command::kOscilloscope,      "Show the signal over time\nOscilloscope"},
    {view_command::kBarGraph,          "Level in frequency bands\nBar graph"},
    {view_command::kImpedance,         "Measure an impedance\nImpedance"},
    {view_command::kSpectrogram,       "Spectrum over time\nSpectrogram"},
    {view_command::kDistortion,        "Harmonic distortion\nDistortion"},
    {view_command::kIntermodulation,   "Intermodulation distortion\nIntermodulation"},
    {view_command::kPeak,              "Hold the peak values\nPeak"},
    {view_command::kAverage,           "Average the spectra\nAverage"},
    {view_command::kDualChannel,       "Two-channel measurement\nDual channel"},
    {view_command::kLinLogX,           "Linear or logarithmic frequency axis\nlin/log x-axis"},
    {view_command::kLegend,            "Show or hide the legend of the curves\nLegend"},
    {view_command::kYAutoScale,        "Fit the level axis to the curves\ny auto scale"},
    {view_command::kResetZoom,         "Show the whole axes again\nReset zoom"},
    {view_command::kReset,             "Reset the measurement\nReset"},
    {view_command::kResetMeasurements, "Reset the measured values\nReset measurements"},
    {view_command::kResetAllViews,     "Reset the measured values of every window\nReset all windows"},
    {view_command::kRoomAcoustics,     "Show the room acoustics results\nRoom acoustics"},
    {k3dViewer,                        "Show the spectrum as a 3D waterfall\n3D viewer"},
    {view_command::kWaterfallStartStop, "Show the held impulse response as a 3D waterfall\n3D waterfall"},
    {view_command::kWaterfallSettings, "Set the ranges and the time span of the 3D waterfall\nWaterfall settings"},
    {kShowPanel,                       "Show the quick-start panel\nQuick-start panel"},
    {33001,                            "Set up and start a third-octave live monitor\nLIVE Monitor"},
    {33093,                            "Set up and start an octave-band analysis\nOktav"},
    {33071,                            "Set up and start a spectrum beside a third-octave analysis\nFFT"},
    {33100,                            "Set up and start an impact-sound measurement\nImpact sound"},
    {33106,                            "Set up a long-term sound recording\nLong-term sound recording"},
    {33081,                            "Set up and start an ultrasound analysis at 192 kHz\nUltraschall"},
    {33088,                            "Set up and start an analysis up to 48 kHz\n48kHz"},
    {33082,                            "Set up and start a low-frequency analysis (DIN 45680)\nDIN45680"},
    {33084,                            "Set up and start an event sound-level measurement (DIN 15905-5)\nDIN15905-5"},
    {kPresetsSecondPhase,              "Start the measurement of the preset\nStart preset"},
    {33072,                            "Arrange the toolbars and displays of a calibrated measurement\nFFT layout"},
    {32848,                            "Apply user preset 1\nPreset 1"},
    {32849,                            "Apply user preset 2\nPreset 2"},
    {32850,                            "Apply user preset 3\nPreset 3"},
    {32851,                            "Apply user preset 4\nPreset 4"},
    {32852,                            "Apply user preset 5\nPreset 5"},
    {32853,                            "Apply user preset 6\nPreset 6"},
    {32854,                            "Apply user preset 7\nPreset 7"},
    {32855,                            "Apply user preset 8\nPreset 8"},
    {32856,                            "Apply user preset 9\nPreset 9"},
    {32857,                            "Apply user preset 10\nPreset 10"},
    {33050,                            "Name the user presets and choose their files\nsetup"},
    {kPlotImpulse,                     "Plot the impulse response\nPlot impulse"},
    {view_command::kUseCurrentMeasurement, "Take the measured impulse response or time signal as the window's impulse response\nUse current measurement"},
    {view_command::kLoadImpulse,       "Load an impulse response from a wave, MP3 or text file\nLoad file"},
    {view_command::kSaveImpulseText,   "Save the impulse response as a text file\nSave to .txt file"},
    {view_command::kSaveImpulseWav,    "Save the impulse response as a wave file\nSave .wav file"},
    {view_command::kImpulseAutoUpdate, "Take every new measurement as the impulse response\nAuto update"},
    {view_command::kUnloadImpulse,     "Forget the impulse response\nUnload"},
    {view_command::kPlotFreqResponse,  "Plot the frequency response of the impulse response\nPlot freq. response"},
    {view_command::kPlotPhaseResponse, "Plot the phase response of the impulse response\nPlot phase response"},
    {view_command::kPlotEnergyTime,    "Plot the energy time curve of the impulse response\nPlot energy time curve"},
    {view_command::kPlotEnergyDecay,   "Plot the energy decay (Schroeder plot) of the impulse response\nPlot energy decay"},
    {view_command::kPlotStepResponse,  "Plot the step response of the impulse response\nPlot step response"},
    {view_command::kPlotReverbVsFrequency, "Plot the reverberation time over frequency\nPlot reverberation vs. frequency"},
    {view_command::kPlotGroupDelay,    "Plot the group delay of the impulse response\nPlot group delay"},
    {view_command::kSetAsOverlay,      "Store a curve, or two curves combined, as an overlay\nSet as Overlay"},
    {view_command::kConfigOverlays,    "Name, style, show or hide the overlays\nConfig Overlays"},
    {view_command::kLoadOverlayText,   "Load an overlay from a text file\nLoad a text file"},
    {view_command::kSaveOverlayText,   "Save an overlay to a text file\nSave to a text file"},
    {view_command::kDynamicOverlay,    "Let an overlay follow a live channel's level\nDynamic overlay"},
    {view_command::kAutoLoadLimits,    "Load the frequency response limit curves as overlays 1 and 2\nAuto load limits"},
    {32858,                            "Show or hide overlay 1\nOverlay 1"},
    {32859,                            "Show or hide overlay 2\nOverlay 2"},
    {32860,                            "Show or hide overlay 3\nOverlay 3"},
    {32861,                            "Show or hide overlay 4\nOverlay 4"},
    {32862,                            "Show or hide overlay 5\nOverlay 5"},
    {32863,                            "Show or hide overlay 6\nOverlay 6"},
    {32864,                            "Show or hide overlay 7\nOverlay 7"},
    {32865,                            "Show or hide overlay 8\nOverlay 8"},
    {32866,                            "Show or hide overlay 9\nOverlay 9"},
    {32867,                            "Show or hide overlay 10\nOverlay 10"},
    {33007,                            "Store the live curve as overlay 1, or hide it\nOverlay 1"},
    {33008,                            "Store the live curve as overlay 2, or hide it\nOverlay 2"},
    {33009,                            "Store the live curve as overlay 3, or hide it\nOverlay 3"},
    {33010,                            "Store the live curve as overlay 4, or hide it\nOverlay 4"},
    {33011,                            "Store the live curve as overlay 5, or hide it\nOverlay 5"},
    {32962,                            "Show channel 1\nChannel 1"},
    {32963,                            "Show channel 2\nChannel 2"},
    {32964,                            "Speech transmission index with STIPA\nSTIPA"},
    {32824,                            "Show the speech transmission index of the impulse response\nSTI+RASTI"},
    {33000,                            "Edit the signal-to-noise ratio of each octave band for the STI\nSNR"},
    {32948,                            "Create a report from the impulse response\nReport"},
    {32953,                            "Speech Transmission Index\n STI+RASTI"},
    {32993,                            "Write the energy decay of every third-octave band as a report\nEnergy decay report"},
    {32997,                            "Show the energy decay of the octave bands as overlays\nOctave energy decay"},
    {33108,                            "Analyse a whole wave file\nWave file analysis"},
    {32972,                            "Average the impulse responses of a measurement series\nAverage"},
    {32987,                            "Write the statistics of a measurement series\nStatistics"},
    {32970,                            "Smooth the spectrum over fractions of an octave\nSmoothing"},
    {33074,                            "Show the level logger\nLogger"},
    {33073,                            "Save the logged values\nSave"},
    {33075,                            "Start logging\nStart logger"},
    {33076,                            "Stop logging\nStop logger"},
    {33087,                            "Write the logger report\nReport"},
    {33077,                            "Show the logged values\nLogger view"},
    {33080,                            "Write the report of the logger run\nReport"},
    {32798,                            "Show the octave band analyser\nOctave RTA"},
    {32801,                            "Show the third-octave band analyser\n1/3 octave RTA"},
    {32926,                            "Show a band analyser with 1/N octave bands\n1/N octave RTA"},
    {33065,                            "Band levels with the impulse time weighting (35 ms)\nImpulse"},
    {33067,                            "Band levels with the fast time weighting (125 ms)\nFast"},
    {33066,                            "Band levels with the slow time weighting (1 s)\nSlow"},
    {33092,                            "Band levels with the CCIR time weighting\nCCIR"},
    {33068,                            "Band levels averaged over 10 s\n10s"},
    {33069,                            "Band levels averaged over 60 s\n60s"},
    {33102,                            "Write the DIN 15905 results page of a result folder\nBericht"},
    {33103,                            "Export the DIN 15905 periods of a result folder as CSV\nExport"},
    {33098,                            "Messung der Schallleistung via Hüllkurve\nMessung der Schallleistung via Hüllkurve"},
};
// clang-format on

}  // namespace

void InstallCommandPrompts()
{
    EnsureTextTable();
    std::vector<StringTableEntry> english, german;
    // The table copies its strings; these only have to outlive the call.
    std::vector<std::string> germanTexts;
    germanTexts.reserve(std::size(kEnglishPrompts));
    for (const Prompt& prompt : kEnglishPrompts)
    {
        english.push_back({static_cast<unsigned>(prompt.id), prompt.text});
        // German where the text table has the tool tip's words: its German text serves as status
        // text and tool tip.
        const std::string text = prompt.text;
        const std::string tip = text.substr(text.find('\n') + 1);
        const int textId = FindTextId(tip, -1, -1, LANGUAGE_ENGLISH);
        if (textId < 0)
            continue;
        const std::string words = GetTextForLanguage(textId, LANGUAGE_GERMAN);
        if (words.empty())
            continue;
        germanTexts.push_back(words + "\n" + words);
        german.push_back({static_cast<unsigned>(prompt.id), germanTexts.back().c_str()});
    }
    SetStringTable(LANGID_ENGLISH_US, english);
    SetStringTable(LANGID_GERMAN, german);
    // Italian and Spanish have no prompts of their own: they read the English ones.
    SetStringTable(LANGID_ITALIAN, english);
    SetStringTable(LANGID_SPANISH, english);
}
