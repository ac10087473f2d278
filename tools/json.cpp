#include "json.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "text.h"

namespace tabrix::cli {

namespace {

constexpr int kDeepest = 512;

class JsonParser {
  public:
    JsonParser(std::string_view document, JsonError &error) : doc_(document), error_(error) {}

    bool document(JsonValue &out) {
        skip_blanks();
        if (!value(out, 0)) return false;
        skip_blanks();
        if (pos_ != doc_.size()) return fail("unexpected text after the document");
        return true;
    }

  private:
    bool fail(const std::string &message) {
        error_.line = 1;
        error_.column = 1;
        for (size_t i = 0; i < pos_ && i < doc_.size(); ++i) {
            if (doc_[i] == '\n') {
                ++error_.line;
                error_.column = 1;
            } else if ((static_cast<unsigned char>(doc_[i]) & 0xC0) != 0x80) {
                ++error_.column;  // characters, not bytes
            }
        }
        error_.message = message;
        return false;
    }

    void skip_blanks() {
        while (pos_ < doc_.size() && (doc_[pos_] == ' ' || doc_[pos_] == '\t' ||
                                      doc_[pos_] == '\n' || doc_[pos_] == '\r')) {
            ++pos_;
        }
    }

    bool literal(std::string_view word) {
        if (doc_.substr(pos_, word.size()) != word) return fail("unknown word");
        pos_ += word.size();
        return true;
    }

    bool value(JsonValue &out, int depth) {
        if (depth > kDeepest) return fail("nesting too deep");
        if (pos_ >= doc_.size()) return fail("unexpected end, a value expected");
        switch (doc_[pos_]) {
            case '{':
                return object(out, depth);
            case '[':
                return array(out, depth);
            case '"':
                out.kind = JsonValue::Kind::text;
                return string(out.text);
            case 't':
                out.kind = JsonValue::Kind::boolean;
                out.boolean = true;
                return literal("true");
            case 'f':
                out.kind = JsonValue::Kind::boolean;
                return literal("false");
            case 'n':
                out.kind = JsonValue::Kind::null;
                return literal("null");
            default:
                return number(out);
        }
    }

    bool object(JsonValue &out, int depth) {
        out.kind = JsonValue::Kind::object;
        ++pos_;
        skip_blanks();
        if (pos_ < doc_.size() && doc_[pos_] == '}') {
            ++pos_;
            return true;
        }
        for (;;) {
            skip_blanks();
            if (pos_ >= doc_.size() || doc_[pos_] != '"') return fail("a member name expected");
            std::string name;
            if (!string(name)) return false;
            skip_blanks();
            if (pos_ >= doc_.size() || doc_[pos_] != ':') return fail("':' expected");
            ++pos_;
            skip_blanks();
            JsonValue member;
            if (!value(member, depth + 1)) return false;
            auto same = std::find_if(out.members.begin(), out.members.end(),
                                     [&](const auto &m) { return m.first == name; });
            if (same != out.members.end()) {
                same->second = std::move(member);
            } else {
                out.members.emplace_back(std::move(name), std::move(member));
            }
            skip_blanks();
            if (pos_ < doc_.size() && doc_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < doc_.size() && doc_[pos_] == '}') {
                ++pos_;
                return true;
            }
            return fail("',' or '}' expected");
        }
    }

    bool array(JsonValue &out, int depth) {
        out.kind = JsonValue::Kind::array;
        ++pos_;
        skip_blanks();
        if (pos_ < doc_.size() && doc_[pos_] == ']') {
            ++pos_;
            return true;
        }
        for (;;) {
            skip_blanks();
            out.items.emplace_back();
            if (!value(out.items.back(), depth + 1)) return false;
            skip_blanks();
            if (pos_ < doc_.size() && doc_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < doc_.size() && doc_[pos_] == ']') {
                ++pos_;
                return true;
            }
            return fail("',' or ']' expected");
        }
    }

    bool hex4(uint32_t &unit) {
        if (doc_.size() - pos_ < 4) return fail("four hexadecimal digits expected");
        unit = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = doc_[pos_ + static_cast<size_t>(i)];
            int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
            if (digit < 0) return fail("four hexadecimal digits expected");
            unit = unit * 16 + static_cast<uint32_t>(digit);
        }
        pos_ += 4;
        return true;
    }

    bool escape(std::string &out) {
        if (pos_ >= doc_.size()) return fail("unfinished escape");
        const char c = doc_[pos_++];
        switch (c) {
            case '"':
            case '\\':
            case '/':
                out += c;
                return true;
            case 'b':
                out += '\b';
                return true;
            case 'f':
                out += '\f';
                return true;
            case 'n':
                out += '\n';
                return true;
            case 'r':
                out += '\r';
                return true;
            case 't':
                out += '\t';
                return true;
            case 'u':
                break;
            default:
                --pos_;
                return fail("unknown escape");
        }
        uint32_t unit = 0;
        if (!hex4(unit)) return false;
        if (unit >= 0xDC00 && unit <= 0xDFFF) return fail("low surrogate without a high one");
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            uint32_t low = 0;
            if (doc_.substr(pos_, 2) != "\\u") return fail("high surrogate without a low one");
            pos_ += 2;
            if (!hex4(low)) return false;
            if (low < 0xDC00 || low > 0xDFFF) return fail("high surrogate without a low one");
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
        append_utf8(out, unit);
        return true;
    }

    bool string(std::string &out) {
        ++pos_;  // the opening quote
        for (;;) {
            if (pos_ >= doc_.size()) return fail("unfinished string");
            const char c = doc_[pos_];
            if (c == '"') {
                ++pos_;
                break;
            }
            if (static_cast<unsigned char>(c) < 0x20) return fail("control character in string");
            ++pos_;
            if (c == '\\') {
                if (!escape(out)) return false;
            } else {
                out += c;
            }
        }
        if (!valid_utf8(out)) return fail("string is not UTF-8");
        return true;
    }

    bool number(JsonValue &out) {
        // The JSON grammar: -? (0 | [1-9][0-9]*) (. [0-9]+)? ([eE] [+-]? [0-9]+)?
        const size_t start = pos_;
        auto digits = [&] {
            const size_t from = pos_;
            while (pos_ < doc_.size() && doc_[pos_] >= '0' && doc_[pos_] <= '9') ++pos_;
            return pos_ - from;
        };
        if (pos_ < doc_.size() && doc_[pos_] == '-') ++pos_;
        if (pos_ < doc_.size() && doc_[pos_] == '0') {
            ++pos_;
        } else if (digits() == 0) {
            pos_ = start;
            return fail("a value expected");
        }
        if (pos_ < doc_.size() && doc_[pos_] == '.') {
            ++pos_;
            if (digits() == 0) return fail("digits expected after '.'");
        }
        if (pos_ < doc_.size() && (doc_[pos_] == 'e' || doc_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < doc_.size() && (doc_[pos_] == '+' || doc_[pos_] == '-')) ++pos_;
            if (digits() == 0) return fail("digits expected in the exponent");
        }
        const auto [end, ec] = std::from_chars(doc_.data() + start, doc_.data() + pos_, out.number);
        if (ec != std::errc() || !std::isfinite(out.number)) {
            pos_ = start;
            return fail("number out of range");
        }
        out.kind = JsonValue::Kind::number;
        return true;
    }

    std::string_view doc_;
    JsonError &error_;
    size_t pos_ = 0;
};

}  // namespace

bool parse_json(std::string_view document, JsonValue &out, JsonError &error) {
    out = JsonValue{};
    return JsonParser(document, error).document(out);
}

}  // namespace tabrix::cli
