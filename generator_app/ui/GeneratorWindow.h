// The generator program's working window: fills the frame, shows the generator core, starts the
// link to Tessarin once its first paint has loaded "saved.sgs", and saves on close.
//
// Threads: user-interface thread. The link's listener thread hands each message over to this
// thread and answers after the record has been applied.
#pragma once

#include "generator_app/GeneratorWnd.h"
#include "platform/Ipc.h"

#include <wx/window.h>

#include <functional>
#include <memory>

class CGeneratorWindow : public wxWindow
{
public:
    CGeneratorWindow(wxWindow* parent, std::shared_ptr<CGeneratorWnd> core);
    ~CGeneratorWindow() override;

    CGeneratorWnd& Core() { return *m_core; }
    bool IsListening() const { return m_listener != nullptr; }
    // Saves "saved.sgs", stops the output and ends the link (waiting senders give up).
    void CloseGenerator();
    // Runs after the first paint once the link listens (or could not).
    std::function<void()> m_onReady;

private:
    void OnPaint(wxPaintEvent& event);
    void StartListening();

    std::shared_ptr<CGeneratorWnd> m_core;
    std::unique_ptr<platform::CopyDataListener> m_listener;
    bool m_bClosed = false;
    bool m_bSecondCopy = false;
};
