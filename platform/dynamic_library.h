// Stand-in for LoadLibrary / GetProcAddress / FreeLibrary: an owner of one
// dynamically loaded library. The library is unloaded when the owner is
// destroyed or freed.
#pragma once

#include <memory>
#include <string>

class DynamicLibrary {
public:
    DynamicLibrary() = default;

    // Loads the library at `path`; the result owns nothing when it cannot be
    // loaded, and then holds the loader's reason.
    static DynamicLibrary Load(const char* path);

    // True while a library is loaded.
    bool Loaded() const { return handle_ != nullptr; }
    // Why the last Load failed, in the loader's words (missing file, wrong
    // architecture, unresolved symbol); empty after a successful load.
    const std::string& LoadError() const { return loadError_; }
    // Address of an exported symbol, or null when it is missing or nothing is loaded.
    void* Symbol(const char* name) const;
    // Unloads the library; the owner becomes empty.
    void Free() { handle_.reset(); }

private:
    struct Unloader {
        void operator()(void* handle) const;
    };
    std::unique_ptr<void, Unloader> handle_;
    std::string loadError_;
};
