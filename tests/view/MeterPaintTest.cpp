#include "view/MeterPaint.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/gfx/RecordingCanvas.h"

namespace
{

using Kind = gfx::RecordingCanvas::Kind;
using Op = gfx::RecordingCanvas::Op;

constexpr int kWidth = 200;
constexpr int kHeight = 60;

std::vector<Op> Paint(MeterState& meter)
{
    gfx::RecordingCanvas canvas(kWidth, kHeight);
    PaintMeter(canvas, meter, kWidth, kHeight);
    return canvas.Ops();
}

bool Inside(const gfx::Rect& r)
{
    return r.left >= 0 && r.top >= 0 && r.right <= kWidth && r.bottom <= kHeight && r.left <= r.right &&
           r.top <= r.bottom;
}

MeterState NumberMeter(double value)
{
    MeterState meter;
    meter.dValue = value;
    meter.strValueFormat = "%3.1f";
    return meter;
}

TEST(MeterPaint, FontFitsTheClientArea)
{
    // The recording canvas makes a character 0.55 × the font height wide and a line as high as the
    // font: "12.5" at the 20-unit trial is 44 × 20.
    gfx::RecordingCanvas canvas(kWidth, kHeight);
    MeterState meter = NumberMeter(12.5);
    // Width limit 20 / 44 × 200 × 0.9 = 81.8; height limit 20 / 20 × (60 − 10) × 0.9 = 45.
    EXPECT_EQ(MeterFontHeight(canvas, meter, "12.5", kWidth, kHeight), 45);
    meter.bMinMaxEnable = 0;
    EXPECT_EQ(MeterFontHeight(canvas, meter, "12.5", kWidth, kHeight), 54);
    // A label adds a line.
    meter.strLabel = "SPL";
    EXPECT_EQ(MeterFontHeight(canvas, meter, "12.5", kWidth, kHeight), 27);
    // Vertical text: 20 / 44 × 60 × 0.9.
    meter.bTextVertical = 1;
    EXPECT_EQ(MeterFontHeight(canvas, meter, "12.5", kWidth, kHeight), 24);
    // A fixed size wins.
    meter.nFontSize = 17;
    EXPECT_EQ(MeterFontHeight(canvas, meter, "12.5", kWidth, kHeight), 17);

    MeterState painted = NumberMeter(12.5);
    gfx::RecordingCanvas paint(kWidth, kHeight);
    PaintMeter(paint, painted, kWidth, kHeight);
    ASSERT_EQ(paint.FindTexts("12.5").size(), 1u);
    EXPECT_EQ(paint.FindTexts("12.5")[0]->font.pixelHeight, 45);
    EXPECT_EQ(paint.FindTexts("12.5")[0]->textBackground, gfx::kTransparentText);
}

TEST(MeterPaint, AlarmsColourTheText)
{
    MeterState meter = NumberMeter(75.0);
    meter.alarms[0] = {1, 50.0, 0x000001};
    meter.alarms[1] = {1, 70.0, 0x000002};
    meter.alarms[2] = {1, 90.0, 0x000003};
    EXPECT_EQ(MeterTextColor(meter, 75.0), 0x000002u) << "the last exceeded of the first three";
    EXPECT_EQ(MeterTextColor(meter, 60.0), 0x000001u);
    EXPECT_EQ(MeterTextColor(meter, 10.0), meter.crText);
    meter.alarms[3] = {1, 55.0, 0x000004};
    EXPECT_EQ(MeterTextColor(meter, 75.0), 0x000004u) << "the fourth has priority";
    meter.alarms[3].bEnable = 0;
    meter.alarms[1].bEnable = 0;
    EXPECT_EQ(MeterTextColor(meter, 75.0), 0x000001u);

    const std::vector<Op> ops = Paint(meter);
    bool found = false;
    for (const Op& op : ops)
        if (op.kind == Kind::Text && op.text == "75.0")
        {
            found = true;
            EXPECT_EQ(op.textColor, 0x000001u);
        }
    EXPECT_TRUE(found);
}

TEST(MeterPaint, InvalidValuesShowDashesAndKeepTheReadings)
{
    MeterState meter;
    meter.strValueFormat = "%3.1f";
    gfx::RecordingCanvas canvas(kWidth, kHeight);
    PaintMeter(canvas, meter, kWidth, kHeight);
    EXPECT_EQ(canvas.FindTexts("--").size(), 3u) << "value, minimum and maximum";
    EXPECT_EQ(meter.dMinimum, MeterState::kNoReading);

    meter.dValue = 3.0;
    PaintMeter(canvas, meter, kWidth, kHeight);
    meter.dValue = -1.5;
    PaintMeter(canvas, meter, kWidth, kHeight);
    EXPECT_EQ(meter.dMinimum, -1.5);
    EXPECT_EQ(meter.dMaximum, 3.0);
    // Not valid: the readings stay.
    meter.dValue = 10.0;
    meter.bValid = 0;
    PaintMeter(canvas, meter, kWidth, kHeight);
    EXPECT_EQ(meter.dMaximum, 3.0);
    // An owner's text replaces the number; a hostile format falls back to "%e".
    meter.bValid = 1;
    meter.strValueText = "-12.00dB";
    bool valid = false;
    EXPECT_EQ(MeterValueText(meter, valid), "-12.00dB");
    meter.strValueText = MeterState::kPlaceholder;
    meter.strValueFormat = "%s%n";
    EXPECT_EQ(MeterValueText(meter, valid), "1.000000e+01");
}

TEST(MeterPaint, BarStripAndMarkerStayInsideTheClientArea)
{
    struct Case
    {
        const char* what;
        double value, minimum, maximum, marker;
        int bar;  // pixels of the bar, -1 for none
    };
    const Case cases[] = {
        {"inside", 25.0, 0.0, 100.0, 50.0, 50},
        {"above the scale", 500.0, 0.0, 100.0, 500.0, kWidth},
        {"below the scale", -500.0, 0.0, 100.0, -500.0, -1},
        {"maximum equal to minimum", 5.0, 10.0, 10.0, 10.0, -1},
        {"maximum below minimum", 5.0, 10.0, 0.0, 5.0, -1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        MeterState meter = NumberMeter(c.value);
        meter.bBarEnable = 1;
        meter.bMarkerEnable = 1;
        meter.dMarkerValue = c.marker;
        meter.dScaleMin = c.minimum;
        meter.dScaleMax = c.maximum;
        const std::vector<Op> ops = Paint(meter);
        int bar = -1;
        for (const Op& op : ops)
        {
            if (op.kind == Kind::FillRect)
            {
                EXPECT_TRUE(Inside(op.rect));
                if (op.rect.top == 0 && op.rect.bottom == kHeight && op.rect.left == 0 &&
                    op.rect.right < kWidth + 1 && op.fill != meter.crBackground)
                    bar = op.rect.right;
            }
            for (const gfx::Point& p : op.points)
            {
                if (op.kind == Kind::Polygon)
                {
                    EXPECT_GE(p.x, 0);
                    EXPECT_LT(p.x, kWidth);
                    EXPECT_GE(p.y, 0);
                    EXPECT_LT(p.y, kHeight);
                }
            }
        }
        EXPECT_EQ(bar, c.bar);
        const bool scale = c.maximum > c.minimum;
        int polygons = 0;
        for (const Op& op : ops)
            polygons += op.kind == Kind::Polygon;
        EXPECT_EQ(polygons, scale ? 1 : 0);
    }
}

TEST(MeterPaint, BarColourFollowsTheThresholdAndTheStripShowsIt)
{
    MeterState meter = NumberMeter(75.0);
    meter.bBarEnable = 1;
    std::vector<Op> ops = Paint(meter);
    std::vector<Op> fills;
    for (const Op& op : ops)
        if (op.kind == Kind::FillRect)
            fills.push_back(op);
    ASSERT_EQ(fills.size(), 4u);
    EXPECT_EQ(fills[1].rect, (gfx::Rect{0, 0, 150, kHeight}));
    EXPECT_EQ(fills[1].fill, meter.crBarAbove);
    EXPECT_EQ(fills[2].rect, (gfx::Rect{0, 0, 100, 5}));
    EXPECT_EQ(fills[2].fill, meter.crBarBelow);
    EXPECT_EQ(fills[3].rect, (gfx::Rect{100, 0, 200, 5}));
    EXPECT_EQ(fills[3].fill, meter.crBarAbove);

    meter.dValue = 25.0;
    ops = Paint(meter);
    int bars = 0;
    for (const Op& op : ops)
    {
        if (op.kind == Kind::FillRect && op.rect == gfx::Rect{0, 0, 50, kHeight})
        {
            EXPECT_EQ(op.fill, meter.crBarBelow);
            ++bars;
        }
    }
    EXPECT_EQ(bars, 1);
}

}  // namespace
