#include "core/printing/report.h"

#include "core/printing/sheet_grid.h"

namespace labelora {
namespace {

constexpr int kRowHeight = 110;
constexpr int kHeadingSize = 10;  // points
constexpr int kEntrySize = 7;

struct ColumnWidths {
    int swatch, noteLeft, noteRight, note;
};

ColumnWidths columnWidths(int sheetType) {
    switch (sheetType) {
        case 1:
            return {110, 310, 1100, 690};
        case 4:
            return {350, 550, 1350, 450};
        default:
            return {250, 450, 1250, 550};  // the 12 x 24 mm sheet is drawn like 10 x 30
    }
}

}  // namespace

std::string reportSheetName(int sheetType) {
    switch (sheetType) {
        case 1:
            return "11mmφ１５０面";
        case 2:
            return "12mmX24mm　６０面";
        case 3:
            return "10mmX30mm　９５面";
        default:
            return "12mmX40mm　７２面";
    }
}

ReportSlot reportSlot(int sheetType, int i) {
    ColumnWidths w = columnWidths(sheetType);
    bool left = i <= 20;
    return {left ? 200 : 1000, left ? w.noteLeft : w.noteRight,
            left ? 200 + kRowHeight * i : kRowHeight * i - 2000, w.swatch, w.note};
}

int reportPageCount(int entries) {
    return (entries + kReportEntriesPerPage - 1) / kReportEntriesPerPage;
}

bool printReport(Canvas &canvas, const ReportJob &job) {
    const int entries = static_cast<int>(job.entries.size());
    const int pages = reportPageCount(entries);
    if (pages == 0 || !canvas.beginDocument(kReportTitle)) return false;
    const Resolution dpi = canvas.resolution();
    auto dx = [&](int units) { return unitsToDevice(units, dpi.x); };
    auto dy = [&](int units) { return unitsToDevice(units, dpi.y); };
    auto box = [&](int x, int y, int width) {
        return DeviceRect{dx(x), dy(y), dx(x + width), dy(y + kRowHeight)};
    };

    for (int page = 1; page <= pages; ++page) {
        canvas.setFont(job.fontFamily, kHeadingSize, job.fontBold);
        canvas.setTextColour(kBlack);
        canvas.textOut(dx(1200), dy(200), kReportTitle);
        canvas.textOut(dx(1550), dy(200), reportSheetName(job.sheetType));
        canvas.textOut(dx(1200), dy(2600), "printed in " + job.printedAt);

        canvas.setFont(job.fontFamily, kEntrySize, job.fontBold);
        for (int i = 1; i <= kReportEntriesPerPage; ++i) {
            int index = (page - 1) * kReportEntriesPerPage + i - 1;
            if (index >= entries) break;
            const PrintedLabel &entry = job.entries[index];
            const ReportSlot slot = reportSlot(job.sheetType, i);

            canvas.setPen(kGray, 1);
            canvas.setBrush(job.rainbow ? kWhite : job.background);
            DeviceRect swatch = box(slot.swatchX, slot.top, slot.swatchWidth);
            if (job.sheetType == 1)
                canvas.ellipse(swatch);
            else
                canvas.rectangle(swatch);
            canvas.setPen(kBlack, 1);
            canvas.setBrush(kWhite);
            canvas.rectangle(box(slot.noteX, slot.top, slot.noteWidth));

            canvas.setTextColour(job.text);
            if (job.sheetType == 1) {
                int centre = dx(slot.swatchX + 55);
                canvas.textOut(centre - canvas.textExtent(entry.upper).width / 2, dy(slot.top + 38),
                               entry.upper);
                canvas.textOut(centre - canvas.textExtent(entry.lower).width / 2, dy(slot.top + 76),
                               entry.lower);
            } else {
                canvas.textOut(dx(slot.swatchX + 10), dy(slot.top + 30), entry.upper);
                canvas.textOut(dx(slot.swatchX + 10), dy(slot.top + 65), entry.lower);
            }
        }
        if (page < pages) canvas.newPage();
    }
    canvas.endDocument();
    return true;
}

}  // namespace labelora
