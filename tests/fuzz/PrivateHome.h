// Gives a fuzz target a home of its own, so that what the code under test writes to the user's
// configuration (the registry store among it) never reaches the real one and parallel runs do not
// share it. In memory where there is a memory file system: every rewrite of the store syncs.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

inline void UsePrivateHome(const std::string& name)
{
    std::error_code error;
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    const auto root = base / (name + "-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root / "config");
    std::filesystem::create_directories(root / "run");
    std::filesystem::permissions(root / "run", std::filesystem::perms::owner_all);
    ::setenv("HOME", root.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root / "run").c_str(), 1);
}
