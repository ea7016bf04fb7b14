#include "platform/asio/AsioDriverList.h"

#include "platform/asio/JackDriver.h"

#include <cstring>
#include <mutex>

namespace
{

struct Registered
{
    std::string name;
    AsioDriverFactory create;
};

std::mutex g_registryLock;
std::vector<Registered>& Registry()
{
    static std::vector<Registered> registered;
    return registered;
}

std::unique_ptr<CAsioDriverLoader>& LoaderSlot()
{
    static std::unique_ptr<CAsioDriverLoader> loader;
    return loader;
}

}  // namespace

void RegisterAsioDriver(const std::string& name, AsioDriverFactory factory)
{
    std::lock_guard lock(g_registryLock);
    for (Registered& entry : Registry())
        if (entry.name == name)
        {
            entry.create = std::move(factory);
            return;
        }
    Registry().push_back({name, std::move(factory)});
}

void UnregisterAsioDriver(const std::string& name)
{
    std::lock_guard lock(g_registryLock);
    std::erase_if(Registry(), [&](const Registered& entry) { return entry.name == name; });
}

CAsioDriverList::CAsioDriverList()
{
    m_entries.push_back({0, CAsioJackDriver::kName, [] { return std::make_unique<CAsioJackDriver>(); }});
    std::lock_guard lock(g_registryLock);
    for (const Registered& entry : Registry())
        if (entry.name != CAsioJackDriver::kName)
            m_entries.push_back({static_cast<int>(m_entries.size()), entry.name, entry.create});
}

const CAsioDriverList::Entry* CAsioDriverList::GetEntry(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return &m_entries[static_cast<std::size_t>(index)];
}

const CAsioDriverList::Entry* CAsioDriverList::FindByName(const std::string& name) const
{
    for (const Entry& entry : m_entries)
        if (entry.description == name)
            return &entry;
    return nullptr;
}

int CAsioDriverLoader::GetDriverName(int index, char* buffer, int size) const
{
    if (!buffer || size < 1)
        return kNoOutputPointer;
    const CAsioDriverList::Entry* entry = m_list.GetEntry(index);
    if (!entry)
        return kNoSuchIndex;
    const std::string& name = entry->description;
    const auto room = static_cast<std::size_t>(size - 1);
    if (name.size() <= room)
    {
        std::memcpy(buffer, name.c_str(), name.size() + 1);
        return asio::kOk;
    }
    std::size_t keep = room >= 3 ? room - 3 : 0;
    std::memcpy(buffer, name.data(), keep);
    std::size_t n = keep;
    for (std::size_t i = 0; i < 3 && n < room; ++i)
        buffer[n++] = '.';
    buffer[n] = '\0';
    return asio::kOk;
}

bool CAsioDriverLoader::Load(int index)
{
    const CAsioDriverList::Entry* entry = m_list.GetEntry(index);
    if (!entry)
        return false;
    const int previous = m_current;
    UnloadCurrentDriver();
    std::unique_ptr<CAsioDriver> driver = entry->create ? entry->create() : nullptr;
    if (!driver)
    {
        if (const CAsioDriverList::Entry* old = m_list.GetEntry(previous); old && old->create)
        {
            m_driver = old->create();
            m_current = m_driver ? previous : -1;
        }
        return false;
    }
    m_driver = std::move(driver);
    m_current = index;
    return true;
}

void CAsioDriverLoader::UnloadCurrentDriver()
{
    m_driver.reset();
    m_current = -1;
}

CAsioDriverLoader& GetAsioDriverLoader()
{
    auto& slot = LoaderSlot();
    if (!slot)
        slot = std::make_unique<CAsioDriverLoader>();
    return *slot;
}

bool HasAsioDriverLoader()
{
    return LoaderSlot() != nullptr;
}

void DeleteAsioDriverLoader()
{
    LoaderSlot().reset();
}

bool LoadAsioDriver(const std::string& name)
{
    CAsioDriverLoader& loader = GetAsioDriverLoader();
    loader.Rebuild();
    const CAsioDriverList::Entry* entry = loader.GetList().FindByName(name);
    if (!entry)
        return false;
    return loader.Load(entry->index);
}

std::string GetAsioDriverNameByIndex(int index)
{
    const CAsioDriverList list;
    const CAsioDriverList::Entry* entry = list.GetEntry(index);
    return entry ? entry->description : std::string();
}
