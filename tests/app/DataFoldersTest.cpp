#include "app/DataFolders.h"
#include "platform/Places.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace
{

class DataFoldersTest : public testsupport::TempHomeTest
{
protected:
    std::filesystem::path Documents() const { return m_home.Root() / "home" / "Documents"; }
};

TEST_F(DataFoldersTest, PathsByIdAndFoldersOnDisk)
{
    const CDataFolders folders;
    const std::string root = (Documents() / "Messungen").string();
    struct Case
    {
        int id;
        std::string path;
        bool folder;
    };
    const Case cases[] = {
        {0, root + "/Config", true},
        {1000, root + "/Nachhallzeit", true},
        {1001, root + "/Pegel", true},
        {1003, root + "/Config/default.cal", false},
        {1004, root + "/Screenshots", true},
        {1005, root + "/DIN15905_autolog", true},
        {1006, root + "/Temp", true},
        {1007, root + "/SPL_longterm", true},
        {1008, root + "/Waves", true},
        {1009, root + "/Trittschall", true},
        {1010, root + "/Remote_CMD", true},
        // Ids outside the table: the data root with its separator.
        {3, root + "/", false},
        {-1, root + "/", false},
        {1011, root + "/", false},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(folders.GetPath(c.id), c.path) << c.id;
        if (c.folder)
        {
            EXPECT_TRUE(std::filesystem::is_directory(c.path)) << c.path;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(root + "/Config/default.cal"));
}

TEST_F(DataFoldersTest, ProgramSettingsFileIsNextToTheProgram)
{
    ::setenv("XDG_DOCUMENTS_DIR", (m_home.Root() / "elsewhere").c_str(), 1);
    const CDataFolders folders;
    EXPECT_EQ(folders.GetPath(1002), (platform::ProgramFolder() / "default.cal").string());
    EXPECT_EQ(platform::ProgramFolder(), std::filesystem::canonical("/proc/self/exe").parent_path());
}

TEST_F(DataFoldersTest, SecondConstructionKeepsWhatIsThere)
{
    {
        const CDataFolders first;
    }
    const auto temp = Documents() / "Messungen" / "Temp" / "keep.wav";
    std::filesystem::create_directories(temp.parent_path());
    {
        std::ofstream(temp) << "x";
    }
    const CDataFolders second;
    EXPECT_TRUE(std::filesystem::exists(temp));
}

TEST_F(DataFoldersTest, MissingDocumentsFolderIsMadeWithTheDataFolders)
{
    // A fresh account without "~/Documents": the program still gets somewhere to keep its data.
    std::filesystem::remove_all(Documents());
    const CDataFolders folders;
    EXPECT_EQ(folders.GetPath(1006), (Documents() / "Messungen" / "Temp").string());
    EXPECT_TRUE(std::filesystem::is_directory(Documents() / "Messungen" / "Temp"));
    EXPECT_TRUE(std::filesystem::is_directory(Documents() / "Messungen" / "Config"));
}

TEST_F(DataFoldersTest, DocumentsFolderFromUserDirsFile)
{
    ::unsetenv("XDG_DOCUMENTS_DIR");
    std::filesystem::create_directories(m_home.ConfigHome());
    {
        std::ofstream dirs(m_home.ConfigHome() / "user-dirs.dirs");
        dirs << "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
             << "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n";
    }
    EXPECT_EQ(platform::DocumentsFolder(), m_home.Root() / "home" / "Dokumente");
    std::filesystem::remove(m_home.ConfigHome() / "user-dirs.dirs");
    EXPECT_EQ(platform::DocumentsFolder(), m_home.Root() / "home" / "Documents");
}

}  // namespace
