#include "view/ui/DialogFields.h"

#include "platform/ui/MessageBoxService.h"
#include "texts/LanguageChoice.h"
#include "texts/TextTable.h"
#include "view/MeasurementSettingsRules.h"

#include <wx/dialog.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace dialog_fields
{

std::string Text(const char* english)
{
    const int id = FindTextId(english, -1, -1, LANGUAGE_ENGLISH);
    if (id < 0)
        return english;
    const std::string text = GetText(id);
    return text.empty() ? std::string(english) : text;
}

wxString WxText(const char* english)
{
    return wxString::FromUTF8(Text(english));
}

wxTextCtrl* AddEdit(wxWindow* parent, wxFlexGridSizer* grid, int id, const wxString& label)
{
    grid->Add(new wxStaticText(parent, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
    auto* edit = new wxTextCtrl(parent, id, wxEmptyString, wxDefaultPosition, wxSize(110, -1));
    grid->Add(edit, 0, wxEXPAND);
    return edit;
}

void FinishDialog(wxDialog* dialog, wxSizer* sizer)
{
    sizer->Add(dialog->CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 8);
    if (wxWindow* cancel = dialog->FindWindow(wxID_CANCEL))
        cancel->SetLabel(WxText("Cancel"));
    dialog->SetSizerAndFit(sizer);
    dialog->CentreOnParent();
}

void SetNumber(wxTextCtrl* edit, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    edit->ChangeValue(text);
}

void SetInteger(wxTextCtrl* edit, long long value)
{
    edit->ChangeValue(wxString::Format("%lld", value));
}

namespace
{

bool Parse(const wxString& text, double& value)
{
    const std::string s = text.Strip(wxString::both).utf8_string();
    if (s.empty())
        return false;
    // A decimal comma is taken as a point.
    std::string normalised = s;
    for (char& c : normalised)
        if (c == ',')
            c = '.';
    char* end = nullptr;
    errno = 0;
    value = std::strtod(normalised.c_str(), &end);
    return end && *end == '\0' && errno == 0 && std::isfinite(value);
}

bool Refuse(wxTextCtrl* edit, const std::string& message)
{
    platform::ui::ShowMessageBox(message, "Halvek", wxOK | wxICON_EXCLAMATION, wxGetTopLevelParent(edit));
    edit->SetFocus();
    edit->SelectAll();
    return false;
}

}  // namespace

bool ReadNumber(wxTextCtrl* edit, const std::string& field, double minimum, double maximum, double& value)
{
    double read = 0.0;
    if (!Parse(edit->GetValue(), read) || !settings_rules::InRange(read, minimum, maximum))
        return Refuse(edit, settings_rules::RangeMessage(field, minimum, maximum));
    value = read;
    return true;
}

bool ReadInteger(wxTextCtrl* edit, const std::string& field, long long minimum, long long maximum, int& value)
{
    double read = 0.0;
    if (!Parse(edit->GetValue(), read) || read != std::trunc(read) ||
        !settings_rules::InRange(read, static_cast<double>(minimum), static_cast<double>(maximum)))
        return Refuse(edit, settings_rules::RangeMessage(field, static_cast<double>(minimum),
                                                         static_cast<double>(maximum)));
    value = static_cast<int>(read);
    return true;
}

bool ReadAnyNumber(wxTextCtrl* edit, const std::string& field, double& value)
{
    double read = 0.0;
    if (!Parse(edit->GetValue(), read))
        return Refuse(edit, field + ": please enter a number.");
    value = read;
    return true;
}

void HideOnClose(wxDialog* dialog)
{
    dialog->Bind(wxEVT_CLOSE_WINDOW,
                 [dialog](wxCloseEvent& event)
                 {
                     if (event.CanVeto())
                     {
                         event.Veto();
                         dialog->Hide();
                     }
                     else
                         event.Skip();
                 });
}

}  // namespace dialog_fields
