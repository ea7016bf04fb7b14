#include "engine/ui/PianoKeyboard.h"

#include <cmath>

namespace
{

constexpr int kBlackKeys[12] = {0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0};
// Notch codes of the white keys (black keys have none), and the notch as a fraction of the black
// key's width by code.
constexpr int kLeftNotch[12] = {0, 0, 2, 0, 3, 0, 0, 2, 0, 1, 0, 3};
constexpr int kRightNotch[12] = {3, 0, 2, 0, 0, 3, 0, 1, 0, 2, 0, 0};
constexpr double kNotchFraction[4] = {0.0, 0.5, 1.0 / 3.0, 2.0 / 3.0};

int Mod12(int key)
{
    const int m = key % 12;
    return m < 0 ? m + 12 : m;
}

}  // namespace

double NoteFrequency(int key, int octave)
{
    return kPianoReferencePitch * std::pow(2.0, octave) * std::pow(2.0, key / 12.0);
}

bool FrequencyToNote(double frequency, PianoNote& note)
{
    if (!(frequency > 0.0) || !std::isfinite(frequency))
        return false;
    const double semitones = std::round(12.0 * std::log2(frequency / kPianoReferencePitch));
    // Far outside any keyboard; no integer conversion of an unbounded value.
    if (std::fabs(semitones) > 1.0e6)
        return false;
    note.n = static_cast<int>(semitones);
    note.octave = static_cast<int>(std::floor(note.n / 12.0));
    note.index = Mod12(note.n);
    return true;
}

bool CPianoKeyboard::IsBlack(int key)
{
    return kBlackKeys[Mod12(key)] != 0;
}

void CPianoKeyboard::Draw(gfx::Canvas* canvas, const gfx::Rect& rect, int first, int last)
{
    m_rect = rect;
    m_nFirst = first;
    m_nLast = last;
    Layout();
    if (canvas == nullptr)
        return;
    // White keys first, so that the black keys lie on top of them.
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < m_nKeys; ++i)
            if (m_keys[static_cast<std::size_t>(i)].black == (pass == 1))
                PaintKey(*canvas, i);
}

void CPianoKeyboard::Layout()
{
    m_nKeys = m_nLast >= m_nFirst ? m_nLast - m_nFirst + 1 : 0;
    m_nWhiteKeys = 0;
    for (int i = 0; i < m_nKeys; ++i)
        m_nWhiteKeys += IsBlack(m_nFirst + i) ? 0 : 1;
    const int width = m_rect.right - m_rect.left;
    const int height = m_rect.bottom - m_rect.top;
    m_xScale = m_nWhiteKeys > 0 ? width / kWhiteWidth / m_nWhiteKeys : 1.0;
    m_yScale = height / kWhiteLength;
    m_keys.assign(static_cast<std::size_t>(m_nKeys), {});
    if (m_xScale <= 0.0 || m_yScale <= 0.0)
        return;

    const auto px = [&](double u) { return static_cast<int>(std::lround(u * m_xScale)); };
    const auto py = [&](double v) { return static_cast<int>(std::lround(v * m_yScale)); };
    const double bottom = m_rect.bottom / m_yScale;
    const double top = bottom - kWhiteLength;
    const double blackEnd = bottom - (kWhiteLength - kBlackLength);
    // u: the left edge of the last white key, in key units.
    double u = m_rect.left / m_xScale;
    for (int i = 0; i < m_nKeys; ++i)
    {
        const int key = m_nFirst + i;
        const int note = Mod12(key);
        KeyShape& shape = m_keys[static_cast<std::size_t>(i)];
        shape.black = kBlackKeys[note] != 0;
        if (!shape.black)
        {
            const double right = u + kWhiteWidth;
            const double rightNotch = kNotchFraction[kRightNotch[note]] * kBlackWidth;
            const double leftNotch = kNotchFraction[kLeftNotch[note]] * kBlackWidth;
            shape.outline = {{px(u), py(bottom)},
                             {px(right), py(bottom)},
                             {px(right), py(blackEnd)},
                             {px(right - rightNotch), py(blackEnd)},
                             {px(right - rightNotch), py(top)},
                             {px(u + leftNotch), py(top)},
                             {px(u + leftNotch), py(blackEnd)},
                             {px(u), py(blackEnd)},
                             {px(u), py(bottom)},
                             {px(u), py(bottom)}};
            shape.bounds = {px(u), py(top), px(right), py(bottom)};
        }
        else
        {
            // Against the white key before it: that key's right edge less its right notch.
            const int previous = Mod12(key - 1);
            const double left = u + kWhiteWidth - kNotchFraction[kRightNotch[previous]] * kBlackWidth;
            shape.outline = {{px(left), py(blackEnd)},
                             {px(left + kBlackWidth), py(blackEnd)},
                             {px(left + kBlackWidth), py(top)},
                             {px(left), py(top)}};
            shape.bounds = {px(left), py(top), px(left + kBlackWidth), py(blackEnd)};
        }
        // The next key is white: x moves on by one white key.
        if (!IsBlack(key + 1))
            u += kWhiteWidth;
    }
}

gfx::Rect CPianoKeyboard::KeyRect(int key) const
{
    if (key < 0 || key >= static_cast<int>(m_keys.size()))
        return {};
    return m_keys[static_cast<std::size_t>(key)].bounds;
}

void CPianoKeyboard::PaintKey(gfx::Canvas& canvas, int key) const
{
    const KeyShape& shape = m_keys[static_cast<std::size_t>(key)];
    if (shape.outline.empty())
        return;
    const bool selected = key == m_nSelected;
    canvas.SetPen({kBlack, 1, gfx::PenStyle::Solid});
    canvas.SetBrush({selected ? kSelected : (shape.black ? kBlack : kWhite), false});
    canvas.Polygon(shape.outline);
}

void CPianoKeyboard::DrawKey(gfx::Canvas& canvas, int key)
{
    if (key < 0 || key >= static_cast<int>(m_keys.size()))
        return;
    PaintKey(canvas, key);
    // A white key's repaint covers the black keys beside it: they go on top again.
    if (!m_keys[static_cast<std::size_t>(key)].black)
        for (const int neighbour : {key - 1, key + 1})
            if (neighbour >= 0 && neighbour < static_cast<int>(m_keys.size()) &&
                m_keys[static_cast<std::size_t>(neighbour)].black)
                PaintKey(canvas, neighbour);
}

int CPianoKeyboard::HitTest(int x, int y)
{
    if (x < m_rect.left || x >= m_rect.right || y < m_rect.top || y >= m_rect.bottom)
        return -1;
    int candidate = -1;
    for (int i = 0; i < static_cast<int>(m_keys.size()); ++i)
    {
        const gfx::Rect& b = m_keys[static_cast<std::size_t>(i)].bounds;
        if (x < b.left || x >= b.right || y < b.top || y >= b.bottom)
            continue;
        if (m_keys[static_cast<std::size_t>(i)].black)
            return i;
        candidate = i;
    }
    return candidate;
}
