#include "engine/SoundIn.h"
#include "engine/VstChain.h"
#include "engine/VstPlugin.h"
#include "platform/Places.h"
#include "platform/SharedLibrary.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace
{

std::string ModulePath(const std::string& target)
{
    return (platform::ProgramFolder() / (target + ".so")).string();
}

// One of the test plug-in modules, opened by the test as well so that it stays loaded (with its log)
// while the host loads and unloads it.
class TestModule
{
public:
    struct Event
    {
        int instance = 0;
        std::int32_t opcode = 0;
        std::int32_t index = 0;
        std::intptr_t value = 0;
        float opt = 0.0f;
        std::string text;
    };

    explicit TestModule(const std::string& target) : m_path(ModulePath(target))
    {
        if (!m_library.Open(m_path))
            ADD_FAILURE() << m_library.GetError();
        Bind(m_configure, "TestVstConfigure");
        Bind(m_clearEvents, "TestVstClearEvents");
        Bind(m_eventCount, "TestVstEventCount");
        Bind(m_event, "TestVstEvent");
        Bind(m_violations, "TestVstViolations");
        Bind(m_processCalls, "TestVstProcessCalls");
    }

    bool IsUsable() const { return m_configure != nullptr && m_event != nullptr; }
    const std::string& Path() const { return m_path; }

    void Configure(int inputs, int outputs, float gain, const std::string& name)
    {
        m_configure(inputs, outputs, gain, name.c_str());
    }
    void ClearEvents() { m_clearEvents(); }
    int Violations() const { return m_violations(); }
    long ProcessCalls() const { return m_processCalls(); }

    std::vector<Event> Events() const
    {
        std::vector<Event> events(static_cast<std::size_t>(m_eventCount()));
        char text[kVstTextBufferSize] = {};
        for (std::size_t n = 0; n < events.size(); ++n)
        {
            Event& e = events[n];
            m_event(static_cast<int>(n), &e.instance, &e.opcode, &e.index, &e.value, &e.opt, text);
            e.text = text;
        }
        return events;
    }

    // The opcodes the given instance received, in order.
    std::vector<std::int32_t> OpcodesOf(int instance) const
    {
        std::vector<std::int32_t> opcodes;
        for (const Event& e : Events())
            if (e.instance == instance)
                opcodes.push_back(e.opcode);
        return opcodes;
    }

    // The instance number of the last effect created (the one that received the last effOpen).
    int LastOpened() const
    {
        int instance = -1;
        for (const Event& e : Events())
            if (e.opcode == effOpen)
                instance = e.instance;
        return instance;
    }

private:
    template <class Function>
    void Bind(Function*& function, const char* name)
    {
        function = reinterpret_cast<Function*>(m_library.GetSymbol(name));
        if (function == nullptr)
            ADD_FAILURE() << "the test plug-in lacks " << name;
    }

    std::string m_path;
    platform::SharedLibrary m_library;
    void (*m_configure)(int, int, float, const char*) = nullptr;
    void (*m_clearEvents)() = nullptr;
    int (*m_eventCount)() = nullptr;
    bool (*m_event)(int, int*, std::int32_t*, std::int32_t*, std::intptr_t*, float*, char*) = nullptr;
    int (*m_violations)() = nullptr;
    long (*m_processCalls)() = nullptr;
};

// A block of `channels` rows of `frames` samples, `stride` samples apart; every sample distinct and
// exactly representable after multiplication by small integers.
struct Block
{
    Block(int channelCount, int frameCount, std::size_t rowStride = 1024)
        : channels(channelCount),
          frames(frameCount),
          stride(rowStride),
          samples(static_cast<std::size_t>(channelCount) * rowStride, -7.0f)
    {
        for (int k = 0; k < channels; ++k)
            for (int n = 0; n < frames; ++n)
                At(k, n) = static_cast<float>((k + 1) * 1000 + n) * 0.25f;
    }
    float& At(int channel, int frame) { return samples[static_cast<std::size_t>(channel) * stride + frame]; }
    float At(int channel, int frame) const
    {
        return samples[static_cast<std::size_t>(channel) * stride + frame];
    }

    int channels;
    int frames;
    std::size_t stride;
    std::vector<float> samples;
};

void RunInPlace(CVstChain& chain, Block& block)
{
    chain.ProcessChain(block.samples.data(), block.samples.data(), block.stride, block.frames,
                       block.channels);
}

constexpr double kRate = 48000.0;
constexpr int kBlockSize = 512;

class VstChainTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_gain.IsUsable());
        m_gain.Configure(2, 2, 2.0f, "Test Gain");
        m_gain.ClearEvents();
        m_violationsBefore = m_gain.Violations();
        m_chain.SetFormat(kRate, kBlockSize);
    }
    void TearDown() override { EXPECT_EQ(m_gain.Violations(), m_violationsBefore); }

    // Loads the gain plug-in with this configuration into `slot` and enables the slot.
    void LoadGain(CVstChain& chain, int slot, int inputs, int outputs, float gain)
    {
        m_gain.Configure(inputs, outputs, gain, "Test Gain");
        ASSERT_EQ(chain.LoadSlot(slot, m_gain.Path()), CVstPlugin::kLoadOk);
        chain.SetEnabled(slot, true);
    }

    TestModule m_gain{"test_vst_plugin"};
    int m_violationsBefore = 0;
    CVstChain m_chain;  // after the module, so its plug-ins are closed before the module goes
};

TEST(VstHostCallbackTest, AnswersOnlyTheVersion)
{
    EXPECT_EQ(VstHostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f), 2400);
    EXPECT_EQ(VstHostCallback(nullptr, audioMasterIdle, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(VstHostCallback(nullptr, 0, 0, 0, nullptr, 0.0f), 0);
}

TEST_F(VstChainTest, SlotsStartEmptyAndDisabled)
{
    for (int slot = 0; slot < CVstChain::kSlotCount; ++slot)
    {
        EXPECT_EQ(m_chain.GetSlotName(slot), "no plug-in loaded");
        EXPECT_FALSE(m_chain.GetSlot(slot).IsLoaded());
        EXPECT_FALSE(m_chain.GetSlot(slot).IsEnabled());
    }
    EXPECT_FALSE(m_chain.IsAnyEnabled());
}

// Every load replaces a plug-in loaded before; whatever the outcome, that one is switched off and
// closed first.
TEST_F(VstChainTest, LoadResultsAndSlotNames)
{
    testsupport::TempHome home;
    const std::string notALibrary = home.File("not_a_library.so").string();
    ASSERT_TRUE(testsupport::WriteBytes(notALibrary, "this is text, not a shared object\n"));
    TestModule legacy("test_vst_plugin_main");
    ASSERT_TRUE(legacy.IsUsable());
    legacy.Configure(1, 1, 1.0f, "Legacy Gain");

    struct Case
    {
        const char* what;
        std::string path;
        int result;
        std::string name;
    };
    const Case cases[] = {
        {"entry point VSTPluginMain", m_gain.Path(), 0, "Test Gain"},
        {"only the entry point main", legacy.Path(), 0, "Legacy Gain"},
        {"no such file", home.File("absent.so").string(), -1, "no plug-in loaded"},
        {"not a shared object", notALibrary, -1, "no plug-in loaded"},
        {"no entry point", ModulePath("test_vst_plugin_no_entry"), -2, "no plug-in loaded"},
        {"entry point returns null", ModulePath("test_vst_plugin_null"), -3, "no plug-in loaded"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        CVstChain chain;
        chain.SetFormat(kRate, kBlockSize);
        m_gain.Configure(2, 2, 2.0f, "Previous");
        ASSERT_EQ(chain.LoadSlot(4, m_gain.Path()), 0);
        const int previous = m_gain.LastOpened();
        m_gain.Configure(2, 2, 2.0f, "Test Gain");

        EXPECT_EQ(chain.LoadSlot(4, c.path), c.result);
        EXPECT_EQ(chain.GetSlotName(4), c.name);
        EXPECT_EQ(chain.GetSlot(4).IsLoaded(), c.result == 0);
        EXPECT_EQ(chain.GetSlot(4).GetLoadedPath(), c.result == 0 ? c.path : std::string());
        const std::vector<std::int32_t> opcodes = m_gain.OpcodesOf(previous);
        ASSERT_GE(opcodes.size(), 2u);
        EXPECT_EQ(opcodes[opcodes.size() - 2], effMainsChanged);
        EXPECT_EQ(opcodes.back(), effClose);
        EXPECT_TRUE(chain.GetSlot(4).GetEffectName().empty() == (c.result != 0));
    }
}

TEST_F(VstChainTest, OpcodesOfLoadPrepareAndUnload)
{
    CVstPlugin plugin;
    plugin.SetFile("", m_gain.Path());
    ASSERT_EQ(plugin.Load(), CVstPlugin::kLoadOk);
    EXPECT_FALSE(plugin.IsReady());
    plugin.SetFormat(44100.0, 4096);
    plugin.Prepare();
    EXPECT_TRUE(plugin.IsReady());
    EXPECT_EQ(plugin.GetEffectName(), "Test Gain");
    EXPECT_EQ(plugin.GetVendorName(), "Tessarin tests");
    EXPECT_EQ(plugin.GetProductName(), "Gain");
    EXPECT_EQ(plugin.GetInputCount(), 2);
    EXPECT_EQ(plugin.GetOutputCount(), 2);
    plugin.Unload();
    EXPECT_FALSE(plugin.IsLoaded());
    EXPECT_FALSE(plugin.IsReady());
    EXPECT_EQ(plugin.GetEffectName(), "");
    EXPECT_EQ(plugin.GetInputCount(), 0);

    // The test plug-in has two programs without indexed names and one parameter.
    struct Expected
    {
        std::int32_t opcode;
        std::int32_t index;
        std::intptr_t value;
        float opt;
        std::string text;
    };
    const std::vector<Expected> expected = {
        {effOpen, 0, 0, 0.0f, ""},
        {effSetSampleRate, 0, 0, 44100.0f, ""},
        {effSetBlockSize, 0, 4096, 0.0f, ""},
        {effGetEffectName, 0, 0, 0.0f, ""},
        {effGetVendorString, 0, 0, 0.0f, ""},
        {effGetProductString, 0, 0, 0.0f, ""},
        {effGetProgramNameIndexed, 0, 0, 0.0f, ""},
        {effSetProgram, 0, 0, 0.0f, ""},
        {effGetProgramName, 0, 0, 0.0f, ""},
        {effGetProgramNameIndexed, 1, 0, 0.0f, ""},
        {effSetProgram, 0, 1, 0.0f, ""},
        {effGetProgramName, 0, 0, 0.0f, ""},
        {effGetParamName, 0, 0, 0.0f, ""},
        {effGetParamLabel, 0, 0, 0.0f, ""},
        {effGetParamDisplay, 0, 0, 0.0f, ""},
        {effCanDo, 0, 0, 0.0f, "receiveVstEvents"},
        {effCanDo, 0, 0, 0.0f, "receiveVstMidiEvent"},
        {effCanDo, 0, 0, 0.0f, "midiProgramNames"},
        {effMainsChanged, 0, 1, 0.0f, ""},
        {effMainsChanged, 0, 0, 0.0f, ""},
        {effClose, 0, 0, 0.0f, ""},
    };
    const std::vector<TestModule::Event> events = m_gain.Events();
    ASSERT_EQ(events.size(), expected.size());
    for (std::size_t n = 0; n < events.size(); ++n)
    {
        SCOPED_TRACE("event " + std::to_string(n));
        EXPECT_EQ(events[n].instance, events[0].instance);
        EXPECT_EQ(events[n].opcode, expected[n].opcode);
        EXPECT_EQ(events[n].index, expected[n].index);
        EXPECT_EQ(events[n].value, expected[n].value);
        EXPECT_EQ(events[n].opt, expected[n].opt);
        EXPECT_EQ(events[n].text, expected[n].text);
    }
}

TEST_F(VstChainTest, DestroyingTheChainClosesItsPlugIns)
{
    int first = -1;
    int second = -1;
    {
        CVstChain chain;
        chain.SetFormat(kRate, kBlockSize);
        ASSERT_EQ(chain.LoadSlot(0, m_gain.Path()), 0);
        first = m_gain.LastOpened();
        ASSERT_EQ(chain.LoadSlot(9, m_gain.Path()), 0);
        second = m_gain.LastOpened();
    }
    for (const int instance : {first, second})
    {
        const std::vector<std::int32_t> opcodes = m_gain.OpcodesOf(instance);
        ASSERT_GE(opcodes.size(), 2u);
        EXPECT_EQ(opcodes[opcodes.size() - 2], effMainsChanged);
        EXPECT_EQ(opcodes.back(), effClose);
    }
}

TEST_F(VstChainTest, IdleSlotsLeaveTheBlockUntouched)
{
    struct Case
    {
        const char* what;
        std::function<void(CVstChain&)> setUp;
    };
    const Case cases[] = {
        {"ten empty disabled slots", [](CVstChain&) {}},
        {"ten empty enabled slots",
         [](CVstChain& chain)
         {
             for (int slot = 0; slot < CVstChain::kSlotCount; ++slot)
                 chain.SetEnabled(slot, true);
         }},
        {"a loaded slot that is not enabled",
         [this](CVstChain& chain) { ASSERT_EQ(chain.LoadSlot(0, m_gain.Path()), 0); }},
        {"a loaded slot after All Off",
         [this](CVstChain& chain)
         {
             LoadGain(chain, 0, 2, 2, 2.0f);
             chain.OnDisableAll();
         }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        CVstChain chain;
        chain.SetFormat(kRate, kBlockSize);
        c.setUp(chain);
        const long callsBefore = m_gain.ProcessCalls();
        Block block(2, 300);
        const std::vector<float> original = block.samples;
        RunInPlace(chain, block);
        EXPECT_EQ(block.samples, original);
        EXPECT_EQ(m_gain.ProcessCalls(), callsBefore);
    }
}

TEST_F(VstChainTest, EnabledSlotsActInSeries)
{
    LoadGain(m_chain, 2, 2, 2, 2.0f);
    LoadGain(m_chain, 7, 2, 2, 3.0f);
    m_chain.SetEnabled(5, true);  // enabled but empty: passes the samples on
    EXPECT_TRUE(m_chain.IsAnyEnabled());

    Block block(2, kBlockSize);
    const Block original = block;
    RunInPlace(m_chain, block);
    for (int k = 0; k < 2; ++k)
        for (int n = 0; n < kBlockSize; ++n)
            ASSERT_EQ(block.At(k, n), 6.0f * original.At(k, n)) << "channel " << k << " frame " << n;
    // The rows' padding beyond the frames stays as it was.
    EXPECT_EQ(block.At(0, kBlockSize), original.At(0, kBlockSize));
}

TEST_F(VstChainTest, SeparateDestinationReceivesTheWholeChain)
{
    LoadGain(m_chain, 0, 2, 2, 2.0f);
    LoadGain(m_chain, 1, 2, 2, 3.0f);
    const Block source(2, 100);
    Block destination(2, 100);
    std::fill(destination.samples.begin(), destination.samples.end(), 99.0f);
    const std::vector<float> sourceBefore = source.samples;
    m_chain.ProcessChain(source.samples.data(), destination.samples.data(), source.stride, source.frames, 2);
    EXPECT_EQ(source.samples, sourceBefore);
    for (int k = 0; k < 2; ++k)
        for (int n = 0; n < 100; ++n)
            ASSERT_EQ(destination.At(k, n), 6.0f * source.At(k, n)) << "channel " << k << " frame " << n;

    // With every slot off the destination is a copy of the source.
    m_chain.OnDisableAll();
    m_chain.ProcessChain(source.samples.data(), destination.samples.data(), source.stride, source.frames, 2);
    for (int k = 0; k < 2; ++k)
        for (int n = 0; n < 100; ++n)
            ASSERT_EQ(destination.At(k, n), source.At(k, n));
}

// The test plug-in's output o is gain x the sum of inputs i with i % outputs == o; the host feeds
// input i from channel i when the block has that channel, else the input keeps its zeros.
TEST_F(VstChainTest, ChannelCountsOfBlockAndPlugInDiffer)
{
    struct Case
    {
        int inputs;
        int outputs;
        int channels;
    };
    const Case cases[] = {
        {1, 1, 3},             // channels beyond the output count pass through
        {2, 2, 1},             // the second input keeps zeros
        {2, 1, 1},             // ... and is summed into the only output
        {3, 1, 2}, {1, 2, 2},  // the second output is silence and replaces channel 1
        {2, 2, 4},
    };
    const float gain = 2.0f;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.inputs) + " in, " + std::to_string(c.outputs) + " out, " +
                     std::to_string(c.channels) + " channels");
        CVstChain chain;
        chain.SetFormat(kRate, kBlockSize);
        LoadGain(chain, 0, c.inputs, c.outputs, gain);
        Block block(c.channels, 200);
        const Block original = block;
        RunInPlace(chain, block);
        for (int k = 0; k < c.channels; ++k)
            for (int n = 0; n < block.frames; ++n)
            {
                float expected = original.At(k, n);
                if (k < c.outputs)
                {
                    expected = 0.0f;
                    for (int i = k; i < c.inputs; i += c.outputs)
                        expected += gain * (i < c.channels ? original.At(i, n) : 0.0f);
                }
                ASSERT_EQ(block.At(k, n), expected) << "channel " << k << " frame " << n;
            }
    }
}

TEST_F(VstChainTest, AllOffKeepsPlugInsAndReenablingPreparesAgain)
{
    LoadGain(m_chain, 0, 2, 2, 2.0f);
    const int first = m_gain.LastOpened();
    LoadGain(m_chain, 1, 2, 2, 3.0f);
    const int second = m_gain.LastOpened();

    m_chain.OnDisableAll();
    EXPECT_FALSE(m_chain.IsAnyEnabled());
    for (const int slot : {0, 1})
    {
        EXPECT_TRUE(m_chain.GetSlot(slot).IsLoaded());
        EXPECT_EQ(m_chain.GetSlotName(slot), "Test Gain");
    }
    for (const int instance : {first, second})
        EXPECT_EQ(m_gain.OpcodesOf(instance).back(), effMainsChanged);

    m_gain.ClearEvents();
    m_chain.SetFormat(96000.0, 1024);
    m_chain.SetEnabled(1, true);
    const std::vector<TestModule::Event> events = m_gain.Events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front().instance, second);
    EXPECT_EQ(events.front().opcode, effSetSampleRate);
    EXPECT_EQ(events.front().opt, 96000.0f);
    EXPECT_EQ(events[1].opcode, effSetBlockSize);
    EXPECT_EQ(events[1].value, 1024);
    EXPECT_EQ(events.back().opcode, effMainsChanged);
    EXPECT_EQ(events.back().value, 1);

    Block block(2, 1024);
    const Block original = block;
    RunInPlace(m_chain, block);
    for (int n = 0; n < 1024; ++n)
        ASSERT_EQ(block.At(1, n), 3.0f * original.At(1, n)) << "frame " << n;
}

TEST_F(VstChainTest, NoSampleRateOrNoChannelsDisablesTheSlot)
{
    struct Case
    {
        double sampleRate;
        int channels;
    };
    for (const Case c : {Case{0.0, 2}, Case{kRate, 0}})
    {
        SCOPED_TRACE("rate " + std::to_string(c.sampleRate) + ", channels " + std::to_string(c.channels));
        CVstChain chain;
        chain.SetFormat(c.sampleRate, kBlockSize);
        ASSERT_EQ(chain.LoadSlot(3, m_gain.Path()), 0);
        chain.SetEnabled(3, true);
        ASSERT_TRUE(chain.IsAnyEnabled());
        const long callsBefore = m_gain.ProcessCalls();
        Block block(2, 64);
        const std::vector<float> original = block.samples;
        chain.ProcessChain(block.samples.data(), block.samples.data(), block.stride, 64, c.channels);
        EXPECT_EQ(block.samples, original);
        EXPECT_EQ(m_gain.ProcessCalls(), callsBefore);
        EXPECT_FALSE(chain.GetSlot(3).IsEnabled());
        EXPECT_FALSE(chain.IsAnyEnabled());
        EXPECT_TRUE(chain.GetSlot(3).IsLoaded());
    }
}

TEST_F(VstChainTest, LongOrEmptyEffectNamesShowTheFileName)
{
    struct Case
    {
        const char* what;
        std::string effectName;
        std::string shown;
    };
    std::string eAcute100;
    for (int i = 0; i < 100; ++i)
        eAcute100 += "\xC3\xA9";
    const Case cases[] = {
        {"ordinary", "Test Gain", "Test Gain"},
        {"100 characters", std::string(100, 'a'), std::string(100, 'a')},
        {"101 characters", std::string(101, 'a'), "test_vst_plugin.so"},
        {"empty", "", "test_vst_plugin.so"},
        {"100 two-byte characters", eAcute100, eAcute100},
        {"101 two-byte characters", eAcute100 + "\xC3\xA9", "test_vst_plugin.so"},
        {"Windows-1252 bytes", "Caf\xE9 Gain", "Caf\xC3\xA9 Gain"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        m_gain.Configure(2, 2, 1.0f, c.effectName);
        ASSERT_EQ(m_chain.LoadSlot(6, m_gain.Path()), 0);
        EXPECT_EQ(m_chain.GetSlotName(6), c.shown);
    }
}

TEST_F(VstChainTest, AnEmptyPathChangesNothing)
{
    LoadGain(m_chain, 0, 2, 2, 2.0f);
    EXPECT_EQ(m_chain.LoadSlot(0, ""), 0);
    EXPECT_TRUE(m_chain.GetSlot(0).IsReady());
    EXPECT_EQ(m_chain.GetSlotName(0), "Test Gain");
}

// A caller that passes more frames than it prepared for still gets every frame processed.
TEST_F(VstChainTest, MoreFramesThanPreparedAreStillProcessed)
{
    m_chain.SetFormat(kRate, 64);
    LoadGain(m_chain, 0, 1, 1, 2.0f);
    Block block(1, 1000);
    const Block original = block;
    RunInPlace(m_chain, block);
    for (int n = 0; n < 1000; ++n)
        ASSERT_EQ(block.At(0, n), 2.0f * original.At(0, n)) << "frame " << n;
}

// One thread processes blocks without pause while another loads, prepares, disables and unloads.
// Every block must come out either untouched or multiplied as a whole, and the plug-in must never
// be processed while it is switched off or closed, nor switched while it processes.
TEST_F(VstChainTest, ProcessingSurvivesLoadingAndUnloadingOnAnotherThread)
{
    constexpr int kCycles = 40;
    constexpr int kFrames = 256;
    const std::string noEntry = ModulePath("test_vst_plugin_no_entry");
    m_gain.Configure(2, 2, 2.0f, "Test Gain");

    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0};
    std::atomic<long> torn{0};
    std::thread audio(
        [&]
        {
            Block block(2, kFrames);
            const Block original = block;
            while (!stop.load())
            {
                block.samples = original.samples;
                RunInPlace(m_chain, block);
                // Slots 0 and 1 hold gain 2 each: 1, 2 or 4 times the input, the same for every sample.
                const float factor = block.At(0, 1) / original.At(0, 1);
                for (int k = 0; k < 2; ++k)
                    for (int n = 0; n < kFrames; ++n)
                        if (block.At(k, n) != factor * original.At(k, n))
                        {
                            ++torn;
                            k = 2;
                            break;
                        }
                if (factor != 1.0f && factor != 2.0f && factor != 4.0f)
                    ++torn;
                ++blocks;
            }
        });

    // Waits until the audio thread has run the plug-in again, so that every step overlaps processing.
    const auto waitForProcessing = [&]
    {
        const long before = m_gain.ProcessCalls();
        for (int i = 0; i < 20000 && m_gain.ProcessCalls() == before; ++i)
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        return m_gain.ProcessCalls() != before;
    };

    for (int cycle = 0; cycle < kCycles; ++cycle)
    {
        ASSERT_EQ(m_chain.LoadSlot(0, m_gain.Path()), 0);
        m_chain.SetEnabled(0, true);
        ASSERT_EQ(m_chain.LoadSlot(1, m_gain.Path()), 0);
        m_chain.SetEnabled(1, true);
        ASSERT_TRUE(waitForProcessing());
        m_chain.SetFormat(cycle % 2 == 0 ? 44100.0 : kRate, kBlockSize);
        m_chain.PrepareAll();
        ASSERT_TRUE(waitForProcessing());
        m_chain.GetSlot(0).Unload();
        ASSERT_TRUE(waitForProcessing());
        m_chain.OnDisableAll();
        m_chain.SetEnabled(0, true);
        m_chain.SetEnabled(1, true);
        ASSERT_TRUE(waitForProcessing());
        EXPECT_EQ(m_chain.LoadSlot(1, noEntry), CVstPlugin::kLoadNoEntryPoint);
    }
    stop.store(true);
    audio.join();

    EXPECT_GT(blocks.load(), 0);
    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(m_gain.Violations(), m_violationsBefore);
}

// The engine's input chain runs first in the conditioning of every delivered block, prepared when
// the input opens; a plug-in enabled in it doubles every channel before the gain stage sees it.
class ConditioningEngine : public CSoundIn
{
public:
    using CSoundIn::ConditionChannels;
};

TEST_F(VstChainTest, EngineInputChainProcessesEveryDeliveredBlock)
{
    ConditioningEngine engine;
    engine.m_nInputMode = CSoundIn::kInputNone;
    engine.m_nSampleRate = 48000;
    engine.m_nChannelMode = 3;  // two channels
    LoadGain(engine.m_vstChain, 0, 2, 2, 2.0f);
    engine.m_dChannelGainDb[1] = 20.0;
    ASSERT_EQ(engine.OpenInput(), 0);
    EXPECT_EQ(engine.m_vstChain.GetBlockSize(), CSoundIn::kStagingFrames);
    constexpr int kFrames = 64;
    std::vector<float> rows(2 * static_cast<std::size_t>(CSoundIn::kStagingFrames));
    for (int i = 0; i < kFrames; ++i)
        rows[static_cast<std::size_t>(i)] = rows[static_cast<std::size_t>(CSoundIn::kStagingFrames + i)] =
            0.01f * static_cast<float>(i);
    engine.ConditionChannels(rows.data(), CSoundIn::kStagingFrames, kFrames);
    for (int i = 0; i < kFrames; ++i)
    {
        ASSERT_FLOAT_EQ(rows[static_cast<std::size_t>(i)], 0.02f * static_cast<float>(i));
        ASSERT_NEAR(rows[static_cast<std::size_t>(CSoundIn::kStagingFrames + i)],
                    0.2f * static_cast<float>(i), 1e-5f);
    }
    engine.StopInput();
}

}  // namespace
