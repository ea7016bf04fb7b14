// The production test's item table: codes, names, limit files, units and kinds of the tested
// quantities, and the folder that holds the limit files. The measurement window's limit-curve
// overlays read it; the production test builds on it.
//
// Threads: user-interface thread only.
#pragma once

#include <array>
#include <string>

class CProdTestItems
{
public:
    static constexpr int kItemCount = 13;
    static constexpr int kSlotCount = 25;
    // Registry key and value of the limit folder.
    static constexpr const char* kRegistryKey = "SOFTWARE\\Halvek\\Tessarin\\Production Test";
    static constexpr const char* kFolderValue = "config path";
    static constexpr std::size_t kMaxFolderCharacters = 8192;

    CProdTestItems();

    // Codes 1..13; empty texts and kind -1 for any other code.
    static std::string GetItemName(int code);
    static std::string GetLimitFileName(int code);
    static std::string GetUnit(int code);
    // 0 dB, 1 per cent, 2 linear: the data format of the item's limit file.
    static int GetItemKind(int code);
    static bool HasFrequencyAxis(int code);
    // "lim:" and the item's name; empty for an item without a name.
    static std::string GetLimitCurveName(int code);

    // The limit folder: the stored "config path" once read, else the program folder.
    std::string GetLimitFolder() const;
    // The limit folder, "/", the item's limit file name.
    std::string GetLimitFilePath(int code) const;
    // Reads "config path" from the registry key (nothing when the key or value is missing).
    void ReadLimitFolder();

    std::string m_strLimitFolder;
    int m_nItemCount = kItemCount;
    std::array<int, kSlotCount> m_anCodes{};
    std::array<int, kSlotCount> m_abEnabled{};
};

// The program's one item table.
CProdTestItems& GetProdTestItems();
