#include "app/DataFolders.h"

#include "platform/Places.h"

#include <sys/stat.h>

#include <filesystem>

#include <utility>

CDataFolders::CDataFolders() : m_strRoot(platform::DocumentsFolder().string())
{
    // The documents folder itself may be missing on a fresh account: it is made first. Then one
    // level at a time: the data root before its sub-folders.
    std::error_code error;
    std::filesystem::create_directories(m_strRoot, error);
    CreateFolder(GetPath(-1).substr(0, GetPath(-1).size() - 1));
    for (const int id : {kScreenshots, kConfig, kReverberation, kLevel, kTemp, kDinAutolog, kSplLongterm,
                         kWaves, kRemoteCommands, kImpactSound})
        CreateFolder(GetPath(id));
}

std::string CDataFolders::GetPath(int id) const
{
    const std::string dataRoot = m_strRoot + "/" + m_strData;
    if (id == kProgramSettingsFile)
        return platform::ProgramFolder().string() + "/" + m_strSettingsFile;
    if (id == kUserSettingsFile)
        return dataRoot + "/" + m_strConfig + "/" + m_strSettingsFile;
    const std::pair<int, const std::string*> folders[] = {
        {kConfig, &m_strConfig},
        {kReverberation, &m_strReverberation},
        {kLevel, &m_strLevel},
        {kScreenshots, &m_strScreenshots},
        {kDinAutolog, &m_strDinAutolog},
        {kTemp, &m_strTemp},
        {kSplLongterm, &m_strSplLongterm},
        {kWaves, &m_strWaves},
        {kImpactSound, &m_strImpactSound},
        {kRemoteCommands, &m_strRemoteCommands},
    };
    for (const auto& [folderId, name] : folders)
        if (folderId == id)
            return dataRoot + "/" + *name;
    return dataRoot + "/";
}

void CDataFolders::CreateFolder(const std::string& path)
{
    // mkdir makes exactly one level and fails harmlessly when the folder exists or its parent is
    // missing; neither is reported.
    ::mkdir(path.c_str(), 0777);
}
