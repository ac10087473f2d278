#include "platform/file_services.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

namespace tabrix::platform {
namespace {

constexpr std::size_t kCopyPieceSize = 64 * 1024;

// Closes the descriptor it owns when it goes out of scope.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
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

std::filesystem::path make_temp_file(std::string_view prefix) {
    // The prefix names a file, it may not lead elsewhere or cut the name short.
    if (prefix.find('/') != std::string_view::npos || prefix.find('\0') != std::string_view::npos) {
        return {};
    }
    const char *tmpdir = std::getenv("TMPDIR");
    const std::filesystem::path directory = tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : "/tmp";
    std::string name = (directory / prefix).string() + "XXXXXX";
    FileDescriptor created(::mkostemp(name.data(), O_CLOEXEC));
    if (!created.valid()) return {};
    return name;
}

}  // namespace tabrix::platform
