#include <gtest/gtest.h>

#include <string>

#include "tests/view/ViewFixture.h"
#include "view/SndView.h"

namespace viewtest
{
namespace
{

class SndViewResultsTest : public ViewFixture
{
};

TEST_F(SndViewResultsTest, ShowMarkerWithoutMarkersOnlyTellsSo)
{
    CSndView& view = MakeView();
    m_engine.m_nMarkerCount = 0;
    EXPECT_TRUE(view.OnCommand(view_command::kShowMarker));
    ASSERT_FALSE(m_frame.m_messages.empty());
    EXPECT_EQ(m_frame.m_messages.back(), "There are no Marker defined.");
}

TEST_F(SndViewResultsTest, CurveAndMarkerTablesOfTheWindow)
{
    CSndView& view = MakeView();
    const ResultsTable curves = view.MakeCurveResults();
    const CPlot& plot = view.GetPlot();
    EXPECT_EQ(curves.curveCount, plot.GetCurveCount());
    EXPECT_EQ(curves.pointCount, view.GetCurvePointCount(0));
    ASSERT_EQ(curves.headers.size(), static_cast<std::size_t>(curves.curveCount) + 1);
    EXPECT_EQ(curves.headers[0], "x-axis");
    for (int c = 0; c < curves.curveCount; ++c)
        EXPECT_EQ(curves.headers[static_cast<std::size_t>(c) + 1], view.GetCurveName(c));
    if (curves.pointCount > 3)
    {
        EXPECT_EQ(curves.value(-1, 3), plot.GetXValue(3));
    }
    EXPECT_EQ(curves.value(0, -1), 0.0);  // outside the curve: 0

    m_engine.m_nMarkerCount = 2;
    m_engine.m_adMarkers[0] = 1000.0;
    m_engine.m_adMarkers[1] = 2500.0;
    const ResultsTable markers = view.MakeMarkerResults();
    EXPECT_EQ(markers.pointCount, 2);
    EXPECT_EQ(markers.value(-1, 1), 2500.0);
    EXPECT_EQ(markers.value(-1, 2), 0.0);
    const std::size_t messages = m_frame.m_messages.size();
    EXPECT_TRUE(view.OnCommand(view_command::kShowMarker));
    EXPECT_EQ(m_frame.m_messages.size(), messages);
}

TEST_F(SndViewResultsTest, RoomAcousticRecordsStartReset)
{
    CSndView& view = MakeView();
    const CRoomAcousticResults fresh;
    for (int channel : {0, 17, 63})
    {
        const CRoomAcousticResults& r = view.GetRoomAcousticResults(channel);
        EXPECT_EQ(r.m_decayTime, fresh.m_decayTime);
        EXPECT_EQ(r.m_d50, fresh.m_d50);
        EXPECT_EQ(r.m_decayTimes, fresh.m_decayTimes);
    }
    EXPECT_EQ(&view.GetRoomAcousticResults(99), &view.GetRoomAcousticResults(63));
}

}  // namespace
}  // namespace viewtest
