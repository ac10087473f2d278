// Takes screenshots of the set-up screen on a real X server (Xvfb) and checks that they show
// something: usage  labelora_screenshot OUT.png DATA_FOLDER
// OUT.png shows the screen as it starts, OUT-tube.png the 10 x 30 mm sheet on its last tab,
// OUT-print-tube.png and OUT-print.png the print screen of that run and of a round-label run
// over two sheets, OUT-data.png the data window.
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

#include "ui/data_window.h"
#include "ui/japanese_font.h"
#include "ui/main_window.h"

namespace {

bool fail(const char *why) {
    std::fprintf(stderr, "setup screen screenshot: %s\n", why);
    return false;
}

int failed(const char *why) {
    fail(why);
    return 1;
}

// Saves what the window shows and checks that it is not blank: at least the given size and
// enough dark (text) pixels.
bool saveScreenshot(QWidget &window, const QString &out, QSize least, qint64 leastDark) {
    QTest::qWait(200);  // let the last changes paint
    QPixmap shot = window.screen()->grabWindow(window.winId());
    if (shot.isNull()) shot = window.grab();
    QDir().mkpath(QFileInfo(out).absolutePath());
    if (!shot.save(out, "PNG")) return fail("cannot write the PNG");

    // A blank or single-colour picture means nothing was drawn; text makes dark pixels.
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
    if (image.width() < least.width() || image.height() < least.height())
        return fail("the picture is too small");
    if (colours.size() < 16) return fail("the picture is blank");
    if (dark < leastDark) return fail("the picture holds no text");
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (argc != 3) return failed("usage: labelora_screenshot OUT.png DATA_FOLDER");
    QString out = QString::fromLocal8Bit(argv[1]);
    QDir shipped(QString::fromLocal8Bit(argv[2]));

    if (QFontDatabase::families(QFontDatabase::Japanese).isEmpty())
        return failed("no font with Japanese glyphs is installed");
    labelora::useJapaneseFont(app);

    QTemporaryDir folder;
    for (const char *name : {"start.txt", "DB1.txt", "DB3.txt"})
        QFile::copy(shipped.filePath(name), QDir(folder.path()).filePath(name));

    labelora::MainWindow window(folder.path().toStdString());
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return failed("the window was never shown");
    // The first layout is chosen by the one-second start-up timer.
    if (!QTest::qWaitFor([&window] { return window.model().radio("RadioButton1").checked; }, 3000))
        return failed("the start-up did not finish");
    if (!saveScreenshot(window, out, QSize(800, 500), 2000)) return 1;

    labelora::MainForm &model = window.model();
    model.clickSheetType(3);
    model.changeTab(3);
    model.typeMemo("Memo12", "ラット１\nラット２\nマウス", 2);
    window.sync();
    QString second = out;
    second.replace(".png", "-tube.png");
    if (!saveScreenshot(window, second, QSize(800, 500), 2000)) return 1;

    model.typeEdit("Edit28", "AB");
    model.typeEdit("Edit29", "冷凍庫Ａ");
    model.clickLayout(14);
    model.clickButton("cmdPrintSet");
    window.sync();
    if (model.screen != labelora::Screen::Print)
        return failed("PrintSet did not show the print screen");
    QString printTube = out;
    printTube.replace(".png", "-print-tube.png");
    if (!saveScreenshot(window, printTube, QSize(800, 500), 2000)) return 1;

    model.clickButton("cmdBack");
    model.clickSheetType(1);
    model.typeEdit("Edit1", "血清");
    model.clickListBox("ListBox2", 29);  // 30 samples
    model.clickListBox("ListBox1", 2);   // three copies: "RainBow" is offered
    model.clickButton("cmdPrintSet");
    model.clickSheetPicture(130, 329);  // position 139: the run takes two sheets
    if (model.state.pageCount != 2) return failed("the run should take two sheets");
    model.clickListBox("ListBox19", 1);
    model.clickCheckBox("CheckBox1");
    window.sync();
    QString print = out;
    print.replace(".png", "-print.png");
    if (!saveScreenshot(window, print, QSize(800, 500), 2000)) return 1;
    model.clickButton("cmdBack");

    model.clickButton("cmdData");
    window.sync();
    QWidget &data = *window.dataWindow();
    if (!QTest::qWaitForWindowExposed(&data)) return failed("the data window was never shown");
    QString third = out;
    third.replace(".png", "-data.png");
    return saveScreenshot(data, third, QSize(400, 300), 1000) ? 0 : 1;
}
