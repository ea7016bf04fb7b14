#include "platform/gfx/RecordingCanvas.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace gfx
{
namespace
{

std::atomic<int> g_nextId{1};

}  // namespace

RecordingCanvas::RecordingCanvas(int width, int height)
    : m_nWidth(width), m_nHeight(height), m_record(std::make_shared<Record>())
{
    m_record->id = g_nextId.fetch_add(1);
}

RecordingCanvas::Op RecordingCanvas::Make(Kind kind) const
{
    Op op;
    op.kind = kind;
    op.pen = m_pen;
    op.brush = m_brush;
    op.font = m_font;
    op.textColor = m_textColor;
    op.textBackground = m_textBackground;
    return op;
}

void RecordingCanvas::MoveTo(int x, int y)
{
    m_position = {x, y};
}

void RecordingCanvas::LineTo(int x, int y)
{
    Op op = Make(Kind::Line);
    op.points = {m_position, {x, y}};
    m_record->ops.push_back(std::move(op));
    m_position = {x, y};
}

void RecordingCanvas::Polyline(std::span<const Point> points)
{
    Op op = Make(Kind::Polyline);
    op.points.assign(points.begin(), points.end());
    m_record->ops.push_back(std::move(op));
}

void RecordingCanvas::Polygon(std::span<const Point> points)
{
    Op op = Make(Kind::Polygon);
    op.points.assign(points.begin(), points.end());
    m_record->ops.push_back(std::move(op));
}

void RecordingCanvas::Rectangle(int left, int top, int right, int bottom)
{
    Op op = Make(Kind::Rectangle);
    op.rect = {left, top, right, bottom};
    m_record->ops.push_back(std::move(op));
}

void RecordingCanvas::FillRect(const Rect& rect, Color color)
{
    Op op = Make(Kind::FillRect);
    op.rect = rect;
    op.fill = color;
    m_record->ops.push_back(std::move(op));
}

void RecordingCanvas::Arc(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2)
{
    Op op = Make(Kind::Arc);
    op.rect = {left, top, right, bottom};
    op.points = {{x1, y1}, {x2, y2}};
    m_record->ops.push_back(std::move(op));
}

void RecordingCanvas::DrawText(std::string_view text, const Rect& box, Align align)
{
    Op op = Make(Kind::Text);
    op.text = std::string(text);
    op.rect = box;
    op.align = align;
    m_record->ops.push_back(std::move(op));
}

void RecordingCanvas::DrawRotatedText(std::string_view text, int x, int y, double degrees)
{
    Op op = Make(Kind::RotatedText);
    op.text = std::string(text);
    op.rect = {x, y, x, y};
    op.degrees = degrees;
    m_record->ops.push_back(std::move(op));
}

int RecordingCanvas::TextWidth(std::string_view text)
{
    if (text.empty())
        return 0;
    return std::max(
        1, static_cast<int>(std::lround(0.55 * m_font.pixelHeight * static_cast<double>(text.size()))));
}

int RecordingCanvas::TextHeight(std::string_view /*text*/)
{
    return std::max(1, m_font.pixelHeight);
}

std::unique_ptr<Canvas> RecordingCanvas::CreateImage(int width, int height)
{
    auto image = std::make_unique<RecordingCanvas>(width, height);
    image->FillRect({0, 0, width, height}, 0xFFFFFF);
    m_images.push_back(image->m_record);
    return image;
}

void RecordingCanvas::DrawImage(const Canvas& image, int x, int y)
{
    Op op = Make(Kind::Image);
    const auto* recorded = dynamic_cast<const RecordingCanvas*>(&image);
    op.imageId = recorded != nullptr ? recorded->Id() : 0;
    op.rect = {x, y, x + image.Width(), y + image.Height()};
    m_record->ops.push_back(std::move(op));
}

void RecordingCanvas::DrawPixels(std::span<const std::uint32_t> pixels, int width, int height,
                                 const Rect& dest)
{
    if (width <= 0 || height <= 0 || pixels.size() < static_cast<std::size_t>(width) * height)
        return;
    Op op = Make(Kind::Pixels);
    op.rect = dest;
    op.pixelWidth = width;
    op.pixelHeight = height;
    op.pixels.assign(pixels.begin(), pixels.begin() + static_cast<std::ptrdiff_t>(width) * height);
    m_record->ops.push_back(std::move(op));
}

int RecordingCanvas::Record::Count(Kind kind) const
{
    return static_cast<int>(
        std::count_if(ops.begin(), ops.end(), [kind](const Op& op) { return op.kind == kind; }));
}

std::vector<const RecordingCanvas::Op*> RecordingCanvas::Record::FindTexts(std::string_view text) const
{
    std::vector<const Op*> found;
    for (const Op& op : ops)
        if ((op.kind == Kind::Text || op.kind == Kind::RotatedText) && op.text == text)
            found.push_back(&op);
    return found;
}

}  // namespace gfx
