// What the engine needs of the user interface. The engine knows no windows: the application
// implements this on the user-interface thread (a worker's call is carried over to it and waited
// for); tests implement it with a recorder. The default does nothing.
//
// Threads: called from the thread that runs an engine operation (user-interface or worker thread).
#pragma once

#include <string>

class CEngineNotifications
{
public:
    virtual ~CEngineNotifications() = default;
    // A message box with the text (failures the user must know of).
    virtual void ShowMessage(const std::string& text) { (void)text; }
    // A failure the program cannot continue from (measurement buffers that cannot be allocated):
    // the application shows the text and ends the process with exit code -1. If it returns, the
    // engine reports the operation as failed.
    virtual void FatalError(const std::string& text) { (void)text; }
    // The wait cursor while the input opens.
    virtual void SetWaitCursor(bool on) { (void)on; }
    // Pauses (true) or resumes (false) the 3D waterfall window while the engine stops and restarts.
    virtual void Pause3DViewer(bool pause) { (void)pause; }
    // The main window's rectangle from a settings file; false when there is no main window (the
    // engine then leaves the rectangle alone).
    virtual bool GetMainWindowRect(int& left, int& top, int& right, int& bottom)
    {
        (void)left, (void)top, (void)right, (void)bottom;
        return false;
    }
    virtual void MoveMainWindow(int left, int top, int width, int height)
    {
        (void)left, (void)top, (void)width, (void)height;
    }
    // The generator panels: the input's open asks for every panel that has no window yet (created
    // hidden); the ASIO menu shows panel `index` with its title.
    virtual void CreateGeneratorPanels() {}
    virtual bool HasGeneratorPanel(int index)
    {
        (void)index;
        return false;
    }
    virtual void ShowGeneratorPanel(int index, const std::string& title) { (void)index, (void)title; }
};
