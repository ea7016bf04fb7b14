// Feeds arbitrary bytes to a measurement window as a message of another program: the decoder
// checks every length, offset and count, and the dispatcher never leaves a setting out of its
// range. The generator codes are left out: they would start the generator program.
#include "display/settings/ViewSettings.h"
#include "engine/SoundIn.h"
#include "view/RemoteCommand.h"
#include "view/SndView.h"
#include "view/ViewDocument.h"

#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace
{

bool IsGeneratorCode(std::int32_t code)
{
    switch (code)
    {
        case 12:
        case 13:
        case 10004:
        case 20008:
        case 20009:
        case 20010:
        case 20011:
        case 20012:
        case 20013:
        case 40000:
            return true;
        default:
            return false;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool home = []
    {
        const std::string folder = "/tmp/tessarin-fuzz-home-" + std::to_string(::getpid());
        ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
        return true;
    }();
    (void)home;
    if (size < 1)
        return 0;
    const int stride = data[0] % 9;  // 0: no intake
    const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(data + 1), size - 1);
    const RemoteMessage message = DecodeRemoteMessage(bytes, stride);
    if (message.kind == RemoteMessage::Kind::Samples)
    {
        // Every sample the decoder promised lies inside the message.
        const std::size_t end = message.offset + static_cast<std::size_t>(message.frames) * stride * 4u;
        if (end > bytes.size() || message.offset < kRemoteSampleHeaderBytes)
            std::abort();
        volatile std::byte last{};
        for (std::size_t i = message.offset; i < end; ++i)
            last = bytes[i];
        (void)last;
        return 0;
    }
    if (message.kind != RemoteMessage::Kind::Command || IsGeneratorCode(message.command.code))
        return 0;

    // One window for the whole run, as a real one lives through many messages.
    static CSoundIn engine;
    static CViewDocument document;
    static CSndView& view = []() -> CSndView&
    {
        static CSndView window(document, engine);
        window.m_nStopWaitMs = 0;
        window.m_remoteSleep = [](int) {};
        window.OnInitialUpdate();
        return window;
    }();
    view.OnRemoteCommand(0, bytes);
    const CViewSettings& slot = *view.GetSettings();
    const bool inRange =
        engine.m_nSampleRate >= CSoundIn::kMinSampleRate && engine.m_nSampleRate <= 192000 &&
        engine.m_nFftSize >= 2 && engine.m_nFftSize <= (1 << 20) && engine.m_nAverageCount >= 1 &&
        engine.m_nChannelMode >= 0 && engine.m_nChannelMode <= 3 && engine.m_nWindowType >= 0 &&
        engine.m_nWindowType <= 17 && engine.m_nWeightingType >= 0 && engine.m_nWeightingType <= 2 &&
        engine.m_nInputMode >= 0 && engine.m_nInputMode < CSoundIn::kInputModeCount &&
        std::isfinite(engine.m_fCalibrationOffset) && std::isfinite(engine.m_dCalibrationGain) &&
        std::isfinite(slot.m_Axes.m_dXMin) && std::isfinite(slot.m_Axes.m_dXMax) &&
        std::isfinite(slot.m_Axes.m_dYMin) && std::isfinite(slot.m_Axes.m_dYMax) &&
        view.GetMailbox().IsFree();
    if (!inRange)
        std::abort();
    return 0;
}
