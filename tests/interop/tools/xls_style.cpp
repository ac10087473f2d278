// Drives the engine's attribute calls from a script read on standard input, one call per
// line, and prints each call's result. Texts are hex of their code page 932 bytes ("x:"
// followed by the digits). A line may start with "NAME =" to keep its result; "$NAME" then
// stands for it wherever a number is expected.
//
//   create PATH SHEETS | create97 PATH SHEETS | createver PATH SHEETS VERSION
//   font H NAME SIZE COLOUR STYLE UNDERLINE | fmt H TEXT
//   attr [FIELD=VALUE ...]              starts a new request (XM_InitAttr) and sets fields
//   getattr H                           XM_GetAttrNo2 with the request
//   set2 H S X Y | ext2 H S X1 Y1 X2 Y2 the request applied to a cell or range
//   set H S X Y N | ext H S X1 Y1 X2 Y2 N
//   line KIND H S X1 Y1 X2 Y2 CODE      KIND: box ltc over under left right
//   str H S X Y TEXT [XF] | int H S X Y VALUE [XF] | double H S X Y VALUE [XF]
//   mode FLAG | close H
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

#include "tabrix.h"

namespace {

std::map<std::string, int32_t> g_results;
XLATTR g_request;

int32_t number(const std::string &token) {
    if (!token.empty() && token[0] == '$') return g_results.at(token.substr(1));
    return static_cast<int32_t>(std::stol(token, nullptr, 0));
}

std::string text(const std::string &token) {
    std::string out;
    for (size_t i = 2; i + 1 < token.size(); i += 2) {
        out.push_back(static_cast<char>(std::stoi(token.substr(i, 2), nullptr, 16)));
    }
    return out;
}

int16_t *field(const std::string &name) {
    static const std::map<std::string, int16_t XLATTR::*> fields = {
        {"Font", &XLATTR::Font},           {"Format", &XLATTR::Format},
        {"PosHorz", &XLATTR::PosHorz},     {"OverReturn", &XLATTR::OverReturn},
        {"PosVert", &XLATTR::PosVert},     {"Orient", &XLATTR::Orient},
        {"LineTop", &XLATTR::LineTop},     {"LineBottom", &XLATTR::LineBottom},
        {"LineLeft", &XLATTR::LineLeft},   {"LineRight", &XLATTR::LineRight},
        {"ColorTop", &XLATTR::ColorTop},   {"ColorBottom", &XLATTR::ColorBottom},
        {"ColorLeft", &XLATTR::ColorLeft}, {"ColorRight", &XLATTR::ColorRight},
        {"Pattern", &XLATTR::Pattern},     {"PatternColor", &XLATTR::PatternColor},
        {"BackColor", &XLATTR::BackColor}, {"Fit", &XLATTR::Fit},
        {"Joint", &XLATTR::Joint},         {"DiagKind", &XLATTR::DiagKind},
        {"DiagStyle", &XLATTR::DiagStyle}, {"DiagColor", &XLATTR::DiagColor},
        {"Indent", &XLATTR::Indent},       {"Rotation", &XLATTR::Rotation},
        {"Locked", &XLATTR::Locked},       {"Hidden", &XLATTR::Hidden},
    };
    return &(g_request.*fields.at(name));
}

int32_t line(const std::string &kind, int32_t h, int32_t s, int32_t x1, int32_t y1, int32_t x2,
             int32_t y2, int32_t code) {
    if (kind == "box") return XM_BoxLine(h, s, x1, y1, x2, y2, code);
    if (kind == "ltc") return XM_LtcLine(h, s, x1, y1, x2, y2, code);
    if (kind == "over") return XM_OverLine(h, s, x1, y1, x2, y2, code);
    if (kind == "under") return XM_UnderLine(h, s, x1, y1, x2, y2, code);
    if (kind == "left") return XM_LeftLine(h, s, x1, y1, x2, y2, code);
    if (kind == "right") return XM_RightLine(h, s, x1, y1, x2, y2, code);
    return 9999;
}

int32_t run(std::istringstream &in) {
    std::string command;
    in >> command;
    std::string a, b, c, d, e, f, g, k;
    if (command == "create" || command == "create97" || command == "createver") {
        std::string path;
        int32_t sheets = 0, version = 0;
        in >> path >> sheets >> version;
        if (command == "create") return XM_Create(path.c_str(), sheets);
        if (command == "create97") return XM_Create97(path.c_str(), sheets);
        return XM_CreateVer(path.c_str(), sheets, version);
    }
    if (command == "close") {
        in >> a;
        return XM_Close(number(a));
    }
    if (command == "mode") {
        in >> a;
        return XL_SetAttrMode(number(a));
    }
    if (command == "font") {
        in >> a >> b >> c >> d >> e >> f;
        return XM_FontNo(number(a), text(b).c_str(), std::strtod(c.c_str(), nullptr), number(d),
                         number(e), number(f));
    }
    if (command == "fmt") {
        in >> a >> b;
        return XM_FmtNo(number(a), text(b).c_str());
    }
    if (command == "attr") {
        XM_InitAttr(&g_request);
        std::string assignment;
        while (in >> assignment) {
            size_t eq = assignment.find('=');
            *field(assignment.substr(0, eq)) =
                static_cast<int16_t>(number(assignment.substr(eq + 1)));
        }
        return 0;
    }
    if (command == "getattr") {
        in >> a;
        return XM_GetAttrNo2(number(a), &g_request);
    }
    if (command == "set2" || command == "set") {
        in >> a >> b >> c >> d >> e;
        if (command == "set2")
            return XM_SetAttr2(number(a), number(b), number(c), number(d), &g_request);
        return XM_SetAttr(number(a), number(b), number(c), number(d), number(e));
    }
    if (command == "ext2" || command == "ext") {
        in >> a >> b >> c >> d >> e >> f >> g;
        if (command == "ext2") {
            return XM_SetAttrExt2(number(a), number(b), number(c), number(d), number(e), number(f),
                                  &g_request);
        }
        return XM_SetAttrExt(number(a), number(b), number(c), number(d), number(e), number(f),
                             number(g));
    }
    if (command == "line") {
        in >> k >> a >> b >> c >> d >> e >> f >> g;
        return line(k, number(a), number(b), number(c), number(d), number(e), number(f), number(g));
    }
    if (command == "str" || command == "int" || command == "double") {
        in >> a >> b >> c >> d >> e;
        f = "15";
        in >> f;
        int32_t h = number(a), s = number(b), x = number(c), y = number(d), xf = number(f);
        if (command == "str") return XM_WriteStr2(h, s, x, y, text(e).c_str(), xf);
        if (command == "int") return XM_WriteInt2(h, s, x, y, number(e), xf);
        return XM_WriteDouble2(h, s, x, y, std::strtod(e.c_str(), nullptr), xf);
    }
    return 9999;
}

}  // namespace

int main() {
    std::string text_line;
    while (std::getline(std::cin, text_line)) {
        if (text_line.empty()) continue;
        std::string name;
        size_t eq = text_line.find(" = ");
        if (eq != std::string::npos) {
            name = text_line.substr(0, eq);
            text_line = text_line.substr(eq + 3);
        }
        std::istringstream in(text_line);
        int32_t result = 0;
        try {
            result = run(in);
        } catch (const std::exception &) {
            result = 9998;  // a malformed script line
        }
        if (!name.empty()) g_results[name] = result;
        std::printf("%d\n", result);
    }
    return 0;
}
