// Runs a helper program for a test by argument vector (never through a shell) and returns what it
// wrote to its standard output and error.
#pragma once

#include <string>
#include <vector>

namespace testsupport
{

// The program's output; exitStatus gets its exit code (-1 when it could not be started).
std::string RunProgram(const std::vector<std::string>& argv, int* exitStatus = nullptr);

}  // namespace testsupport
