// A shared object loaded at run time (dlopen/dlsym/dlclose): the owner of one module handle.
#pragma once

#include <string>

namespace platform
{

// One module handle; the destructor closes it. Not shared between threads: the owner opens, looks
// up and closes from one thread at a time.
class SharedLibrary
{
public:
    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Closes what is open, then opens the shared object at `path` with every symbol bound now and
    // kept local to it. A path without '/' is searched as the dynamic linker searches. False on
    // failure (the reason is in GetError()).
    bool Open(const std::string& path);
    // Closes the module when one is open; the handle is cleared either way.
    void Close();
    bool IsOpen() const { return m_handle != nullptr; }

    // Address of an exported symbol, nullptr when the module lacks it or nothing is open.
    void* GetSymbol(const char* name) const;

    // The dynamic linker's text for the last failed Open; empty after a successful one.
    const std::string& GetError() const { return m_error; }

private:
    void* m_handle = nullptr;
    std::string m_error;
};

}  // namespace platform
