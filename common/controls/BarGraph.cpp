#include "common/controls/BarGraph.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr gfx::Color kGreen = 0x00FF00;
constexpr gfx::Color kWhite = 0xFFFFFF;

// The filled share of a bar, 0 … 1; not a number counts as empty.
double Fraction(double value, double minimum, double maximum)
{
    if (maximum == minimum)
        return value > maximum ? 1.0 : 0.0;
    const double f = (value - minimum) / (maximum - minimum);
    if (!(f > 0.0))
        return 0.0;
    return std::min(f, 1.0);
}

}  // namespace

void CBarGraph::Draw(gfx::Canvas& canvas)
{
    const int bars = std::clamp(m_nBars, 0, kMaxBars);
    if (bars == 0)
        return;
    const int width = m_rect.right - m_rect.left;
    m_nBarWidth = static_cast<int>(width / ((bars - 1) * 0.3 + bars));
    m_nGap = static_cast<int>(m_nBarWidth * 0.3);
    const int height = m_rect.bottom - m_rect.top;
    int x = m_rect.left;
    for (int i = 0; i < bars; ++i)
    {
        const int k =
            static_cast<int>(height * Fraction(m_values[static_cast<std::size_t>(i)], m_dMin, m_dMax));
        canvas.SetBrush({kGreen, false});
        canvas.Rectangle(x, m_rect.bottom - k, x + m_nBarWidth, m_rect.bottom);
        canvas.SetBrush({kWhite, false});
        canvas.Rectangle(x, m_rect.top, x + m_nBarWidth, m_rect.bottom - k);
        x += m_nBarWidth + m_nGap;
    }
}
