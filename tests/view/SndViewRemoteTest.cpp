#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>

#include "display/settings/OverlaySettings.h"
#include "display/settings/ViewSettings.h"
#include "engine/AudioInSim.h"
#include "platform/Places.h"
#include "tests/support/TempHome.h"
#include "tests/view/ViewFixture.h"
#include "view/RemoteCommand.h"

namespace
{

namespace fs = std::filesystem;

std::vector<std::byte> Words(std::initializer_list<std::uint32_t> words, std::size_t size = 0)
{
    std::vector<std::byte> bytes(std::max(size, words.size() * 4));
    std::size_t i = 0;
    for (std::uint32_t word : words)
    {
        for (int b = 0; b < 4; ++b)
            bytes[i * 4 + static_cast<std::size_t>(b)] = static_cast<std::byte>(word >> (8 * b));
        ++i;
    }
    return bytes;
}

std::uint32_t FloatBits(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    return bits;
}

// A sample block header: tag, offset, frames; the samples from the offset on.
std::vector<std::byte> SampleBlock(std::uint32_t offset, std::int32_t frames, std::size_t size)
{
    std::vector<std::byte> bytes =
        Words({kRemoteSampleTag, offset, 0, 0, 0, 0, 0, static_cast<std::uint32_t>(frames)}, size);
    return bytes;
}

TEST(RemoteMessageTest, MessagesAreCheckedBeforeUse)
{
    using Kind = RemoteMessage::Kind;
    struct Case
    {
        const char* name;
        std::vector<std::byte> bytes;
        int stride;
        Kind kind;
    };
    const Case cases[] = {
        {"empty", {}, 2, Kind::Refused},
        {"23 bytes", std::vector<std::byte>(23), 2, Kind::Refused},
        {"24 bytes", Words({3, 0, 0, 0, 0, 0}), 2, Kind::Command},
        {"longer record", Words({3, 0, 0, 0, 0, 0, 7}), 2, Kind::Command},
        {"tag alone", Words({kRemoteSampleTag}), 2, Kind::Refused},
        {"header cut", SampleBlock(56, 0, 52), 2, Kind::Refused},
        {"no frames", SampleBlock(56, 0, 56), 2, Kind::Samples},
        {"exact fit", SampleBlock(56, 10, 56 + 10 * 2 * 4), 2, Kind::Samples},
        {"one byte short", SampleBlock(56, 10, 56 + 10 * 2 * 4 - 1), 2, Kind::Refused},
        {"offset past the end", SampleBlock(1000, 1, 200), 2, Kind::Refused},
        {"offset inside the header", SampleBlock(8, 1, 200), 2, Kind::Refused},
        {"offset near 2^32", SampleBlock(0xFFFFFFF0u, 1, 200), 2, Kind::Refused},
        {"negative frames", SampleBlock(56, -1, 200), 2, Kind::Refused},
        {"frames that wrap", SampleBlock(56, 0x40000000, 200), 2, Kind::Refused},
        {"most frames", SampleBlock(56, 262144, 56 + 262144 * 4), 1, Kind::Samples},
        {"one frame too many", SampleBlock(56, 262145, 56 + 262145 * 4), 1, Kind::Refused},
        {"no intake", SampleBlock(56, 1, 200), 0, Kind::Refused},
    };
    for (const Case& c : cases)
    {
        const RemoteMessage message = DecodeRemoteMessage(c.bytes, c.stride);
        EXPECT_EQ(message.kind, c.kind) << c.name;
        EXPECT_EQ(message.kind == Kind::Refused, !message.reason.empty()) << c.name;
    }
    const RemoteMessage record = DecodeRemoteMessage(Words({20005, FloatBits(48000.0f), 1, 2, 3, 4}), 2);
    EXPECT_EQ(record.command.code, 20005);
    EXPECT_EQ(record.command.FloatArg(1), 48000.0f);
    EXPECT_EQ(record.command.IntArg(5), 4);
}

TEST(RemoteMessageTest, FloatArgumentsMustBeFiniteInt32)
{
    int v = 77;
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                      -std::numeric_limits<float>::infinity(), 2147483648.0f, -2147483904.0f, 1e30f})
    {
        EXPECT_FALSE(RemoteFloatToInt(bad, v)) << bad;
        EXPECT_EQ(v, 77);
    }
    const std::pair<float, int> good[] = {
        {3.9f, 3}, {-3.9f, -3}, {0.0f, 0}, {-2147483648.0f, INT32_MIN}, {192000.0f, 192000}};
    for (const auto& [value, expected] : good)
    {
        ASSERT_TRUE(RemoteFloatToInt(value, v)) << value;
        EXPECT_EQ(v, expected);
    }
}

class SndViewRemoteTest : public viewtest::ViewFixture
{
protected:
    SndViewRemoteTest()
    {
        m_engine.SetInputDevice(CSoundIn::kInputSimulated, std::make_unique<CAudioIn_Sim>());
        m_engine.m_nInputMode = CSoundIn::kInputSimulated;
        CSndView& view = MakeView();
        view.m_remoteSleep = [this](int ms)
        {
            ++m_nSleeps;
            m_nSleptMs += ms;
            m_nStepSleeps += ms == 100 ? 1 : 0;
            if (m_onSleep)
                m_onSleep();
        };
    }

    // Runs a record as another program's message would.
    void Dispatch(std::int32_t code, std::initializer_list<float> args)
    {
        RemoteCommand record;
        record.code = code;
        int n = 1;
        for (float a : args)
            record.SetFloatArg(n++, a);
        const auto bytes = EncodeRemoteCommand(record);
        EXPECT_EQ(View(0).OnRemoteCommand(0, bytes), 0);
    }

    testsupport::TempHome m_home;
    int m_nSleeps = 0;
    int m_nSleptMs = 0;
    int m_nStepSleeps = 0;
    std::function<void()> m_onSleep;
};

TEST_F(SndViewRemoteTest, SettingsCodesApplyOnlyValuesInRange)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    m_engine.m_nFftSize = 4096;
    struct Case
    {
        std::int32_t code;
        float value;
        int CSoundIn::*field;
        int expected;
    };
    const Case cases[] = {
        {20000, 1, &CSoundIn::m_nFftSize, 4096},
        {20000, 3, &CSoundIn::m_nFftSize, 4096},
        {20000, nan, &CSoundIn::m_nFftSize, 4096},
        {20000, 1024.7f, &CSoundIn::m_nFftSize, 1024},
        {20000, 8192, &CSoundIn::m_nFftSize, 8192},
        {20000, 1 << 21, &CSoundIn::m_nFftSize, 8192},
        {20001, 1024, &CSoundIn::m_nMlsLength, 1023},
        {20001, 4095, &CSoundIn::m_nMlsLength, 4095},
        {20001, 1023, &CSoundIn::m_nMlsLength, 1023},
        {20001, 1e30f, &CSoundIn::m_nMlsLength, 1023},
        {20002, 18, &CSoundIn::m_nWindowType, 2},
        {20002, 17, &CSoundIn::m_nWindowType, 17},
        {20003, -1, &CSoundIn::m_nWeightingType, 0},
        {20003, 2, &CSoundIn::m_nWeightingType, 2},
        {20004, 0, &CSoundIn::m_nAverageCount, 1},
        {20004, 16, &CSoundIn::m_nAverageCount, 16},
        {20005, 0, &CSoundIn::m_nSampleRate, 44100},
        {20005, 192001, &CSoundIn::m_nSampleRate, 44100},
        {20005, nan, &CSoundIn::m_nSampleRate, 44100},
        {20005, 192000, &CSoundIn::m_nSampleRate, 192000},
        {20007, 4, &CSoundIn::m_nChannelMode, 1},
        {20007, 0, &CSoundIn::m_nChannelMode, 0},
        {20017, 99, &CSoundIn::m_nInputMode, CSoundIn::kInputSimulated},
    };
    m_engine.m_nMlsLength = 1023;
    for (const Case& c : cases)
    {
        Dispatch(c.code, {c.value});
        EXPECT_EQ(m_engine.*c.field, c.expected) << c.code << " with " << c.value;
    }
    EXPECT_TRUE(View(0).GetMailbox().IsFree());
}

TEST_F(SndViewRemoteTest, CalibrationOffsetZeroSwitchesCalibrationOff)
{
    m_engine.m_nWeightingType = 1;
    Dispatch(20006, {6.0f});
    EXPECT_EQ(m_engine.m_bCalibration, 1);
    EXPECT_NEAR(m_engine.m_dCalibrationGain, std::pow(10.0, 0.3), 1e-9);
    Dispatch(20006, {std::numeric_limits<float>::infinity()});
    EXPECT_EQ(m_engine.m_fCalibrationOffset, 6.0f);
    Dispatch(20006, {0.0f});
    EXPECT_EQ(m_engine.m_bCalibration, 0);
    EXPECT_EQ(m_engine.m_dCalibrationGain, 1.0);
    EXPECT_EQ(m_engine.m_nWeightingType, 1);
}

TEST_F(SndViewRemoteTest, RangesAndSettingsFilesFollowTheirRules)
{
    CViewSettings& settings = Settings(0);
    settings.m_Axes.m_dXMin = 20;
    settings.m_Axes.m_dXMax = 20000;
    Dispatch(30000, {-5.0f, 100.0f});
    EXPECT_EQ(settings.m_Axes.m_dXMin, 20);
    EXPECT_EQ(settings.m_Axes.m_dXMax, 20000);
    Dispatch(30000, {50.0f, 40.0f});
    EXPECT_EQ(settings.m_Axes.m_dXMin, 50);
    EXPECT_EQ(settings.m_Axes.m_dXMax, 20000);
    Dispatch(30001, {-90.0f, std::numeric_limits<float>::quiet_NaN()});
    EXPECT_NE(settings.m_Axes.m_dYMin, -90.0);

    // Files 0 and 1000 are never read, even where they exist.
    for (int number : {0, 1000})
    {
        std::ofstream(platform::ProgramFolder() / (std::to_string(number) + ".ini"))
            << "[Settings]\nFFT size=2048\n";
        Dispatch(20019, {static_cast<float>(number)});
        EXPECT_NE(m_engine.m_nFftSize, 2048) << number;
        fs::remove(platform::ProgramFolder() / (std::to_string(number) + ".ini"));
    }
}

TEST_F(SndViewRemoteTest, OverlaySlotsAndCurvesAreChecked)
{
    // Slot 10 and a curve that does not exist are refused before anything is asked.
    Dispatch(100003, {10.0f, 0.0f});
    Dispatch(100003, {0.0f, 99.0f});
    Dispatch(100003, {-1.0f, 0.0f});
    EXPECT_TRUE(Window(0).m_askedSlots.empty());
    EXPECT_EQ(View(0).GetActiveOverlayCount(), 0);
}

TEST_F(SndViewRemoteTest, WaitsSucceedWheneverTheConditionHolds)
{
    CSndView& view = View(0);
    view.OnCountEvent(CSndView::kEventRefresh);
    EXPECT_EQ(view.WaitForEventCounter(CSndView::kEventRefresh, 0, 0), 0);
    EXPECT_EQ(m_nSleeps, 0);
    EXPECT_EQ(view.WaitForEventCounter(CSndView::kEventRefresh, 1, 0), -1);
    EXPECT_EQ(view.WaitForEventCounter(CSndView::kEventRefresh, 1, 350), -1);
    EXPECT_EQ(m_nSleeps, 3);
    // Met only while the last sleep ran: the last look sees it.
    m_nSleeps = 0;
    m_onSleep = [&]
    {
        if (m_nSleeps == 3)
            view.OnCountEvent(CSndView::kEventRefresh);
    };
    EXPECT_EQ(view.WaitForEventCounter(CSndView::kEventRefresh, 1, 300), 0);
    m_onSleep = nullptr;
    // Other keys count nothing and are 0.
    view.OnCountEvent(7);
    EXPECT_EQ(view.GetEventCounter(7), 0u);
    EXPECT_EQ(view.WaitRemoteReady(0), 0);
}

TEST_F(SndViewRemoteTest, ASendWaitsAtMost31StepsThenGoesWithoutReplacingTheWaitingRecord)
{
    CSndView& view = View(0);
    viewtest::FakeViewWindow& window = Window(0);
    window.m_bQueuePosts = true;
    RemoteCommand stop;
    stop.code = 0;
    view.PostRemoteCommand(stop);
    EXPECT_EQ(view.GetMailbox().Waiting(), 1);
    m_nStepSleeps = 0;
    view.RemoteSetWindowType(5);
    EXPECT_EQ(m_nStepSleeps, 31);
    EXPECT_EQ(m_engine.m_nWindowType, 5);
    EXPECT_EQ(view.GetMailbox().Waiting(), 1) << "the send released only its own place";
    ASSERT_EQ(window.m_posted.size(), 1u);
    window.m_posted[0]();
    EXPECT_TRUE(view.GetMailbox().IsFree());
    EXPECT_EQ(view.WaitRemoteReady(0), 0);
}

TEST_F(SndViewRemoteTest, ASampleBlockFeedsTheIntakeAndRunsNoCommand)
{
    CSndView& view = View(0);
    ASSERT_EQ(m_engine.OpenInput(), 0);
    view.OnStart();
    const int stride = m_engine.FloatBlockStride();
    const int frames = 480;
    const int mode = m_engine.GetAnalyzerMode();
    // Offset 61: not aligned for floats, which the copy makes good.
    std::vector<std::byte> block =
        SampleBlock(61, frames, 61 + static_cast<std::size_t>(frames * stride) * 4);
    for (int i = 0; i < frames * stride; ++i)
    {
        const float s = static_cast<float>(std::sin(2 * M_PI * 1000.0 * (i / stride) / 48000.0));
        std::memcpy(block.data() + 61 + static_cast<std::size_t>(i) * 4, &s, 4);
    }
    EXPECT_EQ(view.OnRemoteCommand(0, block), 0);
    EXPECT_EQ(view.m_nRemoteFramesFed, frames);
    EXPECT_EQ(m_engine.GetAnalyzerMode(), mode);
    // A block that reaches past its end feeds nothing.
    block.resize(block.size() - 1);
    view.OnRemoteCommand(0, block);
    EXPECT_EQ(view.m_nRemoteFramesFed, frames);
    m_engine.StopInput();
}

TEST_F(SndViewRemoteTest, DumpFilesGoToTheConfigurationFolder)
{
    fs::create_directories(platform::ConfigFolder());
    Dispatch(4, {});
    Dispatch(5, {});
    EXPECT_TRUE(fs::exists(platform::ConfigFolder() / "dump.txt"));
    EXPECT_TRUE(fs::exists(platform::ConfigFolder() / "dumpRTM.txt"));
}

TEST_F(SndViewRemoteTest, AnOverlayBlockReachesItsSlotAndTheSenderWaits)
{
    const float y[3] = {-10.0f, -20.0f, -30.0f};
    OverlayDataBlock block;
    block.m_nSlot = 2;
    block.m_nCount = 3;
    block.m_pY = y;
    block.m_dX0 = 1000.0;
    block.m_dDeltaX = 1000.0;
    block.m_strName = "remote";
    EXPECT_EQ(View(0).RemoteAddOverlay(block), 0);
    const COverlay_settings& slot = Settings(0).m_Overlays[2];
    EXPECT_EQ(slot.m_strName, "remote");
    EXPECT_EQ(slot.m_Curve.m_pY, (std::vector<float>{-10.0f, -20.0f, -30.0f}));
    EXPECT_EQ(m_nSleptMs, 300);
}

TEST_F(SndViewRemoteTest, SweepOperationsAnswerNotAvailableAndSendNothing)
{
    CSndView& view = View(0);
    const int mode = m_engine.GetAnalyzerMode();
    EXPECT_EQ(view.RemoteStartFrequencySweep(0), CSndView::kRemoteNotAvailable);
    EXPECT_EQ(view.RemoteStartLevelSweep(0), CSndView::kRemoteNotAvailable);
    EXPECT_EQ(view.RemotePlotSweepResults(1), CSndView::kRemoteNotAvailable);
    EXPECT_EQ(view.RemotePlotHarmonics(), CSndView::kRemoteNotAvailable);
    // No waiting flag is left set for a sweep that never ends, and no record went out.
    EXPECT_EQ(view.m_bSweepBusy.load(), 0);
    EXPECT_TRUE(view.GetMailbox().IsFree());
    EXPECT_EQ(m_nSleeps, 0);
    // The codes themselves, from another program, change nothing either.
    for (int code : {20014, 20015, 100001})
        Dispatch(code, {0.0f});
    EXPECT_EQ(m_engine.GetAnalyzerMode(), mode);
    EXPECT_EQ(view.m_bSweepBusy.load(), 0);
}

TEST_F(SndViewRemoteTest, TheGeneratorProgramIsLookedForThroughTheEngine)
{
    // In input mode 5 the engine's own generators play: the link must know that before it looks.
    m_engine.m_nInputMode = CSoundIn::kInputAsio;
    m_engine.m_nSampleRate = 96000;
    EXPECT_EQ(View(0).EnsureGeneratorProgram(1), 1);
    EXPECT_EQ(m_engine.m_generatorLink.m_inputMode, CSoundIn::kInputAsio);
    EXPECT_EQ(m_engine.m_generatorLink.m_sampleRate, 96000);
    EXPECT_EQ(m_engine.m_generatorLink.m_programFolder, platform::ProgramFolder());
    m_engine.m_nInputMode = CSoundIn::kInputSimulated;
}

}  // namespace
