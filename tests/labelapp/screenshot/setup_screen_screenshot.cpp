// Takes a screenshot of the set-up screen on a real X server (Xvfb) and checks that it
// shows something: usage  labelora_screenshot OUT.png DATA_FOLDER
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "ui/japanese_font.h"
#include "ui/main_window.h"

namespace {

int fail(const char *why) {
    std::fprintf(stderr, "setup screen screenshot: %s\n", why);
    return 1;
}

}  // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (argc != 3) return fail("usage: labelora_screenshot OUT.png DATA_FOLDER");
    QString out = QString::fromLocal8Bit(argv[1]);
    QDir shipped(QString::fromLocal8Bit(argv[2]));

    if (QFontDatabase::families(QFontDatabase::Japanese).isEmpty())
        return fail("no font with Japanese glyphs is installed");
    labelora::useJapaneseFont(app);

    QTemporaryDir folder;
    for (const char *name : {"start.txt", "DB1.txt", "DB3.txt"})
        QFile::copy(shipped.filePath(name), QDir(folder.path()).filePath(name));

    labelora::MainWindow window(folder.path().toStdString());
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return fail("the window was never shown");
    // The first layout is chosen by the one-second start-up timer.
    QTest::qWait(1300);
    if (window.model().state.layoutType != 1) return fail("the start-up did not finish");

    QPixmap shot = window.screen()->grabWindow(window.winId());
    if (shot.isNull()) shot = window.grab();
    QDir().mkpath(QFileInfo(out).absolutePath());
    if (!shot.save(out, "PNG")) return fail("cannot write the PNG");

    // A blank or single-colour picture means nothing was drawn.
    QImage image = shot.toImage().convertToFormat(QImage::Format_RGB32);
    QSet<QRgb> colours;
    qint64 dark = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            QRgb pixel = image.pixel(x, y);
            colours.insert(pixel);
            if (qGray(pixel) < 96) ++dark;
        }
    }
    std::printf("%s: %dx%d, %lld colours, %lld dark pixels\n", qPrintable(out), image.width(),
                image.height(), static_cast<long long>(colours.size()),
                static_cast<long long>(dark));
    if (image.width() < 600 || image.height() < 400) return fail("the picture is too small");
    if (colours.size() < 16) return fail("the picture is blank");
    if (dark < 2000) return fail("the picture holds no text");
    return 0;
}
