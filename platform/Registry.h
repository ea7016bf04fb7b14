// The per-user registry store: hierarchical keys holding 32-bit integer, string and binary values,
// kept in one text file, ConfigFolder()/"registry", shared by every program of the suite.
//
// Key paths are segments separated by '\' (empty segments are ignored, "" is the root); key and
// value names match case-insensitively and keep the spelling they were created with. Every change
// takes the file's lock, re-reads the file, applies itself and replaces the file atomically, so
// writers in several processes lose nothing. Reads see the current file. A damaged file never
// crashes a reader: malformed lines are skipped, and a file that cannot be read at all is never
// overwritten.
//
// Threads: every function may be called from any thread; a change blocks while another writer
// (in this or another process) holds the file's lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform
{

enum class RegistryType : std::uint8_t
{
    Dword,   // exactly 4 bytes, little-endian
    String,  // the text's bytes, without a terminator
    Binary,  // any bytes
};

struct RegistryValue
{
    RegistryType type = RegistryType::Binary;
    std::string data;
};

// Limits on what the store holds; a file line beyond them is skipped when read, a write beyond them fails.
inline constexpr std::size_t kRegistryMaxValueBytes = 1u << 20;
inline constexpr std::size_t kRegistryMaxKeyNameBytes = 255;
inline constexpr std::size_t kRegistryMaxValueNameBytes = 16383;
inline constexpr std::size_t kRegistryMaxDepth = 512;
inline constexpr std::uintmax_t kRegistryMaxFileBytes = 256u << 20;

// A message for the user about the store, once: set when a rewrite found the file damaged and
// kept it aside; empty when there is nothing to say. Taking it clears it.
std::string TakeRegistryWarning();

// The file the store lives in.
std::filesystem::path RegistryFile();

// An open key: the handle names the key by its path; opening checks (or makes) the key, and every
// operation looks the key up in the current file again. A key deleted after it was opened makes
// reads miss and writes fail. Closing only forgets the path.
class RegistryKey
{
public:
    RegistryKey() = default;

    // Opens the key; with create, makes it and any missing parent. A closed handle on failure.
    static RegistryKey Open(std::string_view path, bool create);

    bool IsOpen() const { return m_open; }
    explicit operator bool() const { return m_open; }
    void Close();

    // The key's path as the caller gave it, segments joined by '\'.
    const std::string& Path() const { return m_path; }

    // A key below this one (relativePath may have several segments).
    RegistryKey OpenSubKey(std::string_view relativePath, bool create) const;

    std::optional<RegistryValue> ReadValue(std::string_view name) const;
    // Creates or replaces the value (a replaced value keeps its place in the enumeration order).
    // False when the key is closed or gone, the data breaks a limit, a dword is not 4 bytes, or the
    // file cannot be written.
    bool WriteValue(std::string_view name, RegistryType type, std::string_view data) const;
    // False when there was no such value.
    bool DeleteValue(std::string_view name) const;
    // Deletes the key below this one together with its own subkeys; false when it did not exist.
    bool DeleteSubKey(std::string_view relativePath) const;

    // Names in the order they were first created, with their stored spelling.
    std::vector<std::string> SubKeyNames() const;
    std::vector<std::string> ValueNames() const;

private:
    RegistryKey(std::vector<std::string> segments, std::string path);

    std::vector<std::string> m_segments;
    std::string m_path;
    bool m_open = false;
};

// Deletes a key and all its subkeys; false when it did not exist or the file could not be written.
// The root cannot be deleted.
bool DeleteRegistryKey(std::string_view path);

}  // namespace platform
