// Shortening a cell text to a column: the text itself when it fits, else as many of its first
// characters as fit with "..." after them (at least one character always stays). Pure: the width
// of a text comes from the caller's measuring function, so lists, grids and tests share it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// Pixels a text takes in the font the caller draws with.
using TextMeasure = std::function<int(std::string_view text)>;

// Longest text that is shortened; a longer one is cut to this many characters first.
inline constexpr int kShortenLimit = 1023;

// Characters are counted as UTF-8 sequences: a cut never splits one.
std::string ShortenToWidth(std::string_view text, int width, const TextMeasure& measure);
