// Feeds arbitrary bytes to a measurement window as an INI settings file, read into a scratch
// engine. Whatever the file says, every setting the reader takes stays inside its range.
#include "display/settings/ViewSettings.h"
#include "engine/SoundIn.h"
#include "view/SndView.h"
#include "view/ViewDocument.h"

#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = "/tmp/tessarin-fuzz-" + std::to_string(::getpid()) + ".ini";
    if (std::FILE* file = std::fopen(path.c_str(), "wb"))
    {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    CSoundIn engine;
    CViewDocument document;
    CSndView view(document, engine);
    view.m_nStopWaitMs = 0;
    view.OnInitialUpdate();
    view.ReadSettingsFile(path);
    const CViewSettings& slot = *view.GetSettings();
    const bool inRange =
        engine.m_nSampleRate >= CSoundIn::kMinSampleRate &&
        engine.m_nSampleRate <= CSoundIn::kMaxSampleRate && engine.m_nFftSize >= 2 &&
        engine.m_nFftSize <= CSoundIn::kMaxFftSize && engine.m_nAverageCount >= 1 &&
        engine.m_nChannelMode >= 0 && engine.m_nChannelMode <= 3 && engine.m_nTriggerChannel >= 0 &&
        engine.m_nTriggerChannel < CSoundIn::kMaxChannels && engine.m_nLevelHistoryLength >= 1 &&
        engine.m_nLevelHistoryLength <= 100000000 && std::isfinite(engine.m_dTriggerLevel) &&
        std::isfinite(engine.m_fCalibrationOffset) && slot.m_nRefreshMs >= 1 && slot.m_nRefreshMs <= 60000 &&
        slot.m_nHarmonicsMask >= 0 && slot.m_nHarmonicsMask <= 3 && engine.m_reverbWizard.chirpSize >= 16 &&
        std::isfinite(engine.m_stored.generators[0].m_frequency);
    if (!inRange)
        std::abort();
    return 0;
}
