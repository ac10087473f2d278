// Opens a workbook in read mode and prints every cell of every sheet three ways: fetched one
// by one with XM_Read and with XM_GetCellDataW over the sheet's used area, and delivered by
// the sequential walk. Narrow texts are hex of their code page 932 bytes, wide texts hex of
// their UTF-16 units (4 digits each), both after "x:".
//
//   xls_read PATH
//
//   open HANDLE
//   name S TEXT                                   (XM_GetSheetNameW)
//   sheet S RC COLUMNS ROWS                       (XM_GetMaxData)
//   read S ROW COL RC KIND VALUE TEXT             (XM_Read; cells it finds, and -8)
//   data S ROW COL KIND INTEGER VALUE TEXT        (XM_GetCellDataW, where XM_Read found one)
//   walk S ROW COL XF KIND NUMBER TEXT            (one line per cell)
//   walkend S CODE                                (0 end of sheet, -1 objects)
#include <cinttypes>
#include <cstdio>
#include <string>

#include "engine/lifecycle/workbook_table.h"
#include "engine/read/read_mode/sequential_walk.h"
#include "tabrix.h"

using namespace tabrix::engine;

namespace {

constexpr int32_t kBuffer = 1024;

std::string hex_of(const char *text) {
    std::string out = "x:";
    char digits[3];
    for (const char *p = text; *p; ++p) {
        std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(*p));
        out += digits;
    }
    return out;
}

std::string hex_of(std::u16string_view text) {
    std::string out = "x:";
    char digits[5];
    for (char16_t unit : text) {
        std::snprintf(digits, sizeof digits, "%04x", static_cast<unsigned>(unit));
        out += digits;
    }
    return out;
}

void print_cells(int32_t h, int32_t s, int32_t columns, int32_t rows) {
    for (int32_t y = 0; y < rows; ++y) {
        for (int32_t x = 0; x < columns; ++x) {
            int32_t kind = -1;
            double value = 0;
            char text[kBuffer] = "";
            const int32_t rc = XM_Read(h, s, x, y, &kind, &value, text, kBuffer);
            if (rc == -7) continue;
            std::printf("read %d %d %d %d %d %.17g %s\n", s, y, x, rc, kind, value,
                        hex_of(text).c_str());
            int32_t integer = 0;
            double number = 0;
            char16_t wide[kBuffer] = u"";
            const int32_t data =
                XM_GetCellDataW(h, s, x, y, &integer, &number, wide, kBuffer, nullptr);
            std::printf("data %d %d %d %d %d %.17g %s\n", s, y, x, data, integer, number,
                        hex_of(wide).c_str());
        }
    }
}

void print_walk(Workbook &book, int32_t s) {
    int32_t position = 0;
    WalkedCell cell;
    while ((position = walk_sheet(book, s, position, cell)) > kWalkNoSheet) {
        std::printf("walk %d %d %d %d %d %.17g %s\n", s, cell.row, cell.column, cell.xf, cell.kind,
                    cell.number, hex_of(cell.text).c_str());
    }
    std::printf("walkend %d %d\n", s, position);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: xls_read PATH\n");
        return 2;
    }
    const int32_t h = XM_ReadOpen(argv[1]);
    std::printf("open %d\n", h);
    if (h < 0) return 0;
    const int32_t sheets = XM_GetSheetCount(h);
    for (int32_t s = 0; s < sheets; ++s) {
        char16_t name[32] = u"";
        XM_GetSheetNameW(h, s, name);
        std::printf("name %d %s\n", s, hex_of(name).c_str());
        int32_t columns = 0, rows = 0;
        const int32_t rc = XM_GetMaxData(h, s, &columns, &rows);
        std::printf("sheet %d %d %d %d\n", s, rc, columns, rows);
        if (rc == 0) print_cells(h, s, columns, rows);
        print_walk(*workbook_at(h), s);
    }
    return XM_ReadClose(h) == 0 ? 0 : 1;
}
