#include "core/text_file.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/cp932.h"

namespace labelora {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool equalIgnoringCase(const std::string &a, const std::string &b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::vector<std::string> splitLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::string current;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            lines.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) lines.push_back(std::move(current));
    return lines;
}

std::string decodeFileText(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Bom)) return std::string(bytes.substr(kUtf8Bom.size()));
    if (isValidUtf8(bytes)) return std::string(bytes);
    return cp932ToUtf8(bytes);
}

std::string encodeFileLines(const std::vector<std::string> &lines) {
    std::string text;
    for (const auto &line : lines) text += line + "\r\n";
    if (auto cp932 = utf8ToCp932(text)) return *cp932;
    return std::string(kUtf8Bom) + text;
}

std::optional<std::string> readFileBytes(const std::filesystem::path &path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return std::move(bytes).str();
}

bool writeFileBytes(const std::filesystem::path &path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

std::filesystem::path findFileIgnoringCase(const std::filesystem::path &folder,
                                           const std::string &name) {
    std::error_code ec;
    if (std::filesystem::exists(folder / name, ec)) return folder / name;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (equalIgnoringCase(it->path().filename().string(), name)) return it->path();
    }
    return folder / name;
}

}  // namespace labelora
