// File services the engine needs beyond the container: copies, deletes, temporary names,
// and the claim that gives a file being written one writer at a time.
#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace tabrix::platform {

// Copies a regular file in 64 KB pieces, replacing the target (a new target is created with
// mode 0666 less the umask). A failed read or a failed or short write removes the partial
// target. Returns false on any failure, and without touching anything when the source is
// missing or not a regular file, when the target is not a regular file, or when both name
// the same file. Call it as platform::copy_file: with path arguments, argument-dependent
// lookup also finds std::filesystem::copy_file.
bool copy_file(const std::filesystem::path &from, const std::filesystem::path &to);
// Replaces the contents of `to` by those of `from` all at once: the copy is written beside
// `to` and renamed over it (keeping its permissions; a link is followed to the file it names),
// so a failure leaves `to` as it was. Where no file can be made beside it, copy_file.
bool replace_file(const std::filesystem::path &from, const std::filesystem::path &to);
// Removes a file; false when it could not be removed (a missing file counts as removed).
bool delete_file(const std::filesystem::path &path);
// Creates a new, empty file with a unique name in the system's temporary directory
// (TMPDIR, else /tmp), starting with the prefix; returns its path, empty on failure (also
// for a prefix holding '/' or NUL). The caller deletes the file.
std::filesystem::path make_temp_file(std::string_view prefix);
// A copy of a regular file in a new file made as make_temp_file makes it, written through the
// descriptor that made it; its path, empty on failure (nothing is left behind then).
std::filesystem::path copy_to_temp_file(const std::filesystem::path &from, std::string_view prefix);

enum class ClaimStatus { ok, held_elsewhere, not_made };

// A writer's claim on a file: while it is held, no other claim on the same file succeeds, in
// this process or another, whatever name leads to the file (a symbolic link, a relative
// name, a hard link). It is an advisory lock (flock) on the file, so it binds only those who
// claim; it ends when the claim is released or destroyed, or when its process ends.
class FileClaim {
  public:
    FileClaim() = default;
    ~FileClaim() { release(); }
    FileClaim(FileClaim &&other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileClaim &operator=(FileClaim &&other) noexcept;
    FileClaim(const FileClaim &) = delete;
    FileClaim &operator=(const FileClaim &) = delete;

    // Makes a file through `make`, which creates it at `path` or replaces the file there,
    // and claims the new file. Nothing is made while another claim holds the file at `path`
    // (held_elsewhere); not_made when `make` fails. Claimants of files in one folder take
    // turns from the look at the old file to the claim of the new one, so two of them cannot
    // both find it free. The claim stays with the file made here: a writer that renames a
    // newer file over it should do so only just before it releases the claim. On a file
    // system without locks the file is made and the claim stays empty.
    static ClaimStatus make_file(const std::filesystem::path &path,
                                 const std::function<bool()> &make, FileClaim *claim);

    void release();
    bool held() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

}  // namespace tabrix::platform
