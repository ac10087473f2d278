// A fresh folder under the system's temporary folder, removed with its contents.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/files/text_file.h"

namespace labelora {

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "labelora-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path &path() const { return path_; }

    void write(const std::string &name, const std::string &bytes) const {
        writeFileBytes(path_ / name, bytes);
    }
    std::string read(const std::string &name) const {
        return readFileBytes(path_ / name).value_or("<missing>");
    }
    bool exists(const std::string &name) const { return std::filesystem::exists(path_ / name); }

  private:
    std::filesystem::path path_;
};

}  // namespace labelora
