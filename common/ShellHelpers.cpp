#include "common/ShellHelpers.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "platform/Debug.h"
#include "platform/Spawn.h"

std::string g_strZipProgram;
std::string g_strOpenProgram;

namespace
{

std::mutex g_handlerLock;
ShellMessageHandler g_handler;

void ShowShellMessage(const std::string& text, const std::string& caption)
{
    ShellMessageHandler handler;
    {
        std::lock_guard lock(g_handlerLock);
        handler = g_handler;
    }
    if (handler)
        handler(text, caption);
    else
        platform::DebugOutput("%s: %s", caption.c_str(), text.c_str());
}

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

// Start of the last component.
std::size_t LastComponent(std::string_view path)
{
    for (std::size_t i = path.size(); i > 0; --i)
        if (IsSeparator(path[i - 1]))
            return i;
    return 0;
}

// Position of the extension's dot in the last component, or npos. A blank after the last dot
// means that there is no extension, as with the other platform's path functions.
std::size_t ExtensionDot(std::string_view path)
{
    std::size_t dot = std::string_view::npos;
    for (std::size_t i = LastComponent(path); i < path.size(); ++i)
        if (path[i] == '.')
            dot = i;
        else if (path[i] == ' ')
            dot = std::string_view::npos;
    return dot;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) {
                                                  return std::tolower(static_cast<unsigned char>(x)) ==
                                                         std::tolower(static_cast<unsigned char>(y));
                                              });
}

// Copies into a target that must not exist yet; the target is removed again on a failure.
bool CopyToNewFile(const std::string& source, const std::string& target)
{
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    struct stat info
    {
    };
    if (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode))
    {
        ::close(in);
        return false;
    }
    const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 07777);
    if (out < 0)
    {
        ::close(in);
        return false;
    }
    bool ok = true;
    char buffer[65536];
    for (;;)
    {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
        {
            ok = got == 0;
            break;
        }
        for (ssize_t done = 0; done < got;)
        {
            const ssize_t put = ::write(out, buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
            {
                ok = false;
                break;
            }
            done += put;
        }
        if (!ok)
            break;
    }
    ok = ::fsync(out) == 0 && ok;
    ok = ::close(out) == 0 && ok;
    ::close(in);
    if (!ok)
        ::unlink(target.c_str());
    return ok;
}

}  // namespace

ShellMessageHandler SetShellMessageHandler(ShellMessageHandler handler)
{
    std::lock_guard lock(g_handlerLock);
    std::swap(g_handler, handler);
    return handler;
}

int OpenWithShell(const std::string& path)
{
    platform::SpawnRequest request;
    request.argv = {g_strOpenProgram.empty() ? std::string("xdg-open") : g_strOpenProgram, path};
    platform::SpawnProgram(request);
    return 0;
}

void StartProgram(const std::string& program)
{
    platform::SpawnRequest request;
    request.argv = {program};
    platform::SpawnProgram(request);
}

bool ZipFolder(const std::string& folder, const std::string& archive)
{
    // The files are named one by one: a pattern would leave names without a dot out, and no
    // shell is involved to expand one.
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(ToSlashPath(folder), error), end; !error && it != end;
         it.increment(error))
    {
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue;
        const std::string name = it->path().filename().string();
        if (!HasExtension(name, "zip"))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    platform::SpawnRequest request;
    request.argv = {g_strZipProgram.empty() ? std::string("zip") : g_strZipProgram, "-q", archive, "--"};
    request.argv.insert(request.argv.end(), names.begin(), names.end());
    request.folder = ToSlashPath(folder);
    const platform::SpawnResult result = platform::SpawnProgram(request);
    if (!result.Started())
    {
        ShowShellMessage(std::strerror(result.error), kZipFolderCaption);
        return false;
    }
    return true;
}

std::string GetAppDataFolder()
{
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/')
        return data;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share";
}

std::string GetUserDataFolder()
{
    return GetAppDataFolder() + "/Halvek";
}

std::string StripPath(std::string_view path)
{
    return std::string(path.substr(LastComponent(path)));
}

std::string RemoveFileSpec(std::string_view path)
{
    std::size_t start = LastComponent(path);
    if (start == 0)
        return {};
    // The root ("/" or "D:\") keeps its separator.
    if (start == 1 || (start == 3 && path[1] == ':'))
        return std::string(path.substr(0, start));
    return std::string(path.substr(0, start - 1));
}

std::string AddExtension(std::string_view path, std::string_view extension)
{
    if (ExtensionDot(path) != std::string_view::npos)
        return std::string(path);
    return std::string(path) + std::string(extension);
}

std::string ReplaceExtension(std::string_view path, std::string_view extension)
{
    const std::size_t dot = ExtensionDot(path);
    const std::string_view stem = dot == std::string_view::npos ? path : path.substr(0, dot);
    return AddExtension(stem, "." + std::string(extension));
}

std::string GetExtension(std::string_view path)
{
    const std::size_t dot = ExtensionDot(path);
    return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot + 1));
}

std::string GetBaseName(std::string_view path)
{
    const std::size_t start = LastComponent(path);
    const std::size_t dot = ExtensionDot(path);
    return std::string(
        path.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start));
}

bool HasExtension(std::string_view path, std::string_view extension)
{
    return ExtensionDot(path) != std::string_view::npos && EqualNoCase(GetExtension(path), extension);
}

std::string ToSlashPath(std::string_view path)
{
    std::string result(path);
    std::replace(result.begin(), result.end(), '\\', '/');
    return result;
}

void CreateFolderLongPath(const std::string& folder)
{
    ::mkdir(ToSlashPath(folder).c_str(), 0777);
}

int DeleteFileLongPath(const std::string& path)
{
    return ::unlink(ToSlashPath(path).c_str()) == 0 ? 1 : 0;
}

int MoveFileTo(const std::string& source, const std::string& target)
{
    const std::string from = ToSlashPath(source);
    const std::string to = ToSlashPath(target);
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 1;
    if (errno == EINVAL || errno == ENOSYS)
    {
        // A file system without the no-replace rename: a hard link never replaces either.
        if (::link(from.c_str(), to.c_str()) != 0)
            return 0;
        ::unlink(from.c_str());
        return 1;
    }
    if (errno != EXDEV)
        return 0;
    if (!CopyToNewFile(from, to))
        return 0;
    if (::unlink(from.c_str()) != 0)
    {
        // The source stays: the copy is taken back, so that the file is not there twice.
        ::unlink(to.c_str());
        return 0;
    }
    return 1;
}

int ListFolderFiles(const std::string& folder, std::vector<std::string>& list, const std::string& pattern)
{
    std::string match = pattern.empty() ? std::string("*.*") : pattern;
    while (!match.empty() && IsSeparator(match.front()))
        match.erase(0, 1);
    // "*.*" stands for every name, as on the other platform.
    if (match == "*.*")
        match = "*";
    const std::string base = ToSlashPath(folder);
    int count = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator it(base, error), end; !error && it != end; it.increment(error))
    {
        std::error_code typeError;
        if (it->is_directory(typeError))
            continue;
        const std::string name = it->path().filename().string();
        if (::fnmatch(match.c_str(), name.c_str(), FNM_CASEFOLD) != 0)
            continue;
        list.push_back(base + "/" + name);
        ++count;
    }
    return count;
}
