#include "platform/gfx/WxCanvas.h"

#include <wx/dcgraph.h>
#include <wx/image.h>

#include <vector>

namespace gfx
{
namespace
{

wxColour ToWx(Color c)
{
    return wxColour(static_cast<unsigned char>(RedOf(c)), static_cast<unsigned char>(GreenOf(c)),
                    static_cast<unsigned char>(BlueOf(c)));
}

wxPenStyle ToWx(PenStyle style)
{
    switch (style)
    {
        case PenStyle::Dash:
            return wxPENSTYLE_SHORT_DASH;
        case PenStyle::Dot:
            return wxPENSTYLE_DOT;
        case PenStyle::DashDot:
        case PenStyle::DashDotDot:
            return wxPENSTYLE_DOT_DASH;
        case PenStyle::Null:
            return wxPENSTYLE_TRANSPARENT;
        case PenStyle::Solid:
            break;
    }
    return wxPENSTYLE_SOLID;
}

wxString ToWx(std::string_view text)
{
    return wxString::FromUTF8(text.data(), text.size());
}

// Point has the layout of two ints, as wxPoint has; a copy keeps us off that assumption.
std::vector<wxPoint> ToWx(std::span<const Point> points)
{
    std::vector<wxPoint> copy;
    copy.reserve(points.size());
    for (const Point& p : points)
        copy.emplace_back(p.x, p.y);
    return copy;
}

}  // namespace

WxCanvas::WxCanvas(wxDC& dc)
{
    Attach(dc);
}

void WxCanvas::Attach(wxDC& dc)
{
    m_pDc = &dc;
    m_pDc->SetBackgroundMode(wxBRUSHSTYLE_SOLID);
    m_pDc->SetTextBackground(*wxWHITE);
}

int WxCanvas::Width() const
{
    return m_pDc->GetSize().GetWidth();
}

int WxCanvas::Height() const
{
    return m_pDc->GetSize().GetHeight();
}

void WxCanvas::SetPen(const Pen& pen)
{
    wxPen made(ToWx(pen.color), std::max(1, pen.width), ToWx(pen.style));
    m_pDc->SetPen(made);
}

void WxCanvas::SetBrush(const Brush& brush)
{
    if (brush.hollow)
        m_pDc->SetBrush(*wxTRANSPARENT_BRUSH);
    else
        m_pDc->SetBrush(wxBrush(ToWx(brush.color)));
}

void WxCanvas::SetFont(const Font& font)
{
    wxFontInfo info(wxSize(0, font.pixelHeight));
    info.FaceName(ToWx(font.face));
    if (font.bold)
        info.Bold();
    m_pDc->SetFont(wxFont(info));
}

void WxCanvas::SetTextColor(Color color)
{
    m_pDc->SetTextForeground(ToWx(color));
}

void WxCanvas::SetTextBackground(Color color)
{
    if (color == kTransparentText)
    {
        m_pDc->SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
        m_bTransparentText = true;
        return;
    }
    if (m_bTransparentText)
        m_pDc->SetBackgroundMode(wxBRUSHSTYLE_SOLID);
    m_bTransparentText = false;
    m_pDc->SetTextBackground(ToWx(color));
}

void WxCanvas::MoveTo(int x, int y)
{
    m_position = wxPoint(x, y);
}

void WxCanvas::LineTo(int x, int y)
{
    m_pDc->DrawLine(m_position, wxPoint(x, y));
    m_position = wxPoint(x, y);
}

void WxCanvas::Polyline(std::span<const Point> points)
{
    if (points.size() < 2)
        return;
    const std::vector<wxPoint> copy = ToWx(points);
    m_pDc->DrawLines(static_cast<int>(copy.size()), copy.data());
}

void WxCanvas::Polygon(std::span<const Point> points)
{
    if (points.size() < 3)
        return;
    const std::vector<wxPoint> copy = ToWx(points);
    m_pDc->DrawPolygon(static_cast<int>(copy.size()), copy.data());
}

void WxCanvas::Rectangle(int left, int top, int right, int bottom)
{
    m_pDc->DrawRectangle(left, top, right - left, bottom - top);
}

void WxCanvas::FillRect(const Rect& rect, Color color)
{
    const wxPen pen = m_pDc->GetPen();
    const wxBrush brush = m_pDc->GetBrush();
    m_pDc->SetPen(*wxTRANSPARENT_PEN);
    m_pDc->SetBrush(wxBrush(ToWx(color)));
    m_pDc->DrawRectangle(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    m_pDc->SetPen(pen);
    m_pDc->SetBrush(brush);
}

void WxCanvas::Arc(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2)
{
    if (x1 == x2 && y1 == y2)
    {
        const wxBrush brush = m_pDc->GetBrush();
        m_pDc->SetBrush(*wxTRANSPARENT_BRUSH);
        m_pDc->DrawEllipse(left, top, right - left, bottom - top);
        m_pDc->SetBrush(brush);
        return;
    }
    const int cx = (left + right) / 2;
    const int cy = (top + bottom) / 2;
    m_pDc->DrawArc(x1, y1, x2, y2, cx, cy);
}

void WxCanvas::DrawText(std::string_view text, const Rect& box, Align align)
{
    const wxString s = ToWx(text);
    const wxSize extent = m_pDc->GetTextExtent(s);
    int x = box.left;
    if (align == Align::Centre)
        x = (box.left + box.right - extent.GetWidth()) / 2;
    else if (align == Align::Right)
        x = box.right - extent.GetWidth();
    const int y = (box.top + box.bottom - extent.GetHeight()) / 2;
    m_pDc->DrawText(s, x, y);
}

void WxCanvas::DrawRotatedText(std::string_view text, int x, int y, double degrees)
{
    m_pDc->DrawRotatedText(ToWx(text), x, y, degrees);
}

int WxCanvas::TextWidth(std::string_view text)
{
    return m_pDc->GetTextExtent(ToWx(text)).GetWidth();
}

int WxCanvas::TextHeight(std::string_view text)
{
    return m_pDc->GetTextExtent(text.empty() ? wxString("X") : ToWx(text)).GetHeight();
}

std::unique_ptr<Canvas> WxCanvas::CreateImage(int width, int height)
{
    return std::make_unique<WxBitmapCanvas>(width, height);
}

void WxCanvas::DrawImage(const Canvas& image, int x, int y)
{
    auto* bitmap = dynamic_cast<const WxBitmapCanvas*>(&image);
    if (bitmap == nullptr)
        return;
    auto& source = const_cast<WxBitmapCanvas*>(bitmap)->MemoryDc();
    m_pDc->Blit(x, y, bitmap->Width(), bitmap->Height(), &source, 0, 0);
}

void WxCanvas::DrawPixels(std::span<const std::uint32_t> pixels, int width, int height, const Rect& dest)
{
    const int destWidth = dest.right - dest.left;
    const int destHeight = dest.bottom - dest.top;
    if (width <= 0 || height <= 0 || destWidth <= 0 || destHeight <= 0 ||
        pixels.size() < static_cast<std::size_t>(width) * height)
        return;
    wxImage image(width, height, false);
    unsigned char* rgb = image.GetData();
    for (int y = 0; y < height; ++y)
    {
        // Row 0 of the buffer is the bottom row of the picture.
        const std::uint32_t* row = pixels.data() + static_cast<std::size_t>(height - 1 - y) * width;
        unsigned char* out = rgb + static_cast<std::size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x)
        {
            out[3 * x] = static_cast<unsigned char>((row[x] >> 16) & 0xFF);
            out[3 * x + 1] = static_cast<unsigned char>((row[x] >> 8) & 0xFF);
            out[3 * x + 2] = static_cast<unsigned char>(row[x] & 0xFF);
        }
    }
    if (destWidth != width || destHeight != height)
        image.Rescale(destWidth, destHeight, wxIMAGE_QUALITY_NORMAL);
    m_pDc->DrawBitmap(wxBitmap(image), dest.left, dest.top, false);
}

WxBitmapCanvas::WxBitmapCanvas(int width, int height) : m_bitmap(std::max(1, width), std::max(1, height), 24)
{
    m_dc.SelectObject(m_bitmap);
    m_dc.SetBackground(*wxWHITE_BRUSH);
    m_dc.Clear();
    Attach(m_dc);
}

WxBitmapCanvas::~WxBitmapCanvas()
{
    m_dc.SelectObject(wxNullBitmap);
}

wxImage WxBitmapCanvas::GetImage()
{
    m_dc.SelectObject(wxNullBitmap);
    wxImage image = m_bitmap.ConvertToImage();
    m_dc.SelectObject(m_bitmap);
    return image;
}

bool WxBitmapCanvas::SavePng(const std::string& path)
{
    wxImage image = GetImage();
    return image.SaveFile(ToWx(path), wxBITMAP_TYPE_PNG);
}

}  // namespace gfx
