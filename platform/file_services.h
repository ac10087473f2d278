// File services the engine needs beyond the container: copies, deletes, temporary names.
#pragma once

#include <filesystem>
#include <string_view>

namespace tabrix::platform {

// Copies in 64 KB pieces, replacing the target; a failed or short write removes the
// partial target. Returns false on any failure.
bool copy_file(const std::filesystem::path &from, const std::filesystem::path &to);
// Removes a file; false when it could not be removed (a missing file counts as removed).
bool delete_file(const std::filesystem::path &path);
// Creates a new, empty file with a unique name in the system's temporary directory
// (TMPDIR, else /tmp), starting with the prefix; returns its path, empty on failure.
std::filesystem::path make_temp_file(std::string_view prefix);

}  // namespace tabrix::platform
