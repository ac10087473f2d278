// tabrix info: what a workbook file is and holds, without its cells.
#include <algorithm>
#include <string>
#include <vector>

#include "cli.h"
#include "tabrix.h"
#include "text.h"

namespace tabrix::cli {

namespace {

constexpr const char *kHelp =
    "usage: tabrix info FILE\n"
    "Prints the workbook's format (Excel 95 or 97) and version stamp, each sheet with its\n"
    "name, visibility, type and used range, and the streams and storages of the compound\n"
    "file with their sizes.\n";

std::string column_name(int32_t column) {
    std::string name;
    for (int32_t c = column + 1; c > 0; c = (c - 1) / 26) {
        name.insert(name.begin(), static_cast<char>('A' + (c - 1) % 26));
    }
    return name;
}

const char *visibility_name(int32_t visibility) {
    switch (visibility) {
        case 0:
            return "visible";
        case 1:
            return "hidden";
        case 2:
            return "very hidden";
        default:
            return "unknown visibility";
    }
}

const char *type_name(int32_t type) {
    switch (type) {
        case 0:
            return "worksheet";
        case 1:
            return "macro sheet";
        case 2:
            return "chart";
        case 6:
            return "module";
        default:
            return "unknown type";
    }
}

// A stream name as UTF-8, control characters (the "\x05" of property streams) escaped.
std::string entry_name(const char16_t *name) {
    std::u16string_view view(name);
    std::string out;
    for (const char16_t unit : view) {
        if (unit < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(unit));
            out += escaped;
        } else {
            append_utf16_as_utf8(out, std::u16string_view(&unit, 1));
        }
    }
    return out;
}

void print_sheets(int32_t h) {
    const int32_t count = XM_GetSheetCount(h);
    std::printf("sheets: %d\n", count < 0 ? 0 : count);
    for (int32_t s = 0; s < count; ++s) {
        char16_t name[33] = {};
        XM_GetSheetNameW(h, s, name);
        std::string utf8;
        append_utf16_as_utf8(utf8, name);
        int32_t visibility = 0, type = 0;
        XM_GetSheetState(h, s, &visibility, &type);
        int32_t columns = 0, rows = 0;
        std::string used = "no used range";
        if (XM_GetMaxData(h, s, &columns, &rows) == 0) {
            used = columns > 0 && rows > 0
                       ? "A1:" + column_name(columns - 1) + std::to_string(rows) + " (" +
                             std::to_string(columns) + " columns, " + std::to_string(rows) +
                             " rows)"
                       : "empty";
        }
        std::printf("  %d  %s  %s, %s, %s\n", s + 1, utf8.c_str(), visibility_name(visibility),
                    type_name(type), used.c_str());
    }
}

}  // namespace

int run_info(const Arguments &args) {
    if (wants_help(args)) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (args.size() != 1 || args[0].starts_with("--")) {
        return usage_error("info", "one FILE expected");
    }
    const std::string_view file = args[0];
    std::string reason;
    std::u16string name;
    if (!readable_file(file, reason)) return fail("info", reason);
    if (!wide_name(file, name)) return fail("info", "the file name is not UTF-8");

    const int32_t entries = XM_GetFileEntriesW(name.c_str(), nullptr, 0);
    if (entries < 0) {
        return fail("info",
                    std::string(file) + ": not a compound file (" + engine_message(entries) + ")");
    }
    std::vector<XLFILEENTRY> list(static_cast<size_t>(entries));
    const int32_t listed = XM_GetFileEntriesW(name.c_str(), list.data(), entries);
    list.resize(static_cast<size_t>(std::clamp(listed, 0, entries)));

    const int32_t h = XM_ReadOpenW(name.c_str());
    if (h < 0) {
        return fail("info", std::string(file) + ": " + open_refusal(name, engine_message(h)));
    }
    const int32_t version = XM_GetFileVersion(h);
    std::printf("file: %.*s\n", static_cast<int>(file.size()), file.data());
    std::printf("format: %s\n", version == 95 ? "Excel 95 (BIFF5)" : "Excel 97 (BIFF8)");
    std::printf("version stamp: %d\n", version);
    print_sheets(h);
    XM_ReadClose(h);

    std::printf("streams and storages: %zu\n", list.size());
    for (const XLFILEENTRY &entry : list) {
        const std::string indent(static_cast<size_t>(2 + 2 * entry.depth), ' ');
        if (entry.storage) {
            std::printf("%s%s/  storage\n", indent.c_str(), entry_name(entry.name).c_str());
        } else {
            std::printf("%s%s  %llu bytes\n", indent.c_str(), entry_name(entry.name).c_str(),
                        static_cast<unsigned long long>(entry.size));
        }
    }
    return 0;
}

}  // namespace tabrix::cli
