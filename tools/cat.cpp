// tabrix cat: the values of a sheet as CSV or TSV in UTF-8, walked cell by cell through the
// Book API's sequential reader.
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <memory>
#include <string>
#include <vector>

#include "cli.h"
#include "csv.h"
#include "tabrix.h"
#include "text.h"

namespace tabrix::cli {

namespace {

constexpr const char *kHelp =
    "usage: tabrix cat FILE [--sheet N|NAME] [--format csv|tsv] [--all-sheets]\n"
    "Writes the values of a sheet (the first, or N counted from 1, or the one named NAME) as\n"
    "RFC 4180 CSV, or TSV, in UTF-8 to standard output: numbers in the shortest form that\n"
    "reads back the same, booleans and errors as TRUE, FALSE, #DIV/0! and so on, formulas as\n"
    "their stored results. --all-sheets writes every sheet, each after a line \"# NAME\".\n";

// Cells in the file's order; texts in one arena.
struct Cell {
    uint32_t row;
    uint32_t column;
    bool number;
    double value;
    size_t text_start;
    size_t text_size;
};

constexpr int32_t kWalkText = 1;
constexpr int32_t kWalkNumber = 2;
constexpr size_t kFlushAt = 1 << 20;
constexpr int32_t kCellQueryText = 3;  // XM_GetCellData: a boolean or an error value

// The walk pads a BOOLERR cell's text with blanks to 5 or 7 characters; a text cell may hold
// the same characters.
bool padded_value_text(std::u16string_view text) {
    static constexpr std::array<std::u16string_view, 7> kPadded = {
        u"TRUE ", u"#NULL! ", u"#REF!  ", u"#NAME? ", u"#NUM!  ", u"#N/A   ", u"FALSE"};
    return std::find(kPadded.begin(), kPadded.end(), text) != kPadded.end();
}

class SheetDump {
  public:
    SheetDump(std::u16string file, char delimiter, Progress &progress)
        : file_(std::move(file)), delimiter_(delimiter), progress_(progress) {}
    ~SheetDump() {
        if (engine_ >= 0) XM_ReadClose(engine_);
    }

    void dump(int32_t sheet, std::string &out) {
        collect(sheet);
        write(out);
    }

  private:
    void collect(int32_t sheet) {
        cells_.clear();
        texts_.clear();
        sorted_ = true;
        XlsSheetNo(sheet);
        int32_t x = 0, y = 0, xf = 0, kind = 0;
        double number = 0;
        size_t walked = 0;
        for (int32_t position = 0;;) {
            text_[0] = u'\0';
            const int32_t next = XlsGetReadBinW(position, &x, &y, &xf, &kind, &number, text_.data(),
                                                static_cast<int32_t>(text_.size()));
            if (next <= 1) break;  // the sheet's end, its drawing objects, or no sheet
            position = next;
            if ((++walked & 0xFFFF) == 0) progress_.update(static_cast<uint64_t>(position));
            if (kind != kWalkText && kind != kWalkNumber) continue;
            if (x < 0 || y < 0) continue;
            Cell cell{static_cast<uint32_t>(y),
                      static_cast<uint32_t>(x),
                      kind == kWalkNumber,
                      number,
                      texts_.size(),
                      0};
            if (kind == kWalkText) {
                std::u16string_view text(text_.data());
                if (padded_value_text(text) && is_value_cell(sheet, x, y)) {
                    text = text.substr(0, text.find_last_not_of(u' ') + 1);
                }
                append_utf16_as_utf8(texts_, text);
                cell.text_size = texts_.size() - cell.text_start;
            }
            if (!cells_.empty() && before(cell, cells_.back())) sorted_ = false;
            cells_.push_back(cell);
        }
    }

    static bool before(const Cell &a, const Cell &b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    }

    // Whether the cell is a boolean or error value (asked of a second, engine-level reader of
    // the same file, opened the first time it is needed).
    bool is_value_cell(int32_t sheet, int32_t x, int32_t y) {
        if (engine_ == kNotOpened) engine_ = XM_ReadOpenW(file_.c_str());
        if (engine_ < 0) return true;
        return XM_GetCellDataW(engine_, sheet, x, y, nullptr, nullptr, nullptr, 0, nullptr) ==
               kCellQueryText;
    }

    void write(std::string &out) {
        // Stable: of two cells at one place, the later in the file wins.
        if (!sorted_) std::stable_sort(cells_.begin(), cells_.end(), before);
        uint32_t width = 0;
        for (const Cell &cell : cells_) width = std::max(width, cell.column + 1);
        uint32_t row = 0;
        uint32_t column = 0;  // fields written in the current row
        for (size_t i = 0; i < cells_.size(); ++i) {
            const Cell &cell = cells_[i];
            if (i + 1 < cells_.size() && cells_[i + 1].row == cell.row &&
                cells_[i + 1].column == cell.column) {
                continue;
            }
            for (; row < cell.row; ++row) end_row(out, column, width);
            for (; column < cell.column; ++column) next_field(out, column);
            next_field(out, column);
            if (cell.number) {
                append_number(out, cell.value);
            } else {
                append_field(out, std::string_view(texts_).substr(cell.text_start, cell.text_size),
                             delimiter_);
            }
            ++column;
        }
        if (!cells_.empty()) end_row(out, column, width);
    }

    void next_field(std::string &out, uint32_t column) {
        if (column > 0) out += delimiter_;
    }

    // Every row has the sheet's width of fields.
    void end_row(std::string &out, uint32_t &column, uint32_t width) {
        for (; column < width; ++column) next_field(out, column);
        out += "\r\n";
        column = 0;
        if (out.size() > kFlushAt) flush(out);
    }

  public:
    static void flush(std::string &out) {
        std::fwrite(out.data(), 1, out.size(), stdout);
        out.clear();
    }

  private:
    static constexpr int32_t kNotOpened = -1000;
    std::u16string file_;
    char delimiter_;
    Progress &progress_;
    int32_t engine_ = kNotOpened;
    std::array<char16_t, 32768 + 1> text_{};
    std::vector<Cell> cells_;
    std::string texts_;
    bool sorted_ = true;
};

std::vector<std::string> sheet_names() {
    std::vector<std::string> names;
    const int32_t count = XlsGetSheetCount();
    for (int32_t s = 0; s < count; ++s) {
        char16_t name[64] = {};
        XlsGetSheetNameW(s, name, 64);
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
            if (format != "csv" && format != "tsv") return fail("cat", "--format is csv or tsv");
            delimiter = format == "csv" ? ',' : '\t';
        } else if (arg == "--all-sheets") {
            all_sheets = true;
        } else if (arg.starts_with("--") || !file.empty()) {
            return fail("cat", "unknown or incomplete argument \"" + std::string(arg) + "\"");
        } else {
            file = arg;
        }
    }
    if (file.empty()) return fail("cat", "FILE expected");
    if (all_sheets && !sheet_choice.empty()) {
        return fail("cat", "--sheet and --all-sheets exclude each other");
    }
    std::string reason;
    std::u16string name;
    if (!readable_file(file, reason)) return fail("cat", reason);
    if (!wide_name(file, name)) return fail("cat", "the file name is not UTF-8");
    int32_t book = 0;
    if (!XlsReadBookW(name.c_str(), &book)) {
        return fail("cat", std::string(file) + ": " + last_error_message());
    }
    const std::vector<std::string> names = sheet_names();
    int32_t first = 0, last = static_cast<int32_t>(names.size()) - 1;
    if (!sheet_choice.empty()) {
        first = last = chosen_sheet(sheet_choice, names);
        if (first < 0) {
            XlsCloseBook(0);
            return fail("cat",
                        std::string(file) + ": no sheet \"" + std::string(sheet_choice) + "\"");
        }
    } else if (!all_sheets) {
        last = std::min(last, 0);
    }

    struct stat info {};
    const std::string path(file);
    stat(path.c_str(), &info);
    Progress progress("tabrix cat: " + path, static_cast<uint64_t>(info.st_size));
    auto dump = std::make_unique<SheetDump>(name, delimiter, progress);
    std::string out;
    for (int32_t s = first; s <= last; ++s) {
        if (all_sheets) {
            out += "# ";
            out += names[static_cast<size_t>(s)];
            out += "\r\n";
        }
        dump->dump(s, out);
    }
    SheetDump::flush(out);
    XlsCloseBook(0);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        return fail("cat", "standard output cannot be written");
    }
    return 0;
}

}  // namespace tabrix::cli
