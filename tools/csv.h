// RFC 4180 fields: writing them (with a comma or a tab between) and reading records back,
// and numbers as the tool writes and recognises them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tabrix::cli {

// Fields are written into room the caller has made; each returns the end of what it wrote.
// The field, quoted when it holds the delimiter, a quote, CR or LF: at most 2 + 2 * size bytes.
char *put_field(char *at, std::string_view field, char delimiter);
// The same from UTF-16 (unpaired surrogates become U+FFFD): at most 2 + 3 * size bytes.
char *put_field(char *at, std::u16string_view field, char delimiter);
// The shortest text that reads back as the same double ("0.1", "1e+300"); whole numbers
// below 2^53 with all their digits ("1000000"). At most kNumberRoom bytes.
inline constexpr size_t kNumberRoom = 32;
char *put_number(char *at, double value);
// A whole number with all its digits, as put_number writes it: at most kNumberRoom bytes.
char *put_integer(char *at, int64_t value);
// A field that is a plain decimal number: an optional '-', digits without a leading zero
// (but "0" itself), an optional fraction and exponent, nothing else. "007", " 1", "1e999",
// "inf" and "0x10" stay texts.
std::optional<double> number_of(std::string_view field);

// Reads the records of a CSV document one at a time: fields split at commas, quoted fields
// with "" for a quote and line ends inside them, CR LF or LF ending a record; a UTF-8
// byte-order mark at the start is skipped.
class CsvReader {
  public:
    explicit CsvReader(std::string_view document);
    // False at the end of the document, or on a fault (then error() is not empty).
    bool next(std::vector<std::string> &fields);
    const std::string &error() const { return error_; }
    size_t line() const { return line_; }   // the line the last record started on
    size_t offset() const { return pos_; }  // bytes read so far

  private:
    std::string_view doc_;
    size_t pos_ = 0;
    size_t line_ = 0;
    size_t next_line_ = 1;
    std::string error_;
};

}  // namespace tabrix::cli
