#include "platform/Places.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace platform
{
namespace
{

std::filesystem::path HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/tmp";
}

}  // namespace

std::filesystem::path ConfigHome()
{
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
        return config;
    return HomeFolder() / ".config";
}

std::filesystem::path ConfigFolder()
{
    return ConfigHome() / "Tessarin";
}

std::filesystem::path RuntimeFolder()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/')
    {
        ::mkdir(runtime, 0700);
        return runtime;
    }
    const std::filesystem::path folder = "/tmp/tessarin-" + std::to_string(getuid());
    ::mkdir(folder.c_str(), 0700);
    // A folder of that name that someone else made is not ours to trust.
    struct stat info{};
    if (::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid() &&
        (info.st_mode & 077) == 0)
        return folder;
    const std::filesystem::path fallback = ConfigFolder() / "run";
    std::error_code error;
    std::filesystem::create_directories(fallback, error);
    ::chmod(fallback.c_str(), 0700);
    return fallback;
}

}  // namespace platform
