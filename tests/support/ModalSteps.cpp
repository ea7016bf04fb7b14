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

struct StepRunner : std::enable_shared_from_this<StepRunner>
{
    std::vector<ModalStep> steps;
    std::size_t next = 0;
    // The steps are started by a timer, not by queued calls: those wait for an idle moment, which a
    // busy window may not give, and a queued call that re-queues itself would keep the loop from
    // ever showing a dialog that a step waits for.
    wxTimer retry;

    void Queue(int milliseconds = 1) { retry.StartOnce(milliseconds); }
    void Next()
    {
        if (next >= steps.size())
            return;
        if (steps[next].ready && !steps[next].ready())
        {
            Queue(10);
            return;
        }
        const std::size_t step = next++;
        // The next step is queued first: it then runs in whatever loop is current, also in a dialog
        // that this step opens.
        Queue();
        steps[step].run();
    }
};

}  // namespace

std::size_t RunWithSteps(const std::function<void()>& body, std::vector<ModalStep> steps)
{
    auto runner = std::make_shared<StepRunner>();
    runner->steps = std::move(steps);
    runner->retry.Bind(wxEVT_TIMER,
                       [weak = std::weak_ptr<StepRunner>(runner)](wxTimerEvent&)
                       {
                           if (auto self = weak.lock())
                               self->Next();
                       });
    wxTimer guard;
    guard.Bind(wxEVT_TIMER,
               [](wxTimerEvent&)
               {
                   for (wxWindow* window : wxTopLevelWindows)
                       if (auto* open = dynamic_cast<wxDialog*>(window); open && open->IsModal())
                           open->EndModal(wxID_ABORT);
               });
    guard.StartOnce(15000);
    runner->Queue();
    body();
    guard.Stop();
    runner->retry.Stop();
    const std::size_t ran = runner->next;
    // Steps that did not run stay unrun.
    runner->next = runner->steps.size();
    return ran;
}

int RunModalSteps(wxDialog& dialog, std::vector<ModalStep> steps, std::size_t* stepsRun)
{
    int result = wxID_NONE;
    const std::size_t ran = RunWithSteps([&] { result = dialog.ShowModal(); }, std::move(steps));
    if (stepsRun)
        *stepsRun = ran;
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
