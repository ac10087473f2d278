#include "csv.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

using namespace tabrix::cli;

namespace {

std::vector<std::vector<std::string>> records(std::string_view document, std::string *error) {
    CsvReader reader(document);
    std::vector<std::vector<std::string>> out;
    std::vector<std::string> fields;
    while (reader.next(fields)) out.push_back(fields);
    *error = reader.error();
    return out;
}

std::string field(std::string_view text, char delimiter = ',') {
    std::string out(2 + 2 * text.size(), '\0');
    out.resize(static_cast<size_t>(put_field(out.data(), text, delimiter) - out.data()));
    return out;
}

std::string wide_field(std::u16string_view text) {
    std::string out(2 + 3 * text.size(), '\0');
    out.resize(static_cast<size_t>(put_field(out.data(), text, ',') - out.data()));
    return out;
}

std::string number(double value) {
    std::string out(kNumberRoom, '\0');
    out.resize(static_cast<size_t>(put_number(out.data(), value) - out.data()));
    return out;
}

}  // namespace

TEST(Csv, FieldsAreQuotedOnlyWhenTheyMustBe) {
    std::string out;
    for (const char *text : {"plain", "a,b", "say \"hi\"", "two\nlines", "cr\r", "tab\there"}) {
        out += field(text) + '|';
    }
    EXPECT_EQ(out, "plain|\"a,b\"|\"say \"\"hi\"\"\"|\"two\nlines\"|\"cr\r\"|tab\there|");
    EXPECT_EQ(field("tab\there", '\t'), "\"tab\there\"");
    // From UTF-16: the same rule, every plane, a lone surrogate replaced.
    EXPECT_EQ(wide_field(u"\"\u6771\U0001F600\u00e9\xD800"),
              "\"\"\"\xE6\x9D\xB1\xF0\x9F\x98\x80\xC3\xA9\xEF\xBF\xBD\"");
    // Plain ASCII in one pass; a unit that needs more late in the text starts it over.
    EXPECT_EQ(wide_field(u"plain") + wide_field(u"tab\there") + wide_field(u"abc\"d") +
                  wide_field(u"abc\u00e9") + wide_field(u""),
              "plaintab\there\"abc\"\"d\"abc\xC3\xA9");
}

TEST(Csv, WrittenFieldsReadBackTheSame) {
    const std::vector<std::string> row = {"", "a,b", "\"", "x\r\ny", "東京", " blank "};
    std::string document = "\xEF\xBB\xBF";
    for (int line = 0; line < 2; ++line) {
        for (size_t i = 0; i < row.size(); ++i) {
            if (i) document += ',';
            document += field(row[i]);
        }
        document += line ? "\n" : "\r\n";  // both line ends, the last line ended too
    }
    std::string error;
    const auto read = records(document + "last", &error);
    EXPECT_EQ(error, "");
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0], row);
    EXPECT_EQ(read[1], row);
    EXPECT_EQ(read[2], std::vector<std::string>{"last"});
}

TEST(Csv, UnclosedQuotesAndBadUtf8AreFaultsWithTheirLine) {
    std::string error;
    records("a\nb\n\"open,\n\n", &error);
    EXPECT_EQ(error, "line 3: quoted field not closed");
    records("a\n\xFF\n", &error);
    EXPECT_EQ(error, "line 2: not UTF-8");
}

TEST(Csv, NumbersAreShortestAndReadBackExactly) {
    for (const double value :
         {0.1, 1.0 / 3, -2.5, 1e-300, 1.5e300, 536870911.0, -0.0, 9007199254740993.0, 1e300, -1e15,
          99.0, -1234567899.0, std::numeric_limits<double>::denorm_min()}) {
        const std::string text = number(value);
        ASSERT_EQ(number_of(text), value) << text;
        ASSERT_EQ(std::signbit(*number_of(text)), std::signbit(value)) << text;
    }
    EXPECT_EQ(number(1e6) + number(-42) + number(0.0) + number(-0.0), "1000000-420-0");
    EXPECT_EQ(number(9007199254740991.0), "9007199254740991");
}

TEST(Csv, NumbersMatchTheStandardShortestFormAroundTheShortcuts) {
    // Whole numbers and eighths take a shortcut; to_chars is the reference (whole numbers
    // below 2^53 with all their digits), on both sides of each bound the shortcut has (2^45
    // for fractions, 2^53 for whole numbers).
    std::vector<double> values;
    for (int64_t n = -80; n <= 80; ++n) values.push_back(static_cast<double>(n) / 8);
    for (double power = 1; power < 1e17; power *= 10) {
        for (const double near : {power - 1, power, power + 0.5, -power}) values.push_back(near);
    }
    for (const double base : {1e3, 123456.0, 1e13, 0x1p45, 0x1p47, 0x1p50, 0x1p53}) {
        for (int64_t k = -24; k <= 24; ++k) {
            values.push_back(base + static_cast<double>(k) / 8);
            values.push_back(-(base + static_cast<double>(k) / 4));
            values.push_back(base + static_cast<double>(k) / 16);
        }
    }
    for (const double value : values) {
        char expected[kNumberRoom];
        const bool all_digits = value == std::trunc(value) && std::fabs(value) < 0x1p53;
        char *end =
            all_digits
                ? std::to_chars(expected, std::end(expected), value, std::chars_format::fixed).ptr
                : std::to_chars(expected, std::end(expected), value).ptr;
        ASSERT_EQ(number(value), std::string(expected, static_cast<size_t>(end - expected)))
            << value;
    }
}

TEST(Csv, IntegersAreWrittenAsTheirNumbers) {
    for (const int64_t value : {int64_t{0}, int64_t{7}, int64_t{-10}, int64_t{9999}, int64_t{10000},
                                int64_t{-536870912}, int64_t{123456789012}, INT64_MAX, INT64_MIN}) {
        std::string text(kNumberRoom, '\0');
        text.resize(static_cast<size_t>(put_integer(text.data(), value) - text.data()));
        EXPECT_EQ(text, std::to_string(value));
        if (value > -(int64_t{1} << 53) && value < (int64_t{1} << 53)) {
            EXPECT_EQ(text, number(static_cast<double>(value)));
        }
    }
}

TEST(Csv, OnlyPlainDecimalsAreNumbers) {
    EXPECT_EQ(number_of("0"), 0.0);
    EXPECT_EQ(number_of("-0.5"), -0.5);
    EXPECT_EQ(number_of("1E+3"), 1000.0);
    for (const char *text : {"", "007", "-", "1.", ".5", " 1", "1 ", "+1", "1e", "1e999", "inf",
                             "nan", "0x10", "1,5", "1.2.3"}) {
        EXPECT_FALSE(number_of(text).has_value()) << text;
    }
}
