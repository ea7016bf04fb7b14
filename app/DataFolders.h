// The folders in which the main program keeps the user's data, named by numeric id, below the data
// root "Messungen" in the user's documents folder. Building the object creates the folders.
//
// Threads: built on the main thread before any other runs; GetPath only reads and may be called
// from any thread.
#pragma once

#include <string>

class CDataFolders
{
public:
    static constexpr int kConfig = 0;
    static constexpr int kReverberation = 1000;
    static constexpr int kLevel = 1001;
    static constexpr int kProgramSettingsFile = 1002;
    static constexpr int kUserSettingsFile = 1003;
    static constexpr int kScreenshots = 1004;
    static constexpr int kDinAutolog = 1005;
    static constexpr int kTemp = 1006;
    static constexpr int kSplLongterm = 1007;
    static constexpr int kWaves = 1008;
    static constexpr int kImpactSound = 1009;
    static constexpr int kRemoteCommands = 1010;

    // Takes the root from the user's documents folder and creates the data root and its folders.
    CDataFolders();

    // The full path of a folder id; ids outside the table give the data root with a trailing "/".
    // The disk is not consulted.
    std::string GetPath(int id) const;

    // Creates one folder level; an existing folder, or a missing parent, is no error.
    static void CreateFolder(const std::string& path);

private:
    std::string m_strRoot;
    std::string m_strData = "Messungen";
    std::string m_strReverberation = "Nachhallzeit";
    std::string m_strLevel = "Pegel";
    std::string m_strScreenshots = "Screenshots";
    std::string m_strDinAutolog = "DIN15905_autolog";
    std::string m_strConfig = "Config";
    std::string m_strTemp = "Temp";
    std::string m_strSplLongterm = "SPL_longterm";
    std::string m_strWaves = "Waves";
    std::string m_strImpactSound = "Trittschall";
    std::string m_strRemoteCommands = "Remote_CMD";
    std::string m_strSettingsFile = "default.cal";
};
