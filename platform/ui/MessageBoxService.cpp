#include "platform/ui/MessageBoxService.h"

#include "platform/ui/UiThread.h"

#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>

#include <mutex>

namespace platform::ui
{
namespace
{

std::mutex g_responderMutex;
MessageBoxResponder g_responder;
FileDialogResponder g_fileResponder;

int UnattendedAnswer(long style)
{
    if (style & wxCANCEL)
        return wxID_CANCEL;
    if (style & wxYES_NO)
        return wxID_NO;
    return wxID_OK;
}

int ShowOnUiThread(const MessageBoxRequest& request, wxWindow* parent)
{
    MessageBoxResponder responder;
    {
        std::lock_guard lock(g_responderMutex);
        responder = g_responder;
    }
    if (responder)
        return responder(request);
    wxMessageDialog dialog(parent, wxString::FromUTF8(request.text), wxString::FromUTF8(request.caption),
                           request.style);
    return dialog.ShowModal();
}

}  // namespace

MessageBoxResponder SetMessageBoxResponder(MessageBoxResponder responder)
{
    std::lock_guard lock(g_responderMutex);
    std::swap(g_responder, responder);
    return responder;
}

int ShowMessageBox(const std::string& text, const std::string& caption, long style, wxWindow* parent)
{
    const MessageBoxRequest request{text, caption, style};
    int answer = UnattendedAnswer(style);
    if (!wxTheApp)
        return answer;
    if (IsUiThread())
        return ShowOnUiThread(request, parent);
    // A worker's box has no parent of its own: windows belong to the user-interface thread.
    if (!SendToUi([&] { answer = ShowOnUiThread(request, nullptr); }))
        return UnattendedAnswer(style);
    return answer;
}

FileDialogResponder SetFileDialogResponder(FileDialogResponder responder)
{
    std::lock_guard lock(g_responderMutex);
    std::swap(g_fileResponder, responder);
    return responder;
}

namespace
{

std::string ShowFileDialogOnUiThread(const FileDialogRequest& request, wxWindow* parent)
{
    FileDialogResponder responder;
    {
        std::lock_guard lock(g_responderMutex);
        responder = g_fileResponder;
    }
    if (responder)
        return responder(request);
    const long style = request.save ? wxFD_SAVE : wxFD_OPEN;
    wxFileDialog dialog(parent, wxFileSelectorPromptStr, wxString::FromUTF8(request.folder),
                        wxString::FromUTF8(request.file), wxString::FromUTF8(request.wildcard), style);
    if (dialog.ShowModal() != wxID_OK)
        return {};
    return dialog.GetPath().utf8_string();
}

}  // namespace

std::string ShowFileDialog(const FileDialogRequest& request, wxWindow* parent)
{
    if (!wxTheApp)
        return {};
    if (IsUiThread())
        return ShowFileDialogOnUiThread(request, parent);
    std::string path;
    if (!SendToUi([&] { path = ShowFileDialogOnUiThread(request, nullptr); }))
        return {};
    return path;
}

ScopedFileDialogResponder::ScopedFileDialogResponder(FileDialogResponder responder)
    : m_previous(SetFileDialogResponder(std::move(responder)))
{
}

ScopedFileDialogResponder::~ScopedFileDialogResponder()
{
    SetFileDialogResponder(std::move(m_previous));
}

ScopedMessageBoxResponder::ScopedMessageBoxResponder(MessageBoxResponder responder)
    : m_previous(SetMessageBoxResponder(std::move(responder)))
{
}

ScopedMessageBoxResponder::~ScopedMessageBoxResponder()
{
    SetMessageBoxResponder(std::move(m_previous));
}

}  // namespace platform::ui
