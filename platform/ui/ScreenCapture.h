// A picture of a rectangle of the screen as it stands now. The toolkit's own screen context keeps
// returning its first picture under some X servers, so the pixels are read from the X server
// directly; without an X display the toolkit's screen context is the fallback.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/gdicmn.h>
#include <wx/image.h>

namespace platform::ui
{

// The pixels of the rectangle (screen coordinates, clipped to the screen); an invalid image when
// nothing could be read.
wxImage CaptureScreen(const wxRect& rect);

}  // namespace platform::ui
