#include "core/files/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/files/cp932.h"

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
    // The file is written beside its old self and renamed over it, so that a crash, a full
    // disk or a power cut leaves either the old file or the new one, never a cut one: a
    // start file read as empty would start the next run on labels already printed.
    std::error_code ec;
    std::filesystem::path target = path;
    // Through a link the file it points to is replaced, not the link.
    if (std::filesystem::is_symlink(path, ec)) {
        target = std::filesystem::canonical(path, ec);
        if (ec) return false;
    }
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    // A hidden name beside the target; appended piece by piece, as GCC 12 at -O3 misreads
    // the bounds of a chain of string concatenations.
    std::string hidden_name = ".";
    hidden_name += target.filename().string();
    hidden_name += ".XXXXXX";
    std::string temp = (folder / hidden_name).string();
    int fd = mkstemp(temp.data());
    if (fd < 0) return false;
    // mkstemp makes the file private; keep the old file's permissions, else the usual ones.
    struct stat old {};
    if (stat(target.c_str(), &old) == 0) {
        fchmod(fd, old.st_mode & 07777);
    } else {
        mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
    bool written = true;
    for (size_t done = 0; written && done < bytes.size();) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        written = n > 0;
        if (written) done += static_cast<size_t>(n);
    }
    written = written && fsync(fd) == 0;
    written = close(fd) == 0 && written;
    if (!written || rename(temp.c_str(), target.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    // The rename itself is kept only once the folder is on disk too.
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
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
