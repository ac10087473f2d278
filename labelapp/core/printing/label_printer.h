// Draws a print run on a canvas: the labels of each sheet with their shapes, colours and
// texts, sheet after sheet, and records what was printed.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/printing/canvas.h"
#include "core/codes/label_code.h"
#include "core/printing/label_texts.h"

namespace labelora {

enum class Align { Left = 0, Centre = 1, Right = 2 };

struct PrintStyle {
    Rgb text = kBlack;
    Rgb background = kWhite;  // the line colour of the framed layouts
    bool rainbow = false;     // "RainBow"
    bool frame = false;       // "枠": round labels get a white inner circle
    Align align = Align::Left;
    int offsetRight = 10, offsetDown = 10;  // offset list indexes, 10 = none
    Symbology code = Symbology::None;       // the code each label carries
};

struct PrintJob {
    LabelRun run;
    PrintStyle style;
    int startPosition = 1;
    // Lines of the print screen's preview; rectangular labels take their font size from
    // the longest of them.
    std::vector<std::string> previewLines;
};

// One entry of the record of printed labels: line 1 and line 2 (upper and lower).
struct PrintedLabel {
    std::string upper, lower;
    friend bool operator==(const PrintedLabel &, const PrintedLabel &) = default;
};

inline constexpr int kMaxPrintedLog = 1000;

// Prints the run; `betweenPages` runs after every sheet but the last (a real printer gets a
// pause there). Returns false, with nothing recorded, when the document cannot be started.
bool printRun(Canvas &canvas, const PrintJob &job, std::vector<PrintedLabel> &printedLog,
              const std::function<void()> &betweenPages = {});

// Why the labels of a run cannot carry the chosen code: a text the symbology cannot hold, or
// a label without room for the symbol.
struct CodeRefusal {
    enum class Reason { CannotEncode, NoRoom } reason;
    std::string text;  // the code text of the first label refused
};
// Checks every label of the run at the canvas's resolution; nothing when all can be printed.
std::optional<CodeRefusal> codeRefusal(const PrintJob &job, Resolution dpi);

// Font sizes in points.
int roundFontSize(const std::string &line);
int rectangleFontSize(int sheetType, int layoutType, const std::vector<std::string> &lines);

// Tops of the lines of a rectangular label, in layout units below its corner.
std::vector<int> rectangleLineTops(int sheetType, int lineCount);

}  // namespace labelora
