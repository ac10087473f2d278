#include "platform/named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace tabrix::platform {

namespace {

// Every process of the folder's users shares the one lock file (as far as the creator's
// umask allows); a lock needs no more than reading it.
constexpr mode_t kEveryone = 0666;
// flock has no timed wait: a waiter looks again this often.
constexpr std::chrono::milliseconds kPollInterval{2};

}  // namespace

NamedMutex::NamedMutex(const std::string &name) : name_(name) {}

NamedMutex::~NamedMutex() {
    // The file stays: other processes may hold or wait for it.
    if (descriptor_ >= 0) close(descriptor_);
}

std::filesystem::path NamedMutex::lock_file(const std::string &name) {
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code error;
    const std::filesystem::path folder =
        runtime && *runtime && std::filesystem::is_directory(runtime, error) ? runtime : "/tmp";
    return folder / (name + ".lock");
}

bool NamedMutex::wait(int milliseconds) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(milliseconds, 0));
    int descriptor = -1;
    {
        std::unique_lock lock(state_);
        if (!opened_) {
            opened_ = true;
            // No link is followed: in a shared folder it could lead to another user's file.
            descriptor_ = open(lock_file(name_).c_str(),
                               O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, kEveryone);
        }
        if (descriptor_ < 0) return false;
        if (!freed_.wait_until(lock, deadline, [&] { return !taken_; })) return false;
        taken_ = true;
        descriptor = descriptor_;
    }
    while (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const auto now = std::chrono::steady_clock::now();
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK || now >= deadline) {
            const std::lock_guard lock(state_);
            taken_ = false;
            freed_.notify_one();
            return false;
        }
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(kPollInterval, deadline - now));
    }
    return true;
}

void NamedMutex::release() {
    const std::lock_guard lock(state_);
    if (!taken_) return;
    if (descriptor_ >= 0) flock(descriptor_, LOCK_UN);
    taken_ = false;
    freed_.notify_one();
}

}  // namespace tabrix::platform
