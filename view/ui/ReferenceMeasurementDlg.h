// "reference measurement": loads a reference spectrum file (".ref") into the engine, which shows
// the measurement relative to it while "apply reference" is set; saves the engine's current
// spectrum as such a file; "reset" forgets the file and the reference. The opener copies the
// switch and the path in and back after OK. A file that cannot be read changes nothing and says why.
//
// Threads: user-interface thread only.
#pragma once

#include <string>

#include <wx/dialog.h>

class CSoundIn;
class wxCheckBox;
class wxStaticText;

class CReferenceMeasurementDlg : public wxDialog
{
public:
    static constexpr int kIdLoad = 205;
    static constexpr int kIdSave = 211;
    static constexpr int kIdStatus = 218;
    static constexpr int kIdApply = 223;
    static constexpr int kIdReset = 233;

    CReferenceMeasurementDlg(wxWindow* parent, CSoundIn& engine);

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;
    int ShowModal() override;
    // Each returns whether it did what it says.
    bool OnLoad();
    bool OnSave();
    void OnReset();

    // Runs the dialog on the engine's "apply reference" switch and the reference's file path.
    static bool EditEngine(wxWindow* parent, CSoundIn& engine, std::string& path);

    std::string m_strPath;
    int m_bApply = 0;

private:
    void SetStatus(const std::string& text);
    CSoundIn& m_engine;
    wxCheckBox* m_pApply;
    wxStaticText* m_pStatus;
};
