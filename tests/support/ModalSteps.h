// Drives a modal dialog from inside its own event loop: the steps run one after the other while the
// dialog is shown, so its real OK and Cancel buttons, its data exchange and dialogs it opens itself
// are exercised. A step made with On<Dialog> waits until such a dialog is shown. A guard timer ends
// a dialog that a failing step left open.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>
#include <vector>

#include <wx/dialog.h>
#include <wx/toplevel.h>

namespace testsupport
{

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

struct ModalStep
{
    template <class F, class = std::enable_if_t<std::is_invocable_v<F&>>>
    ModalStep(F run) : run(std::move(run))  // NOLINT: steps are written as plain lambdas
    {
    }
    ModalStep(std::function<void()> run, std::function<bool()> ready)
        : run(std::move(run)), ready(std::move(ready))
    {
    }
    std::function<void()> run;
    std::function<bool()> ready;  // empty: ready at once
};

// A step on the shown dialog of that class; it waits until one is shown.
template <class Dialog>
ModalStep On(std::function<void(Dialog&)> run)
{
    return ModalStep([run] { run(*FindShownModal<Dialog>()); },
                     [] { return FindShownModal<Dialog>() != nullptr; });
}

// Shows the dialog modally and runs the steps in turn from its loop; returns ShowModal's result
// (wxID_ABORT when the guard had to end it). `stepsRun` counts the steps that ran.
int RunModalSteps(wxDialog& dialog, std::vector<ModalStep> steps, std::size_t* stepsRun = nullptr);

// Runs the body (which shows a dialog modally, for example through a command) while the steps run in
// turn from the dialog's loop; returns the number of steps that ran.
std::size_t RunWithSteps(const std::function<void()>& body, std::vector<ModalStep> steps);

// Clicks the button (or check box) with the id in the window as the user would; false when the
// window has no such control.
bool Press(wxWindow& window, int id);

// Lets the shown windows paint for a moment.
void LetPaint();

}  // namespace testsupport
