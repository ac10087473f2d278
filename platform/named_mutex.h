// A system-wide mutex known by name, over a flock on a lock file in the runtime folder:
// processes that open the same name exclude each other while one holds it, and the kernel
// gives it back when its holder dies, however it dies. One object may be shared by threads:
// it also excludes the threads of this process (a flock alone would not, as they share the
// lock file's descriptor).
#pragma once

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>

namespace tabrix::platform {

class NamedMutex {
  public:
    // The mutex `name` ("tabrix3"); its lock file is made at the first wait. A mutex whose
    // lock file cannot be opened (no permission, no room) is never held: waits fail at once.
    explicit NamedMutex(const std::string &name);
    ~NamedMutex();
    NamedMutex(const NamedMutex &) = delete;
    NamedMutex &operator=(const NamedMutex &) = delete;

    // $XDG_RUNTIME_DIR/NAME.lock, or /tmp/NAME.lock without a runtime folder.
    static std::filesystem::path lock_file(const std::string &name);

    // Waits until the mutex is free and takes it, for at most `milliseconds`: false when
    // the time ran out (the mutex is then not held).
    bool wait(int milliseconds);
    // Gives back a mutex that wait() took.
    void release();

  private:
    std::string name_;
    std::mutex state_;  // guards the three below
    std::condition_variable freed_;
    int descriptor_ = -1;
    bool opened_ = false;
    bool taken_ = false;  // a thread of this process holds it, or is taking the file lock
};

}  // namespace tabrix::platform
