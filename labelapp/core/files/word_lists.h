// The two word-list files: one word per line, code page 932, CR LF.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace labelora {

struct WordListFile {
    const char *fileName;  // as it is created when missing; found without regard to case
    int lineByteLimit;     // bytes a typed line may hold
};

inline constexpr WordListFile kFirstWordList = {"DB1.txt", 8};
inline constexpr WordListFile kSecondWordList = {"DB3.txt", 14};

std::filesystem::path wordListPath(const std::filesystem::path &folder, const WordListFile &list);

// The words of a list file, one per line, empty lines included. A missing file is created
// empty (so the data window can show and write it) and reads as an empty list.
std::vector<std::string> loadWordList(const std::filesystem::path &folder,
                                      const WordListFile &list);

// Writes the whole list; false when the file cannot be written.
bool saveWordList(const std::filesystem::path &folder, const WordListFile &list,
                  const std::vector<std::string> &words);

}  // namespace labelora
