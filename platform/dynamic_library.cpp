// Dynamic loading through dlopen, dlsym and dlclose.
#include "platform/dynamic_library.h"

#include <dlfcn.h>

DynamicLibrary DynamicLibrary::Load(const char* path) {
    DynamicLibrary library;
    if (path != nullptr && path[0] != '\0') library.handle_.reset(dlopen(path, RTLD_NOW | RTLD_LOCAL));
    return library;
}

void* DynamicLibrary::Symbol(const char* name) const {
    if (!handle_) return nullptr;
    return dlsym(handle_.get(), name);
}

void DynamicLibrary::Unloader::operator()(void* handle) const { dlclose(handle); }
