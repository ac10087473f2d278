#include "csv.h"

#include <charconv>
#include <cmath>

#include "text.h"

namespace tabrix::cli {

void append_field(std::string &out, std::string_view field, char delimiter) {
    if (field.find_first_of(std::string{delimiter, '"', '\r', '\n'}) == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void append_number(std::string &out, double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

std::optional<double> number_of(std::string_view field) {
    size_t i = 0;
    const auto digits = [&] {
        const size_t from = i;
        while (i < field.size() && field[i] >= '0' && field[i] <= '9') ++i;
        return i - from;
    };
    if (i < field.size() && field[i] == '-') ++i;
    const size_t first_digit = i;
    const size_t whole = digits();
    if (whole == 0 || (whole > 1 && field[first_digit] == '0')) return std::nullopt;
    if (i < field.size() && field[i] == '.') {
        ++i;
        if (digits() == 0) return std::nullopt;
    }
    if (i < field.size() && (field[i] == 'e' || field[i] == 'E')) {
        ++i;
        if (i < field.size() && (field[i] == '+' || field[i] == '-')) ++i;
        if (digits() == 0) return std::nullopt;
    }
    if (i != field.size()) return std::nullopt;
    double value = 0;
    const auto result = std::from_chars(field.data(), field.data() + field.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value)) return std::nullopt;
    return value;
}

CsvReader::CsvReader(std::string_view document) : doc_(document) {
    if (doc_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
}

bool CsvReader::next(std::vector<std::string> &fields) {
    fields.clear();
    if (pos_ >= doc_.size() || !error_.empty()) return false;
    line_ = next_line_;
    std::string field;
    bool quoted = false;  // inside quotes
    size_t quote_line = 0;
    for (;;) {
        if (pos_ >= doc_.size()) {
            if (quoted) {
                error_ = "line " + std::to_string(quote_line) + ": quoted field not closed";
                return false;
            }
            break;
        }
        const char c = doc_[pos_++];
        if (quoted) {
            if (c == '"') {
                if (pos_ < doc_.size() && doc_[pos_] == '"') {
                    field += '"';
                    ++pos_;
                } else {
                    quoted = false;
                }
            } else {
                if (c == '\n') ++next_line_;
                field += c;
            }
            continue;
        }
        if (c == '"' && field.empty()) {
            quoted = true;
            quote_line = next_line_;
        } else if (c == ',') {
            fields.push_back(std::move(field));
            field.clear();
        } else if (c == '\n' || (c == '\r' && pos_ < doc_.size() && doc_[pos_] == '\n')) {
            if (c == '\r') ++pos_;
            ++next_line_;
            break;
        } else {
            field += c;
        }
    }
    fields.push_back(std::move(field));
    for (const std::string &f : fields) {
        if (!valid_utf8(f)) {
            error_ = "line " + std::to_string(line_) + ": not UTF-8";
            return false;
        }
    }
    return true;
}

}  // namespace tabrix::cli
