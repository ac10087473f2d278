#include "platform/file_services.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace tabrix::platform {
namespace {

constexpr std::size_t kCopyPieceSize = 64 * 1024;

// Closes the descriptor it owns when it goes out of scope.
class FileDescriptor {
  public:
    FileDescriptor() : fd_(-1) {}
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void reset(int fd) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    // Hands the descriptor over: it is no longer closed here.
    void release() { fd_ = -1; }
    // Closes now and reports whether the last buffered writes made it.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

// Non-blocking, so that naming a FIFO fails instead of waiting for its other end; regular
// files, the only ones copied, ignore the flag.
int open_retrying(const char *path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path, flags | O_CLOEXEC | O_NONBLOCK, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

ssize_t read_piece(int fd, char *buffer, std::size_t size) {
    ssize_t got;
    do {
        got = ::read(fd, buffer, size);
    } while (got < 0 && errno == EINTR);
    return got;
}

// Writes all of the piece; false when the system accepts less and then refuses the rest.
bool write_piece(int fd, const char *data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// A descriptor to lock a file through: writable where we may (file systems that emulate
// flock with record locks want that for an exclusive lock), else readable.
int open_for_lock(const std::filesystem::path &path) {
    int fd = open_retrying(path.c_str(), O_RDWR);
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EISDIR)) {
        fd = open_retrying(path.c_str(), O_RDONLY);
    }
    return fd;
}

enum class LockResult { locked, busy, unsupported };

LockResult try_lock(int fd) {
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) return LockResult::locked;
    return errno == EWOULDBLOCK ? LockResult::busy : LockResult::unsupported;
}

// The name the container writes to: a symbolic link is followed, so that its target, not the
// link, is replaced.
std::filesystem::path written_name(const std::filesystem::path &path) {
    std::error_code error;
    if (std::filesystem::is_symlink(path, error)) {
        auto target = std::filesystem::canonical(path, error);
        if (!error) return target;
    }
    return path;
}

// Our turn at a folder: a lock on the folder itself, held for the few milliseconds between
// looking at a file and claiming its replacement. Without locks on that file system, or
// after waiting in vain for a while (someone else keeping the folder locked), we go ahead
// without a turn: the claims themselves still hold.
class FolderTurn {
  public:
    explicit FolderTurn(const std::filesystem::path &folder)
        : folder_(open_retrying(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY)) {
        if (!folder_.valid()) return;
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            if (try_lock(folder_.get()) != LockResult::busy) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

  private:
    static constexpr int kAttempts = 5000;
    FileDescriptor folder_;  // closing it ends the turn
};

// True when a claim holds the regular file at path.
bool claimed_elsewhere(const std::filesystem::path &path) {
    FileDescriptor file(open_for_lock(path));
    struct stat info {};
    if (!file.valid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    return try_lock(file.get()) == LockResult::busy;  // a lock we got ends with the descriptor
}

}  // namespace

FileClaim &FileClaim::operator=(FileClaim &&other) noexcept {
    if (this != &other) {
        release();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

void FileClaim::release() {
    if (fd_ < 0) return;
    // Unlocked before the close: a child forked meanwhile shares the descriptor, and would
    // otherwise keep the lock alive.
    (void)::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

ClaimStatus FileClaim::make_file(const std::filesystem::path &path,
                                 const std::function<bool()> &make, FileClaim *claim) {
    claim->release();
    FolderTurn turn(written_name(path).parent_path());
    if (claimed_elsewhere(path)) return ClaimStatus::held_elsewhere;
    if (!make()) return ClaimStatus::not_made;
    FileDescriptor made(open_for_lock(path));
    if (!made.valid()) return ClaimStatus::ok;  // nothing to lock by; the writer reports
    switch (try_lock(made.get())) {
        case LockResult::busy:
            return ClaimStatus::held_elsewhere;
        case LockResult::unsupported:
            return ClaimStatus::ok;
        case LockResult::locked:
            break;
    }
    claim->fd_ = made.get();
    made.release();
    return ClaimStatus::ok;
}

namespace {

bool copy_contents(int source, int target) {
    std::vector<char> piece(kCopyPieceSize);
    for (;;) {
        const ssize_t got = read_piece(source, piece.data(), piece.size());
        if (got < 0) return false;
        if (got == 0) return true;
        if (!write_piece(target, piece.data(), static_cast<std::size_t>(got))) return false;
    }
}

}  // namespace

bool copy_file(const std::filesystem::path &from, const std::filesystem::path &to) {
    FileDescriptor source(open_retrying(from.c_str(), O_RDONLY));
    struct stat source_info {};
    if (!source.valid() || ::fstat(source.get(), &source_info) != 0 ||
        !S_ISREG(source_info.st_mode)) {
        return false;
    }
    // Opened without truncation first: if the target is the source under another name,
    // truncating it would destroy the data we are about to copy.
    FileDescriptor target(open_retrying(to.c_str(), O_WRONLY | O_CREAT, 0666));
    struct stat target_info {};
    if (!target.valid() || ::fstat(target.get(), &target_info) != 0) return false;
    if (target_info.st_dev == source_info.st_dev && target_info.st_ino == source_info.st_ino) {
        return false;
    }
    // Only a regular file is replaced, and so only a regular file is removed on failure.
    if (!S_ISREG(target_info.st_mode)) return false;

    const bool copied = ::ftruncate(target.get(), 0) == 0 &&
                        copy_contents(source.get(), target.get()) && target.close();
    if (!copied) {
        if (target.valid()) target.close();
        ::unlink(to.c_str());
    }
    return copied;
}

bool delete_file(const std::filesystem::path &path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

namespace {

// A new file in the temporary directory, made exclusively under an unpredictable name (so no
// file or link planted there is ever written through); the descriptor is left open in *fd.
std::filesystem::path create_temp_file(std::string_view prefix, FileDescriptor *fd) {
    // The prefix names a file, it may not lead elsewhere or cut the name short.
    if (prefix.find('/') != std::string_view::npos || prefix.find('\0') != std::string_view::npos) {
        return {};
    }
    const char *tmpdir = std::getenv("TMPDIR");
    const std::filesystem::path directory = tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : "/tmp";
    std::string name = (directory / prefix).string() + "XXXXXX";
    fd->reset(::mkostemp(name.data(), O_CLOEXEC));
    if (!fd->valid()) return {};
    return name;
}

}  // namespace

std::filesystem::path make_temp_file(std::string_view prefix) {
    FileDescriptor created;
    return create_temp_file(prefix, &created);
}

bool replace_file(const std::filesystem::path &from, const std::filesystem::path &to) {
    FileDescriptor source(open_retrying(from.c_str(), O_RDONLY));
    struct stat source_info {};
    if (!source.valid() || ::fstat(source.get(), &source_info) != 0 ||
        !S_ISREG(source_info.st_mode)) {
        return false;
    }
    const std::filesystem::path target = written_name(to);
    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;
    if (existed && !S_ISREG(old.st_mode)) return false;
    std::string beside = target.string() + ".tabrix-XXXXXX";
    FileDescriptor copy(::mkostemp(beside.data(), O_CLOEXEC));
    if (!copy.valid()) return platform::copy_file(from, to);  // no file can be made in that folder
    bool done = copy_contents(source.get(), copy.get()) && ::fsync(copy.get()) == 0 &&
                (!existed || ::fchmod(copy.get(), old.st_mode & 07777) == 0);
    done = copy.close() && done;
    done = done && ::rename(beside.c_str(), target.c_str()) == 0;
    if (!done) ::unlink(beside.c_str());
    return done;
}

std::filesystem::path copy_to_temp_file(const std::filesystem::path &from,
                                        std::string_view prefix) {
    FileDescriptor source(open_retrying(from.c_str(), O_RDONLY));
    struct stat source_info {};
    if (!source.valid() || ::fstat(source.get(), &source_info) != 0 ||
        !S_ISREG(source_info.st_mode)) {
        return {};
    }
    FileDescriptor target;
    std::filesystem::path made = create_temp_file(prefix, &target);
    if (made.empty()) return {};
    // Written through the descriptor mkostemp gave: the name is never opened again here.
    if (!copy_contents(source.get(), target.get()) || !target.close()) {
        ::unlink(made.c_str());
        return {};
    }
    return made;
}

}  // namespace tabrix::platform
