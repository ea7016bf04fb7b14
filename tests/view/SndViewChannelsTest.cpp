// The window's channel configuration: what the Channel Matrix gets, and what an OK or a Cancel
// leaves in the window's records, the engine's records and the engine's first two curve styles.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "tests/view/ViewFixture.h"
#include "view/EngineDisplayObjects.h"
#include "view/SndView.h"

namespace
{

class SndViewChannels : public viewtest::ViewFixture
{
protected:
    void SetUp() override
    {
        m_saved = std::make_unique<CInputChannelMatrix>();
        CEngineDisplayObjects& objects = GetEngineDisplayObjects();
        for (int c = 0; c < CInputChannelMatrix::kChannelCount; ++c)
            m_saved->GetChannel(c).CopyFrom(objects.m_channels.GetChannel(c));
        m_savedStyles[0].CopyFrom(objects.m_curveStyles[0]);
        m_savedStyles[1].CopyFrom(objects.m_curveStyles[1]);
    }
    void TearDown() override
    {
        CEngineDisplayObjects& objects = GetEngineDisplayObjects();
        for (int c = 0; c < CInputChannelMatrix::kChannelCount; ++c)
            objects.m_channels.GetChannel(c).CopyFrom(m_saved->GetChannel(c));
        objects.m_curveStyles[0].CopyFrom(m_savedStyles[0]);
        objects.m_curveStyles[1].CopyFrom(m_savedStyles[1]);
    }
    std::unique_ptr<CInputChannelMatrix> m_saved;
    std::array<CCurveStyle, 2> m_savedStyles;
};

TEST_F(SndViewChannels, OkCarriesTheEditedRecordsToTheWindowAndTheEngine)
{
    CSndView& view = MakeView();
    CViewSettings& settings = Settings(0);
    settings.m_Channels.GetChannel(40).m_dScaleDb = 7.5;
    std::size_t handed = 0;
    m_frame.m_editChannels = [&](std::vector<Cchannel_settings>& channels)
    {
        handed = channels.size();
        EXPECT_EQ(channels[40].m_dScaleDb, 7.5);
        channels[0].m_nInputChannel = 5;
        channels[0].m_dScaleDb = -3.0;
        channels[0].m_CurveStyle.m_nColorIndex = 4;
        channels[1].m_Operation.m_nOperation = kDspSub;
        channels[1].m_Operation.m_nSource2 = 0;
        channels[1].m_CurveStyle.m_nWidth = 3;
        return true;
    };
    view.OnCommand(view_command::kChannelConfiguration);
    EXPECT_EQ(handed, 64u);
    EXPECT_EQ(m_frame.m_channelMatrixCurves.size(), static_cast<std::size_t>(view.GetCurveCount()));
    EXPECT_EQ(settings.m_Channels.GetChannel(0).m_nInputChannel, 5);
    EXPECT_EQ(settings.m_Channels.GetChannel(0).m_dScaleDb, -3.0);
    EXPECT_EQ(settings.m_Channels.GetChannel(1).m_Operation.m_nOperation, kDspSub);
    EXPECT_EQ(settings.m_Channels.GetChannel(40).m_dScaleDb, 7.5);
    CEngineDisplayObjects& objects = GetEngineDisplayObjects();
    EXPECT_EQ(objects.m_channels.GetChannel(0).m_nInputChannel, 5);
    EXPECT_EQ(objects.m_channels.GetChannel(0).m_dScaleDb, -3.0);
    EXPECT_EQ(objects.m_channels.GetChannel(1).m_Operation.m_nOperation, kDspSub);
    EXPECT_EQ(objects.m_curveStyles[0].m_nColorIndex, 4);
    EXPECT_EQ(objects.m_curveStyles[1].m_nWidth, 3);
    // The engine's intake is routed by the records at once.
    EXPECT_EQ(m_engine.m_nSourceChannel[0], 5);
    EXPECT_EQ(m_engine.m_dChannelGainDb[0], -3.0);
    EXPECT_EQ(m_engine.m_dChannelGainDb[40], objects.m_channels.GetChannel(40).m_dScaleDb);
    EXPECT_EQ(m_engine.m_nSourceChannel[1], objects.m_channels.GetChannel(1).m_nInputChannel);
    EXPECT_EQ(m_engine.m_bDisplayRestartRequest.load(), 1);
}

TEST_F(SndViewChannels, CancelLeavesEveryRecordAlone)
{
    CSndView& view = MakeView();
    CViewSettings& settings = Settings(0);
    const int inputBefore = settings.m_Channels.GetChannel(0).m_nInputChannel;
    const int engineBefore = GetEngineDisplayObjects().m_channels.GetChannel(0).m_nInputChannel;
    m_frame.m_editChannels = [](std::vector<Cchannel_settings>& channels)
    {
        channels[0].m_nInputChannel = 9;
        return false;
    };
    m_engine.m_bDisplayRestartRequest.store(0);
    view.OnChannelConfiguration();
    EXPECT_EQ(settings.m_Channels.GetChannel(0).m_nInputChannel, inputBefore);
    EXPECT_EQ(GetEngineDisplayObjects().m_channels.GetChannel(0).m_nInputChannel, engineBefore);
    EXPECT_EQ(m_engine.m_nSourceChannel[0], 0);
    EXPECT_EQ(m_engine.m_bDisplayRestartRequest.load(), 0);
}

}  // namespace
