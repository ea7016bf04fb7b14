// A defensive test of a framework object pointer before it is used (the measurement window tests
// the main frame's status bar with it before writing status texts).
#pragma once

#include <cstddef>
#include <type_traits>

// 1 when size bytes at object are mapped readable and writable and, when polymorphic, the first
// word holds a pointer to readable memory (the table of virtual operations); 0 otherwise, and for
// null. Probes without touching the memory, so a wild pointer never crashes the caller.
int IsValidObjectMemory(const void* object, std::size_t size, bool polymorphic);

// 1 or 0 for an object of the static type T (its sizeof is the size probed).
template <class T>
int IsValidObject(const T* object)
{
    return IsValidObjectMemory(static_cast<const void*>(object), sizeof(T), std::is_polymorphic_v<T>);
}
