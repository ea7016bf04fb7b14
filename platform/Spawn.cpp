#include "platform/Spawn.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace platform
{

namespace
{

int WaitForChild(pid_t pid)
{
    int status = 0;
    pid_t done = 0;
    do
        done = ::waitpid(pid, &status, 0);
    while (done < 0 && errno == EINTR);
    if (done != pid)
        return -1;
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

std::vector<char*> Pointers(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (std::string& text : strings)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

SpawnResult SpawnProgram(const SpawnRequest& request)
{
    SpawnResult result;
    if (request.argv.empty() || request.argv[0].empty())
    {
        result.error = ENOENT;
        return result;
    }
    std::vector<std::string> arguments = request.argv;
    std::vector<char*> argv = Pointers(arguments);
    std::vector<std::string> environment = request.environment;
    std::vector<char*> envp = Pointers(environment);
    char** env = request.replaceEnvironment ? envp.data() : environ;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!request.folder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, request.folder.c_str());
    // A child that the program does not wait for must not keep its terminal's signals either.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    pid_t pid = 0;
    const bool search = request.argv[0].find('/') == std::string::npos;
    const int error = search ? ::posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), env)
                             : ::posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), env);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
    {
        result.error = error;
        return result;
    }
    // glibc reports a failed exec as exit status 127 of a child that did start; a working folder
    // that does not exist is found out the same way. Both are told apart by waiting only in Wait.
    result.pid = pid;
    switch (request.mode)
    {
        case SpawnMode::Wait:
            result.exitStatus = WaitForChild(pid);
            break;
        case SpawnMode::Detach:
            std::thread([pid] { WaitForChild(pid); }).detach();
            break;
        case SpawnMode::Keep:
            break;
    }
    return result;
}

}  // namespace platform
