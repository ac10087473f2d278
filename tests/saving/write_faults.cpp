#include "write_faults.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace tabrix::test::faults {
namespace {

struct Armed {
    bool on = false;
    Call call = Call::write;
    int error = 0;
    int failures = 0;
};
Armed armed;

bool names_a_new_file(const char *path) {
    return path && std::strstr(path, ".tabrix-new-") != nullptr;
}

bool fd_names_a_new_file(int fd) {
    char link[64];
    char path[PATH_MAX];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(link, path, sizeof path - 1);
    if (n < 0) return false;
    path[n] = '\0';
    return names_a_new_file(path);
}

// True when this use of `call` is to fail; errno is then set.
bool fails(Call call, bool on_new_file) {
    if (!armed.on || armed.call != call || !on_new_file) return false;
    ++armed.failures;
    errno = armed.error;
    return true;
}

template <class Function>
Function next(const char *name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

void arm(Call call, int error) {
    armed = Armed{true, call, error, 0};
}

void disarm() {
    armed.on = false;
}

int failures() {
    return armed.failures;
}

}  // namespace tabrix::test::faults

using tabrix::test::faults::Call;

extern "C" ssize_t write(int fd, const void *data, size_t size) {
    static const auto real =
        tabrix::test::faults::next<ssize_t (*)(int, const void *, size_t)>("write");
    if (tabrix::test::faults::armed.on &&
        tabrix::test::faults::fails(Call::write, tabrix::test::faults::fd_names_a_new_file(fd))) {
        return -1;
    }
    return real(fd, data, size);
}

extern "C" int fsync(int fd) {
    static const auto real = tabrix::test::faults::next<int (*)(int)>("fsync");
    if (tabrix::test::faults::armed.on &&
        tabrix::test::faults::fails(Call::fsync, tabrix::test::faults::fd_names_a_new_file(fd))) {
        return -1;
    }
    return real(fd);
}

extern "C" int rename(const char *from, const char *to) noexcept {
    static const auto real =
        tabrix::test::faults::next<int (*)(const char *, const char *)>("rename");
    if (tabrix::test::faults::fails(Call::rename, tabrix::test::faults::names_a_new_file(from))) {
        return -1;
    }
    return real(from, to);
}
