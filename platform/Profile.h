// Profile (INI) files: sections in square brackets and "key=value" lines. Section and key names match
// without regard to case, the first matching section and the first matching key in it win, and a
// write changes one line and keeps every other line of the file as it was.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform
{

// One profile file held in memory as its lines. Parse never fails: lines that are neither a section
// header nor a key line are kept as they are and take no part in look-ups. Not thread-safe; a
// document is a value owned by one thread at a time.
class ProfileDocument
{
public:
    // Bytes that are not valid UTF-8 are decoded as Windows-1252; CRLF and LF line ends both work.
    static ProfileDocument Parse(std::string_view bytes);

    // The value of the first matching key in the first matching section, with surrounding blanks and
    // one pair of matching quotes removed; false when there is no such key.
    bool Find(std::string_view section, std::string_view key, std::string& value) const;

    // Replaces the first matching key's line, or adds the key at the end of the first matching
    // section, or adds the section at the end of the document. False (and nothing changed) when
    // IsWritable refuses the names or the value.
    bool Set(std::string_view section, std::string_view key, std::string_view value);

    // Removes the first matching key's line; false when there was none.
    bool Remove(std::string_view section, std::string_view key);

    // The document in UTF-8. Untouched lines come back exactly; new lines use the document's line end.
    std::string ToBytes() const;

    // False for names or values that would break the file's structure: a section with ']' or a line
    // break, a key that is blank, holds '=' or a line break or would read as a comment or a section
    // header, a value with a line break.
    static bool IsWritable(std::string_view section, std::string_view key, std::string_view value);

private:
    enum class Kind
    {
        Other,    // comment, blank line or anything else
        Section,  // "[name]"
        Key       // "key=value"
    };

    struct Line
    {
        std::string text;  // without its line end
        std::string end;   // "\r\n", "\n", or empty for a last line without one
        Kind kind = Kind::Other;
        std::string name;  // section or key name, blanks removed
    };

    static Line MakeLine(std::string text, std::string end);
    // Index of the first line of the first matching section's body, or npos.
    std::size_t FindSectionBody(std::string_view section) const;
    // Index of the first matching key line in the section body starting at `body`, or npos.
    std::size_t FindKeyLine(std::size_t body, std::string_view key) const;
    // The line of the key in the first matching section, or npos.
    std::size_t FindKey(std::string_view section, std::string_view key) const;
    std::size_t SectionEnd(std::size_t body) const;
    // The look-up table of section headers (ASCII names folded to lower case, the first of equal
    // names kept), so that documents of many thousand sections are read and built in linear time.
    // Built by Parse and rebuilt by the next Set after lines were inserted before the end or removed,
    // never by a look-up (a parsed document may be read by several threads at once); while it is
    // not valid, look-ups search line by line. Not used while any section name is not plain ASCII
    // (those match by the full case folding).
    void IndexSections();
    std::unordered_map<std::string, std::size_t> m_sectionIndex;
    bool m_indexValid = false;
    bool m_indexUsable = false;

    std::vector<Line> m_lines;
    std::string m_lineEnd = "\n";  // for lines this document adds
    bool m_byteOrderMark = false;
};

// Reads one value (blanks and one pair of quotes removed); false when the file, the section or the
// key is missing. An unchanged file is parsed once and then served from a cache.
bool ReadProfileString(const std::filesystem::path& path, std::string_view section, std::string_view key,
                       std::string& value);

// The value, or defaultValue when it is missing.
std::string GetProfileString(const std::filesystem::path& path, std::string_view section,
                             std::string_view key, std::string_view defaultValue);

// The leading signed decimal integer of the value (0 when there is none; out-of-range values
// saturate), or defaultValue when the key is missing.
int GetProfileInt(const std::filesystem::path& path, std::string_view section, std::string_view key,
                  int defaultValue);

// Sets one value, creating the file and the section when missing. The read-modify-write holds the
// file's lock and the new content replaces the file atomically. False when the names or the value are
// refused (file untouched) or the file cannot be written.
bool WriteProfileString(const std::filesystem::path& path, std::string_view section, std::string_view key,
                        std::string_view value);

// One read-modify-write of the whole file under its lock, replacing the file atomically: several values
// land together or not at all. `change` returns false when the document stays as it was; the file is
// then left alone (and true returned). False when the file cannot be read or written.
bool ModifyProfile(const std::filesystem::path& path, const std::function<bool(ProfileDocument&)>& change);

// Removes one key; true when it was removed or was not there, false when the file cannot be written.
bool DeleteProfileKey(const std::filesystem::path& path, std::string_view section, std::string_view key);

}  // namespace platform
