// "Load an overlay from a text file" and "Save an overlay to a text file": the overlay (1 to 10) and
// the data format of the file (logarithmic in dB, linear in per cent, linear). The caller fills
// m_values, runs the dialog modally and takes m_values after OK.
//
// Threads: user-interface thread only.
#pragma once

#include <array>

#include <wx/dialog.h>

#include "view/OverlayDialogValues.h"

class wxRadioButton;
class wxSpinCtrl;

class COverlayFileDlg : public wxDialog
{
public:
    static constexpr int kIdOverlay = 1121;
    static constexpr int kIdFirstFormat = 1122;  // dB, %, linear

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    OverlayFileValues m_values;
    wxSpinCtrl* m_pOverlay = nullptr;
    std::array<wxRadioButton*, 3> m_pFormats{};

protected:
    // The caption and the label in front of the overlay number.
    COverlayFileDlg(wxWindow* parent, const std::string& caption, const std::string& overlayLabel);
};

class CLoadOverlayDlg : public COverlayFileDlg
{
public:
    explicit CLoadOverlayDlg(wxWindow* parent);
};

class CSaveOverlayDlg : public COverlayFileDlg
{
public:
    explicit CSaveOverlayDlg(wxWindow* parent);
};
