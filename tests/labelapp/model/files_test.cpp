#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "core/files/cp932.h"
#include "core/files/data_folder.h"
#include "core/files/text_file.h"
#include "core/files/word_lists.h"
#include "temp_folder.h"

namespace labelora {
namespace {

std::string sjis(const std::string &utf8) {
    return utf8ToCp932(utf8).value();
}

TEST(TextFile, SplitsLinesAtAnyLineEnd) {
    EXPECT_EQ(splitLines(""), std::vector<std::string>{});
    EXPECT_EQ(splitLines("a\r\nb\r\n"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(splitLines("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(splitLines("a\nb\rc"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(splitLines("\r\n"), (std::vector<std::string>{""}));
}

TEST(TextFile, ReadsShiftJisAndUtf8) {
    EXPECT_EQ(decodeFileText(sjis("血清\r\n尿")), "血清\r\n尿");
    EXPECT_EQ(decodeFileText("血清\r\n尿"), "血清\r\n尿");
    EXPECT_EQ(decodeFileText("\xEF\xBB\xBF血清"), "血清");
    EXPECT_EQ(decodeFileText("plain"), "plain");
}

TEST(TextFile, WritesShiftJisWithCrLfOrUtf8WhenShiftJisCannotHoldIt) {
    EXPECT_EQ(encodeFileLines({"血清", "", "A"}), sjis("血清") + "\r\n\r\nA\r\n");
    EXPECT_EQ(encodeFileLines({}), "");
    std::string emoji = "\xF0\x9F\xA7\xAA";
    EXPECT_EQ(encodeFileLines({"血清", emoji}), "\xEF\xBB\xBF血清\r\n" + emoji + "\r\n");
    EXPECT_EQ(splitLines(decodeFileText(encodeFileLines({"血清", emoji}))),
              (std::vector<std::string>{"血清", emoji}));
}

TEST(TextFile, FindsFilesWithoutRegardToCase) {
    TempFolder folder;
    EXPECT_EQ(findFileIgnoringCase(folder.path(), "db1.txt"), folder.path() / "db1.txt");
    folder.write("DB1.TXT", "x");
    EXPECT_EQ(findFileIgnoringCase(folder.path(), "db1.txt"), folder.path() / "DB1.TXT");
    EXPECT_EQ(findFileIgnoringCase(folder.path(), "DB1.txt"), folder.path() / "DB1.TXT");
}

size_t entries(const std::filesystem::path &folder) {
    auto it = std::filesystem::directory_iterator(folder);
    return static_cast<size_t>(std::distance(it, std::filesystem::directory_iterator()));
}

TEST(TextFile, AWriteThatFailsPartWayLeavesTheOldFileWhole) {
    TempFolder folder;
    folder.write("start.txt", "10,10,21\r\n");
    // The file-size limit makes the write fail after 16 bytes, as a full disk would.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 16;
    auto handler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool written = writeFileBytes(folder.path() / "start.txt", "10,10,21\r\n10,10,1\r\n");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    EXPECT_FALSE(written);
    EXPECT_EQ(folder.read("start.txt"), "10,10,21\r\n");
    EXPECT_EQ(entries(folder.path()), 1u);  // nothing left beside it
}

TEST(TextFile, AWriteReplacesTheFileBehindALinkAndKeepsItsPermissions) {
    TempFolder folder;
    folder.write("lists.txt", "old\r\n");
    std::filesystem::permissions(folder.path() / "lists.txt", std::filesystem::perms(0640));
    std::filesystem::create_symlink("lists.txt", folder.path() / "DB1.txt");
    ASSERT_TRUE(writeFileBytes(folder.path() / "DB1.txt", "new\r\n"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder.path() / "DB1.txt"));
    EXPECT_EQ(folder.read("lists.txt"), "new\r\n");
    struct stat info {};
    ASSERT_EQ(stat((folder.path() / "lists.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(entries(folder.path()), 2u);
}

TEST(WordLists, LoadEveryLineIncludingEmptyOnes) {
    TempFolder folder;
    folder.write("DB1.txt", sjis("血清\r\n\r\nＤＮＡ\r\n"));
    folder.write("db3.TXT", sjis("冷凍庫Ａ\r\n"));
    EXPECT_EQ(loadWordList(folder.path(), kFirstWordList),
              (std::vector<std::string>{"血清", "", "ＤＮＡ"}));
    EXPECT_EQ(loadWordList(folder.path(), kSecondWordList), (std::vector<std::string>{"冷凍庫Ａ"}));
}

TEST(WordLists, AMissingFileIsCreatedEmptyAndReadsAsNoWords) {
    TempFolder folder;
    EXPECT_TRUE(loadWordList(folder.path(), kSecondWordList).empty());
    EXPECT_TRUE(folder.exists("DB3.txt"));
    EXPECT_EQ(folder.read("DB3.txt"), "");
}

TEST(WordLists, SaveWritesTheFileThatIsThere) {
    TempFolder folder;
    folder.write("db1.txt", "old\r\n");
    ASSERT_TRUE(saveWordList(folder.path(), kFirstWordList, {"尿", "組織"}));
    EXPECT_EQ(folder.read("db1.txt"), sjis("尿\r\n組織\r\n"));
    EXPECT_FALSE(folder.exists("DB1.txt"));
}

TEST(DataFolder, ParsesTheOptions) {
    CommandLine none = parseCommandLine({});
    EXPECT_FALSE(none.useUserFolder);
    EXPECT_TRUE(none.dataDir.empty());
    EXPECT_TRUE(parseCommandLine({"--user-data"}).useUserFolder);
    EXPECT_EQ(parseCommandLine({"--data-dir", "/x/y"}).dataDir, "/x/y");
    EXPECT_EQ(parseCommandLine({"--data-dir=/x/z"}).dataDir, "/x/z");
    EXPECT_TRUE(parseCommandLine({"--show-data-folder"}).showDataFolder);
    EXPECT_TRUE(parseCommandLine({"--create-data-dir"}).createDataDir);
    EXPECT_EQ(parseCommandLine({"--data-dir"}).errors.size(), 1u);
    EXPECT_EQ(parseCommandLine({"--bogus"}).errors.size(), 1u);
}

TEST(DataFolder, ProgramFolderWhenWritableElseTheUsersFolder) {
    TempFolder program;
    TempFolder home;
    setenv("XDG_DATA_HOME", home.path().c_str(), 1);
    EXPECT_EQ(chooseDataFolder(parseCommandLine({}), program.path()), program.path());
    EXPECT_EQ(chooseDataFolder(parseCommandLine({"--user-data"}), program.path()),
              home.path() / "labelora");
    EXPECT_EQ(chooseDataFolder(parseCommandLine({}), program.path() / "no-such-folder"),
              home.path() / "labelora");
    EXPECT_FALSE(std::filesystem::exists(home.path() / "labelora"));  // only chosen
    unsetenv("XDG_DATA_HOME");
}

TEST(DataFolder, AMadeUserFolderTakesTheProgramFoldersFilesOnce) {
    TempFolder program;
    TempFolder home;
    program.write("start.txt", "10,10,21\r\n");
    program.write("db1.txt", "血清\r\n");
    program.write("other.txt", "x");
    setenv("XDG_DATA_HOME", home.path().c_str(), 1);
    DataFolder first = openDataFolder(parseCommandLine({"--user-data"}), program.path());
    unsetenv("XDG_DATA_HOME");
    ASSERT_EQ(first.path, home.path() / "labelora");
    EXPECT_EQ(first.error, "");
    EXPECT_NE(first.notice.find("start.txt, db1.txt from " + program.path().string()),
              std::string::npos)
        << first.notice;
    EXPECT_EQ(readFileBytes(first.path / "start.txt"), "10,10,21\r\n");
    EXPECT_EQ(readFileBytes(first.path / "db1.txt"), "血清\r\n");
    EXPECT_FALSE(std::filesystem::exists(first.path / "other.txt"));

    // Once it is there, it is the user's: nothing is copied or told again.
    writeFileBytes(first.path / "start.txt", "10,10,45\r\n");
    setenv("XDG_DATA_HOME", home.path().c_str(), 1);
    DataFolder again = openDataFolder(parseCommandLine({"--user-data"}), program.path());
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(again.notice, "");
    EXPECT_EQ(readFileBytes(again.path / "start.txt"), "10,10,45\r\n");
}

TEST(DataFolder, AMissingDataDirIsMadeOnlyWhenAskedFor) {
    TempFolder program;
    TempFolder base;
    program.write("start.txt", "10,10,21\r\n");
    const std::string missing = (base.path() / "labels").string();
    DataFolder refused = openDataFolder(parseCommandLine({"--data-dir", missing}), program.path());
    EXPECT_NE(refused.error.find(missing + " does not exist; give --create-data-dir"),
              std::string::npos)
        << refused.error;
    EXPECT_FALSE(std::filesystem::exists(missing));

    DataFolder made = openDataFolder(parseCommandLine({"--data-dir", missing, "--create-data-dir"}),
                                     program.path());
    EXPECT_EQ(made.error, "");
    EXPECT_EQ(made.notice, "");  // a new set-up starts empty
    EXPECT_TRUE(std::filesystem::is_directory(missing));
    EXPECT_FALSE(std::filesystem::exists(made.path / "start.txt"));

    base.write("file", "");
    EXPECT_NE(openDataFolder(parseCommandLine({"--data-dir", (base.path() / "file").string()}),
                             program.path())
                  .error,
              "");
}

}  // namespace
}  // namespace labelora
