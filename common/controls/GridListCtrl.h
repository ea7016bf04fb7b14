// CGridListCtrl: the result table of the dialogs. A report list that holds no items of its own: it
// knows a row count, and every cell text is asked for through CGridListCallback (the derived grids
// answer it themselves) or taken from up to ten column text arrays that belong to the owner. Rows
// are shaded by parity, each column draws its grid line on its last pixel and cell texts are
// right-aligned 3 pixels in, cut with "...". A derived grid may let the user edit cells in place;
// an edit is written back into the column arrays.
//
// Threads: user-interface thread only.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "common/controls/GridCore.h"

// Bits of a cell request's mask.
namespace grid_request
{
inline constexpr unsigned kText = 0x0001;
inline constexpr unsigned kIndent = 0x0010;
}  // namespace grid_request

// Where a grid asks for its cells. The defaults answer nothing (and row 0 for a find).
class CGridListCallback
{
public:
    virtual ~CGridListCallback() = default;
    virtual void OnCacheHint(int tag, int firstRow, int lastRow);
    virtual int OnFindItem(int tag, const std::string& text);
    // Fills `text` (room for `textLength` bytes with its terminating zero) with the cell's text
    // when the mask asks for text; `row` is the request's row, `item` the same row as the list
    // knows it.
    virtual void OnGetItemInfo(int row, int item, int column, unsigned mask, int image, unsigned state,
                               char* text, int textLength);
};

// Copies the text into a request's buffer, cut to its length (never inside a character).
void CopyCellText(const std::string& text, char* buffer, int bufferLength);

class CGridListCtrl : public CGridCore
{
public:
    static constexpr int kColumnArrays = 10;
    static constexpr int kTextBufferLength = 500;

    CGridListCtrl();
    ~CGridListCtrl() override;

    void SetAlternateRowColor(bool enable, gfx::Color colour);
    // Answers a request from the column text arrays.
    void FillDispInfo(int row, int item, int column, unsigned mask, int image, unsigned state, char* text,
                      int textLength);
    // The text of a cell as the list shows it: a request with the row, through the callback.
    std::string RequestCellText(int row, int column);
    // Tag of find and cache-hint requests: the current row when there is one, else the control's id.
    int RequestTag() const;

    const GridColors& Colors() const { return m_colors; }
    // Reads the theme's four colours again (after the system colours changed).
    void ReadSystemColors();

    std::array<std::vector<std::string>*, kColumnArrays> m_pColumnTexts{};
    int m_nCurrentRow = -1;
    int m_nColumns = 1;
    int m_nRows = 0;
    const std::vector<std::string>* m_pTitles = nullptr;
    CGridListCallback* m_pCallback = nullptr;

    // CGridCore
    std::string GetCellText(int row, int column) override;
    void StoreCellText(int row, int column, const std::string& text) override;
    void PaintCell(gfx::Canvas& canvas, const gfx::Rect& cell, int row, int column) override;

protected:
    GridColors m_colors;
};
