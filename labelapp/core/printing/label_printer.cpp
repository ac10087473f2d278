#include "core/printing/label_printer.h"

#include <algorithm>
#include <cmath>
#include <variant>

#include "core/codes/code_placement.h"
#include "core/files/cp932.h"
#include "core/printing/print_plan.h"
#include "core/printing/sheet_grid.h"

namespace labelora {
namespace {

constexpr int kShapePen = 5;
constexpr int kFramePen = 15;
constexpr int kFrameCorner = 25;
constexpr int kUpperLineLift = 10;  // device pixels between the upper line and the centre
constexpr int kLeftMargin = 30;     // layout units from the label's left edge

struct Placement {
    int centreOffset, rightOffset;
};

Placement rectanglePlacement(int sheetType) {
    switch (sheetType) {
        case 2:
            return {130, 230};
        case 3:
            return {160, 290};
        default:
            return {210, 390};
    }
}

struct PlacedCode {
    CodeSymbol symbol;
    CodePlacement place;
};

// The code of one label with text, placed on it, or why it cannot be.
std::variant<PlacedCode, CodeRefusal> placeLabelCode(const PrintJob &job, const UnitRect &label,
                                                     const LabelTexts &texts, Resolution dpi) {
    const std::string text = codeText(texts.line(0), texts.line(1));
    std::optional<CodeSymbol> symbol = encodeCode(job.style.code, text);
    if (!symbol) return CodeRefusal{CodeRefusal::Reason::CannotEncode, text};
    const Family family = job.run.family();
    std::optional<int> framePen;
    if (isFramedLayout(family, job.run.layoutType)) framePen = kFramePen;
    std::optional<CodePlacement> place =
        placeCode(family == Family::C, codeContentBox(label, framePen, dpi), dpi, *symbol);
    if (!place) return CodeRefusal{CodeRefusal::Reason::NoRoom, text};
    return PlacedCode{std::move(*symbol), *place};
}

class LabelDrawer {
  public:
    LabelDrawer(Canvas &canvas, const PrintJob &job)
        : canvas_(canvas), job_(job), dpi_(canvas.resolution()) {}

    void draw(int pos, int n, const LabelTexts &texts) {
        const UnitRect label =
            labelRect(job_.run.sheetType, pos, job_.style.offsetRight, job_.style.offsetDown);
        drawShape(label, n);
        if (texts.lines.empty()) return;  // a blank colour label
        std::optional<PlacedCode> code;
        if (job_.style.code != Symbology::None) {
            auto placed = placeLabelCode(job_, label, texts, dpi_);
            // A run is checked before it prints; a label refused all the same keeps its texts.
            if (auto *p = std::get_if<PlacedCode>(&placed)) code = std::move(*p);
        }
        canvas_.setTextColour(job_.style.text);
        if (code && job_.run.family() == Family::C)
            drawRoundTextsAroundCode(texts, code->place);
        else if (job_.run.family() == Family::C)
            drawRoundTexts(label, texts);
        else if (code)
            drawRectangleTextsBesideCode(label, texts, code->place, code->symbol.isLinear());
        else
            drawRectangleTexts(label, texts);
        if (code) drawCode(*code);
    }

  private:
    int dx(int units) const { return unitsToDevice(units, dpi_.x); }
    int dy(int units) const { return unitsToDevice(units, dpi_.y); }
    DeviceRect device(const UnitRect &r) const {
        return {dx(r.x), dy(r.y), dx(r.right()), dy(r.bottom())};
    }

    void drawShape(const UnitRect &label, int n) {
        const LabelRun &run = job_.run;
        const PrintStyle &style = job_.style;
        const Family family = run.family();
        const bool framed = isFramedLayout(family, run.layoutType);
        Rgb fill = style.background;
        if (style.rainbow)
            fill = isBlankLayout(run) ? rainbowByGroup(n, run.sampleCount)
                                      : rainbowByCopy(n, run.repeatCount);
        canvas_.setPen(style.background, kShapePen);
        canvas_.setBrush(fill);
        // Framed labels show their frame on the bare label.
        if (family == Family::C)
            canvas_.ellipse(device(label));
        else if (!framed)
            canvas_.rectangle(device(label));

        if (family == Family::C && style.frame) {
            canvas_.setPen(kWhite, kShapePen);
            canvas_.setBrush(kWhite);
            canvas_.ellipse(device(insetBox(label)));
        }
        if (framed) {
            Rgb line = family == Family::T && style.rainbow ? fill : style.background;
            canvas_.setPen(line, kFramePen);
            canvas_.setNoBrush();
            canvas_.roundRect(device(insetBox(label)), kFrameCorner, kFrameCorner);
        }
    }

    void drawRoundTexts(const UnitRect &label, const LabelTexts &texts) {
        const int layout = job_.run.layoutType;
        const std::string upper = texts.line(0), lower = texts.line(1);
        const UnitPoint centre = roundLabelCentre(label);
        const int cx = dx(centre.x), cy = dy(centre.y);

        int size = roundFontSize(upper);
        canvas_.setFont("", size, false);
        TextSize extent = canvas_.textExtent(upper);
        int bottom = layout == 1 || layout == 4 || layout == 5 ? cy : cy - kUpperLineLift;
        canvas_.textOut(cx - extent.width / 2, bottom - extent.height, upper);

        if (layout >= 8) canvas_.setFont("", roundFontSize(lower), false);
        extent = canvas_.textExtent(lower);
        canvas_.textOut(cx - extent.width / 2, cy, lower);
    }

    void drawRectangleTexts(const UnitRect &label, const LabelTexts &texts) {
        const LabelRun &run = job_.run;
        canvas_.setFont("", rectangleFontSize(run.sheetType, run.layoutType, job_.previewLines),
                        false);
        const Placement place = rectanglePlacement(run.sheetType);
        std::vector<int> tops =
            rectangleLineTops(run.sheetType, static_cast<int>(texts.lines.size()));
        for (size_t i = 0; i < tops.size(); ++i) {
            const std::string &line = texts.lines[i];
            int x = dx(label.x + kLeftMargin);
            if (job_.style.align == Align::Centre)
                x = dx(label.x + place.centreOffset) - canvas_.textExtent(line).width / 2;
            else if (job_.style.align == Align::Right)
                x = dx(label.x + place.rightOffset) - canvas_.textExtent(line).width;
            canvas_.textOut(x, dy(label.y + tops[i]), line);
        }
    }

    // The font size, from `size` down to the smallest type, at which every line is at most
    // `maxWidth` wide and one em at most `maxHeight` high.
    int shrinkToFit(int size, const std::vector<std::string> &lines, int maxWidth, int maxHeight) {
        for (;; --size) {
            canvas_.setFont("", size, false);
            if (size <= kMinTextPoints) return size;
            int widest = 0, em = 0;
            for (const auto &line : lines) {
                TextSize extent = canvas_.textExtent(line);
                widest = std::max(widest, extent.width);
                em = std::max(em, extent.height);
            }
            if (widest <= maxWidth && em <= maxHeight) return size;
        }
    }

    // Round labels: the upper line above the code, the lower line below it, each as large as
    // the circle leaves room for at its height.
    void drawRoundTextsAroundCode(const LabelTexts &texts, const CodePlacement &code) {
        const DeviceRect &circle = code.textArea;
        const double radius = (circle.right - circle.left) / 2.0;
        const int cx = (circle.left + circle.right) / 2, cy = (circle.top + circle.bottom) / 2;
        for (int i = 0; i < 2; ++i) {
            const std::string line = texts.line(static_cast<size_t>(i));
            TextSize extent{0, 0};
            for (int size = roundFontSize(line);; --size) {
                canvas_.setFont("", size, false);
                extent = canvas_.textExtent(line);
                const double far = i == 0 ? cy - (code.quietBox.top - extent.height)
                                          : code.quietBox.bottom + extent.height - cy;
                const double half = far < radius ? std::sqrt(radius * radius - far * far) : 0;
                if (size <= kMinTextPoints || extent.width <= 2 * half) break;
            }
            const int top = i == 0 ? code.quietBox.top - extent.height : code.quietBox.bottom;
            canvas_.textOut(cx - extent.width / 2, top, line);
        }
    }

    // Rectangular labels: beside a 2-D code the lines keep their heights and end before the
    // code; above Code 128 they keep their places across and stack in the upper half.
    void drawRectangleTextsBesideCode(const UnitRect &label, const LabelTexts &texts,
                                      const CodePlacement &code, bool linear) {
        const LabelRun &run = job_.run;
        const Placement place = rectanglePlacement(run.sheetType);
        const int size = rectangleFontSize(run.sheetType, run.layoutType, job_.previewLines);
        const int left = dx(label.x + kLeftMargin);
        const int lineCount = static_cast<int>(texts.lines.size());
        const int right =
            linear ? dx(label.x + place.rightOffset) : code.textArea.right - dx(kCodeMarginUnits);
        std::vector<int> tops;
        if (linear) {
            const int room = code.textArea.bottom - code.textArea.top;
            shrinkToFit(size, texts.lines, right - left, room / lineCount);
            const int em = canvas_.textExtent(texts.lines.front()).height;
            const int first = code.textArea.top + (room - lineCount * em) / 2;
            for (int i = 0; i < lineCount; ++i) tops.push_back(first + i * em);
        } else {
            shrinkToFit(size, texts.lines, right - left, code.textArea.bottom - code.textArea.top);
            for (int top : rectangleLineTops(run.sheetType, lineCount))
                tops.push_back(dy(label.y + top));
        }
        for (size_t i = 0; i < tops.size(); ++i) {
            const std::string &line = texts.lines[i];
            const int width = canvas_.textExtent(line).width;
            int x = left;
            if (job_.style.align == Align::Centre)
                x = linear ? dx(label.x + place.centreOffset) - width / 2
                           : (left + right) / 2 - width / 2;
            else if (job_.style.align == Align::Right)
                x = right - width;
            canvas_.textOut(x, tops[i], line);
        }
    }

    // Dark modules on a light quiet zone, whatever the label's colours, as scanners need.
    void drawCode(const PlacedCode &code) {
        const CodePlacement &place = code.place;
        canvas_.fillRectangle(place.quietBox, kWhite);
        for (const ModuleRun &run : code.symbol.dark)
            canvas_.fillRectangle(
                {place.left + run.x * place.moduleWidth, place.top + run.y * place.moduleHeight,
                 place.left + (run.x + run.width) * place.moduleWidth,
                 place.top + (run.y + run.height) * place.moduleHeight},
                kBlack);
    }

    Canvas &canvas_;
    const PrintJob &job_;
    Resolution dpi_;
};

int longestLine(const std::vector<std::string> &lines) {
    int longest = 0;
    for (const auto &line : lines) longest = std::max(longest, cp932Length(line));
    return longest;
}

}  // namespace

int roundFontSize(const std::string &line) {
    return cp932Length(line) == 5 ? 8 : 9;
}

int rectangleFontSize(int sheetType, int layoutType, const std::vector<std::string> &lines) {
    const int bytes = longestLine(lines);
    if (sheetType == 2) {
        if (isFramedLayout(Family::M, layoutType)) return 8;
        if (layoutType >= 17) return 12;
        return bytes <= 3 ? 12 : bytes <= 6 ? 10 : bytes <= 9 ? 8 : 6;
    }
    if (sheetType == 3 && lines.size() >= 3) return 6;
    if (isFramedLayout(Family::T, layoutType)) return bytes <= 9 ? 14 : bytes <= 13 ? 12 : 10;
    return bytes <= 3 ? 18 : bytes <= 6 ? 12 : bytes <= 12 ? 8 : 6;
}

std::vector<int> rectangleLineTops(int sheetType, int lineCount) {
    if (lineCount <= 1) return {sheetType == 3 ? 45 : 55};
    if (lineCount == 2) return {30, 60};
    if (sheetType == 3) return {20, 45, 70};
    return {25, 55, 85};
}

std::optional<CodeRefusal> codeRefusal(const PrintJob &job, Resolution dpi) {
    if (job.style.code == Symbology::None) return std::nullopt;
    // Every label of the run lies on the same grid, so the first position stands for all.
    const UnitRect label =
        labelRect(job.run.sheetType, 1, job.style.offsetRight, job.style.offsetDown);
    for (int k = 0; k < job.run.sampleCount; ++k) {
        LabelTexts texts = labelTexts(job.run, k);
        if (texts.lines.empty()) continue;
        auto placed = placeLabelCode(job, label, texts, dpi);
        if (auto *refusal = std::get_if<CodeRefusal>(&placed)) return *refusal;
    }
    return std::nullopt;
}

bool printRun(Canvas &canvas, const PrintJob &job, std::vector<PrintedLabel> &printedLog,
              const std::function<void()> &betweenPages) {
    printedLog.clear();
    const int capacity = sheetGeometry(job.run.sheetType).capacity();
    std::vector<PageSpan> spans = pageSpans(job.startPosition, job.run.runLength(), capacity);
    if (spans.empty() || !canvas.beginDocument("labelora")) return false;
    LabelDrawer drawer(canvas, job);
    for (const PageSpan &span : spans) {
        for (int pos = span.firstPosition; pos <= span.lastPosition; ++pos) {
            int n = labelsBefore(pos, span.page, job.startPosition, capacity);
            LabelTexts texts = labelTexts(job.run, seriesIndex(n, job.run.repeatCount));
            drawer.draw(pos, n, texts);
            if (static_cast<int>(printedLog.size()) < kMaxPrintedLog)
                printedLog.push_back({texts.line(0), texts.line(1)});
        }
        if (span.page < static_cast<int>(spans.size())) {
            if (betweenPages) betweenPages();
            canvas.newPage();
        }
    }
    canvas.endDocument();
    return true;
}

}  // namespace labelora
