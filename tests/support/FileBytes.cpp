#include "tests/support/FileBytes.h"

#include <fstream>
#include <iterator>

namespace testsupport
{

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteBytes(const std::filesystem::path& path, std::string_view bytes)
{
    std::error_code error;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string Hex(std::string_view bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (const char c : bytes)
    {
        if (!text.empty())
            text += ' ';
        const auto b = static_cast<unsigned char>(c);
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

}  // namespace testsupport
