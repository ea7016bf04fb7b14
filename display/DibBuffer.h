// A 32-bit pixel picture that code writes directly (the sonagram, the image export) and its
// stretching onto a canvas. Rows are stored bottom-up: row 0 is the bottom row of the picture.
// Pixels are 0x00RRGGBB. Used on the user-interface thread only.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace gfx
{
class Canvas;
}

class CDibBuffer
{
public:
    // Larger pictures are refused (about a gigabyte of pixels).
    static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 28;

    // A picture of width x height black pixels; 1 on success. The old picture is released first;
    // a size of 0 or below, or one too large, leaves the buffer empty (0 x 0) and returns 0.
    int Create(int width, int height);
    // Frees the picture; the size becomes 0 x 0. Always 1.
    int Release();
    // Writes the pixel at index x + y x width; the caller keeps x and y inside the picture.
    void SetPixel(int x, int y, std::uint32_t value)
    {
        m_pixels[static_cast<std::size_t>(x + y * m_nWidth)] = value;
    }
    std::uint32_t GetPixel(int x, int y) const
    {
        return m_pixels[static_cast<std::size_t>(x + y * m_nWidth)];
    }

    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    bool IsEmpty() const { return m_pixels.empty(); }
    std::span<std::uint32_t> Pixels() { return m_pixels; }
    std::span<const std::uint32_t> Pixels() const { return m_pixels; }

private:
    std::vector<std::uint32_t> m_pixels;
    int m_nWidth = 0;
    int m_nHeight = 0;
};

// Stretches a whole picture onto a rectangle of a canvas.
class CDrawDib
{
public:
    CDrawDib() = default;
    ~CDrawDib() { Close(); }
    CDrawDib(const CDrawDib&) = delete;
    CDrawDib& operator=(const CDrawDib&) = delete;

    // 1 once open.
    int Open();
    void Close();
    bool IsOpen() const { return m_bOpen; }
    // The whole picture (source 0, 0, its width and height) into the rectangle at (x, y) of
    // width x height; `flags` are accepted for the callers' sake. Nothing for an empty picture or
    // while closed. 1 when something was drawn.
    int Draw(const CDibBuffer& dib, gfx::Canvas& canvas, int x, int y, int width, int height, int flags = 0);

private:
    bool m_bOpen = false;
};
