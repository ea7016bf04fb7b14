#include "common/CalibrationCurve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/Archive.h"
#include "tests/support/ArchiveBytes.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

using testsupport::FromHex;
using testsupport::LoadBytes;
using testsupport::StoreBytes;

class CalibrationCurveTest : public testsupport::TempHomeTest
{
protected:
    std::filesystem::path Write(const std::string& name, const std::string& text)
    {
        const auto path = m_home.File(name);
        EXPECT_TRUE(testsupport::WriteBytes(path, text));
        return path;
    }
};

TEST_F(CalibrationCurveTest, DecibelPairsMultiplyEveryBin)
{
    CCalibrationCurve curve;
    ASSERT_EQ(curve.LoadFromFile(Write("mic.cal", "1457934344\ndB\n20 -3\n20000 -3\n")), 2);
    EXPECT_EQ(curve.m_bDecibel, 1);
    EXPECT_EQ(curve.m_bPairs, 1);
    EXPECT_EQ(curve.m_dSampleRate, 0.0);
    std::vector<float> spectrum(512, 2.0f);
    ASSERT_TRUE(curve.Apply(spectrum, 48000.0));
    for (float value : spectrum)
        ASSERT_NEAR(value, 2.0 * std::pow(10.0, -0.3), 1e-6);
}

TEST_F(CalibrationCurveTest, UnitWordDecidesLinearOrDecibel)
{
    struct Case
    {
        const char* unit;
        int decibel;
    };
    for (const Case c : {Case{"dB", 1}, Case{"lin", 0}, Case{"dBV", 1}, Case{"linear", 0}})
    {
        CCalibrationCurve curve;
        curve.LoadFromFile(Write("u.cal", std::string("1457934344\n") + c.unit + "\n1 2\n"));
        EXPECT_EQ(curve.m_bDecibel, c.decibel) << c.unit;
    }
}

TEST_F(CalibrationCurveTest, LinearPairsInterpolateAndHoldTheEnds)
{
    CCalibrationCurve curve;
    ASSERT_EQ(curve.LoadFromFile(Write("lin.cal", "1457934344\nlin\n1000 1\n2000 3\nend\n5 5\n")), 2);
    // Bin k lies at k * (fs / N) * 0.5: with fs 8000 and 8 bins, 0, 500, ..., 3500 Hz.
    ASSERT_TRUE(curve.PrepareBinTable(8, 8000.0));
    const float expected[] = {1, 1, 1, 2, 3, 3, 3, 3};
    for (int k = 0; k < 8; ++k)
        EXPECT_FLOAT_EQ(curve.m_pBinTable[k], expected[k]) << k;
}

TEST_F(CalibrationCurveTest, TableFileGivesItsValues)
{
    CCalibrationCurve curve;
    ASSERT_EQ(curve.LoadFromFile(Write("ref.ref", "1457934343\n4\n48000\n1.0e+00\n2.5e-01\n-3e0\n4\n")), 4);
    EXPECT_EQ(curve.m_dSampleRate, 48000.0);
    EXPECT_EQ(curve.m_nBinCount, 4);
    EXPECT_EQ(curve.m_pBinTable, (std::vector<float>{1.0f, 0.25f, -3.0f, 4.0f}));
    EXPECT_EQ(curve.m_pBinTable, curve.m_pValue);
}

TEST_F(CalibrationCurveTest, SetPointsInvertsTheResponse)
{
    CCalibrationCurve curve;
    const float values[] = {0.0f, 2.0f};
    const float frequencies[] = {100.0f, 200.0f};
    curve.SetPoints(2, 48000.0, nullptr, values);
    EXPECT_FLOAT_EQ(curve.m_pValue[0], 1e20f);
    EXPECT_FLOAT_EQ(curve.m_pBinTable[1], 0.5f);
    EXPECT_EQ(curve.m_nBinCount, 2);
    curve.SetPoints(2, 48000.0, frequencies, values);
    EXPECT_EQ(curve.m_bPairs, 1);
    EXPECT_EQ(curve.m_nBinCount, 0);
    EXPECT_EQ(curve.m_pFrequency[1], 200.0f);
}

TEST_F(CalibrationCurveTest, BadFilesLoadNothingAndSayWhy)
{
    struct Case
    {
        const char* name;
        const char* text;
        CCalibrationCurve::LoadError error;
    };
    const Case cases[] = {
        {"other magic", "12345\n1 2\n", CCalibrationCurve::LoadError::UnknownFormat},
        {"no number", "hello\n", CCalibrationCurve::LoadError::UnknownFormat},
        {"huge table", "1457934343\n2000000000\n48000\n1\n", CCalibrationCurve::LoadError::TooLarge},
        {"negative table", "1457934343\n-5\n48000\n", CCalibrationCurve::LoadError::TooLarge},
    };
    for (const Case& c : cases)
    {
        CCalibrationCurve curve;
        EXPECT_EQ(curve.LoadFromFile(Write("bad.cal", c.text)), 0) << c.name;
        EXPECT_EQ(curve.GetLastError(), c.error) << c.name;
        EXPECT_TRUE(curve.m_pValue.empty()) << c.name;
    }
}

TEST_F(CalibrationCurveTest, UnopenableFileIsReportedAndKeepsTheCurve)
{
    CCalibrationCurve curve;
    const float values[] = {1.0f, 2.0f};
    curve.SetPoints(2, 44100.0, nullptr, values);
    curve.m_strPath = "old";
    EXPECT_EQ(curve.LoadFromFile(m_home.File("nowhere.cal")), 0);
    EXPECT_EQ(curve.GetLastError(), CCalibrationCurve::LoadError::CannotOpen);
    EXPECT_EQ(curve.m_nPoints, 2);
    EXPECT_EQ(curve.m_strPath, "old");
}

TEST_F(CalibrationCurveTest, LongUnitWordIsCutAndPairsAreCapped)
{
    std::string text = "1457934344\n" + std::string(100000, 'x') + "\n";
    for (int i = 0; i < CCalibrationCurve::kMaxPairs + 10; ++i)
        text += std::to_string(i) + " 1\n";
    CCalibrationCurve curve;
    EXPECT_EQ(curve.LoadFromFile(Write("long.cal", text)), CCalibrationCurve::kMaxPairs);
    EXPECT_EQ(curve.m_bDecibel, 1);
}

TEST_F(CalibrationCurveTest, SerializeGoldenBytesAndPathLimit)
{
    CCalibrationCurve curve;
    curve.m_bEnabled = 1;
    curve.m_nChannel = 2;
    curve.m_bAllChannels = 1;
    curve.m_strPath = "/a/b.cal";
    const auto bytes = StoreBytes(curve);
    EXPECT_EQ(bytes, FromHex("01 00 00 00 00 00 00 00 02 00 00 00 01 00 00 00 08 00 00 00"
                             "2f 61 2f 62 2e 63 61 6c"));
    CCalibrationCurve loaded;
    LoadBytes(loaded, bytes);
    EXPECT_EQ(loaded.m_strPath, "/a/b.cal");
    EXPECT_EQ(loaded.m_nChannel, 2);

    for (const char* hex : {"00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 ff ff ff 7f",
                            "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 ff ff ff ff",
                            "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 05 00 00 00 41"})
    {
        CCalibrationCurve bad;
        EXPECT_THROW(LoadBytes(bad, FromHex(hex)), platform::ArchiveError) << hex;
    }
}
