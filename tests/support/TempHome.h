// A temporary home for one test: a fresh folder with HOME, XDG_CONFIG_HOME, XDG_RUNTIME_DIR and
// XDG_DOCUMENTS_DIR pointing into it. The previous values come back and the folder is removed
// when the fixture ends.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace testsupport
{

class TempHome
{
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::filesystem::path& Root() const { return m_root; }
    std::filesystem::path ConfigHome() const { return m_root / "config"; }
    // A path inside the temporary folder (not created).
    std::filesystem::path File(const std::string& name) const { return m_root / "files" / name; }

private:
    std::filesystem::path m_root;
    std::map<std::string, std::optional<std::string>> m_saved;
};

// Gives every test of a suite its own temporary home.
class TempHomeTest : public ::testing::Test
{
protected:
    TempHome m_home;
};

}  // namespace testsupport
