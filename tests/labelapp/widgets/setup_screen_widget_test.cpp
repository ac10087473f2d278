// Clicks through the set-up screen and checks the model and the widgets agree.
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>

#include "widget_test_support.h"

namespace labelora {

class SetupScreenTest : public QObject {
    Q_OBJECT

  private:
    StartedWindow w;
    MainForm &model() { return w.window->model(); }

    void click(const char *name) {
        auto *widget = w.find<QAbstractButton>(name);
        QVERIFY2(widget, name);
        // Radio buttons take clicks on their indicator and caption only.
        QPoint where = qobject_cast<QRadioButton *>(widget) ? QPoint(8, widget->height() / 2)
                                                            : widget->rect().center();
        QTest::mouseClick(widget, Qt::LeftButton, {}, where);
    }
    void clickTab(int index) {
        auto *tabs = w.find<QTabBar>("TabControl1");
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
    }
    bool shows(const char *panel) {
        auto *widget = w.find<QWidget>(panel);
        return widget && widget->isVisible();
    }

  private slots:
    void initTestCase() { QVERIFY(w.start()); }

    void startsOnTheRoundSheetWithTheFirstLayout() {
        QVERIFY(w.find<QRadioButton>("RadioButton10")->isChecked());
        QCOMPARE(w.find<QRadioButton>("RadioButton10")->text(),
                 QString("円形１１ｍｍφ（１５０面）"));
        QVERIFY(!w.find<QRadioButton>("RadioButton2")->isEnabled());
        QCOMPARE(w.find<QTabBar>("TabControl1")->count(), 3);
        QVERIFY(shows("PnlCType1"));
        QVERIFY(w.find<QRadioButton>("RadioButton1")->isChecked());
        QCOMPARE(w.find<QLabel>("Label5")->text(), QString("0001"));
        QCOMPARE(w.find<QListWidget>("ListBox2")->currentItem()->text(), QString("30"));
        QCOMPARE(w.find<QListWidget>("ListBox12")->count(), 9999);
        QCOMPARE(w.find<QListWidget>("ListBox1")->count(), 5);
        QCOMPARE(comboItems(w.find<QComboBox>("ListBox4")).size(), 26);
        QCOMPARE(w.find<QComboBox>("ListBox27")->currentText(), QString("0"));
        QVERIFY(w.find<QLineEdit>("Edit1")->hasFocus());
    }

    void sheetTypesSwitchFamilies() {
        click("RadioButton9");
        QCOMPARE(model().state.sheetType, 3);
        QCOMPARE(w.find<QTabBar>("TabControl1")->count(), 4);
        QCOMPARE(w.find<QTabBar>("TabControl1")->tabText(3), QString("Type13-16"));
        QVERIFY(shows("pnlTtype1"));
        QVERIFY(!shows("PnlCType1"));
        QVERIFY(w.find<QRadioButton>("RadioButton28")->isChecked());
        QVERIFY(!w.find<QRadioButton>("RadioButton10")->isChecked());
        QCOMPARE(w.find<QLineEdit>("Edit11")->maxLength(), 4);

        click("RadioButton3");
        QCOMPARE(model().state.sheetType, 4);
        QCOMPARE(w.find<QLineEdit>("Edit11")->maxLength(), 6);
        QCOMPARE(w.find<QLineEdit>("Edit20")->maxLength(), 10);

        // The 12 x 24 mm sheet cannot be chosen.
        click("RadioButton2");
        QCOMPARE(model().state.sheetType, 4);
    }

    void tabsAndLayoutsSetDigits() {
        clickTab(2);
        QCOMPARE(model().state.layoutTab, 2);
        QCOMPARE(model().state.layoutType, 9);
        QVERIFY(shows("pnlTType3"));
        QCOMPARE(w.find<QListWidget>("ListBox12")->count(), 999);

        click("RadioButton42");  // T layout 11: three digits, a word from the first list
        QCOMPARE(model().state.layoutType, 11);
        QVERIFY(w.find<QWidget>("Panel29")->isEnabled());
        QVERIFY(!w.find<QWidget>("Panel35")->isEnabled());
        QCOMPARE(w.find<QComboBox>("ListBox24")->currentText(), QString("血清"));

        clickTab(0);
        QCOMPARE(model().state.layoutType, 1);
        QCOMPARE(w.find<QListWidget>("ListBox12")->count(), 9999);
        QVERIFY(shows("pnlTtype1"));
    }

    void everyLayoutOfEveryChoosableSheet() {
        for (const char *sheetRadio : {"RadioButton10", "RadioButton9", "RadioButton3"}) {
            click(sheetRadio);
            const Family family = model().family();
            auto *tabs = w.find<QTabBar>("TabControl1");
            for (int tab = 0; tab < tabs->count(); ++tab) {
                clickTab(tab);
                QCOMPARE(model().state.layoutTab, tab);
                const GroupPanel *group = findGroupPanel(family, tab);
                QVERIFY(group);
                QVERIFY2(shows(group->name.c_str()), group->name.c_str());
                for (const Layout &layout : layouts()) {
                    if (layout.family != family || (layout.number - 1) / 4 != tab) continue;
                    click(layout.radio.c_str());
                    QCOMPARE(model().state.layoutType, layout.number);
                    QVERIFY(w.find<QRadioButton>(layout.radio.c_str())->isChecked());
                    if (!layout.subPanel.empty())
                        QVERIFY(w.find<QWidget>(layout.subPanel.c_str())->isEnabled());
                    if (layout.digitMode != kKeepDigitMode) {
                        QCOMPARE(model().state.digitMode, layout.digitMode);
                        const int last[] = {9999, 999, 99};
                        QCOMPARE(w.find<QListWidget>("ListBox12")->count(), last[layout.digitMode]);
                    }
                }
            }
        }
    }

    void startNumberListTrimsWithTheDigits() {
        click("RadioButton10");
        QCOMPARE(w.find<QTabBar>("TabControl1")->count(), 3);
        w.find<QListWidget>("ListBox12")->setCurrentRow(1233);
        QCOMPARE(model().state.startNumber, 1234);
        QCOMPARE(w.find<QLabel>("Label5")->text(), QString("1234"));
        click("RadioButton5");  // C layout 2: three digits
        QCOMPARE(model().state.startNumber, 234);
        QCOMPARE(w.find<QListWidget>("ListBox12")->count(), 999);
        QCOMPARE(w.find<QListWidget>("ListBox12")->currentItem()->text(), QString("234"));
        QCOMPARE(w.find<QLabel>("Label9")->text(), QString("234"));
        click("RadioButton11");  // C layout 3: two digits
        QCOMPARE(w.find<QListWidget>("ListBox12")->currentItem()->text(), QString("34"));
        QCOMPARE(w.find<QLabel>("Label12")->text(), QString("34"));
    }

    void menusChangeTheNumbering() {
        auto *plain = w.window->findChild<QAction *>("mnuPlain");
        QVERIFY(plain);
        plain->trigger();
        QVERIFY(model().state.plainNumbers);
        QCOMPARE(w.find<QLabel>("Label5")->text(), QString("34"));
        w.window->findChild<QAction *>("mnuPadded")->trigger();
        QCOMPARE(w.find<QLabel>("Label5")->text(), QString("0034"));
        w.window->findChild<QAction *>("mnuStep5")->trigger();
        QCOMPARE(model().state.numberStep, 5);
        QVERIFY(w.window->findChild<QAction *>("mnuStep5")->isChecked());
        QVERIFY(!w.window->findChild<QAction *>("mnuStep1")->isChecked());
        w.window->findChild<QAction *>("mnuHyphen")->trigger();
        QCOMPARE(model().state.separator, std::string("-"));
    }

    void dayOffsetListsMoveTogether() {
        clickTab(0);
        auto *days = w.find<QComboBox>("ListBox27");
        days->setFocus();
        QTest::keyClick(days, Qt::Key_Down);
        QCOMPARE(model().state.dayOffset, 1);
        clickTab(1);
        QCOMPARE(w.find<QComboBox>("ListBox28")->currentText(), QString("1"));
        QCOMPARE(w.find<QLabel>("Label13")->text(),
                 QString::fromStdString(model().previewLabel("Label13").caption));
    }

    void editsAndMemosKeepTheirLimits() {
        clickTab(0);
        click("RadioButton1");
        auto *edit = w.find<QLineEdit>("Edit1");
        edit->clear();
        QTest::keyClicks(edit, "ABCDEFG");
        QCOMPARE(edit->text(), QString("ABCDE"));
        QCOMPARE(model().edit("Edit1").text(), std::string("ABCDE"));

        clickTab(1);
        click("RadioButton14");  // C layout 8: two free lines, blank labels allowed
        QCOMPARE(w.find<QListWidget>("ListBox1")->count(), 7);
        auto *memo = w.find<QPlainTextEdit>("Memo2");
        memo->setFocus();
        QTest::keyClicks(memo, "ABCDEFG");
        QCOMPARE(memo->toPlainText(), QString("ABCDE"));
        QCOMPARE(w.find<QListWidget>("ListBox1")->count(), 5);
        QTest::keyClick(memo, Qt::Key_Return);
        QTest::keyClicks(memo, "xy");
        QTest::keyClick(memo, Qt::Key_Return);  // a third line is undone
        QCOMPARE(memo->toPlainText(), QString("ABCDE\nxy"));
        QCOMPARE(model().memo("Memo2").text(), std::string("ABCDE\nxy"));
    }

    void printSetAndBack() {
        click("cmdPrintSet");
        QVERIFY(shows("pnlPrint"));
        QVERIFY(!shows("pnlMain"));
        QVERIFY(w.find<QPushButton>("cmdBack")->isVisible());
        QVERIFY(!w.find<QPushButton>("cmdPrintSet")->isVisible());
        click("cmdBack");
        QVERIFY(shows("pnlMain"));
        QVERIFY(shows("pnlCType2"));
        QVERIFY(w.find<QRadioButton>("RadioButton14")->isChecked());
        QVERIFY(w.messages.isEmpty());
    }

    void versionWindowDisablesTheMainWindow() {
        click("cmdVersion");
        QVERIFY(!w.window->centralWidget()->isEnabled());
        auto *version = w.window->findChild<QDialog *>("frmVersion");
        QVERIFY(version && version->isVisible());
        QTest::mouseClick(version->findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
        QVERIFY(w.window->centralWidget()->isEnabled());
        QVERIFY(!version->isVisible());
    }

    void endClosesTheWindow() {
        click("cmdEnd");
        QTRY_VERIFY(!w.window->isVisible());
    }
};

}  // namespace labelora

QTEST_MAIN(labelora::SetupScreenTest)
#include "setup_screen_widget_test.moc"
