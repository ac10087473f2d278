#include "core/codes/label_code.h"

#include <zint.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace labelora {
namespace {

struct SymbolDeleter {
    void operator()(zint_symbol *symbol) const { ZBarcode_Delete(symbol); }
};

int zintSymbology(Symbology symbology) {
    switch (symbology) {
        case Symbology::DataMatrix:
            return BARCODE_DATAMATRIX;
        case Symbology::Qr:
            return BARCODE_QRCODE;
        default:
            return BARCODE_CODE128;
    }
}

bool isPrintableAscii(const std::string &text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7f; });
}

}  // namespace

const std::vector<SymbologyName> &symbologies() {
    static const std::vector<SymbologyName> names = {
        {Symbology::None, "none", "なし", "rbCodeNone"},
        {Symbology::DataMatrix, "datamatrix", "Data Matrix", "rbCodeDataMatrix"},
        {Symbology::Qr, "qr", "QR", "rbCodeQr"},
        {Symbology::Code128, "code128", "Code 128", "rbCode128"},
    };
    return names;
}

const SymbologyName &symbologyName(Symbology symbology) {
    return symbologies()[static_cast<size_t>(symbology)];
}

std::optional<Symbology> symbologyByOption(const std::string &option) {
    for (const auto &name : symbologies())
        if (option == name.option) return name.symbology;
    return std::nullopt;
}

std::string codeText(const std::string &upper, const std::string &lower) {
    return lower.empty() ? upper : upper + " " + lower;
}

int CodeSymbol::quietZone() const {
    switch (symbology) {
        case Symbology::DataMatrix:
            return 1;
        case Symbology::Qr:
            return 4;
        case Symbology::Code128:
            return 10;
        default:
            return 0;
    }
}

std::optional<CodeSymbol> encodeCode(Symbology symbology, const std::string &text) {
    if (symbology == Symbology::None || text.empty()) return std::nullopt;
    if (symbology == Symbology::Code128 && !isPrintableAscii(text)) return std::nullopt;
    std::unique_ptr<zint_symbol, SymbolDeleter> symbol(ZBarcode_Create());
    if (!symbol) return std::nullopt;
    symbol->symbology = zintSymbology(symbology);
    // UTF-8 in: QR puts Japanese in its Kanji mode, Data Matrix marks it as UTF-8 (ECI 26).
    symbol->input_mode = UNICODE_MODE;
    symbol->show_hrt = 0;  // the label's own texts are its human-readable line
    symbol->output_options |= BARCODE_NO_QUIET_ZONES;
    if (symbology == Symbology::DataMatrix) symbol->option_3 = DM_SQUARE;
    const auto *bytes = reinterpret_cast<const unsigned char *>(text.data());
    if (ZBarcode_Encode(symbol.get(), bytes, static_cast<int>(text.size())) >= ZINT_ERROR ||
        ZBarcode_Buffer_Vector(symbol.get(), 0) >= ZINT_ERROR || symbol->width <= 0)
        return std::nullopt;

    CodeSymbol code;
    code.symbology = symbology;
    code.columns = symbol->width;
    code.rows = code.isLinear() ? 1 : symbol->rows;
    // The vector output scales modules to its own unit; the module grid is what is drawn.
    const zint_vector &vector = *symbol->vector;
    const float unitX = vector.width / static_cast<float>(code.columns);
    const float unitY = code.isLinear() ? vector.height : vector.height / code.rows;
    for (const zint_vector_rect *r = vector.rectangles; r; r = r->next) {
        ModuleRun run{static_cast<int>(std::lround(r->x / unitX)),
                      static_cast<int>(std::lround(r->y / unitY)),
                      static_cast<int>(std::lround(r->width / unitX)),
                      static_cast<int>(std::lround(r->height / unitY))};
        if (code.isLinear()) {
            run.y = 0;
            run.height = 1;
        }
        if (run.width > 0 && run.height > 0) code.dark.push_back(run);
    }
    return code;
}

}  // namespace labelora
