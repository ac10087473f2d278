// A system-wide mutex known by name, over a POSIX named semaphore: processes that open the
// same name exclude each other while one holds it.
#pragma once

#include <semaphore.h>

#include <string>

namespace tabrix::platform {

class NamedMutex {
  public:
    // Opens the mutex `name` ("tabrix3"), creating it free when no process has it. A mutex
    // that cannot be opened (no permission, no semaphores) is never held: waits fail at once.
    explicit NamedMutex(const std::string &name);
    ~NamedMutex();
    NamedMutex(const NamedMutex &) = delete;
    NamedMutex &operator=(const NamedMutex &) = delete;

    // Waits until the mutex is free and takes it, for at most `milliseconds`: false when
    // the time ran out (the mutex is then not held).
    bool wait(int milliseconds);
    // Gives back a mutex that wait() took.
    void release();

  private:
    sem_t *semaphore_;
};

}  // namespace tabrix::platform
