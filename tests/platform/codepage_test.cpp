#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace tabrix::platform {
namespace {

using namespace std::string_literals;

// One character of code page 932 by its code: 0x00-0xFF single byte, else lead << 8 | trail.
std::string narrow_of(std::uint16_t code) {
    if (code <= 0xFF) return std::string(1, static_cast<char>(code));
    return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

std::uint16_t code_of(const std::string &narrow) {
    if (narrow.size() == 1) return static_cast<unsigned char>(narrow[0]);
    if (narrow.size() == 2) {
        return static_cast<std::uint16_t>(static_cast<unsigned char>(narrow[0]) << 8 |
                                          static_cast<unsigned char>(narrow[1]));
    }
    return 0xFFFF;
}

// Every code that could be a character: single bytes that are not lead bytes, and every lead
// byte with every proper trail byte (0x40-0x7E, 0x80-0xFC).
std::vector<std::uint16_t> candidate_codes() {
    std::vector<std::uint16_t> codes;
    for (unsigned byte = 0; byte <= 0xFF; ++byte) {
        if (!is_cp932_lead_byte(static_cast<unsigned char>(byte))) codes.push_back(byte);
    }
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!is_cp932_lead_byte(static_cast<unsigned char>(lead))) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail != 0x7F) codes.push_back(static_cast<std::uint16_t>(lead << 8 | trail));
        }
    }
    return codes;
}

// The mapped codes and what they read as. 0x8145 is the katakana middle dot itself, the
// character that also stands in for bad input.
std::map<std::uint16_t, char16_t> mapped_codes() {
    std::map<std::uint16_t, char16_t> mapped;
    for (std::uint16_t code : candidate_codes()) {
        const std::u16string wide = cp932_to_utf16(narrow_of(code));
        EXPECT_EQ(wide.size(), 1u) << std::hex << code;
        if (wide.size() == 1 && (wide[0] != kInvalidCp932Char || code == 0x8145)) {
            mapped[code] = wide[0];
        }
    }
    return mapped;
}

// Codes that share their character with another code, and the code written for it.
// - JIS symbols repeated in NEC row 13 (and ∵, ￢ also in the IBM rows): the JIS code.
// - Ⅰ-Ⅹ, ㈱, №, ℡ in both NEC row 13 and IBM row 0xFA: the NEC code.
// - The NEC-selected IBM extensions 0xED40-0xEEFC (kanji, ⅰ-ⅹ, ￤, ＇, ＂): their twin in the
//   IBM rows 0xFA40-0xFC4B; ￢ 0xEEF9 follows the first rule.
std::map<std::uint16_t, std::uint16_t> documented_duplicates(
    const std::map<std::uint16_t, char16_t> &mapped) {
    std::map<std::uint16_t, std::uint16_t> preferred = {
        {0x8790, 0x81E0}, {0x8791, 0x81DF}, {0x8792, 0x81E7}, {0x8795, 0x81E3}, {0x8796, 0x81DB},
        {0x8797, 0x81DA}, {0x879A, 0x81E6}, {0x879B, 0x81BF}, {0x879C, 0x81BE}, {0xFA5B, 0x81E6},
        {0xEEF9, 0x81CA}, {0xFA54, 0x81CA}, {0xFA58, 0x878A}, {0xFA59, 0x8782}, {0xFA5A, 0x8784},
    };
    for (std::uint16_t i = 0; i < 10; ++i) preferred[0xFA4A + i] = 0x8754 + i;  // Ⅰ-Ⅹ
    std::map<char16_t, std::uint16_t> ibm_code;
    for (const auto &[code, unit] : mapped) {
        if (code >= 0xFA40 && code <= 0xFC4B) ibm_code.emplace(unit, code);
    }
    for (const auto &[code, unit] : mapped) {
        if (code >= 0xED40 && code <= 0xEEFC && code != 0xEEF9) {
            const auto twin = ibm_code.find(unit);
            EXPECT_NE(twin, ibm_code.end()) << std::hex << code << " has no IBM twin";
            if (twin != ibm_code.end()) preferred[code] = twin->second;
        }
    }
    return preferred;
}

TEST(Cp932Table, HasTheWindowsRepertoire) {
    const auto mapped = mapped_codes();
    std::size_t single_byte = 0;
    std::set<char16_t> characters;
    for (const auto &[code, unit] : mapped) {
        if (code <= 0xFF) ++single_byte;
        characters.insert(unit);
    }
    // ASCII and the 63 half-width katakana; JIS X 0208, NEC row 13, both IBM extension
    // blocks and the 1880 user-defined codes (0xF040-0xF9FC, private use area).
    EXPECT_EQ(single_byte, 128u + 63u);
    EXPECT_EQ(mapped.size() - single_byte, 6879u + 83u + 374u + 388u + 1880u);
    // 396 characters have two or three codes.
    EXPECT_EQ(mapped.size() - characters.size(), 398u);
    EXPECT_EQ(mapped.at(0xF040), u'\uE000');
    EXPECT_EQ(mapped.at(0xF9FC), u'\uE757');
}

TEST(Cp932Table, EveryMappedCharacterRoundTrips) {
    const auto mapped = mapped_codes();
    const auto preferred = documented_duplicates(mapped);
    EXPECT_EQ(preferred.size(), 398u);

    for (const auto &[code, unit] : mapped) {
        const std::u16string wide(1, unit);
        const std::string narrow = utf16_to_cp932(wide);
        EXPECT_EQ(cp932_to_utf16(narrow), wide) << "U+" << std::hex << unsigned{unit};
        const auto duplicate = preferred.find(code);
        const std::uint16_t expected = duplicate == preferred.end() ? code : duplicate->second;
        EXPECT_EQ(code_of(narrow), expected) << std::hex << code;
    }
}

TEST(Cp932Table, ExtensionRows) {
    struct Case {
        std::uint16_t code;
        char16_t unit;
    };
    const Case cases[] = {
        {0x8740, u'①'},  {0x8753, u'⑳'},  {0x8754, u'Ⅰ'},  {0x875F, u'㍉'},
        {0x878A, u'㈱'}, {0x8794, u'∑'},  {0xFA40, u'ⅰ'},  {0xFA5C, u'纊'},
        {0xFB40, u'涖'}, {0xFC4B, u'黑'}, {0xED40, u'纊'}, {0xEEEF, u'ⅰ'},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(cp932_to_utf16(narrow_of(c.code)), std::u16string(1, c.unit))
            << std::hex << c.code;
    }
    EXPECT_EQ(utf16_to_cp932(u"①Ⅰ㍉ⅰ纊"), "\x87\x40\x87\x54\x87\x5F\xFA\x40\xFA\x5C"s);
}

TEST(Cp932Conversion, AsciiYenAndTilde) {
    std::string ascii;
    std::u16string expected;
    for (int c = 0; c < 0x80; ++c) {
        ascii += static_cast<char>(c);
        expected += static_cast<char16_t>(c);
    }
    EXPECT_EQ(cp932_to_utf16(ascii), expected);
    EXPECT_EQ(utf16_to_cp932(expected), ascii);
    // The backslash and tilde bytes are the ASCII characters, not ¥ and ‾ ...
    EXPECT_EQ(cp932_to_utf16("C:\\a~b"), u"C:\\a~b");
    // ... while ¥ and ‾ are written as those bytes, and read back as \ and ~.
    EXPECT_EQ(utf16_to_cp932(u"¥‾"), "\\~");
    EXPECT_EQ(cp932_to_utf16("a\0b"s), u"a\0b"s);
    EXPECT_EQ(utf16_to_cp932(u"a\0b"s), "a\0b"s);
    EXPECT_EQ(cp932_to_utf16(""), u"");
    EXPECT_EQ(utf16_to_cp932(u""), "");
}

TEST(Cp932Conversion, HalfWidthKatakana) {
    for (unsigned byte = 0xA1; byte <= 0xDF; ++byte) {
        const std::string narrow(1, static_cast<char>(byte));
        const std::u16string wide(1, static_cast<char16_t>(0xFF61 + (byte - 0xA1)));
        EXPECT_EQ(cp932_to_utf16(narrow), wide) << std::hex << byte;
        EXPECT_EQ(utf16_to_cp932(wide), narrow) << std::hex << byte;
    }
    EXPECT_EQ(cp932_to_utf16("\xB1\xB2\xB3 \x82\xA0"), u"ｱｲｳ あ");
}

TEST(Cp932Conversion, InvalidNarrowBytesBecomeMiddleDots) {
    EXPECT_EQ(cp932_to_utf16("A\x80"
                             "B"),
              u"A・B");
    EXPECT_EQ(cp932_to_utf16("\xA0"), u"・");
    EXPECT_EQ(cp932_to_utf16("\xFD\xFE\xFF"), u"・・・");
    // A lead byte before a byte that cannot follow it: one dot, then the byte for itself.
    EXPECT_EQ(cp932_to_utf16("\x81\x20"
                             "A"),
              u"・ A");
    EXPECT_EQ(cp932_to_utf16("\x81\x7F"), u"・\x7F");
    EXPECT_EQ(cp932_to_utf16("\x82\x0A"), u"・\n");
    // A proper pair that maps to nothing: one dot for both bytes.
    EXPECT_EQ(cp932_to_utf16("\x85\x40"
                             "A"),
              u"・A");
    EXPECT_EQ(cp932_to_utf16("\xEE\xED\x82\xA0"), u"・あ");
    // A lone lead byte at the end.
    EXPECT_EQ(cp932_to_utf16("\x82"), u"・");
    EXPECT_EQ(cp932_to_utf16("\x82\xA0\x82"), u"あ・");
    // The character after the bad byte is not swallowed.
    EXPECT_EQ(cp932_to_utf16("\x80\x82\xA0\xA0\x82\xA2"), u"・あ・い");
}

TEST(Cp932Conversion, UnmappableWideUnitsBecomeQuestionMarks) {
    EXPECT_EQ(utf16_to_cp932(u"a€b"), "a?b");
    EXPECT_EQ(utf16_to_cp932(u"\uFEFF"), "?");
    // Unpaired surrogates, each way round, in the middle and at the ends.
    EXPECT_EQ(utf16_to_cp932(u"a\xD800"
                             "b"),
              "a?b");
    EXPECT_EQ(utf16_to_cp932(u"a\xDC00"
                             "b"),
              "a?b");
    EXPECT_EQ(utf16_to_cp932(u"\xDC00\xD800"), "??");
    EXPECT_EQ(utf16_to_cp932(u"あ\xD83D"), "\x82\xA0?");
    EXPECT_EQ(utf16_to_cp932(u"\xDE00あ"), "?\x82\xA0");
    // A pair outside the BMP is one character, so one question mark.
    EXPECT_EQ(utf16_to_cp932(u"a\U0001F600b"), "a?b");
    EXPECT_EQ(utf16_to_cp932(u"\U0001F600\U0002000B"), "??");
}

TEST(Cp932Bytes, RepairKeepsValidTextAndReplacesEachBadSequence) {
    // Valid text, duplicates of the extension rows and the user-defined area included, is
    // kept byte for byte.
    const std::string valid = "a\x5c~\xb1\x93\xfa\xed\x40\xfa\x5c\x87\x40\xf0\x40\x81\x45";
    EXPECT_EQ(cp932_repaired(valid), valid);
    EXPECT_EQ(cp932_repaired(""), "");
    EXPECT_EQ(cp932_repaired("\x80"), "\x81\x45");
    EXPECT_EQ(cp932_repaired("\xa0\xfd\xfe\xff"), "\x81\x45\x81\x45\x81\x45\x81\x45");
    EXPECT_EQ(cp932_repaired("x\x82"), "x\x81\x45") << "lone lead byte at the end";
    EXPECT_EQ(cp932_repaired("\x81\x20y"), "\x81\x45 y") << "the blank is its own character";
    EXPECT_EQ(cp932_repaired("\x85\x40z"), "\x81\x45z") << "a pair that maps to nothing";
    // Whatever comes in, what comes out is code page 932: repairing it again changes nothing,
    // and it decodes with no stand-in but those the repair put there.
    for (int b = 0x80; b <= 0xFF; ++b) {
        const std::string repaired = cp932_repaired(std::string(1, static_cast<char>(b)) + "q");
        EXPECT_EQ(cp932_repaired(repaired), repaired) << b;
        const std::u16string wide = cp932_to_utf16(repaired);
        const bool stand_in = repaired.starts_with("\x81\x45");
        EXPECT_EQ(std::count(wide.begin(), wide.end(), kInvalidCp932Char), stand_in ? 1 : 0) << b;
    }
}

TEST(Cp932Bytes, LeadBytes) {
    EXPECT_FALSE(is_cp932_lead_byte(0x80));
    EXPECT_TRUE(is_cp932_lead_byte(0x81));
    EXPECT_TRUE(is_cp932_lead_byte(0x9F));
    EXPECT_FALSE(is_cp932_lead_byte(0xA0));
    EXPECT_FALSE(is_cp932_lead_byte(0xDF));
    EXPECT_TRUE(is_cp932_lead_byte(0xE0));
    EXPECT_TRUE(is_cp932_lead_byte(0xFC));
    EXPECT_FALSE(is_cp932_lead_byte(0xFD));
    EXPECT_FALSE(is_cp932_lead_byte('a'));
}

TEST(Cp932Bytes, UpperCaseSkipsTrailBytes) {
    EXPECT_EQ(cp932_to_upper("abc xyz AZ@[`{"), "ABC XYZ AZ@[`{");
    // 0x83 0x61 is a katakana whose trail byte is 'a'; the 'a' after it is a letter.
    EXPECT_EQ(cp932_to_upper("\x83\x61"
                             "a"),
              "\x83\x61"
              "A");
    EXPECT_EQ(cp932_to_upper("a\xE0\x7A"
                             "z"),
              "A\xE0\x7A"
              "Z");
    // Half-width katakana are single bytes: the letter after one is upper-cased.
    EXPECT_EQ(cp932_to_upper("\xB1"
                             "a"),
              "\xB1"
              "A");
    // Full-width letters and a lead byte at the very end are left as they are.
    EXPECT_EQ(cp932_to_upper("\x82\x81"
                             "b\x83"),
              "\x82\x81"
              "B\x83");
    EXPECT_EQ(cp932_to_upper("a\0b"s), "A\0B"s);
}

TEST(Cp932Bytes, CompareIgnoringCase) {
    EXPECT_EQ(cp932_compare_ignore_case("Sheet1", "SHEET1"), 0);
    EXPECT_EQ(cp932_compare_ignore_case("", ""), 0);
    EXPECT_LT(cp932_compare_ignore_case("abc", "ABD"), 0);
    EXPECT_GT(cp932_compare_ignore_case("ABD", "abc"), 0);
    // The shorter of two equal prefixes comes first.
    EXPECT_LT(cp932_compare_ignore_case("ab", "ABC"), 0);
    EXPECT_GT(cp932_compare_ignore_case("ABC", "ab"), 0);
    // Bytes compare as unsigned: a double-byte character sorts after ASCII.
    EXPECT_GT(cp932_compare_ignore_case("\x82\xA0", "z"), 0);
    // Trail bytes keep their case: 0x8361 and 0x8341 are different characters.
    EXPECT_NE(cp932_compare_ignore_case("\x83\x61", "\x83\x41"), 0);
    EXPECT_EQ(cp932_compare_ignore_case("\x83\x61"
                                        "a",
                                        "\x83\x61"
                                        "A"),
              0);
}

// A text goes into a code page whole or not at all: no character is silently replaced.
TEST(CodePageEncoding, WritesWhatTheCodePageHoldsAndRefusesTheRest) {
    EXPECT_EQ(utf16_to_code_page(u"Gr\u00F6\u00DFe \u20AC", 1252),
              "Gr\xF6\xDF"
              "e \x80");
    EXPECT_EQ(utf16_to_code_page(u"\u0394\u03BF", 1253), "\xC4\xEF");
    EXPECT_EQ(utf16_to_code_page(u"\u6771\u4EAC", 932), "\x93\x8C\x8B\x9E");
    // Code page 932's look-alike for the yen sign stays what utf16_to_cp932 writes.
    EXPECT_EQ(utf16_to_code_page(u"\u00A5", 932), utf16_to_cp932(u"\u00A5"));
    // Unknown numbers are code page 932, as code_page_to_utf16 reads them.
    EXPECT_EQ(utf16_to_code_page(u"\u6771", 0), "\x93\x8C");
    EXPECT_FALSE(is_known_code_page(0));
    EXPECT_TRUE(is_known_code_page(1252));

    EXPECT_EQ(utf16_to_code_page(u"\u6771\u4EAC", 1252), std::nullopt);
    EXPECT_EQ(utf16_to_code_page(u"caf\u00E9", 932), std::nullopt);
    EXPECT_EQ(utf16_to_code_page(u"\uD55C\uAD6D\uC5B4", 932), std::nullopt);
    const std::u16string pair{u'a', 0xD83D, 0xDE00};
    EXPECT_EQ(utf16_to_code_page(pair, 932), std::nullopt);
    EXPECT_EQ(utf16_to_code_page(pair.substr(0, 2), 65001), std::nullopt);
    EXPECT_EQ(utf16_to_code_page(pair, 65001), "a\xF0\x9F\x98\x80");

    // Whatever a code page reads comes back as the same bytes.
    const std::string latin =
        "caf\xE9 \xB1"
        "5\xB0";
    EXPECT_EQ(utf16_to_code_page(code_page_to_utf16(latin, 1252), 1252), latin);
}

}  // namespace
}  // namespace tabrix::platform
