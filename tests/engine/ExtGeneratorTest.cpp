#include "engine/ExtGeneratorDevice.h"
#include "platform/Places.h"
#include "platform/SharedLibrary.h"
#include "tests/support/NumericLocale.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace
{

using Log = std::vector<std::string>;

// A temporary program folder holding one of the test bridge libraries as "CH375DLL.so"; the test
// opens it too, so that its log stays readable after the instrument unloads it.
class BridgeFolder
{
public:
    explicit BridgeFolder(const testsupport::TempHome& home, const std::string& variant)
        : m_folder(home.Root() / "program")
    {
        std::filesystem::create_directories(m_folder);
        std::filesystem::copy_file(platform::ProgramFolder() / (variant + ".so"), m_folder / "CH375DLL.so");
        EXPECT_TRUE(m_module.Open((m_folder / "CH375DLL.so").string())) << m_module.GetError();
        m_log = reinterpret_cast<const Log* (*)()>(m_module.GetSymbol("TestBridgeLog"))();
        m_note = reinterpret_cast<void (*)(const char*)>(m_module.GetSymbol("TestBridgeNote"));
    }

    const std::filesystem::path& Folder() const { return m_folder; }
    const Log& Events() const { return *m_log; }
    // The wait function of the test clock: every wait lands in the bridge's log between the calls.
    CExtGeneratorUsb::WaitFunction Clock()
    {
        return [this](int ms) { m_note(("wait " + std::to_string(ms)).c_str()); };
    }

private:
    std::filesystem::path m_folder;
    platform::SharedLibrary m_module;
    const Log* m_log = nullptr;
    void (*m_note)(const char*) = nullptr;
};

// The log of one command: reset, wait, write of the text and its line feed, wait.
Log CommandEvents(const std::string& text)
{
    return {"reset 0", "wait 500", "write 0 " + std::to_string(text.size() + 1) + " " + text + "\n",
            "wait 1000"};
}

class ExtGeneratorTest : public testsupport::TempHomeTest
{
};

TEST_F(ExtGeneratorTest, ConstructorSendsItsFiveCommandsInOrder)
{
    BridgeFolder bridge(m_home, "test_ch375_bridge");
    {
        CExtGeneratorDevice device(bridge.Folder(), bridge.Clock());
        EXPECT_TRUE(device.GetUsb().IsLoaded());
        Log expected{"open 0"};
        for (const char* text : {"CHA SINE", "CHA FREQ 17.384100kHz", "CHA FREQ 1000.000000Hz",
                                 "CHA AMPLRMS 50.000000mV ", "LOCAL"})
            for (const std::string& event : CommandEvents(text))
                expected.push_back(event);
        EXPECT_EQ(bridge.Events(), expected);
        EXPECT_EQ(device.GetUsb().m_open, 1);
    }
    // The instrument closes the bridge when it goes.
    EXPECT_EQ(bridge.Events().back(), "close 0");
}

TEST_F(ExtGeneratorTest, FrequencyAndAmplitudeTexts)
{
    testsupport::DecimalCommaLocale comma;  // the texts keep the decimal point in every locale
    BridgeFolder bridge(m_home, "test_ch375_bridge");
    CExtGeneratorDevice device(bridge.Folder(), bridge.Clock());
    const struct
    {
        bool amplitude;
        double value;
        std::string text;
    } cases[] = {
        {false, 1000.0, "CHA FREQ 1000.000000Hz"}, {false, 1000.5, "CHA FREQ 1.000500kHz"},
        {false, 20.0, "CHA FREQ 20.000000Hz"},     {true, 0.5, "CHA AMPLRMS 500.000000mV "},
        {true, 0.6, "CHA AMPLRMS 0.600000V "},     {true, 0.001, "CHA AMPLRMS 1.000000mV "},
    };
    for (const auto& c : cases)
    {
        const std::size_t before = bridge.Events().size();
        EXPECT_EQ(c.amplitude ? device.SetAmplitudeRms(c.value) : device.SetFrequency(c.value), 0);
        const Log sent(bridge.Events().begin() + static_cast<std::ptrdiff_t>(before), bridge.Events().end());
        EXPECT_EQ(sent, CommandEvents(c.text)) << c.text;
    }
    // The waveforms other than sine are not forwarded by the engine's object.
    const std::size_t before = bridge.Events().size();
    EXPECT_EQ(device.SetSquare(), 0);
    EXPECT_EQ(device.SetTriangle(), 0);
    EXPECT_EQ(bridge.Events().size(), before);
    // The instrument itself sends them.
    device.GetUsb().SetSquare();
    device.GetUsb().SetTriangle();
    const Log sent(bridge.Events().begin() + static_cast<std::ptrdiff_t>(before), bridge.Events().end());
    Log expected = CommandEvents("CHA SQUAR");
    for (const std::string& event : CommandEvents("CHA TRIAN"))
        expected.push_back(event);
    EXPECT_EQ(sent, expected);
    EXPECT_EQ(device.GetUsb().SendCommand("X"), 7);  // the bridge's write result comes back
}

TEST_F(ExtGeneratorTest, MissingEntryPointsSkipTheirSteps)
{
    BridgeFolder bridge(m_home, "test_ch375_bridge_partial");
    CExtGeneratorDevice device(bridge.Folder(), bridge.Clock());
    CExtGeneratorUsb& usb = device.GetUsb();
    // No open, no reset and its wait: only the writes and their waits.
    ASSERT_EQ(bridge.Events().size(), 10u);
    EXPECT_EQ(bridge.Events()[0], "write 0 9 CHA SINE\n");
    EXPECT_EQ(bridge.Events()[1], "wait 1000");
    EXPECT_EQ(usb.OpenDevice(), -1);
    EXPECT_EQ(usb.CloseDevice(), -1);
    EXPECT_EQ(usb.m_open, 0);
}

TEST_F(ExtGeneratorTest, WithoutTheLibraryNothingIsLoadedOrSent)
{
    const std::filesystem::path empty = m_home.Root() / "program";
    std::filesystem::create_directories(empty);
    int waits = 0;
    CExtGeneratorDevice device(empty, [&](int) { ++waits; });
    EXPECT_FALSE(device.GetUsb().IsLoaded());
    EXPECT_EQ(device.SetFrequency(1000.0), 0);
    EXPECT_EQ(device.SetAmplitudeRms(1.0), 0);
    EXPECT_EQ(device.SetLocal(), 0);
    EXPECT_EQ(device.GetUsb().SendCommand("CHA SINE"), -1);
    EXPECT_EQ(waits, 0);
    // The interface's own operations send nothing.
    CExtGenerator base;
    EXPECT_EQ(base.SetFrequency(1.0), -1);
    EXPECT_EQ(base.SetAmplitudeRms(1.0), -1);
    EXPECT_EQ(base.SetSine(), 0);
}

}  // namespace
