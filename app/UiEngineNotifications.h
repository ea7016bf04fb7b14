// The engine's notifications carried to the user-interface thread: a worker's message box or wait
// cursor is shown there while the worker waits.
//
// Threads: any thread may call; the work runs on the user-interface thread.
#pragma once

#include "engine/EngineNotifications.h"

class CUiEngineNotifications : public CEngineNotifications
{
public:
    void ShowMessage(const std::string& text) override;
    // Shows the text and ends the process with exit code -1.
    void FatalError(const std::string& text) override;
    void SetWaitCursor(bool on) override;
    // Pauses (true) or resumes (false) the 3D waterfall window when one is open.
    void Pause3DViewer(bool pause) override;
    // The application's main window (user-interface thread).
    bool GetMainWindowRect(int& left, int& top, int& right, int& bottom) override;
    void MoveMainWindow(int left, int top, int width, int height) override;
    // The main window's generator panels.
    void CreateGeneratorPanels() override;
    bool HasGeneratorPanel(int index) override;
    void ShowGeneratorPanel(int index, const std::string& title) override;
};
