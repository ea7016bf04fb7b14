// The generator program's application object: text tables, the one frame with the menus of the
// user's language, the test hooks, and SIGTERM handled like closing the frame.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/app.h>

#include <memory>

class CGeneratorWnd;
class CMainFrame;
class wxMenuBar;

class CGeneratorApp : public wxApp
{
public:
    bool OnInit() override;
    int OnExit() override;

    // The menu bar of the current language: German (129) for code 1, otherwise English (128),
    // translated for codes 2..4. Made once; the frame owns it afterwards.
    wxMenuBar* GetLanguageMenu();

private:
    void InstallTestHooks();

    CMainFrame* m_pFrame = nullptr;
    wxMenuBar* m_pMenu = nullptr;
    std::shared_ptr<CGeneratorWnd> m_core;
};
