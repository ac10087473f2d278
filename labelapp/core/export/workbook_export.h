// The workbook record of a printed run: which runs have one, the file it goes to, and the
// Book API calls that write it, one row per printed label coloured like the label. The calls
// are built as a list first, so that their order can be checked without the library;
// writeWorkbook carries them out through the Book API.
#pragma once

#include <string>
#include <vector>

#include "core/printing/label_printer.h"

namespace labelora {

inline constexpr const char *kWorkbookFilter = "Excel files (*.xls)";
inline constexpr const char *kOverwriteQuestion = "同名のファイルがあります。重ねがきしますか？";
inline constexpr const char *kCannotCreateWorkbook = "ワークブックを作成できません：";
inline constexpr const char *kCannotSaveWorkbook = "ワークブックを保存できません：";

// What a print run leaves for its record: the run as it was printed, so that a later change
// on the set-up screen does not relabel it.
struct PrintedRun {
    int sheetType = 1;
    int layoutType = 1;
    int sampleCount = 0;
    bool frame = false;                // "枠"
    std::string textColour = "Black";  // names of the print screen's colour lists
    std::string background = "White";
};

// The code of a (sheet type, layout) pair, 0 for the pairs without one.
int layoutCode(int sheetType, int layoutType);
// Layouts whose label has a single line: their record has one text column.
bool isOneColumnLayout(int sheetType, int layoutType);
// False for the layouts without a serial record (free lines and fixed texts): "Excel" does
// nothing for them.
bool hasWorkbookRecord(int sheetType, int layoutType);
// The name the workbook is written under: ".xls" is appended unless the name ends in
// exactly that (compared with case).
std::string workbookFileName(const std::string &chosen);
// "内容　(date separator sheet-nameラベル)", the text of the heading row.
std::string workbookHeading(const std::string &date, const std::string &separator, int sheetType);

enum class BookCallKind {
    CreateBook,
    PutStr,
    PutRowHeight,
    PutColWidth,
    PutBackColor,
    PutFontColor,
    PutLineTop,
    PutLineBottom,
    PutLineLeft,
    PutLineRight,
    CloseBook,
};

// One Book API call. The cell calls take the position POS2(column, row, column, row).
struct BookCall {
    BookCallKind kind;
    int column = 0, row = 0;
    int value = 0;       // width, colour code, line value; CreateBook: version; CloseBook: save
    double height = 0;   // PutRowHeight
    int sheetCount = 0;  // CreateBook
    std::string text;    // PutStr: the text; CreateBook: the file name (both UTF-8)
    friend bool operator==(const BookCall &, const BookCall &) = default;
};

inline constexpr int kExcel97Version = 2002;
inline constexpr int kWorkbookSheets = 3;
inline constexpr int kPlainLine = 0x1000000;     // thin line, automatic colour
inline constexpr int kColouredLine = 0x2000000;  // medium line; the colour in the low bits
inline constexpr int kHeadingWidth = 50;
inline constexpr double kRecordRowHeight = 20.0;

// The calls that write entries 1 to run.sampleCount of the printed log to `fileName`.
std::vector<BookCall> workbookCalls(const PrintedRun &run, const std::vector<PrintedLabel> &log,
                                    const std::string &heading, const std::string &fileName);

enum class WorkbookOutcome { Written, NotCreated, NotSaved };

struct WorkbookResult {
    WorkbookOutcome outcome = WorkbookOutcome::Written;
    int errorNumber = 0;
    std::string errorMessage;  // the Book API's message, UTF-8
};

// Carries the calls out through the Book API and stops at the first that fails; a book left
// open then is discarded, so that no half-written workbook stays behind.
WorkbookResult writeWorkbook(const std::vector<BookCall> &calls);

// What the user is told when the workbook could not be written; empty when it was.
std::string workbookFailureText(const WorkbookResult &result, const std::string &fileName);

}  // namespace labelora
