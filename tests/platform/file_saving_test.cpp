// Claims and saves: one writer per file by any name, and a file replaced whole or not at all,
// whatever fails on the way.
#include "platform/files/file_saving.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/files/beside_files.h"
#include "platform/files/file_claim.h"
#include "tests/platform/scratch_folder.h"

namespace tabrix::platform {
namespace {

namespace fs = std::filesystem;

std::string read_all(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_all(const fs::path &path, const std::string &data) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << data;
}

// A writer for save_file that writes `data`, or writes half of it and then fails.
std::function<int(int)> writer(const std::string &data, int fail_with = 0) {
    return [data, fail_with](int fd) {
        const size_t n = fail_with ? data.size() / 2 : data.size();
        for (size_t done = 0; done < n;) {
            const ssize_t written = ::write(fd, data.data() + done, n - done);
            if (written < 0) return errno;
            done += static_cast<size_t>(written);
        }
        return fail_with;
    };
}

class FileSavingTest : public ::testing::Test {
  protected:
    std::vector<std::string> names() const { return folder_.names(); }

    test::ScratchFolder folder_;
    const fs::path &dir_ = folder_.path();
};

TEST_F(FileSavingTest, ClaimKeepsEveryNameOfTheFileOffUntilReleased) {
    const fs::path file = dir_ / "book.xls";
    write_all(file, "old");
    FileClaim claim;
    ASSERT_EQ(FileClaim::claim(file, &claim), ClaimStatus::ok);
    EXPECT_TRUE(claim.held());
    EXPECT_EQ(claim.file(), file);
    fs::create_symlink(file, dir_ / "link.xls");
    fs::create_hard_link(file, dir_ / "hard.xls");
    for (const fs::path &name :
         {file, dir_ / "link.xls", dir_ / "hard.xls", fs::relative(file, fs::current_path())}) {
        FileClaim other;
        EXPECT_EQ(FileClaim::claim(name, &other), ClaimStatus::held_elsewhere) << name;
        EXPECT_FALSE(other.held()) << name;
    }
    EXPECT_EQ(read_all(file), "old") << "a claim writes nothing";
    EXPECT_TRUE(fs::exists(lock_file_beside(file)));
    claim.release();
    EXPECT_EQ(names(), (std::vector<std::string>{"book.xls", "hard.xls", "link.xls"}));

    FileClaim again;
    EXPECT_EQ(FileClaim::claim(dir_ / "link.xls", &again), ClaimStatus::ok);
    EXPECT_EQ(again.file(), file) << "a link leads to the file it names";
}

// Descriptors of this process open on files that no longer have a name.
int deleted_files_open() {
    int count = 0;
    for (const auto &entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const fs::path target = fs::read_symlink(entry.path(), error);
        if (!error && target.string().ends_with(" (deleted)")) ++count;
    }
    return count;
}

// A large file that a save replaced is let go on a thread of its own: its descriptor is
// closed all the same, and the new file stands whole under the name.
TEST_F(FileSavingTest, AReplacedLargeFileIsLetGoOnceReleased) {
    const fs::path file = dir_ / "large.xls";
    write_all(file, std::string(size_t{5} << 20, 'o'));
    const int before = deleted_files_open();
    FileClaim claim;
    ASSERT_EQ(FileClaim::claim(file, &claim), ClaimStatus::ok);
    ASSERT_EQ(save_file(file, 3, writer("new")), 0);
    EXPECT_EQ(deleted_files_open(), before + 1) << "the claim holds the replaced file";
    claim.release();
    int left = deleted_files_open() - before;
    for (int wait = 0; left > 0 && wait < 500; ++wait) {
        usleep(2000);
        left = deleted_files_open() - before;
    }
    EXPECT_EQ(left, 0);
    EXPECT_EQ(read_all(file), "new");
}

TEST_F(FileSavingTest, ClaimOfAMissingFileHoldsItsNameAndMakesNoFile) {
    const fs::path file = dir_ / "new.xls";
    fs::create_symlink("new.xls", dir_ / "dangling.xls");
    FileClaim claim;
    ASSERT_EQ(FileClaim::claim(dir_ / "dangling.xls", &claim), ClaimStatus::ok);
    EXPECT_EQ(claim.file(), file);
    FileClaim other;
    EXPECT_EQ(FileClaim::claim(file, &other), ClaimStatus::held_elsewhere);
    EXPECT_FALSE(fs::exists(file));
    // A lock file left by a process that died is taken over, and removed at the release.
    claim.release();
    write_all(lock_file_beside(file), "");
    ASSERT_EQ(FileClaim::claim(file, &claim), ClaimStatus::ok);
    claim.release();
    EXPECT_EQ(names(), std::vector<std::string>{"dangling.xls"});
}

TEST_F(FileSavingTest, ClaimRefusesWhatIsNotARegularFileAndTouchesNothing) {
    ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
    fs::create_directory(dir_ / "folder");
    fs::create_symlink("/dev/null", dir_ / "null");
    FileClaim claim;
    for (const char *name : {"fifo", "folder", "null"}) {
        EXPECT_EQ(FileClaim::claim(dir_ / name, &claim), ClaimStatus::not_regular) << name;
    }
    EXPECT_EQ(FileClaim::claim("/dev/null", &claim), ClaimStatus::not_regular);
    EXPECT_EQ(FileClaim::claim(dir_ / "missing" / "x.xls", &claim), ClaimStatus::refused);
    EXPECT_EQ(FileClaim::claim(dir_ / "folder/", &claim), ClaimStatus::refused);
    EXPECT_FALSE(claim.held());
    EXPECT_EQ(names(), (std::vector<std::string>{"fifo", "folder", "null"}));
    EXPECT_FALSE(fs::exists("/dev/.null.tabrix-lock"));
}

// Runs in a child process; its exit status tells what its claim of the file came to.
[[noreturn]] void claim_in_child(const fs::path &path) {
    FileClaim claim;
    const ClaimStatus status = FileClaim::claim(path, &claim);
    std::_Exit(status == ClaimStatus::held_elsewhere ? 1 : status == ClaimStatus::ok ? 2 : 3);
}

TEST_F(FileSavingTest, ClaimHoldsAgainstOtherProcesses) {
    const fs::path file = dir_ / "book.xls";
    FileClaim claim;
    ASSERT_EQ(FileClaim::claim(file, &claim), ClaimStatus::ok);
    EXPECT_EXIT(claim_in_child(file), ::testing::ExitedWithCode(1), "");
    claim.release();
    EXPECT_EXIT(claim_in_child(file), ::testing::ExitedWithCode(2), "");
}

TEST_F(FileSavingTest, SaveReplacesTheFileThroughLinksKeepingItsMode) {
    const fs::path file = dir_ / "book.xls";
    write_all(file, "old");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("book.xls", dir_ / "link.xls");
    ASSERT_EQ(save_file(dir_ / "link.xls", 3, writer("new")), 0);
    EXPECT_EQ(read_all(file), "new");
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.xls"));
    EXPECT_EQ(fs::status(file).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // A new file gets what open(2) would give it.
    const mode_t mask = ::umask(027);
    EXPECT_EQ(save_file(dir_ / "fresh.xls", 5, writer("fresh")), 0);
    ::umask(mask);
    EXPECT_EQ(fs::status(dir_ / "fresh.xls").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(names(), (std::vector<std::string>{"book.xls", "fresh.xls", "link.xls"}));
}

TEST_F(FileSavingTest, FailedSavesLeaveTheOldBytesAndNoStrayFile) {
    const fs::path file = dir_ / "book.xls";
    write_all(file, "old bytes");
    EXPECT_EQ(save_file(file, 8, writer("new file", EIO)), EIO);
    EXPECT_THROW(save_file(file, 8, [](int) -> int { throw std::runtime_error("writer"); }),
                 std::runtime_error);
    EXPECT_EQ(read_all(file), "old bytes");
    // Only a regular file, or none, is replaced.
    fs::create_directory(dir_ / "folder");
    EXPECT_NE(save_file(dir_ / "folder", 3, writer("new")), 0);
    EXPECT_NE(save_file(dir_ / "gone" / "x.xls", 3, writer("new")), 0);
    EXPECT_EQ(names(), (std::vector<std::string>{"book.xls", "folder"}));
}

// Runs in a child process under a file-size limit; exits 0 when the save failed with EFBIG.
[[noreturn]] void save_beyond_size_limit(const fs::path &file, const std::string &data) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1000, 1000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::_Exit(save_file(file, data.size(), writer(data)) == EFBIG ? 0 : 1);
}

TEST_F(FileSavingTest, SizeLimitLeavesTheOldBytesAndNoStrayFile) {
    const fs::path file = dir_ / "book.xls";
    write_all(file, "old bytes");
    EXPECT_EXIT(save_beyond_size_limit(file, std::string(5000, 'n')), ::testing::ExitedWithCode(0),
                "");
    EXPECT_EQ(read_all(file), "old bytes");
    EXPECT_EQ(names(), std::vector<std::string>{"book.xls"});
}

// Makes this child process one that may not add files to a folder it does not own (root
// gives up its rights for it).
void give_up_rights() {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) std::_Exit(99);
}

// In such a child, saves `data` under a size limit of 1000 bytes; exits with the result.
[[noreturn]] void save_in_closed_folder(const fs::path &file, const std::string &data) {
    std::signal(SIGXFSZ, SIG_IGN);
    give_up_rights();
    const rlimit limit{1000, 1000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::_Exit(save_file(file, data.size(), writer(data)));
}

// In such a child, claims the file; exits 0 when the claim is held, 1 when refused.
[[noreturn]] void claim_in_closed_folder(const fs::path &file) {
    give_up_rights();
    FileClaim claim;
    const ClaimStatus status = FileClaim::claim(file, &claim);
    std::_Exit(status == ClaimStatus::ok && claim.held()         ? 0
               : status == ClaimStatus::refused && !claim.held() ? 1
                                                                 : 2);
}

TEST_F(FileSavingTest, AFolderThatTakesNoFileGetsTheFileRewrittenInPlaceOrNotAtAll) {
    const fs::path file = dir_ / "book.xls";
    write_all(file, std::string(600, 'o'));
    fs::permissions(file, fs::perms::all);
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                              fs::perms::others_exec);
    // Too large for the limit: refused before any old byte changes.
    EXPECT_EXIT(save_in_closed_folder(file, std::string(1500, 'n')),
                ::testing::ExitedWithCode(EFBIG), "");
    EXPECT_EQ(read_all(file), std::string(600, 'o'));
    EXPECT_EXIT(save_in_closed_folder(file, std::string(800, 'n')), ::testing::ExitedWithCode(0),
                "");
    EXPECT_EQ(read_all(file), std::string(800, 'n'));
    EXPECT_EXIT(save_in_closed_folder(dir_ / "new.xls", "x"), ::testing::ExitedWithCode(EACCES),
                "");
    // The claim of such a file is the lock on the file alone; a new file cannot be claimed.
    EXPECT_EXIT(claim_in_closed_folder(file), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(claim_in_closed_folder(dir_ / "new.xls"), ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(names(), std::vector<std::string>{"book.xls"});
}

TEST_F(FileSavingTest, LongNamesKeepTheirOwnFilesBeside) {
    const std::string stem(250, 'a');
    const fs::path first = dir_ / (stem + "1.xls");
    const fs::path second = dir_ / (stem + "2.xls");
    FileClaim one, two;
    ASSERT_EQ(FileClaim::claim(first, &one), ClaimStatus::ok);
    EXPECT_EQ(FileClaim::claim(second, &two), ClaimStatus::ok) << "cut names stay apart";
    EXPECT_EQ(save_file(first, 3, writer("new")), 0);
    EXPECT_EQ(read_all(first), "new");
}

}  // namespace
}  // namespace tabrix::platform
