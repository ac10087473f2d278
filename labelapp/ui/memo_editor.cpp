#include "ui/memo_editor.h"

#include <QTextBlock>

namespace labelora {

MemoEditor::MemoEditor(const Memo &memo, TypeHandler onTyped, QWidget *parent)
    : QPlainTextEdit(parent), memo_(memo), onTyped_(std::move(onTyped)) {
    setObjectName(QString::fromStdString(memo.name));
    setReadOnly(memo.readOnly);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    connect(this, &QPlainTextEdit::textChanged, this, &MemoEditor::textWasChanged);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        if (!updating_) lastPosition_ = textCursor().position();
    });
    sync();
}

void MemoEditor::sync() {
    setEnabled(memo_.enabled);
    // The limits change with the sheet, so the hint follows them.
    if (memo_.maxLines > 0)
        setPlaceholderText(
            QString("%1行・各%2バイト").arg(memo_.maxLines).arg(memo_.lineByteLimit));
    if (memo_.revision() != seenRevision_) showModelText(textCursor().position());
}

void MemoEditor::showModelText(int caretPosition) {
    updating_ = true;
    setPlainText(QString::fromStdString(memo_.text()));
    QTextCursor cursor = textCursor();
    cursor.setPosition(std::clamp(caretPosition, 0, static_cast<int>(toPlainText().size())));
    setTextCursor(cursor);
    seenRevision_ = memo_.revision();
    lastPosition_ = cursor.position();
    updating_ = false;
}

void MemoEditor::textWasChanged() {
    if (updating_) return;
    int caretLine = textCursor().blockNumber();
    MemoEdit result = onTyped_(toPlainText().toStdString(), caretLine);
    if (result == MemoEdit::Rejected) {
        // The edit is undone at once, together with the undo history.
        showModelText(lastPosition_);
    } else if (result == MemoEdit::Cut) {
        int end = 0;
        showModelText(0);
        QTextBlock block = document()->findBlockByNumber(caretLine);
        if (block.isValid()) end = block.position() + block.length() - 1;
        QTextCursor cursor = textCursor();
        cursor.setPosition(end);
        setTextCursor(cursor);
        lastPosition_ = end;
    } else {
        seenRevision_ = memo_.revision();
        lastPosition_ = textCursor().position();
    }
    emit edited();
}

}  // namespace labelora
