// The small polymorphic base of the filters that the engine and the generator hold in arrays and run
// through one virtual call per block (weightings, the rate-table filter, the equaliser). The owner
// stores the sample rate before every Process; a stage rebuilds its coefficients when that rate
// differs from the one it built for. Writing -1 into m_nBuiltRate forces a rebuild.
//
// Threads: one object per channel, used by the thread that runs its blocks.
#pragma once

class CFilterStage
{
public:
    CFilterStage() = default;
    CFilterStage(const CFilterStage&) = delete;
    CFilterStage& operator=(const CFilterStage&) = delete;
    // Filters the block in place; the base leaves it unchanged.
    virtual void Process(float* samples, int count);
    virtual ~CFilterStage();

    int m_nSampleRate = -1;  // Hz, of the blocks that follow
    int m_nBuiltRate = -2;   // rate the coefficients are built for
};
