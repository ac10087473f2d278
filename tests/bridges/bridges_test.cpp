// The View* and Conv* calls of libtabrix.so against companion libraries of our own. Each test
// lays out folders, then runs the probe in a process of its own (a loaded companion stays
// loaded) and compares what the probe got with what the companions recorded.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/bridges/bridge_calls.h"

extern char **environ;

namespace {

namespace fs = std::filesystem;
using tabrix::test::bridge_calls;

class Bridges : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tabrix-bridges-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        for (const char *folder : {"own", "navigator", "path", "config/tabrix", "home"}) {
            fs::create_directories(root_ / folder);
        }
        // libtabrix.so looks beside itself, so each test has a copy in a folder of its own.
        fs::copy_file(TABRIX_SHARED_LIBRARY, root_ / "own/libtabrix.so");
    }
    void TearDown() override { fs::remove_all(root_); }

    void place(const char *library, const char *folder, const char *name) {
        fs::copy_file(library, root_ / folder / name);
    }
    void place_viewer(const char *folder) { place(BRIDGE_VIEWER, folder, "libvuebrix.so"); }
    void place_converter(const char *folder) { place(BRIDGE_CONVERTER, folder, "libconvbrix.so"); }

    // Runs the probe and returns its results by export ("first" for the call before an
    // install); the environment holds only what is given and what the sanitizers read.
    std::map<std::string, std::vector<int32_t>> probe(std::vector<std::string> environment,
                                                      std::vector<std::string> extra = {}) {
        environment.push_back("HOME=" + (root_ / "home").string());
        environment.push_back("XDG_CONFIG_HOME=" + (root_ / "config").string());
        environment.push_back("LD_LIBRARY_PATH=" + (root_ / "path").string());
        environment.push_back("TABRIX_TEST_CALL_LOG=" + (root_ / "calls.log").string());
        for (const char *kept : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
            if (const char *value = std::getenv(kept)) {
                environment.push_back(std::string(kept) + "=" + value);
            }
        }
        const std::string output = (root_ / "probe.out").string();
        std::vector<std::string> arguments{BRIDGE_PROBE, (root_ / "own/libtabrix.so").string(),
                                           output};
        arguments.insert(arguments.end(), extra.begin(), extra.end());

        std::vector<char *> argv, envp;
        for (auto &argument : arguments) argv.push_back(argument.data());
        for (auto &variable : environment) envp.push_back(variable.data());
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        pid_t pid = 0;
        EXPECT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()), 0);
        int status = 0;
        EXPECT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "probe status " << status;

        std::map<std::string, std::vector<int32_t>> results;
        std::ifstream in(output);
        std::string name;
        for (std::string line; std::getline(in, line);) {
            std::istringstream fields(line);
            fields >> name;
            for (int32_t value; fields >> value;) results[name].push_back(value);
        }
        return results;
    }

    // The companions' log: one "entry arguments = result" line per call that reached them.
    std::vector<std::string> calls() {
        std::vector<std::string> lines;
        std::ifstream in(root_ / "calls.log");
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    // Every call returned 0 and none reached a companion; the viewer's error calls still
    // give the Book API's error.
    void expect_nothing_forwarded(std::map<std::string, std::vector<int32_t>> results) {
        for (const auto &call : bridge_calls) {
            EXPECT_EQ(results[std::string(call.name)], std::vector<int32_t>{0}) << call.name;
        }
        EXPECT_EQ(calls(), std::vector<std::string>{});
        EXPECT_EQ(results["ViewGetErrorNo"], (std::vector<int32_t>{1, 4}));
        EXPECT_EQ(results["ViewGetErrorMessage"], (std::vector<int32_t>{1, 1}));
    }

    // `count` calls reached a companion, and each export returned what its entry point gave.
    void expect_reached(std::map<std::string, std::vector<int32_t>> results, std::size_t count) {
        const std::vector<std::string> logged = calls();
        EXPECT_EQ(logged.size(), count);
        for (const std::string &line : logged) {
            const std::string entry = line.substr(0, line.find(' '));
            const auto call = std::find_if(bridge_calls.begin(), bridge_calls.end(),
                                           [&](const auto &c) { return c.entry == entry; });
            ASSERT_NE(call, bridge_calls.end()) << line;
            EXPECT_EQ(results[std::string(call->name)],
                      std::vector<int32_t>{std::stoi(line.substr(line.find(" = ") + 3))});
        }
    }

    fs::path root_;
};

TEST_F(Bridges, EveryCallReachesItsEntryPointWithItsArgumentsAndReturnsItsResult) {
    // The setting from the environment wins over the settings file; the Navigator folder
    // over the library's own, which holds a viewer without entry points.
    place_viewer("navigator");
    place(BRIDGE_EMPTY, "own", "libvuebrix.so");
    place_converter("path");
    std::ofstream(root_ / "config/tabrix/config")
        << "Navigator=" << (root_ / "own").string() << "\n";
    auto results = probe({"TABRIX_NAVIGATOR=" + (root_ / "navigator").string() + "/"});

    const std::vector<std::string> logged = calls();
    ASSERT_EQ(logged.size(), bridge_calls.size());
    for (std::size_t index = 0; index < bridge_calls.size(); ++index) {
        const auto &call = bridge_calls[index];
        std::string expected(call.entry);
        if (call.class_call) {
            expected += " 0";
        } else {
            for (int position = 0; position < call.arguments; ++position) {
                expected += ' ' + std::to_string(tabrix::test::probe_argument(index, position));
            }
        }
        const std::string &line = logged[index];
        const auto equals = line.find(" = ");
        ASSERT_NE(equals, std::string::npos) << line;
        EXPECT_EQ(line.substr(0, equals), expected);
        const auto result = std::stoi(line.substr(equals + 3));
        EXPECT_EQ(results[std::string(call.name)], std::vector<int32_t>{result}) << call.name;
    }
    EXPECT_EQ(results["ViewGetErrorNo"], (std::vector<int32_t>{1, 4}));
    EXPECT_EQ(results["ViewGetErrorMessage"], (std::vector<int32_t>{1, 1}));
}

TEST_F(Bridges, ViewerFromTheSettingsFileFolderWithoutTrailingSlash) {
    place_viewer("navigator");
    place(BRIDGE_EMPTY, "path", "libvuebrix.so");
    std::ofstream(root_ / "config/tabrix/config")
        << "# viewer\nNavigatorX=/nowhere\n  Navigator = " << (root_ / "navigator").string()
        << "\nNavigator=/nowhere\n";
    auto results = probe({});
    expect_reached(results, 14);
    EXPECT_EQ(results["ConvStart"], std::vector<int32_t>{0});
}

TEST_F(Bridges, ViewerBesideTheLibraryWhenTheSettingFolderLacksIt) {
    place_viewer("own");
    place(BRIDGE_EMPTY, "path", "libvuebrix.so");
    expect_reached(probe({"TABRIX_NAVIGATOR=" + (root_ / "navigator").string()}), 14);
}

TEST_F(Bridges, ViewerAndConverterThroughTheLinkerSearch) {
    place_viewer("path");
    place_converter("path");
    expect_reached(probe({"TABRIX_NAVIGATOR=" + (root_ / "navigator").string() + "/"}),
                   bridge_calls.size());
}

TEST_F(Bridges, NoCompanionAnywhereGivesZeroFromEveryCall) {
    expect_nothing_forwarded(probe({"TABRIX_NAVIGATOR=" + (root_ / "navigator").string()}));
}

TEST_F(Bridges, MissingEntryPointsGiveZero) {
    place(BRIDGE_EMPTY, "navigator", "libvuebrix.so");
    place(BRIDGE_EMPTY, "path", "libconvbrix.so");
    expect_nothing_forwarded(probe({"TABRIX_NAVIGATOR=" + (root_ / "navigator").string()}));
}

TEST_F(Bridges, FailedLoadIsTriedAgainOnTheNextCall) {
    auto results = probe({"TABRIX_NAVIGATOR=" + (root_ / "navigator").string()},
                         {BRIDGE_VIEWER, (root_ / "navigator/libvuebrix.so").string()});
    EXPECT_EQ(results["first"], std::vector<int32_t>{0});
    expect_reached(results, 14);
}

}  // namespace
