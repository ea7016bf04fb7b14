// The delay line of one input channel of the measurement engine: each sample comes out m_nDelay
// samples later, the first m_nDelay outputs after SetDelay being zeros. Built on the engine's byte
// ring, pre-filled with the delay's worth of zeros and run in pieces of at most m_nChunk samples.
//
// Threads: SetDelay and Free run when the engine opens the input or is destroyed (they allocate and
// free); Process runs on the input path and allocates nothing.
#pragma once

#include "common/RingBuffer.h"

class CSampleDelay
{
public:
    CSampleDelay() = default;

    // Sizes the ring for the delay plus one chunk and pre-fills it with `samples` zeros (a negative
    // delay counts as 0).
    void SetDelay(int samples);
    // Delays the block in place when enabled; a delay line without storage (SetDelay never called)
    // leaves the block unchanged. Always 0.
    int Process(float* samples, int count);
    // Frees the ring's storage.
    void Free();

    int m_nChunk = 1024;  // most samples written to and read from the ring at once
    int m_nDelay = 0;     // samples
    CRingBuffer m_ring;
    int m_bEnabled = 0;
};
