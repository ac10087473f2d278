// Where a save to a name lands, and the names of our own files that stand beside it meanwhile.
#pragma once

#include <filesystem>
#include <string>

namespace tabrix::platform {

// The file a save to `name` replaces: `name` made absolute, with symbolic links in its last
// part followed, so that the file a link names is replaced and the link stays (a link to a
// missing file leads to that file's name). Empty for a name that ends in a slash, a chain of
// more than 40 links or a link that cannot be read.
std::filesystem::path written_file(const std::filesystem::path &name);

// Our files beside a workbook are hidden and named after it, so that a user who finds one
// after a crash knows whose it is: ".NAME.tabrix-lock" holds the claim on NAME, and
// ".NAME.tabrix-new-XXXXXX" (the template for mkostemp) is a save not yet renamed over it.
// A name too long for the suffix is cut and followed by a hash of the whole name.
std::filesystem::path lock_file_beside(const std::filesystem::path &file);
std::string new_file_template_beside(const std::filesystem::path &file);

}  // namespace tabrix::platform
