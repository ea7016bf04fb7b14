// CExtGeneratorDevice: the engine's external generator instrument. It forwards frequency, amplitude
// and local operation to the bridge-connected instrument it embeds; the waveform operations keep the
// base behaviour.
#pragma once

#include "engine/ExtGeneratorUsb.h"

class CExtGeneratorDevice : public CExtGenerator
{
public:
    CExtGeneratorDevice() = default;
    CExtGeneratorDevice(const std::filesystem::path& folder, CExtGeneratorUsb::WaitFunction wait)
        : m_usb(folder, std::move(wait))
    {
    }

    int SetFrequency(double hz) override { return m_usb.SetFrequency(hz); }
    int SetAmplitudeRms(double volts) override { return m_usb.SetAmplitudeRms(volts); }
    int SetLocal() override { return m_usb.SetLocal(); }

    CExtGeneratorUsb& GetUsb() { return m_usb; }

private:
    CExtGeneratorUsb m_usb;
};
