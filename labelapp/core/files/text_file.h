// The program's small text files: code page 932 with CR LF line ends on disk,
// UTF-8 lines in memory.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace labelora {

// Splits file bytes into lines at CR LF, LF or CR. A final line end closes the last line
// rather than starting an empty one, so "a\r\nb\r\n" is two lines and "" is none.
std::vector<std::string> splitLines(std::string_view bytes);

// Turns file bytes into UTF-8 text. Files are meant to be code page 932, but a file that
// is valid UTF-8 (with or without a byte-order mark) is taken as UTF-8, so that a list
// edited with an ordinary Linux editor still reads correctly.
std::string decodeFileText(std::string_view bytes);

// Lines ended by CR LF, in code page 932; when some character has no code page 932 form
// the whole file is written as UTF-8 with a byte-order mark instead, so nothing is lost.
std::string encodeFileLines(const std::vector<std::string> &lines);

// Whole file contents, or nothing when the file cannot be read.
std::optional<std::string> readFileBytes(const std::filesystem::path &path);
// Replaces the file whole: the bytes go to a new file in the same folder, reach the disk,
// and only then take the file's name. On failure the old file is left as it was.
bool writeFileBytes(const std::filesystem::path &path, std::string_view bytes);

// The file in `folder` whose name equals `name` without regard to letter case; when there is
// none, the path with `name` as given (where the file would be created).
std::filesystem::path findFileIgnoringCase(const std::filesystem::path &folder,
                                           const std::string &name);

}  // namespace labelora
