#include "app/SndDoc.h"

#include "engine/SoundIn.h"
#include "platform/Archive.h"
#include "tests/support/ArchiveBytes.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"
#include "view/EngineDisplayObjects.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstring>
#include <string>
#include <vector>

namespace
{

using Bytes = std::vector<std::uint8_t>;

Bytes EngineBytes(CSoundIn& engine)
{
    CArchive ar;
    engine.Serialize(ar);
    return ar.Buffer();
}

Bytes DocBytes(CSndDoc& doc)
{
    CArchive ar;
    doc.Serialize(ar);
    return ar.Buffer();
}

std::string AsText(const Bytes& b)
{
    return std::string(b.begin(), b.end());
}

class SndDocTest : public testsupport::TempHomeTest
{
protected:
    // A workspace with three measurement windows and changed engine settings.
    void Fill(CSndDoc& doc, CSoundIn& engine)
    {
        doc.m_mainWindowRect = {10, 20, 830, 620};
        for (int i = 0; i < 3; ++i)
            doc.m_viewSettings[static_cast<std::size_t>(i)] = std::make_unique<CViewSettings>();
        engine.m_nSampleRate = 48000;
        engine.m_nFftSize = 8192;
        engine.m_strRecorderFile = "session.wav";
        for (int i = 0; i < CSoundIn::kStoredGenerators; ++i)
        {
            engine.GetGenerator(i)->SetLevel(0.25);
            engine.GetGenerator(i)->m_settings.m_frequency = 500.0 + i;
        }
        doc.m_viewSettings[2]->m_strWindowTitle = "third";
        engine.m_histograms[0].m_settings.m_bEnabled = 1;
        engine.m_histograms[0].m_settings.m_nActiveBins = 1024;
        // The engine's display records kept above the engine.
        CEngineDisplayObjects& objects = GetEngineDisplayObjects();
        objects.m_axisPresets[0].m_dYMin = -80.0;
        objects.m_axisPresets[13].m_bLogX = 1;
        objects.m_curveStyles[5].m_nWidth = 3;
        objects.m_channels.GetChannel(7).m_bActive = 1;
        objects.m_channels.GetChannel(7).m_dScaleDb = 6.0;
    }
    void TearDown() override { GetEngineDisplayObjects().InitDefaults(); }
};

TEST_F(SndDocTest, FileFramingMatchesHandWrittenBytes)
{
    CSoundIn engine;
    CSndDoc doc(engine);
    doc.m_mainWindowRect = {10, 20, 830, 620};
    const Bytes saved = DocBytes(doc);
    // Signature 121929, the rectangle, ten generator window records.
    const Bytes head = testsupport::FromHex("49DC0100 0A000000 14000000 3E030000 6C020000 0A000000");
    ASSERT_GE(saved.size(), head.size());
    EXPECT_EQ(Bytes(saved.begin(), saved.begin() + 24), head);
    CWindow_settings window;
    const Bytes record = testsupport::StoreBytes(window);
    ASSERT_EQ(record.size(), CWindow_settings::kStoredBytes);
    Bytes expected = head;
    for (int i = 0; i < 10; ++i)
        expected.insert(expected.end(), record.begin(), record.end());
    const Bytes engineBlock = EngineBytes(engine);
    expected.insert(expected.end(), engineBlock.begin(), engineBlock.end());
    expected.insert(expected.end(), {0, 0, 0, 0});  // no measurement windows
    EXPECT_TRUE(saved == expected);
}

TEST_F(SndDocTest, WorkspaceSavesAndLoadsBackToEqualState)
{
    CSoundIn engine;
    CSndDoc doc(engine);
    Fill(doc, engine);
    const auto path = m_home.File("work.wst");
    ASSERT_TRUE(doc.SaveWorkspace(path)) << doc.m_strLastError;
    const Bytes first = DocBytes(doc);

    // The program's display records go back to their defaults: the file must bring them.
    GetEngineDisplayObjects().InitDefaults();
    CSoundIn engine2;
    CSndDoc loaded(engine2);
    ASSERT_TRUE(loaded.LoadWorkspace(path)) << loaded.m_strLastError;
    const CEngineDisplayObjects& objects = GetEngineDisplayObjects();
    EXPECT_EQ(objects.m_axisPresets[0].m_dYMin, -80.0);
    EXPECT_EQ(objects.m_axisPresets[13].m_bLogX, 1);
    EXPECT_EQ(objects.m_curveStyles[5].m_nWidth, 3);
    EXPECT_EQ(objects.m_channels.GetChannel(7).m_dScaleDb, 6.0);
    EXPECT_EQ(engine2.m_histograms[0].m_settings.m_nActiveBins, 1024);
    EXPECT_EQ(loaded.m_viewSettings[2]->m_strWindowTitle, "third");
    EXPECT_EQ(loaded.m_nLoadedWindowCount, 3);
    EXPECT_EQ(loaded.CountViewSettings(), 3);
    EXPECT_EQ(loaded.m_mainWindowRect, (WindowRect{10, 20, 830, 620}));
    EXPECT_EQ(engine2.m_nSampleRate, 48000);
    EXPECT_EQ(engine2.m_strRecorderFile, "session.wav");
    // The generators took their records once the whole file was read.
    for (int i = 0; i < CSoundIn::kStoredGenerators; ++i)
    {
        EXPECT_EQ(engine2.GetGenerator(i)->m_settings.m_level, 0.25) << i;
        EXPECT_EQ(engine2.GetGenerator(i)->m_settings.m_frequency, 500.0 + i) << i;
    }
    EXPECT_TRUE(DocBytes(loaded) == first);
    EXPECT_TRUE(testsupport::ReadBytes(path) == AsText(first));
}

// A refused file changes neither the document nor the engine.
TEST_F(SndDocTest, RefusedFilesLeaveTheWorkspaceAsItWas)
{
    CSoundIn source;
    CSndDoc sourceDoc(source);
    Fill(sourceDoc, source);
    const Bytes good = DocBytes(sourceDoc);
    const std::size_t viewCountOffset = 24 + 10 * 84 + EngineBytes(source).size();

    struct Case
    {
        const char* name;
        std::size_t offset;
        std::int32_t value;
    };
    const Case cases[] = {
        {"signature", 0, 121928},
        {"negative generator window count", 20, -1},
        {"window count above 256", viewCountOffset, 257},
        {"negative window count", viewCountOffset, -5},
        {"window count beyond the records", viewCountOffset, 4},
    };
    CSoundIn engine;
    CSndDoc doc(engine);
    doc.m_mainWindowRect = {1, 2, 3, 4};
    doc.m_viewSettings[0] = std::make_unique<CViewSettings>();
    const Bytes before = DocBytes(doc);
    for (const Case& c : cases)
    {
        Bytes bytes = good;
        std::memcpy(&bytes[c.offset], &c.value, 4);
        const auto path = m_home.File("bad.wst");
        testsupport::WriteBytes(path, AsText(bytes));
        EXPECT_FALSE(doc.LoadWorkspace(path)) << c.name;
        EXPECT_FALSE(doc.m_strLastError.empty());
        EXPECT_TRUE(DocBytes(doc) == before) << c.name;
        EXPECT_EQ(engine.GetGenerator(0)->m_settings.m_frequency, 1000.0) << c.name;
    }
    const auto path = m_home.File("foreign.wst");
    testsupport::WriteBytes(path, "not a workspace at all");
    EXPECT_FALSE(doc.LoadWorkspace(path));
    EXPECT_EQ(doc.m_strLastError, CSndDoc::kUnsupportedMessage);
}

// A file with three generator windows restores those three and leaves the other seven; a count
// above ten reads ten records (the writer never stores more).
TEST_F(SndDocTest, GeneratorWindowRecordsFollowTheirCount)
{
    struct Case
    {
        std::int32_t count;
        int records;
        int loaded;
    };
    for (const Case c : {Case{3, 3, 3}, Case{12, 10, 10}, Case{0, 0, 0}})
    {
        CSoundIn engine;
        CSndDoc source(engine);
        for (auto& window : source.m_generatorWindows)
            window.m_rect = {5, 6, 7, 8};
        Bytes bytes = DocBytes(source);
        std::memcpy(&bytes[20], &c.count, 4);
        bytes.erase(bytes.begin() + 24 + c.records * 84, bytes.begin() + 24 + 10 * 84);

        CSndDoc doc(engine);
        const auto path = m_home.File("generators.wst");
        testsupport::WriteBytes(path, AsText(bytes));
        ASSERT_TRUE(doc.LoadWorkspace(path)) << c.count << ": " << doc.m_strLastError;
        for (int i = 0; i < 10; ++i)
        {
            const CWindow_settings& window = doc.m_generatorWindows[static_cast<std::size_t>(i)];
            EXPECT_EQ(window.m_bLoaded, i < c.loaded ? 1 : 0) << c.count << " window " << i;
            EXPECT_EQ(window.m_rect == (WindowRect{5, 6, 7, 8}), i < c.loaded) << c.count;
        }
    }
}

TEST_F(SndDocTest, EveryTruncationAndByteFlipIsRefusedOrLoaded)
{
    CSoundIn source;
    CSndDoc sourceDoc(source);
    Fill(sourceDoc, source);
    const Bytes good = DocBytes(sourceDoc);
    CSoundIn engine;
    CSndDoc doc(engine);
    const Bytes before = DocBytes(doc);
    for (std::size_t length = 0; length < good.size();
         length += (length < 300 || length + 300 > good.size()) ? 1 : 97)
    {
        CArchive ar{std::span<const std::uint8_t>(good.data(), length)};
        EXPECT_THROW(doc.Serialize(ar), platform::ArchiveError) << length;
    }
    EXPECT_TRUE(DocBytes(doc) == before);
    for (std::size_t at = 0; at < good.size(); at += (at < 300 || at + 300 > good.size()) ? 1 : 89)
    {
        Bytes bytes = good;
        bytes[at] ^= 0xA5;
        CArchive ar{std::span<const std::uint8_t>(bytes)};
        try
        {
            doc.Serialize(ar);
        }
        catch (const platform::ArchiveError&)
        {
        }
    }
}

// A save killed at any moment leaves either the old or the new workspace on disk.
TEST_F(SndDocTest, KilledSaveLeavesOldOrNewFile)
{
    const auto path = m_home.File("kill.wst");
    CSoundIn engine;
    CSndDoc doc(engine);
    ASSERT_TRUE(doc.SaveWorkspace(path));
    const std::string oldBytes = testsupport::ReadBytes(path);
    Fill(doc, engine);
    for (int i = 0; i < 128; ++i)
        doc.m_viewSettings[static_cast<std::size_t>(i)] = std::make_unique<CViewSettings>();
    const Bytes newBytes = DocBytes(doc);
    for (int delay = 0; delay < 20; ++delay)
    {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
        {
            doc.SaveWorkspace(path);
            _exit(0);
        }
        usleep(static_cast<useconds_t>(delay * 700));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        const std::string now = testsupport::ReadBytes(path);
        EXPECT_TRUE(now == oldBytes || now == AsText(newBytes)) << "delay " << delay;
        // Start every round from the old file again.
        testsupport::WriteBytes(path, oldBytes);
    }
}

}  // namespace
