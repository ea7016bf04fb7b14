// The program's simplest exchange files: lists of floats (text or raw binary), tables of number
// pairs and triples, and lists of strings. Numbers are written and read in the C locale; text is
// written as UTF-8 with LF line ends, and the readers also take CRLF files and Windows-1252 text.
// No state is kept: every function may be called from any thread.
#pragma once

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Longest line the line-based readers take at once; a longer line is read in several pieces.
inline constexpr std::size_t kTextDataLineCharacters = 8191;

// Most elements a string-list file may announce; a larger count is cut to this.
inline constexpr std::size_t kMaxStringListCount = 1000000;

// Writers. Each returns the number of values written, 0 when the file cannot be opened.
// Text lists hold one value per line ("%e"); binary lists hold raw little-endian 4-byte floats.
int WriteFloatList(const std::filesystem::path& path, std::span<const float> values);
int AppendFloatList(const std::filesystem::path& path, std::span<const float> values);
int WriteFloatBinary(const std::filesystem::path& path, std::span<const float> values);
int AppendFloatBinary(const std::filesystem::path& path, std::span<const float> values);

// The element count on the first line, then one element per line. Returns 0, or -1 when the file
// cannot be created (the callers do not look at the result).
int WriteStringList(const std::filesystem::path& path, const std::vector<std::string>& list);

// Replaces the list with the file's elements: as many as the count line announces (at most
// kMaxStringListCount), the ones missing at the end of the file empty. A count line without a
// number gives an empty list. Returns 0, or -1 when the file cannot be opened (the list is then
// untouched).
int ReadStringList(const std::filesystem::path& path, std::vector<std::string>& list);

// Numbers separated by any white space, up to the first text that is not a number or
// values.size() of them. Returns the count stored, -1 when the file cannot be opened.
int ReadFloatList(const std::filesystem::path& path, std::span<float> values);

// One pair per line; lines without two leading numbers (headings, comments, blank lines) are
// skipped. Stores at most as many pairs as the smaller array holds. Returns the count of pairs,
// -1 when the file cannot be opened.
int ReadFloatPairs(const std::filesystem::path& path, std::span<float> first, std::span<float> second);

// Numbers taken three at a time up to the first text that is not a number; an incomplete last
// triple is dropped. Stores at most as many triples as the smallest array holds. Returns the count
// of triples, -1 when the file cannot be opened.
int ReadFloatTriples(const std::filesystem::path& path, std::span<float> first, std::span<float> second,
                     std::span<float> third);

// Numbers from the start of the file up to the first text that is not a number; -1 when the file
// cannot be opened.
int CountFloatsInFile(const std::filesystem::path& path);

// 1 when the path names a file that can be opened for reading, else 0 (a folder gives 0).
int IsFileReadable(const std::filesystem::path& path);
int FileExists(const std::filesystem::path& path);

// Appends the pieces of the text between any of the separator characters to the list (which is
// not cleared first): adjacent separators give empty pieces, a text without separators one piece.
void SplitString(std::string_view text, std::string_view separators, std::vector<std::string>& pieces);

// The text before its first line feed, then before its first carriage return.
std::string StripLineEnd(std::string_view text);
