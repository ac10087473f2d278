#include "platform/settings.h"

#include <cstdlib>
#include <fstream>

namespace tabrix::platform {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::string environment_name(std::string_view name) {
    std::string variable = "TABRIX_";
    for (const char c : name) {
        variable += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return variable;
}

std::optional<std::string> setting_from_file(std::string_view name) {
    const auto file = settings_file();
    if (file.empty()) return std::nullopt;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        const std::string_view text = trimmed(line);
        if (text.empty() || text.front() == '#') continue;
        const auto equals = text.find('=');
        if (equals == std::string_view::npos || trimmed(text.substr(0, equals)) != name) continue;
        const std::string_view value = trimmed(text.substr(equals + 1));
        if (value.empty()) return std::nullopt;
        return std::string(value);
    }
    return std::nullopt;
}

}  // namespace

std::filesystem::path settings_file() {
    std::filesystem::path base;
    const char *config_home = std::getenv("XDG_CONFIG_HOME");
    if (config_home && config_home[0] == '/') {
        base = config_home;
    } else if (const char *home = std::getenv("HOME"); home && home[0] != '\0') {
        base = std::filesystem::path(home) / ".config";
    } else {
        return {};
    }
    return base / "tabrix" / "config";
}

std::optional<std::string> read_setting(std::string_view name) {
    const char *value = std::getenv(environment_name(name).c_str());
    if (value && value[0] != '\0') return std::string(value);
    return setting_from_file(name);
}

}  // namespace tabrix::platform
