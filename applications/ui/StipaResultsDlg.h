// CStipaResultsDlg: the "STI-PA" window of the live speech-transmission analysis. Its measurement
// window creates it hidden, shows it while the analysis runs and refreshes it: the band table
// (rows "RMS", "MTI", "M1", "M2"), the STI with its rating, the elapsed time and two value displays.
// The user's choices and requests (gender, the RASTI and STIPA methods, which exclude each other,
// reset, signal-to-noise table, background noise) wait in the state for the next refresh. "copy to
// clipboard" copies the result lines; the RMS levels can be saved as the signal or the noise of a
// signal-to-noise file.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>

#include <array>
#include <string>
#include <vector>

#include "applications/StipaResultsState.h"
#include "applications/ui/BandTableGrid.h"
#include "view/MeterPaint.h"

class CMeterDlg;

class CStipaResultsDlg : public wxDialog
{
public:
    static constexpr int kIdReset = 279;
    static constexpr int kIdCopy = 284;
    static constexpr int kIdSaveSignal = 288;
    static constexpr int kIdSaveNoise = 294;
    static constexpr int kIdRasti = 177;
    static constexpr int kIdNtiStipa = 178;
    static constexpr int kIdEnable = 434;
    static constexpr int kIdMale = 746;
    static constexpr int kIdFemale = 747;
    static constexpr int kIdSti = 748;
    static constexpr int kIdElapsed = 749;
    static constexpr int kIdGender = 750;
    static constexpr int kIdSnr = 1499;
    static constexpr int kIdNoise = 1500;
    static constexpr int kRows = 4;  // RMS, MTI, M1, M2

    explicit CStipaResultsDlg(wxWindow* parent);
    ~CStipaResultsDlg() override;

    // Shows the state's texts and table (the measurement window's refresh calls it).
    void RefreshResults();
    // Whether the gender can be chosen (not with RASTI or STIPA).
    void EnableGender(bool enable);

    CStipaResultsState& GetState() { return m_state; }
    // The band table's texts: column 0 the row titles, column 1 + k band k.
    std::array<std::vector<std::string>, 8>& GetColumns() { return m_columns; }
    CBandTableGrid* GetGrid() const { return m_pGrid; }
    CMeterDlg* GetValueDisplay(int index) const { return m_pDisplays[index]; }
    MeterState& GetValueState(int index) { return m_displayStates[index]; }
    wxString GetControlText(int id) const;

private:
    void OnGender(wxCommandEvent& event);
    void OnRasti(wxCommandEvent& event);
    void OnNtiStipa(wxCommandEvent& event);
    void OnCopy(wxCommandEvent& event);
    void OnSaveRms(wxCommandEvent& event);
    void OnShow(wxShowEvent& event);
    // The check boxes as the state has them.
    void ShowMethodBoxes();
    void PlaceValueDisplays();

    CStipaResultsState m_state;
    CBandTableGrid* m_pGrid = nullptr;
    std::vector<std::string> m_titles;
    std::array<std::vector<std::string>, 8> m_columns;
    std::array<MeterState, 2> m_displayStates;
    std::array<CMeterDlg*, 2> m_pDisplays{};
};
