#include "app/CommandIcons.h"

#include "app/CommandIconData.h"

#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/mstream.h>
#include <wx/settings.h>

#include <array>
#include <cstdlib>
#include <string>

namespace
{

constexpr std::array<int, 3> kRenderedSizes = {16, 22, 32};

const CommandIconFile* FindIconFile(const std::string& name)
{
    for (const CommandIconFile* file = g_CommandIconFiles; file->name; ++file)
    {
        if (name == file->name)
            return file;
    }
    return nullptr;
}

wxImage DecodePng(const CommandIconFile& file)
{
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    wxMemoryInputStream stream(file.bytes, file.size);
    return wxImage(stream, wxBITMAP_TYPE_PNG);
}

}  // namespace

bool HasCommandIcon(const char* icon, int size)
{
    return icon && FindIconFile(std::string(icon) + "-" + std::to_string(size)) != nullptr;
}

wxBitmap LoadCommandIcon(const char* icon, int size)
{
    if (icon)
    {
        // The exact size first, else the nearest one scaled.
        int best = 0;
        for (int rendered : kRenderedSizes)
        {
            if (HasCommandIcon(icon, rendered) &&
                (best == 0 || std::abs(rendered - size) < std::abs(best - size)))
                best = rendered;
        }
        if (best != 0)
        {
            wxImage image = DecodePng(*FindIconFile(std::string(icon) + "-" + std::to_string(best)));
            if (image.IsOk())
            {
                if (best != size)
                    image.Rescale(size, size, wxIMAGE_QUALITY_HIGH);
                return wxBitmap(image);
            }
        }
    }
    // A missing picture: an empty key, never a stand-in label.
    wxBitmap bitmap(size, size, 24);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
    dc.Clear();
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW)));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(1, 1, size - 2, size - 2);
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}
