#include "platform/Profile.h"

#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/FileReplace.h"
#include "platform/NumberFormat.h"
#include "platform/Text.h"

namespace platform
{
namespace
{

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A profile file beyond this size is not a settings file; it is neither parsed nor rewritten.
constexpr std::uintmax_t kMaxProfileBytes = 64u * 1024u * 1024u;

// Parsed files kept for repeated reads; a settings load touches only a few files at a time.
constexpr std::size_t kCachedFiles = 8;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool HasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// The value as a reader sees it: blanks around it and one pair of matching quotes removed.
std::string_view ValueAsRead(std::string_view text)
{
    text = Trim(text);
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
        text = text.substr(1, text.size() - 2);
    return text;
}

// What identifies one version of a file well enough to reuse its parsed form.
struct FileStamp
{
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t mtimeSeconds = 0;
    long mtimeNanoseconds = 0;

    bool operator==(const FileStamp&) const = default;
};

// File times come from a clock that ticks coarsely (up to 10 ms): a file changed again within the
// tick of its last change can keep its stamp. A parsed form is therefore trusted only once the file's
// time lies more than this margin before the moment its stamp was taken.
constexpr std::int64_t kFileTimeMarginNs = 20'000'000;

timespec Now()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now;
}

bool IsSettled(const FileStamp& stamp, const timespec& stampTaken)
{
    const std::int64_t takenSeconds = stampTaken.tv_sec;
    // Compared in whole seconds first: file times can be anything, and nanoseconds since 1970 of a
    // far-off time do not fit 64 bits.
    if (stamp.mtimeSeconds < takenSeconds - 2)
        return true;
    if (stamp.mtimeSeconds > takenSeconds)
        return false;
    const std::int64_t ageNs =
        (takenSeconds - stamp.mtimeSeconds) * 1'000'000'000 + (stampTaken.tv_nsec - stamp.mtimeNanoseconds);
    return ageNs >= kFileTimeMarginNs;
}

// errno is left set when the file cannot be examined.
bool StampOf(const std::filesystem::path& path, FileStamp& stamp)
{
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0)
        return false;
    if (S_ISDIR(info.st_mode))
    {
        errno = EISDIR;
        return false;
    }
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.mtimeSeconds = static_cast<std::int64_t>(info.st_mtim.tv_sec);
    stamp.mtimeNanoseconds = info.st_mtim.tv_nsec;
    return true;
}

enum class LoadResult
{
    Loaded,
    Missing,  // no such file (a write creates it)
    Failed    // there, but unreadable, a folder or too large
};

// Parsed profile files by path, each valid while the file's inode, size and modification time stay
// the same. Shared by every thread; the documents handed out are immutable.
class ProfileCache
{
public:
    LoadResult Load(const std::filesystem::path& path, std::shared_ptr<const ProfileDocument>& document)
    {
        document.reset();
        const std::string key = path.string();
        FileStamp stamp;
        // The stamp is taken before the bytes are read: a change in between makes the next stamp
        // differ, so stale bytes are never served under a newer stamp.
        const timespec now = Now();
        if (!StampOf(path, stamp))
        {
            const bool missing = errno == ENOENT;
            Forget(key);
            return missing ? LoadResult::Missing : LoadResult::Failed;
        }
        {
            std::lock_guard lock(m_mutex);
            if (Entry* entry = FindEntry(key); entry && entry->settled && entry->stamp == stamp)
            {
                entry->lastUse = ++m_useCounter;
                document = entry->document;
                return LoadResult::Loaded;
            }
        }
        if (static_cast<std::uintmax_t>(stamp.size) > kMaxProfileBytes)
            return LoadResult::Failed;
        std::string bytes;
        if (!ReadFileBytes(path, bytes, kMaxProfileBytes))
            return errno == ENOENT ? LoadResult::Missing : LoadResult::Failed;
        if (bytes.size() > kMaxProfileBytes)
            return LoadResult::Failed;
        document = std::make_shared<const ProfileDocument>(ProfileDocument::Parse(bytes));
        Store(key, stamp, IsSettled(stamp, now), document);
        return LoadResult::Loaded;
    }

    // After a write: the new file and its parsed form, or nothing when the file cannot be examined.
    void Update(const std::filesystem::path& path, std::shared_ptr<const ProfileDocument> document)
    {
        FileStamp stamp;
        const timespec now = Now();
        if (StampOf(path, stamp))
            Store(path.string(), stamp, IsSettled(stamp, now), std::move(document));
        else
            Forget(path.string());
    }

    void Forget(const std::string& key)
    {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_entries, [&](const Entry& entry) { return entry.key == key; });
    }

private:
    struct Entry
    {
        std::string key;
        FileStamp stamp;
        bool settled = false;  // the stamp alone proves that the file is unchanged
        std::shared_ptr<const ProfileDocument> document;
        std::uint64_t lastUse = 0;
    };

    Entry* FindEntry(const std::string& key)
    {
        for (Entry& entry : m_entries)
            if (entry.key == key)
                return &entry;
        return nullptr;
    }

    void Store(const std::string& key, const FileStamp& stamp, bool settled,
               std::shared_ptr<const ProfileDocument> document)
    {
        std::lock_guard lock(m_mutex);
        Entry* entry = FindEntry(key);
        if (!entry)
        {
            if (m_entries.size() >= kCachedFiles)
                m_entries.erase(std::min_element(m_entries.begin(), m_entries.end(),
                                                 [](const Entry& a, const Entry& b)
                                                 { return a.lastUse < b.lastUse; }));
            entry = &m_entries.emplace_back();
            entry->key = key;
        }
        entry->stamp = stamp;
        entry->settled = settled;
        entry->document = std::move(document);
        entry->lastUse = ++m_useCounter;
    }

    std::mutex m_mutex;
    std::vector<Entry> m_entries;
    std::uint64_t m_useCounter = 0;
};

ProfileCache& Cache()
{
    static ProfileCache cache;
    return cache;
}

}  // namespace

bool ModifyProfile(const std::filesystem::path& path, const std::function<bool(ProfileDocument&)>& change)
{
    if (path.empty())
        return false;
    FileLock lock(path);
    std::shared_ptr<const ProfileDocument> current;
    ProfileDocument document;
    switch (Cache().Load(path, current))
    {
        case LoadResult::Loaded:
            // The file's own protection stands even though the new content arrives by a rename.
            if (::access(path.c_str(), W_OK) != 0)
                return false;
            document = *current;
            break;
        case LoadResult::Missing:
            break;
        case LoadResult::Failed:
            return false;
    }
    if (!change(document))
        return true;
    auto updated = std::make_shared<const ProfileDocument>(std::move(document));
    if (!ReplaceFileAtomically(path, updated->ToBytes()))
    {
        Cache().Forget(path.string());
        return false;
    }
    Cache().Update(path, std::move(updated));
    return true;
}

ProfileDocument::Line ProfileDocument::MakeLine(std::string text, std::string end)
{
    Line line;
    const std::string_view trimmed = Trim(text);
    if (!trimmed.empty() && trimmed.front() == '[')
    {
        const std::size_t close = trimmed.find(']');
        if (close != std::string_view::npos)
        {
            line.kind = Kind::Section;
            line.name = Trim(trimmed.substr(1, close - 1));
        }
    }
    else if (!trimmed.empty() && trimmed.front() != ';')
    {
        const std::size_t equals = trimmed.find('=');
        if (equals != std::string_view::npos)
        {
            const std::string_view name = Trim(trimmed.substr(0, equals));
            if (!name.empty())
            {
                line.kind = Kind::Key;
                line.name = name;
            }
        }
    }
    line.text = std::move(text);
    line.end = std::move(end);
    return line;
}

ProfileDocument ProfileDocument::Parse(std::string_view bytes)
{
    ProfileDocument document;
    std::string text = TextFromFile(bytes);
    std::string_view rest = text;
    if (rest.starts_with(kByteOrderMark))
    {
        document.m_byteOrderMark = true;
        rest.remove_prefix(kByteOrderMark.size());
    }
    bool lineEndSeen = false;
    while (!rest.empty())
    {
        const std::size_t newline = rest.find('\n');
        std::string_view body = rest.substr(0, newline);
        std::string end;
        if (newline == std::string_view::npos)
        {
            rest = {};
        }
        else
        {
            rest.remove_prefix(newline + 1);
            end = "\n";
            if (body.ends_with('\r'))
            {
                body.remove_suffix(1);
                end = "\r\n";
            }
            if (!lineEndSeen)
            {
                document.m_lineEnd = end;
                lineEndSeen = true;
            }
        }
        document.m_lines.push_back(MakeLine(std::string(body), std::move(end)));
    }
    document.IndexSections();
    return document;
}

namespace
{

bool FoldAscii(std::string_view name, std::string& folded)
{
    folded.assign(name);
    for (char& c : folded)
    {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return true;
}

}  // namespace

void ProfileDocument::IndexSections()
{
    m_sectionIndex.clear();
    m_indexUsable = true;
    std::string folded;
    for (std::size_t i = 0; i < m_lines.size() && m_indexUsable; ++i)
        if (m_lines[i].kind == Kind::Section)
        {
            if (FoldAscii(m_lines[i].name, folded))
                m_sectionIndex.emplace(folded, i + 1);
            else
                m_indexUsable = false;
        }
    m_indexValid = true;
}

std::size_t ProfileDocument::FindSectionBody(std::string_view section) const
{
    section = Trim(section);
    std::string folded;
    if (m_indexValid && m_indexUsable && FoldAscii(section, folded))
    {
        const auto found = m_sectionIndex.find(folded);
        return found == m_sectionIndex.end() ? std::string::npos : found->second;
    }
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].kind == Kind::Section && EqualsNoCase(m_lines[i].name, section))
            return i + 1;
    return std::string::npos;
}

std::size_t ProfileDocument::SectionEnd(std::size_t body) const
{
    while (body < m_lines.size() && m_lines[body].kind != Kind::Section)
        ++body;
    return body;
}

std::size_t ProfileDocument::FindKeyLine(std::size_t body, std::string_view key) const
{
    key = Trim(key);
    for (std::size_t i = body; i < m_lines.size() && m_lines[i].kind != Kind::Section; ++i)
        if (m_lines[i].kind == Kind::Key && EqualsNoCase(m_lines[i].name, key))
            return i;
    return std::string::npos;
}

std::size_t ProfileDocument::FindKey(std::string_view section, std::string_view key) const
{
    const std::size_t body = FindSectionBody(section);
    return body == std::string::npos ? std::string::npos : FindKeyLine(body, key);
}

bool ProfileDocument::Find(std::string_view section, std::string_view key, std::string& value) const
{
    const std::size_t at = FindKey(section, key);
    if (at == std::string::npos)
        return false;
    const std::string& text = m_lines[at].text;
    value = ValueAsRead(std::string_view(text).substr(text.find('=') + 1));
    return true;
}

bool ProfileDocument::IsWritable(std::string_view section, std::string_view key, std::string_view value)
{
    // Text that is not UTF-8 would make the whole file read back as Windows-1252.
    if (!IsValidUtf8(section) || !IsValidUtf8(key) || !IsValidUtf8(value))
        return false;
    if (HasLineBreak(section) || section.find(']') != std::string_view::npos)
        return false;
    const std::string_view name = Trim(key);
    if (name.empty() || HasLineBreak(key) || key.find('=') != std::string_view::npos)
        return false;
    if (name.front() == ';' || name.front() == '[')
        return false;
    return !HasLineBreak(value);
}

bool ProfileDocument::Set(std::string_view section, std::string_view key, std::string_view value)
{
    if (!IsWritable(section, key, value))
        return false;
    std::string text(Trim(key));
    text += '=';
    text += value;

    std::size_t insertAt = m_lines.size();
    if (!m_indexValid)
        IndexSections();
    const std::size_t body = FindSectionBody(section);
    if (body != std::string::npos)
    {
        if (const std::size_t at = FindKeyLine(body, key); at != std::string::npos)
        {
            m_lines[at] = MakeLine(std::move(text), std::move(m_lines[at].end));
            return true;
        }
        // After the section's last non-blank line, so that a blank line before the next section stays.
        insertAt = SectionEnd(body);
        while (insertAt > body && Trim(m_lines[insertAt - 1].text).empty())
            --insertAt;
    }
    if (insertAt > 0 && m_lines[insertAt - 1].end.empty())
        m_lines[insertAt - 1].end = m_lineEnd;
    std::vector<Line> added;
    if (body == std::string::npos)
        added.push_back(MakeLine("[" + std::string(Trim(section)) + "]", m_lineEnd));
    added.push_back(MakeLine(std::move(text), m_lineEnd));
    if (insertAt < m_lines.size())
        m_indexValid = false;
    else if (body == std::string::npos && m_indexValid && m_indexUsable)
    {
        std::string folded;
        if (FoldAscii(added.front().name, folded))
            m_sectionIndex.emplace(folded, insertAt + 1);
        else
            m_indexUsable = false;
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                   std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
    return true;
}

bool ProfileDocument::Remove(std::string_view section, std::string_view key)
{
    const std::size_t at = FindKey(section, key);
    if (at == std::string::npos)
        return false;
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(at));
    m_indexValid = false;
    return true;
}

std::string ProfileDocument::ToBytes() const
{
    std::string bytes;
    if (m_byteOrderMark)
        bytes += kByteOrderMark;
    for (const Line& line : m_lines)
    {
        bytes += line.text;
        bytes += line.end;
    }
    return bytes;
}

bool ReadProfileString(const std::filesystem::path& path, std::string_view section, std::string_view key,
                       std::string& value)
{
    std::shared_ptr<const ProfileDocument> document;
    if (path.empty() || Cache().Load(path, document) != LoadResult::Loaded)
        return false;
    return document->Find(section, key, value);
}

std::string GetProfileString(const std::filesystem::path& path, std::string_view section,
                             std::string_view key, std::string_view defaultValue)
{
    std::string value;
    if (!ReadProfileString(path, section, key, value))
        return std::string(defaultValue);
    return value;
}

int GetProfileInt(const std::filesystem::path& path, std::string_view section, std::string_view key,
                  int defaultValue)
{
    std::string value;
    if (!ReadProfileString(path, section, key, value))
        return defaultValue;
    const std::int64_t number = ParseInt64(value);
    return static_cast<int>(std::clamp<std::int64_t>(number, INT_MIN, INT_MAX));
}

bool WriteProfileString(const std::filesystem::path& path, std::string_view section, std::string_view key,
                        std::string_view value)
{
    if (!ProfileDocument::IsWritable(section, key, value))
        return false;
    return ModifyProfile(path, [&](ProfileDocument& document) { return document.Set(section, key, value); });
}

bool DeleteProfileKey(const std::filesystem::path& path, std::string_view section, std::string_view key)
{
    return ModifyProfile(path, [&](ProfileDocument& document) { return document.Remove(section, key); });
}

}  // namespace platform
