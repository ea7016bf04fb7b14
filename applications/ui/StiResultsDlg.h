// CStiResultsDlg: the "Speech intelligibility" results of an impulse-response evaluation: the
// modulation transfer table (one row per modulation frequency 0.63 Hz ... 12.5 Hz, one column per
// octave band 125 Hz ... 8 kHz), STI and RASTI with their ratings, and the STI for male and female
// speech. Modal; shows the evaluator it is given and changes nothing.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>

#include <array>
#include <string>
#include <vector>

#include "applications/ui/BandTableGrid.h"
#include "dsp/StiEvaluator.h"

class CStiResultsDlg : public wxDialog
{
public:
    static constexpr int kIdGrid = 454;
    static constexpr int kIdSti = 455;
    static constexpr int kIdRasti = 337;
    static constexpr int kIdStiRating = 636;
    static constexpr int kIdRastiRating = 638;
    static constexpr int kIdStiMale = 457;
    static constexpr int kIdStiFemale = 458;

    CStiResultsDlg(wxWindow* parent, const CStiEvaluator& evaluator);

    // The text of a control (tests read what a user sees).
    wxString GetControlText(int id) const;
    CBandTableGrid* GetGrid() const { return m_pGrid; }

private:
    CBandTableGrid* m_pGrid = nullptr;
    std::vector<std::string> m_titles;
    std::array<std::vector<std::string>, CStiEvaluator::kBands + 1> m_columns;
};
