// Loading shared libraries by name and finding their entry points (dlopen, dlsym).
#pragma once

#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>

namespace tabrix::platform {

// The file of the library named `name`: "lib<name>.so".
std::string module_file_name(std::string_view name);

// The folder of the file that holds this library's code (libtabrix.so, or the program it is
// linked into); empty when it cannot be told.
std::filesystem::path own_directory();

// Loads a library (a name with a '/' is a path, a bare name goes through the dynamic linker's
// search), resolving all its symbols now so that a library that cannot work fails here.
// Null on failure.
void *load_module(const std::string &file);

// The address of an entry point of a loaded library; null when it has none of that name.
void *module_entry(void *module, const char *name);

// A library loaded on first use and kept for the life of the process. A failed load is tried
// again on the next use. Two threads that use it first at once load it once: a second dlopen
// would only raise the library's reference count, but a reader must never see a handle
// before the load that made it has finished.
class LazyModule {
  public:
    using Loader = void *(*)();
    explicit constexpr LazyModule(Loader loader) : loader_(loader) {}
    LazyModule(const LazyModule &) = delete;
    LazyModule &operator=(const LazyModule &) = delete;

    // The library's handle, loading it if need be; null while it cannot be loaded.
    void *get();

  private:
    Loader loader_;
    std::mutex loading_;
    std::atomic<void *> handle_{nullptr};
};

}  // namespace tabrix::platform
