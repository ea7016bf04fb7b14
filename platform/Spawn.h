// Starting helper programs: an argument vector (never a command line for a shell), an optional
// working folder and environment. A program that the caller does not wait for is reaped by a
// small thread of its own, so that no ended child stays behind as a zombie.
//
// Threads: may be called from any thread.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace platform
{

enum class SpawnMode
{
    Detach,  // returns at once; the child is reaped when it ends
    Keep,    // returns at once with the child's id; the caller reaps it (waitpid)
    Wait,    // returns when the child has ended, with its exit status
};

struct SpawnRequest
{
    // argv[0] is the program: a path when it holds a "/", else looked up in PATH.
    std::vector<std::string> argv;
    // Empty: the caller's working folder.
    std::filesystem::path folder;
    // Empty: the caller's environment; otherwise exactly these "NAME=value" entries.
    std::vector<std::string> environment;
    bool replaceEnvironment = false;
    SpawnMode mode = SpawnMode::Detach;
};

struct SpawnResult
{
    int error = 0;        // 0 when started; else the errno value that stopped the start
    pid_t pid = 0;        // the child's id (Keep, Detach)
    int exitStatus = -1;  // Wait: the child's exit code, or 128 + signal; -1 when unknown
    bool Started() const { return error == 0; }
};

// Starts the program. A program that cannot be started (not found, not executable, a working
// folder that does not exist) gives its error and no child.
SpawnResult SpawnProgram(const SpawnRequest& request);

}  // namespace platform
