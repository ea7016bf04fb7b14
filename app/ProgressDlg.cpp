#include "app/ProgressDlg.h"

#include "platform/ui/MessageBoxService.h"
#include "platform/ui/UiThread.h"

#include <wx/gauge.h>
#include <wx/sizer.h>

namespace
{
constexpr const char* kNoTimerText = "Not enough timers available for this window.";
constexpr const char* kNoTimerCaption = "Progress";
}  // namespace

CProgressDlg::CProgressDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxCAPTION),
      m_timer(this, kTimerId)
{
    m_pBar = new wxGauge(this, kIdProgressBar, kRange, wxDefaultPosition, wxSize(240, 18));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_pBar, 0, wxEXPAND | wxALL, 8);
    SetSizerAndFit(sizer);
    Bind(
        wxEVT_TIMER, [this](wxTimerEvent&) { OnTimer(); }, kTimerId);
    // A close asked for by the worker hides and destroys the window; the job forgets it then.
    Bind(wxEVT_CLOSE_WINDOW,
         [this](wxCloseEvent&)
         {
             m_timer.Stop();
             Hide();
         });
}

CProgressDlg::~CProgressDlg()
{
    m_timer.Stop();
}

bool CProgressDlg::Create()
{
    if (!m_timer.Start(kTimerPeriodMs))
    {
        platform::ui::ShowMessageBox(kNoTimerText, kNoTimerCaption, wxOK | wxICON_EXCLAMATION, this);
        return false;
    }
    return true;
}

void CProgressDlg::Start(const std::string& title)
{
    SetTitle(wxString::FromUTF8(title));
    m_pBar->SetRange(kRange);
    m_pBar->SetValue(0);
    Show();
}

void CProgressDlg::PostClose()
{
    platform::ui::PostToWindow(this, [this] { Close(); });
}

void CProgressDlg::DestroyWindow()
{
    m_timer.Stop();
    Destroy();
}

void CProgressDlg::OnTimer()
{
    if (m_pValue != nullptr)
    {
        const double value = m_pValue->load(std::memory_order_relaxed);
        if (value >= 0.0 && value <= 1.0)
            m_pBar->SetValue(static_cast<int>(value * kRange));
    }
    if (m_nStep != 0)
    {
        int position = m_pBar->GetValue() + m_nStep;
        if (position > kRange)
            position = 0;
        m_pBar->SetValue(position);
    }
}

int CProgressDlg::GetPosition() const
{
    return m_pBar->GetValue();
}

JobProgressWindowPtr CProgressDlg::CreateForJob()
{
    auto* dialog = new CProgressDlg(nullptr);
    if (!dialog->Create())
    {
        dialog->Destroy();
        return nullptr;
    }
    return JobProgressWindowPtr(dialog);
}
