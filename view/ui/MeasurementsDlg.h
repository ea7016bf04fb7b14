// CMeasurementsDlg: one "Measurements" readout window of a measurement window: cursor and peak
// values, the level line, two distortion lines, an extra line and the progress bar. A modeless
// pop-up without a parent; closing it only hides it, the measurement window destroys it.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "view/Readouts.h"

namespace platform
{
class CopyDataListener;
}
struct RemoteLinkGate;

class wxGauge;

class CMeasurementsDlg : public wxDialog
{
public:
    static constexpr const char* kSecondTitle = "Measurements 2.nd curve";

    // curve 0: the first window (follows the selected curve), 1: the second (curve 1). The owner's
    // screen rectangle places the window inside its right edge.
    CMeasurementsDlg(int curve, const wxRect& ownerRect);

    int GetCurve() const { return m_nCurve; }
    // Places the window by the owner's screen rectangle and the screen rectangle of its client
    // area (below the owner's menu bar and toolbars).
    void PlaceInside(const wxRect& ownerRect, const wxRect& ownerClient);
    // Shows the texts (and the progress of the first window).
    void ShowTexts(const CReadoutTexts& texts);
    // The text of a control (tests read what a user sees).
    wxString GetControlText(int id) const;

    // Other programs reach the window by its title: each title listens on its socket (the new one
    // is bound before the old one is dropped). A message runs the forward call on the
    // user-interface thread, and its sender gets 0 after that.
    using RemoteForward = std::function<void(std::uint64_t wParam, std::span<const std::byte> bytes)>;
    void SetRemoteForward(RemoteForward forward);
    void SetTitle(const wxString& title) override;
    ~CMeasurementsDlg() override;
    // The largest message the window takes: a sample block of the most frames the intake takes,
    // eight channels wide, with its header.
    static constexpr std::size_t kMaxRemoteMessageBytes = 56 + 262144u * 8u * 4u;

private:
    void Listen(const wxString& title);
    void DropListener();
    RemoteForward m_forward;
    std::unique_ptr<platform::CopyDataListener> m_pListener;
    std::shared_ptr<RemoteLinkGate> m_pGate;
    wxString m_listenTitle;

    void OnClose(wxCloseEvent& event);

    int m_nCurve;
    wxGauge* m_pProgress = nullptr;
};
