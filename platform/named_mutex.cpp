#include "platform/named_mutex.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <ctime>

namespace tabrix::platform {

namespace {

// Every user of the machine shares the one mutex, as they share its name (as far as the
// creator's umask allows).
constexpr mode_t kEveryone = 0666;

timespec deadline_after(int milliseconds) {
    timespec at{};
    clock_gettime(CLOCK_REALTIME, &at);
    at.tv_sec += milliseconds / 1000;
    at.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
    if (at.tv_nsec >= 1000000000L) {
        at.tv_sec += 1;
        at.tv_nsec -= 1000000000L;
    }
    return at;
}

}  // namespace

NamedMutex::NamedMutex(const std::string &name) {
    const std::string path = "/" + name;
    semaphore_ = sem_open(path.c_str(), O_CREAT, kEveryone, 1);
    if (semaphore_ == SEM_FAILED) semaphore_ = nullptr;
}

NamedMutex::~NamedMutex() {
    // The name stays: other processes may hold or wait for it.
    if (semaphore_) sem_close(semaphore_);
}

bool NamedMutex::wait(int milliseconds) {
    if (!semaphore_) return false;
    const timespec deadline = deadline_after(milliseconds < 0 ? 0 : milliseconds);
    while (sem_timedwait(semaphore_, &deadline) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

void NamedMutex::release() {
    if (semaphore_) sem_post(semaphore_);
}

}  // namespace tabrix::platform
