// The text cat writes to standard output. A sheet's text is held until the sheet is done, so
// that it can be taken back when the sheet has to be read again; into a regular file it goes
// out as it grows instead, written by a thread of its own while the next part is made, and is
// taken back by cutting the file.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

namespace tabrix::cli {

class Output {
  public:
    Output();
    Output(const Output &) = delete;
    Output &operator=(const Output &) = delete;
    ~Output();

    // Room for n more bytes.
    char *room(size_t n) {
        if (filling_.capacity - used_ < n) grow(n);
        return filling_.bytes.get() + used_;
    }
    void wrote(char *end) { used_ = static_cast<size_t>(end - filling_.bytes.get()); }
    void put(char c) { *room(1) = c, ++used_; }
    void put(std::string_view text) {
        wrote(std::copy(text.begin(), text.end(), room(text.size())));
    }

    // Where the next byte goes in the whole output.
    uint64_t position() const { return written_ + used_; }
    // Takes back everything from `position` on.
    void take_back(uint64_t position);
    // Sends what is held when that is much and can be taken back.
    void spill() {
        if (seekable_ && used_ >= kSpillAt) hand_over();
    }
    // Sends everything held, and waits until it is written.
    void flush();
    // Whether a write failed, and the system's error number of the first that did.
    bool failed();
    int error();

  private:
    static constexpr size_t kSpillAt = 1 << 18;

    struct Buffer {
        std::unique_ptr<char[]> bytes;
        size_t capacity = 0;
    };

    void grow(size_t n);
    // Gives the bytes held to the writer thread (written here where none can be started).
    void hand_over();
    // Waits until the writer thread has written what it was given.
    void wait_written();
    void write_all(const char *bytes, size_t size);
    void fail_with(int error);
    void write_given();

    Buffer filling_;
    size_t used_ = 0;
    uint64_t written_ = 0;  // bytes sent, or given to the writer thread
    bool seekable_ = false;

    // Shared with the writer thread, under mutex_.
    std::mutex mutex_;
    std::condition_variable changed_;
    Buffer given_;  // being written while given_size_ is not 0, else spare
    size_t given_size_ = 0;
    bool quitting_ = false;
    bool failed_ = false;
    int error_ = 0;
    std::thread writer_;
    bool writer_started_ = false;
};

}  // namespace tabrix::cli
