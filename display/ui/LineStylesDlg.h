// "Line Styles": the colour, width, pen style and marker of one curve. The caller fills m_style,
// runs the dialog modally and takes m_style after OK; Cancel leaves it as it was.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>

#include "display/CurveStyle.h"
#include "display/ui/CurveStyleControls.h"

class CLineStylesDlg : public wxDialog
{
public:
    // The lists: colour 366, width 370, pen style 374, marker 378; their labels 1345 to 1348.
    static constexpr int kIdColor = 366;
    static constexpr int kIdWidth = 370;
    static constexpr int kIdPenStyle = 374;
    static constexpr int kIdMarker = 378;

    explicit CLineStylesDlg(wxWindow* parent);

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    CCurveStyle m_style;
    CurveStyleControls m_controls;
};
