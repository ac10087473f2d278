// Writes formula workbooks through the engine's C interface from a script read on standard
// input, one call per line, and prints each call's result. Texts are hex of their code page
// 932 bytes ("x:" followed by the hex digits, "x:" alone for an empty text).
//
//   create PATH SHEETS | create97 PATH SHEETS | close H
//   num H S X Y VALUE | str H S X Y TEXT
//   func H S X Y TEXT                          formula calculated on load
//   func3 H S X Y TEXT KIND VALUE [TEXT]       formula with a cached result
//   refsheet H S TEXT                          sheets the sheet's formulas may name
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

#include "tabrix.h"

namespace {

constexpr int32_t kBadLine = 9999;

bool parse_text(const std::string &token, std::string *out) {
    if (token.rfind("x:", 0) != 0 || token.size() % 2 != 0) return false;
    out->clear();
    for (size_t i = 2; i < token.size(); i += 2) {
        out->push_back(static_cast<char>(std::stoi(token.substr(i, 2), nullptr, 16)));
    }
    return true;
}

int32_t run(const std::string &line) {
    std::istringstream in(line);
    std::string command;
    in >> command;
    if (command == "create" || command == "create97") {
        std::string path;
        int32_t sheets = 0;
        in >> path >> sheets;
        return command == "create" ? XM_Create(path.c_str(), sheets)
                                   : XM_Create97(path.c_str(), sheets);
    }
    int32_t h = 0, s = 0, x = 0, y = 0;
    if (command == "close") {
        in >> h;
        return XM_Close(h);
    }
    std::string token, text;
    if (command == "refsheet") {
        in >> h >> s >> token;
        if (!parse_text(token, &text)) return kBadLine;
        return XM_SetRefSheet(h, s, text.c_str());
    }
    in >> h >> s >> x >> y;
    if (command == "num") {
        std::string value;
        in >> value;
        return XM_WriteDouble(h, s, x, y, std::strtod(value.c_str(), nullptr));
    }
    in >> token;
    if (!parse_text(token, &text)) return kBadLine;
    if (command == "str") return XM_WriteStr(h, s, x, y, text.c_str());
    if (command == "func") return XM_WriteFunc(h, s, x, y, text.c_str());
    if (command == "func3") {
        FormulaResult result{};
        std::string value, result_token, result_text;
        in >> result.kind >> value >> result_token;
        result.value = std::strtod(value.c_str(), nullptr);
        if (!result_token.empty()) {
            if (!parse_text(result_token, &result_text) || result_text.size() > 256) {
                return kBadLine;
            }
            result.length = static_cast<int16_t>(result_text.size());
            std::memcpy(result.text, result_text.data(), result_text.size());
        }
        return XM_WriteFunc3(h, s, x, y, text.c_str(), 15, &result);
    }
    return kBadLine;
}

}  // namespace

int main() {
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line.empty()) continue;
        std::printf("%d\n", run(line));
    }
    return 0;
}
