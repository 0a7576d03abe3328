#include "support/SharedLibrary.h"

#include <dlfcn.h>

SharedLibrary::SharedLibrary(const std::string& path)
    : m_handle(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}

SharedLibrary::~SharedLibrary() {
    if (m_handle != nullptr)
        dlclose(m_handle);
}

void* SharedLibrary::Symbol(const char* name) const {
    return m_handle != nullptr ? dlsym(m_handle, name) : nullptr;
}
