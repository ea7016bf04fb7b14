#include "display/DibBuffer.h"

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
