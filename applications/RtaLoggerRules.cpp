#include "applications/RtaLoggerRules.h"

#include "applications/LevelLogger.h"
#include "display/settings/ViewSettings.h"
#include "dsp/BandAnalyzer.h"
#include "engine/SoundIn.h"
#include "platform/NumberFormat.h"

#include <array>
#include <filesystem>
#include <system_error>
#include <utility>

namespace
{

constexpr std::array<std::pair<int, int>, 6> kSpeeds = {{
    {rta_command::kSpeedImpulse, 1},
    {rta_command::kSpeedFast, 2},
    {rta_command::kSpeedSlow, 3},
    {rta_command::kSpeedCcir, 4},
    {rta_command::kSpeed10s, 6},
    {rta_command::kSpeed60s, 7},
}};

}  // namespace

int RtaSpeedCode(int id)
{
    for (const auto& [command, code] : kSpeeds)
        if (command == id)
            return code;
    return 0;
}

bool IsRtaItemChecked(const CViewSettings& settings, int id)
{
    const bool on = settings.m_bBarGraph != 0;
    const int bands = settings.m_nBandsPerOctave;
    switch (id)
    {
        case rta_command::kOctaveRta:
            return on && bands == 1;
        case rta_command::kThirdOctaveRta:
            return on && bands == 3 && settings.m_bSpecificLoudness == 0;
        case rta_command::kNthOctaveRta:
            return on && bands > 1 && bands != 3;
        default:
        {
            const int code = RtaSpeedCode(id);
            return code != 0 && settings.m_nTimeWeighting == code;
        }
    }
}

bool ExceedsLoggerMemory(std::int64_t bytes)
{
    return static_cast<double>(bytes) * 1e-6 > kLoggerMemoryLimitMb;
}

std::string LoggerMemoryMessage(double fastInterval)
{
    return platform::FormatC(
        "Der Speicherbedarf beträgt mehr als 1GB!\nBitte vergrößern Sie das Messintervall "
        "(aktuell %fs).\nAlternativ verkleinern Sie die gesamte Messdauer.\nSie können "
        "auch Speicherung von die Spektralwerten abschalten.\n",
        fastInterval);
}

int StopLoggingRuns(CSoundIn& engine)
{
    int stopped = 0;
    for (int c = 0; c < CSoundIn::kMaxChannels; ++c)
    {
        CBandAnalyzer* analyzer = engine.GetBandAnalyzer(c);
        if (analyzer && analyzer->m_loggingActive.load())
        {
            analyzer->StopLogging();
            ++stopped;
        }
    }
    return stopped;
}

void CopyLoggerStartSettings(CLevelLogger_settings& logger, const CSoundIn& engine)
{
    logger.m_interval = engine.m_dLevelShortTime;
    logger.m_fastInterval = engine.m_dLevelShortTime;
    logger.m_plannedBlocks = engine.m_nLevelHistoryLength;
    logger.m_calibrationOffset =
        engine.m_bCalibration ? static_cast<double>(engine.m_fCalibrationOffset) : 0.0;
}

bool SaveLoggerDataSet(CLevelLogger& logger, const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path target(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    // A fresh folder beside the target, so that the data set is written under its own name (the
    // INI file names its companion) and the final moves stay on one file system.
    fs::path aside;
    for (int attempt = 0; attempt < 100 && aside.empty(); ++attempt)
    {
        fs::path candidate =
            folder / platform::FormatC(".%s.saving%d", target.filename().string().c_str(), attempt);
        if (fs::create_directory(candidate, error))
            aside = std::move(candidate);
    }
    if (aside.empty())
        return false;
    const fs::path ini = aside / target.filename();
    fs::path companion = ini;
    companion.replace_extension("bin");
    fs::path companionTarget = target;
    companionTarget.replace_extension("bin");
    bool ok = logger.WriteDataFile(ini.string(), std::string()) && fs::exists(ini, error);
    if (ok && fs::exists(companion, error))
    {
        fs::rename(companion, companionTarget, error);
        ok = !error;
    }
    if (ok)
    {
        fs::rename(ini, target, error);
        ok = !error;
    }
    fs::remove_all(aside, error);
    return ok;
}
