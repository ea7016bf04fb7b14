#include "view/ProdTestItems.h"

#include "platform/Places.h"
#include "platform/Registry.h"

namespace
{

struct ItemRow
{
    const char* name;
    const char* file;
    const char* unit;
    int kind;
    bool frequencyAxis;
};

constexpr ItemRow kItems[CProdTestItems::kItemCount] = {
    {"THD", "THD.lim", "%", 1, true},
    {"THDN", "THDN.lim", "%", 1, true},
    {"Sensitivity", "sensitivity.lim", "dB", 0, true},
    {"Freq. resp. low", "frequency_response_lower.lim", "dB", 0, true},
    {"Freq. resp. high", "frequency_response_upper.lim", "dB", 0, true},
    {"Freq. resp. MLS low", "frequency_response_MLS_lower.lim", "dB", 0, true},
    {"Freq. resp. MLS high", "frequency_response_MLS_upper.lim", "dB", 0, true},
    {"Freq. resp. ref", "frequency_response_reference.lim", "dB", 0, true},
    {"polarity", "polarity.lim", "", 2, false},
    {"Balance", "balance.lim", "dB", 0, false},
    {"Routing", "LR_routing.lim", "", 2, false},
    {"FFT size", "FFTsizes.lim", "dB", 2, true},
    {"Settling time", "Settlingtimes.lim", "ms", 2, true},
};

const ItemRow* Row(int code)
{
    if (code < 1 || code > CProdTestItems::kItemCount)
        return nullptr;
    return &kItems[code - 1];
}

}  // namespace

CProdTestItems::CProdTestItems()
{
    m_anCodes.fill(-1);
    for (int i = 0; i < kItemCount; ++i)
        m_anCodes[static_cast<std::size_t>(i)] = i + 1;
    m_abEnabled.fill(1);
}

std::string CProdTestItems::GetItemName(int code)
{
    const ItemRow* row = Row(code);
    return row ? row->name : "";
}

std::string CProdTestItems::GetLimitFileName(int code)
{
    const ItemRow* row = Row(code);
    return row ? row->file : "";
}

std::string CProdTestItems::GetUnit(int code)
{
    const ItemRow* row = Row(code);
    return row ? row->unit : "";
}

int CProdTestItems::GetItemKind(int code)
{
    const ItemRow* row = Row(code);
    return row ? row->kind : -1;
}

bool CProdTestItems::HasFrequencyAxis(int code)
{
    const ItemRow* row = Row(code);
    return row && row->frequencyAxis;
}

std::string CProdTestItems::GetLimitCurveName(int code)
{
    const std::string name = GetItemName(code);
    return name.empty() ? std::string() : "lim:" + name;
}

std::string CProdTestItems::GetLimitFolder() const
{
    return m_strLimitFolder.empty() ? platform::ProgramFolder().string() : m_strLimitFolder;
}

std::string CProdTestItems::GetLimitFilePath(int code) const
{
    return GetLimitFolder() + "/" + GetLimitFileName(code);
}

void CProdTestItems::ReadLimitFolder()
{
    const platform::RegistryKey key = platform::RegistryKey::Open(kRegistryKey, false);
    if (!key)
        return;
    const auto value = key.ReadValue(kFolderValue);
    if (value && value->type == platform::RegistryType::String && value->data.size() <= kMaxFolderCharacters)
        m_strLimitFolder = value->data;
}

CProdTestItems& GetProdTestItems()
{
    static CProdTestItems items;
    return items;
}
