// Reading a number typed into a dialog's edit box: a refused entry is reported in a message box
// captioned like the dialog, and the box gets the focus with its text selected.
// User-interface thread only.
#pragma once

#include <string>

class wxTextCtrl;
class wxWindow;

// Reports the message for the control and returns false.
bool RefuseEntry(wxWindow* control, const std::string& message);

// A finite number ("Please enter a number." otherwise); surrounding blanks are ignored.
bool ReadDoubleEntry(wxTextCtrl* edit, double& value);

// The text without surrounding blanks, tabs and line ends.
std::string TrimmedEntry(wxTextCtrl* edit);

class wxDialog;
class wxSizer;

// Adds the row of OK and Cancel buttons (Cancel in the current language) under the dialog's
// controls.
void AddOkCancelButtons(wxDialog* dialog, wxSizer* sizer);
