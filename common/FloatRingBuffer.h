// A FIFO of 4-byte samples over a buffer the caller lends (the band analyser's sample history).
// Positions and capacity count samples, the count counts bytes, as in the byte ring it extends. No
// lock and no check against unread data: the owner keeps writes and reads balanced.
//
// Threads: one object is used by one thread at a time; Write and Read never allocate.
#pragma once

#include "common/RingBuffer.h"

class CFloatRingBuffer : public CRingBuffer
{
public:
    CFloatRingBuffer();

    // Borrows `samples` floats of the caller's storage, which must outlive the ring's use of it, and
    // resets.
    void SetBuffer(float* storage, int samples);
    // The sample ring only borrows.
    void Allocate(int bytes) = delete;

    // Copies `samples` floats in at the write position, wrapping; more than GetFree() overwrites the
    // oldest samples and more than the capacity keeps the last capacity samples. Always 0.
    int Write(const float* data, int samples);
    // Copies `samples` floats out from the read position, wrapping, without comparing with the
    // count. Always 0.
    int Read(float* out, int samples);

    const float* GetSamples() const { return m_pSamples; }

private:
    float* m_pSamples = nullptr;
};
