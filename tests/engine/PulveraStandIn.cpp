// A stand-in for the generator program in the link tests: it listens under the program's window
// title, takes each message as the program does and keeps every accepted record as
// $HOME/received-<n>.bin (the record's bytes) for the test to compare. It ends on SIGTERM, or by
// itself after a minute so that a failed test leaves nothing running.
// With PULVERA_STAND_IN_SILENT set it opens no window at all.
#include "engine/GeneratorLink.h"
#include "platform/Ipc.h"

#include <signal.h>
#include <time.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

int main()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);

    const char* home = std::getenv("HOME");
    const std::filesystem::path folder = home != nullptr ? home : ".";
    int count = 0;
    std::unique_ptr<platform::CopyDataListener> listener;
    if (std::getenv("PULVERA_STAND_IN_SILENT") == nullptr)
    {
        listener = platform::CopyDataListener::Listen(
            kGeneratorProgramTitle,
            [&](std::uint64_t, std::span<const std::byte> bytes) -> std::int32_t
            {
                CSigGen_settings record;
                if (!DecodeSettingsMessage(bytes, record))
                    return 0;
                const std::filesystem::path file = folder / ("received-" + std::to_string(count++) + ".bin");
                const std::filesystem::path part = file.string() + ".part";
                {
                    std::ofstream out(part, std::ios::binary);
                    out.write(reinterpret_cast<const char*>(bytes.data()),
                              static_cast<std::streamsize>(bytes.size()));
                }
                std::filesystem::rename(part, file);
                return 1;
            },
            kSigGenWireBytes);
        if (!listener)
            return 2;
    }
    const timespec limit = {60, 0};
    sigtimedwait(&set, nullptr, &limit);
    return 0;
}
