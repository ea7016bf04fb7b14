// Counts the allocations (operator new) of the thread that asks for it; the rest of the test program
// is unaffected. The dsp test program replaces operator new once, in AllocationCount.cpp.
#pragma once

namespace allocationcount
{
extern thread_local bool t_countAllocations;
extern thread_local int t_allocations;

// The allocations that `run` makes on this thread.
template <typename Run>
int Count(Run run)
{
    t_allocations = 0;
    t_countAllocations = true;
    run();
    t_countAllocations = false;
    return t_allocations;
}
}  // namespace allocationcount
