#include "ui/batch_print.h"

#include <QGuiApplication>
#include <cstdlib>
#include <iostream>

#include "core/batch.h"
#include "core/printing/report.h"
#include "ui/japanese_font.h"
#include "ui/painter_canvas.h"

namespace labelora {

int runBatch(int argc, char **argv, const std::vector<std::string> &args,
             const std::string &programFolder) {
    for (const auto &arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::cout << kBatchUsage;
            return 0;
        }
    }
    BatchOptions options = parseBatchOptions(args);
    if (!options.errors.empty()) {
        for (const auto &error : options.errors) std::cerr << "labelora: " << error << "\n";
        std::cerr << kBatchUsage;
        return 2;
    }
    // No window is opened, so no display is needed.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    const QString family = japaneseFontFamily();

    DataFolder folder = openDataFolder(options.folder, programFolder);
    if (!folder.error.empty()) {
        std::cerr << "labelora: " << folder.error << "\n";
        return 1;
    }
    if (!folder.notice.empty()) std::cerr << "labelora: " << folder.notice << "\n";
    MainForm form(folder.path);
    std::vector<std::string> messages;
    form.onMessage = [&messages](const std::string &text) {
        messages.push_back(text);
        std::cerr << "labelora: " << text << "\n";
    };
    for (const TimerRequest &timer : form.startUp()) form.timerFired(timer.timer);

    std::vector<std::string> notes;
    std::vector<std::string> errors = prepareBatchRun(form, options, &notes);
    if (!errors.empty()) {
        for (const auto &error : errors) std::cerr << "labelora: " << error << "\n";
        return 1;
    }
    for (const auto &note : notes) std::cout << note << "\n";

    const int sheet = form.state.sheetType;
    const int start = form.state.startPosition[sheet - 1];
    const int labels = form.state.sampleCount * form.state.repeatCount;
    const int pages = form.state.pageCount;
    form.choosePrinter = [&](PrintKind) -> std::unique_ptr<Canvas> {
        return pdfCanvas(QString::fromStdString(options.pdf.string()), family);
    };
    form.clickButton("cmdPrint");
    if (!form.state.printedFlag) {
        std::cerr << "labelora: nothing was printed to " << options.pdf.string() << "\n";
        return 1;
    }
    std::cout << "printed " << labels << " labels on " << pages << " sheet(s) from position "
              << start << " to " << options.pdf.string() << "\n"
              << nextRunSummary(form) << "\n";
    // The labels are printed, but a start file left behind would reuse them next time.
    for (const std::string &text : messages) {
        if (text.rfind(kCannotWriteStartFile, 0) == 0) return 1;
    }

    if (!options.reportPdf.empty()) {
        size_t before = messages.size();
        bool drawn = false;
        form.choosePrinter = [&](PrintKind) -> std::unique_ptr<Canvas> {
            drawn = true;
            return pdfCanvas(QString::fromStdString(options.reportPdf.string()), family);
        };
        form.clickButton("cmdsheet");
        bool refused = false;
        for (size_t i = before; i < messages.size(); ++i)
            refused = refused || messages[i] != kInsertPlainPaper;
        if (!drawn || refused) return 1;
        std::cout << "report to " << options.reportPdf.string() << "\n";
    }
    if (!options.workbook.empty()) {
        const std::string workbook = workbookFileName(options.workbook);
        // A failure has been told on standard error, with the library's reason.
        if (!form.exportWorkbook(workbook)) return 1;
        std::cout << "workbook to " << workbook << "\n";
    }
    return 0;
}

}  // namespace labelora
