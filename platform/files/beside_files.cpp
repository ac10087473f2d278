#include "platform/files/beside_files.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <system_error>

namespace tabrix::platform {

namespace {

// The kernel's own limit on the links it follows in one lookup.
constexpr int kMostLinks = 40;
// A file name's limit (NAME_MAX) less the longest of our suffixes and the leading dot.
constexpr size_t kLongestKeptName = 255 - 19;
constexpr size_t kCutName = 200;

uint64_t name_hash(const std::string &name) {
    uint64_t hash = 0xcbf29ce484222325u;  // FNV-1a
    for (const unsigned char c : name) hash = (hash ^ c) * 0x100000001b3u;
    return hash;
}

// "." and the file's name, cut (not inside a UTF-8 character) and hashed when too long.
std::string hidden_stem(const std::filesystem::path &file) {
    const std::string name = file.filename().string();
    // Appended piece by piece: GCC 12 at -O3 misreads "." + name as an overlapping copy.
    std::string stem(1, '.');
    if (name.size() <= kLongestKeptName) return stem.append(name);
    size_t cut = kCutName;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    char hash[20];
    std::snprintf(hash, sizeof hash, "~%016llx",
                  static_cast<unsigned long long>(name_hash(name)));
    return stem.append(name, 0, cut).append(hash);
}

}  // namespace

std::filesystem::path written_file(const std::filesystem::path &name) {
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(name, error);
    if (error || !path.has_filename()) return {};
    for (int hop = 0; hop <= kMostLinks; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        const std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error || !target.has_filename()) return {};
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return {};
}

std::filesystem::path lock_file_beside(const std::filesystem::path &file) {
    return file.parent_path() / (hidden_stem(file) + ".tabrix-lock");
}

std::string new_file_template_beside(const std::filesystem::path &file) {
    return (file.parent_path() / (hidden_stem(file) + ".tabrix-new-XXXXXX")).string();
}

}  // namespace tabrix::platform
