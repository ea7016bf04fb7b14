#include "generator_app/GeneratorMenus.h"

#include "generator_app/GeneratorCommands.h"

#include <array>

using namespace generator_ids;

namespace
{

GeneratorMenuEntry Item(const char* caption, unsigned id)
{
    return {caption, id, {}};
}

GeneratorMenuEntry Separator()
{
    return {};
}

GeneratorMenuEntry Popup(const char* caption, std::vector<GeneratorMenuEntry> items)
{
    return {caption, 0, std::move(items)};
}

constexpr std::array kEnglishStrings{
    StringTableEntry{kTitleString, "Pulvera"},
    StringTableEntry{kShowGenerator, "Set the parameters for the generator"},
    StringTableEntry{kStart, "Start the signal generator\nStart"},
    StringTableEntry{kStop, "Stops the generator\nStop"},
    StringTableEntry{kWriteWaveFile, "Writes a Wave file with the current settings"},
    StringTableEntry{kSoundCardSettings, "Select the audio device"},
    StringTableEntry{kPulseWidths, "Sets the pulse widths for rectangular signals"},
    StringTableEntry{kSaveSettings, "Save settings\nSave settings"},
    StringTableEntry{kLoadSettings, "Load settings\nLoad settings"},
    StringTableEntry{kSaveConfig, "Save configuration to .ini file"},
    StringTableEntry{kLoadConfig, "Load configuration from .ini file"},
    StringTableEntry{kBurstGenerator, "Adjust settings for Burst generator"},
    StringTableEntry{kDefaultSettings, "Sets the signal generator to default settings\ndefault settings"},
    StringTableEntry{kVolume, "Sets the volume manually"},
    StringTableEntry{kPlayWaveFile, "Plays a .wav file"},
    StringTableEntry{kFreeFilter, "Apply digital filter"},
    StringTableEntry{kRiaaFilter, "RIAA and inverse RIAA filtering"},
    StringTableEntry{kStatistics, "Show signal statistics RMS/Crest/Peak"},
    StringTableEntry{kDistortion, "Apply nonlinear distortion"},
    StringTableEntry{kCrestFactor, "Adjust the Crest factor"},
    StringTableEntry{kGaussGenerator, "Use white Gaussian noise generator"},
    StringTableEntry{kFrequencySlider, "Large resizable frequency slider"},
    StringTableEntry{kFreqPresets, "Frequency presets"},
    StringTableEntry{kFm, "Frequency Modulation"},
    StringTableEntry{kAm, "Amplitude Modulation"},
    StringTableEntry{kDcOffset, "DC offset"},
    StringTableEntry{kAdvSettings, "Special options"},
    StringTableEntry{kPiano, "Virtual piano keyboard."},
    StringTableEntry{kLanguage, "Change the default language"},
    StringTableEntry{kAppAbout, "Display program information, version number and copyright\nAbout"},
    StringTableEntry{kAppExit, "Quit the application\nExit"},
    StringTableEntry{kViewToolbar, "Show or hide the toolbar\nToggle ToolBar"},
    StringTableEntry{kViewStatusBar, "Show or hide the status bar\nToggle StatusBar"},
};

constexpr std::array kGermanStrings{
    StringTableEntry{kTitleString, "Pulvera"},
    StringTableEntry{kShowGenerator, "Parameter des Generators einstellen"},
    StringTableEntry{kStart, "Signalgenerator starten\nStart"},
    StringTableEntry{kStop, "Generator anhalten\nStopp"},
    StringTableEntry{kWriteWaveFile, "Schreibt eine Wave-Datei mit den aktuellen Einstellungen"},
    StringTableEntry{kSoundCardSettings, "Audiogerät wählen"},
    StringTableEntry{kPulseWidths, "Pulsbreiten für Rechtecksignale einstellen"},
    StringTableEntry{kSaveSettings, "Einstellungen speichern\nEinstellungen speichern"},
    StringTableEntry{kLoadSettings, "Einstellungen laden\nEinstellungen laden"},
    StringTableEntry{kSaveConfig, "Konfiguration in .ini-Datei speichern"},
    StringTableEntry{kLoadConfig, "Konfiguration aus .ini-Datei laden"},
    StringTableEntry{kBurstGenerator, "Einstellungen des Burst-Generators"},
    StringTableEntry{kDefaultSettings,
                     "Setzt den Signalgenerator auf die Standardeinstellungen\nStandardeinstellungen"},
    StringTableEntry{kVolume, "Lautstärke von Hand einstellen"},
    StringTableEntry{kPlayWaveFile, "Spielt eine .wav-Datei ab"},
    StringTableEntry{kFreeFilter, "Digitales Filter anwenden"},
    StringTableEntry{kRiaaFilter, "RIAA- und inverse RIAA-Filterung"},
    StringTableEntry{kStatistics, "Signalstatistik anzeigen RMS/Crest/Spitze"},
    StringTableEntry{kDistortion, "Nichtlineare Verzerrung anwenden"},
    StringTableEntry{kCrestFactor, "Crestfaktor einstellen"},
    StringTableEntry{kGaussGenerator, "Weißes gaußsches Rauschen verwenden"},
    StringTableEntry{kFrequencySlider, "Großer Frequenzschieber mit veränderbarer Größe"},
    StringTableEntry{kFreqPresets, "Frequenzvorgaben"},
    StringTableEntry{kFm, "Frequenzmodulation"},
    StringTableEntry{kAm, "Amplitudenmodulation"},
    StringTableEntry{kDcOffset, "Gleichspannungsanteil"},
    StringTableEntry{kAdvSettings, "Besondere Optionen"},
    StringTableEntry{kPiano, "Virtuelle Klaviertastatur."},
    StringTableEntry{kLanguage, "Standardsprache ändern"},
    StringTableEntry{kAppAbout, "Programminformationen, Versionsnummer und Copyright anzeigen\nInfo"},
    StringTableEntry{kAppExit, "Anwendung beenden\nBeenden"},
    StringTableEntry{kViewToolbar, "Symbolleiste ein- oder ausblenden\nSymbolleiste"},
    StringTableEntry{kViewStatusBar, "Statusleiste ein- oder ausblenden\nStatusleiste"},
};

}  // namespace

std::vector<GeneratorMenuEntry> GeneratorMenu(unsigned resource)
{
    if (resource == kMenuGerman)
    {
        return {
            Popup(
                "&Datei",
                {Item("Wave-Datei &schreiben", kWriteWaveFile), Item("Wave-Datei &abspielen", kPlayWaveFile),
                 Separator(), Item("So&undkarten-Einstellungen", kSoundCardSettings),
                 Item("&Lautsprecher wählen", kSelectSpeaker), Item("&Pulsbreiten", kPulseWidths),
                 Item("&Burst-Generator", kBurstGenerator), Item("&Gauß-Generator", kGaussGenerator),
                 Item("&Erweiterte Einstellungen", kAdvSettings), Separator(),
                 Item("Konfiguration spei&chern", kSaveConfig), Item("&Konfiguration laden", kLoadConfig),
                 Separator(), Item("Sp&rache", kLanguage), Separator(), Item("B&eenden", kAppExit)}),
            Popup("DS&P",
                  {Item("&Lautstärke", kVolume),
                   Popup("&Filter", {Item("&Freies Filter", kFreeFilter), Item("&RIAA", kRiaaFilter)}),
                   Popup("&Effekte", {Item("&Verzerrung", kDistortion)}), Item("F&M", kFm), Item("&AM", kAm),
                   Item("&Gleichspannungsanteil", kDcOffset), Item("&Crestfaktor", kCrestFactor)}),
            Popup("&Ansicht",
                  {Item("&Symbolleiste", kViewToolbar), Item("S&tatusleiste", kViewStatusBar), Separator(),
                   Item("&Generator", kShowGenerator), Item("St&atistik", kStatistics),
                   Item("&Frequenzschieber", kFrequencySlider), Item("&Lautstärkeschieber", kVolumeSlider),
                   Item("&Balanceschieber", kBalanceSlider), Item("Frequenz&vorgaben", kFreqPresets),
                   Item("&Klavier", kPiano)}),
            Popup("&Hilfe", {Item("&Info über Pulvera...", kAppAbout)}),
        };
    }
    return {
        Popup("&File",
              {Item("&Write Wave file", kWriteWaveFile), Item("&Play Wave file", kPlayWaveFile), Separator(),
               Item("&SoundCard Settings", kSoundCardSettings), Item("Select Spea&ker", kSelectSpeaker),
               Item("P&ulse widths", kPulseWidths), Item("&Burst generator", kBurstGenerator),
               Item("&Gauss generator", kGaussGenerator), Item("A&dv. settings", kAdvSettings), Separator(),
               Item("Sa&ve config", kSaveConfig), Item("&Load config", kLoadConfig), Separator(),
               Item("La&nguage", kLanguage), Separator(), Item("E&xit", kAppExit)}),
        Popup("&Edit", {Item("&Undo\tCtrl+Z", kEditUndo), Separator(), Item("Cu&t\tCtrl+X", kEditCut),
                        Item("&Copy\tCtrl+C", kEditCopy), Item("&Paste\tCtrl+V", kEditPaste)}),
        Popup("DS&P", {Item("&Volume", kVolume),
                       Popup("&Filter", {Item("&Free filter", kFreeFilter), Item("&RIAA", kRiaaFilter)}),
                       Popup("&Effects", {Item("&Distortion", kDistortion)}), Item("F&M", kFm),
                       Item("&AM", kAm), Item("D&C offset", kDcOffset), Item("C&rest factor", kCrestFactor)}),
        Popup("&View", {Item("&Toolbar", kViewToolbar), Item("&Status Bar", kViewStatusBar), Separator(),
                        Item("&Generator", kShowGenerator), Item("S&tatistics", kStatistics),
                        Item("&Frequency slider", kFrequencySlider), Item("&Volume slider", kVolumeSlider),
                        Item("&Balance slider", kBalanceSlider), Item("Freq. &presets", kFreqPresets),
                        Item("P&iano", kPiano)}),
        Popup("&Help", {Item("&About Pulvera...", kAppAbout)}),
    };
}

unsigned generator_ids::FromWxId(int wxId)
{
    // Every command of the program, so that a folded id finds its own.
    static constexpr unsigned kAll[] = {
        kShowGenerator, kStart,        kStop,           kWriteWaveFile,   kSoundCardSettings,
        kSelectSpeaker, kPulseWidths,  kBurstGenerator, kDefaultSettings, kVolume,
        kPlayWaveFile,  kFreeFilter,   kRiaaFilter,     kStatistics,      kAm,
        kDistortion,    kCrestFactor,  kGaussGenerator, kFrequencySlider, kFm,
        kDcOffset,      kFreqPresets,  kLoadConfig,     kSaveConfig,      kAdvSettings,
        kLanguage,      kVolumeSlider, kBalanceSlider,  kPiano,           kLoadSettings,
        kSaveSettings,  kEditUndo,     kEditCut,        kEditCopy,        kEditPaste,
        kAppAbout,      kAppExit,      kViewToolbar,    kViewStatusBar};
    for (unsigned id : kAll)
        if (WxId(id) == wxId)
            return id;
    return 0;
}

unsigned GeneratorMenuResource(int language)
{
    return language == 1 ? kMenuGerman : kMenuEnglish;
}

std::span<const StringTableEntry> GeneratorStringTable(std::uint16_t langId)
{
    if (langId == LANGID_GERMAN)
        return kGermanStrings;
    return kEnglishStrings;
}

void InstallGeneratorStrings()
{
    SetStringTable(LANGID_ENGLISH_US, kEnglishStrings);
    SetStringTable(LANGID_GERMAN, kGermanStrings);
}
