// The four lists that edit one curve style: palette colour, width ("1" to "3"), pen style and
// marker. The line-style page of the display properties and the "Line Styles" dialog both use them.
// User-interface thread only.
#pragma once

#include <array>

class CColorComboBox;
class CCurveStyle;
class CMarkerComboBox;
class wxChoice;
class wxSizer;
class wxWindow;

struct CurveStyleControls
{
    CColorComboBox* color = nullptr;
    wxChoice* width = nullptr;
    wxChoice* penStyle = nullptr;
    CMarkerComboBox* marker = nullptr;
};

// Makes the lists on the parent with the ids (colour, width, pen style, marker) and adds them to the
// sizer in that order. The colour list offers the 20 palette colours, the pen-style list "solid",
// "dashed", "dotted" and "dashdot" in the current language.
CurveStyleControls CreateCurveStyleControls(wxWindow* parent, wxSizer* sizer, const std::array<int, 4>& ids);

// Selects the style's colour index, width - 1, pen style and marker; a value a list does not offer
// selects nothing there.
void ShowCurveStyle(const CurveStyleControls& controls, const CCurveStyle& style);

// Reads the selections back (width = selection + 1); a list without a selection keeps the style's
// value.
void ReadCurveStyle(const CurveStyleControls& controls, CCurveStyle& style);
