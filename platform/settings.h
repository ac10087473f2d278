// The library's settings: each is read from the environment (TABRIX_ and the name in capitals)
// or else from a `name=value` line of the user's settings file. The library never writes or
// creates the file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tabrix::platform {

// $XDG_CONFIG_HOME/tabrix/config, or ~/.config/tabrix/config when XDG_CONFIG_HOME is unset or
// not an absolute path; empty when neither gives a place.
std::filesystem::path settings_file();

// The value of a setting; nothing when it is unset or empty. In the file, the first line whose
// name matches (exactly, blanks around it ignored) counts; lines starting with '#' are comments.
std::optional<std::string> read_setting(std::string_view name);

}  // namespace tabrix::platform
