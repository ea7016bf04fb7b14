// How the result grids and the list-edit view paint a cell, as plain functions over the canvas so
// that tests can check every pixel rule without a display. Colours are 0x00BBGGRR.
#pragma once

#include <string_view>

#include "platform/gfx/Canvas.h"

// The colours of a grid list: texts, background, the selected row and the shading of odd rows.
struct GridColors
{
    gfx::Color m_crText = 0x000000;
    gfx::Color m_crBack = 0xFFFFFF;
    gfx::Color m_crHighlightText = 0xFFFFFF;
    gfx::Color m_crHighlight = 0xC06000;
    gfx::Color m_crAltRow = 0xC0C0C0;
    bool m_bAltRows = false;
};

// One cell of a grid list row (`cell` right and bottom exclusive): the row's background (the
// shading for an odd row when shading is on, the highlight for a selected row), the column's grid
// line on its last pixel column, and the text right-aligned 3 pixels in from the right edge, cut
// with "..." when it does not fit.
void DrawGridListCell(gfx::Canvas& canvas, const gfx::Rect& cell, std::string_view text, int row,
                      bool selected, const GridColors& colors);

// Alignment of a column of the list-edit view.
enum class ColumnAlign : int
{
    Left = 0,
    Right = 1,
    Centre = 2,
};

// One cell of a list-edit view row: the row's fill (highlight when selected and no cell is being
// edited), then the text shortened to its box: column 0 left-aligned over the whole cell, the other
// columns in their alignment from 4 pixels in to 8 pixels before the right edge. A cell being edited
// shows no text (the editor covers it). A filler cell (the part of the row right of the last column,
// up to 2 pixels before the client's right edge) gets only the fill.
struct ListEditCell
{
    int column = 0;
    bool filler = false;
    ColumnAlign align = ColumnAlign::Left;
    bool selected = false;
    bool editing = false;  // some cell of the view is being edited
    bool edited = false;   // this cell is the one being edited
    // The row has the focus (and the view too): a dotted focus rectangle around the whole row,
    // whose left edge is drawn in the first cell and right edge in the last.
    bool focused = false;
    bool firstCell = false;
    bool lastCell = false;
};
void DrawListEditCell(gfx::Canvas& canvas, const gfx::Rect& cell, std::string_view text,
                      const ListEditCell& state, const GridColors& colors);
