// Drives templates and files opened for modification from a script read on standard input,
// one call per line, and prints each call's result. Narrow texts are hex of their code page
// 932 bytes ("x:" followed by the digits), wide texts hex of their UTF-16 units ("w:" and four
// digits each); paths are plain.
//
//   createt NEW TEMPLATE | open SOURCE OUTPUT | openinplace SOURCE | openclose H SAVE
//   close H | cancel H | keyword PREFIX
//   strh H S KEY DX DY TEXT | numh H S KEY DX DY NUMBER | funch H S KEY DX DY FORMULA
//   str H S X Y TEXT | num H S X Y NUMBER | func H S X Y FORMULA | check PATH
//   strhw H S KEY DX DY WIDE | strw H S X Y WIDE | sheetnamew H S WIDE
//   copysheetw H S POSITION WIDE
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

#include "tabrix.h"

namespace {

std::string text_of(const std::string &token) {
    std::string narrow;
    for (size_t i = 2; i + 1 < token.size(); i += 2) {
        narrow.push_back(static_cast<char>(std::stoi(token.substr(i, 2), nullptr, 16)));
    }
    return narrow;
}

std::u16string wide_of(const std::string &token) {
    std::u16string wide;
    for (size_t i = 2; i + 3 < token.size(); i += 4) {
        wide.push_back(static_cast<char16_t>(std::stoi(token.substr(i, 4), nullptr, 16)));
    }
    return wide;
}

int32_t run(const std::string &line) {
    std::istringstream in(line);
    std::string command, a, b;
    in >> command;
    if (command == "createt") {
        in >> a >> b;
        return XM_CreateT(a.c_str(), b.c_str());
    }
    if (command == "open") {
        in >> a >> b;
        return XM_Open(a.c_str(), b.c_str());
    }
    if (command == "check") {
        in >> a;
        return XM_CheckFile(a.c_str());
    }
    if (command == "openinplace") {
        in >> a;
        return XM_Open(a.c_str(), nullptr);
    }
    int32_t h = 0, s = 0;
    if (command == "keyword") {
        in >> a;
        return XM_SetKeyWord(text_of(a).c_str());
    }
    in >> h;
    if (command == "openclose") {
        in >> s;
        return XM_OpenClose(h, s);
    }
    if (command == "close") return XM_Close(h);
    if (command == "cancel") return XM_Cancel(h);
    in >> s;
    if (command == "sheetnamew") {
        in >> a;
        return XM_SheetNameW(h, s, wide_of(a).c_str());
    }
    if (command == "copysheetw") {
        int32_t position = 0;
        in >> position >> a;
        return XM_CopySheetW(h, s, position, wide_of(a).c_str());
    }
    if (command == "strhw") {
        int32_t dx = 0, dy = 0;
        in >> a >> dx >> dy >> b;
        return XM_WriteStrhW(h, s, wide_of(a).c_str(), dx, dy, wide_of(b).c_str());
    }
    if (command == "strh" || command == "numh" || command == "funch") {
        int32_t dx = 0, dy = 0;
        std::string value;
        in >> a >> dx >> dy >> value;
        const std::string key = text_of(a);
        if (command == "strh")
            return XM_WriteStrh(h, s, key.c_str(), dx, dy, text_of(value).c_str());
        if (command == "numh") return XM_WriteDoubleh(h, s, key.c_str(), dx, dy, std::stod(value));
        return XM_WriteFunch(h, s, key.c_str(), dx, dy, text_of(value).c_str());
    }
    int32_t x = 0, y = 0;
    std::string value;
    in >> x >> y >> value;
    if (command == "str") return XM_WriteStr(h, s, x, y, text_of(value).c_str());
    if (command == "num") return XM_WriteDouble(h, s, x, y, std::stod(value));
    if (command == "func") return XM_WriteFunc(h, s, x, y, text_of(value).c_str());
    if (command == "strw") return XM_WriteStrW(h, s, x, y, wide_of(value).c_str());
    std::fprintf(stderr, "unknown command: %s\n", command.c_str());
    return -9999;
}

}  // namespace

int main() {
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line.empty()) continue;
        std::cout << run(line) << std::endl;
    }
    return 0;
}
