#include "engine/SoundIn.h"

#include "platform/Archive.h"
#include "platform/Registry.h"
#include "tests/support/ArchiveBytes.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <array>

#include <bit>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace
{

// The stored form written by hand, independent of the archive: little-endian words, IEEE values and
// the one-byte string length.
struct Bytes
{
    std::vector<std::uint8_t> b;
    Bytes& I(std::int32_t v)
    {
        const auto u = static_cast<std::uint32_t>(v);
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
        return *this;
    }
    Bytes& F(float v) { return I(std::bit_cast<std::int32_t>(v)); }
    Bytes& D(double v)
    {
        const auto u = std::bit_cast<std::uint64_t>(v);
        for (int i = 0; i < 8; ++i)
            b.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
        return *this;
    }
    Bytes& S(const std::string& s)
    {
        b.push_back(static_cast<std::uint8_t>(s.size()));
        b.insert(b.end(), s.begin(), s.end());
        return *this;
    }
    Bytes& Raw(const std::vector<std::uint8_t>& r)
    {
        b.insert(b.end(), r.begin(), r.end());
        return *this;
    }
};

// A designed filter's default settings record: enabled, 2000 Hz, low-pass, order 2, Butterworth,
// 0.5 dB ripple, once; padding as zeros.
std::vector<std::uint8_t> DefaultFilterRecord()
{
    Bytes r;
    r.I(1).I(0).D(2000.0).D(0.0).I(2).I(0).I(1).I(0).D(0.5).I(0).I(0);
    return r.b;
}

// Where the fault tests patch the default block.
struct Offsets
{
    std::size_t flagWord = 0;
    std::size_t valueListCount = 0;
    std::size_t inputMode = 0;
    std::size_t generatorCount = 0;
    std::size_t calibrationCount = 0;
};

std::vector<std::uint8_t> DefaultEngineBlock(Offsets* offsets = nullptr)
{
    Offsets o;
    Bytes e;
    e.I(121929).I(64);
    for (int histogram = 0; histogram < 2; ++histogram)
    {
        e.I(0).I(2).I(1).D(0.7).D(0.01).D(0.0).D(1.0).D(0.0).D(1.0).I(65536).I(65536);
        for (int reserved = 0; reserved < 512; ++reserved)
            e.I(0);
    }
    e.I(0).I(0).I(0).F(1.0f).F(0.0f).I(0).I(1).I(0).I(44100).I(512).I(20).I(1).I(512).I(1023);
    e.I(0).S("");
    o.flagWord = e.b.size();
    e.I(0).I(0).I(0).I(0).I(0).I(0).I(2);
    e.I(0).I(1).I(0).D(1.0).I(1).I(1024).I(0).I(0).I(0).I(0).I(0).I(0).I(0);
    e.D(1.0).D(1.0).I(0).D(0.01).I(1).I(1).I(1).I(0).I(1).D(0.0).I(1).I(0).I(0).I(0).I(0).I(0);
    e.I(10);
    const auto filter = DefaultFilterRecord();
    for (int i = 0; i < 640; ++i)
        e.Raw(filter);
    e.I(3).I(10).D(100.0).D(10000.0).D(-90.0).D(0.0).D(700.0).D(1000.0).D(-0.005);
    e.I(0).I(0).I(0);
    o.valueListCount = e.b.size();
    e.I(0);
    for (int i = 0; i < 256; ++i)
        e.D(0.0);
    o.inputMode = e.b.size();
    e.I(0).D(10.0).D(0.5).I(0).I(3).I(1);
    e.I(0).I(20).I(0).I(0).I(5).I(0);
    e.I(0).S("recorder.wav").I(1677721794).I(0).I(0).I(0).I(0).I(16);
    o.generatorCount = e.b.size();
    e.I(10);
    // A new generator's record, with its free filter off as the generator has it.
    CSigGen_settings generator;
    generator.m_filter.m_bEnabled = 0;
    const auto generatorBytes = testsupport::StoreBytes(generator);
    for (int i = 0; i < 10; ++i)
        e.Raw(generatorBytes);
    e.I(0);
    o.calibrationCount = e.b.size();
    e.I(64);
    for (int channel = 0; channel < 64; ++channel)
        e.I(0);
    // The matrix routes the ten generators.
    e.D(0.0).D(0.0).I(0).I(0).I(0).I(10);
    if (offsets != nullptr)
        *offsets = o;
    return e.b;
}

std::vector<std::uint8_t> Save(CSoundIn& engine)
{
    CArchive ar;
    engine.Serialize(ar);
    return ar.Buffer();
}

void Load(CSoundIn& engine, std::span<const std::uint8_t> bytes)
{
    CArchive ar(bytes);
    engine.Serialize(ar);
}

// Every carried setting away from its default.
void ChangeEverything(CSoundIn& e)
{
    e.m_fCalibrationOffset = -3.5f;
    e.m_bCalibration = 1;
    e.m_nWeightingType = 2;
    e.m_nSampleRate = 96000;
    e.m_nBlockLength = 2048;
    e.m_nDeviceBufferCount = 7;
    e.m_nAverageCount = 9;
    e.m_nFftSize = 4096;
    e.m_nMlsLength = 4095;
    e.m_bMlsMode = 1;
    e.m_bChirpExcitation = 1;
    e.m_bScopeMode = 1;
    e.m_nFftSubmode = 3;
    e.m_nWindowType = 5;
    e.m_nCaptureDevice = 4;
    e.m_nAnalysisPriority = 2;
    e.m_bResampler = 1;
    e.m_dResampleRatio = 1.25;
    e.m_nChannelMode = 3;
    e.m_nMinDeviceBuffer = 4096;
    e.m_nTimeOperation = 4;
    e.m_nSpectrumOperation = 7;
    e.m_nIntegrationMode = 2;
    e.m_bSwapChannels = 1;
    e.m_dTimeGain0 = 0.5;
    e.m_dTimeGain1 = 2.0;
    e.m_bTimeGainStage = 1;
    e.m_dTriggerLevel = 0.25;
    e.m_nTriggerRepeat = -1;
    e.m_nTriggerSlope = 0;
    e.m_bTriggerScopeOnly = 0;
    e.m_nTriggerChannel = 1;
    e.m_nTriggerMode = CSoundIn::kTriggerRms;
    e.m_bDcBlock = 1;
    e.m_dImpulseLead = -0.01;
    e.m_bFft64Bit = 1;
    e.m_nInputMode = CSoundIn::kInputDirectSound;
    e.m_bSmoothing = 1;
    e.m_nSmoothingOctaves = 6;
    e.m_bPeakInterpolate = 0;
    e.m_bRecorder = 1;
    e.m_strRecorderFile = "take\xC3\xA9.wav";
    auto& w = e.m_stored;
    w.viewUpdate1 = 11;
    w.viewUpdate2 = 12;
    w.displayOption = 13;
    w.inputScale = 0.75f;
    w.acquisition = 2;
    w.referenceCurveOption = 1;
    w.referenceCurveFile = "ref.cal";
    w.analyzerOption = 14;
    w.analyzerModeFlags = {1, 1};
    w.dualPlot = {1, 3};
    w.reservedEngine = 15;
    w.impedanceReference = 8.0;
    w.displayWord = 0;
    w.conditioning = 16;
    w.equalizer = {1, 2};
    w.filters[639].m_dHighCorner = 123.0;
    w.filters[0].m_nOrder = 6;
    w.sweepInts = {5, 20};
    w.sweepDoubles = {20.0, 20000.0, -60.0, -6.0, 300.0, 2000.0};
    w.analyzerModeWord = 17;
    w.valueListInUse = 1;
    w.valueListCount = 256;
    for (std::size_t i = 0; i < w.valueList.size(); ++i)
        w.valueList[i] = 0.5 * static_cast<double>(i);
    w.dataLogger = {2.0, 0.25};
    w.conditioningOptions = {1, 30, 1, 1, 7, 1};
    w.reportWords = {1, 2, 3, 4};
    w.analyzerModeFlag = 1;
    w.waveResolution = 24;
    for (int g = 0; g < CSoundIn::kStoredGenerators; ++g)
        e.GetGenerator(g)->SetLevel(0.1 * static_cast<double>(g + 1));
    w.generatorProgramRunning = 1;
    e.m_generatorMatrix.m_master_level = 0.5;
    e.m_generatorMatrix.m_master_frequency = 440.0;
    e.m_generatorMatrix.m_generator_count = 3;
}

class MessageLog : public CEngineNotifications
{
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

class SoundInSettingsTest : public testsupport::TempHomeTest
{
protected:
    Offsets m_at;
    const std::vector<std::uint8_t> m_default = DefaultEngineBlock(&m_at);
};

TEST_F(SoundInSettingsTest, DefaultBlockMatchesHandWrittenBytes)
{
    CSoundIn engine;
    EXPECT_TRUE(Save(engine) == m_default);
    // Saving records the file version for the other programs of the suite.
    const auto version =
        platform::RegistryKey::Open("SOFTWARE\\Halvek\\Tessarin\\Fileversion", false).ReadValue("");
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(version->data, std::string("\x49\xDC\x01\x00", 4));
}

TEST_F(SoundInSettingsTest, EveryChangedSettingSurvivesSaveAndLoad)
{
    CSoundIn first;
    ChangeEverything(first);
    const auto saved = Save(first);
    CSoundIn second;
    Load(second, saved);
    second.ApplyStoredGenerators();
    EXPECT_TRUE(Save(second) == saved);
    EXPECT_EQ(second.m_nSampleRate, 96000);
    EXPECT_EQ(second.m_nInputMode, CSoundIn::kInputDirectSound);
    EXPECT_EQ(second.m_strRecorderFile, "take\xC3\xA9.wav");
    EXPECT_EQ(second.m_stored.valueList[255], 127.5);
    EXPECT_EQ(second.m_stored.filters[639].m_dHighCorner, 123.0);
    EXPECT_EQ(second.m_generatorMatrix.m_master_frequency, 440.0);
    EXPECT_DOUBLE_EQ(second.m_stored.generators[4].m_level, 0.5);
    EXPECT_DOUBLE_EQ(second.GetGenerator(4)->m_settings.m_level, 0.5);
    EXPECT_EQ(second.m_nCaptureDevice, 4);
    EXPECT_TRUE(Save(second) == Save(first));
}

// The flag word carries the MLS flag in bit 0 and the chirp flag in bit 1.
TEST_F(SoundInSettingsTest, FlagWordAndWaveFileInputAreReadAsStored)
{
    struct Case
    {
        std::int32_t flags;
        int mls;
        int chirp;
    };
    for (const Case c : {Case{0, 0, 0}, Case{1, 1, 0}, Case{2, 0, 1}, Case{3, 1, 1}})
    {
        auto bytes = DefaultEngineBlock();
        std::memcpy(&bytes[m_at.flagWord], &c.flags, 4);
        const std::int32_t fileInput = CSoundIn::kInputFile;
        std::memcpy(&bytes[m_at.inputMode], &fileInput, 4);
        CSoundIn engine;
        Load(engine, bytes);
        EXPECT_EQ(engine.m_bMlsMode, c.mls) << c.flags;
        EXPECT_EQ(engine.m_bChirpExcitation, c.chirp) << c.flags;
        EXPECT_EQ(engine.m_nInputMode, CSoundIn::kInputWave);
    }
}

TEST_F(SoundInSettingsTest, DeviceWordSplitsIntoCaptureAndPluginDevice)
{
    const auto plugin = platform::RegistryKey::Open("Software\\Halvek\\Ninvaro", true);
    ASSERT_TRUE(plugin.WriteValue("device", platform::RegistryType::Dword, std::string("\x05\0\0\0", 4)));
    CSoundIn engine;
    engine.m_nCaptureDevice = 3;
    const auto saved = Save(engine);
    ASSERT_TRUE(plugin.WriteValue("device", platform::RegistryType::Dword, std::string("\0\0\0\0", 4)));
    CSoundIn loaded;
    Load(loaded, saved);
    EXPECT_EQ(loaded.m_nCaptureDevice, 3);
    EXPECT_EQ(plugin.ReadValue("device")->data, std::string("\x05\0\0\0", 4));
}

// A refused block leaves every setting of the engine as it was.
TEST_F(SoundInSettingsTest, RefusedBlocksChangeNothing)
{
    struct Case
    {
        const char* name;
        std::size_t offset;
        std::int32_t value;
        platform::ArchiveCause cause;
    };
    const auto& good = m_default;
    const Case cases[] = {
        {"old version", 0, 121928, platform::ArchiveCause::BadIndex},
        {"value-list count above 256", m_at.valueListCount, 257, platform::ArchiveCause::Malformed},
        {"negative value-list count", m_at.valueListCount, -1, platform::ArchiveCause::Malformed},
        {"input mode out of range", m_at.inputMode, 8, platform::ArchiveCause::Malformed},
        {"calibration count", m_at.calibrationCount, 65, platform::ArchiveCause::Malformed},
        {"generator record of another version", m_at.generatorCount + 8, 3,
         platform::ArchiveCause::Malformed},
        {"generator record with a foreign tag", m_at.generatorCount + 4, 1,
         platform::ArchiveCause::Malformed},
    };
    MessageLog log;
    CSoundIn engine;
    engine.SetNotifications(&log);
    ChangeEverything(engine);
    const auto before = Save(engine);
    for (const Case& c : cases)
    {
        auto bytes = good;
        std::memcpy(&bytes[c.offset], &c.value, 4);
        try
        {
            Load(engine, bytes);
            ADD_FAILURE() << c.name << " was accepted";
        }
        catch (const platform::ArchiveError& error)
        {
            EXPECT_EQ(error.Cause(), c.cause) << c.name;
        }
        EXPECT_TRUE(Save(engine) == before) << c.name;
    }
    // Only the foreign version is explained to the user; the engine tells it once.
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0],
              "This Tessarin setting file (*.wst) is not supported. Please delete all old *.wst files");
}

TEST_F(SoundInSettingsTest, GeneratorCountAboveTenIsRefused)
{
    auto bytes = m_default;
    const std::size_t countOffset = m_at.generatorCount;
    const std::int32_t eleven = 11;
    std::memcpy(&bytes[countOffset], &eleven, 4);
    CSoundIn engine;
    EXPECT_THROW(Load(engine, bytes), platform::ArchiveError);
}

// Every cut of a saved block is refused, and the engine keeps its settings.
TEST_F(SoundInSettingsTest, TruncatedBlocksAreRefusedWhole)
{
    CSoundIn source;
    ChangeEverything(source);
    const auto saved = Save(source);
    CSoundIn engine;
    const auto before = Save(engine);
    for (std::size_t length = 0; length < saved.size();
         length += (length < 400 || length + 3000 > saved.size()) ? 1 : 97)
    {
        EXPECT_THROW(Load(engine, std::span(saved).first(length)), platform::ArchiveError) << length;
    }
    EXPECT_TRUE(Save(engine) == before);
}

// The records the document keeps with the block come right after the header; loading hands them
// over only once the whole block was read.
TEST_F(SoundInSettingsTest, DocumentRecordsHaveTheirPlaceAndAreTakenOnlyWhole)
{
    CSoundIn engine;
    std::int32_t pending = 0;
    std::int32_t committed = 0;
    engine.m_serializeOwnedObjects = [&](CArchive& ar)
    {
        std::int32_t marker = 0x11111111;
        if (ar.IsStoring())
            ar << marker;
        else
            ar >> pending;
    };
    engine.m_commitOwnedObjects = [&] { committed = pending; };
    const auto saved = Save(engine);
    auto expected = DefaultEngineBlock();
    const std::uint8_t first[4] = {0x11, 0x11, 0x11, 0x11};
    expected.insert(expected.begin() + 8, std::begin(first), std::end(first));
    EXPECT_TRUE(saved == expected);
    EXPECT_THROW(Load(engine, std::span(saved).first(saved.size() - 1)), platform::ArchiveError);
    EXPECT_EQ(committed, 0);
    EXPECT_NO_THROW(Load(engine, saved));
    EXPECT_EQ(committed, 0x11111111);
}

// The histograms' settings and the channels' calibration curves travel with the block; a curve
// comes back from its own file, a histogram with an impossible bin count is refused whole.
TEST_F(SoundInSettingsTest, HistogramsAndCalibrationCurvesSurviveSaveAndLoad)
{
    const auto curveFile = m_home.File("mic.cal");
    std::ofstream(curveFile) << CCalibrationCurve::kMagicPairs << "\ndB\n100 1.0\n1000 2.0\n10000 3.0\n";
    CSoundIn first;
    first.m_histograms[1].m_settings.m_bEnabled = 1;
    first.m_histograms[1].m_settings.m_nCurve = 1;
    first.m_histograms[1].m_settings.m_dPeriodMax = 2.5;
    first.m_histograms[1].m_settings.m_nPeriodBins = 4096;
    CCalibrationCurve& curve = first.m_calibrationCurves[3];
    ASSERT_GT(curve.LoadFromFile(curveFile), 0);
    curve.m_bEnabled = 1;
    curve.m_nChannel = 3;
    const auto saved = Save(first);

    CSoundIn second;
    ASSERT_NO_THROW(Load(second, saved));
    EXPECT_TRUE(second.m_histograms[1].m_settings == first.m_histograms[1].m_settings);
    EXPECT_TRUE(second.m_histograms[0].m_settings == CHistogramSettings());
    const CCalibrationCurve& loaded = second.m_calibrationCurves[3];
    EXPECT_EQ(loaded.m_strPath, curve.m_strPath);
    EXPECT_EQ(loaded.m_bEnabled, 1);
    EXPECT_EQ(loaded.m_nChannel, 3);
    EXPECT_EQ(loaded.m_nPoints, curve.m_nPoints);
    EXPECT_TRUE(Save(second) == saved);

    // A bin count of zero in the first histogram: nothing of the block is taken.
    auto damaged = saved;
    const std::size_t binCount = 8 + 60;
    damaged[binCount] = damaged[binCount + 1] = damaged[binCount + 2] = damaged[binCount + 3] = 0;
    CSoundIn third;
    third.m_histograms[1].m_settings.m_nCurve = 3;
    EXPECT_THROW(Load(third, damaged), platform::ArchiveError);
    EXPECT_EQ(third.m_histograms[1].m_settings.m_nCurve, 3);
    EXPECT_TRUE(third.m_calibrationCurves[3].m_strPath.empty());
}

}  // namespace

namespace
{

class LoadSettingsTest : public testsupport::TempHomeTest
{
protected:
    std::string Write(const std::string& text)
    {
        const auto path = m_home.File("default.cal");
        std::ofstream(path) << text;
        return path.string();
    }
};

TEST_F(LoadSettingsTest, KeysSetTheirSettingsAndMissingOrImpossibleValuesKeepThem)
{
    CSoundIn engine;
    const std::string path = Write(
        "[Settings]\n"
        "Channel mode=3\nSample rate=96000\nCapture Mode=7\nBits per sample=24\n"
        "FFT size=8192\nAverage=4\nSmoothing=1\nSmoothing Octaves=6\n"
        "Peak interpolate=0\nWindow type=4\nWeight type=1\nCalibration=1\n"
        "Calibration offset=-12.5\nFFT submode=1\nFFT 64Bit=1\nFilterEQ enable=1\n"
        "[Average Settings]\nNumber of blocks=8\nRecursive=0\n"
        "[Filter Settings]\nDC block=1\n");
    EXPECT_EQ(engine.LoadSettings(path), 0);
    EXPECT_EQ(engine.m_nChannelMode, 3);
    EXPECT_EQ(engine.m_nSampleRate, 96000);
    EXPECT_EQ(engine.m_nInputMode, CSoundIn::kInputSimulated);
    EXPECT_EQ(engine.m_nBitsPerSample, 24);
    EXPECT_EQ(engine.m_nFftSize, 8192);
    EXPECT_EQ(engine.m_nAverageCount, 8);  // "Number of blocks" comes after "Average"
    EXPECT_EQ(engine.m_bRecursiveAverage, 0);
    EXPECT_EQ(engine.m_bSmoothing, 1);
    EXPECT_EQ(engine.m_nSmoothingOctaves, 6);
    EXPECT_EQ(engine.m_bPeakInterpolate, 0);
    EXPECT_EQ(engine.m_nWindowType, 4);
    EXPECT_EQ(engine.m_nWeightingType, 1);
    EXPECT_EQ(engine.m_bCalibration, 1);
    EXPECT_FLOAT_EQ(engine.m_fCalibrationOffset, -12.5f);
    EXPECT_EQ(engine.m_nFftSubmode, 1);
    EXPECT_EQ(engine.m_bFft64Bit, 1);
    EXPECT_EQ(engine.m_bEqualizerFilters, 1);
    EXPECT_EQ(engine.m_bDcBlock, 1);

    // Values no setting can take leave the settings as they are.
    CSoundIn other;
    const std::string damaged = Write(
        "[Settings]\nChannel mode=9\nSample rate=0\nCapture Mode=77\n"
        "FFT size=1000\nWindow type=99\nWeight type=-1\nCalibration offset=1e300\n");
    other.LoadSettings(damaged);
    EXPECT_EQ(other.m_nChannelMode, 1);
    EXPECT_EQ(other.m_nSampleRate, 44100);
    EXPECT_EQ(other.m_nInputMode, CSoundIn::kInputWave);
    EXPECT_EQ(other.m_nFftSize, 512);
    EXPECT_EQ(other.m_nWindowType, 2);
    EXPECT_EQ(other.m_nWeightingType, 0);
    EXPECT_FLOAT_EQ(other.m_fCalibrationOffset, 0.0f);

    // A file that is not there changes nothing.
    CSoundIn third;
    third.LoadSettings((m_home.Root() / "missing.cal").string());
    EXPECT_EQ(third.m_nFftSize, 512);
}

// The main window's rectangle comes from a file a user can edit: a window is moved only to a
// rectangle that fits a screen, and extreme values neither overflow nor move it.
TEST_F(LoadSettingsTest, MainWindowMovesOnlyToAPlausibleRectangle)
{
    class MainWindow : public CEngineNotifications
    {
    public:
        bool GetMainWindowRect(int& left, int& top, int& right, int& bottom) override
        {
            left = 10, top = 20, right = 810, bottom = 620;
            return true;
        }
        void MoveMainWindow(int left, int top, int width, int height) override
        {
            moves.push_back({left, top, width, height});
        }
        std::vector<std::array<int, 4>> moves;
    };
    struct Case
    {
        const char* keys;
        std::vector<std::array<int, 4>> moves;
    };
    const Case cases[] = {
        {"left=100\ntop=50\nright=1100\nbottom=850\n", {{100, 50, 1000, 800}}},
        {"left=-2147483648\nright=2147483647\n", {}},
        {"top=-2147483648\nbottom=2147483647\n", {}},
        {"left=900\nright=100\n", {}},
        {"left=-200000\nright=100\n", {}},
        {"", {{10, 20, 800, 600}}},
    };
    for (const Case& c : cases)
    {
        CSoundIn engine;
        MainWindow window;
        engine.SetNotifications(&window);
        engine.LoadSettings(Write(std::string("[Mainframe]\n") + c.keys));
        EXPECT_EQ(window.moves, c.moves) << c.keys;
        engine.SetNotifications(nullptr);
    }
}

TEST(FindStringNoCase, FindsTheFirstNameContainingTheText)
{
    const std::vector<std::string> names = {"HDA Intel PCH", "USB Audio CODEC", "usb headset"};
    EXPECT_EQ(FindStringNoCase(names, "usb"), 1);
    EXPECT_EQ(FindStringNoCase(names, "HEADSET"), 2);
    EXPECT_EQ(FindStringNoCase(names, "intel"), 0);
    EXPECT_EQ(FindStringNoCase(names, "firewire"), -1);
    EXPECT_EQ(FindStringNoCase({}, "usb"), -1);
}

}  // namespace
