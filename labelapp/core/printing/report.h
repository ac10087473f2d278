// "Report": an A4 record of the printed labels, 40 to a page in two columns, each with a
// swatch of the label and an empty box for notes.
#pragma once

#include <string>
#include <vector>

#include "core/printing/canvas.h"
#include "core/printing/label_printer.h"

namespace labelora {

inline constexpr int kReportEntriesPerPage = 40;
inline constexpr int kMaxReportLabels = 300;
inline constexpr const char *kReportTooLong =
    "レポートラベル数オーバー（３００以上）です。プリントできません！";
inline constexpr const char *kInsertPlainPaper = "Ａ４のコピー用紙をプリンターに入れてください。";
inline constexpr const char *kReportTitle = "ラベルプリント記録";

struct ReportJob {
    int sheetType = 1;
    std::vector<PrintedLabel> entries;  // the printed labels to list, in order
    Rgb text = kBlack;
    Rgb background = kWhite;
    bool rainbow = false;  // swatches are white then
    std::string fontFamily;
    bool fontBold = true;
    std::string printedAt;  // the time of printing, as shown after "printed in "
};

// The sheet's name in the report heading.
std::string reportSheetName(int sheetType);

// Where entry `i` (1-based, 1..40) of a page lies, in layout units.
struct ReportSlot {
    int swatchX, noteX, top, swatchWidth, noteWidth;
};
ReportSlot reportSlot(int sheetType, int i);

int reportPageCount(int entries);

// Draws the whole report; false when the document cannot be started.
bool printReport(Canvas &canvas, const ReportJob &job);

}  // namespace labelora
