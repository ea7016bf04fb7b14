#include "platform/Registry.h"

#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "platform/FileReplace.h"
#include "platform/NumberFormat.h"
#include "platform/Places.h"
#include "platform/Text.h"

// The file is UTF-8 text, one item a line:
//   ; comment
//   [Software\Maker\Program]        a key, its path from the root ("[]" is the root itself)
//   dword Name=4294967295           values of the key above, in stored order
//   string Name=text
//   binary Name=00ff7f
// Names, key segments and strings escape '%', control characters and the characters that delimit
// them as %HH; when the bytes are not valid UTF-8, every byte above 0x7F is escaped as well, so any
// content survives the round trip and the file stays UTF-8.

namespace platform
{
namespace
{

constexpr std::string_view kFileHeader = "; Tessarin registry 1\n";

struct NamedValue
{
    std::string name;
    RegistryValue value;
};

struct Node
{
    std::string name;
    std::vector<NamedValue> values;
    std::vector<std::unique_ptr<Node>> children;
};

// ----- escaping -----

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr char kLowerHexDigits[] = "0123456789abcdef";

std::string Escape(std::string_view bytes, std::string_view delimiters)
{
    const bool validUtf8 = IsValidUtf8(bytes);
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes)
    {
        const auto byte = static_cast<unsigned char>(c);
        const bool escape = byte < 0x20 || byte == 0x7F || c == '%' ||
                            delimiters.find(c) != std::string_view::npos || (byte >= 0x80 && !validUtf8);
        if (escape)
        {
            out += '%';
            out += kHexDigits[byte >> 4];
            out += kHexDigits[byte & 15];
        }
        else
        {
            out += c;
        }
    }
    return out;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Undoes Escape; nullopt for a broken escape or a result longer than maxBytes.
std::optional<std::string> Unescape(std::string_view text, std::size_t maxBytes)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        if (out.size() >= maxBytes)
            return std::nullopt;
        if (text[i] != '%')
        {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        const int high = HexValue(text[i + 1]);
        const int low = HexValue(text[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

std::string ToHex(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes)
    {
        const auto byte = static_cast<unsigned char>(c);
        out += kLowerHexDigits[byte >> 4];
        out += kLowerHexDigits[byte & 15];
    }
    return out;
}

std::optional<std::string> FromHex(std::string_view text)
{
    if (text.size() % 2 != 0 || text.size() / 2 > kRegistryMaxValueBytes)
        return std::nullopt;
    std::string out;
    out.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2)
    {
        const int high = HexValue(text[i]);
        const int low = HexValue(text[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
    }
    return out;
}

std::string DwordBytes(std::uint32_t value)
{
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

std::uint32_t DwordValue(std::string_view bytes)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

std::optional<std::string> ParseDword(std::string_view text)
{
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    std::size_t used = 0;
    const std::int64_t value = ParseInt64(text, &used);
    if (used != text.size() || value < 0 || value > 0xFFFFFFFFll)
        return std::nullopt;
    return DwordBytes(static_cast<std::uint32_t>(value));
}

// ----- paths and lookups -----

// The segments of a key path; nullopt when a segment or the depth breaks a limit.
std::optional<std::vector<std::string>> SplitPath(std::string_view path,
                                                  std::size_t maxSegmentBytes = kRegistryMaxKeyNameBytes)
{
    std::vector<std::string> segments;
    while (!path.empty())
    {
        const std::size_t end = std::min(path.find('\\'), path.size());
        if (end > 0)
        {
            if (end > maxSegmentBytes || segments.size() >= kRegistryMaxDepth)
                return std::nullopt;
            segments.emplace_back(path.substr(0, end));
        }
        path.remove_prefix(std::min(end + 1, path.size()));
    }
    return segments;
}

std::string JoinPath(std::string_view base, std::string_view relative)
{
    if (base.empty())
        return std::string(relative);
    if (relative.empty())
        return std::string(base);
    return std::string(base) + "\\" + std::string(relative);
}

Node* FindChild(const Node& node, std::string_view name)
{
    for (const auto& child : node.children)
        if (EqualsNoCase(child->name, name))
            return child.get();
    return nullptr;
}

const Node* FindKey(const Node& root, const std::vector<std::string>& segments)
{
    const Node* node = &root;
    for (const std::string& segment : segments)
    {
        node = FindChild(*node, segment);
        if (!node)
            return nullptr;
    }
    return node;
}

Node* FindKey(Node& root, const std::vector<std::string>& segments)
{
    return const_cast<Node*>(FindKey(static_cast<const Node&>(root), segments));
}

// Returns true when anything was added.
bool CreateKey(Node& root, const std::vector<std::string>& segments)
{
    bool added = false;
    Node* node = &root;
    for (const std::string& segment : segments)
    {
        Node* child = FindChild(*node, segment);
        if (!child)
        {
            node->children.push_back(std::make_unique<Node>());
            child = node->children.back().get();
            child->name = segment;
            added = true;
        }
        node = child;
    }
    return added;
}

NamedValue* FindValue(Node& node, std::string_view name)
{
    for (NamedValue& value : node.values)
        if (EqualsNoCase(value.name, name))
            return &value;
    return nullptr;
}

// ----- file form -----

// Matches names the way EqualsNoCase does, for the lookups of a parse (a hostile file with many
// names must not make loading quadratic).
std::string IndexKey(const Node* node, std::string_view name)
{
    std::string key(reinterpret_cast<const char*>(&node), sizeof node);
    key += ToUpperLatin1(name);
    return key;
}

// Parses the store. A line that cannot be taken (a broken key or value, a value outside any key, a
// second value of one name) is skipped and sets damaged, as does text that does not start with the
// store's header line: rewriting such a file would drop what it held.
std::unique_ptr<Node> Parse(std::string_view text, bool* damaged = nullptr)
{
    bool skipped = !text.starts_with(kFileHeader);
    const auto skip = [&skipped] { skipped = true; };
    auto root = std::make_unique<Node>();
    std::unordered_map<std::string, Node*> keys;
    std::unordered_set<std::string> valueNames;
    Node* current = nullptr;

    while (!text.empty())
    {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == ';')
            continue;

        if (line.front() == '[')
        {
            current = nullptr;
            if (line.size() < 2 || line.back() != ']')
            {
                skip();
                continue;
            }
            // Escaping may triple a name's length.
            const auto segments = SplitPath(line.substr(1, line.size() - 2), 3 * kRegistryMaxKeyNameBytes);
            if (!segments)
            {
                skip();
                continue;
            }
            Node* node = root.get();
            for (const std::string& escaped : *segments)
            {
                const auto name = Unescape(escaped, kRegistryMaxKeyNameBytes);
                // A separator inside a name would make the key unreachable by its path.
                if (!name || name->find('\\') != std::string::npos)
                {
                    node = nullptr;
                    break;
                }
                const std::string key = IndexKey(node, *name);
                const auto found = keys.find(key);
                if (found != keys.end())
                {
                    node = found->second;
                    continue;
                }
                node->children.push_back(std::make_unique<Node>());
                Node* child = node->children.back().get();
                child->name = *name;
                keys.emplace(key, child);
                node = child;
            }
            current = node;
            if (!current)
                skip();
            continue;
        }

        const std::size_t space = line.find(' ');
        const std::size_t equals = space == std::string_view::npos ? space : line.find('=', space + 1);
        if (!current || equals == std::string_view::npos)
        {
            skip();
            continue;
        }
        const std::string_view type = line.substr(0, space);
        const std::string_view data = line.substr(equals + 1);
        const auto name = Unescape(line.substr(space + 1, equals - space - 1), kRegistryMaxValueNameBytes);
        if (!name)
        {
            skip();
            continue;
        }

        NamedValue value;
        value.name = *name;
        std::optional<std::string> bytes;
        if (type == "dword")
        {
            value.value.type = RegistryType::Dword;
            bytes = ParseDword(data);
        }
        else if (type == "string")
        {
            value.value.type = RegistryType::String;
            bytes = Unescape(data, kRegistryMaxValueBytes);
        }
        else if (type == "binary")
        {
            value.value.type = RegistryType::Binary;
            bytes = FromHex(data);
        }
        // The first of two values with one name holds, as it does for lookups.
        if (!bytes || !valueNames.insert(IndexKey(current, *name)).second)
        {
            skip();
            continue;
        }
        value.value.data = std::move(*bytes);
        current->values.push_back(std::move(value));
    }
    if (damaged)
        *damaged = skipped;
    return root;
}

void SerializeKey(const Node& node, std::string& path, bool isRoot, std::string& out)
{
    if (!isRoot || !node.values.empty())
    {
        out += '[';
        out += path;
        out += "]\n";
    }
    for (const NamedValue& value : node.values)
    {
        const std::string name = Escape(value.name, "=");
        switch (value.value.type)
        {
            case RegistryType::Dword:
                out += "dword " + name + "=" +
                       FormatC("%u", static_cast<unsigned>(DwordValue(value.value.data)));
                break;
            case RegistryType::String:
                out += "string " + name + "=" + Escape(value.value.data, "");
                break;
            case RegistryType::Binary:
                out += "binary " + name + "=" + ToHex(value.value.data);
                break;
        }
        out += '\n';
    }
    for (const auto& child : node.children)
    {
        const std::size_t length = path.size();
        if (!isRoot)
            path += '\\';
        path += Escape(child->name, "\\[]");
        SerializeKey(*child, path, false, out);
        path.resize(length);
    }
}

std::string Serialize(const Node& root)
{
    std::string out(kFileHeader);
    std::string path;
    SerializeKey(root, path, true, out);
    return out;
}

// ----- loading and the cache -----

enum class LoadStatus
{
    Loaded,
    Missing,
    Unreadable,
};

// Reads the whole store, bounded by the size limit; only a regular file is read, and a pipe in the
// store's place cannot hold start-up at the open.
LoadStatus ReadStore(const std::filesystem::path& path, std::string& bytes)
{
    switch (ReadRegularFile(path, bytes, kRegistryMaxFileBytes))
    {
        case ReadFileStatus::Read:
            return LoadStatus::Loaded;
        case ReadFileStatus::Missing:
            return LoadStatus::Missing;
        default:
            return LoadStatus::Unreadable;
    }
}

// The last parsed file. It is validated by the file's whole content, not by inode and time stamps:
// those can stay the same across a quick second replacement (inodes are reused, time stamps are
// coarse), and comparing a small file costs far less than parsing it.
struct ParsedCache
{
    std::mutex mutex;
    std::filesystem::path path;
    std::string bytes;
    std::shared_ptr<const Node> root;
};

ParsedCache& TheCache()
{
    static ParsedCache cache;
    return cache;
}

void Remember(const std::filesystem::path& path, std::string bytes, std::shared_ptr<const Node> root)
{
    ParsedCache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    cache.path = path;
    cache.bytes = std::move(bytes);
    cache.root = std::move(root);
}

// The tree of the file as it is now; an empty tree when there is no readable file.
std::shared_ptr<const Node> CurrentTree()
{
    const std::filesystem::path path = RegistryFile();
    std::string bytes;
    if (ReadStore(path, bytes) != LoadStatus::Loaded)
        return std::make_shared<const Node>();
    {
        ParsedCache& cache = TheCache();
        std::lock_guard lock(cache.mutex);
        if (cache.root && cache.path == path && cache.bytes == bytes)
            return cache.root;
    }
    std::shared_ptr<const Node> root = Parse(bytes);
    Remember(path, std::move(bytes), root);
    return root;
}

std::mutex g_warningMutex;
std::string g_warning;

void SetWarning(std::string text)
{
    std::lock_guard lock(g_warningMutex);
    if (g_warning.empty())
        g_warning = std::move(text);
}

// Writes the damaged store's bytes beside it as "registry.damaged-<time>" (a new name each time).
bool KeepDamagedStore(const std::filesystem::path& path, const std::string& bytes)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::filesystem::path aside = path;
    aside += std::string(".damaged-") + stamp;
    for (int n = 2; std::filesystem::exists(aside) && n < 1000; ++n)
    {
        aside = path;
        aside += std::string(".damaged-") + stamp + "-" + std::to_string(n);
    }
    if (!ReplaceFileAtomically(aside, bytes))
        return false;
    SetWarning("The settings file " + path.string() +
               " was damaged. What could be read is kept; the whole file was saved as " + aside.string() +
               ".");
    return true;
}

enum class Change
{
    Changed,
    Unchanged,
    Missing,  // what was to be changed does not exist: nothing written, the caller reports false
    Failed,
};

// Applies one change to the file as it is under the lock and writes the result.
Change Modify(const std::function<Change(Node&)>& apply)
{
    const std::filesystem::path path = RegistryFile();
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    FileLock lock(path);
    std::string bytes;
    // A file we cannot read is not ours to overwrite.
    const LoadStatus status = ReadStore(path, bytes);
    if (status == LoadStatus::Unreadable)
        return Change::Failed;
    bool damaged = false;
    std::unique_ptr<Node> root = Parse(bytes, &damaged);
    damaged = damaged && status == LoadStatus::Loaded;
    const Change change = apply(*root);
    if (change != Change::Changed)
        return change;
    // What the rewrite would drop is kept aside first, and the user hears of it once.
    if (damaged && !KeepDamagedStore(path, bytes))
        return Change::Failed;
    std::string text = Serialize(*root);
    if (text.size() > kRegistryMaxFileBytes || !ReplaceFileAtomically(path, text))
    {
        if (IsReadOnlyFile(path))
            SetWarning("The settings file " + path.string() +
                       " is read-only: settings changed from now on are not kept.");
        return Change::Failed;
    }
    Remember(path, std::move(text), std::move(root));
    return Change::Changed;
}

bool IsSuccess(Change change)
{
    return change == Change::Changed || change == Change::Unchanged;
}

bool DeleteKeyAt(const std::vector<std::string>& segments)
{
    if (segments.empty())
        return false;
    const Change change = Modify(
        [&](Node& root)
        {
            Node* parent = FindKey(root, {segments.begin(), segments.end() - 1});
            if (!parent)
                return Change::Missing;
            auto& children = parent->children;
            for (auto it = children.begin(); it != children.end(); ++it)
            {
                if (EqualsNoCase((*it)->name, segments.back()))
                {
                    children.erase(it);
                    return Change::Changed;
                }
            }
            return Change::Missing;
        });
    return change == Change::Changed;
}

}  // namespace

std::string TakeRegistryWarning()
{
    std::lock_guard lock(g_warningMutex);
    return std::exchange(g_warning, std::string());
}

std::filesystem::path RegistryFile()
{
    return ConfigFolder() / "registry";
}

RegistryKey::RegistryKey(std::vector<std::string> segments, std::string path)
    : m_segments(std::move(segments)), m_path(std::move(path)), m_open(true)
{
}

RegistryKey RegistryKey::Open(std::string_view path, bool create)
{
    auto segments = SplitPath(path);
    if (!segments)
        return {};
    if (FindKey(*CurrentTree(), *segments))
        return RegistryKey(std::move(*segments), std::string(path));
    if (!create)
        return {};
    const Change change =
        Modify([&](Node& root) { return CreateKey(root, *segments) ? Change::Changed : Change::Unchanged; });
    if (!IsSuccess(change))
        return {};
    return RegistryKey(std::move(*segments), std::string(path));
}

void RegistryKey::Close()
{
    m_segments.clear();
    m_path.clear();
    m_open = false;
}

RegistryKey RegistryKey::OpenSubKey(std::string_view relativePath, bool create) const
{
    if (!m_open)
        return {};
    return Open(JoinPath(m_path, relativePath), create);
}

std::optional<RegistryValue> RegistryKey::ReadValue(std::string_view name) const
{
    if (!m_open)
        return std::nullopt;
    const std::shared_ptr<const Node> root = CurrentTree();
    const Node* key = FindKey(*root, m_segments);
    if (!key)
        return std::nullopt;
    for (const NamedValue& value : key->values)
        if (EqualsNoCase(value.name, name))
            return value.value;
    return std::nullopt;
}

bool RegistryKey::WriteValue(std::string_view name, RegistryType type, std::string_view data) const
{
    if (!m_open || name.size() > kRegistryMaxValueNameBytes || data.size() > kRegistryMaxValueBytes)
        return false;
    if (type == RegistryType::Dword && data.size() != 4)
        return false;
    const Change change = Modify(
        [&](Node& root)
        {
            Node* key = FindKey(root, m_segments);
            if (!key)
                return Change::Failed;
            if (NamedValue* value = FindValue(*key, name))
            {
                if (value->value.type == type && value->value.data == data)
                    return Change::Unchanged;
                value->value.type = type;
                value->value.data = std::string(data);
                return Change::Changed;
            }
            key->values.push_back({std::string(name), {type, std::string(data)}});
            return Change::Changed;
        });
    return IsSuccess(change);
}

bool RegistryKey::DeleteValue(std::string_view name) const
{
    if (!m_open)
        return false;
    const Change change = Modify(
        [&](Node& root)
        {
            Node* key = FindKey(root, m_segments);
            if (!key)
                return Change::Missing;
            for (auto it = key->values.begin(); it != key->values.end(); ++it)
            {
                if (EqualsNoCase(it->name, name))
                {
                    key->values.erase(it);
                    return Change::Changed;
                }
            }
            return Change::Missing;
        });
    return change == Change::Changed;
}

bool RegistryKey::DeleteSubKey(std::string_view relativePath) const
{
    if (!m_open)
        return false;
    const auto relative = SplitPath(relativePath);
    if (!relative || relative->empty())
        return false;
    std::vector<std::string> segments = m_segments;
    segments.insert(segments.end(), relative->begin(), relative->end());
    return DeleteKeyAt(segments);
}

std::vector<std::string> RegistryKey::SubKeyNames() const
{
    std::vector<std::string> names;
    if (!m_open)
        return names;
    const std::shared_ptr<const Node> root = CurrentTree();
    if (const Node* key = FindKey(*root, m_segments))
        for (const auto& child : key->children)
            names.push_back(child->name);
    return names;
}

std::vector<std::string> RegistryKey::ValueNames() const
{
    std::vector<std::string> names;
    if (!m_open)
        return names;
    const std::shared_ptr<const Node> root = CurrentTree();
    if (const Node* key = FindKey(*root, m_segments))
        for (const NamedValue& value : key->values)
            names.push_back(value.name);
    return names;
}

bool DeleteRegistryKey(std::string_view path)
{
    const auto segments = SplitPath(path);
    return segments && DeleteKeyAt(*segments);
}

}  // namespace platform
