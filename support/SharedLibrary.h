#pragma once

#include <string>

// A shared library loaded by its full path (dlopen), unloaded when the owner goes.
class SharedLibrary {
public:
    explicit SharedLibrary(const std::string& path);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    bool IsLoaded() const { return m_handle != nullptr; }
    // The address of an exported symbol, or null when the library or the symbol is missing.
    void* Symbol(const char* name) const;

    template <typename Function> Function FunctionNamed(const char* name) const {
        return reinterpret_cast<Function>(Symbol(name));
    }

private:
    void* m_handle = nullptr;
};
