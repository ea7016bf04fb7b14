// Small file helpers for tests: whole files as byte strings, and hex dumps for readable failures.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace testsupport
{

// The whole file; an empty string when it cannot be read.
std::string ReadBytes(const std::filesystem::path& path);

// Creates or replaces the file with exactly these bytes (creating its folder); false on failure.
bool WriteBytes(const std::filesystem::path& path, std::string_view bytes);

// "01 ff 7f" style hex of the bytes, for comparisons that print well.
std::string Hex(std::string_view bytes);

}  // namespace testsupport
