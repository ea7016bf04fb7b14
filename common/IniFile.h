// Typed values in an INI settings file: fixes how each type is spelled as text and leaves the file
// handling to the platform's profile functions. Holds only the path; every call is one complete read
// or write of the file. One thread at a time per object; objects on different threads may share a
// file (the profile layer serialises its writers).
#pragma once

#include "common/WindowGeometry.h"

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform
{
class ProfileDocument;
}

class CIniFile
{
public:
    // Paths of this many characters or more are refused.
    static constexpr std::size_t kMaxPathCharacters = 1024;
    // String values are read as at most this many characters.
    static constexpr std::size_t kMaxValueCharacters = 254;
    // The largest element count ReadStringArray believes; a damaged count cannot exhaust memory.
    static constexpr int kMaxStringArrayCount = 65536;

    // False when the path is refused (kMaxPathCharacters or more); the stored path then stays.
    bool SetFileName(std::string_view path);

    // Reads give the default for a missing file or key and never fail.
    int ReadInt(std::string_view section, std::string_view key, int defaultValue) const;
    std::int64_t ReadInt64(std::string_view section, std::string_view key, std::int64_t defaultValue) const;
    double ReadDouble(std::string_view section, std::string_view key, double defaultValue) const;
    // True only for exactly "True" or "true".
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
    // At most maxCharacters characters (kMaxValueCharacters unless the caller takes more).
    std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue,
                           std::size_t maxCharacters = kMaxValueCharacters) const;
    // Composite values, one int key per member named Key.member: a rectangle (left, top, bottom,
    // right), a point (X, Y) and a placement (Length, Flags, showCmd, then the points ptMinPosition
    // and ptMaxPosition and the rectangle rcNormalPosition below Key). Each member missing from the
    // file keeps the default's.
    WindowRect ReadRect(std::string_view section, std::string_view key, const WindowRect& defaultValue) const;
    WindowPoint ReadPoint(std::string_view section, std::string_view key,
                          const WindowPoint& defaultValue) const;
    WindowPlacement ReadPlacement(std::string_view section, std::string_view key,
                                  const WindowPlacement& defaultValue) const;
    // Local time from the keys Key.Year ... Key.Second; a missing key takes that part of the default.
    std::time_t ReadTime(std::string_view section, std::string_view key, std::time_t defaultValue) const;
    // Replaces the array's content with Key.1 ... Key.N, N from Key.Cnt.
    void ReadStringArray(std::string_view section, std::string_view key,
                         std::vector<std::string>& values) const;

    // Writes return false when the file cannot be written or the names or the text are refused.
    bool WriteInt(std::string_view section, std::string_view key, int value) const;
    bool WriteInt64(std::string_view section, std::string_view key, std::int64_t value) const;
    // Six decimals, no exponent: values below 0.0000005 in magnitude are stored as zero.
    bool WriteDouble(std::string_view section, std::string_view key, double value) const;
    bool WriteBool(std::string_view section, std::string_view key, bool value) const;
    bool WriteString(std::string_view section, std::string_view key, std::string_view value) const;
    bool WriteRect(std::string_view section, std::string_view key, const WindowRect& value) const;
    bool WritePoint(std::string_view section, std::string_view key, const WindowPoint& value) const;
    bool WritePlacement(std::string_view section, std::string_view key, const WindowPlacement& value) const;
    // Lower-case hexadecimal without prefix; there is no reader for it.
    bool WriteHex(std::string_view section, std::string_view key, int value) const;
    bool WriteTime(std::string_view section, std::string_view key, std::time_t value) const;
    // Key.Cnt and Key.1 ... Key.N; keys of a longer earlier list stay in the file.
    bool WriteStringArray(std::string_view section, std::string_view key,
                          const std::vector<std::string>& values) const;

    // Batched form, for files of many keys written or read as a whole: between BeginBatch (an empty
    // document), LoadBatch (the file as it is, read once) or AttachBatch (the given bytes) and
    // EndBatch, every read and write goes to the document in memory and the file is not touched;
    // CommitBatch writes the document once, replacing the file atomically (the old file stays
    // whole when that fails). LoadBatch is false, with an empty document, when the file exists but
    // cannot be read; a missing file gives an empty document and true.
    void BeginBatch();
    bool LoadBatch();
    void AttachBatch(std::string_view bytes);
    bool CommitBatch() const;
    void EndBatch();
    bool InBatch() const { return m_batch != nullptr; }

private:
    bool Lookup(std::string_view section, std::string_view key, std::string& value) const;

    std::string m_fileName;
    std::shared_ptr<platform::ProfileDocument> m_batch;
};
