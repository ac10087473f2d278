// The main window: the set-up screen (sheet types, layout tabs and group panels, counts)
// and the print screen, bound to the MainForm model.
#pragma once

#include <QMainWindow>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/forms/main_form.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTabBar;
class QGridLayout;

namespace labelora {

class DataWindow;
class MemoEditor;
class VersionWindow;

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    using MessageBox = std::function<void(QWidget *parent, const QString &text)>;

    // `showMessage` shows the program's modal messages (a QMessageBox unless replaced).
    explicit MainWindow(const std::filesystem::path &dataFolder, MessageBox showMessage = {},
                        QWidget *parent = nullptr);
    ~MainWindow() override;

    MainForm &model() { return model_; }
    DataWindow *dataWindow() { return dataWindow_; }

    // Shows the model's state in every widget.
    void sync();

  protected:
    void closeEvent(QCloseEvent *event) override;

  private:
    void createMenus();
    QWidget *createSetupScreen();
    QWidget *createSheetTypeBox();
    QWidget *createGroupPanel(const GroupPanel &group);
    QWidget *createSubPanel(const Layout &layout);
    QWidget *createInput(const LayoutInput &input);
    QWidget *createCountLists();
    QWidget *createPrintScreen();
    QWidget *createPrintChoices();
    void choosePrinterInDialog();
    void chooseWorkbookInDialog();
    void chooseListFileInDialog();
    QWidget *createButtonRow();
    QRadioButton *createRadio(const std::string &name);
    QComboBox *createComboList(const std::string &name);
    QListWidget *createCountList(const std::string &name);
    MemoEditor *createMemo(const std::string &name);
    QPushButton *createButton(const std::string &name);
    QWidget *controlWidget(const std::string &name) const;
    void startTimers(const std::vector<TimerRequest> &timers);
    // Runs a model action and shows the result.
    void act(const std::function<void()> &action);

    MainForm model_;
    MessageBox showMessage_;
    bool syncing_ = false;
    unsigned shownFocusRequests_ = 0;

    QTabBar *tabBar_ = nullptr;
    QStackedWidget *groupStack_ = nullptr;
    QLabel *printTitle_ = nullptr;
    QLabel *backgroundCaption_ = nullptr;
    std::vector<QWidget *> printPictures_;  // sheet pictures and previews, redrawn on sync
    std::map<std::string, QCheckBox *> checkBoxes_;
    DataWindow *dataWindow_ = nullptr;
    VersionWindow *versionWindow_ = nullptr;
    std::map<std::string, QComboBox *> combos_;
    std::map<std::string, QListWidget *> lists_;
    std::map<std::string, QLineEdit *> edits_;
    std::map<std::string, MemoEditor *> memos_;
    std::map<std::string, QLabel *> labels_;
    std::map<std::string, QRadioButton *> radios_;
    std::map<std::string, QWidget *> panels_;
    std::map<std::string, QPushButton *> buttons_;
    std::map<std::string, QAction *> menuItems_;
    std::map<std::string, unsigned> seenRevisions_;
};

}  // namespace labelora
