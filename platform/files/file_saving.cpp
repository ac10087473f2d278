#include "platform/files/file_saving.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/files/beside_files.h"
#include "platform/files/file_descriptor.h"

namespace tabrix::platform {

namespace {

bool refused_by_folder(int error) {
    return error == EACCES || error == EPERM || error == EROFS;
}

// umask(2) reads the mask only by setting it, which races with files other threads make
// meanwhile; the kernel also shows it in /proc.
mode_t current_umask() {
    if (FILE *status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status)) {
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        }
        std::fclose(status);
        if (found) return static_cast<mode_t>(mask);
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// The new file beside the target, removed again unless it was renamed over the target.
class NewFileBeside {
  public:
    explicit NewFileBeside(const std::filesystem::path &file)
        : name_(new_file_template_beside(file)), fd_(::mkostemp(name_.data(), O_CLOEXEC)) {}
    ~NewFileBeside() {
        fd_.reset();
        if (made_ && !renamed_) ::unlink(name_.c_str());
    }
    NewFileBeside(const NewFileBeside &) = delete;
    NewFileBeside &operator=(const NewFileBeside &) = delete;

    bool made() const { return made_; }
    FileDescriptor &fd() { return fd_; }
    int rename_over(const std::filesystem::path &file) {
        if (::rename(name_.c_str(), file.c_str()) != 0) return errno;
        renamed_ = true;
        return 0;
    }

  private:
    std::string name_;
    FileDescriptor fd_;
    bool made_ = fd_.valid();
    bool renamed_ = false;
};

// The old file's permissions and owner on the new one, or those a new file gets.
void adopt_mode(int fd, const struct stat *old) {
    if (!old) {
        (void)::fchmod(fd, 0666 & ~current_umask());
        return;
    }
    // Owner first: a change of owner clears the set-id bits. They come back only with the
    // old owner, never on a file of ours.
    const bool same_owner = ::fchown(fd, old->st_uid, old->st_gid) == 0;
    if (!same_owner) (void)::fchown(fd, static_cast<uid_t>(-1), old->st_gid);
    (void)::fchmod(fd, old->st_mode & (same_owner ? 07777 : 0777));
}

void sync_folder(const std::filesystem::path &folder) {
    FileDescriptor fd(open_retrying(folder.c_str(), O_RDONLY | O_DIRECTORY));
    if (fd.valid()) (void)::fsync(fd.get());
}

int rewrite_in_place(const std::filesystem::path &file, uint64_t size,
                     const std::function<int(int fd)> &write) {
    FileDescriptor fd(open_retrying(file.c_str(), O_WRONLY));
    struct stat info {};
    if (!fd.valid() || ::fstat(fd.get(), &info) != 0) return errno;
    if (!S_ISREG(info.st_mode)) return EINVAL;
    const auto old_size = static_cast<uint64_t>(info.st_size);
    if (size > old_size &&
        ::fallocate(fd.get(), 0, static_cast<off_t>(old_size),
                    static_cast<off_t>(size - old_size)) != 0 &&
        errno != EOPNOTSUPP) {
        const int error = errno;
        (void)::ftruncate(fd.get(), info.st_size);  // what part of the room it took
        return error;
    }
    int error = write(fd.get());
    const off_t end = ::lseek(fd.get(), 0, SEEK_CUR);
    if (error == 0 && (end < 0 || ::ftruncate(fd.get(), end) != 0)) error = errno;
    if (error == 0 && ::fsync(fd.get()) != 0) error = errno;
    const int closed = fd.close();
    return error != 0 ? error : closed;
}

}  // namespace

int save_file(const std::filesystem::path &name, uint64_t size,
              const std::function<int(int fd)> &write) {
    const std::filesystem::path file = written_file(name);
    if (file.empty()) return EINVAL;
    struct stat old {};
    const bool existed = ::stat(file.c_str(), &old) == 0;
    if (!existed && errno != ENOENT) return errno;
    if (existed && !S_ISREG(old.st_mode)) return S_ISDIR(old.st_mode) ? EISDIR : EINVAL;

    NewFileBeside fresh(file);
    if (!fresh.made()) {
        const int error = errno;
        return existed && refused_by_folder(error) ? rewrite_in_place(file, size, write) : error;
    }
    const int fd = fresh.fd().get();
    adopt_mode(fd, existed ? &old : nullptr);
    int error = write(fd);
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    const int closed = fresh.fd().close();
    if (error == 0) error = closed;
    if (error == 0) error = fresh.rename_over(file);
    if (error != 0) return error;
    sync_folder(file.parent_path());
    return 0;
}

}  // namespace tabrix::platform
