#include "sheet_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace tabrix::cli {

namespace {

// Left uninitialised: each byte is written before it is used.
std::unique_ptr<char[]> bytes_of(size_t size) {
    return std::make_unique_for_overwrite<char[]>(size);
}

}  // namespace

Output::Output() : filling_{bytes_of(2 * kSpillAt), 2 * kSpillAt} {
    struct stat info {};
    const off_t at = lseek(STDOUT_FILENO, 0, SEEK_CUR);
    seekable_ = at >= 0 && fstat(STDOUT_FILENO, &info) == 0 && S_ISREG(info.st_mode);
    if (seekable_) written_ = static_cast<uint64_t>(at);
}

Output::~Output() {
    if (!writer_started_) return;
    {
        const std::lock_guard lock(mutex_);
        quitting_ = true;
    }
    changed_.notify_all();
    writer_.join();
}

void Output::grow(size_t n) {
    const size_t capacity = std::max(filling_.capacity * 2, used_ + n);
    auto bytes = bytes_of(capacity);
    std::copy_n(filling_.bytes.get(), used_, bytes.get());
    filling_ = Buffer{std::move(bytes), capacity};
}

void Output::write_all(const char *bytes, size_t size) {
    for (size_t done = 0; done < size;) {
        const ssize_t n = write(STDOUT_FILENO, bytes + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            fail_with(n < 0 ? errno : EIO);
            return;
        }
        done += static_cast<size_t>(n);
    }
}

void Output::write_given() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return given_size_ != 0 || quitting_; });
        if (given_size_ == 0) return;  // quitting with nothing left
        const char *bytes = given_.bytes.get();
        const size_t size = given_size_;
        const bool skip = failed_;
        lock.unlock();
        if (!skip) write_all(bytes, size);
        lock.lock();
        given_size_ = 0;
        changed_.notify_all();
    }
}

void Output::wait_written() {
    if (!writer_started_) return;
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return given_size_ == 0; });
}

void Output::hand_over() {
    if (!writer_started_) {
        try {
            writer_ = std::thread([this] { write_given(); });
            writer_started_ = true;
        } catch (const std::system_error &) {
            seekable_ = false;  // held until the end, as for a pipe
            return;
        }
    }
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return given_size_ == 0; });
        std::swap(filling_, given_);
        given_size_ = used_;
    }
    changed_.notify_all();
    written_ += used_;
    used_ = 0;
    if (!filling_.bytes) filling_ = Buffer{bytes_of(2 * kSpillAt), 2 * kSpillAt};
}

void Output::flush() {
    wait_written();
    if (!failed()) write_all(filling_.bytes.get(), used_);
    written_ += used_;
    used_ = 0;
}

void Output::take_back(uint64_t position) {
    if (position >= written_) {
        used_ = static_cast<size_t>(position - written_);
        return;
    }
    wait_written();
    used_ = 0;
    const auto at = static_cast<off_t>(position);
    if (ftruncate(STDOUT_FILENO, at) != 0 || lseek(STDOUT_FILENO, at, SEEK_SET) != at) {
        fail_with(errno);
    }
    written_ = position;
}

void Output::fail_with(int error) {
    const std::lock_guard lock(mutex_);
    if (!failed_) error_ = error;
    failed_ = true;
}

bool Output::failed() {
    const std::lock_guard lock(mutex_);
    return failed_;
}

int Output::error() {
    const std::lock_guard lock(mutex_);
    return error_;
}

}  // namespace tabrix::cli
