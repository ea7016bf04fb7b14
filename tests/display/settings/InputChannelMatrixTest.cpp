#include "display/settings/InputChannelMatrix.h"

#include <gtest/gtest.h>

#include "common/IniFile.h"
#include "display/ColorPalette.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

class InputChannelMatrixTest : public testsupport::TempHomeTest
{
protected:
    std::string IniPath(const std::string& name)
    {
        const auto path = m_home.File(name);
        std::filesystem::create_directories(path.parent_path());
        return path.string();
    }
};

TEST_F(InputChannelMatrixTest, NewMatrixHoldsSixtyFourDefaultChannels)
{
    CInputChannelMatrix matrix;
    ASSERT_EQ(matrix.m_nCount, 64);
    for (int i = 0; i < 64; ++i)
    {
        const Cchannel_settings& channel = matrix.GetChannel(i);
        EXPECT_EQ(channel.m_bActive, 1);
        EXPECT_EQ(channel.m_nInputChannel, i);
        EXPECT_EQ(channel.m_dScaleDb, 0.0);
        EXPECT_EQ(channel.m_dPreScale, 1.0);
        EXPECT_EQ(channel.m_CurveStyle.m_nWidth, 2);
        EXPECT_EQ(channel.m_CurveStyle.m_nColorIndex, PALETTE_WHITE);
        EXPECT_EQ(channel.m_CurveStyle.m_strLabel, "Ch#" + std::to_string(i + 1));
        EXPECT_EQ(channel.m_Operation.m_nSource1, i);
    }
    EXPECT_EQ(matrix.SetAllActive(0), 64);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(matrix.GetChannel(i).m_bActive, 0);
}

TEST_F(InputChannelMatrixTest, WriteThenReadRestoresTheFiveValues)
{
    CInputChannelMatrix source;
    for (int i = 0; i < 64; ++i)
    {
        Cchannel_settings& channel = source.GetChannel(i);
        channel.m_bActive = i % 2;
        channel.m_nInputChannel = 63 - i;
        channel.m_bCalibrated = i % 3 == 0;
        channel.m_dScaleDb = -0.25 * i;
        channel.m_dPreScale = 1.0 + i;
    }
    const std::string path = IniPath("matrix.ini");
    ASSERT_TRUE(source.WriteProfile(path));
    EXPECT_NE(testsupport::ReadBytes(path).find("[Input Channel Matrix CH#64]"), std::string::npos);

    CInputChannelMatrix target;
    target.ReadProfile(path);
    for (int i = 0; i < 64; ++i)
    {
        const Cchannel_settings& a = source.GetChannel(i);
        const Cchannel_settings& b = target.GetChannel(i);
        EXPECT_EQ(b.m_bActive, a.m_bActive) << i;
        EXPECT_EQ(b.m_nInputChannel, a.m_nInputChannel) << i;
        EXPECT_EQ(b.m_bCalibrated, a.m_bCalibrated) << i;
        EXPECT_DOUBLE_EQ(b.m_dScaleDb, a.m_dScaleDb) << i;
        EXPECT_DOUBLE_EQ(b.m_dPreScale, a.m_dPreScale) << i;
    }
}

TEST_F(InputChannelMatrixTest, PartialFileChangesOnlyItsChannels)
{
    const std::string path = IniPath("partial.ini");
    ASSERT_TRUE(
        testsupport::WriteBytes(path, "[Input Channel Matrix CH#3]\r\nScale dB=-12.5\r\nActive=False\r\n"));
    CInputChannelMatrix matrix;
    matrix.ReadProfile(path);
    EXPECT_EQ(matrix.GetChannel(2).m_dScaleDb, -12.5);
    EXPECT_EQ(matrix.GetChannel(2).m_bActive, 0);
    EXPECT_EQ(matrix.GetChannel(2).m_nInputChannel, 2);
    EXPECT_EQ(matrix.GetChannel(1).m_bActive, 1);
    EXPECT_EQ(matrix.GetChannel(3).m_dScaleDb, 0.0);

    CInputChannelMatrix untouched;
    untouched.ReadProfile(IniPath("missing.ini"));
    EXPECT_EQ(untouched.GetChannel(0).m_bActive, 1);
}

TEST_F(InputChannelMatrixTest, FailedWriteIsReported)
{
    // The file's folder is a plain file: no write can succeed, whoever runs the test.
    const std::string blocker = IniPath("blocker");
    ASSERT_TRUE(testsupport::WriteBytes(blocker, "x"));
    CInputChannelMatrix matrix;
    EXPECT_FALSE(matrix.WriteProfile(blocker + "/calibration.ini"));
}

TEST_F(InputChannelMatrixTest, CalibrationFileLivesInTheConfigurationFolder)
{
    EXPECT_EQ(CInputChannelMatrix::CalibrationFilePath(),
              m_home.ConfigHome() / "Tessarin" / "calibration.ini");
}
