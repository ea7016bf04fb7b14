// Command and resource ids of the generator program, as its menus, toolbar and string tables use them.
#pragma once

namespace generator_ids
{

inline constexpr unsigned kMenuEnglish = 128;
inline constexpr unsigned kMenuGerman = 129;
inline constexpr unsigned kTitleString = 128;       // "Pulvera"
inline constexpr unsigned kSampleRatePane = 59142;  // status-bar pane, sized by "192000"

inline constexpr unsigned kShowGenerator = 32771;
inline constexpr unsigned kStart = 32772;
inline constexpr unsigned kStop = 32773;
inline constexpr unsigned kWriteWaveFile = 32774;
inline constexpr unsigned kSoundCardSettings = 32775;
inline constexpr unsigned kSelectSpeaker = 131;
inline constexpr unsigned kPulseWidths = 32776;
inline constexpr unsigned kBurstGenerator = 32777;
inline constexpr unsigned kDefaultSettings = 32778;
inline constexpr unsigned kVolume = 32781;
inline constexpr unsigned kPlayWaveFile = 32792;
inline constexpr unsigned kFreeFilter = 32794;
inline constexpr unsigned kRiaaFilter = 32796;
inline constexpr unsigned kStatistics = 32798;
inline constexpr unsigned kAm = 32799;
inline constexpr unsigned kDistortion = 32801;
inline constexpr unsigned kCrestFactor = 32802;
inline constexpr unsigned kGaussGenerator = 32803;
inline constexpr unsigned kFrequencySlider = 32804;
inline constexpr unsigned kFm = 32805;
inline constexpr unsigned kDcOffset = 32806;
inline constexpr unsigned kFreqPresets = 32809;
inline constexpr unsigned kLoadConfig = 32916;
inline constexpr unsigned kSaveConfig = 32917;
inline constexpr unsigned kAdvSettings = 32933;
inline constexpr unsigned kLanguage = 33000;
inline constexpr unsigned kVolumeSlider = 40001;
inline constexpr unsigned kBalanceSlider = 40002;
inline constexpr unsigned kPiano = 25002;

// The framework's own commands.
inline constexpr unsigned kLoadSettings = 57601;
inline constexpr unsigned kSaveSettings = 57603;
inline constexpr unsigned kEditUndo = 57643;
inline constexpr unsigned kEditCut = 57635;
inline constexpr unsigned kEditCopy = 57634;
inline constexpr unsigned kEditPaste = 57637;
inline constexpr unsigned kAppAbout = 57664;
inline constexpr unsigned kAppExit = 57665;
inline constexpr unsigned kViewToolbar = 59392;
inline constexpr unsigned kViewStatusBar = 59393;

// The toolkit takes command ids below 0x8000 only: the ids above are folded into that range (none
// of the program's ids meet another there) and unfolded when a command arrives.
inline constexpr int WxId(unsigned id)
{
    return id > 0x7FFF ? static_cast<int>(id - 0x8000) : static_cast<int>(id);
}
unsigned FromWxId(int wxId);

}  // namespace generator_ids
