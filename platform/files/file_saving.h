// Saving a file whole or not at all.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>

namespace tabrix::platform {

// Puts a new file under `name` in one step. `write` is handed a descriptor at the start of an
// empty file and writes the new contents, `size` bytes; it returns 0 or an errno. The file is
// a new one beside the target (beside_files.h), which is flushed to the disk (fsync), renamed
// over the target and followed by a flush of the folder, so that until the rename the target
// keeps its bytes, and after a crash the name holds either the old file or the whole new one.
// Any failure removes the new file. It takes the old file's permissions (and, where the
// system allows, its owner and group); where there was no file, 0666 less the umask.
// Symbolic links are followed (written_file): the file a link names is replaced and the link
// stays. Only a regular file or no file is replaced.
//
// Where the folder takes no new file but the target exists and may be written, the target is
// rewritten in place, its room reserved first, so that a full disk or a size limit fails
// before the first old byte changes (a crash or an I/O error in the middle still damages it).
//
// Returns 0 or the errno of the step that failed.
int save_file(const std::filesystem::path &name, uint64_t size,
              const std::function<int(int fd)> &write);

}  // namespace tabrix::platform
