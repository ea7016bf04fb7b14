// CSndViewWindow: the dialogs of the DSP menu, modal on the values the view hands over.
#include "view/ui/DspDialogs.h"
#include "view/ui/FilterDesignerDlg.h"
#include "view/ui/RiaaFilterDlg.h"
#include "view/ui/SndViewWindow.h"

namespace
{

template <class Dialog, class Values>
bool EditWith(wxWindow* parent, Values& values)
{
    Dialog dialog(parent, values);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    values = dialog.GetValues();
    return true;
}

}  // namespace

bool CSndViewWindow::EditFilterDesigner(CDesignedFilterSettings& settings, double sampleRate)
{
    CFilterDesignerDlg dialog(this, settings, sampleRate);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    settings = dialog.GetSettings();
    return true;
}

bool CSndViewWindow::EditHumFilter(HumFilterValues& values)
{
    return EditWith<CHumFilterDlg>(this, values);
}

bool CSndViewWindow::EditRiaaFilter(RiaaValues& values)
{
    CRiaaFilterDlg dialog(this, values.enable, values.inverse);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    values.enable = dialog.m_bEnable;
    values.inverse = dialog.m_bInverse;
    return true;
}

bool CSndViewWindow::EditChannelDelay(DelayValues& values)
{
    return EditWith<CDelayDlg>(this, values);
}

bool CSndViewWindow::EditFilterbank(FilterbankValues& values)
{
    return EditWith<CFilterbankDlg>(this, values);
}

bool CSndViewWindow::EditDemodulator(DemodulatorValues& values)
{
    return EditWith<CDemodulatorDlg>(this, values);
}
