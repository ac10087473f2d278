#include <gtest/gtest.h>

#include "text.h"

using tabrix::cli::japanese_locale;

TEST(Locale, TheFirstSetAndNonEmptyVariableDecides) {
    EXPECT_TRUE(japanese_locale(nullptr, nullptr, "ja_JP.UTF-8"));
    EXPECT_TRUE(japanese_locale("", "ja_JP.eucJP", "en_US.UTF-8"));
    EXPECT_FALSE(japanese_locale("C", "ja_JP.UTF-8", "ja_JP.UTF-8"));
    EXPECT_FALSE(japanese_locale(nullptr, "", "en_GB.UTF-8"));
    EXPECT_FALSE(japanese_locale(nullptr, nullptr, nullptr));
    EXPECT_FALSE(japanese_locale("", "", ""));
    EXPECT_FALSE(japanese_locale("en_US.UTF-8@ja", nullptr, nullptr));
}
