// The plain HTML page every report is written as, one file written front to back, and the table
// builders the report writers share. Nothing is escaped: texts go out exactly as the caller passes
// them, so callers may embed markup. Files are UTF-8 (the reports carry German texts and "°").
// A report belongs to the one thread that writes it.
#pragma once

#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

class CHtmlReport
{
public:
    CHtmlReport() = default;
    // Does not close an open file: writers call Close before the object goes away.
    virtual ~CHtmlReport() = default;
    CHtmlReport(const CHtmlReport&) = delete;
    CHtmlReport& operator=(const CHtmlReport&) = delete;

    // Creates (or truncates) m_strPath and writes the page head with m_strTitle. Returns the file,
    // null when it cannot be created; every later call is then harmless and writes nothing.
    std::FILE* Open();
    // Ends the page and closes the file. Returns 0.
    int Close();

    void Heading1(const std::string& text);
    void Heading2(const std::string& text);
    void Heading3(const std::string& text);
    void WriteText(const std::string& text);
    // Each returns the count of characters written (0 while no file is open).
    int HorizontalRule();
    int LineBreak();
    // The text, then a line break.
    void WriteLine(const std::string& text);
    void Image(const std::string& source);
    void Link(const std::string& text, const std::string& target);

    std::string m_strTitle;
    std::filesystem::path m_strPath;

private:
    int Write(const std::string& text);

    std::FILE* m_pFile = nullptr;
};

// The table builders: each returns one complete table and writes nothing.

// A band table on its side: one column per band whose x lies within [lower, upper], rows of x,
// the second values and the third values; a third value above 30 gets a red cell. Values print
// as whole numbers.
std::string MakeHtmlBandTable(double lower, double upper, std::span<const float> x,
                              std::span<const float> second, std::span<const float> third, int count,
                              const std::string& caption1, const std::string& caption2,
                              const std::string& caption3);

// Two numeric columns with one decimal under a header row of the two captions.
std::string MakeHtmlValueTable(std::span<const float> first, std::span<const float> second, int count,
                               const std::string& caption1, const std::string& caption2);

// Text tables, one row per element of the first column; the others must be at least as long.
// The header row is written when both captions (of the first two) are non-empty for two and
// three columns, always for four.
std::string MakeHtmlTable2(const std::vector<std::string>& column1, const std::vector<std::string>& column2,
                           const std::string& caption1, const std::string& caption2);
std::string MakeHtmlTable3(const std::vector<std::string>& column1, const std::vector<std::string>& column2,
                           const std::vector<std::string>& column3, const std::string& caption1,
                           const std::string& caption2, const std::string& caption3);
std::string MakeHtmlTable4(const std::vector<std::string>& column1, const std::vector<std::string>& column2,
                           const std::vector<std::string>& column3, const std::vector<std::string>& column4,
                           const std::string& caption1, const std::string& caption2,
                           const std::string& caption3, const std::string& caption4);
