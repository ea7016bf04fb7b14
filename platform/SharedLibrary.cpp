#include "platform/SharedLibrary.h"

#include <dlfcn.h>

#include <utility>

namespace platform
{

SharedLibrary::~SharedLibrary()
{
    Close();
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr)), m_error(std::move(other.m_error))
{
}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept
{
    if (this != &other)
    {
        Close();
        m_handle = std::exchange(other.m_handle, nullptr);
        m_error = std::move(other.m_error);
    }
    return *this;
}

bool SharedLibrary::Open(const std::string& path)
{
    Close();
    m_error.clear();
    // RTLD_LOCAL: two plug-ins that export the same names must not bind to each other's symbols.
    m_handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_handle == nullptr)
    {
        const char* reason = ::dlerror();
        m_error = reason != nullptr ? reason : "the shared object could not be opened";
        return false;
    }
    return true;
}

void SharedLibrary::Close()
{
    if (m_handle != nullptr)
    {
        ::dlclose(m_handle);
        m_handle = nullptr;
    }
}

void* SharedLibrary::GetSymbol(const char* name) const
{
    if (m_handle == nullptr || name == nullptr)
        return nullptr;
    return ::dlsym(m_handle, name);
}

}  // namespace platform
