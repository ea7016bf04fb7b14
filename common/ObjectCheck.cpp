#include "common/ObjectCheck.h"

#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/FileReplace.h"
#include "platform/NumberFormat.h"

namespace
{

enum class Probe
{
    Readable,
    NotReadable,
    Unavailable,  // the system call is not allowed here (e.g. a seccomp filter)
};

// Copies the bytes through the kernel, which refuses unmapped or unreadable pages instead of
// faulting, so a wild pointer costs an error code and not the process.
Probe CopyOwnMemory(std::uintptr_t address, std::size_t size, void* destination)
{
    const iovec local{destination, size};
    const iovec remote{reinterpret_cast<void*>(address), size};
    const ssize_t got = ::process_vm_readv(::getpid(), &local, 1, &remote, 1, 0);
    if (got < 0 && (errno == ENOSYS || errno == EPERM))
        return Probe::Unavailable;
    return got == static_cast<ssize_t>(size) ? Probe::Readable : Probe::NotReadable;
}

Probe ProbeReadable(std::uintptr_t address, std::size_t size)
{
    char buffer[4096];
    for (std::size_t offset = 0; offset < size; offset += sizeof buffer)
    {
        const Probe probe = CopyOwnMemory(address + offset, std::min(sizeof buffer, size - offset), buffer);
        if (probe != Probe::Readable)
            return probe;
    }
    return Probe::Readable;
}

// True when the mappings of /proc/self/maps cover [address, address + size) without a gap, each
// with the wanted permissions.
bool MappingsCover(std::uintptr_t address, std::size_t size, bool needWrite)
{
    std::string maps;
    if (!platform::ReadFileBytes("/proc/self/maps", maps))
        return false;
    const std::uintptr_t end = address + size;
    std::uintptr_t covered = address;
    std::string_view text = maps;
    while (!text.empty() && covered < end)
    {
        const std::size_t lineEnd = std::min(text.find('\n'), text.size());
        const std::string line(text.substr(0, lineEnd));
        text.remove_prefix(std::min(lineEnd + 1, text.size()));
        unsigned long long first = 0;
        unsigned long long last = 0;
        char permissions[5] = {};
        if (platform::ScanC(line.c_str(), "%llx-%llx %4s", &first, &last, permissions) != 3)
            continue;
        // The lines are in ascending address order.
        if (first > covered)
            return false;
        if (last <= covered)
            continue;
        if (permissions[0] != 'r' || (needWrite && permissions[1] != 'w'))
            return false;
        covered = static_cast<std::uintptr_t>(last);
    }
    return covered >= end;
}

bool IsReadable(std::uintptr_t address, std::size_t size)
{
    const Probe probe = ProbeReadable(address, size);
    if (probe == Probe::Unavailable)
        return MappingsCover(address, size, false);
    return probe == Probe::Readable;
}

}  // namespace

int IsValidObjectMemory(const void* object, std::size_t size, bool polymorphic)
{
    const auto address = reinterpret_cast<std::uintptr_t>(object);
    if (address == 0 || size == 0 || address + size < address)
        return 0;
    if (!IsReadable(address, size) || !MappingsCover(address, size, true))
        return 0;
    if (polymorphic)
    {
        if (size < sizeof(std::uintptr_t))
            return 0;
        std::uintptr_t table = 0;
        std::memcpy(&table, object, sizeof table);  // readable: checked above
        if (table == 0 || !IsReadable(table, sizeof(std::uintptr_t)))
            return 0;
    }
    return 1;
}
