// The ten pages of the "Display properties" sheet. Each page holds the values of its controls in
// public members, which the owner fills before the sheet runs and reads after OK; the page knows
// nothing of the plot. TransferDataToWindow shows the members, Validate checks the entries (a
// refused entry is reported in a message box and keeps the sheet open), TransferDataFromWindow
// stores them. User-interface thread only.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <wx/panel.h>

#include "display/CurveStyle.h"
#include "display/ui/CurveStyleControls.h"

class CColorComboBox;
class CMarkerComboBox;
class wxCheckBox;
class wxChoice;
class wxRadioButton;
class wxSizer;
class wxSlider;
class wxStaticText;
class wxTextCtrl;

// A group of radio buttons that can also have none selected (index -1): a hidden button of the
// group takes the selection then.
class RadioChoice
{
public:
    // The first button gets the id, the others ids of their own.
    void Create(wxWindow* parent, wxSizer* sizer, int id, const std::vector<std::string>& labels);
    // -1, or any index outside the group, selects none.
    void SetSelection(int index);
    // -1 when none is selected.
    int GetSelection() const;
    int GetCount() const { return static_cast<int>(m_buttons.size()); }
    wxRadioButton* GetButton(int index) const;

private:
    std::vector<wxRadioButton*> m_buttons;
    wxRadioButton* m_pNone = nullptr;
};

// What every page of the sheet shares: its template id, its tab title and the two-step creation
// (construct, fill the members, then the sheet makes the window).
class DispPropPage : public wxPanel
{
public:
    explicit DispPropPage(int templateId) : m_nTemplateId(templateId) {}

    int GetTemplateId() const { return m_nTemplateId; }
    // The tab title, translated where the page has a text for it.
    virtual std::string GetTitle() const = 0;
    // Makes the page window and its controls under the parent (the sheet's book).
    bool Create(wxWindow* parent);

    // Checks the entries without storing them; false after reporting the first refused one.
    bool Validate() override;
    // Stores the entries in the members; false (nothing stored) after reporting a refused one.
    bool TransferDataFromWindow() override;

protected:
    virtual void CreateControls(wxSizer* sizer) = 0;
    // Reads every control; stores into the members only with `store`. Reports the first refused
    // entry (message box, focus on its control) and returns false.
    virtual bool ReadControls(bool store) = 0;

    // Reads an edit as an integer or number in [min, max]; reports and returns false otherwise.
    bool ReadInt(wxTextCtrl* edit, long long min, long long max, long long& value);
    bool ReadUnsigned(wxTextCtrl* edit, unsigned min, unsigned max, unsigned& value);
    bool ReadDouble(wxTextCtrl* edit, double& value);
    bool ReadFloat(wxTextCtrl* edit, float min, float max, float& value);
    // Shows the message, puts the focus on the control and selects its text; returns false.
    bool Refuse(wxWindow* control, const std::string& message);

private:
    int m_nTemplateId;
};

// Template ids of the pages' own constructors and of the sheet the measurement window builds.
inline constexpr int kZoomPageTemplate = 37;
inline constexpr int kBarPageTemplate = 38;
inline constexpr int kMathPageTemplate = 41;
inline constexpr int kLineStylesPageTemplate = 39;
inline constexpr int kColorPageTemplate = 44;
inline constexpr int kSpectrogramPageTemplate = 42;
inline constexpr int kSpectrogramSheetTemplate = 792;
inline constexpr int kMarkerPageTemplate = 52;
inline constexpr int kSpecialPageTemplate = 445;
inline constexpr int k3dPageTemplate = 447;
inline constexpr int kReductionPageTemplate = 653;

// Zoom ranges and logarithmic axes.
class CDispProp_zoom : public DispPropPage
{
public:
    explicit CDispProp_zoom(int templateId = kZoomPageTemplate) : DispPropPage(templateId) {}
    std::string GetTitle() const override;
    bool TransferDataToWindow() override;

    bool m_bXLog = false;  // check 152
    bool m_bYLog = false;  // check 164
    double m_dYMax = 0;    // edit 169
    double m_dYMin = 0;    // edit 165
    double m_dXMax = 0;    // edit 185
    double m_dXMin = 0;    // edit 179

    // Controls, valid after Create.
    wxCheckBox* m_pXLog = nullptr;
    wxCheckBox* m_pYLog = nullptr;
    wxTextCtrl* m_pYMax = nullptr;
    wxTextCtrl* m_pYMin = nullptr;
    wxTextCtrl* m_pXMax = nullptr;
    wxTextCtrl* m_pXMin = nullptr;

protected:
    void CreateControls(wxSizer* sizer) override;
    bool ReadControls(bool store) override;
};

// The bar graph and its peak hold.
class CDispProp_bar : public DispPropPage
{
public:
    explicit CDispProp_bar(int templateId = 0) : DispPropPage(templateId) {}
    std::string GetTitle() const override;
    bool TransferDataToWindow() override;

    bool m_bActive = false;    // check 159
    int m_nBarsPerOctave = 1;  // edit 227, 1..50
    float m_fDecay = 0;        // edit 201, dB/s, 0..150
    bool m_bPeakHold = false;  // check 194
    float m_fPeakDecay = 0;    // edit 207, dB/s, 0..150

    wxCheckBox* m_pActive = nullptr;
    wxTextCtrl* m_pBarsPerOctave = nullptr;
    wxTextCtrl* m_pDecay = nullptr;
    wxCheckBox* m_pPeakHold = nullptr;
    wxTextCtrl* m_pPeakDecay = nullptr;

protected:
    void CreateControls(wxSizer* sizer) override;
    bool ReadControls(bool store) override;
};

// The math curve.
class CDispProp_2nd : public DispPropPage
{
public:
    explicit CDispProp_2nd(int templateId = kMathPageTemplate) : DispPropPage(templateId) {}
    std::string GetTitle() const override;
    bool TransferDataToWindow() override;

    int m_nMathMode = 0;      // radio 503: off, only, on
    int m_nMathFunction = 0;  // radio 504: maximum, minimum, sliding average

    RadioChoice m_mathMode;
    RadioChoice m_mathFunction;

protected:
    void CreateControls(wxSizer* sizer) override;
    bool ReadControls(bool store) override;
};

// Colour, marker, width and pen style of curves 1 to 3 and of the grid.
class CDispProp_linestyles : public DispPropPage
{
public:
    static constexpr int kRows = 4;

    explicit CDispProp_linestyles(int templateId = kLineStylesPageTemplate) : DispPropPage(templateId) {}
    std::string GetTitle() const override;
    bool TransferDataToWindow() override;

    std::array<CCurveStyle, kRows> m_styles;

    std::array<CColorComboBox*, kRows> m_pColor{};    // 366, 381, 396, 401
    std::array<CMarkerComboBox*, kRows> m_pMarker{};  // 378, 391, 402, 406
    std::array<wxChoice*, kRows> m_pWidth{};          // 370, 384, 398, 404: "1", "2", "3"
    std::array<wxChoice*, kRows> m_pStyle{};          // 374, 387, 409, 411

protected:
    void CreateControls(wxSizer* sizer) override;
    bool ReadControls(bool store) override;

private:
    CurveStyleControls RowControls(std::size_t row) const;
};

// The colour scheme of the background and the frame colour.
class CDispProp_color : public DispPropPage
{
public:
    static constexpr int kSchemeOther = 3;

    explicit CDispProp_color(int templateId = kColorPageTemplate) : DispPropPage(templateId) {}
    std::string GetTitle() const override;
    bool TransferDataToWindow() override;

    int m_nScheme = 0;           // radio 495: default, white for printing, black, other
    int m_nOtherColorIndex = 0;  // palette index of combo 643, used with "other"
    int m_nFrameColorIndex = 0;  // palette index of combo 641

    RadioChoice m_scheme;
    CColorComboBox* m_pOtherColor = nullptr;
    CColorComboBox* m_pFrameColor = nullptr;

protected:
    void CreateControls(wxSizer* sizer) override;
    bool ReadControls(bool store) override;
};

// Spectrogram switches.
class CDispProp_spectrogram : public DispPropPage
{
public:
    explicit CDispProp_spectrogram(int templateId = kSpectrogramPageTemplate) : DispPropPage(templateId) {}
    std::string GetTitle() const override;
    bool TransferDataToWindow() override;

    bool m_bGreyscale = false;         // check 362
    bool m_bReverseTime = false;       // check 372
    bool m_bReverseFrequency = false;  // check 377
    bool m_bSwapAxes = false;          // check 368

    wxCheckBox* m_pGreyscale = nullptr;
    wxCheckBox* m_pReverseTime = nullptr;
    wxCheckBox* m_pReverseFrequency = nullptr;
    wxCheckBox* m_pSwapAxes = nullptr;

protected:
    void CreateControls(wxSizer* sizer) override;
    bool ReadControls(bool store) override;
};

// At most this many marker frequencies are kept.
inline constexpr int kMaxMarkerFrequencies = 256;

// Reads a marker list, one value per line: a line longer than 1000 characters ends the reading; a
// value is kept when it is neither 0 nor equal to the value kept before it; at most
// min(256, out.size()) values are stored. Returns the count stored.
int ParseMarkerFrequencyList(std::string_view text, std::span<double> out);
// The edit's text for a marker list: each value with "%f" on a line of its own.
std::string FormatMarkerFrequencyList(std::span<const double> values);

// The frequency markers.
class CDispProp_marker : public DispPropPage
{
public:
    explicit CDispProp_marker(int templateId = kMarkerPageTemplate) : DispPropPage(templateId) {}
    std::string GetTitle() const override;
    bool TransferDataToWindow() override;

    std::span<double> m_frequencies;  // the caller's array; at most 256 of it are used
    int m_nCount = 0;                 // values in use
    bool m_bShow = false;             // check 421
    std::string m_strText;            // the text of edit 422

    wxCheckBox* m_pShow = nullptr;
    wxTextCtrl* m_pText = nullptr;

protected:
    void CreateControls(wxSizer* sizer) override;
    bool ReadControls(bool store) override;
};

// Refresh, peak interpolation, smoothing, harmonics and history.
class CDispProp_special : public DispPropPage
{
public:
    explicit CDispProp_special(int templateId = kSpecialPageTemplate) : DispPropPage(templateId) {}
    std::string GetTitle() const override;
    bool TransferDataToWindow() override;

    unsigned m_nRefreshMs = 1;        // edit 180, 1..10000
    bool m_bPeakInterpolate = false;  // check 432
    bool m_bSmoothing = false;        // check 433
    int m_nSmoothingOctaves = 2;      // slider 438: 1/N octave, N 1..32
    bool m_bEvenHarmonics = false;    // check 458
    bool m_bOddHarmonics = false;     // check 457
    int m_nMaxHarmonics = 1;          // edit 459, 1..20
    bool m_bPlotPercent = false;      // check 584
    int m_nHistoryDepth = 0;          // edit 191, 0..1000
    bool m_bJetColors = false;        // check 448

    wxTextCtrl* m_pRefresh = nullptr;
    wxCheckBox* m_pPeakInterpolate = nullptr;
    wxCheckBox* m_pSmoothing = nullptr;
    wxSlider* m_pSmoothingOctaves = nullptr;
    wxStaticText* m_pSmoothingValue = nullptr;  // static 566
    wxCheckBox* m_pEvenHarmonics = nullptr;
    wxCheckBox* m_pOddHarmonics = nullptr;
    wxTextCtrl* m_pMaxHarmonics = nullptr;
    wxCheckBox* m_pPlotPercent = nullptr;
    wxTextCtrl* m_pHistoryDepth = nullptr;
    wxCheckBox* m_pJetColors = nullptr;

protected:
    void CreateControls(wxSizer* sizer) override;
    bool ReadControls(bool store) override;

private:
    void ShowSliderPosition();
};

// The 3D waterfall.
class CDispProp_3d : public DispPropPage
{
public:
    explicit CDispProp_3d(int templateId = k3dPageTemplate) : DispPropPage(templateId) {}
    std::string GetTitle() const override;
    bool TransferDataToWindow() override;

    bool m_bGrid = false;         // check 449
    bool m_bJetColor = false;     // check 448
    bool m_bLoadTexture = false;  // check 446
    bool m_bXGridOff = false;     // check 439
    bool m_bZGridOff = false;     // check 443
    bool m_bShowHelp = false;     // check 456
    unsigned m_nLines = 99;       // edit 460, 2..120
    bool m_bSolidFill = false;    // check 437

    wxCheckBox* m_pGrid = nullptr;
    wxCheckBox* m_pJetColor = nullptr;
    wxCheckBox* m_pLoadTexture = nullptr;
    wxCheckBox* m_pXGridOff = nullptr;
    wxCheckBox* m_pZGridOff = nullptr;
    wxCheckBox* m_pShowHelp = nullptr;
    wxTextCtrl* m_pLines = nullptr;
    wxCheckBox* m_pSolidFill = nullptr;

protected:
    void CreateControls(wxSizer* sizer) override;
    bool ReadControls(bool store) override;
};

// Bits of the 3D style word that the 3D page edits.
inline constexpr std::uint32_t k3dSurfaceBit64 = 0x40;
inline constexpr std::uint32_t k3dJetSurface = 0x80;
inline constexpr std::uint32_t k3dPlainSurface = 0x100;
inline constexpr std::uint32_t k3dGrid = 0x02;
inline constexpr std::uint32_t k3dLoadTexture = 0x08;
inline constexpr std::uint32_t k3dXGridOff = 0x10;
inline constexpr std::uint32_t k3dZGridOff = 0x20;
inline constexpr std::uint32_t k3dShowHelp = 0x200;
inline constexpr int k3dLinesShift = 24;

// Shows a 3D style word on the page's members.
void Load3dStyleWord(CDispProp_3d& page, std::uint32_t word);
// The style word with the page's settings: the bits the page edits are replaced, every other bit
// of `word` stays. Without solid fill none of the three surface bits is set.
std::uint32_t Store3dStyleWord(const CDispProp_3d& page, std::uint32_t word);

// Data reduction (decimation) of the display.
class CDispProp_special1 : public DispPropPage
{
public:
    explicit CDispProp_special1(int templateId = kReductionPageTemplate) : DispPropPage(templateId) {}
    std::string GetTitle() const override;
    bool TransferDataToWindow() override;

    int m_nDecimation = -1;  // radio 1262; -1 none

    RadioChoice m_decimation;

protected:
    void CreateControls(wxSizer* sizer) override;
    bool ReadControls(bool store) override;
};
