#include "generator_app/FrameLayout.h"

namespace generator_layout
{

int ScaleFromDpi(int dpi)
{
    if (dpi < 110)
        return 96;
    if (dpi < 135)
        return 126;
    if (dpi < 180)
        return 144;
    return dpi;
}

FrameSize FrameSizeForScale(int scale)
{
    return {kLogicalWidth * scale / 96, kLogicalHeight * scale / 96};
}

double ScaleFromWidth(int width)
{
    return static_cast<double>(width) / kLogicalWidth * kBaseDpi;
}

std::string PromptPart(std::string_view text)
{
    return std::string(text.substr(0, text.find('\n')));
}

std::string TooltipPart(std::string_view text)
{
    const std::size_t first = text.find('\n');
    if (first == std::string_view::npos)
        return {};
    const std::string_view rest = text.substr(first + 1);
    return std::string(rest.substr(0, rest.find('\n')));
}

}  // namespace generator_layout
