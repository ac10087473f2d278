// The main window as a model: the working state, the controls of the set-up screen and the
// actions behind them. The Qt window binds its widgets to this and draws.
#pragma once

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/catalogue.h"
#include "core/controls.h"
#include "core/data_form.h"
#include "core/start_file.h"

namespace labelora {

struct WorkingState {
    int sheetType = 1;
    int layoutType = 1;
    int layoutTab = 0;
    int sampleCount = 30;
    int startNumber = 1;
    int repeatCount = 1;
    int numberStep = 1;
    bool plainNumbers = false;
    std::string separator = " ";
    int digitMode = 0;  // 0 four, 1 three, 2 two digits
    int dayOffset = 0;
    std::array<int, 4> startPosition = {1, 1, 1, 1};
    std::array<int, 4> offsetDown = {kNoOffset, kNoOffset, kNoOffset, kNoOffset};
    std::array<int, 4> offsetRight = {kNoOffset, kNoOffset, kNoOffset, kNoOffset};
    std::string startFileExtra;                  // line 5 of the start file, as read
    std::vector<std::string> startFileTrailing;  // lines after it, as read
    int printAlign = 0;
    std::vector<std::string> textList;
    int textCount = 0;
    bool printedFlag = false;
    std::filesystem::path programFolder;  // where the three files live
    std::string labelFontName;
    bool labelFontBold = false;
};

enum class Screen { Setup, Print };

// The two one-shot timers of the start-up.
enum class StartUpTimer {
    MissingStartFile,  // 100 ms: make the first layout usable after the start-file message
    FinishStartUp,     // 1 s: select the first tab and layout and refresh the previews
};

struct TimerRequest {
    StartUpTimer timer;
    int milliseconds;
};

inline constexpr const char *kNoStartFile = "スタートファイルがありません。";
inline constexpr const char *kTooManyLabels =
    "一度に印刷できるラベル面数は４００面までとさせていただいております。再入力してください。";
inline constexpr int kMaxRunLength = 400;
inline constexpr int kMaxDayOffset = 365;

// Names of the menu items (the menus 数字表示, 区切り and ステップ).
struct MenuChoice {
    const char *name;
    const char *caption;
};
const std::vector<MenuChoice> &numberDisplayMenu();
const std::vector<MenuChoice> &separatorMenu();
const std::vector<MenuChoice> &stepMenu();

class MainForm {
  public:
    using Today = std::function<std::chrono::sys_days()>;

    explicit MainForm(std::filesystem::path dataFolder, Today today = localToday);
    MainForm(const MainForm &) = delete;
    MainForm &operator=(const MainForm &) = delete;

    static std::chrono::sys_days localToday();

    // Window creation; returns the timers the window must start.
    std::vector<TimerRequest> startUp();
    void timerFired(StartUpTimer timer);

    // User actions.
    void clickSheetType(int sheetType);
    void changeTab(int tabIndex);
    void clickLayout(int layoutType);
    void clickRadio(const std::string &name);
    void clickListBox(const std::string &name, int index);
    void typeEdit(const std::string &name, const std::string &text);
    MemoEdit typeMemo(const std::string &name, const std::string &text, int caretLine);
    void clickButton(const std::string &name);
    void clickMenu(const std::string &name);
    void closeVersion();

    // Rewrites every number and date preview from the state and the clock.
    void refreshPreviews();
    // Writes the start file from the state; false when it cannot be written.
    bool saveStartFile();
    // Fills the word-list boxes from the two list files.
    void loadWordLists();

    WorkingState state;
    Screen screen = Screen::Setup;
    bool windowEnabled = true;
    bool versionOpen = false;
    bool closeRequested = false;
    bool startFileMissing = false;
    std::string focus;           // control that should hold the keyboard focus
    unsigned focusRequests = 0;  // grows each time the focus is to move there again
    TabControl tabControl1;

    DataForm &dataForm() { return data_; }
    const std::filesystem::path &dataFolder() const { return folder_; }

    ListBox &listBox(const std::string &name) { return listBoxes_.at(name); }
    EditBox &edit(const std::string &name) { return edits_.at(name); }
    Memo &memo(const std::string &name) { return memos_.at(name); }
    Panel &panel(const std::string &name) { return panels_.at(name); }
    RadioButton &radio(const std::string &name) { return radios_.at(name); }
    PreviewLabel &previewLabel(const std::string &name) { return labels_.at(name); }
    Button &button(const std::string &name) { return buttons_.at(name); }
    MenuItem &menuItem(const std::string &name) { return menuItems_.at(name); }

    const std::map<std::string, ListBox> &listBoxes() const { return listBoxes_; }
    const std::map<std::string, EditBox> &edits() const { return edits_; }
    const std::map<std::string, Memo> &memos() const { return memos_; }
    const std::map<std::string, Panel> &panels() const { return panels_; }
    const std::map<std::string, RadioButton> &radios() const { return radios_; }
    const std::map<std::string, PreviewLabel> &previewLabels() const { return labels_; }
    const std::map<std::string, Button> &buttons() const { return buttons_; }
    const std::map<std::string, MenuItem> &menuItems() const { return menuItems_; }

    Family family() const { return sheetType(state.sheetType).family; }

    // Called with each message the program shows in a modal box.
    std::function<void(const std::string &)> onMessage;

  private:
    void createControls();
    void message(const std::string &text);
    void readStartFile(std::vector<TimerRequest> &timers);
    void showSetupScreen();
    void showGroupPanel(Family family, int tab);
    void setDigitMode(int digitMode);
    void fillStartNumberList();
    void refillRepeatList();
    void applyEditLimits();
    void writeNumberPreviews();
    void writeDatePreviews();
    void selectDayOffset(int index);
    void placeButtons();
    void printSet();
    void back();
    void openData();
    void resetTextList(const std::string &memoName);
    void focusFirstInput(const Layout &layout);
    void moveFocus(const std::string &control);

    std::filesystem::path folder_;
    Today today_;
    DataForm data_;
    std::map<std::string, ListBox> listBoxes_;
    std::map<std::string, EditBox> edits_;
    std::map<std::string, Memo> memos_;
    std::map<std::string, Panel> panels_;
    std::map<std::string, RadioButton> radios_;
    std::map<std::string, PreviewLabel> labels_;
    std::map<std::string, Button> buttons_;
    std::map<std::string, MenuItem> menuItems_;
};

}  // namespace labelora
