#include "platform/SharedLibrary.h"

#include <dlfcn.h>

#include <utility>

namespace
{

// A leak-checking build keeps a closed library mapped, so that its report at exit can still name
// the library and the function an allocation came from.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kKeepMapped = RTLD_NODELETE;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr int kKeepMapped = RTLD_NODELETE;
#else
constexpr int kKeepMapped = 0;
#endif
#else
constexpr int kKeepMapped = 0;
#endif

}  // namespace

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
    m_handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | kKeepMapped);
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
