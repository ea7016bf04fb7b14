// The window toolkit's back end of the canvas: WxCanvas draws on any device context the caller
// owns (a window's paint context, a printer's), WxBitmapCanvas owns a memory bitmap and its
// context (the off-screen images of the plot and exported pictures).
#pragma once

#include <wx/bitmap.h>
#include <wx/dc.h>
#include <wx/dcmemory.h>

#include "platform/gfx/Canvas.h"

namespace gfx
{

class WxCanvas : public Canvas
{
public:
    // The context stays the caller's and must outlive the canvas.
    explicit WxCanvas(wxDC& dc);

    int Width() const override;
    int Height() const override;
    void SetPen(const Pen& pen) override;
    void SetBrush(const Brush& brush) override;
    void SetFont(const Font& font) override;
    void SetTextColor(Color color) override;
    void SetTextBackground(Color color) override;
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

    wxDC& Dc() { return *m_pDc; }

protected:
    WxCanvas() = default;
    void Attach(wxDC& dc);

private:
    wxDC* m_pDc = nullptr;
    wxPoint m_position;
    bool m_bTransparentText = false;
};

class WxBitmapCanvas : public WxCanvas
{
public:
    // A bitmap of the size, filled white.
    WxBitmapCanvas(int width, int height);
    ~WxBitmapCanvas() override;

    int Width() const override { return m_bitmap.GetWidth(); }
    int Height() const override { return m_bitmap.GetHeight(); }
    // The picture drawn so far (the context is detached while the image is taken).
    wxImage GetImage();
    // Saves the picture as PNG; false when it could not be written.
    bool SavePng(const std::string& path);
    wxMemoryDC& MemoryDc() { return m_dc; }

private:
    wxBitmap m_bitmap;
    wxMemoryDC m_dc;
};

}  // namespace gfx
