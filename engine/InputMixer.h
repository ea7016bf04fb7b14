// The microphone input mixer of a sound card: capture volume, capture switch (mute), automatic gain
// control, and the microphone's playback (monitoring) switch, set through ALSA's simple mixer.
//
// The card is the one of the device name (an ALSA control device of that name, or the first card
// whose id or name contains it, letter case aside), else the card numbered by the device id. An
// element the card does not have is not set; nothing reports failure.
//
// Threads: any thread, one object at a time.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The base: the five operations do nothing; the facade and the tests derive from it.
class CInputMixerBase
{
public:
    virtual ~CInputMixerBase() = default;
    virtual void Unmute() {}
    virtual void SetVolume(int level) { (void)level; }
    virtual void SetAgc(int on) { (void)on; }
    virtual void SetMute(int on) { (void)on; }
    virtual void MuteMonitor() {}

    int m_nDeviceId = 0;
    std::string m_strDeviceName;
};

// The ALSA implementation.
class CInputMixerAlsa : public CInputMixerBase
{
public:
    // The USB audio device whose elements are taken by their fixed names.
    static constexpr int kUsbVendorId = 0x0D8C;
    static constexpr int kUsbProductId = 0x0008;
    // Its fixed element names: microphone volume and switch, and the AGC switch.
    static constexpr const char* kFixedMicElement = "Mic";
    static constexpr const char* kFixedAgcElement = "Auto Gain Control";

    explicit CInputMixerAlsa(const std::filesystem::path& sysfsRoot = "/sys");

    void Unmute() override;
    // level in percent (0..100): the volume written is min + level × (max − min) / 100.
    void SetVolume(int level) override;
    void SetAgc(int on) override;
    void SetMute(int on) override;
    void MuteMonitor() override;

    bool UsesFixedElements() const { return m_bFixedElements; }

private:
    bool m_bFixedElements = false;
};

// The facade the application uses: copies its device id and name into the implementation, then
// runs the operation there.
class CInputMixer : public CInputMixerBase
{
public:
    explicit CInputMixer(const std::filesystem::path& sysfsRoot = "/sys");

    void Unmute() override;
    void SetVolume(int level) override;
    void SetAgc(int on) override;
    void SetMute(int on) override;
    void MuteMonitor() override;

private:
    CInputMixerBase& Current();
    CInputMixerAlsa m_alsa;
};

// The ALSA control device name of a mixer device: see above; empty when there is none.
std::string ResolveMixerDevice(int deviceId, const std::string& deviceName);

// True when a USB device with the vendor and product id is present: its idVendor and idProduct
// under <sysfsRoot>/bus/usb/devices/. A product id below 1 tests the vendor alone.
bool IsUsbDevicePresent(int vendorId, int productId, const std::filesystem::path& sysfsRoot = "/sys");

// One name per sound card that can record; the count, or -1 when a card cannot be queried.
int EnumWaveInMixers(std::vector<std::string>& names);

// The volume control of one line of a card: the capture volume (kind 0) or the playback volume
// (kind 1); values are the element's raw values.
class CMixerVolumeControl
{
public:
    // 0, or -1 when the card or its element is missing. The first argument has no effect.
    int Open(int ignored, int kind);
    // The first channel's raw value; 0 when not opened.
    int GetValue() const;
    // Writes the raw value (kept within the element's range) to every channel; nothing when not
    // opened.
    void SetValue(int value);

    int m_nDeviceIndex = 0;
    std::string m_strDeviceName;
    int m_nChannels = 0;
    int m_nControlId = -1;
    bool m_bOpened = false;

private:
    std::string m_strElement;
    int m_nKind = 0;
};
