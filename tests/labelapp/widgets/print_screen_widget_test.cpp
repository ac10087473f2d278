// Drives the print screen through its widgets: the sheet picture, the lists, "Print" to a PDF
// file in place of the print dialog, and the way back to the set-up screen.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "ui/japanese_font.h"
#include "ui/painter_canvas.h"
#include "ui/print_screen.h"
#include "widget_test_support.h"

namespace labelora {

class PrintScreenTest : public QObject {
    Q_OBJECT

  private:
    StartedWindow w;
    MainForm &model() { return w.window->model(); }
    QString startLine(int sheet) {
        QFile file(w.filePath("start.txt"));
        if (!file.open(QIODevice::ReadOnly)) return {};
        return QString::fromLatin1(file.readAll()).split("\r\n").value(sheet - 1);
    }

  private slots:
    void initTestCase() { QVERIFY(w.start()); }

    void printSetShowsTheSheetOfTheRun() {
        model().typeEdit("Edit1", "ABC");
        w.window->sync();
        w.click("cmdPrintSet");
        QVERIFY(w.find<QWidget>("pnlPrint")->isVisible());
        QVERIFY(w.find<QWidget>("pnlCircle")->isVisible());
        QVERIFY(!w.find<QWidget>("PnlTube")->isVisible());
        QVERIFY(w.find<QWidget>("pnl150")->isVisible());
        QVERIFY(!w.find<QCheckBox>("CheckBox2")->isVisible());
        QCOMPARE(w.find<QComboBox>("ListBox19")->currentText(), QString("White"));
        QCOMPARE(w.find<QListWidget>("ListBox20")->count(), 1);
        QStringList groups;
        for (auto *box : w.find<QWidget>("pnlPrint")->findChildren<QGroupBox *>())
            groups << box->title();
        QVERIFY2(groups.contains("オフセット"), qPrintable(groups.join(", ")));
    }

    void aClickOnTheSheetPictureChoosesTheFirstLabel() {
        auto *picture = w.find<SheetPicture>("pnlCircle");
        QVERIFY(picture);
        QTest::mouseClick(picture, Qt::LeftButton, {}, picture->labelArea(145).center());
        QCOMPARE(model().state.startPosition[0], 145);
        QCOMPARE(w.find<QListWidget>("ListBox20")->count(), 2);
        QCOMPARE(startLine(1), QString("10,10,145"));
        // Between two rows nothing is chosen.
        QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(20, 35));
        QCOMPARE(model().state.startPosition[0], 145);
    }

    void offsetAndColourListsFollowTheModel() {
        auto *down = w.find<QComboBox>("ListBox23");
        down->setCurrentIndex(8);
        emit down->activated(8);
        QCOMPARE(model().state.offsetDown[0], 8);
        QCOMPARE(startLine(1), QString("10,8,145"));
        auto *background = w.find<QComboBox>("ListBox19");
        background->setCurrentIndex(1);
        emit background->activated(1);
        QCOMPARE(model().previewBackground, (Rgb{255, 255, 0}));
        w.click("CheckBox1");
        QVERIFY(model().checkBox("CheckBox1").checked);
    }

    void printWritesThePdfAndGoesBack() {
        QString pdf = w.filePath("labels.pdf");
        model().choosePrinter = [pdf](PrintKind) -> std::unique_ptr<Canvas> {
            return pdfCanvas(pdf, japaneseFontFamily());
        };
        w.click("cmdPrint");
        QVERIFY(QFile(pdf).size() > 1000);
        QVERIFY(w.find<QWidget>("pnlMain")->isVisible());
        QVERIFY(!w.find<QWidget>("pnlPrint")->isVisible());
        QVERIFY(w.find<QPushButton>("cmdsheet")->isVisible());
        QCOMPARE(model().state.printedLog.size(), size_t(30));
        QCOMPARE(model().state.startPosition[0], 25);
        QCOMPARE(startLine(1), QString("10,8,25"));
        QCOMPARE(w.find<QLabel>("Label5")->text(), QString("0031"));
    }

    void cancellingTheDialogPrintsNothing() {
        w.click("cmdPrintSet");
        model().choosePrinter = [](PrintKind) { return std::unique_ptr<Canvas>(); };
        w.click("cmdPrint");
        QVERIFY(w.find<QWidget>("pnlPrint")->isVisible());
        QCOMPARE(model().state.startPosition[0], 25);
        w.click("cmdBack");
        QVERIFY(w.find<QWidget>("pnlMain")->isVisible());
    }

    void theTextPreviewShowsItsLinesInTheTextColour() {
        w.click("RadioButton9");
        w.click("cmdPrintSet");
        auto *memo = w.find<QPlainTextEdit>("Memo7");
        QVERIFY(memo && memo->isVisible());
        QCOMPARE(memo->palette().color(QPalette::Text), QColor(Qt::black));
        auto *text = w.find<QComboBox>("ListBox21");
        text->setCurrentIndex(1);
        emit text->activated(1);
        QCOMPARE(text->currentText(), QString("Red"));
        QCOMPARE(memo->palette().color(QPalette::Text), QColor(255, 0, 0));
        w.click("cmdBack");
    }

    void eachScreenKeepsTheWindowAtTheSizeTheUserGaveIt() {
        for (QSize size : {QSize(1040, 660), QSize(1200, 820)}) {
            w.window->resize(size);
            QTest::qWait(20);
            QCOMPARE(w.window->size(), size);
            for (int sheet = 1; sheet <= 4; ++sheet) {
                model().clickSheetType(sheet);
                w.window->sync();
                w.click("cmdPrintSet");
                QTest::qWait(20);  // layouts settle on posted events
                QVERIFY(w.find<QWidget>("pnlPrint")->isVisible());
                QCOMPARE(w.window->size(), size);
                w.click("cmdBack");
                QTest::qWait(20);
                QCOMPARE(w.window->size(), size);
            }
        }
    }
};

}  // namespace labelora

QTEST_MAIN(labelora::PrintScreenTest)
#include "print_screen_widget_test.moc"
