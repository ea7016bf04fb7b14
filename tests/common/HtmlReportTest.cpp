#include "common/HtmlReport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string_view>

#include "tests/support/FileBytes.h"
#include "tests/support/NumericLocale.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempHome.h"

namespace
{

using HtmlReport = testsupport::TempHomeTest;

constexpr std::string_view kOpen =
    "<TABLE border=\"1\" cellpadding=\"4\" bordercolordark=\"#666666\" bordercolorlight=\"#999999\">\n";

// The opening tag, the pieces and the closing tag of one table.
std::string Table(std::initializer_list<std::string_view> pieces)
{
    std::string text(kOpen);
    for (std::string_view piece : pieces)
        text += piece;
    return text + "</TABLE>\n";
}

TEST_F(HtmlReport, EmptyReportIsTheHeadThenTheEndWithoutALineEnd)
{
    CHtmlReport report;
    report.m_strTitle = "Impulse <1> & \xC2\xB0";
    report.m_strPath = m_home.File("empty.htm");
    ASSERT_NE(report.Open(), nullptr);
    EXPECT_EQ(report.Close(), 0);
    EXPECT_EQ(
        testsupport::ReadBytes(report.m_strPath),
        "<HTML>\n<HEAD>\n<META charset=\"utf-8\">\n<TITLE>Impulse <1> & \xC2\xB0</TITLE>\n</HEAD><BODY>\n"
        "</BODY>\n</HTML>");
}

TEST_F(HtmlReport, EveryWritingOperationWritesItsExactStringUnescaped)
{
    CHtmlReport report;
    report.m_strPath = m_home.File("all.htm");
    ASSERT_NE(report.Open(), nullptr);
    report.Heading1("A<b>");
    report.Heading2("B&");
    report.Heading3("C>");
    report.WriteText("text");
    EXPECT_EQ(report.HorizontalRule(), 5);
    EXPECT_EQ(report.LineBreak(), 5);
    report.WriteLine("line");
    report.Image("pic.png");
    report.Link("Details", "details.htm");
    report.Close();
    EXPECT_EQ(testsupport::ReadBytes(report.m_strPath),
              "<HTML>\n<HEAD>\n<META charset=\"utf-8\">\n<TITLE></TITLE>\n</HEAD><BODY>\n"
              "<h1>A<b></h1>\n<h2>B&</h2>\n<h3>C></h3>\ntext\n<HR>\n<BR>\nline\n<BR>\n"
              "<IMG SRC=\"pic.png\" ALIGN=center>\n<a href=\"details.htm\">Details</a>\n</BODY>\n</HTML>");
}

TEST_F(HtmlReport, OpenTruncatesAnExistingFile)
{
    const auto path = m_home.File("old.htm");
    ASSERT_TRUE(testsupport::WriteBytes(path, std::string(5000, 'x')));
    CHtmlReport report;
    report.m_strPath = path;
    ASSERT_NE(report.Open(), nullptr);
    report.Close();
    EXPECT_EQ(testsupport::ReadBytes(path).find('x'), std::string::npos);
}

TEST_F(HtmlReport, AFailedOpenLeavesEveryLaterCallHarmless)
{
    CHtmlReport report;
    report.m_strPath = m_home.File("missing-folder/report.htm");
    EXPECT_EQ(report.Open(), nullptr);
    report.Heading1("x");
    report.WriteLine("y");
    EXPECT_EQ(report.HorizontalRule(), 0);
    EXPECT_EQ(report.LineBreak(), 0);
    report.Link("a", "b");
    EXPECT_EQ(report.Close(), 0);
    EXPECT_EQ(report.Close(), 0);
    EXPECT_FALSE(std::filesystem::exists(report.m_strPath));
}

TEST(HtmlTables, BandTableTakesTheClosedRangeAndMarksAboveThirty)
{
    const float x[] = {400.0f, 500.0f, 1000.0f, 2000.0f, std::numeric_limits<float>::quiet_NaN()};
    const float rt[] = {812.4f, 700.5f, 650.0f, 640.0f, 1.0f};
    const float error[] = {30.0f, 30.01f, 29.6f, 31.0f, 99.0f};
    EXPECT_EQ(
        MakeHtmlBandTable(500.0, 2000.0, x, rt, error, 5, "Frequency [Hz]", "RT60 [ms]", "Error index"),
        Table({"<TR>\n <TD> Frequency [Hz] </TD> \n<TD> 500 </TD>\n<TD> 1000 </TD>\n<TD> 2000 "
               "</TD>\n\n</TR>\n\n",
               "<TR>\n <TD> RT60 [ms] </TD> \n<TD> 700 </TD>\n<TD> 650 </TD>\n<TD> 640 </TD>\n\n</TR>\n\n",
               "<TR>\n <TD> Error index </TD> \n<TD bgcolor=\"#FF0000\" > 30 </TD>\n<TD  > 30 </TD>\n",
               "<TD bgcolor=\"#FF0000\" > 31 </TD>\n\n</TR>\n\n"}));
}

TEST(HtmlTables, BandTableWithoutBandsHoldsOnlyTheCaptions)
{
    const float x[] = {100.0f};
    const std::string expected =
        Table({"<TR>\n <TD> a </TD> \n\n</TR>\n\n", "<TR>\n <TD> b </TD> \n\n</TR>\n\n",
               "<TR>\n <TD> c </TD> \n\n</TR>\n\n"});
    EXPECT_EQ(MakeHtmlBandTable(500.0, 2000.0, x, x, x, 1, "a", "b", "c"), expected);
    EXPECT_EQ(MakeHtmlBandTable(0.0, 2000.0, x, x, x, 0, "a", "b", "c"), expected);
}

TEST(HtmlTables, ValueTablePrintsOneDecimalInTheCLocale)
{
    testsupport::DecimalCommaLocale locale;
    const float first[] = {12.345f, -0.04f};
    const float second[] = {1.0f, 99.96f};
    const char* header = "<TR>\n <TD> f </TD> <TD> L </TD> \n </TR>\n";
    EXPECT_EQ(MakeHtmlValueTable(first, second, 2, "f", "L"),
              Table({header, "<TR>\n<TD> 12.3 </TD>\n<TD> 1.0 </TD>\n</TR>\n",
                     "<TR>\n<TD> -0.0 </TD>\n<TD> 100.0 </TD>\n</TR>\n"}));
    EXPECT_EQ(MakeHtmlValueTable(first, second, 0, "f", "L"), Table({header}));
}

TEST(HtmlTables, TextTablesWriteTheirHeaderRowByTheirOwnRule)
{
    const std::vector<std::string> a = {"a1", "a2"}, b = {"b1", "b2"}, c = {"c1", "c2"}, d = {"d1", "d2"};
    const char* rows2 =
        "<TR>\n<TD> a1 </TD>\n<TD> b1 </TD>\n</TR>\n<TR>\n<TD> a2 </TD>\n<TD> b2 </TD>\n</TR>\n";
    const char* row3 = "<TR>\n<TD> x </TD>\n<TD> y </TD>\n<TD> z </TD>\n</TR>\n";
    struct Case
    {
        std::string table;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {MakeHtmlTable2(a, b, "A", "B"), Table({"<TR>\n <TD> A </TD> <TD> B </TD> \n </TR>\n", rows2})},
        {MakeHtmlTable2(a, b, "A", ""), Table({rows2})},
        {MakeHtmlTable2({}, {}, "", ""), Table({})},
        {MakeHtmlTable3({"x"}, {"y"}, {"z"}, "A", "B", ""),
         Table({"<TR>\n <TD> A </TD> <TD> B </TD> <TD>  </TD> \n </TR>\n", row3})},
        {MakeHtmlTable3({"x"}, {"y"}, {"z"}, "", "B", "C"), Table({row3})},
        {MakeHtmlTable4({}, {}, {}, {}, "", "", "", ""),
         Table({"<TR>\n<TD>  </TD>\n<TD>  </TD>\n<TD>  </TD>\n<TD>  </TD>\n</TR>\n"})},
        {MakeHtmlTable4(a, b, c, d, "1", "2", "3", "4"),
         Table({"<TR>\n<TD> 1 </TD>\n<TD> 2 </TD>\n<TD> 3 </TD>\n<TD> 4 </TD>\n</TR>\n",
                "<TR>\n<TD> a1 </TD>\n<TD> b1 </TD>\n<TD> c1 </TD>\n<TD> d1 </TD>\n</TR>\n",
                "<TR>\n<TD> a2 </TD>\n<TD> b2 </TD>\n<TD> c2 </TD>\n<TD> d2 </TD>\n</TR>\n"})},
    };
    for (const Case& test : cases)
        EXPECT_EQ(test.table, test.expected);
}

}  // namespace

namespace
{

// A browser shows a report as a user opens it: German headings, "°" and the red cells of the band
// table come out as written. Rendered by a headless Chromium when one is installed; the picture is
// kept beside the page in the test output folder.
TEST(HtmlReportPage, ABrowserRendersGermanTextsDegreesAndMarkedCells)
{
    const std::filesystem::path folder = TESSARIN_TEST_OUTPUT_DIR;
    CHtmlReport report;
    report.m_strTitle = "Nachhallzeit";
    report.m_strPath = folder / "report-sample.htm";
    ASSERT_NE(report.Open(), nullptr);
    report.Heading1("Nachhallzeit – Prüfbericht");
    report.Heading2("Raumtemperatur 21 °C, Luftfeuchte 45 %");
    report.WriteLine("Messung mit Rosa Rauschen, Mikrofon bei 90° zur Quelle");
    const float x[] = {500.0f, 1000.0f, 2000.0f, 4000.0f};
    const float rt[] = {812.0f, 790.0f, 700.0f, 610.0f};
    const float error[] = {12.0f, 30.5f, 8.0f, 45.0f};
    report.WriteText(
        MakeHtmlBandTable(500.0, 4000.0, x, rt, error, 4, "Frequency [Hz]", "RT60 [ms]", "Error index"));
    report.Close();
    const std::string page = testsupport::ReadBytes(report.m_strPath);
    EXPECT_NE(page.find("Prüfbericht"), std::string::npos);
    EXPECT_NE(page.find("21 \xC2\xB0"
                        "C"),
              std::string::npos);

    if (!std::filesystem::exists("/usr/bin/chromium"))
        GTEST_SKIP() << "chromium is not installed; the page is written but not rendered";
    const std::filesystem::path picture = folder / "report-sample.png";
    std::filesystem::remove(picture);
    int status = -1;
    const std::string output = testsupport::RunProgram(
        {"/usr/bin/chromium", "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
         "--window-size=800,500", "--screenshot=" + picture.string(), "file://" + report.m_strPath.string()},
        &status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_TRUE(std::filesystem::exists(picture)) << output;
}

}  // namespace
