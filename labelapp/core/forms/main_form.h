// The main window as a model: the working state, the controls of the set-up screen and the
// actions behind them. The Qt window binds its widgets to this and draws.
#pragma once

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/forms/catalogue.h"
#include "core/forms/controls.h"
#include "core/forms/data_form.h"
#include "core/codes/label_code.h"
#include "core/printing/label_printer.h"
#include "core/printing/print_plan.h"
#include "core/files/start_file.h"
#include "core/export/workbook_export.h"

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
    Symbology code = Symbology::None;  // the code chosen on the print screen, kept for later runs
    std::vector<std::string> textList;
    int textCount = 0;
    int pageCount = 1;
    std::vector<PrintedLabel> printedLog;  // the labels of the last run, in print order
    bool printedFlag = false;
    PrintedRun printedRun;                // how the labels of printedLog were printed
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
inline constexpr const char *kCannotPrint = "印刷を開始できません。";
// A start file that cannot be written would let the next run reuse labels already printed.
inline constexpr const char *kCannotWriteStartFile = "スタートファイルに書き込めません：";
inline constexpr int kMaxRunLength = 400;
inline constexpr int kMaxTextListLines = 60;

// The lists and buttons of the print screen.
inline constexpr const char *kPageList = "ListBox20";
inline constexpr const char *kTextColourList = "ListBox21";
inline constexpr const char *kBackgroundList = "ListBox19";
inline constexpr const char *kOffsetDownList = "ListBox23";
inline constexpr const char *kOffsetRightList = "ListBox25";
inline constexpr const char *kFrameCheck = "CheckBox1";
inline constexpr const char *kRainbowCheck = "CheckBox2";
inline constexpr const char *kAlignRadios[3] = {"RadioButton4", "RadioButton7", "RadioButton8"};
// The sheet pictures and the three previews.
inline constexpr const char *kSheetPictures[4] = {"pnlCircle", "pnlRect", "PnlTube", "pnlMicro"};
inline constexpr const char *kRoundPreview = "pnl150";
inline constexpr const char *kFramedPreview = "pnlMemo2";
inline constexpr const char *kTextPreview = "pnlmemo";
inline constexpr const char *kRoundPreviewMemo = "Memo3";
inline constexpr const char *kTextPreviewMemo = "Memo7";
inline constexpr int kMaxDayOffset = 365;
// The resolution a run is checked at before the printer is known: the PDF file's.
inline constexpr Resolution kCheckResolution{600, 600};

// "Import…" beside a text list: its button, and what an import took.
std::string importButton(const GroupPanel &group);
struct ListImport {
    int taken = 0;    // entries now in the list
    int cut = 0;      // of them, cut to the list's byte limit as typing cuts
    int skipped = 0;  // empty lines or cells
    int beyond = 0;   // entries past the lines a list holds
    std::string error;
};
// "取り込み 12 件…", the window's report of an import.
std::string listImportText(const ListImport &import);
// The print screen's tooltip of a code the run's labels cannot carry.
std::string codeRefusalText(Symbology symbology, const CodeRefusal &refusal);

// Names of the menu items (the menus 数字表示, 区切り and ステップ).
struct MenuChoice {
    const char *name;
    const char *caption;
};
const std::vector<MenuChoice> &numberDisplayMenu();
const std::vector<MenuChoice> &separatorMenu();
const std::vector<MenuChoice> &stepMenu();

// What a print dialog is asked for.
enum class PrintKind { Labels, Report };

class MainForm {
  public:
    using Today = std::function<std::chrono::sys_days()>;
    // Shows the print dialog; the chosen printer's canvas, or nothing when cancelled.
    using PrinterChooser = std::function<std::unique_ptr<Canvas>(PrintKind kind)>;

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
    void clickCheckBox(const std::string &name);
    // A click on the print screen's sheet picture, in its pixels.
    void clickSheetPicture(int x, int y);
    void closeVersion();

    // The texts and inputs of the current layout, as a print run would take them.
    LabelRun labelRun() const;
    PrintStyle printStyle() const;
    // The run "Print" would print now, with the print screen's choices.
    PrintJob printJob() const;
    // Fills the text list `memo` from a list file as typing each entry would; the list's
    // former lines are replaced. Nothing changes when the file cannot be read.
    ListImport importTextList(const std::string &memo, const std::string &spec);

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

    // Print screen: the sheet picture shading of the page chosen in ListBox20, the caption
    // of the background list and the preview's colours.
    std::vector<Shade> shading;
    std::string backgroundCaption = "背景の色";
    Rgb previewBackground = kWhite;
    Rgb previewText = kBlack;
    // Called by "Print" and "Report" to show the print dialog; when unset nothing prints.
    PrinterChooser choosePrinter;
    // Runs between two sheets of a run (the window waits there for the printer).
    std::function<void()> betweenPages;
    // "Excel": the save dialog (the chosen name, or nothing when cancelled), the question
    // whether to overwrite (true for yes) and the writer of the workbook.
    std::function<std::optional<std::string>()> chooseWorkbookFile;
    std::function<bool(const std::string &)> onQuestion;
    // "Import…": the file dialog (the chosen list file, or nothing when cancelled).
    std::function<std::optional<std::string>()> chooseListFile;
    std::function<WorkbookResult(const std::vector<BookCall> &)> writeBook = writeWorkbook;
    // Writes the record of the last run to the file of that name; a failure is reported.
    bool exportWorkbook(const std::string &fileName);
    // The time of printing shown at the foot of the report.
    std::function<std::string()> printTime = localTimeText;
    static std::string localTimeText();

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
    CheckBox &checkBox(const std::string &name) { return checkBoxes_.at(name); }

    const std::map<std::string, ListBox> &listBoxes() const { return listBoxes_; }
    const std::map<std::string, EditBox> &edits() const { return edits_; }
    const std::map<std::string, Memo> &memos() const { return memos_; }
    const std::map<std::string, Panel> &panels() const { return panels_; }
    const std::map<std::string, RadioButton> &radios() const { return radios_; }
    const std::map<std::string, PreviewLabel> &previewLabels() const { return labels_; }
    const std::map<std::string, Button> &buttons() const { return buttons_; }
    const std::map<std::string, MenuItem> &menuItems() const { return menuItems_; }
    const std::map<std::string, CheckBox> &checkBoxes() const { return checkBoxes_; }

    Family family() const { return sheetType(state.sheetType).family; }

    // Called with each message the program shows in a modal box.
    std::function<void(const std::string &)> onMessage;

  private:
    void createControls();
    void message(const std::string &text);
    // Saves the start file after a change the next run depends on; a failure is reported.
    void storeStartFile();
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
    void createPrintControls();
    void printSet();
    bool takeTextList();
    void fillPreview();
    void showPage(int page);
    void choosePrintColours();
    // Enables the code choices the run's labels can carry, with the reason on the others.
    void offerCodes();
    Symbology shownCode() const;
    void clickOffsetList(const std::string &name, int index);
    void print();
    void advanceStartNumber();
    void report();
    void excel();
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
    std::map<std::string, CheckBox> checkBoxes_;
};

}  // namespace labelora
