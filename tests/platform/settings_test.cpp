#include "platform/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace tabrix::platform {
namespace {

TEST(Settings, FileLivesUnderXdgConfigHomeElseUnderHome) {
    const char *home = std::getenv("HOME");
    const std::string kept_home = home ? home : "";
    setenv("HOME", "/home/someone", 1);
    setenv("XDG_CONFIG_HOME", "/etc/xdg-someone", 1);
    EXPECT_EQ(settings_file(), "/etc/xdg-someone/tabrix/config");
    // A relative XDG_CONFIG_HOME is not a place to look.
    setenv("XDG_CONFIG_HOME", "relative", 1);
    EXPECT_EQ(settings_file(), "/home/someone/.config/tabrix/config");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(settings_file(), "/home/someone/.config/tabrix/config");
    unsetenv("HOME");
    EXPECT_EQ(settings_file(), "");
    // An empty variable counts as unset.
    setenv("TABRIX_NAVIGATOR", "", 1);
    EXPECT_EQ(read_setting("Navigator"), std::nullopt);
    setenv("TABRIX_NAVIGATOR", "/opt/viewer", 1);
    EXPECT_EQ(read_setting("Navigator"), "/opt/viewer");
    unsetenv("TABRIX_NAVIGATOR");
    if (home) setenv("HOME", kept_home.c_str(), 1);
}

}  // namespace
}  // namespace tabrix::platform
