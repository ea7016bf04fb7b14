// The input mixer against real ALSA: a control plugin of the tests' own stands in for the sound
// card (tests/support/alsa), so the simple-mixer calls run as they do on a card.
#include "engine/InputMixer.h"
#include "tests/support/TempHome.h"
#include "tests/support/alsa/TestMixer.h"

#include <gtest/gtest.h>

#include <fstream>

namespace
{

using testsupport::TestAlsaMixer;

class InputMixerTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        if (!testsupport::AlsaTestConfig::Available())
            GTEST_SKIP() << "no ALSA configuration";
        m_mixer = std::make_unique<TestAlsaMixer>(m_home.File("alsa"));
    }
    std::unique_ptr<TestAlsaMixer> m_mixer;
};

TEST_F(InputMixerTest, VolumeInPercentLandsOnTheElementsRange)
{
    struct Case
    {
        const char* device;
        int level;
        long expected;
    };
    // min + level × (max − min) / 100, truncated: also right where the minimum is not 0.
    const Case cases[] = {{TestAlsaMixer::kFirst, 50, 32767}, {TestAlsaMixer::kFirst, 100, 65535},
                          {TestAlsaMixer::kFirst, 0, 0},      {TestAlsaMixer::kFirst, 1, 655},
                          {TestAlsaMixer::kSecond, 50, 0},    {TestAlsaMixer::kSecond, 100, 20},
                          {TestAlsaMixer::kSecond, 0, -20},   {TestAlsaMixer::kSecond, 25, -10}};
    for (const Case& c : cases)
    {
        CInputMixer mixer;
        mixer.m_strDeviceName = c.device;
        mixer.SetVolume(c.level);
        const auto state = m_mixer->Read(c.device);
        ASSERT_TRUE(state.written) << c.device;
        EXPECT_EQ(state.volumeLeft, c.expected) << c.device << " " << c.level;
        EXPECT_EQ(state.volumeRight, c.expected) << c.device << " " << c.level;
    }
}

TEST_F(InputMixerTest, SwitchesMuteAgcAndMonitor)
{
    CInputMixer mixer;
    mixer.m_strDeviceName = TestAlsaMixer::kFirst;
    mixer.Unmute();
    EXPECT_EQ(m_mixer->Read(TestAlsaMixer::kFirst).captureSwitch, 1);
    mixer.SetMute(1);
    EXPECT_EQ(m_mixer->Read(TestAlsaMixer::kFirst).captureSwitch, 0);
    mixer.SetMute(0);
    EXPECT_EQ(m_mixer->Read(TestAlsaMixer::kFirst).captureSwitch, 1);
    mixer.SetAgc(5);
    EXPECT_EQ(m_mixer->Read(TestAlsaMixer::kFirst).agc, 1);
    mixer.SetAgc(0);
    EXPECT_EQ(m_mixer->Read(TestAlsaMixer::kFirst).agc, 0);
    EXPECT_EQ(m_mixer->Read(TestAlsaMixer::kFirst).playbackSwitch, 1);
    mixer.MuteMonitor();
    EXPECT_EQ(m_mixer->Read(TestAlsaMixer::kFirst).playbackSwitch, 0);
    // The other card was never touched.
    EXPECT_FALSE(m_mixer->Read(TestAlsaMixer::kSecond).written);
}

TEST_F(InputMixerTest, AMissingDeviceSetsNothing)
{
    EXPECT_EQ(ResolveMixerDevice(97, "no such mixer"), "");
    EXPECT_EQ(ResolveMixerDevice(-1, ""), "");
    EXPECT_EQ(ResolveMixerDevice(0, TestAlsaMixer::kSecond), TestAlsaMixer::kSecond);
    CInputMixer mixer;
    mixer.m_nDeviceId = 97;
    mixer.m_strDeviceName = "no such mixer";
    mixer.SetVolume(50);
    mixer.SetAgc(1);
    mixer.SetMute(1);
    mixer.MuteMonitor();
    EXPECT_FALSE(m_mixer->Read(TestAlsaMixer::kFirst).written);
    EXPECT_FALSE(m_mixer->Read(TestAlsaMixer::kSecond).written);
}

TEST_F(InputMixerTest, UsbDeviceIsFoundInSysfs)
{
    const std::filesystem::path root = m_home.File("sys");
    const auto addDevice = [&](const char* port, const char* vendor, const char* product)
    {
        const std::filesystem::path folder = root / "bus" / "usb" / "devices" / port;
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "idVendor") << vendor << "\n";
        std::ofstream(folder / "idProduct") << product << "\n";
    };
    EXPECT_FALSE(IsUsbDevicePresent(0x0D8C, 0x0008, root)) << "no tree at all";
    addDevice("1-1", "1d6b", "0002");
    EXPECT_FALSE(IsUsbDevicePresent(0x0D8C, 0x0008, root));
    EXPECT_FALSE(CInputMixerAlsa(root).UsesFixedElements());
    addDevice("1-2", "0d8c", "0008");
    EXPECT_TRUE(IsUsbDevicePresent(0x0D8C, 0x0008, root));
    EXPECT_TRUE(IsUsbDevicePresent(0x0D8C, 0, root)) << "a product id below 1 tests the vendor alone";
    EXPECT_FALSE(IsUsbDevicePresent(0x0D8C, 0x0009, root));
    EXPECT_FALSE(IsUsbDevicePresent(0x1234, 0, root));

    // With the device present the elements are taken by their fixed names, which the test card has.
    CInputMixerAlsa fixed(root);
    ASSERT_TRUE(fixed.UsesFixedElements());
    fixed.m_strDeviceName = TestAlsaMixer::kFirst;
    fixed.SetVolume(100);
    fixed.SetAgc(1);
    fixed.SetMute(1);
    const auto state = m_mixer->Read(TestAlsaMixer::kFirst);
    EXPECT_EQ(state.volumeLeft, 65535);
    EXPECT_EQ(state.agc, 1);
    EXPECT_EQ(state.captureSwitch, 0);
}

TEST_F(InputMixerTest, VolumeControlReadsAndWritesRawValues)
{
    CMixerVolumeControl control;
    control.m_strDeviceName = TestAlsaMixer::kFirst;
    EXPECT_EQ(control.GetValue(), 0) << "not opened";
    control.SetValue(100);
    EXPECT_FALSE(m_mixer->Read(TestAlsaMixer::kFirst).written) << "not opened";
    EXPECT_EQ(control.Open(12345, 1), -1) << "the test card has no playback volume";
    ASSERT_EQ(control.Open(12345, 0), 0);
    EXPECT_EQ(control.m_nChannels, 2);
    control.SetValue(65535);
    EXPECT_EQ(m_mixer->Read(TestAlsaMixer::kFirst).volumeLeft, 65535);
    EXPECT_EQ(control.GetValue(), 65535);

    CMixerVolumeControl second;
    second.m_strDeviceName = TestAlsaMixer::kSecond;
    ASSERT_EQ(second.Open(0, 0), 0);
    second.SetValue(65535);  // kept within -20..20
    EXPECT_EQ(m_mixer->Read(TestAlsaMixer::kSecond).volumeLeft, 20);
    EXPECT_EQ(second.GetValue(), 20);
}

}  // namespace
