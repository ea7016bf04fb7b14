// A socket file as a program that died leaves it behind: bound and listening, then closed without
// being removed.
#pragma once

#include <filesystem>

namespace testsupport
{

// True when the stale socket file now exists at the path.
bool LeaveStaleSocket(const std::filesystem::path& path);

}  // namespace testsupport
