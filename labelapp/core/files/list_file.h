// Sample names for a text list, read from a file: a CSV or text file (the first field of each
// line, UTF-8 or code page 932) or one column of a workbook, read through the library.
#pragma once

#include <string>
#include <vector>

namespace labelora {

struct ListFile {
    std::vector<std::string> entries;  // UTF-8, in file order, empty ones left out
    int skipped = 0;                   // empty lines or cells, and cells holding no value
    std::string error;                 // why nothing could be read; empty when read
};

// `spec` is a file name, or for a workbook FILE:SHEET!COLUMN (FILE:SHEET for column A); a
// workbook without them gives the first column of its first sheet.
ListFile readListFile(const std::string &spec);

// The first field of a line: up to the first comma for CSV (a quoted field may hold commas and
// doubled quotes), up to the first tab otherwise.
std::string firstField(const std::string &line, bool csv);

}  // namespace labelora
