#include "core/files/cp932.h"

#include <gtest/gtest.h>

#include "core/forms/controls.h"

namespace labelora {
namespace {

TEST(Cp932, CountsBytesOfTheCodePage) {
    EXPECT_EQ(cp932Length(""), 0);
    EXPECT_EQ(cp932Length("ABC"), 3);
    EXPECT_EQ(cp932Length("血清"), 4);
    EXPECT_EQ(cp932Length("ｱｲｳ"), 3);  // half-width katakana take one byte
    EXPECT_EQ(cp932Length("ー８０℃"), 8);
    EXPECT_EQ(cp932Length("A血"), 3);
    // No code page 932 form: counted as a wide character.
    EXPECT_EQ(cp932Length("\xF0\x9F\x98\x80"), 2);
}

TEST(Cp932, CutsOnCharacterBoundaries) {
    EXPECT_EQ(cutToCp932Bytes("ABCDEFGHIJ", 8), "ABCDEFGH");
    EXPECT_EQ(cutToCp932Bytes("あいうえお", 8), "あいうえ");
    // A cut that would fall inside a two-byte character drops the whole character.
    EXPECT_EQ(cutToCp932Bytes("あいうえお", 5), "あい");
    EXPECT_EQ(cutToCp932Bytes("Aあいう", 4), "Aあ");
    EXPECT_EQ(cutToCp932Bytes("ｱｲｳｴｵｶ", 5), "ｱｲｳｴｵ");
    EXPECT_EQ(cutToCp932Bytes("short", 14), "short");
}

TEST(Cp932, ConvertsBothWays) {
    EXPECT_EQ(utf8ToCp932("血清A"), std::optional<std::string>("\x8C\x8C\x90\xB4"
                                                               "A"));
    EXPECT_EQ(cp932ToUtf8("\x8C\x8C\x90\xB4"
                          "A"),
              "血清A");
    EXPECT_FALSE(utf8ToCp932("\xF0\x9F\x98\x80").has_value());
    // A broken byte reads as U+FFFD and the rest still reads.
    EXPECT_EQ(cp932ToUtf8("A\x80"
                          "B"),
              "A\xEF\xBF\xBD"
              "B");
    EXPECT_EQ(cp932ToUtf8("AB\x8C"), "AB\xEF\xBF\xBD");
}

TEST(Cp932, TellsUtf8FromShiftJis) {
    EXPECT_TRUE(isValidUtf8("血清 abc"));
    EXPECT_FALSE(isValidUtf8("\x8C\x8C\x90\xB4"));
    EXPECT_FALSE(isValidUtf8("\xE8\xA1"));      // cut short
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));      // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));  // surrogate
}

TEST(EditBox, LimitsCountCharacters) {
    EditBox edit;
    edit.setMaxLength(5);
    edit.setText("血清サンプル");
    EXPECT_EQ(edit.text(), "血清サンプ");
    edit.setText("ABCDEFG");
    EXPECT_EQ(edit.text(), "ABCDE");
    edit.setMaxLength(4);
    EXPECT_EQ(edit.text(), "ABCD");
    edit.setMaxLength(6);
    edit.setText("ABCDEF");
    EXPECT_EQ(edit.text(), "ABCDEF");
}

TEST(Memo, CutsOnlyTheCaretLineToItsByteLimit) {
    Memo memo;
    memo.lineByteLimit = 8;
    EXPECT_EQ(memo.edit("ABCDEFGH", 0), MemoEdit::Accepted);
    // A ninth character on a line leaves the first eight.
    EXPECT_EQ(memo.edit("ABCDEFGHI", 0), MemoEdit::Cut);
    EXPECT_EQ(memo.text(), "ABCDEFGH");
    memo.setText("LONGER THAN EIGHT\nx");
    EXPECT_EQ(memo.edit("LONGER THAN EIGHT\nxy", 1), MemoEdit::Accepted);
    EXPECT_EQ(memo.lines()[0], "LONGER THAN EIGHT");
    EXPECT_EQ(memo.edit("LONGER THAN EIGHT\n血清血清z", 1), MemoEdit::Cut);
    EXPECT_EQ(memo.lines(), (std::vector<std::string>{"LONGER THAN EIGHT", "血清血清"}));
}

TEST(Memo, UndoesAnEditThatMakesAThirdLine) {
    Memo memo;
    memo.maxLines = 2;
    memo.lineByteLimit = 5;
    EXPECT_EQ(memo.edit("ab\ncd", 1), MemoEdit::Accepted);
    unsigned revision = memo.revision();
    EXPECT_EQ(memo.edit("ab\ncd\n", 2), MemoEdit::Rejected);
    EXPECT_EQ(memo.text(), "ab\ncd");
    EXPECT_GT(memo.revision(), revision);  // the view must show the old text again
}

TEST(Memo, LinesAreThePartsBetweenLineBreaks) {
    Memo memo;
    EXPECT_TRUE(memo.lines().empty());
    memo.setText("a\n\nb");
    EXPECT_EQ(memo.lines(), (std::vector<std::string>{"a", "", "b"}));
    memo.setLines({"x", ""});
    EXPECT_EQ(memo.text(), "x\n");
    EXPECT_EQ(memo.lines(), (std::vector<std::string>{"x", ""}));
}

}  // namespace
}  // namespace labelora
