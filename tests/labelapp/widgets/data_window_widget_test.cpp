// Opens the data window from the main window, edits a list and sees it reloaded.
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "ui/data_window.h"
#include "widget_test_support.h"

namespace labelora {

QByteArray readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class DataWindowTest : public QObject {
    Q_OBJECT

  private:
    StartedWindow w;
    DataWindow *data() { return w.window->dataWindow(); }
    template <typename Widget>
    Widget *inData(const char *name) {
        return data()->findChild<Widget *>(name);
    }

  private slots:
    void initTestCase() { QVERIFY(w.start()); }

    void dataOpensWithBothListsAndDisablesTheMainWindow() {
        QVERIFY(!data()->isVisible());
        QTest::mouseClick(w.find<QPushButton>("cmdData"), Qt::LeftButton);
        QVERIFY(data()->isVisible());
        QCOMPARE(data()->windowTitle(), QString("Data"));
        QVERIFY(!w.window->centralWidget()->isEnabled());
        QCOMPARE(inData<QLabel>("Label1")->text(),
                 QString("それぞれのデータベースに変更を行ってください。"));
        QCOMPARE(inData<QLabel>("Label2")->text(),
                 QString("Ｅｎｔｅｒ　をクリックしますと該当するデータが更新されます。"));
        QCOMPARE(inData<QPushButton>("cmdEnter")->text(), QString("Enter "));
        auto *memo1 = inData<QPlainTextEdit>("Memo1");
        QVERIFY(memo1->toPlainText().startsWith("血清\n血漿\n"));
        QVERIFY(memo1->isEnabled());
        QVERIFY(!inData<QPlainTextEdit>("Memo2")->isEnabled());
    }

    void typingCutsTheLineAndEnterWritesTheCheckedList() {
        auto *memo1 = inData<QPlainTextEdit>("Memo1");
        memo1->setFocus();
        QTextCursor cursor = memo1->textCursor();
        cursor.movePosition(QTextCursor::Start);
        memo1->setTextCursor(cursor);
        typeText(memo1, "新AB");  // 新AB血清: eight bytes, fits
        QCOMPARE(memo1->toPlainText().section("\n", 0, 0), QString("新AB血清"));
        typeText(memo1, "C");  // nine bytes: cut to eight, without splitting 清
        QCOMPARE(memo1->toPlainText().section("\n", 0, 0), QString("新ABC血"));
        QCOMPARE(QString::fromStdString(w.window->model().dataForm().memo1.text()),
                 memo1->toPlainText());

        auto *db2 = inData<QRadioButton>("RadioButton2");
        QTest::mouseClick(db2, Qt::LeftButton, {}, QPoint(8, db2->height() / 2));
        QVERIFY(inData<QPlainTextEdit>("Memo2")->isEnabled());
        QVERIFY(!memo1->isEnabled());
        auto *memo2 = inData<QPlainTextEdit>("Memo2");
        memo2->setFocus();
        memo2->selectAll();
        typeText(memo2, "棚Ａ");
        QByteArray db1Before = readFile(w.filePath("DB1.txt"));
        QTest::mouseClick(inData<QPushButton>("cmdEnter"), Qt::LeftButton);
        QCOMPARE(readFile(w.filePath("DB3.txt")), QByteArray("\x92\x49\x82\x60\r\n"));
        QCOMPARE(readFile(w.filePath("DB1.txt")), db1Before);
    }

    void exitReloadsEveryWordListBox() {
        QTest::mouseClick(inData<QPushButton>("cmdExit"), Qt::LeftButton);
        QVERIFY(!data()->isVisible());
        QVERIFY(w.window->centralWidget()->isEnabled());
        for (const auto &name : secondWordLists()) {
            auto *combo = w.find<QComboBox>(name.c_str());
            QVERIFY2(combo, name.c_str());
            QCOMPARE(comboItems(combo), QStringList{"棚Ａ"});
            QCOMPARE(combo->currentText(), QString("棚Ａ"));
        }
        // DB1 was typed in but never entered: the boxes still show the file.
        QCOMPARE(w.find<QComboBox>("ListBox11")->currentText(), QString("血清"));
    }

    void closingTheWindowIsExit() {
        QTest::mouseClick(w.find<QPushButton>("cmdData"), Qt::LeftButton);
        QVERIFY(data()->isVisible());
        QCOMPARE(inData<QPlainTextEdit>("Memo2")->toPlainText(), QString("棚Ａ"));
        QFile file(w.filePath("DB3.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\x8D\xD7\x96\x45\r\n");  // 細胞 written by someone else
        file.close();
        data()->close();
        QVERIFY(!data()->isVisible());
        QVERIFY(w.window->centralWidget()->isEnabled());
        QCOMPARE(w.find<QComboBox>("ListBox37")->currentText(), QString("細胞"));
    }
};

}  // namespace labelora

QTEST_MAIN(labelora::DataWindowTest)
#include "data_window_widget_test.moc"
