#include "core/forms/data_form.h"

#include "core/files/word_lists.h"

namespace labelora {

DataForm::DataForm(std::filesystem::path folder) : folder_(std::move(folder)) {
    memo1.name = "Memo1";
    memo1.lineByteLimit = kFirstWordList.lineByteLimit;
    memo2.name = "Memo2";
    memo2.lineByteLimit = kSecondWordList.lineByteLimit;
    radioButton1.name = "RadioButton1";
    radioButton1.caption = "DB1";
    radioButton2.name = "RadioButton2";
    radioButton2.caption = "DB2";
    cmdEnter.name = "cmdEnter";
    cmdEnter.caption = "Enter ";
    cmdExit.name = "cmdExit";
    cmdExit.caption = "Exit";
    checkFirstList();
    focus.clear();
}

void DataForm::open() {
    memo1.setLines(loadWordList(folder_, kFirstWordList));
    memo2.setLines(loadWordList(folder_, kSecondWordList));
    visible = true;
    focus = radioButton1.checked ? memo1.name : memo2.name;
}

void DataForm::checkFirstList() {
    radioButton1.checked = true;
    radioButton2.checked = false;
    memo1.enabled = true;
    memo2.enabled = false;
    focus = memo1.name;
}

void DataForm::checkSecondList() {
    radioButton1.checked = false;
    radioButton2.checked = true;
    memo1.enabled = false;
    memo2.enabled = true;
    focus = memo2.name;
}

Memo *DataForm::memoByName(const std::string &name) {
    if (name == memo1.name) return &memo1;
    if (name == memo2.name) return &memo2;
    return nullptr;
}

MemoEdit DataForm::typeMemo(const std::string &name, const std::string &text, int caretLine) {
    Memo *memo = memoByName(name);
    return memo ? memo->edit(text, caretLine) : MemoEdit::Rejected;
}

void DataForm::clickEnter() {
    const WordListFile &list = radioButton1.checked ? kFirstWordList : kSecondWordList;
    const Memo &memo = radioButton1.checked ? memo1 : memo2;
    if (!saveWordList(folder_, list, memo.lines()) && onMessage)
        onMessage(kCannotWriteList + wordListPath(folder_, list).string());
}

void DataForm::exit() {
    if (!visible) return;
    visible = false;
    if (onClosed) onClosed();
}

}  // namespace labelora
