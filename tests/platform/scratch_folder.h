// A fresh folder for a test, removed with all it holds when the test ends.
#pragma once

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace tabrix::test {

class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tabrix-files-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code error;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, error);
        std::filesystem::remove_all(path_, error);
    }
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    const std::filesystem::path &path() const { return path_; }
    // The names in the folder, sorted.
    std::vector<std::string> names() const {
        std::vector<std::string> found;
        for (const auto &entry : std::filesystem::directory_iterator(path_)) {
            found.push_back(entry.path().filename().string());
        }
        std::sort(found.begin(), found.end());
        return found;
    }

  private:
    std::filesystem::path path_;
};

}  // namespace tabrix::test
