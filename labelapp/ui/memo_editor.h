// A plain-text editor bound to a model memo: every edit goes through the memo's rules
// (line count, byte limit of the caret's line) and the editor shows what the memo keeps.
#pragma once

#include <QPlainTextEdit>
#include <functional>
#include <string>

#include "core/forms/controls.h"

namespace labelora {

class MemoEditor : public QPlainTextEdit {
    Q_OBJECT
  public:
    using TypeHandler = std::function<MemoEdit(const std::string &text, int caretLine)>;

    MemoEditor(const Memo &memo, TypeHandler onTyped, QWidget *parent = nullptr);

    // Shows the model's text when the model changed it, and its enabled state.
    void sync();

  signals:
    void edited();

  private:
    void textWasChanged();
    void showModelText(int caretPosition);

    const Memo &memo_;
    TypeHandler onTyped_;
    unsigned seenRevision_ = ~0u;
    int lastPosition_ = 0;
    bool updating_ = false;
};

}  // namespace labelora
