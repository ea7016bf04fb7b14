#include "generator_app/ui/GeneratorWindow.h"

#include "engine/GeneratorLink.h"
#include "generator_app/GeneratorTrace.h"
#include "platform/ui/MessageBoxService.h"
#include "platform/ui/UiThread.h"

#include <wx/dcclient.h>
#include <wx/frame.h>
#include <wx/msgdlg.h>

#include <atomic>
#include <vector>

CGeneratorWindow::CGeneratorWindow(wxWindow* parent, std::shared_ptr<CGeneratorWnd> core)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_SUNKEN), m_core(std::move(core))
{
    SetBackgroundColour(*wxWHITE);
    Bind(wxEVT_PAINT, &CGeneratorWindow::OnPaint, this);
}

CGeneratorWindow::~CGeneratorWindow()
{
    CloseGenerator();
}

void CGeneratorWindow::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    if (m_core->HasPainted())
        return;
    m_core->OnFirstPaint();
    SetName(CGeneratorWnd::kWindowText);
    // The link opens only now, so that a record never meets the settings before "saved.sgs".
    CallAfter([this] { StartListening(); });
}

void CGeneratorWindow::StartListening()
{
    if (m_bClosed || m_listener)
        return;
    std::weak_ptr<CGeneratorWnd> weak = m_core;
    auto handler = [weak](std::uint64_t, std::span<const std::byte> bytes) -> std::int32_t
    {
        // The bytes live only during this call; the user-interface thread gets its own copy, and the
        // answer is given once the record has been applied there.
        auto reply = std::make_shared<std::atomic<std::int32_t>>(0);
        std::vector<std::byte> copy(bytes.begin(), bytes.end());
        const bool ran = platform::ui::SendToUi(
            [weak, reply, copy = std::move(copy)]
            {
                if (auto core = weak.lock())
                    reply->store(core->OnCopyData(copy));
            });
        return ran ? reply->load() : 0;
    };
    m_listener = platform::CopyDataListener::Listen(kGeneratorProgramTitle, handler, kSigGenWireBytes);
    if (m_listener)
        GeneratorTrace("listening");
    else if (platform::FindWindowSocket(kGeneratorProgramTitle))
    {
        // The other copy owns "saved.sgs": this one ends without writing it.
        m_bSecondCopy = true;
        platform::ui::ShowMessageBox("Pulvera is already running; this copy ends.", "Pulvera",
                                     wxOK | wxICON_INFORMATION, this);
        if (wxWindow* frame = wxGetTopLevelParent(this))
            frame->Close();
        return;
    }
    else
        platform::ui::ShowMessageBox(
            "Pulvera cannot receive settings from Tessarin: the link cannot be opened.", "Pulvera",
            wxOK | wxICON_EXCLAMATION, this);
    if (m_onReady)
        m_onReady();
}

void CGeneratorWindow::CloseGenerator()
{
    if (m_bClosed)
        return;
    m_bClosed = true;
    if (m_core->HasPainted() && !m_bSecondCopy)
        GeneratorTrace(m_core->OnClose() ? "saved" : "not saved");
    else
        m_core->OnStop();
    GeneratorTrace("underruns " + std::to_string(m_core->m_soundOut.GetUnderruns()));
    // A sender that waits for this thread gives up, so the listener's thread can be joined.
    platform::ui::SetUiClosing(true);
    m_listener.reset();
}
