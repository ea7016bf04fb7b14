#include "display/DibBuffer.h"

#include "platform/gfx/Canvas.h"

int CDibBuffer::Create(int width, int height)
{
    Release();
    if (width <= 0 || height <= 0 || static_cast<std::int64_t>(width) * height > kMaxPixels)
        return 0;
    m_pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0u);
    m_nWidth = width;
    m_nHeight = height;
    return 1;
}

int CDibBuffer::Release()
{
    m_pixels.clear();
    m_pixels.shrink_to_fit();
    m_nWidth = 0;
    m_nHeight = 0;
    return 1;
}

int CDrawDib::Open()
{
    m_bOpen = true;
    return 1;
}

void CDrawDib::Close()
{
    m_bOpen = false;
}

int CDrawDib::Draw(const CDibBuffer& dib, gfx::Canvas& canvas, int x, int y, int width, int height,
                   int /*flags*/)
{
    if (!m_bOpen || dib.IsEmpty() || width <= 0 || height <= 0)
        return 0;
    canvas.DrawPixels(dib.Pixels(), dib.GetWidth(), dib.GetHeight(), {x, y, x + width, y + height});
    return 1;
}
