// What the settings dialogs share: their texts looked up by the English text of the text table,
// labelled edit rows, and the reading of a number with its range (a value outside it is named in a
// message and the dialog stays open).
//
// Threads: user-interface thread only.
#pragma once

#include <string>

class wxDialog;
class wxFlexGridSizer;
class wxSizer;
class wxTextCtrl;
class wxWindow;
class wxString;

namespace dialog_fields
{

// The current-language text whose English text is `english`; the English text when the table has none.
std::string Text(const char* english);
wxString WxText(const char* english);

// A label and an edit in a two-column grid; returns the edit.
wxTextCtrl* AddEdit(wxWindow* parent, wxFlexGridSizer* grid, int id, const wxString& label);

// Adds OK and Cancel (the Cancel text in the current language) below the dialog's controls, fits
// the dialog to them and centres it on its parent.
void FinishDialog(wxDialog* dialog, wxSizer* sizer);

// A pop-up whose closing by the user only hides it (a close that cannot be refused still destroys it).
void HideOnClose(wxDialog* dialog);

void SetNumber(wxTextCtrl* edit, double value);
void SetInteger(wxTextCtrl* edit, long long value);
// Reads a number in minimum..maximum; otherwise tells the user, naming the field, puts the focus
// on the edit and returns false.
bool ReadNumber(wxTextCtrl* edit, const std::string& field, double minimum, double maximum, double& value);
bool ReadInteger(wxTextCtrl* edit, const std::string& field, long long minimum, long long maximum,
                 int& value);
// Any finite number.
bool ReadAnyNumber(wxTextCtrl* edit, const std::string& field, double& value);

}  // namespace dialog_fields
