// Feeds arbitrary bytes to a measurement window as an overlay text file, in every data format, with
// and without the limit files' resampling. A file that loads gives a slot of rising, positive x
// values and at most the reader's point count; a refused file leaves the slot empty.
#include "display/settings/ViewSettings.h"
#include "engine/SoundIn.h"
#include "view/SndView.h"
#include "view/ViewDocument.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    static const std::string path = "/tmp/tessarin-fuzz-" + std::to_string(::getpid()) + ".txt";
    if (std::FILE* file = std::fopen(path.c_str(), "wb"))
    {
        std::fwrite(data + 1, 1, size - 1, file);
        std::fclose(file);
    }
    static CSoundIn engine;
    CViewDocument document;
    CSndView view(document, engine);
    view.OnInitialUpdate();
    const int format = data[0] % 3;
    const int resample = (data[0] & 4) != 0 ? 3 : 0;
    const int count = view.LoadOverlayText(path, 0, format, resample);
    const COverlay_settings& slot = view.GetSettings()->m_Overlays[0];
    if (count <= 0)
    {
        if (slot.m_Curve.m_nCount != 0)
            std::abort();
        return 0;
    }
    if (count > CSndView::kMaxOverlayTextPoints || slot.m_Curve.m_nCount != count ||
        static_cast<int>(slot.m_Curve.m_pX.size()) != count ||
        static_cast<int>(slot.m_Curve.m_pY.size()) != count)
        std::abort();
    if (!(slot.m_Curve.m_pX[0] > 0.0f))
        std::abort();
    for (int i = 1; i < count; ++i)
        if (!(slot.m_Curve.m_pX[static_cast<std::size_t>(i)] >=
              slot.m_Curve.m_pX[static_cast<std::size_t>(i - 1)]))
            std::abort();
    return 0;
}
