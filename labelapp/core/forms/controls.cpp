#include "core/forms/controls.h"

#include "core/files/cp932.h"

namespace labelora {

void ListBox::setItems(std::vector<std::string> items) {
    items_ = std::move(items);
    itemIndex_ = -1;
    ++revision_;
}

void ListBox::setItemIndex(int index) {
    itemIndex_ = index >= 0 && index < count() ? index : -1;
}

std::string ListBox::selectedText() const {
    return itemIndex_ >= 0 ? items_[itemIndex_] : "";
}

void EditBox::setText(const std::string &text) {
    text_ = maxLength_ > 0 ? cutToChars(text, maxLength_) : text;
}

void EditBox::setMaxLength(int maxLength) {
    maxLength_ = maxLength;
    setText(text_);
}

void Memo::setText(const std::string &text) {
    text_ = text;
    ++revision_;
}

void Memo::setLines(const std::vector<std::string> &lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\n" : "") + lines[i];
    setText(text);
}

std::vector<std::string> Memo::lines() const {
    std::vector<std::string> result;
    if (text_.empty()) return result;
    size_t start = 0;
    for (;;) {
        size_t nl = text_.find('\n', start);
        result.push_back(text_.substr(start, nl == std::string::npos ? nl : nl - start));
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    return result;
}

MemoEdit Memo::edit(const std::string &text, int caretLine) {
    if (readOnly) {
        ++revision_;
        return MemoEdit::Rejected;
    }
    std::string previous = text_;
    text_ = text;
    std::vector<std::string> parts = lines();
    if (maxLines > 0 && static_cast<int>(parts.size()) > maxLines) {
        text_ = previous;
        ++revision_;
        return MemoEdit::Rejected;
    }
    if (lineByteLimit > 0 && caretLine >= 0 && caretLine < static_cast<int>(parts.size()) &&
        cp932Length(parts[caretLine]) > lineByteLimit) {
        parts[caretLine] = cutToCp932Bytes(parts[caretLine], lineByteLimit);
        setLines(parts);
        return MemoEdit::Cut;
    }
    return MemoEdit::Accepted;
}

}  // namespace labelora
