// The machine-readable code a label may carry (Data Matrix, QR or Code 128): its text and its
// symbol, encoded by libzint and handed on as dark modules for the canvas to draw as vectors.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace labelora {

enum class Symbology { None, DataMatrix, Qr, Code128 };

struct SymbologyName {
    Symbology symbology;
    const char *option;   // batch mode: --code OPTION
    const char *caption;  // print screen
    const char *radio;    // the print screen's radio button
};
// In the order of the print screen, "none" first.
const std::vector<SymbologyName> &symbologies();
const SymbologyName &symbologyName(Symbology symbology);
std::optional<Symbology> symbologyByOption(const std::string &option);

// What a label's code holds: the upper text, then one blank and the lower text when there is
// one, as the workbook record gives the label.
std::string codeText(const std::string &upper, const std::string &lower);

// One run of dark modules, in modules from the symbol's corner (quiet zone not included).
struct ModuleRun {
    int x, y, width, height;
    friend bool operator==(const ModuleRun &, const ModuleRun &) = default;
};

struct CodeSymbol {
    Symbology symbology = Symbology::None;
    int columns = 0, rows = 0;  // modules; a Code 128 symbol is one row of bars
    std::vector<ModuleRun> dark;
    // Light modules the symbol needs on each side (Code 128: left and right only).
    int quietZone() const;
    bool isLinear() const { return symbology == Symbology::Code128; }
};

// The symbol of `text`, or nothing when the symbology cannot hold it: Code 128 takes printable
// ASCII only (scanners disagree on anything beyond it), and no symbology takes an empty text.
std::optional<CodeSymbol> encodeCode(Symbology symbology, const std::string &text);

}  // namespace labelora
