#include "core/export/workbook_export.h"

#include <algorithm>

#include "core/printing/print_plan.h"

namespace labelora {
namespace {

int paletteCode(const std::vector<NamedColour> &list, const std::string &name, int fallback) {
    for (const auto &colour : list)
        if (name == colour.name) return colour.palette;
    return fallback;
}

// Round labels with "枠", M layout 11 and the T layouts above 9 are bordered in their colour.
bool hasColouredBorders(const PrintedRun &run) {
    switch (run.sheetType) {
        case 1:
            return run.frame;
        case 2:
            return run.layoutType == 11;
        default:
            return run.layoutType > 9;
    }
}

class CallList {
  public:
    explicit CallList(std::vector<BookCall> &calls) : calls_(calls) {}
    void at(BookCallKind kind, int column, int row, int value) {
        calls_.push_back({kind, column, row, value, 0, 0, {}});
    }
    void text(int column, int row, const std::string &text) {
        calls_.push_back({BookCallKind::PutStr, column, row, 0, 0, 0, text});
    }
    void height(int column, int row) {
        calls_.push_back({BookCallKind::PutRowHeight, column, row, 0, kRecordRowHeight, 0, {}});
    }
    void box(int column, int row, int line) {
        for (BookCallKind side : {BookCallKind::PutLineTop, BookCallKind::PutLineBottom,
                                  BookCallKind::PutLineLeft, BookCallKind::PutLineRight})
            at(side, column, row, line);
    }

  private:
    std::vector<BookCall> &calls_;
};

}  // namespace

int layoutCode(int sheetType, int layoutType) {
    struct Code {
        int layout, code;
    };
    static const std::vector<Code> round = {{1, 1}, {2, 2},  {3, 3},   {4, 4},   {5, 5},  {6, 6},
                                            {7, 7}, {9, 51}, {10, 52}, {11, 53}, {12, 54}};
    static const std::vector<Code> rect = {{1, 10},  {2, 11},  {3, 12},  {4, 13},  {5, 14},
                                           {6, 15},  {7, 16},  {9, 17},  {10, 18}, {11, 19},
                                           {13, 55}, {14, 56}, {15, 57}, {16, 58}};
    static const std::vector<Code> tube = {{1, 20},  {2, 21},  {4, 22},  {5, 23},
                                           {6, 24},  {9, 25},  {10, 26}, {11, 27},
                                           {13, 59}, {14, 60}, {15, 61}, {16, 62}};
    const std::vector<Code> *codes = sheetType == 1                     ? &round
                                     : sheetType == 2                   ? &rect
                                     : sheetType == 3 || sheetType == 4 ? &tube
                                                                        : nullptr;
    if (!codes) return 0;
    for (const Code &code : *codes)
        if (code.layout == layoutType) return code.code;
    return 0;
}

bool isOneColumnLayout(int sheetType, int layoutType) {
    int code = layoutCode(sheetType, layoutType);
    return (code >= 17 && code <= 19) || (code >= 25 && code <= 27);
}

bool hasWorkbookRecord(int sheetType, int layoutType) {
    return layoutCode(sheetType, layoutType) != 0;
}

std::string workbookFileName(const std::string &chosen) {
    // A UTF-8 tail of four ASCII bytes is four characters, so bytes compare as characters.
    return chosen.ends_with(".xls") ? chosen : chosen + ".xls";
}

std::string workbookHeading(const std::string &date, const std::string &separator, int sheetType) {
    return "内容　(" + date + separator + labelora::sheetType(sheetType).shortName + "ラベル)";
}

std::vector<BookCall> workbookCalls(const PrintedRun &run, const std::vector<PrintedLabel> &log,
                                    const std::string &heading, const std::string &fileName) {
    const bool oneColumn = isOneColumnLayout(run.sheetType, run.layoutType);
    const int labelWidth = run.sheetType == 1 ? 5 : 10;
    const int text = paletteCode(textColours(), run.textColour, 8);
    const int background = paletteCode(backgroundColours(), run.background, 9);
    const bool coloured = hasColouredBorders(run);
    // The border takes the label's colour by its palette code, as the fill does.
    const int colouredLine = kColouredLine | background;

    std::vector<BookCall> calls;
    calls.push_back(
        {BookCallKind::CreateBook, 0, 0, kExcel97Version, 0, kWorkbookSheets, fileName});
    CallList put(calls);
    if (oneColumn) {
        put.text(0, 0, "文字");
        put.text(1, 0, heading);
    } else {
        put.text(0, 0, "上段");
        put.text(1, 0, "下段");
        put.text(2, 0, heading);
    }
    for (int column = 0; column < 3; ++column) put.box(column, 0, kPlainLine);

    // The log holds every printed copy; the record names each label of the series once.
    const int rows = std::min(run.sampleCount, static_cast<int>(log.size()));
    for (int row = 1; row <= rows; ++row) {
        const PrintedLabel &label = log[row - 1];
        put.height(0, row);
        put.at(BookCallKind::PutColWidth, 0, row, labelWidth);
        put.at(BookCallKind::PutBackColor, 0, row, background);
        put.at(BookCallKind::PutFontColor, 0, row, text);
        put.text(0, row, label.upper);
        put.height(1, row);
        put.at(BookCallKind::PutColWidth, 1, row, oneColumn ? kHeadingWidth : labelWidth);
        put.at(BookCallKind::PutBackColor, 1, row, background);
        put.at(BookCallKind::PutFontColor, 1, row, text);
        if (!oneColumn) {
            put.height(2, row);
            put.at(BookCallKind::PutColWidth, 2, row, kHeadingWidth);
        }
        put.text(1, row, label.lower);
        if (coloured) {
            put.box(0, row, colouredLine);
            if (!oneColumn) put.box(1, row, colouredLine);
        } else {
            for (int column = 0; column < 3; ++column) put.box(column, row, kPlainLine);
        }
    }
    calls.push_back({BookCallKind::CloseBook, 0, 0, 1, 0, 0, {}});
    return calls;
}

std::string workbookFailureText(const WorkbookResult &result, const std::string &fileName) {
    if (result.outcome == WorkbookOutcome::Written) return {};
    std::string text = (result.outcome == WorkbookOutcome::NotCreated ? kCannotCreateWorkbook
                                                                      : kCannotSaveWorkbook) +
                       fileName;
    if (result.errorNumber != 0 || !result.errorMessage.empty())
        text += "（" + std::to_string(result.errorNumber) + "：" + result.errorMessage + "）";
    return text;
}

}  // namespace labelora
