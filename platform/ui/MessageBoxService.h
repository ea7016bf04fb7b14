// The one way the program asks the user a question or tells them something in a box, and asks for
// a file name. Every box goes through ShowMessageBox and every file dialog through ShowFileDialog,
// so a test installs a responder and runs every branch unattended.
//
// Threads: ShowMessageBox may be called from any thread; a worker's box is shown on the
// user-interface thread while the worker waits. The responder is called on the user-interface
// thread; installing one is done by the test's (or program's) main thread.
#pragma once

#include <functional>
#include <string>

class wxWindow;

namespace platform::ui
{

struct MessageBoxRequest
{
    std::string text;
    std::string caption;
    long style = 0;  // wxOK, wxYES_NO, wxCANCEL, wxNO_DEFAULT, wxICON_...
};

// Returns the button pressed: wxID_OK, wxID_CANCEL, wxID_YES or wxID_NO.
using MessageBoxResponder = std::function<int(const MessageBoxRequest&)>;

// Installs a responder (an empty one brings back the real box); returns the one it replaces.
MessageBoxResponder SetMessageBoxResponder(MessageBoxResponder responder);

// Shows the box (or asks the responder) and returns the button pressed. Without a running
// toolkit, or while the user interface is closing, nothing is shown and the answer is wxID_CANCEL
// for boxes with a Cancel button, wxID_NO for Yes/No boxes and wxID_OK otherwise.
int ShowMessageBox(const std::string& text, const std::string& caption, long style,
                   wxWindow* parent = nullptr);

// Installs a responder for the lifetime of the object; the previous one comes back afterwards.
class ScopedMessageBoxResponder
{
public:
    explicit ScopedMessageBoxResponder(MessageBoxResponder responder);
    ~ScopedMessageBoxResponder();
    ScopedMessageBoxResponder(const ScopedMessageBoxResponder&) = delete;
    ScopedMessageBoxResponder& operator=(const ScopedMessageBoxResponder&) = delete;

private:
    MessageBoxResponder m_previous;
};

// A file dialog: open or save, the toolkit's wildcard ("description|pattern;pattern|..."), the
// folder and file it starts with.
struct FileDialogRequest
{
    bool save = false;
    std::string wildcard;
    std::string folder;
    std::string file;
};

// Returns the chosen path, or an empty string for Cancel.
using FileDialogResponder = std::function<std::string(const FileDialogRequest&)>;

// Installs a responder (an empty one brings back the real dialog); returns the one it replaces.
FileDialogResponder SetFileDialogResponder(FileDialogResponder responder);

// Shows the dialog (or asks the responder) on the user-interface thread and returns the chosen
// path; empty when cancelled, or without a running toolkit. The save dialog asks no overwrite
// question and the open dialog does not require the file to exist.
std::string ShowFileDialog(const FileDialogRequest& request, wxWindow* parent = nullptr);

class ScopedFileDialogResponder
{
public:
    explicit ScopedFileDialogResponder(FileDialogResponder responder);
    ~ScopedFileDialogResponder();
    ScopedFileDialogResponder(const ScopedFileDialogResponder&) = delete;
    ScopedFileDialogResponder& operator=(const ScopedFileDialogResponder&) = delete;

private:
    FileDialogResponder m_previous;
};

}  // namespace platform::ui
