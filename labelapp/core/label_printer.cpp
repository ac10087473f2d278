#include "core/label_printer.h"

#include <algorithm>

#include "core/cp932.h"
#include "core/print_plan.h"
#include "core/sheet_grid.h"

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

class LabelDrawer {
  public:
    LabelDrawer(Canvas &canvas, const PrintJob &job)
        : canvas_(canvas), job_(job), dpi_(canvas.resolution()) {}

    void draw(int pos, int n, const LabelTexts &texts) {
        const UnitRect label =
            labelRect(job_.run.sheetType, pos, job_.style.offsetRight, job_.style.offsetDown);
        drawShape(label, n);
        if (texts.lines.empty()) return;  // a blank colour label
        canvas_.setTextColour(job_.style.text);
        if (job_.run.family() == Family::C)
            drawRoundTexts(label, texts);
        else
            drawRectangleTexts(label, texts);
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
