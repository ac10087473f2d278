// Where the start file and the word lists live, and the command line that chooses it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace labelora {

struct CommandLine {
    bool useUserFolder = false;       // --user-data
    std::filesystem::path dataDir;    // --data-dir DIR (or --data-dir=DIR)
    bool createDataDir = false;       // --create-data-dir: make --data-dir when it is missing
    bool showDataFolder = false;      // --show-data-folder: print the folder and stop
    bool showHelp = false;            // --help
    std::vector<std::string> errors;  // options it did not understand
};

CommandLine parseCommandLine(const std::vector<std::string> &args);

inline constexpr const char *kUsage =
    "usage: labelora [--user-data | --data-dir DIR [--create-data-dir]] [--show-data-folder]\n"
    "  --user-data         keep start.txt, DB1.txt and DB3.txt in the user's data folder\n"
    "                      ($XDG_DATA_HOME/labelora, else ~/.local/share/labelora)\n"
    "  --data-dir DIR      keep them in DIR, a folder that exists\n"
    "  --create-data-dir   make DIR first when it does not exist (a new, empty set-up)\n"
    "  --show-data-folder  print the folder that will be used (making it ready) and stop\n"
    "       labelora --batch --pdf FILE [options]   (see labelora --batch --help)\n";

// The user's data folder: $XDG_DATA_HOME/labelora, else $HOME/.local/share/labelora.
std::filesystem::path userDataFolder();

// True when a file can be created in the folder.
bool isWritableFolder(const std::filesystem::path &folder);

// The folder of the three files: --data-dir when given; the user's folder with --user-data
// or when the program's folder is not writable; else the program's folder. Nothing is made.
std::filesystem::path chooseDataFolder(const CommandLine &options,
                                       const std::filesystem::path &programFolder);

struct DataFolder {
    std::filesystem::path path;
    std::string error;   // the folder cannot be used; nothing should run
    std::string notice;  // files were copied from the program's folder (told once)
};

// Makes the chosen folder ready. A --data-dir that does not exist is refused unless
// --create-data-dir asks for it. The user's folder is made when needed, and when it is made
// it takes the program folder's start file and word lists, so that a set-up moved there for
// want of write access carries on where it was (files already there are never replaced).
DataFolder openDataFolder(const CommandLine &options, const std::filesystem::path &programFolder);

}  // namespace labelora
