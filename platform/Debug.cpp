#include "platform/Debug.h"

#include "platform/NumberFormat.h"

#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <string>

namespace platform
{

void DebugOutput(const char* format, ...)
{
    const char* enabled = std::getenv("TESSARIN_DEBUG");
    if (!enabled || !*enabled || !format)
        return;

    std::va_list args;
    va_start(args, format);
    std::string line = FormatCV(format, args);
    va_end(args);

    if (!line.empty() && line.back() == '\n')
        line.pop_back();
    const std::size_t room = kDebugLineMax - 1;  // the newline takes the last byte
    if (line.size() > room)
    {
        std::size_t cut = room;
        // Back up over continuation bytes so the cut falls before a character, never inside one.
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        line.resize(cut);
    }
    line += '\n';

    ssize_t written;
    do
        written = ::write(STDERR_FILENO, line.data(), line.size());
    while (written < 0 && errno == EINTR);
}

}  // namespace platform
