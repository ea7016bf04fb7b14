#include "common/HtmlReport.h"

#include <algorithm>

#include "platform/NumberFormat.h"

namespace
{

constexpr const char* kTableOpen =
    "<TABLE border=\"1\" cellpadding=\"4\" bordercolordark=\"#666666\" bordercolorlight=\"#999999\">\n";
constexpr const char* kTableClose = "</TABLE>\n";

// A third-row value above this is shown in red.
constexpr float kBandMarkAbove = 30.0f;

std::string Cell(const std::string& text)
{
    return "<TD> " + text + " </TD>\n";
}

std::string HeaderRow(std::initializer_list<const std::string*> captions)
{
    std::string row = "<TR>\n ";
    for (const std::string* caption : captions)
        row += "<TD> " + *caption + " </TD> ";
    return row + "\n </TR>\n";
}

std::string DataRows(std::initializer_list<const std::vector<std::string>*> columns)
{
    std::string rows;
    const std::size_t count = (*columns.begin())->size();
    for (std::size_t i = 0; i < count; ++i)
    {
        rows += "<TR>\n";
        for (const std::vector<std::string>* column : columns)
            rows += Cell(i < column->size() ? (*column)[i] : std::string());
        rows += "</TR>\n";
    }
    return rows;
}

}  // namespace

std::FILE* CHtmlReport::Open()
{
    if (m_pFile != nullptr)
        std::fclose(m_pFile);
    m_pFile = std::fopen(m_strPath.c_str(), "w");
    if (m_pFile != nullptr)
        Write("<HTML>\n<HEAD>\n<META charset=\"utf-8\">\n<TITLE>" + m_strTitle + "</TITLE>\n</HEAD><BODY>\n");
    return m_pFile;
}

int CHtmlReport::Close()
{
    if (m_pFile == nullptr)
        return 0;
    Write("</BODY>\n</HTML>");
    std::fclose(m_pFile);
    m_pFile = nullptr;
    return 0;
}

int CHtmlReport::Write(const std::string& text)
{
    if (m_pFile == nullptr)
        return 0;
    return static_cast<int>(std::fwrite(text.data(), 1, text.size(), m_pFile));
}

void CHtmlReport::Heading1(const std::string& text)
{
    Write("<h1>" + text + "</h1>\n");
}

void CHtmlReport::Heading2(const std::string& text)
{
    Write("<h2>" + text + "</h2>\n");
}

void CHtmlReport::Heading3(const std::string& text)
{
    Write("<h3>" + text + "</h3>\n");
}

void CHtmlReport::WriteText(const std::string& text)
{
    Write(text + "\n");
}

int CHtmlReport::HorizontalRule()
{
    return Write("<HR>\n");
}

int CHtmlReport::LineBreak()
{
    return Write("<BR>\n");
}

void CHtmlReport::WriteLine(const std::string& text)
{
    WriteText(text);
    LineBreak();
}

void CHtmlReport::Image(const std::string& source)
{
    Write("<IMG SRC=\"" + source + "\" ALIGN=center>\n");
}

void CHtmlReport::Link(const std::string& text, const std::string& target)
{
    Write("<a href=\"" + target + "\">" + text + "</a>\n");
}

std::string MakeHtmlBandTable(double lower, double upper, std::span<const float> x,
                              std::span<const float> second, std::span<const float> third, int count,
                              const std::string& caption1, const std::string& caption2,
                              const std::string& caption3)
{
    std::vector<std::size_t> bands;
    const std::size_t n =
        std::min({static_cast<std::size_t>(std::max(count, 0)), x.size(), second.size(), third.size()});
    for (std::size_t i = 0; i < n; ++i)
    {
        const double value = x[i];
        if (value >= lower && value <= upper)  // false for a value that is not a number
            bands.push_back(i);
    }

    auto row = [&](const std::string& caption, std::span<const float> values, bool mark)
    {
        std::string text = "<TR>\n <TD> " + caption + " </TD> \n";
        for (std::size_t i : bands)
        {
            const char* attribute = mark && values[i] > kBandMarkAbove ? "bgcolor=\"#FF0000\"" : "";
            text += mark ? platform::FormatC("<TD %s > %.0f </TD>\n", attribute, values[i])
                         : platform::FormatC("<TD> %.0f </TD>\n", values[i]);
        }
        return text + "\n</TR>\n\n";
    };

    return kTableOpen + row(caption1, x, false) + row(caption2, second, false) + row(caption3, third, true) +
           kTableClose;
}

std::string MakeHtmlValueTable(std::span<const float> first, std::span<const float> second, int count,
                               const std::string& caption1, const std::string& caption2)
{
    std::string table = kTableOpen + HeaderRow({&caption1, &caption2});
    const std::size_t n =
        std::min({static_cast<std::size_t>(std::max(count, 0)), first.size(), second.size()});
    for (std::size_t i = 0; i < n; ++i)
        table += "<TR>\n" + platform::FormatC("<TD> %.1f </TD>\n<TD> %.1f </TD>\n", first[i], second[i]) +
                 "</TR>\n";
    return table + kTableClose;
}

std::string MakeHtmlTable2(const std::vector<std::string>& column1, const std::vector<std::string>& column2,
                           const std::string& caption1, const std::string& caption2)
{
    std::string table = kTableOpen;
    if (!caption1.empty() && !caption2.empty())
        table += HeaderRow({&caption1, &caption2});
    return table + DataRows({&column1, &column2}) + kTableClose;
}

std::string MakeHtmlTable3(const std::vector<std::string>& column1, const std::vector<std::string>& column2,
                           const std::vector<std::string>& column3, const std::string& caption1,
                           const std::string& caption2, const std::string& caption3)
{
    std::string table = kTableOpen;
    if (!caption1.empty() && !caption2.empty())
        table += HeaderRow({&caption1, &caption2, &caption3});
    return table + DataRows({&column1, &column2, &column3}) + kTableClose;
}

std::string MakeHtmlTable4(const std::vector<std::string>& column1, const std::vector<std::string>& column2,
                           const std::vector<std::string>& column3, const std::vector<std::string>& column4,
                           const std::string& caption1, const std::string& caption2,
                           const std::string& caption3, const std::string& caption4)
{
    std::string table = std::string(kTableOpen) + "<TR>\n";
    for (const std::string* caption : {&caption1, &caption2, &caption3, &caption4})
        table += Cell(*caption);
    return table + "</TR>\n" + DataRows({&column1, &column2, &column3, &column4}) + kTableClose;
}
