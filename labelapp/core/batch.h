// The batch mode: one print run described on the command line, carried out on the same
// model as the window (start file, word lists, "PrintSet", "Print", "Report").
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/files/data_folder.h"
#include "core/forms/main_form.h"

namespace labelora {

struct BatchOptions {
    CommandLine folder;  // --data-dir, --user-data
    std::filesystem::path pdf, reportPdf;
    std::string workbook;    // --xls, as given (".xls" is appended as in the window)
    bool overwrite = false;  // an existing workbook may be replaced
    int sheet = 1, layout = 1;
    std::optional<std::string> text, second;  // the layout's first and second edit box
    std::vector<std::string> letters;         // --letter, once per letter list of the layout
    std::optional<std::string> firstWord, secondWord;
    std::vector<std::string> memoLines;  // --memo, at most two
    std::vector<std::string> listEntries;
    std::string listFile;             // --list-file: the text list from a file
    std::optional<std::string> code;  // --code: none, datamatrix, qr, code128
    std::optional<int> count, startNumber, repeat, step, dayOffset, startPosition;
    bool plainNumbers = false;
    std::optional<std::string> separator;  // blank, hyphen, two-blanks
    std::optional<std::string> textColour, background;
    bool rainbow = false, frame = false;
    std::optional<std::string> align;               // left, centre, right
    std::optional<double> offsetRight, offsetDown;  // millimetres, -5 .. 5 in 0.5 steps
    std::vector<std::string> errors;
};

inline constexpr const char *kBatchUsage =
    "usage: labelora --batch --pdf FILE [options]\n"
    "  prints one run to a PDF file without opening a window; reads and updates start.txt\n"
    "  --data-dir DIR | --user-data   where start.txt, DB1.txt and DB3.txt live\n"
    "  --create-data-dir              make the --data-dir folder when it does not exist\n"
    "  --sheet 1..4                   1 round 11 mm, 2 12x24 mm, 3 10x30 mm, 4 12x40 mm\n"
    "  --layout N                     the layout (Type N) of the sheet's family\n"
    "  --text T, --second T           the layout's first and second text box\n"
    "  --letter L                     a letter list, once for each list of the layout\n"
    "  --word1 W, --word2 W           a word of DB1.txt / DB3.txt\n"
    "  --memo LINE                    a line of the two-line memo (twice for both)\n"
    "  --list ENTRY                   an entry of the text list (repeat for each)\n"
    "  --list-file FILE               the text list from a CSV or text file (first field of\n"
    "                                 each line) or a workbook (FILE:SHEET!COLUMN, else the\n"
    "                                 first column of the first sheet)\n"
    "  --count N --start N --repeat N --step 1|2|3|5|10 --plain\n"
    "  --separator blank|hyphen|two-blanks --day-offset DAYS\n"
    "  --start-position N             first free label on the sheet\n"
    "  --text-colour NAME --background NAME --rainbow --frame --align left|centre|right\n"
    "  --code none|datamatrix|qr|code128   a code of each label's text (default none)\n"
    "  --offset-right MM --offset-down MM   -5 .. 5 in steps of 0.5 (saved in start.txt)\n"
    "  --report FILE                  also print the report of the run to this PDF file\n"
    "  --xls FILE                     also write the record of the run to this workbook\n"
    "                                 (\".xls\" is added unless FILE ends in it)\n"
    "  --overwrite                    replace that workbook when it exists\n";

BatchOptions parseBatchOptions(const std::vector<std::string> &args);

// Sets the form up as the options say and goes to the print screen; returns what could not
// be done (an empty list when the run is ready to print). `form` must be started. What was
// done along the way worth telling (the count of a --list-file) goes to `notes`.
std::vector<std::string> prepareBatchRun(MainForm &form, const BatchOptions &options,
                                         std::vector<std::string> *notes = nullptr);

// Where the next run of the sheet and layout starts after a print: "next start position P,
// next start number N", then the letters the layout's letter lists stand on ("next letter A",
// "next letters C, Z").
std::string nextRunSummary(const MainForm &form);

// True when the command line asks for the batch mode: "--batch" anywhere in it.
bool isBatchCommandLine(const std::vector<std::string> &args);

}  // namespace labelora
