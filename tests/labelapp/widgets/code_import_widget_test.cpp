// The print screen's code choice and the text lists' "Import…" button, driven through their
// widgets.
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>

#include "widget_test_support.h"

namespace labelora {

class CodeImportTest : public QObject {
    Q_OBJECT

  private:
    StartedWindow w;
    MainForm &model() { return w.window->model(); }

  private slots:
    void initTestCase() { QVERIFY(w.start()); }

    void theCodeChoiceFollowsWhatTheLabelsHaveRoomFor() {
        model().typeEdit("Edit1", "ABC");
        w.window->sync();
        w.click("cmdPrintSet");
        auto *bars = w.find<QRadioButton>("rbCode128");
        auto *qr = w.find<QRadioButton>("rbCodeQr");
        QVERIFY(bars && qr && qr->isVisible());
        QVERIFY(!bars->isEnabled());
        QVERIFY(bars->toolTip().contains("Code 128"));
        w.click("rbCodeQr");
        QCOMPARE(model().state.code, Symbology::Qr);
        QVERIFY(qr->isChecked());
        QCOMPARE(model().printStyle().code, Symbology::Qr);
        w.click("cmdBack");

        // On the 12 x 40 mm sheet Code 128 is offered, and the choice of QR is kept.
        w.click("RadioButton3");
        w.click("cmdPrintSet");
        QVERIFY(bars->isEnabled());
        QVERIFY(bars->toolTip().isEmpty());
        QVERIFY(qr->isChecked());
        w.click("rbCode128");
        QCOMPARE(model().printStyle().code, Symbology::Code128);
        w.click("cmdBack");
    }

    void importFillsTheTextListAndSaysWhatItTook() {
        w.click("RadioButton10");
        w.find<QTabBar>("TabControl1")->setCurrentIndex(2);
        QFile csv(w.filePath("samples.csv"));
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write("name,kind\n\nserum-12,x\nurine\n");
        csv.close();
        model().chooseListFile = [this] { return w.filePath("samples.csv").toStdString(); };
        w.click(importButton(groupPanels()[2]).c_str());
        auto *memo = w.find<QPlainTextEdit>("Memo10");
        QVERIFY(memo && memo->isVisible());
        QCOMPARE(memo->toPlainText(), QString("name\nserum\nurine"));
        QVERIFY2(!w.messages.isEmpty() && w.messages.last().contains("3 件") &&
                     w.messages.last().contains("1 件は切り詰め"),
                 qPrintable(w.messages.join(" | ")));
    }
};

}  // namespace labelora

QTEST_MAIN(labelora::CodeImportTest)
#include "code_import_widget_test.moc"
