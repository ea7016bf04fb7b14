// The rendered toolbar pictures built into the program (generated from resources/icons/png).
#pragma once

#include <cstddef>

struct CommandIconFile
{
    const char* name;  // "<icon>-<size>", e.g. "file-new-22"
    const unsigned char* bytes;
    std::size_t size;
};

// Ends with a row whose name is nullptr.
extern const CommandIconFile g_CommandIconFiles[];
