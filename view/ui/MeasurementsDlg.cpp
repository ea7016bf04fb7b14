#include "view/ui/MeasurementsDlg.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/Debug.h"
#include "platform/Ipc.h"
#include "platform/ui/UiThread.h"

#include <wx/display.h>
#include <wx/gauge.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

// What a listener's thread and the window share: the listener waits for its message's dispatch
// until the window closes the gate (before it drops the listener, so that it never waits for a
// thread that waits for it).
struct RemoteLinkGate
{
    std::mutex lock;
    std::condition_variable changed;
    bool closed = false;
    std::uint64_t dispatched = 0;
};

namespace
{

// Window sizes at up to 100 pixels per inch and above.
const wxSize kSizeLowDpi(210, 250);
const wxSize kSizeHighDpi(264, 302);
constexpr int kSecondHeightLowDpi = 190;
constexpr int kSecondHeightHighDpi = 212;
constexpr int kRightInset = 10;
constexpr int kTopOffset = 84;
constexpr int kSecondLeftShift = 40;
constexpr int kSecondUpShift = 10;
// Least distance below the top of the owner's client area (below its menu bar and toolbars).
constexpr int kBelowToolbars = 10;

// One row of a group: a label and its value, each a text control with its id.
void AddRow(wxWindow* parent, wxSizer* sizer, int labelId, int valueId)
{
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(parent, labelId, ""), 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
    row->Add(new wxStaticText(parent, valueId, "", wxDefaultPosition, wxDefaultSize, wxALIGN_RIGHT), 1,
             wxALIGN_CENTER_VERTICAL);
    sizer->Add(row, 0, wxEXPAND | wxLEFT | wxRIGHT, 4);
}

}  // namespace

CMeasurementsDlg::CMeasurementsDlg(int curve, const wxRect& ownerRect)
    : wxDialog(nullptr, wxID_ANY, curve == 0 ? "Measurements" : kSecondTitle, wxDefaultPosition,
               wxDefaultSize, wxCAPTION | wxCLOSE_BOX | wxRESIZE_BORDER),
      m_nCurve(curve)
{
    using R = CReadoutTexts;
    auto* column = new wxBoxSizer(wxVERTICAL);
    auto* cursor = new wxStaticBoxSizer(new wxStaticBox(this, R::kCursorGroup, ""), wxVERTICAL);
    AddRow(this, cursor, R::kCursorXLabel, R::kCursorPosition);
    AddRow(this, cursor, R::kCursorValueLabel, R::kCursorValue);
    column->Add(cursor, 0, wxEXPAND | wxALL, 3);
    auto* peak = new wxStaticBoxSizer(new wxStaticBox(this, R::kPeakGroup, ""), wxVERTICAL);
    AddRow(this, peak, R::kPeakXLabel, R::kPeakPosition);
    AddRow(this, peak, R::kPeakValueLabel, R::kPeakValue);
    column->Add(peak, 0, wxEXPAND | wxALL, 3);
    AddRow(this, column, R::kLevelLabel, R::kLevelValue);
    AddRow(this, column, R::kFirstLineLabel, R::kFirstLineValue);
    AddRow(this, column, R::kSecondLineLabel, R::kSecondLineValue);
    AddRow(this, column, R::kExtraLabel, R::kExtraValue);
    auto* progress = new wxBoxSizer(wxHORIZONTAL);
    progress->Add(new wxStaticText(this, R::kProgressLabel, ""), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
    m_pProgress = new wxGauge(this, R::kProgressBar, 100);
    progress->Add(m_pProgress, 1, wxALIGN_CENTER_VERTICAL);
    column->Add(progress, 0, wxEXPAND | wxALL, 4);
    if (curve != 0)
        progress->Show(false);
    SetSizer(column);

    PlaceInside(ownerRect, ownerRect);
    Bind(wxEVT_CLOSE_WINDOW, &CMeasurementsDlg::OnClose, this);
    Listen(GetTitle());
}

CMeasurementsDlg::~CMeasurementsDlg()
{
    DropListener();
}

void CMeasurementsDlg::SetRemoteForward(RemoteForward forward)
{
    m_forward = std::move(forward);
}

void CMeasurementsDlg::SetTitle(const wxString& title)
{
    wxDialog::SetTitle(title);
    if (title != m_listenTitle)
        Listen(title);
}

void CMeasurementsDlg::DropListener()
{
    if (m_pGate)
    {
        std::lock_guard lock(m_pGate->lock);
        m_pGate->closed = true;
        m_pGate->changed.notify_all();
    }
    m_pListener.reset();
    m_pGate.reset();
}

void CMeasurementsDlg::Listen(const wxString& title)
{
    auto gate = std::make_shared<RemoteLinkGate>();
    const std::string name = title.utf8_string();
    auto handler = [this, gate](std::uint64_t, std::span<const std::byte> bytes) -> std::int32_t
    {
        // The bytes live only during this call: the window's thread gets a copy.
        auto copy = std::make_shared<std::vector<std::byte>>(bytes.begin(), bytes.end());
        std::uint64_t ticket = 0;
        {
            std::lock_guard lock(gate->lock);
            ticket = gate->dispatched;
        }
        // A message that arrives while the title changes still runs; only its sender has its
        // answer before it.
        const bool queued = platform::ui::PostToWindow(this,
                                                       [this, gate, copy]
                                                       {
                                                           if (m_forward)
                                                               m_forward(0, *copy);
                                                           std::lock_guard lock(gate->lock);
                                                           ++gate->dispatched;
                                                           gate->changed.notify_all();
                                                       });
        if (queued)
        {
            std::unique_lock lock(gate->lock);
            while (!gate->closed && gate->dispatched <= ticket && !platform::ui::IsUiClosing())
                gate->changed.wait_for(lock, std::chrono::milliseconds(100));
        }
        return 0;
    };
    // The new name is bound before the old one is dropped: a sender never finds neither.
    auto listener = platform::CopyDataListener::Listen(name, handler, kMaxRemoteMessageBytes);
    if (!listener)
        platform::DebugOutput("no remote link for the window \"%s\"", name.c_str());
    DropListener();
    m_pListener = std::move(listener);
    m_pGate = m_pListener ? gate : nullptr;
    m_listenTitle = title;
}

void CMeasurementsDlg::PlaceInside(const wxRect& ownerRect, const wxRect& ownerClient)
{
    // Inside the owner's right edge, below its top and never above its client area, so that the
    // menu bar and the toolbars stay free; the second window a little to the left and higher, and
    // lower.
    const wxDisplay display(
        static_cast<unsigned>(std::max(0, wxDisplay::GetFromPoint(ownerRect.GetTopLeft()))));
    const bool lowDpi = display.GetPPI().x <= 100;
    wxSize size = lowDpi ? kSizeLowDpi : kSizeHighDpi;
    const int right = std::min(ownerRect.GetRight(), ownerClient.GetRight());
    wxPoint position(right - kRightInset - size.x, ownerRect.GetTop() + kTopOffset);
    if (m_nCurve != 0)
    {
        size.y = lowDpi ? kSecondHeightLowDpi : kSecondHeightHighDpi;
        position.x -= kSecondLeftShift;
        position.y -= kSecondUpShift;
    }
    position.y = std::max(position.y, ownerClient.GetTop() + kBelowToolbars);
    SetSize(wxRect(position, size));
}

void CMeasurementsDlg::ShowTexts(const CReadoutTexts& texts)
{
    if (!texts.m_strTitle.empty())
        SetTitle(wxString::FromUTF8(texts.m_strTitle));
    using R = CReadoutTexts;
    for (int id :
         {R::kCursorGroup, R::kCursorXLabel, R::kCursorPosition, R::kCursorValueLabel, R::kCursorValue,
          R::kPeakGroup, R::kPeakXLabel, R::kPeakPosition, R::kPeakValueLabel, R::kPeakValue, R::kLevelLabel,
          R::kLevelValue, R::kFirstLineLabel, R::kFirstLineValue, R::kSecondLineLabel, R::kSecondLineValue,
          R::kExtraLabel, R::kExtraValue, R::kProgressLabel})
        if (wxWindow* control = FindWindow(id))
        {
            const wxString text = wxString::FromUTF8(texts.Text(id));
            if (control->GetLabel() != text)
                control->SetLabel(text);
        }
    if (m_nCurve == 0 && m_pProgress)
        m_pProgress->SetValue(std::clamp(texts.m_nProgress, 0, 100));
    Layout();
}

wxString CMeasurementsDlg::GetControlText(int id) const
{
    const wxWindow* control = FindWindow(id);
    return control ? control->GetLabel() : wxString();
}

void CMeasurementsDlg::OnClose(wxCloseEvent& event)
{
    if (event.CanVeto())
    {
        Hide();
        event.Veto();
        return;
    }
    Destroy();
}
