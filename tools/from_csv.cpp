// tabrix from-csv: one sheet of a new workbook from a UTF-8 CSV file.
#include <string>
#include <vector>

#include "cli.h"
#include "csv.h"
#include "tabrix.h"
#include "text.h"

namespace tabrix::cli {

namespace {

constexpr const char *kHelp =
    "usage: tabrix from-csv IN.csv OUT.xls [--excel95] [--sheet-name NAME]\n"
    "Writes the records of a UTF-8 CSV file (RFC 4180) as the rows of one sheet of a new\n"
    "Excel 97 workbook (Excel 95 with --excel95). Fields that are plain decimal numbers\n"
    "(\"-12\", \"3.5\", \"1e6\"; not \"007\") become numbers, every other non-empty field a "
    "text. An IN.csv of \"-\" is standard input, an OUT.xls of \"-\" standard output.\n";

constexpr int32_t kColumns = 256;
constexpr int32_t kRows97 = 65536;
constexpr int32_t kRows95 = 16384;

}  // namespace

int run_from_csv(const Arguments &args) {
    if (wants_help(args)) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    std::vector<std::string_view> files;
    std::string_view sheet_name;
    bool excel95 = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--excel95") {
            excel95 = true;
        } else if (arg == "--sheet-name" && i + 1 < args.size()) {
            sheet_name = args[++i];
        } else if ((arg.starts_with("-") && arg != "-") || files.size() == 2) {
            return usage_error("from-csv",
                               "unknown or extra argument \"" + std::string(arg) + "\"");
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2) return usage_error("from-csv", "IN.csv and OUT.xls expected");
    std::u16string out_name, sheet;
    if (!sheet_name.empty() && !utf8_to_utf16(sheet_name, sheet)) {
        return usage_error("from-csv", "the sheet name is not UTF-8");
    }
    std::string document, reason;
    const bool from_input = files[0] == "-";
    const std::string source = from_input ? "standard input" : std::string(files[0]);
    if (!(from_input ? read_standard_input(document, reason)
                     : read_whole_file(files[0], document, reason))) {
        return fail("from-csv", reason);
    }
    OutputFile out;
    if (!out.prepare(files[1], reason)) return fail("from-csv", reason);
    if (!wide_name(out.path(), out_name)) return fail("from-csv", "the file name is not UTF-8");

    const int32_t h = XM_CreateVerW(out_name.c_str(), 1, excel95 ? ver95 : ver97);
    if (h < 0) {
        const std::string why = output_reason(out.path());
        return fail("from-csv", "cannot create '" + out.shown() +
                                    "': " + (why.empty() ? engine_message(h) : why));
    }
    const auto refuse = [&](const std::string &what) {
        XM_Cancel(h);
        return fail("from-csv", what);
    };
    if (!sheet.empty()) {
        if (const int32_t rc = XM_SheetNameW(h, 0, sheet.c_str()); rc != 0) {
            return refuse("sheet name \"" + std::string(sheet_name) + "\": " + engine_message(rc));
        }
    }
    const int32_t rows = excel95 ? kRows95 : kRows97;
    Progress progress("tabrix from-csv: " + source, document.size());
    CsvReader reader(document);
    std::vector<std::string> fields;
    std::u16string text;
    int32_t row = 0;
    for (; reader.next(fields); ++row) {
        const std::string where = source + ":" + std::to_string(reader.line());
        if (row >= rows) {
            return refuse(where + ": more than " + std::to_string(rows) + " rows");
        }
        if ((row & 0xFFF) == 0) progress.update(reader.offset());
        for (size_t c = 0; c < fields.size(); ++c) {
            const std::string &field = fields[c];
            if (field.empty()) continue;
            if (c >= kColumns) return refuse(where + ": more than 256 columns");
            const auto column = static_cast<int32_t>(c);
            int32_t rc = 0;
            if (const auto number = number_of(field)) {
                rc = XM_WriteDouble(h, 0, column, row, *number);
            } else {
                utf8_to_utf16(field, text);
                // The library drops one leading apostrophe (the typed-text mark).
                if (text.front() == u'\'') text.insert(text.begin(), u'\'');
                rc = XM_WriteStrW(h, 0, column, row, text.c_str());
            }
            if (rc != 0) return refuse(where + ": " + engine_message(rc));
        }
    }
    if (!reader.error().empty()) return refuse(source + ":" + reader.error());
    if (const int32_t rc = XM_Close(h); rc != 0) {
        const std::string why = output_reason(out.path());
        return fail("from-csv", "cannot write '" + out.shown() +
                                    "': " + (why.empty() ? engine_message(rc) : why));
    }
    if (!out.finish(reason)) return fail("from-csv", reason);
    return 0;
}

}  // namespace tabrix::cli
