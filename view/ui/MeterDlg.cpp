#include "view/ui/MeterDlg.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dcbuffer.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "platform/NumberFormat.h"
#include "platform/gfx/WxCanvas.h"
#include "texts/TextTable.h"

std::function<int(wxDialog&)> CParamView::s_runSetup;

namespace
{

// Control ids of "ParamView Setup".
constexpr int kIdParameter = 539;
constexpr int kIdChannel = 543;
constexpr int kIdBarEnable = 545;
constexpr int kIdBarVertical = 547;
constexpr int kIdBarMin = 549;
constexpr int kIdBarMax = 339;
constexpr int kIdTextEnable = 551;
constexpr int kIdTextVertical = 553;
constexpr int kIdAutoSize = 554;
constexpr int kIdSize = 555;
constexpr int kIdThreshold = 349;
constexpr int kIdLinear = 778;
constexpr int kIdLinearPercent = 1364;
constexpr int kIdLog = 1365;
constexpr int kIdLabel = 593;
constexpr int kTextEnable = 1000204;
constexpr int kTextVertical = 1000265;
constexpr int kTextAuto = 1000269;
constexpr int kTextLinear = 1000203;
constexpr int kTextParamView = 1000264;
constexpr int kTextSettings = 1000120;
constexpr int kTextCancel = 1000112;
constexpr int kMinFontSize = 3;
constexpr int kMaxFontSize = 1000;

wxString Wx(const std::string& text)
{
    return wxString::FromUTF8(text);
}

double ReadNumber(wxTextCtrl* edit, double fallback)
{
    std::size_t used = 0;
    const std::string text(edit->GetValue().utf8_str());
    const double value = platform::ParseDouble(text, &used);
    return used > 0 && std::isfinite(value) ? value : fallback;
}

}  // namespace

CMeterDlg::CMeterDlg(wxWindow* parent, MeterState& meter, const wxString& title)
    : wxFrame(parent, wxID_ANY, title, wxDefaultPosition, wxSize(kDefaultWidth, kDefaultHeight),
              wxSTAY_ON_TOP | wxFRAME_TOOL_WINDOW | wxBORDER_NONE | wxFRAME_NO_TASKBAR),
      m_meter(meter)
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &CMeterDlg::OnPaint, this);
}

void CMeterDlg::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    gfx::WxCanvas canvas(dc);
    const wxSize size = GetClientSize();
    PaintMeter(canvas, m_meter, size.GetWidth(), size.GetHeight());
}

wxImage CMeterDlg::RenderImage()
{
    const wxSize size = GetClientSize();
    gfx::WxBitmapCanvas canvas(std::max(1, size.GetWidth()), std::max(1, size.GetHeight()));
    PaintMeter(canvas, m_meter, size.GetWidth(), size.GetHeight());
    return canvas.GetImage();
}

CParamView::CParamView(wxWindow* parent, CParamViewState& state)
    : CMeterDlg(parent, state.meter, Wx(GetParamViewName(state.nParameter))), m_state(state)
{
    Bind(wxEVT_LEFT_DCLICK, &CParamView::OnDoubleClick, this);
}

void CParamView::Repaint()
{
    SetTitle(Wx(m_state.strTitle));
    Refresh(false);
}

CParamViewHandle::CParamViewHandle(wxWindow* parent, CParamViewState& state)
    : m_pView(new CParamView(parent, state))
{
}

CParamViewHandle::~CParamViewHandle()
{
    m_pView->Destroy();
}

void CParamViewHandle::ShowWindow()
{
    m_pView->Show(true);
}

bool CParamViewHandle::IsWindowShown() const
{
    return m_pView->IsShown();
}

void CParamViewHandle::Repaint()
{
    m_pView->Repaint();
}

void CParamViewHandle::GetPlacement(int& x, int& y, int& width, int& height) const
{
    const wxRect r = m_pView->GetScreenRect();
    x = r.x;
    y = r.y;
    width = r.width;
    height = r.height;
}

void CParamViewHandle::SetPlacement(int x, int y, int width, int height)
{
    m_pView->SetSize(x, y, width, height);
}

void CParamView::OnDoubleClick(wxMouseEvent&)
{
    RunSetup();
}

bool CParamView::RunSetup()
{
    MeterState& meter = m_state.meter;
    wxDialog dialog(this, wxID_ANY,
                    Wx(GetTextCapitalized(kTextParamView) + " " + GetTextCapitalized(kTextSettings)));
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    const auto row = [&](const std::string& label, wxWindow* control)
    {
        grid->Add(new wxStaticText(&dialog, wxID_ANY, Wx(label)), 0, wxALIGN_CENTER_VERTICAL);
        grid->Add(control, 0, wxEXPAND);
    };
    auto* parameter = new wxChoice(&dialog, kIdParameter);
    for (int n = 0; n < kParamViewParameters; ++n)
        parameter->Append(Wx(GetParamViewName(n)));
    parameter->SetSelection(m_state.nParameter);
    auto* channel = new wxChoice(&dialog, kIdChannel);
    for (int c = 1; c <= CParamResults::kChannels; ++c)
        channel->Append(wxString::Format("%i", c));
    channel->SetSelection(m_state.nChannel);
    const std::string enable = GetText(kTextEnable);
    const std::string vertical = GetText(kTextVertical);
    auto* barEnable = new wxCheckBox(&dialog, kIdBarEnable, Wx(enable));
    barEnable->SetValue(meter.bBarEnable != 0);
    auto* barVertical = new wxCheckBox(&dialog, kIdBarVertical, Wx(vertical));
    barVertical->SetValue(meter.bBarVertical != 0);
    auto* minimum = new wxTextCtrl(&dialog, kIdBarMin, Wx(platform::FormatC("%g", meter.dScaleMin)));
    auto* maximum = new wxTextCtrl(&dialog, kIdBarMax, Wx(platform::FormatC("%g", meter.dScaleMax)));
    auto* threshold = new wxTextCtrl(&dialog, kIdThreshold, Wx(platform::FormatC("%g", meter.dThreshold)));
    auto* textEnable = new wxCheckBox(&dialog, kIdTextEnable, Wx(enable));
    textEnable->SetValue(meter.bTextEnable != 0);
    auto* textVertical = new wxCheckBox(&dialog, kIdTextVertical, Wx(vertical));
    textVertical->SetValue(meter.bTextVertical != 0);
    auto* autoSize = new wxCheckBox(&dialog, kIdAutoSize, Wx(GetText(kTextAuto)));
    autoSize->SetValue(meter.nFontSize < 0);
    auto* size = new wxSpinCtrl(&dialog, kIdSize, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                wxSP_ARROW_KEYS, kMinFontSize, kMaxFontSize,
                                std::clamp(std::abs(meter.nFontSize), kMinFontSize, kMaxFontSize));
    const std::string linear = GetText(kTextLinear);
    auto* modeLinear =
        new wxRadioButton(&dialog, kIdLinear, Wx(linear), wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    auto* modePercent = new wxRadioButton(&dialog, kIdLinearPercent, Wx(linear + " %"));
    auto* modeLog = new wxRadioButton(&dialog, kIdLog, "LOG (dB)");
    (m_state.scale.nScaleMode == ParamScale::kLogDb           ? modeLog
     : m_state.scale.nScaleMode == ParamScale::kLinearPercent ? modePercent
                                                              : modeLinear)
        ->SetValue(true);
    auto* label = new wxTextCtrl(&dialog, kIdLabel, Wx(meter.strLabel));

    row("Parameter", parameter);
    row("Channel", channel);
    row("Bar", barEnable);
    row("", barVertical);
    row("Min", minimum);
    row("Max", maximum);
    row("Threshold", threshold);
    row("Text", textEnable);
    row("", textVertical);
    row("", autoSize);
    row("Size", size);
    row("Scale", modeLinear);
    row("", modePercent);
    row("", modeLog);
    row("Label", label);
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(grid, 1, wxEXPAND | wxALL, 10);
    wxStdDialogButtonSizer* buttons = dialog.CreateStdDialogButtonSizer(wxOK | wxCANCEL);
    if (wxWindow* cancel = dialog.FindWindow(wxID_CANCEL))
        cancel->SetLabel(Wx(GetText(kTextCancel)));
    top->Add(buttons, 0, wxEXPAND | wxALL, 8);
    dialog.SetSizerAndFit(top);

    const int answer = s_runSetup ? s_runSetup(dialog) : dialog.ShowModal();
    if (answer != wxID_OK)
        return false;
    m_state.nParameter = std::max(0, parameter->GetSelection());
    m_state.nChannel = std::max(0, channel->GetSelection());
    meter.bBarEnable = barEnable->GetValue() ? 1 : 0;
    meter.bBarVertical = barVertical->GetValue() ? 1 : 0;
    meter.dScaleMin = ReadNumber(minimum, meter.dScaleMin);
    meter.dScaleMax = ReadNumber(maximum, meter.dScaleMax);
    meter.dThreshold = ReadNumber(threshold, meter.dThreshold);
    meter.bTextEnable = textEnable->GetValue() ? 1 : 0;
    meter.bTextVertical = textVertical->GetValue() ? 1 : 0;
    meter.nFontSize = autoSize->GetValue() ? -size->GetValue() : size->GetValue();
    meter.strLabel = std::string(label->GetValue().utf8_str());
    const int mode = modeLog->GetValue()       ? ParamScale::kLogDb
                     : modePercent->GetValue() ? ParamScale::kLinearPercent
                                               : ParamScale::kLinear;
    if (m_state.nParameter != m_state.nLastParameter)
    {
        // A new parameter starts from its own scale; the chosen mode then applies.
        m_state.scale = SetupParamScale(m_state.nParameter);
        m_state.nLastParameter = m_state.nParameter;
        meter.ResetStatistics();
    }
    m_state.scale.nScaleMode = mode;
    Repaint();
    return true;
}
