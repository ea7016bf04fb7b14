#include "texts/LongTexts.h"

#include <array>
#include <map>

#include "texts/TextTable.h"

namespace
{

// English, German and Italian body of one long text.
using Bodies = std::array<std::string, 3>;

// The wizard introductions share their frame: an introduction paragraph, the list of steps and
// the closing line.
struct WizardFrame
{
    const char* stepsHeading;
    const char* closing;
};

constexpr WizardFrame kEnglishFrame = {
    "\nThis measurement requires the following steps:\n",
    "\nAll other parameters are set automatically.\n",
};
constexpr WizardFrame kGermanFrame = {
    "\nDiese Messung umfasst die folgenden Schritte:\n",
    "\nAlle weiteren Parameter werden automatisch eingestellt.\n",
};
constexpr WizardFrame kItalianFrame = {
    "\nQuesta misura richiede i seguenti passi:\n",
    "\nTutti gli altri parametri vengono impostati automaticamente.\n",
};

std::string Introduction(const WizardFrame& frame, const std::string& introduction,
                         std::initializer_list<const char*> steps)
{
    std::string text = introduction + frame.stepsHeading;
    for (const char* step : steps)
        text += step;
    return text + frame.closing;
}

// Reverberation time --------------------------------------------------------------------------

const char* const kEnglishReverbIntro =
    "Welcome to the easy measurement wizard.\n\nThis step-by-step measurement wizard will guide through to "
    "the measurement of reverberation time.\n";
const char* const kGermanReverbIntro =
    "Willkommen beim Assistenten für einfache Messungen.\n\nDieser Assistent führt Sie Schritt für Schritt "
    "durch die Messung der Nachhallzeit.\n";
const char* const kItalianReverbIntro =
    "Benvenuti nella procedura guidata per le misure semplificate.\n\nQuesta procedura guidata vi "
    "accompagnerà passo dopo passo nella misura del tempo di riverberazione.\n";

std::string EnglishReverbWizard()
{
    return Introduction(kEnglishFrame, kEnglishReverbIntro,
                        {"1) Connection of loudspeaker/microphone and positioning\n",
                         "2) Selection of path to store the results\n", "3) Optional calibrating\n",
                         "4) Guided adjustment of volume and gain\n"});
}

const std::initializer_list<const char*> kGermanReverbSteps = {
    "1) Anschluss und Aufstellung von Lautsprecher und Mikrofon\n",
    "2) Auswahl des Ordners, in dem die Ergebnisse gespeichert werden\n",
    "3) Kalibrierung (optional)\n",
    "4) Geführte Einstellung von Lautstärke und Eingangsverstärkung\n",
};

std::string ItalianReverbWizard()
{
    return Introduction(
        kItalianFrame, kItalianReverbIntro,
        {"1) Collegamento e posizionamento di altoparlante e microfono\n",
         "2) Scelta della cartella in cui salvare i risultati\n", "3) Calibrazione (facoltativa)\n",
         "4) Regolazione guidata di volume e guadagno d'ingresso\n"});
}

// Volume adjustment ---------------------------------------------------------------------------

const char* const kEnglishLoudWarning =
    "!!!! High volume can easly damage your equipment !!!!\n !!!! Wear ear protection !!!!\n";
const char* const kGermanLoudWarning =
    "!!!! Eine zu hohe Lautstärke kann Ihre Geräte leicht beschädigen !!!!\n !!!! Tragen Sie einen "
    "Gehörschutz !!!!\n";
const char* const kGermanStartLow =
    "\nBeginnen Sie mit geringer Lautstärke und erhöhen Sie sie langsam und mit Bedacht.\n";
const char* const kGermanAdjustVolume =
    " Bitte stellen Sie die analoge Lautstärke sehr vorsichtig ein.\nBenötigt wird ein möglichst hoher "
    "Pegel bei geringer Verzerrung.\n";

std::string EnglishVolumeAdjustment()
{
    return std::string(
               "You will now here a sine tone with 1kHz. Please adjust the analog volume very carefully.\n"
               "You will need maximum level but with low distortion.\n") +
           kEnglishLoudWarning;
}

std::string ItalianVolumeAdjustment()
{
    return "Ora si sentirà un tono sinusoidale a 1kHz. Regolare il volume analogico con molta cautela.\n"
           "Occorre il livello massimo, ma con una distorsione ridotta.\n"
           "!!!! Un volume elevato può danneggiare facilmente l'apparecchiatura !!!!\n"
           " !!!! Indossare protezioni per l'udito !!!!\n";
}

std::map<int, Bodies> BuildLongTexts()
{
    std::map<int, Bodies> texts;

    texts[1] = {EnglishReverbWizard(), Introduction(kGermanFrame, kGermanReverbIntro, kGermanReverbSteps),
                ItalianReverbWizard()};

    texts[3] = {"Assistant is already running. Do you want to abort it?",
                "Der Assistent läuft bereits. Möchten Sie ihn abbrechen?",
                "La procedura guidata è già in esecuzione. Interromperla?"};

    texts[4] = {
        "Do you want to calibrate the measurement chain now?\n"
        "Calibration is optional, but it helps to analyse the ambient noise.\n"
        "Answer 'No' if the system is already calibrated.\n"
        "For calibration connect the sound level calibrator to the microphone and press 'OK'.\n",
        "Möchten Sie die Messkette jetzt kalibrieren?\n"
        "Die Kalibrierung ist optional, erleichtert aber die Analyse des Umgebungsgeräuschs.\n"
        "Antworten Sie mit 'Nein', wenn das System bereits kalibriert ist.\n"
        "Setzen Sie zum Kalibrieren den Schallkalibrator auf das Mikrofon und drücken Sie 'OK'.\n",
        "Calibrare ora la catena di misura?\n"
        "La calibrazione è facoltativa, ma facilita l'analisi del rumore ambientale.\n"
        "Rispondere 'No' se il sistema è già calibrato.\n"
        "Per la calibrazione applicare il calibratore acustico al microfono e premere 'OK'.\n"};

    texts[5] = {
        "The ambient noise will now be measured.\n"
        "Please reduce all noise sources: close windows and doors and switch off the air "
        "conditioning.\n"
        "The measurement will take 5s.\n"
        "Press 'OK' to start.\n",
        "Jetzt wird das Umgebungsgeräusch gemessen.\n"
        "Bitte verringern Sie alle Störgeräuschquellen: Schließen Sie Fenster und Türen und schalten "
        "Sie die Klimaanlage aus.\n"
        "Die Messung dauert 5s.\n"
        "Drücken Sie 'OK', um zu beginnen.\n",
        "Ora verrà misurato il rumore ambientale.\n"
        "Ridurre tutte le sorgenti di rumore: chiudere porte e finestre e spegnere l'impianto di "
        "climatizzazione.\n"
        "La misura durerà 5s.\n"
        "Premere 'OK' per iniziare.\n"};

    texts[6] = {EnglishVolumeAdjustment(),
                std::string("Sie hören jetzt einen Sinuston mit 1kHz.") + kGermanAdjustVolume +
                    kGermanStartLow +
                    "\nDer Hersteller übernimmt keine Haftung für Schäden, die durch einen zu hohen Pegel "
                    "entstehen.\n\n" +
                    kGermanLoudWarning,
                ItalianVolumeAdjustment()};

    texts[7] = {"If the level is adjusted and both meters are green press 'OK' to continue\n",
                "Wenn der Pegel eingestellt ist und beide Anzeigen grün sind, drücken Sie 'OK', um "
                "fortzufahren.\n",
                "Quando il livello è regolato ed entrambi gli indicatori sono verdi, premere 'OK' per "
                "continuare\n"};

    texts[8] = {"Sorry, I can't find the sine signal. Please check the connections or mixer settings",
                "Das Sinussignal wurde leider nicht gefunden. Bitte überprüfen Sie die Verbindungen oder "
                "die Einstellungen des Mischpults",
                "Spiacenti, il segnale sinusoidale non è stato trovato. Controllare i collegamenti o le "
                "impostazioni del mixer"};

    texts[9] = {
        "The sine signal is not clean. THD+N (%.2fdB %.3f%%) is too low. Please check your setup. It "
        "might be caused by distortion or other noise sources.",
        "Das Sinussignal ist nicht sauber. THD+N (%.2fdB %.3f%%) ist unzureichend. Bitte überprüfen "
        "Sie Ihren Aufbau. Ursache können Verzerrungen oder andere Störquellen sein.",
        "Il segnale sinusoidale non è pulito. Il valore THD+N (%.2fdB %.3f%%) è insufficiente. "
        "Controllare la configurazione. La causa potrebbe essere la distorsione o altre sorgenti di "
        "rumore."};

    texts[10] = {
        "The input level is too high, which might cause clipping. Please reduce the input gain (not "
        "the volume) and repeat\n",
        "Der Eingangspegel ist zu hoch, das Signal kann übersteuern. Bitte verringern Sie die "
        "Eingangsverstärkung (nicht die Lautstärke) und wiederholen Sie den Vorgang\n",
        "Il livello d'ingresso è troppo alto e potrebbe causare saturazione. Ridurre il guadagno "
        "d'ingresso (non il volume) e ripetere\n"};

    texts[11] = {
        "The sine signal level is too low. We need at least %.1fdB headroom against the noise floor. "
        "Please shut down any noise sources or increase the signal level. The current headroom is "
        "%0.1fdB",
        "Der Pegel des Sinussignals ist zu niedrig. Benötigt wird ein Abstand von mindestens %.1fdB "
        "zum Grundrauschen. Bitte schalten Sie alle Störquellen ab oder erhöhen Sie den "
        "Signalpegel. Der aktuelle Abstand beträgt %0.1fdB",
        "Il livello del segnale sinusoidale è troppo basso. Occorre un margine di almeno %.1fdB "
        "rispetto al rumore di fondo. Spegnere ogni sorgente di rumore o aumentare il livello del "
        "segnale. Il margine attuale è di %0.1fdB"};

    texts[16] = {"No valid impulse response available.\nPlease start a measurement first or load a file.",
                 "Keine gültige Impulsantwort vorhanden.\nBitte starten Sie zuerst eine Messung oder laden "
                 "Sie eine Datei.",
                 "Nessuna risposta all'impulso valida disponibile.\nAvviare prima una misura o caricare un "
                 "file."};

    texts[17] = {"Can't open file for reading", "Die Datei kann nicht zum Lesen geöffnet werden",
                 "Impossibile aprire il file in lettura"};

    texts[18] = {"Can't open file for writing", "Die Datei kann nicht zum Schreiben geöffnet werden",
                 "Impossibile aprire il file in scrittura"};

    texts[20] = {
        "Folder contains no subfolder with saved impulse respones.\nSearch for 'impulse.wav' aborted'",
        "Der Ordner enthält keinen Unterordner mit gespeicherten Impulsantworten.\nDie Suche nach "
        "'impulse.wav' wurde abgebrochen.",
        "La cartella non contiene sottocartelle con risposte all'impulso salvate.\nRicerca di "
        "'impulse.wav' interrotta."};

    texts[21] = {".wav files contain invalid number of channels",
                 "Die .wav-Dateien haben eine ungültige Anzahl von Kanälen",
                 "I file .wav contengono un numero di canali non valido"};

    texts[22] = {".wav files use different sample rates",
                 "Die .wav-Dateien haben unterschiedliche Abtastraten",
                 "I file .wav hanno frequenze di campionamento diverse"};

    texts[26] = {
        Introduction(
            kEnglishFrame, kEnglishReverbIntro,
            {"1) Connection of the microphone\n", "2) Selection of path to store the results\n",
             "3) Optional calibrating\n", "4) Start of the acoustic shock with pistol, ballon etc.\n"}),
        Introduction(kGermanFrame, kGermanReverbIntro,
                     {"1) Anschluss des Mikrofons\n",
                      "2) Auswahl des Ordners, in dem die Ergebnisse gespeichert werden\n",
                      "3) Kalibrierung (optional)\n",
                      "4) Anregung des Raums mit einem Impulsschall (Schreckschusspistole, Luftballon "
                      "o. Ä.)\n"}),
        Introduction(
            kItalianFrame, kItalianReverbIntro,
            {"1) Collegamento del microfono\n", "2) Scelta della cartella in cui salvare i risultati\n",
             "3) Calibrazione (facoltativa)\n",
             "4) Generazione dell'impulso acustico con pistola, palloncino ecc.\n"})};

    texts[27] = {
        EnglishReverbWizard(),
        Introduction(kGermanFrame,
                     std::string(kGermanReverbIntro) +
                         "Gemessen wird nach dem Verfahren mit abgeschaltetem Rauschen: Der "
                         "Lautsprecher gibt ein Rauschsignal wieder, das plötzlich abgeschaltet wird, "
                         "und der Abklingvorgang des Raums wird ausgewertet.\n",
                     kGermanReverbSteps),
        ItalianReverbWizard()};

    texts[30] = {
        EnglishReverbWizard(),
        Introduction(kGermanFrame,
                     "Willkommen beim Assistenten für einfache Messungen.\n\nDieser Assistent misst "
                     "die Schalldämmung zwischen einem Senderaum und einem Empfangsraum mit 2 "
                     "Mikrofonen. Der Lautsprecher und das Mikrofon an Kanal 1 stehen im Senderaum, "
                     "das zweite Mikrofon an Kanal 2 steht im Empfangsraum. Die Übertragungsfunktion "
                     "ergibt sich aus der Differenz der beiden Pegel.\n\nAchtung: Die "
                     "Eingangsempfindlichkeiten der beiden Mikrofone müssen mit einem "
                     "Schallkalibrator genau aufeinander abgeglichen sein.\n",
                     {"1) Kalibrierung der Mikrofone\n",
                      "2) Auswahl des Ordners, in dem die Ergebnisse gespeichert werden\n",
                      "3) Auswahl des Frequenzbereichs\n"}),
        ItalianReverbWizard()};

    texts[31] = {EnglishVolumeAdjustment(),
                 std::string("Sie hören jetzt die verschiedenen Messsignale.") + kGermanAdjustVolume +
                     kGermanStartLow + "\n" + kGermanLoudWarning,
                 ItalianVolumeAdjustment()};

    return texts;
}

}  // namespace

namespace texts
{

std::string LongText(int id, int language)
{
    static const std::map<int, Bodies> kLongTexts = BuildLongTexts();
    const auto entry = kLongTexts.find(id);
    if (entry == kLongTexts.end())
        return std::string();
    // Spanish, French and any other code read the English body.
    const std::size_t body = language == LANGUAGE_GERMAN ? 1 : language == LANGUAGE_ITALIAN ? 2 : 0;
    return entry->second[body];
}

}  // namespace texts
