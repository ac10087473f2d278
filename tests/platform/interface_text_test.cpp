#include "platform/interface_text.h"

#include <gtest/gtest.h>

#include <string>

namespace tabrix::platform {
namespace {

TEST(InterfaceText, Utf8AndUtf16BothWaysWithReplacementsForWhatIsMalformed) {
    const std::u16string wide = u"Aé日🧪";
    EXPECT_EQ(utf16_to_utf8(wide), "Aé日🧪");
    EXPECT_EQ(utf8_to_utf16("Aé日🧪"), wide);
    // Each byte that starts nothing well-formed (a stray continuation, an overlong form, a
    // surrogate, a cut sequence) becomes one U+FFFD; an unpaired surrogate one too.
    EXPECT_EQ(utf8_to_utf16("a\x80"
                            "b\xC0\xAF"
                            "\xED\xA0\x80"
                            "\xE6\x97"),
              u"a\uFFFDb\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(utf16_to_utf8(std::u16string(1, u'\xD800') + u"x"), "\xEF\xBF\xBDx");
}

TEST(InterfaceText, TheSettingAndScopesDecideTheNarrowForm) {
    EXPECT_EQ(code_page_named("UTF-8"), kUtf8CodePage);
    EXPECT_EQ(code_page_named("65001"), kUtf8CodePage);
    EXPECT_EQ(code_page_named("932"), kShiftJisCodePage);
    EXPECT_EQ(code_page_named("cp1252"), std::nullopt);
    EXPECT_EQ(set_interface_code_page(1252), -1);

    const int32_t before = interface_code_page();
    EXPECT_EQ(set_interface_code_page(kUtf8CodePage), before);
    EXPECT_EQ(utf16_to_narrow(u"日"), "日");
    {
        const NarrowCodePageScope cp932(kShiftJisCodePage);
        EXPECT_EQ(utf16_to_narrow(u"日"), "\x93\xFA");
        const NarrowCodePageScope process(kProcessCodePage);
        EXPECT_EQ(narrow_to_utf16("日"), u"日");
    }
    EXPECT_EQ(set_interface_code_page(before), kUtf8CodePage);
}

TEST(InterfaceText, TextsFitBuffersBetweenCharacters) {
    const int32_t before = set_interface_code_page(kUtf8CodePage);
    EXPECT_EQ(narrow_fit("a日本", 3), 1u);
    EXPECT_EQ(narrow_fit("a日本", 4), 4u);
    EXPECT_EQ(narrow_fit("🧪", 3), 0u);
    set_interface_code_page(kShiftJisCodePage);
    EXPECT_EQ(narrow_fit("a\x93\xFA\x96\x7B", 2), 1u);
    EXPECT_EQ(narrow_fit("a\x93\xFA\x96\x7B", 4), 3u);
    set_interface_code_page(before);
}

}  // namespace
}  // namespace tabrix::platform
