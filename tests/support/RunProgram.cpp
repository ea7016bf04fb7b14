#include "tests/support/RunProgram.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testsupport
{

std::string RunProgram(const std::vector<std::string>& argv, int* exitStatus)
{
    std::string out;
    if (exitStatus)
        *exitStatus = -1;
    int fds[2];
    if (argv.empty() || ::pipe(fds) != 0)
        return out;
    std::vector<std::string> args = argv;
    std::vector<char*> pointers;
    for (std::string& a : args)
        pointers.push_back(a.data());
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    pid_t pid = 0;
    const bool started = posix_spawnp(&pid, pointers[0], &actions, nullptr, pointers.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    char buffer[4096];
    for (ssize_t got; started && (got = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        out.append(buffer, static_cast<std::size_t>(got));
    ::close(fds[0]);
    int status = 0;
    if (started && ::waitpid(pid, &status, 0) == pid && exitStatus)
        *exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return out;
}

}  // namespace testsupport
