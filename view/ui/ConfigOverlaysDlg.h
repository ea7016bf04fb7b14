// "Config Overlays": one row per overlay with its number, name, line-style button and shown check
// box, and "hide all" and "show all" buttons. It works on the measurement window's settings: the
// style buttons and the two all-buttons change them at once, OK stores every row's name and check
// box, Cancel keeps the names and the check boxes.
//
// Threads: user-interface thread only.
#pragma once

#include <array>

#include <wx/dialog.h>

#include "display/settings/ViewSettings.h"

class wxButton;
class wxCheckBox;
class wxTextCtrl;

class CConfigOverlaysDlg : public wxDialog
{
public:
    static constexpr int kRows = CViewSettings::kOverlayCount;
    // Row r (0..9): name 1200 + r, style button 1220 + r, check box 1240 + r.
    static constexpr int kIdNameBase = 1200;
    static constexpr int kIdStyleBase = 1220;
    static constexpr int kIdActiveBase = 1240;
    static constexpr int kIdHideAll = 1260;
    static constexpr int kIdShowAll = 1261;

    CConfigOverlaysDlg(wxWindow* parent, CViewSettings& settings);

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    // "hide all" (false) and "show all" (true): every overlay's shown flag, in the settings and on
    // the check boxes.
    void SetAllShown(bool shown);
    // The row's style button: "Line Styles" on the overlay's style, stored on OK.
    void EditStyle(int row);

    std::array<wxTextCtrl*, kRows> m_pNames{};
    std::array<wxButton*, kRows> m_pStyles{};
    std::array<wxCheckBox*, kRows> m_pActive{};

private:
    CViewSettings& m_settings;
};
