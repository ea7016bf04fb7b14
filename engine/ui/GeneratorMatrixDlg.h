// CGeneratorMatrixDlg: the modal "generator" matrix dialog: per channel row (at most 24) the active
// switch, the output channel number (1-based), the scale in dB, the name (shown only), the routing
// text, the pre-scale and the test switch; buttons reset the copy to the defaults, switch all rows
// or all test switches, and apply the routing presets. OK reads every row back into the copy.
//
// Threads: user-interface thread only.
#pragma once

#include "engine/GeneratorChannelSettings.h"

#include <vector>

#include <wx/dialog.h>

class wxCheckBox;
class wxTextCtrl;

class CGeneratorMatrixDlg : public wxDialog
{
public:
    // The layout's ids 5100.. (5400.. in the level window) lie in the toolkit's range of standard ids
    // (wxID_OK is 5100); the controls take them 10000 higher.
    static constexpr int kFirstActiveId = 15100;
    static constexpr int kResetId = 479;
    static constexpr int kAllOffId = 481;
    static constexpr int kStereoId = 482;
    static constexpr int kFiveGeneratorsId = 483;
    static constexpr int kTestId = 485;
    static constexpr int kOneToOneId = 487;

    CGeneratorMatrixDlg(wxWindow* parent, const CGeneratorMatrix_settings& settings);

    int GetRowCount() const { return static_cast<int>(m_rows.size()); }
    // The rows from the copy, and back (OK does this).
    void Refresh();
    void ReadRows();
    void Preset(CGeneratorMatrix_settings::Preset preset);
    void ToggleAll(bool test);

    struct Row
    {
        wxCheckBox* active = nullptr;
        wxTextCtrl* channel = nullptr;
        wxTextCtrl* scale = nullptr;
        wxTextCtrl* name = nullptr;
        wxTextCtrl* routing = nullptr;
        wxTextCtrl* preScale = nullptr;
        wxCheckBox* test = nullptr;
    };
    const Row& GetRow(int row) const { return m_rows[static_cast<std::size_t>(row)]; }

    CGeneratorMatrix_settings m_settings;

    bool TransferDataFromWindow() override;

private:
    std::vector<Row> m_rows;
};
