// What the dialog tests of the shell share: a picture of a window saved as PNG into the test output
// folder, and a hook that answers the next modal dialogs through their own controls.
#pragma once

#include "platform/ui/ScreenCapture.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/modalhook.h>
#include <wx/textctrl.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

namespace testsupport
{

// Shows a window, lets it paint and saves its picture.
inline void SavePicture(wxWindow* window, const std::string& name)
{
    window->Show();
    window->Raise();
    for (int i = 0; i < 20; ++i)
    {
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const wxImage picture = platform::ui::CaptureScreen(window->GetScreenRect());
    ASSERT_TRUE(picture.IsOk()) << name;
    const std::filesystem::path path = std::filesystem::path(TESSARIN_TEST_OUTPUT_DIR) / name;
    EXPECT_TRUE(picture.SaveFile(wxString(path.string()), wxBITMAP_TYPE_PNG));
}

// The text of an edit of a dialog ("(none)" without such an edit), and a new text for it.
inline std::string EditText(wxWindow& dialog, int id)
{
    auto* edit = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(id));
    return edit ? edit->GetValue().utf8_string() : "(none)";
}
inline void SetEditText(wxWindow& dialog, int id, const std::string& text)
{
    auto* edit = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(id));
    ASSERT_NE(edit, nullptr) << id;
    edit->ChangeValue(wxString::FromUTF8(text));
}
// Presses a button of a dialog as a click does.
inline void ClickButton(wxWindow& dialog, int id)
{
    wxWindow* button = dialog.FindWindow(id);
    ASSERT_NE(button, nullptr) << id;
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
}

// Answers the next modal dialog through its own controls: the filler sets them, then the dialog's
// own data exchange runs as OK would run it; a refusal ends the dialog with Cancel. A filler that
// returns false answers Cancel without the exchange.
class FillAndConfirm : public wxModalDialogHook
{
public:
    explicit FillAndConfirm(std::function<void(wxDialog&)> fill)
        : m_fill(
              [fill = std::move(fill)](wxDialog& dialog, int)
              {
                  fill(dialog);
                  return true;
              })
    {
        Register();
    }
    // The filler also gets the number of the showing (0 first) and may answer Cancel.
    explicit FillAndConfirm(std::function<bool(wxDialog&, int)> fill) : m_fill(std::move(fill))
    {
        Register();
    }
    ~FillAndConfirm() override { Unregister(); }
    int Enter(wxDialog* dialog) override
    {
        const int showing = m_shown++;
        dialog->TransferDataToWindow();
        if (!m_fill(*dialog, showing))
            return wxID_CANCEL;
        if (!dialog->Validate() || !dialog->TransferDataFromWindow())
        {
            ++m_refused;
            return wxID_CANCEL;
        }
        return wxID_OK;
    }
    void Exit(wxDialog*) override {}
    int m_shown = 0;
    int m_refused = 0;

private:
    std::function<bool(wxDialog&, int)> m_fill;
};

}  // namespace testsupport
