#include "core/data_folder.h"

#include <cstdlib>
#include <fstream>
#include <string_view>

namespace labelora {

CommandLine parseCommandLine(const std::vector<std::string> &args) {
    CommandLine options;
    constexpr std::string_view dataDir = "--data-dir";
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--user-data") {
            options.useUserFolder = true;
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
    std::filesystem::path folder;
    if (!options.dataDir.empty())
        folder = options.dataDir;
    else if (!options.useUserFolder && isWritableFolder(programFolder))
        folder = programFolder;
    else
        folder = userDataFolder();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

}  // namespace labelora
