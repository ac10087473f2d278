// Drives "Excel" through its widgets after a run printed to PDF: the save dialog, the
// overwrite question both ways, and the message when the workbook cannot be made. Leaves a
// picture of the print screen with the button in the build's artifacts.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <functional>

#include "ui/japanese_font.h"
#include "ui/painter_canvas.h"
#include "widget_test_support.h"

namespace labelora {

class ExcelTest : public QObject {
    Q_OBJECT

  private:
    StartedWindow w;
    std::deque<std::function<void(QWidget *)>> answers_;

    MainForm &model() { return w.window->model(); }
    void click(const char *name) {
        auto *button = w.find<QPushButton>(name);
        QVERIFY2(button && button->isVisible(), name);
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    }
    // Answers the modal dialogs that the next click opens, one after the other.
    void answerDialogs(std::deque<std::function<void(QWidget *)>> answers) {
        answers_ = std::move(answers);
        QTimer::singleShot(10, this, &ExcelTest::answerNext);
    }
    void answerNext() {
        if (answers_.empty()) return;
        if (QWidget *dialog = QApplication::activeModalWidget()) {
            auto answer = answers_.front();
            answers_.pop_front();
            answer(dialog);
        }
        QTimer::singleShot(10, this, &ExcelTest::answerNext);
    }
    static std::function<void(QWidget *)> save(const QString &fileName) {
        return [fileName](QWidget *widget) {
            auto *dialog = qobject_cast<QFileDialog *>(widget);
            QVERIFY(dialog);
            QCOMPARE(dialog->nameFilters(), QStringList{"Excel files (*.xls)"});
            QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
            auto *name = dialog->findChild<QLineEdit *>("fileNameEdit");
            QVERIFY(name);
            name->setText(fileName);
            QTest::keyClick(name, Qt::Key_Return);
        };
    }
    static std::function<void(QWidget *)> overwrite(QMessageBox::StandardButton button) {
        return [button](QWidget *widget) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            QVERIFY(box);
            QCOMPARE(box->text(), QString("同名のファイルがあります。重ねがきしますか？"));
            QCOMPARE(box->icon(), QMessageBox::Warning);
            box->button(button)->click();
        };
    }
    QByteArray head(const QString &name) {
        QFile file(w.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.read(4) : QByteArray();
    }

  private slots:
    void initTestCase() { QVERIFY(w.start()); }

    void printedRunShowsExcelOnThePrintScreen() {
        QVERIFY(!w.find<QPushButton>("cmdExcel")->isVisible());
        model().typeEdit("Edit1", "血清");
        w.window->sync();
        click("cmdPrintSet");
        QString pdf = w.filePath("labels.pdf");
        model().choosePrinter = [pdf](PrintKind) -> std::unique_ptr<Canvas> {
            return pdfCanvas(pdf, japaneseFontFamily());
        };
        click("cmdPrint");
        QVERIFY(QFile(pdf).size() > 1000);
        click("cmdPrintSet");
        QVERIFY(w.find<QWidget>("pnlPrint")->isVisible());
        QVERIFY(w.find<QPushButton>("cmdExcel")->isVisible());
        QDir().mkpath(LABELORA_ARTIFACTS_DIR);
        QVERIFY(w.window->grab().save(QString(LABELORA_ARTIFACTS_DIR) + "/print-screen-excel.png"));
    }

    void theChosenNameGainsXls() {
        answerDialogs({save(w.filePath("labels.XLS"))});
        click("cmdExcel");
        QCOMPARE(head("labels.XLS.xls"), QByteArray("\xD0\xCF\x11\xE0"));
        QVERIFY(!QFile::exists(w.filePath("labels.XLS")));
        QVERIFY(w.messages.isEmpty());
    }

    void anExistingFileIsReplacedOnlyOnYes() {
        QFile old(w.filePath("labels.XLS.xls"));
        QVERIFY(old.open(QIODevice::WriteOnly | QIODevice::Truncate));
        old.write("old!");
        old.close();
        answerDialogs({save(w.filePath("labels.XLS")), overwrite(QMessageBox::No)});
        click("cmdExcel");
        QCOMPARE(head("labels.XLS.xls"), QByteArray("old!"));
        answerDialogs({save(w.filePath("labels.XLS.xls")), overwrite(QMessageBox::Yes)});
        click("cmdExcel");
        QCOMPARE(head("labels.XLS.xls"), QByteArray("\xD0\xCF\x11\xE0"));
        QVERIFY(answers_.empty());
    }

    void cancelWritesNothing() {
        const QStringList before = QDir(w.folder.path()).entryList(QDir::Files);
        answerDialogs({[](QWidget *dialog) { qobject_cast<QDialog *>(dialog)->reject(); }});
        click("cmdExcel");
        QVERIFY(answers_.empty());
        QCOMPARE(QDir(w.folder.path()).entryList(QDir::Files), before);
    }

    void aFolderThatCannotBeWrittenIsReported() {
        const QString target = w.filePath("missing/record.xls");
        answerDialogs({save(target)});
        click("cmdExcel");
        QCOMPARE(w.messages.size(), 1);
        QVERIFY2(w.messages[0].startsWith("ワークブックを作成できません：" + target + "（"),
                 qPrintable(w.messages[0]));
    }
};

}  // namespace labelora

QTEST_MAIN(labelora::ExcelTest)
#include "excel_widget_test.moc"
