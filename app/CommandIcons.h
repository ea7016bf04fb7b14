// The pictures of the toolbar buttons: drawn for this program as SVG (resources/icons/) and
// rendered to PNG at 16, 22 and 32 pixels by scripts/render-icons.sh; the PNGs are built into the
// program.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/bitmap.h>

// The button picture of an icon name at a size in pixels (the nearest rendered size, scaled when
// none matches); a plain frame when the icon is missing.
wxBitmap LoadCommandIcon(const char* icon, int size);
// True when the icon was drawn at that size.
bool HasCommandIcon(const char* icon, int size);
