// The statistics of a range of logged blocks: per wideband record and band the energy of the range,
// the mean, smallest and largest Fast and Slow RMS, the largest block energy and the peak, and the
// samples of the range. Read through the logger's sink with the logger stopped.
#pragma once

#include <cstdint>
#include <vector>

#include "dsp/LevelRecord.h"

class CLevelLoggerSink;

struct CLoggerRangeEntry
{
    CLevelRecord m_mean;     // energy of the range in energy total and energy block; mean RMS fast, slow
    CLevelRecord m_minimum;  // smallest block energy, RMS fast and RMS slow
    CLevelRecord m_maximum;  // largest block energy, RMS fast and RMS slow; the peak in SPL max
    std::int64_t m_samples = 0;
};

// Clamps a block range to `stored` blocks: first < 0 means all of them, last < 0 to the last, a
// first past last the single block last. Returns the count of blocks, 0 when none is stored.
std::int64_t ClampLoggedRange(std::int64_t stored, std::int64_t& first, std::int64_t& last);

// One entry per wideband record, then per band. Blocks first..last are clamped to the stored blocks
// (first < 0: all of them; last < 0: to the last; first past last: the single block last). With no
// stored block the entries stay empty. A block's energy is the difference of the cumulative energies.
void ComputeLoggerRangeStatistics(const CLevelLoggerSink& logger, std::vector<CLoggerRangeEntry>& entries,
                                  std::int64_t first, std::int64_t last);
