#include "platform/files/file_claim.h"

#include <sys/file.h>

#include <exception>
#include <thread>

#include "platform/files/beside_files.h"

namespace tabrix::platform {

namespace {

enum class LockResult { locked, busy, unsupported };

LockResult try_lock(int fd) {
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) return LockResult::locked;
    return errno == EWOULDBLOCK ? LockResult::busy : LockResult::unsupported;
}

// The last close of a file that a save replaced gives every page the system cached of it
// back: some milliseconds for a file of many megabytes.
bool large_and_replaced(const FileDescriptor &fd) {
    constexpr off_t kLargeFile = off_t{4} << 20;
    struct stat info {};
    return ::fstat(fd.get(), &info) == 0 && info.st_nlink == 0 && info.st_size >= kLargeFile;
}

void unlock(FileDescriptor &fd) {
    if (!fd.valid()) return;
    // Unlocked before the close: a child forked meanwhile shares the descriptor, and would
    // otherwise keep the lock alive.
    (void)::flock(fd.get(), LOCK_UN);
    // A large replaced file is closed on a thread of its own, so that the close of the
    // workbook does not wait while its pages are dropped.
    if (large_and_replaced(fd)) {
        try {
            std::thread([descriptor = fd.get()] { ::close(descriptor); }).detach();
            fd.release();
            return;
        } catch (const std::exception &) {
            // No thread: closed here.
        }
    }
    fd.reset();
}

bool refused_by_folder(int error) {
    return error == EACCES || error == EPERM || error == EROFS;
}

// The existing file, opened for writing (which also tells that we may replace it): readable
// too where we may, as file systems that emulate flock with record locks want for an
// exclusive lock.
FileDescriptor open_existing(const std::filesystem::path &file) {
    FileDescriptor fd(open_retrying(file.c_str(), O_RDWR));
    if (!fd.valid() && errno == EACCES) fd.reset(open_retrying(file.c_str(), O_WRONLY));
    return fd;
}

enum class LockFile { taken, busy, unsupported, no_room, failed };

// Opens (making it where missing) and locks the lock file. A lock file that its holder
// removed between our open and our lock is left for the one now under the name.
LockFile take_lock_file(const std::filesystem::path &name, FileDescriptor *out) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        FileDescriptor fd(open_retrying(name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW, 0666));
        if (!fd.valid() && refused_by_folder(errno)) {
            // Another user's lock file, or a folder that takes no new file.
            fd.reset(open_retrying(name.c_str(), O_RDONLY | O_NOFOLLOW));
            if (!fd.valid()) {
                return refused_by_folder(errno) || errno == ENOENT ? LockFile::no_room
                                                                   : LockFile::failed;
            }
        }
        struct stat mine {};
        if (!fd.valid() || ::fstat(fd.get(), &mine) != 0 || !S_ISREG(mine.st_mode)) {
            return LockFile::failed;
        }
        switch (try_lock(fd.get())) {
            case LockResult::busy:
                return LockFile::busy;
            case LockResult::unsupported:
                // Nobody can lock it on this file system, so nobody needs it either.
                ::unlink(name.c_str());
                return LockFile::unsupported;
            case LockResult::locked:
                break;
        }
        struct stat now {};
        if (::stat(name.c_str(), &now) == 0 && same_file(now, mine)) {
            *out = std::move(fd);
            return LockFile::taken;
        }
    }
    return LockFile::failed;
}

}  // namespace

FileClaim::FileClaim(FileClaim &&other) noexcept
    : file_(std::move(other.file_)),
      lock_name_(std::move(other.lock_name_)),
      lock_file_(std::move(other.lock_file_)),
      existing_(std::move(other.existing_)) {}

FileClaim &FileClaim::operator=(FileClaim &&other) noexcept {
    if (this != &other) {
        release();
        file_ = std::move(other.file_);
        lock_name_ = std::move(other.lock_name_);
        lock_file_ = std::move(other.lock_file_);
        existing_ = std::move(other.existing_);
    }
    return *this;
}

ClaimStatus FileClaim::claim(const std::filesystem::path &name, FileClaim *claim) {
    claim->release();
    const std::filesystem::path file = written_file(name);
    if (file.empty()) return ClaimStatus::refused;
    // A device or FIFO is never opened: opening some of them already does something.
    FileDescriptor existing;
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) return ClaimStatus::not_regular;
        existing = open_existing(file);
        if (!existing.valid()) return ClaimStatus::refused;
        if (::fstat(existing.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
            return ClaimStatus::not_regular;
        }
    } else if (errno != ENOENT) {
        return ClaimStatus::refused;
    }

    // Filled as the locks are taken, so that a failure (or running out of memory) releases
    // what was taken.
    claim->file_ = file;
    claim->lock_name_ = lock_file_beside(file);
    switch (take_lock_file(claim->lock_name_, &claim->lock_file_)) {
        case LockFile::busy:
            claim->release();
            return ClaimStatus::held_elsewhere;
        case LockFile::no_room:
            if (!existing.valid()) {
                claim->release();
                return ClaimStatus::refused;
            }
            break;
        case LockFile::failed:
            claim->release();
            return ClaimStatus::refused;
        case LockFile::taken:
        case LockFile::unsupported:
            break;
    }
    if (existing.valid()) {
        switch (try_lock(existing.get())) {
            case LockResult::busy:
                claim->release();
                return ClaimStatus::held_elsewhere;
            case LockResult::locked:
                claim->existing_ = std::move(existing);
                break;
            case LockResult::unsupported:
                break;
        }
    }
    return ClaimStatus::ok;
}

void FileClaim::release() noexcept {
    if (lock_file_.valid()) {
        // Removed only while it is still ours: a user may have removed it, and a newer claim
        // made another under the name.
        struct stat mine {
        }, now{};
        if (::fstat(lock_file_.get(), &mine) == 0 && ::stat(lock_name_.c_str(), &now) == 0 &&
            same_file(mine, now)) {
            ::unlink(lock_name_.c_str());
        }
    }
    unlock(lock_file_);
    unlock(existing_);
    file_.clear();
    lock_name_.clear();
}

}  // namespace tabrix::platform
