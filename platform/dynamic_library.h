// Stand-in for LoadLibrary / GetProcAddress / FreeLibrary: an owner of one
// dynamically loaded library. The library is unloaded when the owner is
// destroyed or freed.
#pragma once

#include <memory>

class DynamicLibrary {
public:
    DynamicLibrary() = default;

    // Loads the library at `path`; the result owns nothing when it cannot be loaded.
    static DynamicLibrary Load(const char* path);

    // True while a library is loaded.
    bool Loaded() const { return handle_ != nullptr; }
    // Address of an exported symbol, or null when it is missing or nothing is loaded.
    void* Symbol(const char* name) const;
    // Unloads the library; the owner becomes empty.
    void Free() { handle_.reset(); }

private:
    struct Unloader {
        void operator()(void* handle) const;
    };
    std::unique_ptr<void, Unloader> handle_;
};
