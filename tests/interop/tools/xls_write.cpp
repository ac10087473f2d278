// Drives the engine's C interface from a script read on standard input, one call per line,
// and prints each call's result. Texts are given as hex of their code page 932 bytes
// ("x:" followed by the hex digits, "x:" alone for an empty text, "null" for none).
//
//   create PATH SHEETS | create97 PATH SHEETS | createver PATH SHEETS VERSION
//   int H S X Y VALUE | double H S X Y VALUE | str H S X Y TEXT
//   int2 H S X Y VALUE XF | double2 H S X Y VALUE XF | str2 H S X Y TEXT XF
//   fill H S ROWS COLUMNS [reverse]   integers row * COLUMNS + column in every cell
//   close H | cancel H
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

#include "tabrix.h"

namespace {

bool parse_text(const std::string &token, std::string *out, bool *null) {
    *null = token == "null";
    if (*null) return true;
    if (token.rfind("x:", 0) != 0 || token.size() % 2 != 0) return false;
    out->clear();
    for (size_t i = 2; i < token.size(); i += 2) {
        out->push_back(static_cast<char>(std::stoi(token.substr(i, 2), nullptr, 16)));
    }
    return true;
}

int32_t fill(int32_t h, int32_t s, int32_t rows, int32_t columns, bool reverse) {
    for (int32_t i = 0; i < rows; ++i) {
        int32_t r = reverse ? rows - 1 - i : i;
        for (int32_t c = 0; c < columns; ++c) {
            if (int32_t rc = XM_WriteInt(h, s, c, r, r * columns + c); rc != 0) return rc;
        }
    }
    return 0;
}

int32_t run(const std::string &line) {
    std::istringstream in(line);
    std::string command;
    in >> command;
    int32_t h = 0, s = 0, x = 0, y = 0, xf = 15;
    if (command == "create" || command == "create97" || command == "createver") {
        std::string path;
        int32_t sheets = 0, version = 0;
        in >> path >> sheets >> version;
        if (command == "create") return XM_Create(path.c_str(), sheets);
        if (command == "create97") return XM_Create97(path.c_str(), sheets);
        return XM_CreateVer(path.c_str(), sheets, version);
    }
    if (command == "close" || command == "cancel") {
        in >> h;
        return command == "close" ? XM_Close(h) : XM_Cancel(h);
    }
    if (command == "fill") {
        int32_t rows = 0, columns = 0;
        std::string order;
        in >> h >> s >> rows >> columns >> order;
        return fill(h, s, rows, columns, order == "reverse");
    }
    in >> h >> s >> x >> y;
    if (command == "int" || command == "int2") {
        int32_t value = 0;
        in >> value >> xf;
        return XM_WriteInt2(h, s, x, y, value, xf);
    }
    if (command == "double" || command == "double2") {
        std::string value;
        in >> value >> xf;
        return XM_WriteDouble2(h, s, x, y, std::strtod(value.c_str(), nullptr), xf);
    }
    if (command == "str" || command == "str2") {
        std::string token, text;
        bool null = false;
        in >> token >> xf;
        if (!parse_text(token, &text, &null)) return 9999;
        return XM_WriteStr2(h, s, x, y, null ? nullptr : text.c_str(), xf);
    }
    return 9999;
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
