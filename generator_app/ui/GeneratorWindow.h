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

class CGeneratorDlg;

class CGeneratorWindow : public wxWindow
{
public:
    // The panel's fixed upper frequency limit in this program (Hz).
    static constexpr double kPanelUpperFrequency = 20000.0;
    // The language setting that gives the panel its German layout.
    static constexpr int kGermanLanguage = 1;

    CGeneratorWindow(wxWindow* parent, std::shared_ptr<CGeneratorWnd> core);
    ~CGeneratorWindow() override;

    CGeneratorWnd& Core() { return *m_core; }
    bool IsListening() const { return m_listener != nullptr; }
    // Saves "saved.sgs", stops the output and ends the link (waiting senders give up).
    void CloseGenerator();
    // Runs after the first paint once the link listens (or could not).
    std::function<void()> m_onReady;
    // Runs once the panel exists, with its size at the creation scale (the frame fits itself to it).
    std::function<void(const wxSize&)> m_onPanelCreated;

    // The generator panel, made at the first paint (null before).
    CGeneratorDlg* GetPanel() const { return m_pPanel; }
    // Lays the panel out at a scale (96 the normal size).
    void RescalePanel(double scale);
    // Runs one of the program's commands that this window or its panel carries out; false for any
    // other command.
    bool RunCommand(unsigned id);
    // Whether the command carries a check mark now (false for the ones without).
    bool IsChecked(unsigned id) const;
    // The panel command that a program command opens, or 0.
    static int PanelCommand(unsigned id);

private:
    void CreatePanel();
    void OnWriteWaveFile();
    void OnSoundCardSettings();
    void OnSelectSpeaker();
    void OnLanguage();
    void OnPaint(wxPaintEvent& event);
    void StartListening();

    std::shared_ptr<CGeneratorWnd> m_core;
    std::unique_ptr<platform::CopyDataListener> m_listener;
    bool m_bClosed = false;
    bool m_bSecondCopy = false;
    CGeneratorDlg* m_pPanel = nullptr;
    double m_dPanelScale = 0.0;
};
