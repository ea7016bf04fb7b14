#include "applications/ui/SpeechIntelligibilityCommands.h"

#include "applications/StiSnrTexts.h"
#include "applications/ui/StiResultsDlg.h"
#include "applications/ui/StipaNoiseDlg.h"
#include "engine/SoundIn.h"
#include "platform/ui/MessageBoxService.h"
#include "texts/TextTable.h"
#include "view/SndView.h"

namespace
{

constexpr int kTextNotAvailable = 1000382;
// Results below it mean "not evaluated" (-10) or "not available" (-1).
constexpr double kValidSti = -0.5;

}  // namespace

void DisplayStiResults(CSndView& view, wxWindow* parent)
{
    if (view.m_dImpulseSti < kValidSti)
    {
        std::string text = GetText(kTextNotAvailable);
        const auto at = text.find("%s");
        if (at != std::string::npos)
            text.replace(at, 2, "STI ");
        platform::ui::ShowMessageBox(text, "Tessarin", wxOK | wxICON_EXCLAMATION, parent);
        return;
    }
    view.m_stiEvaluator.m_snr.Assign(view.GetEngine().m_stiSnrValues);
    CStiResultsDlg dialog(parent, view.m_stiEvaluator);
    dialog.ShowModal();
}

void EditStiSignalToNoise(CSoundIn& engine, wxWindow* parent)
{
    CStipaNoiseDlg dialog(parent, MakeStiSnrTexts(engine.m_stiSnrValues));
    if (dialog.ShowModal() != wxID_OK)
        return;
    int badBand = -1;
    // The dialog took only texts it can read; a refusal here leaves the set as it was.
    ApplyStiSnrTexts(dialog.m_texts, engine.m_stiSnrValues, badBand);
}
