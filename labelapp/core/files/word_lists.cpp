#include "core/files/word_lists.h"

#include "core/files/text_file.h"

namespace labelora {

std::filesystem::path wordListPath(const std::filesystem::path &folder, const WordListFile &list) {
    return findFileIgnoringCase(folder, list.fileName);
}

std::vector<std::string> loadWordList(const std::filesystem::path &folder,
                                      const WordListFile &list) {
    std::filesystem::path path = wordListPath(folder, list);
    std::optional<std::string> bytes = readFileBytes(path);
    if (!bytes) {
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) writeFileBytes(path, "");
        return {};
    }
    return splitLines(decodeFileText(*bytes));
}

bool saveWordList(const std::filesystem::path &folder, const WordListFile &list,
                  const std::vector<std::string> &words) {
    return writeFileBytes(wordListPath(folder, list), encodeFileLines(words));
}

}  // namespace labelora
