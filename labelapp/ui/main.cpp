// labelora: prints numbered labels on A4 label sheets.
#include <QApplication>
#include <QMessageBox>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "core/batch.h"
#include "core/files/data_folder.h"
#include "tabrix.h"
#include "ui/batch_print.h"
#include "ui/japanese_font.h"
#include "ui/main_window.h"

namespace {

std::filesystem::path programFolder(const char *argv0) {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) exe = std::filesystem::absolute(argv0, ec);
    return exe.parent_path();
}

bool hasDisplay() {
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char *value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char **argv) {
    // Texts go to the library in code page 932, whatever TABRIX_CODEPAGE says.
    XlsSetCodePage(932);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (labelora::isBatchCommandLine(args))
        return labelora::runBatch(argc, argv, args, programFolder(argv[0]));
    labelora::CommandLine options = labelora::parseCommandLine(args);
    if (options.showHelp) {
        std::cout << labelora::kUsage;
        return 0;
    }
    if (!options.errors.empty()) {
        for (const auto &error : options.errors) std::cerr << "labelora: " << error << "\n";
        std::cerr << labelora::kUsage;
        return 2;
    }
    labelora::DataFolder folder = labelora::openDataFolder(options, programFolder(argv[0]));
    if (!folder.error.empty()) {
        std::cerr << "labelora: " << folder.error << "\n";
        return 1;
    }
    if (!folder.notice.empty()) std::cerr << "labelora: " << folder.notice << "\n";
    if (options.showDataFolder) {
        std::cout << folder.path.string() << "\n";
        return 0;
    }
    if (!hasDisplay()) {
        std::cerr << "labelora: no display (DISPLAY and WAYLAND_DISPLAY are not set); "
                     "start it from a desktop session or under xvfb-run.\n";
        return 1;
    }

    QApplication app(argc, argv);
    labelora::useJapaneseFont(app);
    labelora::MainWindow window(folder.path);
    window.show();
    // Said in the window too: started from a desktop menu, nobody reads standard error.
    if (!folder.notice.empty())
        QMessageBox::information(&window, "labelora", QString::fromStdString(folder.notice));
    return app.exec();
}
