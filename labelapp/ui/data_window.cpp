#include "ui/data_window.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/memo_editor.h"

namespace labelora {
namespace {

QString qs(const std::string &text) {
    return QString::fromStdString(text);
}

}  // namespace

DataWindow::DataWindow(DataForm &model, QWidget *parent)
    : QWidget(parent, Qt::Window), model_(model) {
    setObjectName("frmdata");
    setWindowTitle(DataForm::kCaption);
    auto *layout = new QVBoxLayout(this);
    auto *label1 = new QLabel(DataForm::kLabel1);
    label1->setObjectName("Label1");
    auto *label2 = new QLabel(DataForm::kLabel2);
    label2->setObjectName("Label2");
    layout->addWidget(label1);
    layout->addWidget(label2);

    auto *grid = new QGridLayout;
    auto makeRadio = [this](const RadioButton &radio, bool first) {
        auto *button = new QRadioButton(qs(radio.caption));
        button->setObjectName(qs(radio.name));
        button->setAutoExclusive(false);
        connect(button, &QRadioButton::clicked, this, [this, first] {
            act([this, first] { first ? model_.checkFirstList() : model_.checkSecondList(); });
        });
        return button;
    };
    radio1_ = makeRadio(model_.radioButton1, true);
    radio2_ = makeRadio(model_.radioButton2, false);
    auto makeMemo = [this](const Memo &memo) {
        std::string name = memo.name;
        auto *editor = new MemoEditor(memo, [this, name](const std::string &text, int caretLine) {
            return model_.typeMemo(name, text, caretLine);
        });
        editor->setMinimumSize(220, 300);
        return editor;
    };
    memo1_ = makeMemo(model_.memo1);
    memo2_ = makeMemo(model_.memo2);
    grid->addWidget(radio1_, 0, 0);
    grid->addWidget(radio2_, 0, 1);
    grid->addWidget(memo1_, 1, 0);
    grid->addWidget(memo2_, 1, 1);
    layout->addLayout(grid, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *enter = new QPushButton(qs(model_.cmdEnter.caption));
    enter->setObjectName(qs(model_.cmdEnter.name));
    auto *exit = new QPushButton(qs(model_.cmdExit.caption));
    exit->setObjectName(qs(model_.cmdExit.name));
    connect(enter, &QPushButton::clicked, this, [this] { act([this] { model_.clickEnter(); }); });
    connect(exit, &QPushButton::clicked, this, [this] { act([this] { model_.exit(); }); });
    buttons->addWidget(enter);
    buttons->addWidget(exit);
    layout->addLayout(buttons);
    sync();
}

void DataWindow::act(const std::function<void()> &action) {
    action();
    sync();
    emit changed();
}

void DataWindow::sync() {
    radio1_->setChecked(model_.radioButton1.checked);
    radio2_->setChecked(model_.radioButton2.checked);
    memo1_->sync();
    memo2_->sync();
    setVisible(model_.visible);
    if (!model_.visible) {
        shownFocus_.clear();
        return;
    }
    if (model_.focus != shownFocus_) {
        shownFocus_ = model_.focus;
        (model_.focus == model_.memo1.name ? memo1_ : memo2_)->setFocus();
    }
}

void DataWindow::closeEvent(QCloseEvent *event) {
    // Closing the window is "Exit".
    if (model_.visible) act([this] { model_.exit(); });
    QWidget::closeEvent(event);
}

}  // namespace labelora
