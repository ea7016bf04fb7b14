#include "tests/support/ModalSteps.h"

#include <chrono>
#include <memory>
#include <thread>

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/timer.h>

namespace testsupport
{
namespace
{

struct StepRunner
{
    std::vector<std::function<void()>> steps;
    std::size_t next = 0;

    void Next()
    {
        if (next >= steps.size())
            return;
        const std::size_t step = next++;
        // The next step is queued first: it then runs in whatever loop is current, also in a dialog
        // that this step opens.
        wxTheApp->CallAfter([this] { Next(); });
        steps[step]();
    }
};

}  // namespace

int RunModalSteps(wxDialog& dialog, std::vector<std::function<void()>> steps, std::size_t* stepsRun)
{
    auto runner = std::make_shared<StepRunner>();
    runner->steps = std::move(steps);
    wxTimer guard;
    guard.Bind(wxEVT_TIMER,
               [](wxTimerEvent&)
               {
                   for (wxWindow* window : wxTopLevelWindows)
                       if (auto* open = dynamic_cast<wxDialog*>(window); open && open->IsModal())
                           open->EndModal(wxID_ABORT);
               });
    guard.StartOnce(15000);
    wxTheApp->CallAfter([runner] { runner->Next(); });
    const int result = dialog.ShowModal();
    guard.Stop();
    if (stepsRun)
        *stepsRun = runner->next;
    // Steps that did not run stay unrun: the runner is kept alive by a queued call at most once more.
    runner->next = runner->steps.size();
    return result;
}

bool Press(wxWindow& window, int id)
{
    wxWindow* control = window.FindWindow(id);
    if (!control)
        return false;
    if (auto* check = dynamic_cast<wxCheckBox*>(control))
    {
        check->SetValue(!check->GetValue());
        wxCommandEvent click(wxEVT_CHECKBOX, id);
        click.SetEventObject(check);
        click.SetInt(check->GetValue() ? 1 : 0);
        check->GetEventHandler()->ProcessEvent(click);
        return true;
    }
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(control);
    control->GetEventHandler()->ProcessEvent(click);
    return true;
}

void LetPaint()
{
    for (int i = 0; i < 15; ++i)
    {
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace testsupport
