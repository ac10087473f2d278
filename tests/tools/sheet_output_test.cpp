// cat's output into a regular file (written by a thread of its own) and into a pipe (held to
// the end): what is taken back never arrives, also after parts before it went out.
#include "sheet_output.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>

using namespace tabrix::cli;

namespace {

// Standard output sent to `fd` while this lives.
class StandardOutputTo {
  public:
    explicit StandardOutputTo(int fd) : saved_(dup(STDOUT_FILENO)) { dup2(fd, STDOUT_FILENO); }
    ~StandardOutputTo() {
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
    }

  private:
    int saved_;
};

std::string line(const char *what, int i) {
    return std::string(what) + " line " + std::to_string(i) + "\r\n";
}

// Megabytes kept, megabytes more taken back, and an end; returns what should arrive.
std::string write_taking_back(Output &out) {
    std::string expected;
    for (int i = 0; i < 100000; ++i) {
        out.put(line("kept", i));
        expected += line("kept", i);
        out.spill();
    }
    const uint64_t mark = out.position();
    for (int i = 0; i < 100000; ++i) {
        out.put(line("dropped", i));
        out.spill();
    }
    out.take_back(mark);
    out.put("end\r\n");
    out.flush();
    return expected + "end\r\n";
}

std::string contents(int fd) {
    std::string text;
    char buffer[1 << 16];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    return text;
}

TEST(SheetOutput, TextTakenBackNeverReachesAFileOrAPipe) {
    char path[] = "/tmp/tabrix-output-XXXXXX";
    const int file = mkstemp(path);
    ASSERT_GE(file, 0);
    ASSERT_EQ(write(file, "before\n", 7), 7);  // output appended after what the file holds
    std::string expected;
    bool failed = true;
    {
        const StandardOutputTo redirect(file);
        Output out;
        expected = "before\n" + write_taking_back(out);
        failed = out.failed();
    }
    EXPECT_FALSE(failed);
    ASSERT_EQ(lseek(file, 0, SEEK_SET), 0);
    EXPECT_TRUE(contents(file) == expected);
    close(file);
    unlink(path);

    int pipe_ends[2];
    ASSERT_EQ(pipe(pipe_ends), 0);
    std::string piped;
    std::thread reader([&] { piped = contents(pipe_ends[0]); });
    {
        const StandardOutputTo redirect(pipe_ends[1]);
        Output out;
        expected = write_taking_back(out);
        failed = out.failed();
    }
    close(pipe_ends[1]);
    reader.join();
    close(pipe_ends[0]);
    EXPECT_FALSE(failed);
    EXPECT_TRUE(piped == expected);
}

}  // namespace
