// A small JSON reader for the fill data: objects, arrays, strings (with every escape, UTF-16
// surrogate pairs joined), numbers, true, false and null. Texts come out as UTF-8.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tabrix::cli {

struct JsonValue {
    enum class Kind { null, boolean, number, text, array, object };
    Kind kind = Kind::null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<JsonValue> items;
    // Members in the order the document gives them; a repeated name keeps its last value.
    std::vector<std::pair<std::string, JsonValue>> members;
};

struct JsonError {
    size_t line = 1;
    size_t column = 1;
    std::string message;
};

// Parses a whole document (blanks around it allowed); false with the place and reason of the
// first fault. Nesting deeper than 512 levels is refused rather than followed.
bool parse_json(std::string_view document, JsonValue &out, JsonError &error);

}  // namespace tabrix::cli
