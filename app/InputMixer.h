// The microphone input mixer as the start-up sees it: device id and name and the five operations.
// This build has no mixer back-end yet, so the operations do nothing; a test derives from
// CInputMixerBase to see which operations start-up calls.
#pragma once

#include <string>

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

class CInputMixer : public CInputMixerBase
{
};
