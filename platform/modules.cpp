#include "platform/modules.h"

#include <dlfcn.h>

namespace tabrix::platform {

std::string module_file_name(std::string_view name) {
    std::string file = "lib";
    file += name;
    file += ".so";
    return file;
}

std::filesystem::path own_directory() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&own_directory), &info) == 0 || !info.dli_fname) {
        return {};
    }
    const std::filesystem::path file(info.dli_fname);
    if (!file.has_parent_path()) return {};
    return file.parent_path();
}

void *load_module(const std::string &file) {
    return file.empty() ? nullptr : dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void *module_entry(void *module, const char *name) {
    return module ? dlsym(module, name) : nullptr;
}

void *LazyModule::get() {
    if (void *handle = handle_.load(std::memory_order_acquire)) return handle;
    const std::lock_guard<std::mutex> lock(loading_);
    void *handle = handle_.load(std::memory_order_relaxed);
    if (!handle) {
        handle = loader_();
        handle_.store(handle, std::memory_order_release);
    }
    return handle;
}

}  // namespace tabrix::platform
