#include "engine/ui/PianoKeyboard.h"

#include "platform/gfx/RecordingCanvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{

TEST(PianoNotes, FrequencyToNoteOfTheReferenceAndAround)
{
    struct Case
    {
        double frequency;
        int n;
        int octave;
        int index;
    };
    for (const Case c : {Case{261.626, 0, 0, 0}, Case{250.0, -1, -1, 11}, Case{440.0, 9, 0, 9},
                         Case{65.4065, -24, -2, 0}, Case{523.252, 12, 1, 0}, Case{20.0, -45, -4, 3}})
    {
        PianoNote note;
        ASSERT_TRUE(FrequencyToNote(c.frequency, note)) << c.frequency;
        EXPECT_EQ(note.n, c.n) << c.frequency;
        EXPECT_EQ(note.octave, c.octave) << c.frequency;
        EXPECT_EQ(note.index, c.index) << c.frequency;
    }
}

// Zero, negative, infinite and NaN frequencies have no note (no undefined conversion).
TEST(PianoNotes, FrequenciesWithoutANote)
{
    for (const double f : {0.0, -0.0, -440.0, std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(), std::nan("")})
    {
        PianoNote note{7, 7, 7};
        EXPECT_FALSE(FrequencyToNote(f, note)) << f;
        EXPECT_EQ(note.n, 7);
    }
}

TEST(PianoNotes, NoteFrequencyIsEqualTempered)
{
    EXPECT_NEAR(NoteFrequency(0, 0), 261.626, 1e-9);
    EXPECT_NEAR(NoteFrequency(9, 0), 440.0, 0.001);
    EXPECT_NEAR(NoteFrequency(0, -2), 65.4065, 1e-9);
}

class PianoKeyboardTest : public ::testing::Test
{
protected:
    void SetUp() override { m_keys.Draw(&m_canvas, {0, 0, 740, 160}, 0, 59); }
    gfx::RecordingCanvas m_canvas{740, 160};
    CPianoKeyboard m_keys;
};

TEST_F(PianoKeyboardTest, LayoutFillsTheRectangle)
{
    EXPECT_EQ(m_keys.m_nKeys, 60);
    EXPECT_EQ(m_keys.m_nWhiteKeys, 35);
    EXPECT_DOUBLE_EQ(m_keys.m_xScale, 740 / 18.5 / 35);
    EXPECT_DOUBLE_EQ(m_keys.m_yScale, 2.0);
    // 60 keys painted, the white ones (10-point outlines) before the black ones.
    const auto& ops = m_canvas.Ops();
    ASSERT_EQ(ops.size(), 60u);
    for (std::size_t i = 0; i < ops.size(); ++i)
    {
        EXPECT_EQ(ops[i].kind, gfx::RecordingCanvas::Kind::Polygon);
        EXPECT_EQ(ops[i].points.size(), i < 35 ? 10u : 4u) << i;
        EXPECT_EQ(ops[i].brush.color, i < 35 ? CPianoKeyboard::kWhite : CPianoKeyboard::kBlack) << i;
    }
    // The last white key ends at the right edge; black keys end at 48.7 of 80 units.
    EXPECT_EQ(m_keys.KeyRect(59).right, 740);
    EXPECT_EQ(m_keys.KeyRect(1).bottom, static_cast<int>(std::lround(48.7 * 2.0)));
    EXPECT_EQ(m_keys.KeyRect(1).left,
              static_cast<int>(std::lround((18.5 - 11.0 * 2.0 / 3.0) * m_keys.m_xScale)));
}

TEST_F(PianoKeyboardTest, BlackKeysWinTheHitTest)
{
    const gfx::Rect cSharp = m_keys.KeyRect(1);
    const gfx::Rect c = m_keys.KeyRect(0);
    // Upper part over C#: the black key; lower part below it: the white key D or C.
    EXPECT_EQ(m_keys.HitTest((cSharp.left + cSharp.right) / 2, cSharp.top + 5), 1);
    EXPECT_EQ(m_keys.HitTest(c.left + 3, c.bottom - 3), 0);
    EXPECT_EQ(m_keys.HitTest(cSharp.right - 1, 150), 2);
    EXPECT_EQ(m_keys.HitTest(-1, 10), -1);
    EXPECT_EQ(m_keys.HitTest(10, 160), -1);
    // Every black key's centre is that black key.
    for (int key = 0; key < 60; ++key)
    {
        if (!CPianoKeyboard::IsBlack(key))
            continue;
        const gfx::Rect r = m_keys.KeyRect(key);
        EXPECT_EQ(m_keys.HitTest((r.left + r.right) / 2, (r.top + r.bottom) / 2), key);
    }
}

TEST_F(PianoKeyboardTest, SelectedKeyIsRed)
{
    gfx::RecordingCanvas canvas(740, 160);
    m_keys.m_nSelected = 33;
    m_keys.DrawKey(canvas, 33);
    ASSERT_FALSE(canvas.Ops().empty());
    EXPECT_EQ(canvas.Ops()[0].brush.color, CPianoKeyboard::kSelected);
    // A white key's repaint puts its black neighbours on top again.
    EXPECT_EQ(canvas.Ops().size(), 3u);
}

}  // namespace
