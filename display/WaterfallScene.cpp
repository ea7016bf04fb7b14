#include "display/WaterfallScene.h"

#include <algorithm>
#include <cmath>

#include "display/ColorMap.h"
#include "display/ThreeDWindow.h"

C3DWindowBase* g_p3DWindow = nullptr;

namespace
{

using namespace waterfall_style;

constexpr float kHeightPerValue = 0.5f;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;

std::uint32_t Argb(int r, int g, int b)
{
    return 0xFF000000u | (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) |
           static_cast<std::uint32_t>(b);
}

CLitVertex LitAt(float x, float y, float z, std::uint32_t diffuse, float u, float v)
{
    const C3DVector n = Normalize({x, y, z});
    return {x, y, z, n.x, n.y, n.z, diffuse, u, v};
}

// A row value that is not a number counts as the floor of the box.
float Height(float value)
{
    return std::isfinite(value) ? value * kHeightPerValue : 0.0f;
}

}  // namespace

std::uint32_t LevelToColour(float y, bool grey)
{
    const float scaled = std::isfinite(y) ? y * 80.0f : 0.0f;
    const int i = static_cast<int>(std::clamp(scaled, 0.0f, 255.0f));
    if (grey)
        return Argb(i, i, i);
    const ColorMapEntry& e = GetColorMap()[static_cast<std::size_t>(i)];
    return Argb(std::max(e.red, 1), std::max(e.green, 1), std::max(e.blue, 1));
}

CWaterfallScene::CWaterfallScene()
{
    m_surface.resize(kSurfaceVertices);
    m_colourSurface.resize(kSurfaceVertices);
    m_grid.resize(kGridVertices);
}

int CWaterfallScene::RowsOfStyle(std::uint32_t style)
{
    return std::clamp(static_cast<int>(style >> kRowsShift), kMinRows, kMaxRows);
}

int CWaterfallScene::GridLineCount(std::uint32_t style, int rows, int points)
{
    int lines = (points - 1) * rows + (rows - 1) * points;
    if (style & kNoZGrid)
        lines = (points - 1) * rows - 100;
    else if (style & kNoXGrid)
        lines = (rows - 1) * points - 1;
    return std::max(lines, 0);
}

void CWaterfallScene::SetRowCount(int rows)
{
    m_nRows = std::clamp(rows, kMinRows, kMaxRows);
}

void CWaterfallScene::Allocate()
{
    if (m_nAllocatedRows >= m_nRows)
        return;
    m_rows.assign(static_cast<std::size_t>(m_nRows), std::vector<float>(kPoints, 0.0f));
    m_nAllocatedRows = m_nRows;
}

bool CWaterfallScene::AddRow(std::span<const float> row, int index)
{
    if (row.size() < static_cast<std::size_t>(kPoints))
        return false;
    m_lastRebuiltStrips.clear();
    if (index < -1 || index >= m_nRows)
        return false;
    if (!m_bAxesValid)
        RebuildAxes();
    if (index == -1)
    {
        Append(row);
        return true;
    }
    SetRow(row, index);
    return true;
}

void CWaterfallScene::RebuildAxes()
{
    m_xAxis.Rebuild();
    m_yAxis.Rebuild();
    m_zAxis.Rebuild();
    m_markers.Rebuild();
    m_bAxesValid = 1;
}

void CWaterfallScene::ClearHistory()
{
    for (std::vector<float>& r : m_rows)
        std::fill(r.begin(), r.end(), 0.0f);
    std::fill(m_surface.begin(), m_surface.end(), CLitVertex{});
    ++m_nGeometryVersion;
}

void CWaterfallScene::BuildStrip(int k, bool coloured, bool levelColours)
{
    const float dx = kExtentX / kPoints;
    const float dz = kExtentZ / static_cast<float>(m_nRows);
    const std::vector<float>& front = m_rows[static_cast<std::size_t>(k)];
    const std::vector<float>& back = m_rows[static_cast<std::size_t>(k + 1)];
    const std::size_t base = static_cast<std::size_t>(k) * 2 * kPoints;
    const bool grey = (m_nStyle & kGrey) != 0;
    const float z0 = static_cast<float>(k) * dz;
    const float z1 = static_cast<float>(k + 1) * dz;
    for (int j = 0; j < kPoints; ++j)
    {
        const float x = static_cast<float>(j) * dx;
        const float y0 = Height(front[static_cast<std::size_t>(j)]);
        const float y1 = Height(back[static_cast<std::size_t>(j)]);
        const std::size_t at = base + 2 * static_cast<std::size_t>(j);
        if (coloured)
        {
            m_colourSurface[at] = {x, y0, z0, LevelToColour(y0, grey)};
            m_colourSurface[at + 1] = {x, y1, z1, LevelToColour(y1, grey)};
            continue;
        }
        const float v = static_cast<float>(j) / kPoints;
        if (levelColours)
        {
            // An overwritten row: coloured by level, the texture spread over the strips.
            const float u0 = static_cast<float>(k) / static_cast<float>(m_nRows);
            const float u1 = static_cast<float>(k + 1) / static_cast<float>(m_nRows);
            m_surface[at] = LitAt(x, y0, z0, LevelToColour(y0, grey), u0, v);
            m_surface[at + 1] = LitAt(x, y1, z1, LevelToColour(y1, grey), u1, v);
        }
        else
        {
            m_surface[at] = LitAt(x, y0, z0, kWhite, 0.0f, v);
            m_surface[at + 1] = LitAt(x, y1, z1, kWhite, 1.0f / static_cast<float>(m_nRows), v);
        }
    }
    m_lastRebuiltStrips.push_back(k);
}

// The lines along the frequency axis of row k (none with kNoXGrid). They come first in the grid.
void CWaterfallScene::BuildGridRowLines(int k)
{
    if (m_nStyle & kNoXGrid)
        return;
    const float dx = kExtentX / kPoints;
    const float z = static_cast<float>(k) * kExtentZ / static_cast<float>(m_nRows);
    const std::vector<float>& r = m_rows[static_cast<std::size_t>(k)];
    std::size_t at = static_cast<std::size_t>(k) * 2 * (kPoints - 1);
    for (int j = 0; j + 1 < kPoints; ++j)
    {
        m_grid[at++] =
            LitAt(static_cast<float>(j) * dx, Height(r[static_cast<std::size_t>(j)]), z, kWhite, 0, 0);
        m_grid[at++] = LitAt(static_cast<float>(j + 1) * dx, Height(r[static_cast<std::size_t>(j + 1)]), z,
                             kWhite, 0, 0);
    }
}

// The lines along the time axis from row k to row k+1 (none with kNoZGrid), point by point after
// the frequency-axis lines.
void CWaterfallScene::BuildGridTimeLines(int k)
{
    if (m_nStyle & kNoZGrid)
        return;
    const float dx = kExtentX / kPoints;
    const float dz = kExtentZ / static_cast<float>(m_nRows);
    const std::size_t first =
        (m_nStyle & kNoXGrid) ? 0 : static_cast<std::size_t>(kPoints - 1) * static_cast<std::size_t>(m_nRows);
    const std::vector<float>& a = m_rows[static_cast<std::size_t>(k)];
    const std::vector<float>& b = m_rows[static_cast<std::size_t>(k + 1)];
    for (int j = 0; j < kPoints; ++j)
    {
        const std::size_t line = first + static_cast<std::size_t>(j) * static_cast<std::size_t>(m_nRows - 1) +
                                 static_cast<std::size_t>(k);
        const float x = static_cast<float>(j) * dx;
        m_grid[2 * line] =
            LitAt(x, Height(a[static_cast<std::size_t>(j)]), static_cast<float>(k) * dz, kWhite, 0, 0);
        m_grid[2 * line + 1] =
            LitAt(x, Height(b[static_cast<std::size_t>(j)]), static_cast<float>(k + 1) * dz, kWhite, 0, 0);
    }
}

void CWaterfallScene::Append(std::span<const float> row)
{
    Allocate();
    m_bDataValid = 1;
    for (int k = m_nRows - 1; k >= 1; --k)
        m_rows[static_cast<std::size_t>(k)] = m_rows[static_cast<std::size_t>(k - 1)];
    std::copy_n(row.begin(), kPoints, m_rows[0].begin());

    const float dz = kExtentZ / static_cast<float>(m_nRows);
    const int strips = m_nRows - 1;
    const std::size_t stripSize = 2 * kPoints;
    auto shiftBack = [&](auto& vertices)
    {
        // Strip k moves to k+1; the oldest strip falls off.
        std::move_backward(vertices.begin(),
                           vertices.begin() + static_cast<std::ptrdiff_t>((strips - 1) * stripSize),
                           vertices.begin() + static_cast<std::ptrdiff_t>(strips * stripSize));
        for (int k = 1; k < strips; ++k)
            for (std::size_t v = 0; v < stripSize; ++v)
                vertices[static_cast<std::size_t>(k) * stripSize + v].z =
                    static_cast<float>(k + static_cast<int>(v % 2)) * dz;
    };
    if (m_nStyle & (kTexture | kSurface))
    {
        shiftBack(m_surface);
        BuildStrip(0, false, false);
    }
    if (m_nStyle & (kJet | kGrey))
    {
        shiftBack(m_colourSurface);
        BuildStrip(0, true, false);
    }
    if (m_nStyle & kGrid)
    {
        for (int k = 0; k < m_nRows; ++k)
            BuildGridRowLines(k);
        for (int k = 0; k + 1 < m_nRows; ++k)
            BuildGridTimeLines(k);
    }
    m_fScroll = 0.0f;
    m_bRowStartPending = true;
    ++m_nGeometryVersion;
}

void CWaterfallScene::SetRow(std::span<const float> row, int r)
{
    Allocate();
    m_bDataValid = 1;
    std::copy_n(row.begin(), kPoints, m_rows[static_cast<std::size_t>(r)].begin());
    if (m_nStyle & (kTexture | kSurface))
    {
        if (r > 0)
            BuildStrip(r - 1, false, true);
        if (r < m_nRows - 1)
            BuildStrip(r, false, true);
    }
    if (m_nStyle & kGrid)
    {
        BuildGridRowLines(r);
        // The time-axis lines on both sides of the row.
        if (r > 0)
            BuildGridTimeLines(r - 1);
        if (r < m_nRows - 1)
            BuildGridTimeLines(r);
    }
    ++m_nGeometryVersion;
}

float CWaterfallScene::AdvanceScroll(double now)
{
    if (m_bRowStartPending)
    {
        m_bRowStartPending = false;
        m_dRowStart = now;
    }
    else if (m_dRowPeriod > 0.0)
    {
        m_fScroll = static_cast<float>((now - m_dRowStart) * (kExtentZ / m_nRows) / m_dRowPeriod);
    }
    m_fScroll += 0.0001f;
    // The surface slides back by at most one row while it waits for the next one.
    m_fScroll = std::min(m_fScroll, kExtentZ / static_cast<float>(m_nRows));
    return m_fScroll;
}
