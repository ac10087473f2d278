#include "ui/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/data_window.h"
#include "ui/japanese_font.h"
#include "ui/memo_editor.h"
#include "ui/painter_canvas.h"
#include "ui/print_screen.h"
#include "ui/version_window.h"

namespace labelora {
namespace {

QString qs(const std::string &text) {
    return QString::fromStdString(text);
}

// Width of `chars` full-width characters in the widget's font, plus room for the frame.
int fullWidthChars(const QWidget *widget, int chars) {
    return widget->fontMetrics().horizontalAdvance(QString(chars, QChar(0x3042))) + 16;
}

}  // namespace

MainWindow::MainWindow(const std::filesystem::path &dataFolder, MessageBox showMessage,
                       QWidget *parent)
    : QMainWindow(parent), model_(dataFolder), showMessage_(std::move(showMessage)) {
    setObjectName("frmMain");
    setWindowTitle("labelora");
    if (!showMessage_) {
        showMessage_ = [](QWidget *owner, const QString &text) {
            QMessageBox::information(owner, "labelora", text);
        };
    }
    model_.onMessage = [this](const std::string &text) { showMessage_(this, qs(text)); };

    createMenus();
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->addWidget(createSetupScreen(), 1);
    layout->addWidget(createPrintScreen(), 1);
    layout->addWidget(createButtonRow());
    setCentralWidget(central);

    dataWindow_ = new DataWindow(model_.dataForm(), this);
    connect(dataWindow_, &DataWindow::changed, this, &MainWindow::sync);
    versionWindow_ = new VersionWindow(this);
    connect(versionWindow_, &QDialog::finished, this,
            [this] { act([this] { model_.closeVersion(); }); });

    choosePrinterInDialog();
    chooseWorkbookInDialog();
    chooseListFileInDialog();
    startTimers(model_.startUp());
    sync();
    resize(1040, 660);
}

MainWindow::~MainWindow() = default;

void MainWindow::act(const std::function<void()> &action) {
    if (syncing_) return;
    action();
    sync();
}

void MainWindow::startTimers(const std::vector<TimerRequest> &timers) {
    for (const TimerRequest &request : timers) {
        StartUpTimer timer = request.timer;
        QTimer::singleShot(request.milliseconds, this,
                           [this, timer] { act([this, timer] { model_.timerFired(timer); }); });
    }
}

void MainWindow::createMenus() {
    struct MenuSpec {
        const char *title;
        const std::vector<MenuChoice> *items;
    };
    for (const MenuSpec &spec :
         {MenuSpec{"数字表示", &numberDisplayMenu()}, MenuSpec{"区切り", &separatorMenu()},
          MenuSpec{"ステップ", &stepMenu()}}) {
        QMenu *menu = menuBar()->addMenu(spec.title);
        auto *group = new QActionGroup(menu);
        for (const MenuChoice &choice : *spec.items) {
            QAction *action = menu->addAction(choice.caption);
            action->setObjectName(choice.name);
            action->setCheckable(true);
            group->addAction(action);
            std::string name = choice.name;
            connect(action, &QAction::triggered, this,
                    [this, name] { act([this, name] { model_.clickMenu(name); }); });
            menuItems_[name] = action;
        }
    }
}

QWidget *MainWindow::createSetupScreen() {
    auto *screen = new QWidget;
    screen->setObjectName("pnlMain");
    panels_["pnlMain"] = screen;
    auto *columns = new QHBoxLayout(screen);
    columns->setContentsMargins(0, 0, 0, 0);

    auto *left = new QVBoxLayout;
    left->addWidget(createSheetTypeBox());

    tabBar_ = new QTabBar;
    tabBar_->setObjectName("TabControl1");
    tabBar_->setExpanding(false);
    connect(tabBar_, &QTabBar::currentChanged, this,
            [this](int index) { act([this, index] { model_.changeTab(index); }); });
    left->addWidget(tabBar_);

    // One group panel shows at a time; the stack keeps the area as tall as the tallest.
    groupStack_ = new QStackedWidget;
    groupStack_->setFrameShape(QFrame::StyledPanel);
    for (const GroupPanel &group : groupPanels()) groupStack_->addWidget(createGroupPanel(group));
    groupStack_->addWidget(new QWidget);  // shown while no group panel is
    left->addWidget(groupStack_, 1);

    columns->addLayout(left, 1);
    columns->addWidget(createCountLists());
    return screen;
}

QWidget *MainWindow::createSheetTypeBox() {
    auto *box = new QGroupBox("ラベルシート");
    auto *grid = new QGridLayout(box);
    int i = 0;
    for (const SheetType &sheet : sheetTypes()) {
        grid->addWidget(createRadio(sheet.radio), i / 2, i % 2, Qt::AlignLeft);
        ++i;
    }
    return box;
}

QRadioButton *MainWindow::createRadio(const std::string &name) {
    auto *radio = new QRadioButton(qs(model_.radio(name).caption));
    radio->setObjectName(qs(name));
    // The model decides which button is checked.
    radio->setAutoExclusive(false);
    connect(radio, &QRadioButton::clicked, this,
            [this, name] { act([this, name] { model_.clickRadio(name); }); });
    radios_[name] = radio;
    return radio;
}

QWidget *MainWindow::createGroupPanel(const GroupPanel &group) {
    auto *panel = new QWidget;
    panel->setObjectName(qs(group.name));
    panels_[group.name] = panel;
    auto *grid = new QGridLayout(panel);
    grid->setVerticalSpacing(10);
    int row = 0;
    for (const Layout &layout : layouts()) {
        if (layout.family != group.family || (layout.number - 1) / 4 != group.tab) continue;
        grid->addWidget(createRadio(layout.radio), row, 0, Qt::AlignTop);
        grid->addWidget(createSubPanel(layout), row, 1);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row, 1);

    auto *side = new QVBoxLayout;
    if (!group.dayOffsetList.empty()) {
        auto *dayBox = new QGroupBox("日付（今日＋日数）");
        auto *dayLayout = new QVBoxLayout(dayBox);
        dayLayout->addWidget(createComboList(group.dayOffsetList));
        side->addWidget(dayBox);
    }
    if (!group.textListMemo.empty()) {
        auto *listBox = new QGroupBox("→文字のリスト（１行に１ラベル）");
        auto *listLayout = new QVBoxLayout(listBox);
        MemoEditor *memo = createMemo(group.textListMemo);
        memo->setMinimumHeight(150);
        listLayout->addWidget(memo);
        auto *listButtons = new QHBoxLayout;
        listButtons->addStretch(1);
        QPushButton *import = createButton(importButton(group));
        import->setToolTip(
            "CSV・テキスト（各行の最初の項目）や Excel ブック（最初のシートの A 列）"
            "からリストを読み込みます");
        listButtons->addWidget(import);
        listButtons->addWidget(createButton(group.resetButton));
        listLayout->addLayout(listButtons);
        side->addWidget(listBox, 1);
    }
    side->addStretch(group.textListMemo.empty() ? 1 : 0);
    grid->addLayout(side, 0, 2, std::max(row, 1) + 1, 1);
    return panel;
}

QWidget *MainWindow::createSubPanel(const Layout &layout) {
    auto *frame = new QFrame;
    frame->setFrameShape(QFrame::StyledPanel);
    if (!layout.subPanel.empty()) {
        frame->setObjectName(qs(layout.subPanel));
        panels_[layout.subPanel] = frame;
    }
    auto *row = new QHBoxLayout(frame);
    row->setContentsMargins(8, 4, 8, 4);
    for (const LayoutInput &input : layout.inputs) row->addWidget(createInput(input));
    row->addStretch(1);
    return frame;
}

QWidget *MainWindow::createInput(const LayoutInput &input) {
    switch (input.kind) {
        case InputKind::Edit: {
            auto *edit = new QLineEdit;
            edit->setObjectName(qs(input.control));
            std::string name = input.control;
            connect(edit, &QLineEdit::textEdited, this, [this, name](const QString &text) {
                act([this, name, &text] { model_.typeEdit(name, text.toStdString()); });
            });
            edit->setFixedWidth(fullWidthChars(edit, std::max(input.limit, input.sheet4Limit)));
            edits_[name] = edit;
            return edit;
        }
        case InputKind::Letter:
        case InputKind::FirstWord:
        case InputKind::SecondWord: {
            QComboBox *combo = createComboList(input.control);
            if (input.kind != InputKind::Letter)
                combo->setMinimumWidth(
                    fullWidthChars(combo, input.kind == InputKind::FirstWord ? 5 : 8));
            return combo;
        }
        case InputKind::Number:
        case InputKind::Date: {
            auto *label = new QLabel;
            label->setObjectName(qs(input.control));
            label->setFrameShape(QFrame::Panel);
            label->setFrameShadow(QFrame::Sunken);
            label->setAlignment(Qt::AlignCenter);
            label->setMinimumWidth(label->fontMetrics().horizontalAdvance("00/00/00") + 16);
            QFont font = label->font();
            font.setBold(true);
            label->setFont(font);
            labels_[input.control] = label;
            return label;
        }
        case InputKind::TwoLineMemo:
        case InputKind::FixedMemo: {
            MemoEditor *memo = createMemo(input.control);
            int lines = input.kind == InputKind::TwoLineMemo ? 2 : 1;
            memo->setFixedHeight(memo->fontMetrics().lineSpacing() * lines + 14);
            memo->setFixedWidth(fullWidthChars(memo, 8));
            if (input.kind == InputKind::TwoLineMemo)
                memo->setPlaceholderText(QString("２行・各%1バイト").arg(input.limit));
            memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            return memo;
        }
        case InputKind::TextList:
            return new QLabel("→文字");
    }
    return new QWidget;
}

QComboBox *MainWindow::createComboList(const std::string &name) {
    auto *combo = new QComboBox;
    combo->setObjectName(qs(name));
    combo->setMaxVisibleItems(15);
    connect(combo, &QComboBox::activated, this, [this, name](int index) {
        act([this, name, index] { model_.clickListBox(name, index); });
    });
    combos_[name] = combo;
    return combo;
}

MemoEditor *MainWindow::createMemo(const std::string &name) {
    auto *memo =
        new MemoEditor(model_.memo(name), [this, name](const std::string &text, int caretLine) {
            return model_.typeMemo(name, text, caretLine);
        });
    connect(memo, &MemoEditor::edited, this, &MainWindow::sync);
    memos_[name] = memo;
    return memo;
}

QWidget *MainWindow::createCountLists() {
    auto *column = new QWidget;
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    struct CountSpec {
        const char *list, *caption;
        int stretch;
    };
    for (const CountSpec &spec :
         {CountSpec{"ListBox2", "試料数", 3}, CountSpec{"ListBox12", "初期値", 3},
          CountSpec{"ListBox1", "リピート数", 2}}) {
        auto *box = new QGroupBox(spec.caption);
        auto *boxLayout = new QVBoxLayout(box);
        boxLayout->addWidget(createCountList(spec.list));
        layout->addWidget(box, spec.stretch);
    }
    column->setFixedWidth(130);
    return column;
}

QListWidget *MainWindow::createCountList(const std::string &name) {
    auto *list = new QListWidget;
    list->setObjectName(qs(name));
    list->setUniformItemSizes(true);
    connect(list, &QListWidget::currentRowChanged, this,
            [this, name](int row) { act([this, name, row] { model_.clickListBox(name, row); }); });
    lists_[name] = list;
    return list;
}

QWidget *MainWindow::createPrintScreen() {
    auto *screen = new QFrame;
    screen->setObjectName("pnlPrint");
    screen->setFrameShape(QFrame::StyledPanel);
    panels_["pnlPrint"] = screen;
    auto *columns = new QHBoxLayout(screen);

    // The four sheet pictures share one place; the model shows the one of the sheet.
    auto *pictures = new QVBoxLayout;
    for (int sheet = 1; sheet <= 4; ++sheet) {
        auto *picture = new SheetPicture(model_, sheet, [this](QPoint at) {
            act([this, at] { model_.clickSheetPicture(at.x(), at.y()); });
        });
        panels_[kSheetPictures[sheet - 1]] = picture;
        printPictures_.push_back(picture);
        pictures->addWidget(picture, 0, Qt::AlignTop | Qt::AlignLeft);
    }
    auto *legend = new QLabel("灰：使用済み　赤：今回印刷　白：空き");
    pictures->addWidget(legend);
    pictures->addStretch(1);
    columns->addLayout(pictures);

    auto *pages = new QGroupBox("枚目");
    auto *pagesLayout = new QVBoxLayout(pages);
    QListWidget *pageList = createCountList(kPageList);
    pageList->setFixedSize(60, 160);
    pagesLayout->addWidget(pageList);
    columns->addWidget(pages, 0, Qt::AlignTop);

    auto *right = new QVBoxLayout;
    printTitle_ = new QLabel;
    printTitle_->setObjectName("lblPrintTitle");
    QFont font = printTitle_->font();
    font.setPointSize(font.pointSize() + 4);
    font.setBold(true);
    printTitle_->setFont(font);
    right->addWidget(printTitle_);

    auto *previews = new QHBoxLayout;
    auto *round = new LabelPreview(model_, LabelPreview::Kind::Round);
    auto *framed = new LabelPreview(model_, LabelPreview::Kind::Framed);
    panels_[kRoundPreview] = round;
    panels_[kFramedPreview] = framed;
    printPictures_.push_back(round);
    printPictures_.push_back(framed);
    auto *textPreview = new QFrame;
    textPreview->setObjectName(kTextPreview);
    panels_[kTextPreview] = textPreview;
    auto *textLayout = new QVBoxLayout(textPreview);
    textLayout->setContentsMargins(0, 0, 0, 0);
    MemoEditor *memo = createMemo(kTextPreviewMemo);
    QFont memoFont = memo->font();
    memoFont.setPointSize(14);
    memo->setFont(memoFont);
    memo->setFixedSize(300, memo->fontMetrics().lineSpacing() * 3 + 16);
    textLayout->addWidget(memo);
    previews->addWidget(round);
    previews->addWidget(framed);
    previews->addWidget(textPreview);
    previews->addStretch(1);
    right->addLayout(previews);
    right->addWidget(createPrintChoices());
    right->addStretch(1);
    columns->addLayout(right, 1);
    return screen;
}

QWidget *MainWindow::createPrintChoices() {
    auto *choices = new QWidget;
    auto *grid = new QGridLayout(choices);
    grid->setContentsMargins(0, 0, 0, 0);

    auto *colours = new QGroupBox("色");
    auto *colourGrid = new QGridLayout(colours);
    colourGrid->addWidget(new QLabel("文字の色"), 0, 0);
    colourGrid->addWidget(createComboList(kTextColourList), 0, 1);
    backgroundCaption_ = new QLabel;
    backgroundCaption_->setObjectName("Label25");
    colourGrid->addWidget(backgroundCaption_, 1, 0);
    colourGrid->addWidget(createComboList(kBackgroundList), 1, 1);
    int row = 2;
    for (const char *name : {kFrameCheck, kRainbowCheck}) {
        auto *box = new QCheckBox(qs(model_.checkBox(name).caption));
        box->setObjectName(name);
        std::string key = name;
        connect(box, &QCheckBox::clicked, this,
                [this, key] { act([this, key] { model_.clickCheckBox(key); }); });
        checkBoxes_[key] = box;
        colourGrid->addWidget(box, row++, 0, 1, 2);
    }
    grid->addWidget(colours, 0, 0);

    auto *codes = new QGroupBox("コード");
    codes->setObjectName("grpCode");
    auto *codeLayout = new QVBoxLayout(codes);
    for (const auto &code : symbologies()) codeLayout->addWidget(createRadio(code.radio));
    codeLayout->addStretch(1);
    grid->addWidget(codes, 0, 2);

    auto *align = new QGroupBox("プリント位置");
    align->setObjectName("GroupBox2");
    auto *alignLayout = new QVBoxLayout(align);
    for (const char *name : kAlignRadios) alignLayout->addWidget(createRadio(name));
    grid->addWidget(align, 0, 1);

    auto *offsets = new QGroupBox("オフセット");
    auto *offsetGrid = new QGridLayout(offsets);
    offsetGrid->addWidget(new QLabel("縦方向（＋は下）に移動"), 0, 0);
    offsetGrid->addWidget(createComboList(kOffsetDownList), 0, 1);
    offsetGrid->addWidget(new QLabel("横方向（＋は右）に移動"), 1, 0);
    offsetGrid->addWidget(createComboList(kOffsetRightList), 1, 1);
    grid->addWidget(offsets, 1, 0, 1, 3);

    QPushButton *print = createButton("cmdPrint");
    QFont font = print->font();
    font.setBold(true);
    print->setFont(font);
    print->setMinimumHeight(40);
    grid->addWidget(print, 2, 0, 1, 3);
    return choices;
}

void MainWindow::choosePrinterInDialog() {
    model_.choosePrinter = [this](PrintKind kind) -> std::unique_ptr<Canvas> {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setPageSize(QPageSize(QPageSize::A4));
        printer->setDocName(kind == PrintKind::Labels ? "labelora" : "ラベルプリント記録");
        QPrintDialog dialog(printer.get(), this);
        dialog.setWindowTitle(kind == PrintKind::Labels ? "ラベルの印刷" : "レポートの印刷");
        if (dialog.exec() != QDialog::Accepted) return nullptr;
        // A printer gets a pause after each sheet; a PDF file needs none.
        const bool toPaper = printer->outputFormat() == QPrinter::NativeFormat;
        model_.betweenPages = [toPaper] {
            if (toPaper) QThread::sleep(2);
        };
        return printerCanvas(std::move(printer), japaneseFontFamily());
    };
}

void MainWindow::chooseWorkbookInDialog() {
    model_.chooseWorkbookFile = [this]() -> std::optional<std::string> {
        QFileDialog dialog(this, "Excel ファイルに保存");
        dialog.setObjectName("SaveDialog1");
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilter(kWorkbookFilter);
        // The program asks itself, about the name it writes: ".xls" may be appended yet.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        return dialog.selectedFiles().front().toStdString();
    };
    model_.onQuestion = [this](const std::string &text) {
        return QMessageBox::warning(this, "labelora", qs(text),
                                    QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
}

void MainWindow::chooseListFileInDialog() {
    model_.chooseListFile = [this]() -> std::optional<std::string> {
        const QString file =
            QFileDialog::getOpenFileName(this, "リストの読み込み", QString(),
                                         "リスト (*.csv *.txt *.xls);;すべてのファイル (*)");
        if (file.isEmpty()) return {};
        return file.toStdString();
    };
}

QWidget *MainWindow::createButtonRow() {
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    // In the order of their places on the screen; the model decides which are shown.
    for (const char *name : {"cmdPrintSet", "cmdData", "cmdExcel", "cmdsheet", "cmdBack", "cmdEnd"})
        layout->addWidget(createButton(name));
    layout->addStretch(1);
    layout->addWidget(createButton("cmdVersion"));
    return row;
}

QPushButton *MainWindow::createButton(const std::string &name) {
    auto *button = new QPushButton(qs(model_.button(name).caption));
    button->setObjectName(qs(name));
    button->setMinimumWidth(84);
    connect(button, &QPushButton::clicked, this,
            [this, name] { act([this, name] { model_.clickButton(name); }); });
    buttons_[name] = button;
    return button;
}

void MainWindow::sync() {
    if (syncing_) return;
    syncing_ = true;
    QWidget *shownGroup = groupStack_->widget(groupStack_->count() - 1);
    // Panels are hidden before others are shown: were the set-up and print screens both shown
    // for a moment, the window would grow to hold the two and keep that size.
    for (bool shown : {false, true}) {
        for (auto &[name, widget] : panels_) {
            const Panel &panel = model_.panel(name);
            if (panel.visible != shown) continue;
            widget->setEnabled(panel.enabled);
            if (widget->parentWidget() == groupStack_) {
                if (panel.visible) shownGroup = widget;
            } else {
                widget->setVisible(panel.visible);
            }
        }
    }
    groupStack_->setCurrentWidget(shownGroup);
    for (auto &[name, radio] : radios_) {
        const RadioButton &model = model_.radio(name);
        radio->setChecked(model.checked);
        radio->setEnabled(model.enabled);
        radio->setToolTip(qs(model.toolTip));
    }
    const TabControl &tabs = model_.tabControl1;
    QStringList shown;
    for (int i = 0; i < tabBar_->count(); ++i) shown << tabBar_->tabText(i);
    QStringList wanted;
    for (const auto &caption : tabs.captions) wanted << qs(caption);
    if (shown != wanted) {
        while (tabBar_->count() > 0) tabBar_->removeTab(0);
        for (const QString &caption : wanted) tabBar_->addTab(caption);
        // A hidden tab bar does not report its new size by itself.
        tabBar_->updateGeometry();
    }
    tabBar_->setCurrentIndex(tabs.tabIndex);
    tabBar_->setVisible(tabs.visible);

    auto fill = [this](const std::string &name, auto *widget) {
        const ListBox &list = model_.listBox(name);
        if (seenRevisions_[name] != list.revision() + 1) {
            QStringList items;
            for (const auto &item : list.items()) items << qs(item);
            widget->clear();
            widget->addItems(items);
            seenRevisions_[name] = list.revision() + 1;
        }
        widget->setEnabled(list.enabled);
        return list.itemIndex();
    };
    for (auto &[name, combo] : combos_) combo->setCurrentIndex(fill(name, combo));
    for (auto &[name, list] : lists_) {
        int index = fill(name, list);
        if (list->currentRow() == index) continue;
        // Scrolled only when the selection moves, so a list the user scrolled stays put.
        list->setCurrentRow(index);
        if (index >= 0) list->scrollToItem(list->item(index), QAbstractItemView::PositionAtCenter);
    }
    for (auto &[name, edit] : edits_) {
        const EditBox &model = model_.edit(name);
        edit->setMaxLength(model.maxLength() > 0 ? model.maxLength() : 32767);
        edit->setPlaceholderText(QString("%1文字まで").arg(model.maxLength()));
        if (edit->text() != qs(model.text())) edit->setText(qs(model.text()));
    }
    for (auto &[name, memo] : memos_) memo->sync();
    // The text preview shows its lines in the chosen text colour.
    MemoEditor *textPreview = memos_.at(kTextPreviewMemo);
    QPalette palette = textPreview->palette();
    palette.setColor(QPalette::Text,
                     QColor(model_.previewText.r, model_.previewText.g, model_.previewText.b));
    textPreview->setPalette(palette);
    for (auto &[name, label] : labels_) {
        const PreviewLabel &model = model_.previewLabel(name);
        label->setText(qs(model.caption));
        label->setEnabled(model.enabled);
    }
    for (auto &[name, button] : buttons_) button->setVisible(model_.button(name).visible);
    for (auto &[name, action] : menuItems_) action->setChecked(model_.menuItem(name).checked);

    for (auto &[name, box] : checkBoxes_) {
        const CheckBox &model = model_.checkBox(name);
        box->setChecked(model.checked);
        box->setVisible(model.visible);
        box->setEnabled(model.enabled);
    }
    backgroundCaption_->setText(qs(model_.backgroundCaption));
    for (QWidget *picture : printPictures_) picture->update();

    const WorkingState &state = model_.state;
    printTitle_->setText(qs(sheetType(state.sheetType).shortName) + "　Type" +
                         QString::number(state.layoutType));
    centralWidget()->setEnabled(model_.windowEnabled);
    menuBar()->setEnabled(model_.windowEnabled);
    dataWindow_->sync();
    versionWindow_->setVisible(model_.versionOpen);
    syncing_ = false;

    if (model_.focusRequests != shownFocusRequests_) {
        shownFocusRequests_ = model_.focusRequests;
        QWidget *target = controlWidget(model_.focus);
        if (target && target->isEnabled()) target->setFocus();
    }
    if (model_.closeRequested) QTimer::singleShot(0, this, &QWidget::close);
}

QWidget *MainWindow::controlWidget(const std::string &name) const {
    auto find = [&name](const auto &map) -> QWidget * {
        auto it = map.find(name);
        return it == map.end() ? nullptr : it->second;
    };
    for (QWidget *widget : {find(edits_), find(combos_), find(memos_), find(radios_), find(lists_)})
        if (widget) return widget;
    return nullptr;
}

void MainWindow::closeEvent(QCloseEvent *event) {
    dataWindow_->close();
    versionWindow_->close();
    QMainWindow::closeEvent(event);
}

}  // namespace labelora
