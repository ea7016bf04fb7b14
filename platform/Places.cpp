#include "platform/Places.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
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

namespace
{
// Only a real folder of this user that no one else may enter holds sockets and lock files.
bool IsPrivateFolder(const std::filesystem::path& folder)
{
    struct stat info
    {
    };
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid() &&
           (info.st_mode & 077) == 0;
}
}  // namespace

std::filesystem::path RuntimeFolder()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/')
    {
        ::mkdir(runtime, 0700);
        if (IsPrivateFolder(runtime))
            return runtime;
    }
    const std::filesystem::path folder = "/tmp/tessarin-" + std::to_string(getuid());
    ::mkdir(folder.c_str(), 0700);
    if (IsPrivateFolder(folder))
        return folder;
    const std::filesystem::path fallback = ConfigFolder() / "run";
    std::error_code error;
    std::filesystem::create_directories(fallback, error);
    ::chmod(fallback.c_str(), 0700);
    return fallback;
}

std::filesystem::path ProgramFolder()
{
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || executable.empty())
        return std::filesystem::current_path(error);
    return executable.parent_path();
}

std::filesystem::path DocumentsFolder()
{
    if (const char* documents = std::getenv("XDG_DOCUMENTS_DIR"); documents && *documents == '/')
        return documents;
    // user-dirs.dirs holds lines such as XDG_DOCUMENTS_DIR="$HOME/Dokumente"; only "$HOME/..." and
    // absolute paths are meaningful there.
    std::ifstream dirs(ConfigHome() / "user-dirs.dirs");
    std::string line;
    const std::string key = "XDG_DOCUMENTS_DIR=\"";
    while (std::getline(dirs, line))
    {
        if (line.rfind(key, 0) != 0)
            continue;
        const std::size_t end = line.find('"', key.size());
        if (end == std::string::npos)
            break;
        std::string value = line.substr(key.size(), end - key.size());
        if (value.rfind("$HOME", 0) == 0)
        {
            const std::string rest = value.substr(5);
            if (rest.empty() || rest == "/")
                break;  // the home folder itself means "no documents folder"
            return HomeFolder() / std::filesystem::path(rest).relative_path();
        }
        if (!value.empty() && value.front() == '/')
            return value;
        break;
    }
    return HomeFolder() / "Documents";
}

}  // namespace platform
