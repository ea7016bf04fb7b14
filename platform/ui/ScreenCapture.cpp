#include "platform/ui/ScreenCapture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <wx/dcmemory.h>
#include <wx/dcscreen.h>

#include <bit>
#include <cstdlib>
#include <memory>

namespace platform::ui
{
namespace
{

// The 8-bit value of a colour channel of a pixel, from the visual's mask of that channel.
unsigned char Channel(unsigned long pixel, unsigned long mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const unsigned long value = (pixel & mask) >> shift;
    const unsigned long maximum = mask >> shift;
    return static_cast<unsigned char>(value * 255 / maximum);
}

wxImage CaptureWithToolkit(const wxRect& rect)
{
    wxBitmap bitmap(rect.width, rect.height, 24);
    wxMemoryDC memory(bitmap);
    wxScreenDC screen;
    memory.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y);
    memory.SelectObject(wxNullBitmap);
    return bitmap.ConvertToImage();
}

}  // namespace

wxImage CaptureScreen(const wxRect& requested)
{
    if (requested.width <= 0 || requested.height <= 0)
        return wxImage();
    const char* name = std::getenv("DISPLAY");
    Display* display = name && *name ? XOpenDisplay(name) : nullptr;
    if (!display)
        return CaptureWithToolkit(requested);
    const auto closeDisplay = [](Display* d) { XCloseDisplay(d); };
    std::unique_ptr<Display, decltype(closeDisplay)> owner(display, closeDisplay);

    const int screen = DefaultScreen(display);
    const wxRect bounds(0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen));
    const wxRect rect = requested.Intersect(bounds);
    if (rect.IsEmpty())
        return wxImage();
    XImage* raw =
        XGetImage(display, RootWindow(display, screen), rect.x, rect.y, static_cast<unsigned>(rect.width),
                  static_cast<unsigned>(rect.height), AllPlanes, ZPixmap);
    if (!raw)
        return wxImage();
    // A visual without colour masks (a palette) is left to the toolkit.
    if (raw->red_mask == 0 || raw->green_mask == 0 || raw->blue_mask == 0)
    {
        XDestroyImage(raw);
        return CaptureWithToolkit(rect);
    }
    const auto destroyImage = [](XImage* image) { XDestroyImage(image); };
    std::unique_ptr<XImage, decltype(destroyImage)> image(raw, destroyImage);

    wxImage picture(rect.width, rect.height, false);
    unsigned char* pixels = picture.GetData();
    for (int y = 0; y < rect.height; ++y)
        for (int x = 0; x < rect.width; ++x)
        {
            const unsigned long pixel = XGetPixel(image.get(), x, y);
            *pixels++ = Channel(pixel, image->red_mask);
            *pixels++ = Channel(pixel, image->green_mask);
            *pixels++ = Channel(pixel, image->blue_mask);
        }
    return picture;
}

}  // namespace platform::ui
