#include "tests/dsp/AllocationCount.h"

#include <cstdlib>
#include <new>

// The replacement pairs malloc with free on purpose; GCC cannot see that through inlined deletes.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace allocationcount
{
thread_local bool t_countAllocations = false;
thread_local int t_allocations = 0;
}  // namespace allocationcount

void* operator new(std::size_t size)
{
    if (allocationcount::t_countAllocations)
        ++allocationcount::t_allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
