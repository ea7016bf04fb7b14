#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "applications/DIN15905Info.h"
#include "common/HtmlReport.h"
#include "common/IniFile.h"
#include "tests/support/TempHome.h"

namespace
{

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

CDIN15905Info Filled()
{
    CDIN15905Info info;
    info.m_place = "Stadtpark";
    info.m_id = 4711;
    info.m_name = "Sommerfest";
    info.m_date = info.m_eventBegin = 1714572000;  // 2024-05-01 14:00:00 UTC
    info.m_eventEnd = info.m_date + 7200;
    info.m_organiser = "Verein";
    info.m_company = "Messtechnik GmbH";
    info.m_technician = "A. Müller";
    info.m_measurementBegin = info.m_date;
    info.m_measurementEnd = info.m_date + 3600;
    info.m_pa = "Line array";
    info.m_immissionPoint = "Bühnenrand";
    info.m_substitutePoint = "FOH";
    info.m_correctionMethod = "Rosa Rauschen";
    info.m_instrumentType = "Klasse 1";
    info.m_instrumentSerial = "123";
    info.m_calibrator = "456";
    info.m_calibrationResult = "94,0 dB";
    info.m_k1 = 11.0;
    info.m_k2 = 10.7;
    return info;
}

}  // namespace

class DIN15905InfoTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        setenv("TZ", "UTC", 1);
        tzset();
    }
};

TEST_F(DIN15905InfoTest, SectionsAndRoundTrip)
{
    EXPECT_EQ(CDIN15905Info::EventSection(""), "Veranstaltung");
    EXPECT_EQ(CDIN15905Info::MeasurementSection(" info.DIN15905"), " info.DIN15905.Messung");
    const std::string path = (m_home.Root() / "din.ini").string();
    const CDIN15905Info written = Filled();
    ASSERT_TRUE(written.WriteEvent(path, ""));
    ASSERT_TRUE(written.WriteMeasurement(path, ""));
    const std::string text = ReadText(path);
    EXPECT_NE(text.find("[Veranstaltung]"), std::string::npos);
    EXPECT_NE(text.find("Datum.Year=2024"), std::string::npos);
    EXPECT_NE(text.find("K2=10.700000"), std::string::npos);
    CDIN15905Info read;
    read.ReadEvent(path, "");
    read.ReadMeasurement(path, "");
    EXPECT_EQ(read.m_id, 4711);
    EXPECT_EQ(read.m_name, "Sommerfest");
    EXPECT_EQ(read.m_eventEnd, written.m_eventEnd);
    EXPECT_EQ(read.m_technician, "A. Müller");
    EXPECT_EQ(read.m_k2, 10.7);
    // Missing keys keep what the record holds.
    CDIN15905Info kept = Filled();
    kept.ReadEvent((m_home.Root() / "missing.ini").string(), "");
    EXPECT_EQ(kept.m_place, "Stadtpark");
}

TEST_F(DIN15905InfoTest, NewRecordsGetNonNegativeIdentifiersOfTwoFifteenBitParts)
{
    for (int i = 0; i < 1000; ++i)
    {
        const CDIN15905Info info;
        ASSERT_GE(info.m_id, 0);
        ASSERT_EQ(info.m_id & 0x8000, 0);
    }
}

TEST_F(DIN15905InfoTest, HtmlBlocksListEveryItemInCLocaleDates)
{
    CHtmlReport report;
    report.m_strPath = m_home.Root() / "r.htm";
    ASSERT_NE(report.Open(), nullptr);
    const CDIN15905Info info = Filled();
    info.WriteEventHtml(report);
    info.WriteMeasurementHtml(report);
    report.Close();
    const std::string page = ReadText(report.m_strPath);
    for (const char* line :
         {"Informationen zur Veranstaltung", "Veranstaltungsort   :   Stadtpark",
          "Datum der Veranstaltung   :   01 May 2024", "Ende der Veranstaltung   :   16:00,01 May 2024",
          "Informationen zur Messung", "Maßgeblicher Immissionspunkt (lautester Punkt)   :   Bühnenrand",
          "K1   :   11.0dB", "K2   :   10.7dB", "ID   :   4711"})
        EXPECT_NE(page.find(line), std::string::npos) << line;
}
