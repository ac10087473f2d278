// File services the engine needs beyond the container: copies, deletes, temporary names.
#pragma once

#include <filesystem>
#include <string_view>

namespace tabrix::platform {

// Copies a regular file in 64 KB pieces, replacing the target (a new target is created with
// mode 0666 less the umask). A failed read or a failed or short write removes the partial
// target. Returns false on any failure, and without touching anything when the source is
// missing or not a regular file, when the target is not a regular file, or when both name
// the same file. Call it as platform::copy_file: with path arguments, argument-dependent
// lookup also finds std::filesystem::copy_file.
bool copy_file(const std::filesystem::path &from, const std::filesystem::path &to);
// Removes a file; false when it could not be removed (a missing file counts as removed).
bool delete_file(const std::filesystem::path &path);
// Creates a new, empty file with a unique name in the system's temporary directory
// (TMPDIR, else /tmp), starting with the prefix; returns its path, empty on failure (also
// for a prefix holding '/' or NUL). The caller deletes the file.
std::filesystem::path make_temp_file(std::string_view prefix);

}  // namespace tabrix::platform
