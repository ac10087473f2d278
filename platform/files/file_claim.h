// The claim that gives a file one writer at a time, from the create of a workbook to its close.
#pragma once

#include <filesystem>

#include "platform/files/file_descriptor.h"

namespace tabrix::platform {

enum class ClaimStatus {
    ok,
    held_elsewhere,  // another claim holds the file, under this name or another
    not_regular,     // the name leads to a device, a FIFO, a socket or a folder
    refused,         // the file may not be written, or its folder is missing or takes no file
};

// While a claim is held, no other claim on the same file succeeds, in this process or another,
// whatever name leads to the file (a symbolic link, a relative name, a hard link to a file that
// exists). Nothing is written to the file itself: the claim is an advisory lock (flock) on a
// lock file beside it (beside_files.h), made by the claim and removed at its release, and on
// the file where it exists. It binds only those who claim, and ends at release, destruction,
// or the end of the process (the lock file may then stay behind, and is reused). Where the
// folder takes no new file but the file exists and may be written, the lock on the file alone
// is the claim; on a file system without locks the claim is made and binds nobody.
class FileClaim {
  public:
    FileClaim() = default;
    ~FileClaim() { release(); }
    FileClaim(FileClaim &&other) noexcept;
    FileClaim &operator=(FileClaim &&other) noexcept;
    FileClaim(const FileClaim &) = delete;
    FileClaim &operator=(const FileClaim &) = delete;

    // Claims the file that a save to `name` replaces (written_file); a claim already held
    // here is released first.
    static ClaimStatus claim(const std::filesystem::path &name, FileClaim *claim);

    // The file that saves replace: absolute, links followed; empty when nothing is claimed.
    const std::filesystem::path &file() const { return file_; }
    bool held() const { return lock_file_.valid() || existing_.valid(); }
    void release() noexcept;

  private:
    std::filesystem::path file_;
    std::filesystem::path lock_name_;
    FileDescriptor lock_file_;  // locked, when held
    FileDescriptor existing_;   // the file itself, locked, when it existed
};

}  // namespace tabrix::platform
