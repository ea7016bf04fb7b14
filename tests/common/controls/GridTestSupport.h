// What the grid and list tests share: running the toolkit's events for a while, a window's picture
// as it stands on the screen (saved with the test output), and a pixel of it as 0x00BBGGRR.
#pragma once

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/image.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/gfx/Canvas.h"

namespace gridtest
{

inline void Pump(int milliseconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end)
    {
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

inline wxImage WindowPicture(wxWindow* window, const std::string& name)
{
    window->Refresh(false);
    window->Update();
    Pump(60);
    const wxSize size = window->GetClientSize();
    wxBitmap bitmap(size);
    {
        wxMemoryDC memory(bitmap);
        wxClientDC client(window);
        memory.Blit(0, 0, size.x, size.y, &client, 0, 0);
    }
    wxImage image = bitmap.ConvertToImage();
    const std::filesystem::path folder = TESSARIN_TEST_OUTPUT_DIR;
    std::filesystem::create_directories(folder);
    image.SaveFile((folder / (name + ".png")).string(), wxBITMAP_TYPE_PNG);
    return image;
}

inline gfx::Color PixelAt(const wxImage& image, int x, int y)
{
    return static_cast<gfx::Color>(image.GetRed(x, y)) |
           (static_cast<gfx::Color>(image.GetGreen(x, y)) << 8) |
           (static_cast<gfx::Color>(image.GetBlue(x, y)) << 16);
}

}  // namespace gridtest
