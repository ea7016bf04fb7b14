// RecordingCanvas: a canvas that keeps every drawing call with the state it was made in, so that
// tests can check what was drawn, where, in which order and with which pen, without a display.
// Text widths follow a fixed rule (0.55 × the font height per character, at least 1 pixel); a line
// of text is as high as the font.
#pragma once

#include <vector>

#include "platform/gfx/Canvas.h"

namespace gfx
{

class RecordingCanvas : public Canvas
{
public:
    enum class Kind
    {
        Line,
        Polyline,
        Polygon,
        Rectangle,
        FillRect,
        Arc,
        Text,
        RotatedText,
        Image,
        Pixels,
    };

    // One drawing call. `points` holds the line ends (Line), the vertices (Polyline, Polygon) or the two
    // arc points (Arc); `rect` the box of rectangles, arcs and texts (for rotated text its
    // top-left corner); `imageId` the copied image (Image).
    struct Op
    {
        Kind kind = Kind::Line;
        std::vector<Point> points;
        Rect rect;
        std::string text;
        Align align = Align::Left;
        double degrees = 0.0;
        Pen pen;
        Brush brush;
        Font font;
        Color textColor = 0;
        Color textBackground = 0;
        Color fill = 0;
        int imageId = 0;
        // Pixels: the stretched buffer (a copy) and its size; `rect` is the destination.
        std::vector<std::uint32_t> pixels;
        int pixelWidth = 0;
        int pixelHeight = 0;
    };

    RecordingCanvas(int width, int height);

    int Width() const override { return m_nWidth; }
    int Height() const override { return m_nHeight; }
    void SetPen(const Pen& pen) override { m_pen = pen; }
    void SetBrush(const Brush& brush) override { m_brush = brush; }
    void SetFont(const Font& font) override { m_font = font; }
    void SetTextColor(Color color) override { m_textColor = color; }
    void SetTextBackground(Color color) override { m_textBackground = color; }
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Polyline(std::span<const Point> points) override;
    void Rectangle(int left, int top, int right, int bottom) override;
    void FillRect(const Rect& rect, Color color) override;
    void Polygon(std::span<const Point> points) override;
    void Arc(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2) override;
    void DrawText(std::string_view text, const Rect& box, Align align) override;
    void DrawRotatedText(std::string_view text, int x, int y, double degrees) override;
    int TextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;
    std::unique_ptr<Canvas> CreateImage(int width, int height) override;
    void DrawImage(const Canvas& image, int x, int y) override;
    void DrawPixels(std::span<const std::uint32_t> pixels, int width, int height, const Rect& dest) override;

    // What one canvas recorded; it outlives the canvas, so images can be read after their owner
    // freed them.
    struct Record
    {
        int id = 0;
        std::vector<Op> ops;
        int Count(Kind kind) const;
        // The text operations whose text equals `text`.
        std::vector<const Op*> FindTexts(std::string_view text) const;
    };

    // A number that tells this canvas apart from every other one made in the program.
    int Id() const { return m_record->id; }
    const std::vector<Op>& Ops() const { return m_record->ops; }
    void Clear() { m_record->ops.clear(); }
    int Count(Kind kind) const { return m_record->Count(kind); }
    std::vector<const Op*> FindTexts(std::string_view text) const { return m_record->FindTexts(text); }
    // The records of the images that CreateImage made, in order.
    const std::vector<std::shared_ptr<const Record>>& Images() const { return m_images; }

private:
    Op Make(Kind kind) const;

    int m_nWidth;
    int m_nHeight;
    Pen m_pen;
    Brush m_brush;
    Font m_font;
    Color m_textColor = 0;
    Color m_textBackground = 0xFFFFFF;
    Point m_position;
    std::shared_ptr<Record> m_record;
    std::vector<std::shared_ptr<const Record>> m_images;
};

}  // namespace gfx
