// A point, a rectangle and a window placement as the stored forms of window positions hold them
// (settings files, workspaces): plain 32-bit values in the other platform's field order.
#pragma once

#include <cstdint>

struct WindowPoint
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const WindowPoint&, const WindowPoint&) = default;
};

struct WindowRect
{
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

// The 44-byte placement block, field for field as it is stored.
struct WindowPlacement
{
    std::int32_t length = 0;  // 44 once captured
    std::int32_t flags = 0;
    std::int32_t showCmd = 0;  // SW_...
    WindowPoint minPosition;
    WindowPoint maxPosition;
    WindowRect normalPosition;  // the frame's rectangle when neither minimised nor maximised
    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};
