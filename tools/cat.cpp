// tabrix cat: the values of a sheet as CSV or TSV in UTF-8, walked many cells a call through
// the engine's cell walk.
#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "block_reader.h"
#include "cli.h"
#include "csv.h"
#include "sheet_output.h"
#include "tabrix.h"
#include "text.h"

namespace tabrix::cli {

namespace {

constexpr const char *kHelp =
    "usage: tabrix cat FILE [--sheet N|NAME] [--format csv|tsv] [--all-sheets]\n"
    "Writes the values of a sheet (the first, or N counted from 1, or the one named NAME) as\n"
    "RFC 4180 CSV, or TSV, in UTF-8 to standard output: numbers in the shortest form that\n"
    "reads back the same, booleans and errors as TRUE, FALSE, #DIV/0! and so on, formulas as\n"
    "their stored results. --all-sheets writes every sheet, each after a line \"# NAME\".\n"
    "A FILE of \"-\" reads the workbook from standard input.\n";

// Cells of a sheet whose records are out of order; texts in one arena.
struct Cell {
    uint32_t row;
    uint32_t column;
    bool number;
    double value;
    size_t text_start;
    size_t text_size;
};

// XM_WalkCellsW's kinds; the others have a text.
constexpr int32_t kWalkBlank = 0;
constexpr int32_t kWalkInteger = 1;
constexpr int32_t kWalkNumber = 2;
constexpr uint32_t kColumns = 256;

// One sheet as CSV rows of one width. Cells come in the file's order, which is row by row in
// the files programs write: they go straight to the output, the width taken from the sheet's
// used range. A sheet whose cells come out of order, repeat a place or pass that width is
// read again and sorted first.
class SheetDump {
  public:
    SheetDump(int32_t book, char delimiter, Progress &progress)
        : book_(book), delimiter_(delimiter), progress_(progress) {}

    void dump(int32_t sheet, Output &out) {
        const uint64_t start = out.position();
        if (stream(sheet, out)) return;
        out.take_back(start);
        collect(sheet);
        write(out);
    }

  private:
    struct Walked {
        uint32_t x = 0, y = 0;
        bool number = false;
        bool integer = false;  // a number the file holds as an integer
        double value = 0;
        std::u16string_view text;
    };

    // Walks the cells that have values, many per library call, handing each to `take` until
    // it returns false; false then.
    template <class Take>
    bool walk(int32_t sheet, Take &&take) {
        blocks_.start(book_, sheet);
        BlockReader::Block block;
        while (blocks_.next(block)) {
            for (int32_t i = 0; i < block.count; ++i) {
                const XLWALKCELL &cell = block.cells[i];
                if (cell.kind == kWalkBlank) continue;
                Walked walked{static_cast<uint32_t>(cell.x),
                              static_cast<uint32_t>(cell.y),
                              cell.kind == kWalkInteger || cell.kind == kWalkNumber,
                              cell.kind == kWalkInteger,
                              cell.value,
                              {}};
                if (!walked.number) {
                    walked.text = std::u16string_view(block.text + cell.text,
                                                      static_cast<size_t>(cell.length));
                }
                if (!take(walked)) {
                    blocks_.stop();
                    return false;
                }
            }
            // Above 1 a position; else the sheet's end, its drawing objects, or no sheet.
            if (block.next > 1) progress_.update(static_cast<uint64_t>(block.next));
        }
        return true;
    }

    bool stream(int32_t sheet, Output &out) {
        int32_t columns = 0, rows = 0;
        if (XM_GetMaxData(book_, sheet, &columns, &rows) != 0) columns = 0;
        const uint32_t width = static_cast<uint32_t>(std::clamp<int32_t>(columns, 0, kColumns));
        uint32_t row = 0, column = 0;
        bool any = false;
        const bool ordered = walk(sheet, [&](const Walked &cell) {
            const uint32_t y = cell.y, x = cell.x;
            if (x >= width || (any && (y < row || (y == row && x < column)))) return false;
            any = true;
            place(out, row, column, y, x, width);
            if (cell.integer) {
                out.wrote(put_integer(out.room(kNumberRoom), static_cast<int64_t>(cell.value)));
            } else if (cell.number) {
                out.wrote(put_number(out.room(kNumberRoom), cell.value));
            } else {
                out.wrote(put_field(out.room(2 + 3 * cell.text.size()), cell.text, delimiter_));
            }
            return true;
        });
        if (!ordered) return false;
        if (any) end_row(out, column, width);
        return true;
    }

    void collect(int32_t sheet) {
        cells_.clear();
        texts_.clear();
        walk(sheet, [&](const Walked &walked) {
            Cell cell{walked.y, walked.x, walked.number, walked.value, texts_.size(), 0};
            if (!cell.number) {
                append_utf16_as_utf8(texts_, walked.text);
                cell.text_size = texts_.size() - cell.text_start;
            }
            cells_.push_back(cell);
            return true;
        });
    }

    static bool before(const Cell &a, const Cell &b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    }

    void write(Output &out) {
        // Stable: of two cells at one place, the later in the file wins.
        std::stable_sort(cells_.begin(), cells_.end(), before);
        uint32_t width = 0;
        for (const Cell &cell : cells_) width = std::max(width, cell.column + 1);
        uint32_t row = 0, column = 0;
        for (size_t i = 0; i < cells_.size(); ++i) {
            const Cell &cell = cells_[i];
            if (i + 1 < cells_.size() && cells_[i + 1].row == cell.row &&
                cells_[i + 1].column == cell.column) {
                continue;
            }
            place(out, row, column, cell.row, cell.column, width);
            if (cell.number) {
                out.wrote(put_number(out.room(kNumberRoom), cell.value));
            } else {
                const std::string_view text(texts_.data() + cell.text_start, cell.text_size);
                out.wrote(put_field(out.room(2 + 2 * text.size()), text, delimiter_));
            }
        }
        if (!cells_.empty()) end_row(out, column, width);
    }

    // Ends rows and writes empty fields up to the cell at (y, x), whose field comes next;
    // `column` counts the fields written in the current row.
    void place(Output &out, uint32_t &row, uint32_t &column, uint32_t y, uint32_t x,
               uint32_t width) {
        for (; row < y; ++row) end_row(out, column, width);
        for (; column < x; ++column) next_field(out, column);
        next_field(out, column);
        ++column;
    }

    void next_field(Output &out, uint32_t column) {
        if (column > 0) out.put(delimiter_);
    }

    // Every row has the sheet's width of fields.
    void end_row(Output &out, uint32_t &column, uint32_t width) {
        for (; column < width; ++column) next_field(out, column);
        out.put("\r\n");
        column = 0;
        out.spill();
    }

    int32_t book_;
    char delimiter_;
    Progress &progress_;
    BlockReader blocks_;
    std::vector<Cell> cells_;
    std::string texts_;
};

std::vector<std::string> sheet_names(int32_t book) {
    std::vector<std::string> names;
    const int32_t count = XM_GetSheetCount(book);
    for (int32_t s = 0; s < count; ++s) {
        char16_t name[32] = {};
        XM_GetSheetNameW(book, s, name);
        std::string utf8;
        append_utf16_as_utf8(utf8, name);
        names.push_back(std::move(utf8));
    }
    return names;
}

// The sheet a --sheet value names: a sheet of that name first, else a number from 1.
int32_t chosen_sheet(std::string_view choice, const std::vector<std::string> &names) {
    for (size_t s = 0; s < names.size(); ++s) {
        if (names[s] == choice) return static_cast<int32_t>(s);
    }
    int32_t number = 0;
    const auto [end, ec] = std::from_chars(choice.data(), choice.data() + choice.size(), number);
    if (ec != std::errc() || end != choice.data() + choice.size()) return -1;
    if (number < 1 || static_cast<size_t>(number) > names.size()) return -1;
    return number - 1;
}

}  // namespace

int run_cat(const Arguments &args) {
    if (wants_help(args)) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    std::string_view file, sheet_choice;
    char delimiter = ',';
    bool all_sheets = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const bool has_value = i + 1 < args.size();
        if (arg == "--sheet" && has_value) {
            sheet_choice = args[++i];
        } else if (arg == "--format" && has_value) {
            const std::string_view format = args[++i];
            if (format != "csv" && format != "tsv") {
                return usage_error("cat", "--format is csv or tsv");
            }
            delimiter = format == "csv" ? ',' : '\t';
        } else if (arg == "--all-sheets") {
            all_sheets = true;
        } else if ((arg.starts_with("-") && arg != "-") || !file.empty()) {
            return usage_error("cat",
                               "unknown or incomplete argument \"" + std::string(arg) + "\"");
        } else {
            file = arg;
        }
    }
    if (file.empty()) return usage_error("cat", "FILE expected");
    if (all_sheets && !sheet_choice.empty()) {
        return usage_error("cat", "--sheet and --all-sheets exclude each other");
    }
    std::string reason;
    std::u16string name;
    InputFile input;
    if (!input.open(file, reason)) return fail("cat", reason);
    if (!wide_name(input.path(), name)) return fail("cat", "the file name is not UTF-8");
    const int32_t book = XM_ReadOpenW(name.c_str());
    if (book < 0) {
        return fail("cat", input.shown() + ": " + open_refusal(name, engine_message(book)));
    }
    const std::vector<std::string> names = sheet_names(book);
    int32_t first = 0, last = static_cast<int32_t>(names.size()) - 1;
    if (!sheet_choice.empty()) {
        first = last = chosen_sheet(sheet_choice, names);
        if (first < 0) {
            XM_ReadClose(book);
            return fail("cat", input.shown() + ": no sheet \"" + std::string(sheet_choice) + "\"");
        }
    } else if (!all_sheets) {
        last = std::min(last, 0);
    }

    struct stat info {};
    stat(input.path().c_str(), &info);
    Progress progress("tabrix cat: " + input.shown(), static_cast<uint64_t>(info.st_size));
    auto dump = std::make_unique<SheetDump>(book, delimiter, progress);
    Output out;
    for (int32_t s = first; s <= last; ++s) {
        if (all_sheets) {
            out.put("# ");
            out.put(names[static_cast<size_t>(s)]);
            out.put("\r\n");
        }
        dump->dump(s, out);
        out.flush();
    }
    XM_ReadClose(book);
    if (out.failed()) {
        return fail("cat",
                    std::string("cannot write standard output: ") + std::strerror(out.error()));
    }
    return 0;
}

}  // namespace tabrix::cli
