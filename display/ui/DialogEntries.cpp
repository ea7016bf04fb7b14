#include "display/ui/DialogEntries.h"

#include <cmath>

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>

#include "platform/NumberFormat.h"
#include "platform/ui/MessageBoxService.h"
#include "texts/TextTable.h"

bool RefuseEntry(wxWindow* control, const std::string& message)
{
    wxWindow* top = wxGetTopLevelParent(control);
    const std::string caption = top != nullptr ? top->GetLabel().utf8_string() : std::string();
    platform::ui::ShowMessageBox(message, caption, wxOK | wxICON_EXCLAMATION, top);
    control->SetFocus();
    if (auto* edit = dynamic_cast<wxTextCtrl*>(control))
        edit->SelectAll();
    return false;
}

std::string TrimmedEntry(wxTextCtrl* edit)
{
    std::string s = edit->GetValue().utf8_string();
    const std::size_t first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const std::size_t last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

bool ReadDoubleEntry(wxTextCtrl* edit, double& value)
{
    const std::string text = TrimmedEntry(edit);
    std::size_t used = 0;
    const double read = platform::ParseDouble(text, &used);
    if (text.empty() || used != text.size() || !std::isfinite(read))
        return RefuseEntry(edit, "Please enter a number.");
    value = read;
    return true;
}

void AddOkCancelButtons(wxDialog* dialog, wxSizer* sizer)
{
    constexpr int kTextCancel = 1000112;
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    buttons->Add(new wxButton(dialog, wxID_OK, "OK"), 0, wxRIGHT, 8);
    buttons->Add(new wxButton(dialog, wxID_CANCEL, wxString::FromUTF8(GetText(kTextCancel))));
    sizer->Add(buttons, 0, wxEXPAND | wxALL, 8);
}
