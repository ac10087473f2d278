// "Import…" beside the text lists: sample names from a list file, entered as typed.
#include "core/files/list_file.h"
#include "core/forms/main_form.h"

namespace labelora {

std::string importButton(const GroupPanel &group) {
    return "cmdImport" + group.textListMemo;
}

std::string listImportText(const ListImport &import) {
    if (!import.error.empty()) return "リストを取り込めません：" + import.error;
    std::string text = "リストに " + std::to_string(import.taken) + " 件を取り込みました";
    if (import.cut) text += "（" + std::to_string(import.cut) + " 件は切り詰め）";
    if (import.skipped) text += "。空欄 " + std::to_string(import.skipped) + " 件は飛ばしました";
    if (import.beyond)
        text += "。" + std::to_string(kMaxTextListLines) + " 件を超えた " +
                std::to_string(import.beyond) + " 件は取り込みません";
    return text + "。";
}

ListImport MainForm::importTextList(const std::string &memoName, const std::string &spec) {
    ListImport import;
    ListFile file = readListFile(spec);
    import.skipped = file.skipped;
    if (!file.error.empty()) {
        import.error = file.error;
        return import;
    }
    const size_t taken = std::min(file.entries.size(), static_cast<size_t>(kMaxTextListLines));
    import.beyond = static_cast<int>(file.entries.size() - taken);
    Memo &memo = memos_.at(memoName);
    memo.setText("");
    state.textCount = 0;
    for (size_t i = 0; i < taken; ++i) {
        const std::string typed = (i ? memo.text() + "\n" : "") + file.entries[i];
        if (typeMemo(memoName, typed, static_cast<int>(i)) == MemoEdit::Cut) ++import.cut;
    }
    import.taken = static_cast<int>(taken);
    memo.setText(memo.text());  // set again by the model, so that the window shows it whole
    return import;
}

}  // namespace labelora
