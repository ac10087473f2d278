// The data window ("Data"): the two word lists in two memos, "Enter " and "Exit".
#pragma once

#include <QWidget>

#include "core/forms/data_form.h"

class QRadioButton;

namespace labelora {

class MemoEditor;

class DataWindow : public QWidget {
    Q_OBJECT
  public:
    DataWindow(DataForm &model, QWidget *parent);

    // Shows the model's state; shows or hides the window.
    void sync();

  signals:
    // The model changed through this window (the main window shows the result).
    void changed();

  protected:
    void closeEvent(QCloseEvent *event) override;

  private:
    void act(const std::function<void()> &action);

    DataForm &model_;
    QRadioButton *radio1_;
    QRadioButton *radio2_;
    MemoEditor *memo1_;
    MemoEditor *memo2_;
    std::string shownFocus_;
};

}  // namespace labelora
