#include "platform/file_services.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>

namespace tabrix::platform {
namespace {

namespace fs = std::filesystem;

std::string read_all(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_all(const fs::path &path, const std::string &data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

std::string random_bytes(std::size_t size) {
    std::mt19937 generator(20261207);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string data(size, '\0');
    for (char &c : data) c = static_cast<char>(byte(generator));
    return data;
}

// Each test works in a fresh directory of its own, removed afterwards.
class FileServicesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tabrix-files-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path dir_;
};

TEST_F(FileServicesTest, CopiesEmptyAndLargeFiles) {
    write_all(dir_ / "empty", "");
    ASSERT_TRUE(platform::copy_file(dir_ / "empty", dir_ / "empty-copy"));
    EXPECT_TRUE(fs::exists(dir_ / "empty-copy"));
    EXPECT_EQ(fs::file_size(dir_ / "empty-copy"), 0u);

    // Three whole pieces and a ragged end.
    const std::string data = random_bytes(200001);
    write_all(dir_ / "large", data);
    ASSERT_TRUE(platform::copy_file(dir_ / "large", dir_ / "large-copy"));
    EXPECT_EQ(read_all(dir_ / "large-copy"), data);
}

TEST_F(FileServicesTest, CopyReplacesTheTarget) {
    write_all(dir_ / "target", random_bytes(100000));
    write_all(dir_ / "source", "short");
    ASSERT_TRUE(platform::copy_file(dir_ / "source", dir_ / "target"));
    EXPECT_EQ(read_all(dir_ / "target"), "short");
}

TEST_F(FileServicesTest, CopyFromMissingSourceLeavesNoTarget) {
    EXPECT_FALSE(platform::copy_file(dir_ / "missing", dir_ / "target"));
    EXPECT_FALSE(fs::exists(dir_ / "target"));
    fs::create_directory(dir_ / "folder");
    EXPECT_FALSE(platform::copy_file(dir_ / "folder", dir_ / "target"));
    EXPECT_FALSE(fs::exists(dir_ / "target"));
}

TEST_F(FileServicesTest, CopyOntoItselfKeepsTheFile) {
    const std::string data = random_bytes(70000);
    write_all(dir_ / "book", data);
    EXPECT_FALSE(platform::copy_file(dir_ / "book", dir_ / "book"));
    EXPECT_FALSE(platform::copy_file(dir_ / "book", dir_ / "." / "book"));
    fs::create_hard_link(dir_ / "book", dir_ / "alias");
    EXPECT_FALSE(platform::copy_file(dir_ / "book", dir_ / "alias"));
    EXPECT_EQ(read_all(dir_ / "book"), data);
}

TEST_F(FileServicesTest, CopyOntoOtherThanAFileFails) {
    write_all(dir_ / "source", "data");
    fs::create_directory(dir_ / "folder");
    EXPECT_FALSE(platform::copy_file(dir_ / "source", dir_ / "folder"));
    EXPECT_TRUE(fs::is_directory(dir_ / "folder"));
    // A FIFO without a reader neither blocks the copy nor gets removed.
    ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(platform::copy_file(dir_ / "source", dir_ / "fifo"));
    EXPECT_FALSE(platform::copy_file(dir_ / "fifo", dir_ / "target"));
    EXPECT_TRUE(fs::is_fifo(dir_ / "fifo"));
    EXPECT_FALSE(fs::exists(dir_ / "target"));
}

// Runs in a child process: a file size limit makes the writes stop part way. Exits 0 when
// the copy failed and left no target behind.
[[noreturn]] void copy_beyond_file_size_limit(const fs::path &from, const fs::path &to) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{100000, 100000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const bool copied = platform::copy_file(from, to);
    std::_Exit(!copied && !fs::exists(to) ? 0 : 1);
}

TEST_F(FileServicesTest, FailedWriteRemovesThePartialTarget) {
    write_all(dir_ / "source", random_bytes(200001));
    EXPECT_EXIT(copy_beyond_file_size_limit(dir_ / "source", dir_ / "target"),
                ::testing::ExitedWithCode(0), "");
    EXPECT_FALSE(fs::exists(dir_ / "target"));
}

TEST_F(FileServicesTest, DeletesFiles) {
    write_all(dir_ / "file", "x");
    EXPECT_TRUE(delete_file(dir_ / "file"));
    EXPECT_FALSE(fs::exists(dir_ / "file"));
    EXPECT_TRUE(delete_file(dir_ / "file"));
    fs::create_directory(dir_ / "folder");
    EXPECT_FALSE(delete_file(dir_ / "folder"));
    EXPECT_TRUE(fs::exists(dir_ / "folder"));
}

// Sets TMPDIR for one test and puts back what was there.
class ScopedTmpdir {
  public:
    explicit ScopedTmpdir(const char *value) {
        if (const char *old = std::getenv("TMPDIR")) old_ = old;
        if (value != nullptr) {
            ::setenv("TMPDIR", value, 1);
        } else {
            ::unsetenv("TMPDIR");
        }
    }
    ~ScopedTmpdir() {
        if (old_) {
            ::setenv("TMPDIR", old_->c_str(), 1);
        } else {
            ::unsetenv("TMPDIR");
        }
    }

  private:
    std::optional<std::string> old_;
};

TEST_F(FileServicesTest, MakesTempFilesInTmpdir) {
    ScopedTmpdir tmpdir(dir_.c_str());
    const fs::path first = make_temp_file("tbx");
    const fs::path second = make_temp_file("tbx");
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_NE(first, second);
    for (const fs::path &path : {first, second}) {
        EXPECT_EQ(path.parent_path(), dir_);
        EXPECT_EQ(path.filename().string().rfind("tbx", 0), 0u) << path;
        EXPECT_TRUE(fs::is_regular_file(path));
        EXPECT_EQ(fs::file_size(path), 0u);
    }
}

TEST_F(FileServicesTest, TempFileFallsBackToTmpAndRefusesBadPlaces) {
    {
        ScopedTmpdir tmpdir(nullptr);
        const fs::path path = make_temp_file("tbx");
        ASSERT_FALSE(path.empty());
        EXPECT_EQ(path.parent_path(), "/tmp");
        EXPECT_TRUE(delete_file(path));
    }
    ScopedTmpdir tmpdir((dir_ / "missing").c_str());
    EXPECT_TRUE(make_temp_file("tbx").empty());
    ScopedTmpdir usable(dir_.c_str());
    EXPECT_TRUE(make_temp_file("../tbx").empty());
    EXPECT_TRUE(fs::is_empty(dir_));
}

// Replaces the file as the container's commit does: a new file renamed over the old one.
bool replace_by_rename(const fs::path &path, const std::string &content) {
    const fs::path fresh = path.string() + ".new";
    write_all(fresh, content);
    return ::rename(fresh.c_str(), path.c_str()) == 0;
}

TEST_F(FileServicesTest, ClaimKeepsEveryNameOfTheFileOffUntilReleased) {
    const fs::path file = dir_ / "book.xls";
    write_all(file, "old");
    FileClaim claim;
    ASSERT_EQ(FileClaim::make_file(
                  file, [&] { return replace_by_rename(file, "first"); }, &claim),
              ClaimStatus::ok);
    EXPECT_TRUE(claim.held());
    fs::create_symlink(file, dir_ / "link.xls");
    fs::create_hard_link(file, dir_ / "hard.xls");
    for (const fs::path &name :
         {file, dir_ / "link.xls", dir_ / "hard.xls", fs::relative(file, fs::current_path())}) {
        bool made = false;
        FileClaim other;
        EXPECT_EQ(FileClaim::make_file(
                      name, [&] { return made = true; }, &other),
                  ClaimStatus::held_elsewhere)
            << name;
        EXPECT_FALSE(made || other.held()) << name;
    }
    EXPECT_EQ(read_all(file), "first");

    FileClaim failed;
    claim.release();
    EXPECT_EQ(FileClaim::make_file(
                  file, [] { return false; }, &failed),
              ClaimStatus::not_made);
    EXPECT_FALSE(failed.held());
    FileClaim again;
    EXPECT_EQ(FileClaim::make_file(
                  dir_ / "link.xls", [&] { return replace_by_rename(file, "second"); }, &again),
              ClaimStatus::ok);
    EXPECT_EQ(read_all(file), "second");
}

// Runs in a child process; its exit status tells what its claim of the file came to.
[[noreturn]] void claim_in_child(const fs::path &path) {
    FileClaim claim;
    bool made = false;
    const ClaimStatus status = FileClaim::make_file(
        path, [&] { return made = true; }, &claim);
    if (status == ClaimStatus::held_elsewhere && !made) std::_Exit(1);
    std::_Exit(status == ClaimStatus::ok && made && claim.held() ? 2 : 3);
}

TEST_F(FileServicesTest, ClaimHoldsAgainstOtherProcesses) {
    const fs::path file = dir_ / "book.xls";
    FileClaim claim;
    ASSERT_EQ(FileClaim::make_file(
                  file, [&] { return replace_by_rename(file, "x"); }, &claim),
              ClaimStatus::ok);
    EXPECT_EXIT(claim_in_child(file), ::testing::ExitedWithCode(1), "");
    claim.release();
    EXPECT_EXIT(claim_in_child(file), ::testing::ExitedWithCode(2), "");
}

}  // namespace
}  // namespace tabrix::platform
