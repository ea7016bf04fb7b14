// The generator program's frame size from the display resolution, the panel scale from the frame's
// width, and the two parts of a command string (status-bar prompt, tooltip). Plain values, so the
// tables are checked without a display.
#pragma once

#include <string>
#include <string_view>

namespace generator_layout
{

inline constexpr int kLogicalWidth = 240;
inline constexpr int kLogicalHeight = 460;
inline constexpr int kFramePosition = 100;
inline constexpr double kBaseDpi = 96.0;

// The resolution the frame is laid out for: below 110 dpi 96, 110..134 126, 135..179 144, from
// 180 the resolution itself.
int ScaleFromDpi(int dpi);

struct FrameSize
{
    int width = 0;
    int height = 0;
    bool operator==(const FrameSize&) const = default;
};
// The outer size at a scale: 240 x 460 logical pixels, truncated toward zero.
FrameSize FrameSizeForScale(int scale);
// The panel's scale while the frame is resized: the width against the logical width (the height
// does not count).
double ScaleFromWidth(int width);

// The status-bar prompt of a command string: the part before the first newline.
std::string PromptPart(std::string_view text);
// The tooltip: the second newline-separated part, empty when there is none.
std::string TooltipPart(std::string_view text);

}  // namespace generator_layout
