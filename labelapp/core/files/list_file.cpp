#include "core/files/list_file.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "core/files/cp932.h"
#include "core/files/text_file.h"
#include "tabrix.h"

namespace labelora {
namespace {

constexpr std::string_view kCompoundFileMagic = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr std::string_view kZipMagic = "PK\x03\x04";
constexpr int kMaxColumns = 256;  // A..IV, the columns of an Excel 97 sheet

struct Spec {
    std::string file;
    std::string sheet;  // empty: the first sheet
    int column = 0;
    std::string error;
};

bool isBlank(const std::string &text) {
    for (char c : text)
        if (c != ' ' && c != '\t') return false;
    return true;
}

std::optional<int> columnIndex(const std::string &letters) {
    if (letters.empty() || letters.size() > 2) return std::nullopt;
    int index = 0;
    for (char c : letters) {
        if (!std::isalpha(static_cast<unsigned char>(c))) return std::nullopt;
        index = index * 26 + (std::toupper(static_cast<unsigned char>(c)) - 'A' + 1);
    }
    if (index > kMaxColumns) return std::nullopt;
    return index - 1;
}

// A name that is no file may be FILE:SHEET!COLUMN; sheet names hold no ':', so the last one
// ends the file name.
Spec parseSpec(const std::string &spec) {
    std::error_code ec;
    size_t colon = spec.rfind(':');
    if (std::filesystem::exists(spec, ec) || colon == std::string::npos || colon == 0)
        return {spec, "", 0, ""};
    Spec parsed{spec.substr(0, colon), spec.substr(colon + 1), 0, ""};
    if (size_t bang = parsed.sheet.rfind('!'); bang != std::string::npos) {
        std::optional<int> column = columnIndex(parsed.sheet.substr(bang + 1));
        if (!column) parsed.error = "no column " + parsed.sheet.substr(bang + 1) + " (A..IV)";
        parsed.column = column.value_or(0);
        parsed.sheet.resize(bang);
    }
    return parsed;
}

std::string numberText(double value) {
    if (std::floor(value) == value && std::fabs(value) < 1e15)
        return std::to_string(static_cast<long long>(value));
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

ListFile readTextList(const std::string &bytes, bool csv) {
    ListFile list;
    for (const std::string &line : splitLines(decodeFileText(bytes))) {
        std::string entry = firstField(line, csv);
        if (isBlank(entry))
            ++list.skipped;
        else
            list.entries.push_back(std::move(entry));
    }
    return list;
}

std::optional<int> findSheet(int32_t book, const std::string &name) {
    const int32_t count = XM_GetSheetCount(book);
    for (int32_t s = 0; s < count; ++s) {
        char16_t buffer[32] = {};
        if (XM_GetSheetNameW(book, s, buffer) == 0 && utf16ToUtf8(buffer) == name) return s;
    }
    return std::nullopt;
}

ListFile readWorkbookColumn(const Spec &spec) {
    ListFile list;
    std::optional<std::u16string> file = utf8ToUtf16(spec.file);
    const int32_t book = file ? XM_ReadOpenW(file->c_str()) : -9;
    if (book < 0) {
        list.error = spec.file + " cannot be read as an Excel 95/97 workbook";
        return list;
    }
    std::optional<int> sheet =
        spec.sheet.empty() ? std::optional<int>(0) : findSheet(book, spec.sheet);
    int32_t columns = 0, rows = 0;
    if (!sheet) {
        list.error = spec.file + " has no sheet " + spec.sheet;
    } else if (XM_GetMaxData(book, *sheet, &columns, &rows) != 0) {
        list.error = spec.file + " does not say how far its sheet goes";
    } else {
        std::u16string text(32768, u'\0');
        for (int32_t y = 0; y < rows; ++y) {
            int32_t integer = 0;
            double value = 0;
            const int32_t kind =
                XM_GetCellDataW(book, *sheet, spec.column, y, &integer, &value, text.data(),
                                static_cast<int32_t>(text.size()), nullptr);
            std::string entry;
            if (kind == 1)
                entry = std::to_string(integer);
            else if (kind == 2)
                entry = numberText(value);
            else if (kind == 4)
                entry = utf16ToUtf8(text.c_str());
            if (isBlank(entry))
                ++list.skipped;
            else
                list.entries.push_back(std::move(entry));
        }
    }
    XM_ReadClose(book);
    return list;
}

}  // namespace

std::string firstField(const std::string &line, bool csv) {
    if (!csv) return line.substr(0, line.find('\t'));
    if (line.empty() || line[0] != '"') return line.substr(0, line.find(','));
    std::string field;
    for (size_t i = 1; i < line.size(); ++i) {
        if (line[i] != '"') {
            field += line[i];
        } else if (i + 1 < line.size() && line[i + 1] == '"') {
            field += '"';
            ++i;
        } else {
            break;
        }
    }
    return field;
}

ListFile readListFile(const std::string &specText) {
    Spec spec = parseSpec(specText);
    if (!spec.error.empty()) return {{}, 0, spec.error};
    std::optional<std::string> bytes = readFileBytes(spec.file);
    if (!bytes) return {{}, 0, spec.file + " cannot be read"};
    if (bytes->starts_with(kCompoundFileMagic)) return readWorkbookColumn(spec);
    if (bytes->starts_with(kZipMagic))
        return {{}, 0, spec.file + " is an .xlsx workbook; save it as Excel 97-2003 (.xls)"};
    if (spec.file != specText)
        return {{}, 0, spec.file + " is no workbook: a sheet and column name workbooks only"};
    std::string extension = std::filesystem::path(spec.file).extension().string();
    for (char &c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return readTextList(*bytes, extension == ".csv");
}

}  // namespace labelora
