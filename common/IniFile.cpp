#include "common/IniFile.h"

#include <algorithm>
#include <cinttypes>
#include <climits>
#include <filesystem>

#include "platform/FileReplace.h"
#include "platform/NumberFormat.h"
#include "platform/Profile.h"
#include "platform/Text.h"

namespace
{

std::string Compound(std::string_view key, std::string_view suffix)
{
    std::string name(key);
    name += '.';
    name += suffix;
    return name;
}

// Components of a broken-down time as stored in the file, in the order they are written.
struct TimeKey
{
    const char* suffix;
    int std::tm::*field;
    int offset;  // stored value = field + offset
};

constexpr TimeKey kTimeKeys[] = {
    {"Year", &std::tm::tm_year, 1900}, {"Month", &std::tm::tm_mon, 1},  {"Day", &std::tm::tm_mday, 0},
    {"Hour", &std::tm::tm_hour, 0},    {"Minute", &std::tm::tm_min, 0}, {"Second", &std::tm::tm_sec, 0},
};

}  // namespace

bool CIniFile::SetFileName(std::string_view path)
{
    if (platform::CountCharacters(path) >= kMaxPathCharacters)
        return false;
    m_fileName = path;
    return true;
}

void CIniFile::BeginBatch()
{
    m_batch = std::make_shared<platform::ProfileDocument>();
}

bool CIniFile::LoadBatch()
{
    std::string bytes;
    const platform::ReadFileStatus status = platform::ReadRegularFile(m_fileName, bytes);
    AttachBatch(status == platform::ReadFileStatus::Read ? std::string_view(bytes) : std::string_view());
    return status == platform::ReadFileStatus::Read || status == platform::ReadFileStatus::Missing;
}

void CIniFile::AttachBatch(std::string_view bytes)
{
    m_batch = std::make_shared<platform::ProfileDocument>(platform::ProfileDocument::Parse(bytes));
}

bool CIniFile::CommitBatch() const
{
    if (!m_batch || m_fileName.empty())
        return false;
    platform::FileLock lock(m_fileName);
    return platform::ReplaceFileAtomically(m_fileName, m_batch->ToBytes());
}

void CIniFile::EndBatch()
{
    m_batch.reset();
}

bool CIniFile::Lookup(std::string_view section, std::string_view key, std::string& value) const
{
    if (m_batch)
        return m_batch->Find(section, key, value);
    return platform::ReadProfileString(m_fileName, section, key, value);
}

int CIniFile::ReadInt(std::string_view section, std::string_view key, int defaultValue) const
{
    if (!m_batch)
        return platform::GetProfileInt(m_fileName, section, key, defaultValue);
    std::string text;
    if (!m_batch->Find(section, key, text))
        return defaultValue;
    return static_cast<int>(std::clamp<std::int64_t>(platform::ParseInt64(text), INT_MIN, INT_MAX));
}

std::int64_t CIniFile::ReadInt64(std::string_view section, std::string_view key,
                                 std::int64_t defaultValue) const
{
    std::string text;
    if (!Lookup(section, key, text))
        return defaultValue;
    return platform::ParseInt64(platform::TruncateCharacters(text, kMaxValueCharacters));
}

double CIniFile::ReadDouble(std::string_view section, std::string_view key, double defaultValue) const
{
    // A missing key returns the default exactly: callers pass their current value and expect it to
    // survive unchanged, which a detour through a short text form would not guarantee. The whole
    // value is parsed: WriteDouble spells large values out in full, beyond the string cut.
    std::string text;
    if (!Lookup(section, key, text))
        return defaultValue;
    return platform::ParseDouble(text);
}

bool CIniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const
{
    const std::string text = ReadString(section, key, defaultValue ? "True" : "False");
    return text == "True" || text == "true";
}

std::string CIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue, std::size_t maxCharacters) const
{
    std::string text;
    if (!Lookup(section, key, text))
        return std::string(defaultValue);
    return platform::TruncateCharacters(text, maxCharacters);
}

WindowRect CIniFile::ReadRect(std::string_view section, std::string_view key,
                              const WindowRect& defaultValue) const
{
    WindowRect value = defaultValue;
    value.left = ReadInt(section, Compound(key, "left"), value.left);
    value.top = ReadInt(section, Compound(key, "top"), value.top);
    value.bottom = ReadInt(section, Compound(key, "bottom"), value.bottom);
    value.right = ReadInt(section, Compound(key, "right"), value.right);
    return value;
}

WindowPoint CIniFile::ReadPoint(std::string_view section, std::string_view key,
                                const WindowPoint& defaultValue) const
{
    WindowPoint value = defaultValue;
    value.x = ReadInt(section, Compound(key, "X"), value.x);
    value.y = ReadInt(section, Compound(key, "Y"), value.y);
    return value;
}

WindowPlacement CIniFile::ReadPlacement(std::string_view section, std::string_view key,
                                        const WindowPlacement& defaultValue) const
{
    WindowPlacement value = defaultValue;
    value.length = ReadInt(section, Compound(key, "Length"), value.length);
    value.flags = ReadInt(section, Compound(key, "Flags"), value.flags);
    value.showCmd = ReadInt(section, Compound(key, "showCmd"), value.showCmd);
    value.minPosition = ReadPoint(section, Compound(key, "ptMinPosition"), value.minPosition);
    value.maxPosition = ReadPoint(section, Compound(key, "ptMaxPosition"), value.maxPosition);
    value.normalPosition = ReadRect(section, Compound(key, "rcNormalPosition"), value.normalPosition);
    return value;
}

bool CIniFile::WriteRect(std::string_view section, std::string_view key, const WindowRect& value) const
{
    bool ok = WriteInt(section, Compound(key, "left"), value.left);
    ok = WriteInt(section, Compound(key, "top"), value.top) && ok;
    ok = WriteInt(section, Compound(key, "bottom"), value.bottom) && ok;
    return WriteInt(section, Compound(key, "right"), value.right) && ok;
}

bool CIniFile::WritePoint(std::string_view section, std::string_view key, const WindowPoint& value) const
{
    const bool ok = WriteInt(section, Compound(key, "X"), value.x);
    return WriteInt(section, Compound(key, "Y"), value.y) && ok;
}

bool CIniFile::WritePlacement(std::string_view section, std::string_view key,
                              const WindowPlacement& value) const
{
    bool ok = WriteInt(section, Compound(key, "Length"), value.length);
    ok = WriteInt(section, Compound(key, "Flags"), value.flags) && ok;
    ok = WriteInt(section, Compound(key, "showCmd"), value.showCmd) && ok;
    ok = WritePoint(section, Compound(key, "ptMinPosition"), value.minPosition) && ok;
    ok = WritePoint(section, Compound(key, "ptMaxPosition"), value.maxPosition) && ok;
    return WriteRect(section, Compound(key, "rcNormalPosition"), value.normalPosition) && ok;
}

std::time_t CIniFile::ReadTime(std::string_view section, std::string_view key, std::time_t defaultValue) const
{
    std::tm parts{};
    if (!localtime_r(&defaultValue, &parts))
        parts.tm_mday = 1;
    for (const TimeKey& part : kTimeKeys)
    {
        // Stored numbers may be anything; the offset is taken off without overflowing an int.
        const long long fallback = static_cast<long long>(parts.*part.field) + part.offset;
        const long long stored = ReadInt(section, Compound(key, part.suffix),
                                         static_cast<int>(std::min<long long>(fallback, INT_MAX)));
        parts.*part.field = static_cast<int>(std::clamp<long long>(stored - part.offset, INT_MIN, INT_MAX));
    }
    parts.tm_isdst = -1;
    const std::time_t result = std::mktime(&parts);
    return result == static_cast<std::time_t>(-1) ? defaultValue : result;
}

void CIniFile::ReadStringArray(std::string_view section, std::string_view key,
                               std::vector<std::string>& values) const
{
    values.clear();
    const int count = std::min(ReadInt(section, Compound(key, "Cnt"), 0), kMaxStringArrayCount);
    if (count <= 0)
        return;
    values.resize(static_cast<std::size_t>(count));
    for (int i = 1; i <= count; ++i)
        values[static_cast<std::size_t>(i - 1)] =
            ReadString(section, Compound(key, platform::FormatC("%i", i)), "");
}

bool CIniFile::WriteInt(std::string_view section, std::string_view key, int value) const
{
    return WriteString(section, key, platform::FormatC("%d", value));
}

bool CIniFile::WriteInt64(std::string_view section, std::string_view key, std::int64_t value) const
{
    return WriteString(section, key, platform::FormatC("%" PRId64, value));
}

bool CIniFile::WriteDouble(std::string_view section, std::string_view key, double value) const
{
    return WriteString(section, key, platform::FormatC("%f", value));
}

bool CIniFile::WriteBool(std::string_view section, std::string_view key, bool value) const
{
    return WriteString(section, key, value ? "True" : "False");
}

bool CIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) const
{
    if (m_batch)
        return m_batch->Set(section, key, value);
    return platform::WriteProfileString(m_fileName, section, key, value);
}

bool CIniFile::WriteHex(std::string_view section, std::string_view key, int value) const
{
    return WriteString(section, key, platform::FormatC("%x", static_cast<unsigned>(value)));
}

bool CIniFile::WriteTime(std::string_view section, std::string_view key, std::time_t value) const
{
    std::tm parts{};
    if (!localtime_r(&value, &parts))
        return false;
    bool written = true;
    for (const TimeKey& part : kTimeKeys)
    {
        const long long stored = static_cast<long long>(parts.*part.field) + part.offset;
        written =
            WriteString(section, Compound(key, part.suffix), platform::FormatC("%lld", stored)) && written;
    }
    return written;
}

bool CIniFile::WriteStringArray(std::string_view section, std::string_view key,
                                const std::vector<std::string>& values) const
{
    if (values.size() > static_cast<std::size_t>(INT_MAX))
        return false;
    bool written = WriteInt(section, Compound(key, "Cnt"), static_cast<int>(values.size()));
    for (std::size_t i = 0; i < values.size(); ++i)
        written = WriteString(section, Compound(key, platform::FormatC("%zu", i + 1)), values[i]) && written;
    return written;
}
