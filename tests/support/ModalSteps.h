// Drives a modal dialog from inside its own event loop: the steps run one after the other while the
// dialog is shown, so its real OK and Cancel buttons, its data exchange and dialogs it opens itself
// are exercised. A guard timer ends a dialog that a failing step left open.
#pragma once

#include <functional>
#include <vector>

#include <wx/dialog.h>
#include <wx/toplevel.h>

namespace testsupport
{

// Shows the dialog modally and runs the steps in turn from its loop; returns ShowModal's result
// (wxID_ABORT when the guard had to end it). `stepsRun` counts the steps that ran.
int RunModalSteps(wxDialog& dialog, std::vector<std::function<void()>> steps,
                  std::size_t* stepsRun = nullptr);

// Clicks the button (or check box) with the id in the window as the user would; false when the
// window has no such control.
bool Press(wxWindow& window, int id);

// Lets the shown windows paint for a moment.
void LetPaint();

// The modal dialog of that class that is shown now, or null.
template <class Dialog>
Dialog* FindShownModal()
{
    for (wxWindow* window : wxTopLevelWindows)
    {
        auto* dialog = dynamic_cast<Dialog*>(window);
        if (dialog && dialog->IsModal())
            return dialog;
    }
    return nullptr;
}

}  // namespace testsupport
