#include "core/files/data_folder.h"

#include <cstdlib>
#include <fstream>
#include <string_view>

#include "core/files/start_file.h"
#include "core/files/text_file.h"
#include "core/files/word_lists.h"

namespace labelora {

CommandLine parseCommandLine(const std::vector<std::string> &args) {
    CommandLine options;
    constexpr std::string_view dataDir = "--data-dir";
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--user-data") {
            options.useUserFolder = true;
        } else if (arg == "--create-data-dir") {
            options.createDataDir = true;
        } else if (arg == "--show-data-folder") {
            options.showDataFolder = true;
        } else if (arg == "--help" || arg == "-h") {
            options.showHelp = true;
        } else if (arg == dataDir) {
            if (i + 1 < args.size())
                options.dataDir = args[++i];
            else
                options.errors.push_back("--data-dir needs a folder");
        } else if (arg.starts_with(std::string(dataDir) + "=")) {
            options.dataDir = arg.substr(dataDir.size() + 1);
            if (options.dataDir.empty()) options.errors.push_back("--data-dir needs a folder");
        } else {
            options.errors.push_back("unknown option " + arg);
        }
    }
    return options;
}

std::filesystem::path userDataFolder() {
    const char *xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg) return std::filesystem::path(xdg) / "labelora";
    const char *home = std::getenv("HOME");
    std::filesystem::path base = home && *home ? std::filesystem::path(home) : ".";
    return base / ".local" / "share" / "labelora";
}

bool isWritableFolder(const std::filesystem::path &folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) return false;
    std::filesystem::path probe = folder / ".labelora-write-test";
    bool writable = static_cast<bool>(std::ofstream(probe));
    std::filesystem::remove(probe, ec);
    return writable;
}

std::filesystem::path chooseDataFolder(const CommandLine &options,
                                       const std::filesystem::path &programFolder) {
    if (!options.dataDir.empty()) return options.dataDir;
    if (!options.useUserFolder && isWritableFolder(programFolder)) return programFolder;
    return userDataFolder();
}

DataFolder openDataFolder(const CommandLine &options, const std::filesystem::path &programFolder) {
    DataFolder result{chooseDataFolder(options, programFolder), {}, {}};
    const std::filesystem::path &folder = result.path;
    std::error_code ec;
    if (std::filesystem::exists(folder, ec)) {
        if (!std::filesystem::is_directory(folder, ec))
            result.error = folder.string() + " is not a folder";
        return result;
    }
    if (!options.dataDir.empty() && !options.createDataDir) {
        // A mistyped folder would otherwise start a new set-up from position 1.
        result.error = "the data folder " + folder.string() +
                       " does not exist; give --create-data-dir to start a new, empty one there";
        return result;
    }
    if (!std::filesystem::create_directories(folder, ec) && ec) {
        result.error = "cannot make the data folder " + folder.string() + ": " + ec.message();
        return result;
    }
    if (!options.dataDir.empty()) return result;

    std::vector<std::string> copied;
    for (const char *name : {kStartFileName, kFirstWordList.fileName, kSecondWordList.fileName}) {
        std::filesystem::path from = findFileIgnoringCase(programFolder, name);
        if (!std::filesystem::is_regular_file(from, ec)) continue;
        std::filesystem::path to = folder / from.filename();
        if (std::filesystem::copy_file(from, to, std::filesystem::copy_options::skip_existing, ec))
            copied.push_back(from.filename().string());
    }
    if (!copied.empty()) {
        std::string names;
        for (const auto &name : copied) names += (names.empty() ? "" : ", ") + name;
        result.notice = "copied " + names + " from " + programFolder.string() + " to " +
                        folder.string() + "; labelora keeps them there from now on";
    }
    return result;
}

}  // namespace labelora
