// The installed drivers of the ASIO-style host layer, the loader that keeps one of them loaded, and
// LoadAsioDriver. "JACK" is always the first driver; a program (or a test) may register more.
//
// Threads: the control thread only (the user-interface thread of the host).
#pragma once

#include "platform/asio/AsioDriver.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

using AsioDriverFactory = std::function<std::unique_ptr<CAsioDriver>()>;

// Adds a driver after the built-in ones; a name already listed replaces that entry's factory.
void RegisterAsioDriver(const std::string& name, AsioDriverFactory factory);
// Removes a registered driver (a test cleaning up); the built-in ones stay.
void UnregisterAsioDriver(const std::string& name);

class CAsioDriverList
{
public:
    struct Entry
    {
        int index = 0;
        std::string description;
        AsioDriverFactory create;
    };

    CAsioDriverList();
    int GetCount() const { return static_cast<int>(m_entries.size()); }
    // Null for an index out of range.
    const Entry* GetEntry(int index) const;
    const Entry* FindByName(const std::string& name) const;

private:
    std::vector<Entry> m_entries;
};

class CAsioDriverLoader
{
public:
    static constexpr int kNoOutputPointer = -5001;
    static constexpr int kAlreadyOpen = -5002;
    static constexpr int kNoSuchIndex = -5003;

    int GetDriverCount() const { return m_list.GetCount(); }
    // Copies the name into buffer (size bytes with the terminator); a longer name is cut and ends
    // in "...". kNoSuchIndex for an index out of range, kNoOutputPointer without a buffer.
    int GetDriverName(int index, char* buffer, int size) const;
    // Creates the driver at index; the previous one is released first. On failure the previous one
    // is created again (when there was one) and the result is false.
    bool Load(int index);
    void UnloadCurrentDriver();
    int GetCurrentIndex() const { return m_current; }
    CAsioDriver* GetDriver() const { return m_driver.get(); }
    const CAsioDriverList& GetList() const { return m_list; }
    void Rebuild() { m_list = CAsioDriverList(); }

private:
    CAsioDriverList m_list;
    int m_current = -1;
    std::unique_ptr<CAsioDriver> m_driver;
};

// The program-wide loader, created on first use; DeleteAsioDriverLoader releases it.
CAsioDriverLoader& GetAsioDriverLoader();
bool HasAsioDriverLoader();
void DeleteAsioDriverLoader();

// Loads the driver whose description equals name (the previous one is released); false when there
// is no such driver or it cannot be created.
bool LoadAsioDriver(const std::string& name);
// The name of the driver at index in a fresh list, or "" when there is none.
std::string GetAsioDriverNameByIndex(int index);
