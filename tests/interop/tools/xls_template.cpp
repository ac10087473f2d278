// Loads a template into a new workbook and writes it, as a template open does:
//
//   xls_template TEMPLATE OUTPUT [keep] [fill SHEET KEYWORD TEXT | number SHEET X Y VALUE]...
//
// "keep" keeps the keyword texts in their cells; each "fill" writes a text at every cell of a
// keyword (texts in UTF-8), each "number" a number into a cell. Prints the load's result, then one
// line per keyword cell found: "SHEET ROW COLUMN XF TEXT" (the text as hex of its UTF-8), then the
// close's result.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "engine/lifecycle/workbook_table.h"
#include "engine/read/reader/workbook_reader.h"
#include "engine/read/template/template_loader.h"
#include "platform/codepage.h"
#include "tabrix.h"

using namespace tabrix::engine;

namespace {

constexpr int32_t kWithoutDefaultTables = 0x40000000;

std::string hex_of(const std::string &bytes) {
    std::string hex;
    char digits[3];
    for (unsigned char byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        hex += digits;
    }
    return hex;
}

std::string utf8_of(const std::u16string &text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string utf16_of(const char *utf8) {
    std::u16string out;
    for (const auto *p = reinterpret_cast<const unsigned char *>(utf8); *p;) {
        uint32_t c = *p++;
        int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        c &= more == 3 ? 0x07 : more == 2 ? 0x0F : more == 1 ? 0x1F : 0x7F;
        for (; more > 0 && *p; --more) c = c << 6 | (*p++ & 0x3F);
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: xls_template TEMPLATE OUTPUT [keep] [fill S KEY TEXT]...\n");
        return 2;
    }
    std::unique_ptr<WorkbookReader> reader;
    if (WorkbookReader::open(argv[1], &reader) != 0) {
        std::printf("open failed\n");
        return 1;
    }
    const int32_t sheets = static_cast<int32_t>(reader->sheets().size());
    const std::u16string output = utf16_of(argv[2]);
    const int32_t handle =
        reader->biff8()
            ? XM_CreateVerW(output.c_str(), sheets + kWithoutDefaultTables, reader->version_stamp())
            : XM_CreateVerW(output.c_str(), sheets + kWithoutDefaultTables, 95);
    if (handle < 0) {
        std::printf("create %d\n", handle);
        return 1;
    }
    int arg = 3;
    const bool keep = arg < argc && std::strcmp(argv[arg], "keep") == 0;
    if (keep) ++arg;
    Workbook &book = *workbook_at(handle);
    std::printf("load %d\n", load_template(book, *reader, keep));
    for (int32_t s = 0; s < sheets; ++s) {
        for (const KeywordEntry &entry : book.sheets[static_cast<size_t>(s)]->keywords) {
            std::printf("%d %u %u %d %s\n", s, entry.row, entry.column, entry.xf,
                        hex_of(utf8_of(entry.text)).c_str());
        }
    }
    for (; arg + 3 < argc; arg += 4) {
        const int32_t sheet = std::atoi(argv[arg + 1]);
        if (std::strcmp(argv[arg], "fill") == 0) {
            const std::u16string keyword = utf16_of(argv[arg + 2]);
            const std::u16string text = utf16_of(argv[arg + 3]);
            std::printf("fill %d\n",
                        XM_WriteStrhW(handle, sheet, keyword.c_str(), 0, 0, text.c_str()));
        } else if (std::strcmp(argv[arg], "number") == 0 && arg + 4 < argc) {
            std::printf("number %d\n",
                        XM_WriteDouble(handle, sheet, std::atoi(argv[arg + 2]),
                                       std::atoi(argv[arg + 3]), std::atof(argv[arg + 4])));
            ++arg;
        }
    }
    std::printf("close %d\n", XM_Close(handle));
    return 0;
}
