// Drives a sheet's display and print settings from a script read on standard input, one call
// per line, and prints each call's result. Texts are hex of their code page 932 bytes ("x:"
// followed by the digits, "x:" alone for an empty text).
//
//   create PATH SHEETS | create97 PATH SHEETS | close H
//   grid H S FLAG | zoom H S ZOOM | pagemode H S PAPER SCALE ORIENT HEADER_MM FOOTER_MM
//   margins H S LEFT RIGHT TOP BOTTOM | header H S LEFT CENTRE RIGHT | footer H S L C R
//   break H S X Y SET | printheadings H S ON | printgrid H S ON | centre H S HORZ VERT
//   fit H S ON | str H S X Y TEXT
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

#include "engine/layout/page_setup.h"
#include "engine/lifecycle/workbook_table.h"
#include "platform/codepage.h"
#include "tabrix.h"

using namespace tabrix::engine;

namespace {

std::u16string text_of(const std::string &token) {
    std::string narrow;
    for (size_t i = 2; i + 1 < token.size(); i += 2) {
        narrow.push_back(static_cast<char>(std::stoi(token.substr(i, 2), nullptr, 16)));
    }
    return tabrix::platform::cp932_to_utf16(narrow);
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
    int32_t h = 0, s = 0;
    in >> h;
    if (command == "close") return XM_Close(h);
    in >> s;
    Workbook *book = workbook_at(h);
    if (!book) return 9998;
    int32_t a = 0, b = 0, c = 0, d = 0;
    if (command == "grid") return in >> a, XM_SetGridMode(h, s, a);
    if (command == "zoom") return in >> a, XM_SetZoom(h, s, a);
    if (command == "pagemode") {
        double header = 0, footer = 0;
        in >> a >> b >> c >> header >> footer;
        return XM_SetPageMode(h, s, a, b, c, header, footer);
    }
    if (command == "margins") return in >> a >> b >> c >> d, set_margins(*book, s, a, b, c, d);
    if (command == "header" || command == "footer") {
        std::string left, centre, right;
        in >> left >> centre >> right;
        return set_page_text(*book, s, command == "header" ? PageText::kHeader : PageText::kFooter,
                             text_of(left), text_of(centre), text_of(right));
    }
    if (command == "break") return in >> a >> b >> c, set_page_break(*book, s, a, b, c != 0);
    if (command == "printheadings") return in >> a, set_print_headings(*book, s, a != 0);
    if (command == "printgrid") return in >> a, set_print_gridlines(*book, s, a != 0);
    if (command == "centre") return in >> a >> b, set_centring(*book, s, a != 0, b != 0);
    if (command == "fit") return in >> a, set_fit_to_page(*book, s, a != 0);
    if (command == "str") {
        std::string token;
        in >> a >> b >> token;
        std::string narrow = tabrix::platform::utf16_to_cp932(text_of(token));
        return XM_WriteStr(h, s, a, b, narrow.c_str());
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
