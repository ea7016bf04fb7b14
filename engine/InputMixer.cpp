#include "engine/InputMixer.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <memory>

namespace
{

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// An open simple mixer on one control device; closed with the object.
class AlsaMixer
{
public:
    explicit AlsaMixer(const std::string& device)
    {
        if (device.empty() || snd_mixer_open(&m_mixer, 0) < 0)
        {
            m_mixer = nullptr;
            return;
        }
        if (snd_mixer_attach(m_mixer, device.c_str()) < 0 ||
            snd_mixer_selem_register(m_mixer, nullptr, nullptr) < 0 || snd_mixer_load(m_mixer) < 0)
        {
            snd_mixer_close(m_mixer);
            m_mixer = nullptr;
        }
    }
    ~AlsaMixer()
    {
        if (m_mixer)
            snd_mixer_close(m_mixer);
    }
    AlsaMixer(const AlsaMixer&) = delete;
    AlsaMixer& operator=(const AlsaMixer&) = delete;

    // The element of that name (index 0), or null.
    snd_mixer_elem_t* Find(const char* name) const
    {
        if (!m_mixer)
            return nullptr;
        snd_mixer_selem_id_t* id = nullptr;
        snd_mixer_selem_id_alloca(&id);
        snd_mixer_selem_id_set_index(id, 0);
        snd_mixer_selem_id_set_name(id, name);
        return snd_mixer_find_selem(m_mixer, id);
    }
    // The first element whose name contains one of the words (letter case aside) and passes the test.
    template <typename Test>
    snd_mixer_elem_t* FindByWord(std::initializer_list<const char*> words, Test test) const
    {
        if (!m_mixer)
            return nullptr;
        for (const char* word : words)
        {
            for (snd_mixer_elem_t* elem = snd_mixer_first_elem(m_mixer); elem;
                 elem = snd_mixer_elem_next(elem))
            {
                if (Lower(snd_mixer_selem_get_name(elem)).find(Lower(word)) != std::string::npos &&
                    test(elem))
                    return elem;
            }
        }
        return nullptr;
    }

private:
    snd_mixer_t* m_mixer = nullptr;
};

// The microphone's capture element: by its fixed name, else the first one named like a microphone
// (then a plain capture element) that has the wanted part.
template <typename Test>
snd_mixer_elem_t* FindMic(const AlsaMixer& mixer, bool fixed, Test test)
{
    if (fixed)
    {
        snd_mixer_elem_t* elem = mixer.Find(CInputMixerAlsa::kFixedMicElement);
        return elem && test(elem) ? elem : nullptr;
    }
    return mixer.FindByWord({"Mic", "Capture"}, test);
}

snd_mixer_elem_t* FindAgc(const AlsaMixer& mixer, bool fixed)
{
    const auto hasSwitch = [](snd_mixer_elem_t* elem)
    {
        return snd_mixer_selem_has_capture_switch(elem) || snd_mixer_selem_has_playback_switch(elem) ||
               snd_mixer_selem_has_common_switch(elem);
    };
    if (fixed)
    {
        snd_mixer_elem_t* elem = mixer.Find(CInputMixerAlsa::kFixedAgcElement);
        return elem && hasSwitch(elem) ? elem : nullptr;
    }
    return mixer.FindByWord({"Auto Gain", "AGC"}, hasSwitch);
}

bool ReadHex(const std::filesystem::path& file, int& value)
{
    std::ifstream in(file);
    std::string text;
    if (!(in >> text))
        return false;
    try
    {
        value = std::stoi(text, nullptr, 16);
        return true;
    }
    catch (const std::exception&)
    {
        return false;
    }
}

// Volume in percent onto the element's range.
long PercentToRaw(int level, long min, long max)
{
    return min + static_cast<long>(static_cast<long long>(level) * (max - min) / 100);
}

}  // namespace

std::string ResolveMixerDevice(int deviceId, const std::string& deviceName)
{
    if (!deviceName.empty())
    {
        // A control device of that name (a card id such as "hw:USB" or one the user configured).
        snd_ctl_t* ctl = nullptr;
        if (snd_ctl_open(&ctl, deviceName.c_str(), 0) == 0)
        {
            snd_ctl_close(ctl);
            return deviceName;
        }
        const std::string wanted = Lower(deviceName);
        for (int card = -1; snd_card_next(&card) == 0 && card >= 0;)
        {
            char* name = nullptr;
            char* longName = nullptr;
            std::string texts;
            if (snd_card_get_name(card, &name) == 0)
                texts += Lower(name);
            if (snd_card_get_longname(card, &longName) == 0)
                texts += "\n" + Lower(longName);
            std::free(name);
            std::free(longName);
            if (texts.find(wanted) != std::string::npos)
                return "hw:" + std::to_string(card);
        }
    }
    if (deviceId < 0)
        return {};
    const std::string device = "hw:" + std::to_string(deviceId);
    snd_ctl_t* ctl = nullptr;
    if (snd_ctl_open(&ctl, device.c_str(), 0) != 0)
        return {};
    snd_ctl_close(ctl);
    return device;
}

bool IsUsbDevicePresent(int vendorId, int productId, const std::filesystem::path& sysfsRoot)
{
    std::error_code error;
    const std::filesystem::path devices = sysfsRoot / "bus" / "usb" / "devices";
    for (std::filesystem::directory_iterator it(devices, error), end; !error && it != end;
         it.increment(error))
    {
        int vendor = 0, product = 0;
        if (!ReadHex(it->path() / "idVendor", vendor) || vendor != vendorId)
            continue;
        if (productId < 1 || (ReadHex(it->path() / "idProduct", product) && product == productId))
            return true;
    }
    return false;
}

CInputMixerAlsa::CInputMixerAlsa(const std::filesystem::path& sysfsRoot)
    : m_bFixedElements(IsUsbDevicePresent(kUsbVendorId, kUsbProductId, sysfsRoot))
{
}

void CInputMixerAlsa::SetVolume(int level)
{
    AlsaMixer mixer(ResolveMixerDevice(m_nDeviceId, m_strDeviceName));
    snd_mixer_elem_t* elem = FindMic(mixer, m_bFixedElements, snd_mixer_selem_has_capture_volume);
    long min = 0, max = 0;
    if (!elem || snd_mixer_selem_get_capture_volume_range(elem, &min, &max) < 0)
        return;
    snd_mixer_selem_set_capture_volume_all(elem, std::clamp(PercentToRaw(level, min, max), min, max));
}

void CInputMixerAlsa::SetMute(int on)
{
    AlsaMixer mixer(ResolveMixerDevice(m_nDeviceId, m_strDeviceName));
    if (snd_mixer_elem_t* elem = FindMic(mixer, m_bFixedElements, snd_mixer_selem_has_capture_switch))
        snd_mixer_selem_set_capture_switch_all(elem, on > 0 ? 0 : 1);
}

void CInputMixerAlsa::Unmute()
{
    SetMute(0);
}

void CInputMixerAlsa::SetAgc(int on)
{
    AlsaMixer mixer(ResolveMixerDevice(m_nDeviceId, m_strDeviceName));
    snd_mixer_elem_t* elem = FindAgc(mixer, m_bFixedElements);
    if (!elem)
        return;
    const int value = on > 0 ? 1 : 0;
    if (snd_mixer_selem_has_capture_switch(elem))
        snd_mixer_selem_set_capture_switch_all(elem, value);
    else
        snd_mixer_selem_set_playback_switch_all(elem, value);
}

void CInputMixerAlsa::MuteMonitor()
{
    AlsaMixer mixer(ResolveMixerDevice(m_nDeviceId, m_strDeviceName));
    if (snd_mixer_elem_t* elem = FindMic(mixer, m_bFixedElements, snd_mixer_selem_has_playback_switch))
        snd_mixer_selem_set_playback_switch_all(elem, 0);
}

CInputMixer::CInputMixer(const std::filesystem::path& sysfsRoot) : m_alsa(sysfsRoot) {}

CInputMixerBase& CInputMixer::Current()
{
    m_alsa.m_nDeviceId = m_nDeviceId;
    m_alsa.m_strDeviceName = m_strDeviceName;
    return m_alsa;
}

void CInputMixer::Unmute()
{
    Current().Unmute();
}

void CInputMixer::SetVolume(int level)
{
    Current().SetVolume(level);
}

void CInputMixer::SetAgc(int on)
{
    Current().SetAgc(on);
}

void CInputMixer::SetMute(int on)
{
    Current().SetMute(on);
}

void CInputMixer::MuteMonitor()
{
    Current().MuteMonitor();
}

int EnumWaveInMixers(std::vector<std::string>& names)
{
    names.clear();
    for (int card = -1; snd_card_next(&card) == 0 && card >= 0;)
    {
        AlsaMixer mixer("hw:" + std::to_string(card));
        char* name = nullptr;
        if (snd_card_get_name(card, &name) != 0)
            return -1;
        const std::string text = name;
        std::free(name);
        if (mixer.FindByWord({"Mic", "Capture"}, snd_mixer_selem_has_capture_volume))
            names.push_back(text);
    }
    return static_cast<int>(names.size());
}

namespace
{
snd_mixer_elem_t* FindLine(const AlsaMixer& mixer, int kind)
{
    if (kind == 1)
        return mixer.FindByWord({"PCM", "Master", "Speaker", "Headphone"},
                                snd_mixer_selem_has_playback_volume);
    return mixer.FindByWord({"Capture", "Mic"}, snd_mixer_selem_has_capture_volume);
}
}  // namespace

int CMixerVolumeControl::Open(int, int kind)
{
    m_bOpened = false;
    AlsaMixer mixer(ResolveMixerDevice(m_nDeviceIndex, m_strDeviceName));
    snd_mixer_elem_t* elem = FindLine(mixer, kind);
    if (!elem)
        return -1;
    m_nKind = kind;
    m_strElement = snd_mixer_selem_get_name(elem);
    m_nChannels = 0;
    for (int channel = 0; channel <= SND_MIXER_SCHN_LAST; ++channel)
    {
        const auto id = static_cast<snd_mixer_selem_channel_id_t>(channel);
        if (kind == 1 ? snd_mixer_selem_has_playback_channel(elem, id)
                      : snd_mixer_selem_has_capture_channel(elem, id))
            ++m_nChannels;
    }
    m_nControlId = 0;
    m_bOpened = true;
    return 0;
}

int CMixerVolumeControl::GetValue() const
{
    if (!m_bOpened)
        return 0;
    AlsaMixer mixer(ResolveMixerDevice(m_nDeviceIndex, m_strDeviceName));
    snd_mixer_elem_t* elem = mixer.Find(m_strElement.c_str());
    long value = 0;
    if (!elem)
        return 0;
    if (m_nKind == 1)
        snd_mixer_selem_get_playback_volume(elem, SND_MIXER_SCHN_FRONT_LEFT, &value);
    else
        snd_mixer_selem_get_capture_volume(elem, SND_MIXER_SCHN_FRONT_LEFT, &value);
    return static_cast<int>(value);
}

void CMixerVolumeControl::SetValue(int value)
{
    if (!m_bOpened)
        return;
    AlsaMixer mixer(ResolveMixerDevice(m_nDeviceIndex, m_strDeviceName));
    snd_mixer_elem_t* elem = mixer.Find(m_strElement.c_str());
    if (!elem)
        return;
    long min = 0, max = 0;
    if (m_nKind == 1)
    {
        snd_mixer_selem_get_playback_volume_range(elem, &min, &max);
        snd_mixer_selem_set_playback_volume_all(elem, std::clamp<long>(value, min, max));
    }
    else
    {
        snd_mixer_selem_get_capture_volume_range(elem, &min, &max);
        snd_mixer_selem_set_capture_volume_all(elem, std::clamp<long>(value, min, max));
    }
}
