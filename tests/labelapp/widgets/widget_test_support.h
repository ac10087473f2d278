// Shared by the widget tests: a data folder with the shipped files and a started window.
#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "ui/main_window.h"

namespace labelora {

struct StartedWindow {
    QTemporaryDir folder;
    QStringList messages;
    std::unique_ptr<MainWindow> window;

    // Copies the shipped start and list files, opens the window and waits for the
    // one-second start-up timer to choose the first layout.
    bool start() {
        QDir shipped(LABELORA_DATA_DIR);
        for (const char *name : {"start.txt", "DB1.txt", "DB3.txt"})
            if (!QFile::copy(shipped.filePath(name), filePath(name))) return false;
        window = std::make_unique<MainWindow>(
            folder.path().toStdString(),
            [this](QWidget *, const QString &text) { messages << text; });
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) return false;
        return QTest::qWaitFor([this] { return window->model().radio("RadioButton1").checked; },
                               3000);
    }

    QString filePath(const QString &name) const { return QDir(folder.path()).filePath(name); }

    template <typename Widget>
    Widget *find(const char *name) const {
        return window->centralWidget()->findChild<Widget *>(name);
    }

    // Clicks a button of the window by its object name; the test fails without one.
    void click(const char *name) const {
        auto *button = find<QAbstractButton>(name);
        QVERIFY2(button, name);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }
};

// Types text the way an input method commits it, one character at a time.
inline void typeText(QWidget *widget, const QString &text) {
    for (QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), {});
}

inline QStringList comboItems(const QComboBox *combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
}

}  // namespace labelora
