// Finding the top-level window of another program of the suite by its exact title (the stand-alone
// generator program is found this way before settings are sent to it).
#pragma once

#include <string_view>

#include "platform/Ipc.h"

// A found window; empty stands for the handle 0. It is what platform::SendCopyData addresses.
using WindowHandle = platform::WindowSocket;

// The window whose title equals the given one exactly (case-sensitive, no blanks ignored), or an
// empty handle when no such window is open.
WindowHandle FindTopWindowByTitle(std::string_view title);
