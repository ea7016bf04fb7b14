// The interface of an external signal-generator instrument driven by text commands: frequency, RMS
// amplitude, waveform and return to local operation. This base sends nothing: the frequency and
// amplitude operations return -1, the others 0.
#pragma once

class CExtGenerator
{
public:
    virtual ~CExtGenerator() = default;
    virtual int SetFrequency(double /*hz*/) { return -1; }
    virtual int SetAmplitudeRms(double /*volts*/) { return -1; }
    virtual int SetLocal() { return 0; }
    virtual int SetSine() { return 0; }
    virtual int SetSquare() { return 0; }
    virtual int SetTriangle() { return 0; }
};
