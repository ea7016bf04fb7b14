#include "tests/support/TempHome.h"

#include <cstdlib>
#include <stdexcept>

namespace testsupport
{

TempHome::TempHome()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tessarin-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    m_root = pattern;
    const std::map<std::string, std::filesystem::path> variables = {
        {"HOME", m_root / "home"},
        {"XDG_CONFIG_HOME", m_root / "config"},
        {"XDG_RUNTIME_DIR", m_root / "run"},
        {"XDG_DOCUMENTS_DIR", m_root / "home" / "Documents"},
    };
    for (const auto& [name, path] : variables)
    {
        const char* old = std::getenv(name.c_str());
        m_saved[name] = old ? std::optional<std::string>(old) : std::nullopt;
        std::filesystem::create_directories(path);
        ::setenv(name.c_str(), path.c_str(), 1);
    }
    std::filesystem::permissions(m_root / "run", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    std::filesystem::create_directories(m_root / "files");
}

TempHome::~TempHome()
{
    for (const auto& [name, value] : m_saved)
    {
        if (value)
            ::setenv(name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name.c_str());
    }
    std::error_code error;
    std::filesystem::remove_all(m_root, error);
}

}  // namespace testsupport
