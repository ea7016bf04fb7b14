// What the 3D waterfall shows, as plain numbers: the history of the last spectrum rows (values 0..10,
// row 0 the newest), the vertex arrays of the lit surface, the coloured surface and the grid built
// from it, the three axes and the marker planes, the style word and the smooth scroll. The window
// (display/ui's CAppForm) uploads the arrays and draws them.
//
// Threads: rows arrive on the user-interface thread (live feed) or on the plot's time-signal worker;
// the window draws on the user-interface thread. Every member that touches the history or the
// arrays is called with m_mutex held (the window's AddRow and its drawing take it).
#pragma once

#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "display/3DAxis.h"
#include "display/LitVertex.h"
#include "display/MarkerPlanes.h"

// The 3D style word: what the waterfall draws and, in its top byte, how many rows it keeps.
namespace waterfall_style
{
inline constexpr std::uint32_t kGrid = 0x02;
inline constexpr std::uint32_t kTexture = 0x08;
inline constexpr std::uint32_t kNoXGrid = 0x10;
inline constexpr std::uint32_t kNoZGrid = 0x20;
inline constexpr std::uint32_t kSurface = 0x40;
inline constexpr std::uint32_t kJet = 0x80;
inline constexpr std::uint32_t kGrey = 0x100;
inline constexpr std::uint32_t kHelp = 0x200;
inline constexpr int kRowsShift = 24;
// The engine's default: 100 rows, JET surface, solid surface, grid.
inline constexpr std::uint32_t kEngineDefault = 0x640000C2;
// The window's own value before a feed sets one.
inline constexpr std::uint32_t kWindowDefault = 0x42;
// What the time-signal feed draws: solid surface, grid, no lines along the time axis.
inline constexpr std::uint32_t kTimeSignal = 0x62;
}  // namespace waterfall_style

// The colour of a vertex at height y (world units): entry trunc(y × 80) (0..255) of the colour map
// with every zero component raised to 1, or the grey level (i, i, i); alpha 255. ARGB.
std::uint32_t LevelToColour(float y, bool grey);

class CWaterfallScene
{
public:
    static constexpr int kPoints = 120;
    static constexpr int kMinRows = 2;
    static constexpr int kMaxRows = 120;
    static constexpr float kExtentX = 16.0f;
    static constexpr float kExtentY = 5.0f;
    static constexpr float kExtentZ = 35.0f;
    // Vertices of the arrays at the largest history: strips of 2 × points, grid line pairs.
    static constexpr int kSurfaceVertices = (kMaxRows - 1) * 2 * kPoints;
    static constexpr int kGridVertices = 2 * ((kPoints - 1) * kMaxRows + (kMaxRows - 1) * kPoints);

    CWaterfallScene();

    // The row count of a style word's top byte, held to 2..120 (0 or 1 leave no strip to draw,
    // more would not fit the arrays).
    static int RowsOfStyle(std::uint32_t style);
    // Lines of the grid's one line list (0 when the count comes out at or below 0).
    static int GridLineCount(std::uint32_t style, int rows, int points = kPoints);

    // Sets the row count (held to 2..120); the history grows at the next row.
    void SetRowCount(int rows);
    int RowCount() const { return m_nRows; }
    int AllocatedRows() const { return m_nAllocatedRows; }

    // A row of values 0..10: index -1 appends, 0..rows-1 overwrites that row (the axes are rebuilt
    // first when not valid); another index is ignored. Returns whether the row was taken.
    bool AddRow(std::span<const float> row, int index);
    // Zeroes the history and the surface.
    void ClearHistory();
    // A scene exists once a row has come and while the history holds all rows.
    bool CanDraw() const { return m_bDataValid && m_nRows <= m_nAllocatedRows; }
    // Rebuilds the three axes and the marker planes from their ranges and marks them valid.
    void RebuildAxes();

    // The smooth scroll of one frame at application time `now` (seconds): the offset along z.
    float AdvanceScroll(double now);

    const std::vector<float>& Row(int k) const { return m_rows[static_cast<std::size_t>(k)]; }

    std::mutex m_mutex;
    std::uint32_t m_nStyle = waterfall_style::kWindowDefault;
    double m_dRowPeriod = 0.01;
    int m_bAxesValid = 0;
    int m_bSmoothScroll = 0;
    int m_bHelpEnabled = 1;
    float m_fScroll = 0.0f;
    C3DAxis m_xAxis{C3DAxis::Kind::X};
    C3DAxis m_yAxis{C3DAxis::Kind::Y};
    C3DAxis m_zAxis{C3DAxis::Kind::Z};
    CMarkerPlanes m_markers;

    // The vertex arrays the window draws, and a count that changes with each of their changes.
    std::vector<CLitVertex> m_surface;
    std::vector<CColourVertex> m_colourSurface;
    std::vector<CLitVertex> m_grid;
    std::uint64_t m_nGeometryVersion = 0;
    // Strips rebuilt by the last row (for tests and the frame's upload).
    std::vector<int> m_lastRebuiltStrips;

private:
    void Allocate();
    void Append(std::span<const float> row);
    void SetRow(std::span<const float> row, int r);
    void BuildStrip(int k, bool coloured, bool levelColours);
    void BuildGridRowLines(int k);
    void BuildGridTimeLines(int k);

    int m_nRows = kMaxRows;
    int m_nAllocatedRows = 0;
    int m_bDataValid = 0;
    std::vector<std::vector<float>> m_rows;
    bool m_bRowStartPending = false;
    double m_dRowStart = 0.0;
};
