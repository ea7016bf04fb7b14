// Runs the cascades of first- and second-order sections of several designed filters (or of several
// channels' bank weighting stages) side by side, one filter
// per lane of a vector register: the cascades of different bands or channels are independent, so where one
// filter's recursion leaves the arithmetic units waiting, four run in the same time. Built for AVX2 and for
// SSE2, chosen at run time. Each filter keeps its own histories in its own sections; the results are bit for
// bit those of CDesignedFilter::Process (the same operations in the same order, the samples rounded to single
// precision between sections as there).
//
// Threads: Run is called on the thread that owns the filters (the analysis thread); it allocates
// nothing and takes no lock.
#pragma once

#include <span>

class CBankWeightingFilter;
class CDesignedFilter;

class CBiquadLanes
{
public:
    struct Lane
    {
        CDesignedFilter* filter = nullptr;
        const float* input = nullptr;
        float* output = nullptr;  // may be the input
    };

    // True when the filter can run in a lane: designed for its present rate and made of first- and
    // second-order sections (run once or twice).
    static bool Fits(const CDesignedFilter& filter);
    // Filters count samples of every lane from its input to its output. Lanes whose filter does not
    // fit are run one by one through CDesignedFilter::Process instead.
    static void Run(std::span<const Lane> lanes, int count);

    struct WeightingLane
    {
        CBankWeightingFilter* stage = nullptr;
        const float* input = nullptr;
        float* output = nullptr;  // may be the input
    };
    // Weights count samples of every lane as its stage's Process would, bit for bit: the sections of
    // the bank's filters with their gains, the double pole and the output factor, side by side with
    // the stages of the other lanes (the same weighting on several channels). A stage with a section
    // that cannot run in a lane runs through its own Process.
    static void RunWeightings(std::span<const WeightingLane> lanes, int count);
};
