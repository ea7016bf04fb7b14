#include "common/controls/Clipboard.h"

#include <wx/clipbrd.h>
#include <wx/dataobj.h>

#include "platform/Text.h"

namespace
{

// Opens the clipboard for its lifetime and closes it on every way out.
class ClipboardSession
{
public:
    // Open twice is a programming error to the toolkit (an assertion); here it is just "busy".
    ClipboardSession() : m_open(!wxTheClipboard->IsOpened() && wxTheClipboard->Open()) {}
    ~ClipboardSession()
    {
        if (m_open)
            wxTheClipboard->Close();
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    bool IsOpen() const { return m_open; }

private:
    bool m_open;
};

}  // namespace

bool CopyTextToClipboard(const std::string& text)
{
    // The clipboard takes text up to its terminator, as from a zero-terminated buffer.
    const std::string characters = platform::TextFromFile(std::string_view(text.c_str()));
    ClipboardSession session;
    if (!session.IsOpen())
        return false;
    wxTheClipboard->Clear();
    return wxTheClipboard->SetData(new wxTextDataObject(wxString::FromUTF8(characters)));
}

bool CopyBufferToClipboard(const char* text)
{
    if (!text)
        return false;
    return CopyTextToClipboard(std::string(text));
}
