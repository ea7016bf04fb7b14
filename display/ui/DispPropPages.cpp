#include "display/ui/DispPropPages.h"

#include <algorithm>
#include <cmath>

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>

#include "common/controls/ColorComboBox.h"
#include "common/controls/ItemComboBox.h"
#include "display/ui/CurveStyleControls.h"
#include "display/ui/DialogEntries.h"
#include "display/ui/PlotComboSources.h"
#include "platform/NumberFormat.h"
#include "platform/ui/MessageBoxService.h"
#include "texts/TextTable.h"

namespace
{

// Text ids of the captions.
constexpr int kTextOn = 1000027;
constexpr int kTextOff = 1000028;
constexpr int kTextPeak = 1000025;
constexpr int kTextFrequency = 1000030;
constexpr int kTextOctave = 1000041;
constexpr int kTextMarker = 1000044;
constexpr int kTextBlack = 1000086;
constexpr int kTextWhite = 1000091;
constexpr int kTextAxis = 1000108;
constexpr int kTextPer = 1000164;
constexpr int kTextStyle = 1000170;
constexpr int kTextOther = 1000181;
constexpr int kTextLineStyle = 1000238;
constexpr int kTextColor = 1000239;
constexpr int kTextWidth = 1000240;
constexpr int kTextCurve = 1000245;
constexpr int kTextGrid = 1000246;
constexpr int kTextActive = 1000248;
constexpr int kTextBackground = 1000266;
constexpr int kTextGreyscale = 1000279;
constexpr int kTextSwapAxes = 1000280;
constexpr int kTextReverseTime = 1000281;
constexpr int kTextReverseFrequency = 1000282;
constexpr int kTextSpectrogram = 1000283;
constexpr int kTextAverage = 1000289;
constexpr int kTextPlotPercent = 1000290;
constexpr int kTextRefreshRate = 1000291;
constexpr int kTextBars = 1000302;
constexpr int kTextNumberOf = 1000303;
constexpr int kTextDecay = 1000304;
constexpr int kTextPeakHold = 1000305;
constexpr int kTextBarGraph = 1000306;
constexpr int kTextShow = 1000307;
constexpr int kTextOneValuePerLine = 1000308;
constexpr int kTextFrame = 1000310;
constexpr int kTextForPrinting = 1000311;
constexpr int kTextDefault = 1000312;
constexpr int kTextInterpolate = 1000313;
constexpr int kTextHarmonics = 1000314;
constexpr int kTextOdd = 1000315;
constexpr int kTextEven = 1000316;
constexpr int kTextJetColor = 1000317;
constexpr int kTextHistoryDepths = 1000318;
constexpr int kTextSpecial = 1000319;
constexpr int kTextSmoothing = 1000320;
constexpr int kTextMath = 1000321;
constexpr int kTextOnly = 1000322;
constexpr int kTextMaximum = 1000323;
constexpr int kTextMinimum = 1000324;
constexpr int kTextSlidingAverage = 1000325;
constexpr int kTextMoreInDsp = 1000326;
constexpr int kTextDecimateMode = 1000327;
constexpr int kTextSum = 1000328;
constexpr int kTextEnvelope = 1000329;
constexpr int kTextReduction = 1000330;
constexpr int kTextSolidFill = 1000331;
constexpr int kTextLoad = 1000332;
constexpr int kTextTexture = 1000333;
constexpr int kTextShowHelp = 1000334;
constexpr int kTextLines = 1000335;

// Longest marker line that is still read, and the most marker values.
constexpr std::size_t kMaxMarkerLine = 1000;

wxString Wx(const std::string& text)
{
    return wxString::FromUTF8(text);
}

// A translated format with one "%s" filled in; a format without one is shown as it is.
std::string WithArgument(std::string format, const std::string& argument)
{
    const std::size_t at = format.find("%s");
    if (at != std::string::npos)
        format.replace(at, 2, argument);
    return format;
}

wxCheckBox* AddCheck(wxWindow* parent, wxSizer* sizer, int id, const std::string& label)
{
    auto* check = new wxCheckBox(parent, id, Wx(label));
    sizer->Add(check, 0, wxALL, 4);
    return check;
}

wxTextCtrl* AddEdit(wxWindow* parent, wxSizer* grid, int id, const std::string& label)
{
    grid->Add(new wxStaticText(parent, wxID_ANY, Wx(label)), 0, wxALIGN_CENTER_VERTICAL | wxALL, 4);
    auto* edit = new wxTextCtrl(parent, id, wxEmptyString, wxDefaultPosition, wxSize(100, -1));
    grid->Add(edit, 0, wxALL, 4);
    return edit;
}

wxStaticBoxSizer* AddGroup(wxWindow* parent, wxSizer* sizer, int id, const std::string& label)
{
    auto* box = new wxStaticBox(parent, id, Wx(label));
    auto* group = new wxStaticBoxSizer(box, wxVERTICAL);
    sizer->Add(group, 0, wxEXPAND | wxALL, 4);
    return group;
}

void SetNumber(wxTextCtrl* edit, const std::string& text)
{
    edit->ChangeValue(Wx(text));
}

// Selects item `index` of a list, or nothing when the index is not one of its items.
template <class List>
void SelectIndex(List* list, int index)
{
    list->SetSelection(index >= 0 && index < static_cast<int>(list->GetCount()) ? index : wxNOT_FOUND);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// RadioChoice

void RadioChoice::Create(wxWindow* parent, wxSizer* sizer, int id, const std::vector<std::string>& labels)
{
    m_buttons.clear();
    for (std::size_t i = 0; i < labels.size(); ++i)
    {
        auto* button = new wxRadioButton(parent, i == 0 ? id : wxID_ANY, Wx(labels[i]), wxDefaultPosition,
                                         wxDefaultSize, i == 0 ? wxRB_GROUP : 0);
        sizer->Add(button, 0, wxALL, 3);
        m_buttons.push_back(button);
    }
    // The toolkit always keeps one button of a group on; this one stands for "none".
    m_pNone = new wxRadioButton(parent, wxID_ANY, wxEmptyString);
    m_pNone->Hide();
    SetSelection(-1);
}

void RadioChoice::SetSelection(int index)
{
    if (index >= 0 && index < GetCount())
        m_buttons[static_cast<std::size_t>(index)]->SetValue(true);
    else if (m_pNone != nullptr)
        m_pNone->SetValue(true);
}

int RadioChoice::GetSelection() const
{
    for (std::size_t i = 0; i < m_buttons.size(); ++i)
    {
        if (m_buttons[i]->GetValue())
            return static_cast<int>(i);
    }
    return -1;
}

wxRadioButton* RadioChoice::GetButton(int index) const
{
    return index >= 0 && index < GetCount() ? m_buttons[static_cast<std::size_t>(index)] : nullptr;
}

// ---------------------------------------------------------------------------------------------
// DispPropPage

bool DispPropPage::Create(wxWindow* parent)
{
    if (!wxPanel::Create(parent, wxID_ANY))
        return false;
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    CreateControls(sizer);
    SetSizer(sizer);
    return true;
}

bool DispPropPage::Validate()
{
    return ReadControls(false);
}

bool DispPropPage::TransferDataFromWindow()
{
    return ReadControls(true);
}

bool DispPropPage::Refuse(wxWindow* control, const std::string& message)
{
    return RefuseEntry(control, message);
}

bool DispPropPage::ReadInt(wxTextCtrl* edit, long long min, long long max, long long& value)
{
    const std::string text = TrimmedEntry(edit);
    std::size_t used = 0;
    const long long read = platform::ParseInt64(text, &used);
    if (text.empty() || used != text.size())
        return Refuse(edit, "Please enter an integer.");
    if (read < min || read > max)
        return Refuse(edit, platform::FormatC("Please enter an integer between %lld and %lld.", min, max));
    value = read;
    return true;
}

bool DispPropPage::ReadUnsigned(wxTextCtrl* edit, unsigned min, unsigned max, unsigned& value)
{
    const std::string text = TrimmedEntry(edit);
    std::size_t used = 0;
    const long long read = platform::ParseInt64(text, &used);
    if (text.empty() || used != text.size() || read < 0)
        return Refuse(edit, "Please enter a positive integer.");
    if (read < min || read > max)
        return Refuse(edit, platform::FormatC("Please enter an integer between %u and %u.", min, max));
    value = static_cast<unsigned>(read);
    return true;
}

bool DispPropPage::ReadDouble(wxTextCtrl* edit, double& value)
{
    return ReadDoubleEntry(edit, value);
}

bool DispPropPage::ReadFloat(wxTextCtrl* edit, float min, float max, float& value)
{
    double read = 0;
    if (!ReadDouble(edit, read))
        return false;
    if (read < min || read > max)
        return Refuse(edit, platform::FormatC("Please enter a number between %g and %g.",
                                              static_cast<double>(min), static_cast<double>(max)));
    value = static_cast<float>(read);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Zoom

std::string CDispProp_zoom::GetTitle() const
{
    return "Zoom";
}

void CDispProp_zoom::CreateControls(wxSizer* sizer)
{
    m_pXLog = AddCheck(this, sizer, 152, "x-axis log.");
    m_pYLog = AddCheck(this, sizer, 164, "y-axis log.");
    auto* grid = new wxFlexGridSizer(2);
    m_pYMax = AddEdit(this, grid, 169, "y max");
    m_pYMin = AddEdit(this, grid, 165, "y min");
    m_pXMax = AddEdit(this, grid, 185, "x max");
    m_pXMin = AddEdit(this, grid, 179, "x min");
    sizer->Add(grid, 0, wxALL, 4);
}

bool CDispProp_zoom::TransferDataToWindow()
{
    m_pXLog->SetValue(m_bXLog);
    m_pYLog->SetValue(m_bYLog);
    SetNumber(m_pYMax, platform::FormatC("%.15g", m_dYMax));
    SetNumber(m_pYMin, platform::FormatC("%.15g", m_dYMin));
    SetNumber(m_pXMax, platform::FormatC("%.15g", m_dXMax));
    SetNumber(m_pXMin, platform::FormatC("%.15g", m_dXMin));
    return true;
}

bool CDispProp_zoom::ReadControls(bool store)
{
    double yMax = 0, yMin = 0, xMax = 0, xMin = 0;
    if (!ReadDouble(m_pYMax, yMax) || !ReadDouble(m_pYMin, yMin) || !ReadDouble(m_pXMax, xMax) ||
        !ReadDouble(m_pXMin, xMin))
        return false;
    if (store)
    {
        m_bXLog = m_pXLog->GetValue();
        m_bYLog = m_pYLog->GetValue();
        m_dYMax = yMax;
        m_dYMin = yMin;
        m_dXMax = xMax;
        m_dXMin = xMin;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Bar graph

std::string CDispProp_bar::GetTitle() const
{
    return GetText(kTextBars);
}

void CDispProp_bar::CreateControls(wxSizer* sizer)
{
    wxStaticBoxSizer* bars = AddGroup(this, sizer, 780, GetText(kTextBarGraph));
    wxWindow* barBox = bars->GetStaticBox();
    m_pActive = AddCheck(barBox, bars, 159, GetText(kTextActive));
    auto* barGrid = new wxFlexGridSizer(2);
    const std::string perOctave = GetText(kTextBars) + "\n" + GetText(kTextPer) + " " + GetText(kTextOctave);
    m_pBarsPerOctave = AddEdit(barBox, barGrid, 227, WithArgument(GetText(kTextNumberOf), perOctave));
    m_pDecay = AddEdit(barBox, barGrid, 201, GetText(kTextDecay) + " dB/s");
    bars->Add(barGrid, 0, wxALL, 2);

    wxStaticBoxSizer* peak = AddGroup(this, sizer, 1407, GetText(kTextPeakHold));
    wxWindow* peakBox = peak->GetStaticBox();
    m_pPeakHold = AddCheck(peakBox, peak, 194, GetText(kTextActive));
    auto* peakGrid = new wxFlexGridSizer(2);
    m_pPeakDecay = AddEdit(peakBox, peakGrid, 207, GetText(kTextDecay) + " dB/s");
    peak->Add(peakGrid, 0, wxALL, 2);
}

bool CDispProp_bar::TransferDataToWindow()
{
    m_pActive->SetValue(m_bActive);
    SetNumber(m_pBarsPerOctave, platform::FormatC("%d", m_nBarsPerOctave));
    SetNumber(m_pDecay, platform::FormatC("%.6g", static_cast<double>(m_fDecay)));
    m_pPeakHold->SetValue(m_bPeakHold);
    SetNumber(m_pPeakDecay, platform::FormatC("%.6g", static_cast<double>(m_fPeakDecay)));
    return true;
}

bool CDispProp_bar::ReadControls(bool store)
{
    long long bars = 0;
    float decay = 0, peakDecay = 0;
    if (!ReadInt(m_pBarsPerOctave, 1, 50, bars) || !ReadFloat(m_pDecay, 0.0f, 150.0f, decay) ||
        !ReadFloat(m_pPeakDecay, 0.0f, 150.0f, peakDecay))
        return false;
    if (store)
    {
        m_bActive = m_pActive->GetValue();
        m_nBarsPerOctave = static_cast<int>(bars);
        m_fDecay = decay;
        m_bPeakHold = m_pPeakHold->GetValue();
        m_fPeakDecay = peakDecay;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Math curve

std::string CDispProp_2nd::GetTitle() const
{
    return GetText(kTextMath);
}

void CDispProp_2nd::CreateControls(wxSizer* sizer)
{
    const std::string math = " " + GetText(kTextMath);
    auto* modes = new wxBoxSizer(wxVERTICAL);
    m_mathMode.Create(this, modes, 503,
                      {GetText(kTextOff) + math, GetText(kTextOnly) + math, GetText(kTextOn) + math});
    sizer->Add(modes, 0, wxALL, 4);
    auto* functions = new wxBoxSizer(wxVERTICAL);
    m_mathFunction.Create(this, functions, 504,
                          {GetText(kTextMaximum), GetText(kTextMinimum), GetText(kTextSlidingAverage)});
    sizer->Add(functions, 0, wxALL, 4);
    sizer->Add(new wxStaticText(this, 1416, Wx(GetText(kTextMoreInDsp))), 0, wxALL, 4);
}

bool CDispProp_2nd::TransferDataToWindow()
{
    m_mathMode.SetSelection(m_nMathMode);
    m_mathFunction.SetSelection(m_nMathFunction);
    return true;
}

bool CDispProp_2nd::ReadControls(bool store)
{
    if (store)
    {
        m_nMathMode = m_mathMode.GetSelection();
        m_nMathFunction = m_mathFunction.GetSelection();
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Line styles

namespace
{

constexpr std::array<int, CDispProp_linestyles::kRows> kColorComboIds = {366, 381, 396, 401};
constexpr std::array<int, CDispProp_linestyles::kRows> kMarkerComboIds = {378, 391, 402, 406};
constexpr std::array<int, CDispProp_linestyles::kRows> kWidthComboIds = {370, 384, 398, 404};
constexpr std::array<int, CDispProp_linestyles::kRows> kStyleComboIds = {374, 387, 409, 411};
constexpr std::array<int, CDispProp_linestyles::kRows> kRowCaptionIds = {1351, 1350, 1349, 449};

}  // namespace

std::string CDispProp_linestyles::GetTitle() const
{
    return GetText(kTextLineStyle);
}

void CDispProp_linestyles::CreateControls(wxSizer* sizer)
{
    auto* grid = new wxFlexGridSizer(5);
    grid->AddSpacer(1);
    const std::array<std::string, 4> headers = {GetText(kTextColor), GetText(kTextWidth), GetText(kTextStyle),
                                                GetText(kTextMarker)};
    for (int i = 0; i < 4; ++i)
        grid->Add(new wxStaticText(this, 1345 + i, Wx(headers[static_cast<std::size_t>(i)])), 0, wxALL, 3);

    for (std::size_t row = 0; row < kRows; ++row)
    {
        const std::string caption =
            row < 3 ? GetText(kTextCurve) + " " + std::to_string(row + 1) : GetText(kTextGrid);
        grid->Add(new wxStaticText(this, kRowCaptionIds[row], Wx(caption)), 0,
                  wxALIGN_CENTER_VERTICAL | wxALL, 3);
        const CurveStyleControls controls = CreateCurveStyleControls(
            this, grid,
            {kColorComboIds[row], kWidthComboIds[row], kStyleComboIds[row], kMarkerComboIds[row]});
        m_pColor[row] = controls.color;
        m_pWidth[row] = controls.width;
        m_pStyle[row] = controls.penStyle;
        m_pMarker[row] = controls.marker;
    }
    sizer->Add(grid, 0, wxALL, 4);
}

bool CDispProp_linestyles::TransferDataToWindow()
{
    for (std::size_t row = 0; row < kRows; ++row)
        ShowCurveStyle(RowControls(row), m_styles[row]);
    return true;
}

bool CDispProp_linestyles::ReadControls(bool store)
{
    if (!store)
        return true;
    // A list without a selection (a stored value it does not offer) keeps the stored value.
    for (std::size_t row = 0; row < kRows; ++row)
        ReadCurveStyle(RowControls(row), m_styles[row]);
    return true;
}

CurveStyleControls CDispProp_linestyles::RowControls(std::size_t row) const
{
    return {m_pColor[row], m_pWidth[row], m_pStyle[row], m_pMarker[row]};
}

// ---------------------------------------------------------------------------------------------
// Colours

std::string CDispProp_color::GetTitle() const
{
    return GetText(kTextColor);
}

void CDispProp_color::CreateControls(wxSizer* sizer)
{
    wxStaticBoxSizer* background = AddGroup(this, sizer, 779, GetText(kTextBackground));
    wxWindow* box = background->GetStaticBox();
    m_scheme.Create(box, background, 495,
                    {GetText(kTextDefault), GetText(kTextWhite) + " " + GetText(kTextForPrinting),
                     GetText(kTextBlack), GetText(kTextOther)});
    m_pOtherColor = new CColorComboBox(box, 643, wxDefaultPosition, wxSize(140, -1));
    background->Add(m_pOtherColor, 0, wxALL, 3);

    auto* frame = new wxBoxSizer(wxHORIZONTAL);
    frame->Add(new wxStaticText(this, 1409, Wx(GetText(kTextFrame))), 0, wxALIGN_CENTER_VERTICAL | wxALL, 4);
    m_pFrameColor = new CColorComboBox(this, 641, wxDefaultPosition, wxSize(140, -1));
    frame->Add(m_pFrameColor, 0, wxALL, 4);
    sizer->Add(frame, 0, wxALL, 4);

    for (CColorComboBox* combo : {m_pOtherColor, m_pFrameColor})
    {
        combo->SetPalette(PlotPaletteForCombo());
        combo->m_bPalette = true;
        combo->FillList();
    }
}

bool CDispProp_color::TransferDataToWindow()
{
    m_scheme.SetSelection(m_nScheme);
    if (m_nScheme == kSchemeOther)
        SelectIndex(m_pOtherColor, m_nOtherColorIndex);
    SelectIndex(m_pFrameColor, m_nFrameColorIndex);
    return true;
}

bool CDispProp_color::ReadControls(bool store)
{
    if (!store)
        return true;
    m_nScheme = m_scheme.GetSelection();
    // A combo without a selection keeps the stored index.
    if (m_nScheme == kSchemeOther && m_pOtherColor->GetSelection() >= 0)
        m_nOtherColorIndex = m_pOtherColor->GetSelection();
    if (m_pFrameColor->GetSelection() >= 0)
        m_nFrameColorIndex = m_pFrameColor->GetSelection();
    return true;
}

// ---------------------------------------------------------------------------------------------
// Spectrogram

std::string CDispProp_spectrogram::GetTitle() const
{
    return GetText(kTextSpectrogram);
}

void CDispProp_spectrogram::CreateControls(wxSizer* sizer)
{
    m_pGreyscale = AddCheck(this, sizer, 362, GetText(kTextGreyscale));
    m_pReverseTime = AddCheck(this, sizer, 372, GetText(kTextReverseTime));
    m_pReverseFrequency = AddCheck(this, sizer, 377, GetText(kTextReverseFrequency));
    m_pSwapAxes = AddCheck(this, sizer, 368, GetText(kTextSwapAxes));
}

bool CDispProp_spectrogram::TransferDataToWindow()
{
    m_pGreyscale->SetValue(m_bGreyscale);
    m_pReverseTime->SetValue(m_bReverseTime);
    m_pReverseFrequency->SetValue(m_bReverseFrequency);
    m_pSwapAxes->SetValue(m_bSwapAxes);
    return true;
}

bool CDispProp_spectrogram::ReadControls(bool store)
{
    if (store)
    {
        m_bGreyscale = m_pGreyscale->GetValue();
        m_bReverseTime = m_pReverseTime->GetValue();
        m_bReverseFrequency = m_pReverseFrequency->GetValue();
        m_bSwapAxes = m_pSwapAxes->GetValue();
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Markers

int ParseMarkerFrequencyList(std::string_view text, std::span<double> out)
{
    const std::size_t capacity = std::min<std::size_t>(out.size(), kMaxMarkerFrequencies);
    std::size_t count = 0;
    double last = -1.0e9;
    std::size_t start = 0;
    while (start < text.size() && count < capacity)
    {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.size() > kMaxMarkerLine)
            break;
        const double value = platform::ParseDouble(line);
        // A value that is not a finite number would make a marker nowhere.
        if (std::isfinite(value) && value != 0.0 && value != last)
        {
            out[count++] = value;
            last = value;
        }
        start = end + 1;
    }
    return static_cast<int>(count);
}

std::string FormatMarkerFrequencyList(std::span<const double> values)
{
    std::string text;
    for (const double value : values)
    {
        text += platform::FormatC("%f", value);
        text += '\n';
    }
    return text;
}

std::string CDispProp_marker::GetTitle() const
{
    return "Marker";
}

void CDispProp_marker::CreateControls(wxSizer* sizer)
{
    m_pShow = AddCheck(this, sizer, 421, GetText(kTextShow));
    sizer->Add(
        new wxStaticText(this, 1408, Wx(GetText(kTextFrequency) + ": " + GetText(kTextOneValuePerLine))), 0,
        wxALL, 4);
    m_pText = new wxTextCtrl(this, 422, wxEmptyString, wxDefaultPosition, wxSize(200, 220), wxTE_MULTILINE);
    sizer->Add(m_pText, 1, wxEXPAND | wxALL, 4);
}

bool CDispProp_marker::TransferDataToWindow()
{
    const std::size_t count = std::min<std::size_t>(
        {static_cast<std::size_t>(std::max(m_nCount, 0)), m_frequencies.size(), kMaxMarkerFrequencies});
    m_strText = FormatMarkerFrequencyList(m_frequencies.first(count));
    m_pShow->SetValue(m_bShow);
    m_pText->ChangeValue(Wx(m_strText));
    return true;
}

bool CDispProp_marker::ReadControls(bool store)
{
    if (store)
    {
        m_bShow = m_pShow->GetValue();
        m_strText = m_pText->GetValue().utf8_string();
        m_nCount = ParseMarkerFrequencyList(m_strText, m_frequencies);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Special settings

std::string CDispProp_special::GetTitle() const
{
    return GetText(kTextSpecial);
}

void CDispProp_special::CreateControls(wxSizer* sizer)
{
    // Two columns: entries and smoothing on the left, switches on the right.
    auto* columns = new wxBoxSizer(wxHORIZONTAL);
    auto* left = new wxBoxSizer(wxVERTICAL);
    auto* right = new wxBoxSizer(wxVERTICAL);
    columns->Add(left, 0, wxALL, 0);
    columns->Add(right, 0, wxALL, 0);
    sizer->Add(columns, 0, wxALL, 4);

    auto* grid = new wxFlexGridSizer(2);
    m_pRefresh = AddEdit(this, grid, 180, GetText(kTextRefreshRate) + " (ms)");
    m_pHistoryDepth = AddEdit(this, grid, 191, GetText(kTextHistoryDepths));
    m_pMaxHarmonics = AddEdit(this, grid, 459, WithArgument(GetText(kTextNumberOf), GetText(kTextHarmonics)));
    left->Add(grid, 0, wxALL, 0);

    wxStaticBoxSizer* smoothing = AddGroup(this, left, 1413, GetText(kTextSmoothing));
    wxWindow* box = smoothing->GetStaticBox();
    m_pSmoothing = AddCheck(box, smoothing, 433, GetText(kTextActive));
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    m_pSmoothingOctaves = new wxSlider(box, 438, 2, 1, 32, wxDefaultPosition, wxSize(160, -1));
    m_pSmoothingOctaves->SetTickFreq(1);
    row->Add(m_pSmoothingOctaves, 0, wxALL, 3);
    row->Add(new wxStaticText(box, wxID_ANY, "1/"), 0, wxALIGN_CENTER_VERTICAL);
    m_pSmoothingValue = new wxStaticText(box, 566, "2", wxDefaultPosition, wxSize(30, -1));
    row->Add(m_pSmoothingValue, 0, wxALIGN_CENTER_VERTICAL);
    row->Add(new wxStaticText(box, 1410, Wx(GetText(kTextOctave))), 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 3);
    smoothing->Add(row, 0, wxALL, 2);
    m_pSmoothingOctaves->Bind(wxEVT_SLIDER, [this](wxCommandEvent&) { ShowSliderPosition(); });

    m_pPeakInterpolate = AddCheck(this, right, 432, GetText(kTextPeak) + "\n" + GetText(kTextInterpolate));
    m_pEvenHarmonics = AddCheck(this, right, 458, GetText(kTextEven));
    m_pOddHarmonics = AddCheck(this, right, 457, GetText(kTextOdd));
    m_pPlotPercent = AddCheck(this, right, 584, GetText(kTextPlotPercent));
    m_pJetColors = AddCheck(this, right, 448, GetText(kTextJetColor));
}

void CDispProp_special::ShowSliderPosition()
{
    m_pSmoothingValue->SetLabel(Wx(platform::FormatC("%i", m_pSmoothingOctaves->GetValue())));
}

bool CDispProp_special::TransferDataToWindow()
{
    SetNumber(m_pRefresh, platform::FormatC("%u", m_nRefreshMs));
    m_pPeakInterpolate->SetValue(m_bPeakInterpolate);
    m_pSmoothing->SetValue(m_bSmoothing);
    m_pSmoothingOctaves->SetValue(m_nSmoothingOctaves);
    ShowSliderPosition();
    m_pEvenHarmonics->SetValue(m_bEvenHarmonics);
    m_pOddHarmonics->SetValue(m_bOddHarmonics);
    SetNumber(m_pMaxHarmonics, platform::FormatC("%d", m_nMaxHarmonics));
    m_pPlotPercent->SetValue(m_bPlotPercent);
    SetNumber(m_pHistoryDepth, platform::FormatC("%d", m_nHistoryDepth));
    m_pJetColors->SetValue(m_bJetColors);
    return true;
}

bool CDispProp_special::ReadControls(bool store)
{
    unsigned refresh = 0;
    long long harmonics = 0, history = 0;
    if (!ReadUnsigned(m_pRefresh, 1, 10000, refresh) || !ReadInt(m_pMaxHarmonics, 1, 20, harmonics) ||
        !ReadInt(m_pHistoryDepth, 0, 1000, history))
        return false;
    if (store)
    {
        m_nRefreshMs = refresh;
        m_bPeakInterpolate = m_pPeakInterpolate->GetValue();
        m_bSmoothing = m_pSmoothing->GetValue();
        m_nSmoothingOctaves = m_pSmoothingOctaves->GetValue();
        m_bEvenHarmonics = m_pEvenHarmonics->GetValue();
        m_bOddHarmonics = m_pOddHarmonics->GetValue();
        m_nMaxHarmonics = static_cast<int>(harmonics);
        m_bPlotPercent = m_pPlotPercent->GetValue();
        m_nHistoryDepth = static_cast<int>(history);
        m_bJetColors = m_pJetColors->GetValue();
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// 3D

void Load3dStyleWord(CDispProp_3d& page, std::uint32_t word)
{
    page.m_bSolidFill = (word & (k3dSurfaceBit64 | k3dJetSurface | k3dPlainSurface)) != 0;
    page.m_bJetColor = (word & k3dJetSurface) != 0;
    page.m_bGrid = (word & k3dGrid) != 0;
    page.m_bLoadTexture = (word & k3dLoadTexture) != 0;
    page.m_bXGridOff = (word & k3dXGridOff) != 0;
    page.m_bZGridOff = (word & k3dZGridOff) != 0;
    page.m_bShowHelp = (word & k3dShowHelp) != 0;
    page.m_nLines = word >> k3dLinesShift;
}

std::uint32_t Store3dStyleWord(const CDispProp_3d& page, std::uint32_t word)
{
    constexpr std::uint32_t edited = k3dSurfaceBit64 | k3dJetSurface | k3dPlainSurface | k3dGrid |
                                     k3dLoadTexture | k3dXGridOff | k3dZGridOff | k3dShowHelp |
                                     (0xFFu << k3dLinesShift);
    word &= ~edited;
    if (page.m_bSolidFill)
        word |= page.m_bJetColor ? k3dJetSurface : k3dPlainSurface;
    if (page.m_bGrid)
        word |= k3dGrid;
    if (page.m_bLoadTexture)
        word |= k3dLoadTexture;
    if (page.m_bXGridOff)
        word |= k3dXGridOff;
    if (page.m_bZGridOff)
        word |= k3dZGridOff;
    if (page.m_bShowHelp)
        word |= k3dShowHelp;
    word |= (page.m_nLines & 0xFFu) << k3dLinesShift;
    return word;
}

std::string CDispProp_3d::GetTitle() const
{
    return "3D";
}

void CDispProp_3d::CreateControls(wxSizer* sizer)
{
    const std::string gridOff = GetText(kTextAxis) + " " + GetText(kTextGrid) + " " + GetText(kTextOff);
    m_pGrid = AddCheck(this, sizer, 449, GetText(kTextGrid));
    m_pJetColor = AddCheck(this, sizer, 448, GetText(kTextJetColor));
    m_pLoadTexture = AddCheck(this, sizer, 446, WithArgument(GetText(kTextLoad), GetText(kTextTexture)));
    m_pXGridOff = AddCheck(this, sizer, 439, "x-" + gridOff);
    m_pZGridOff = AddCheck(this, sizer, 443, "z-" + gridOff);
    m_pShowHelp = AddCheck(this, sizer, 456, GetText(kTextShowHelp));
    m_pSolidFill = AddCheck(this, sizer, 437, GetText(kTextSolidFill));
    auto* grid = new wxFlexGridSizer(2);
    m_pLines = AddEdit(this, grid, 460, GetText(kTextLines));
    sizer->Add(grid, 0, wxALL, 4);
}

bool CDispProp_3d::TransferDataToWindow()
{
    m_pGrid->SetValue(m_bGrid);
    m_pJetColor->SetValue(m_bJetColor);
    m_pLoadTexture->SetValue(m_bLoadTexture);
    m_pXGridOff->SetValue(m_bXGridOff);
    m_pZGridOff->SetValue(m_bZGridOff);
    m_pShowHelp->SetValue(m_bShowHelp);
    SetNumber(m_pLines, platform::FormatC("%u", m_nLines));
    m_pSolidFill->SetValue(m_bSolidFill);
    return true;
}

bool CDispProp_3d::ReadControls(bool store)
{
    unsigned lines = 0;
    if (!ReadUnsigned(m_pLines, 2, 120, lines))
        return false;
    if (store)
    {
        m_bGrid = m_pGrid->GetValue();
        m_bJetColor = m_pJetColor->GetValue();
        m_bLoadTexture = m_pLoadTexture->GetValue();
        m_bXGridOff = m_pXGridOff->GetValue();
        m_bZGridOff = m_pZGridOff->GetValue();
        m_bShowHelp = m_pShowHelp->GetValue();
        m_nLines = lines;
        m_bSolidFill = m_pSolidFill->GetValue();
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Data reduction

std::string CDispProp_special1::GetTitle() const
{
    return GetText(kTextReduction);
}

void CDispProp_special1::CreateControls(wxSizer* sizer)
{
    wxStaticBoxSizer* group = AddGroup(this, sizer, 1419, GetText(kTextDecimateMode));
    m_decimation.Create(group->GetStaticBox(), group, 1262,
                        {GetText(kTextDefault), GetText(kTextMaximum), GetText(kTextMinimum),
                         GetText(kTextMaximum) + " ABS", GetTextCapitalized(kTextAverage),
                         GetTextCapitalized(kTextSum), GetTextCapitalized(kTextEnvelope), GetText(kTextOff)});
}

bool CDispProp_special1::TransferDataToWindow()
{
    m_decimation.SetSelection(m_nDecimation);
    return true;
}

bool CDispProp_special1::ReadControls(bool store)
{
    if (store)
        m_nDecimation = m_decimation.GetSelection();
    return true;
}
