// The data window: edits the two word-list files.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "core/forms/controls.h"

namespace labelora {

class DataForm {
  public:
    explicit DataForm(std::filesystem::path folder);

    // "Data" on the main window: loads both memos from their files and shows the window.
    void open();
    // The radio buttons "DB1" and "DB2".
    void checkFirstList();
    void checkSecondList();
    // Typing in Memo1 or Memo2.
    MemoEdit typeMemo(const std::string &name, const std::string &text, int caretLine);
    // "Enter ": writes the memo of the checked button to its file, whole.
    void clickEnter();
    // "Exit" or closing the window.
    void exit();

    Memo memo1, memo2;
    RadioButton radioButton1, radioButton2;
    Button cmdEnter, cmdExit;
    bool visible = false;
    std::string focus;

    static constexpr const char *kCaption = "Data";
    static constexpr const char *kLabel1 = "それぞれのデータベースに変更を行ってください。";
    static constexpr const char *kLabel2 =
        "Ｅｎｔｅｒ　をクリックしますと該当するデータが更新されます。";

    // Called after the window has closed (the main window re-enables itself and reloads).
    std::function<void()> onClosed;
    // Called with a message when a file cannot be written.
    std::function<void(const std::string &)> onMessage;

  private:
    Memo *memoByName(const std::string &name);
    std::filesystem::path folder_;
};

// Shown when "Enter " cannot write the list file.
inline constexpr const char *kCannotWriteList = "データベースファイルに書き込めません：";

}  // namespace labelora
