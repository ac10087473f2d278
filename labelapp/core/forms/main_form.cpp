#include "core/forms/main_form.h"

#include <ctime>

#include "core/files/cp932.h"
#include "core/printing/preview_text.h"
#include "core/files/text_file.h"
#include "core/files/word_lists.h"

namespace labelora {
namespace {

constexpr const char *kSampleList = "ListBox2";
constexpr const char *kStartNumberList = "ListBox12";
constexpr const char *kRepeatList = "ListBox1";
constexpr int kMaxSampleCount = 400;
constexpr int kRepeatItems = 5;
constexpr int kRepeatItemsBlank = 7;  // blank colour labels may repeat up to seven times

std::vector<std::string> numberItems(int first, int last) {
    std::vector<std::string> items;
    for (int i = first; i <= last; ++i) items.push_back(std::to_string(i));
    return items;
}

template <typename Control>
Control makeControl(const std::string &name) {
    Control control;
    control.name = name;
    return control;
}

}  // namespace

const std::vector<MenuChoice> &numberDisplayMenu() {
    static const std::vector<MenuChoice> items = {{"mnuPadded", "００１"}, {"mnuPlain", "１"}};
    return items;
}

const std::vector<MenuChoice> &separatorMenu() {
    static const std::vector<MenuChoice> items = {
        {"mnuBlank", "□"}, {"mnuHyphen", "－"}, {"mnuTwoBlanks", "□□"}};
    return items;
}

const std::vector<MenuChoice> &stepMenu() {
    static const std::vector<MenuChoice> items = {{"mnuStep1", "1"},
                                                  {"mnuStep2", "2"},
                                                  {"mnuStep3", "3"},
                                                  {"mnuStep5", "5"},
                                                  {"mnuStep10", "10"}};
    return items;
}

std::chrono::sys_days MainForm::localToday() {
    std::time_t now = std::time(nullptr);
    std::tm local = *std::localtime(&now);
    return std::chrono::sys_days(std::chrono::year(local.tm_year + 1900) /
                                 std::chrono::month(static_cast<unsigned>(local.tm_mon + 1)) /
                                 std::chrono::day(static_cast<unsigned>(local.tm_mday)));
}

MainForm::MainForm(std::filesystem::path dataFolder, Today today)
    : folder_(std::move(dataFolder)), today_(std::move(today)), data_(folder_) {
    state.programFolder = folder_;
    createControls();
    data_.onClosed = [this] {
        windowEnabled = true;
        loadWordLists();
    };
    data_.onMessage = [this](const std::string &text) { message(text); };
}

void MainForm::createControls() {
    for (const char *name : {"pnlMain", "pnlPrint"})
        panels_.emplace(name, makeControl<Panel>(name));
    panels_.at("pnlPrint").visible = false;

    for (const auto &sheet : sheetTypes()) {
        RadioButton radio = makeControl<RadioButton>(sheet.radio);
        radio.caption = sheet.caption;
        radio.checked = sheet.number == 1;
        // The 12 x 24 mm sheet is shown but cannot be chosen.
        radio.enabled = sheet.number != 2;
        radios_.emplace(sheet.radio, radio);
    }

    for (const auto &group : groupPanels()) {
        Panel panel = makeControl<Panel>(group.name);
        panel.visible = false;
        panels_.emplace(group.name, panel);
        if (!group.textListMemo.empty()) {
            Memo memo = makeControl<Memo>(group.textListMemo);
            memo.lineByteLimit = kTextListLineBytes;
            memos_.emplace(group.textListMemo, memo);
            Button reset = makeControl<Button>(group.resetButton);
            reset.caption = "Reset";
            buttons_.emplace(group.resetButton, reset);
            Button import = makeControl<Button>(importButton(group));
            import.caption = "Import…";
            buttons_.emplace(import.name, import);
        }
    }

    for (const auto &layout : layouts()) {
        RadioButton radio = makeControl<RadioButton>(layout.radio);
        radio.caption = "Type" + std::to_string(layout.number);
        radios_.emplace(layout.radio, radio);
        if (!layout.subPanel.empty()) {
            Panel sub = makeControl<Panel>(layout.subPanel);
            sub.enabled = false;
            panels_.emplace(layout.subPanel, sub);
        }
        for (const auto &input : layout.inputs) {
            switch (input.kind) {
                case InputKind::Edit: {
                    EditBox edit = makeControl<EditBox>(input.control);
                    edit.setMaxLength(input.limit);
                    edits_.emplace(input.control, edit);
                    break;
                }
                case InputKind::Letter:
                case InputKind::FirstWord:
                case InputKind::SecondWord:
                    listBoxes_.emplace(input.control, makeControl<ListBox>(input.control));
                    break;
                case InputKind::Number:
                case InputKind::Date: {
                    PreviewLabel label = makeControl<PreviewLabel>(input.control);
                    label.format = input.format;
                    label.caption = input.format;
                    label.enabled = false;
                    labels_.emplace(input.control, label);
                    break;
                }
                case InputKind::TwoLineMemo: {
                    Memo memo = makeControl<Memo>(input.control);
                    memo.lineByteLimit = input.limit;
                    memo.maxLines = 2;
                    memos_.emplace(input.control, memo);
                    break;
                }
                case InputKind::FixedMemo: {
                    Memo memo = makeControl<Memo>(input.control);
                    memo.setText(input.format);
                    memo.readOnly = true;
                    memo.enabled = false;
                    memos_.emplace(input.control, memo);
                    break;
                }
                case InputKind::TextList:
                    break;
            }
        }
    }

    std::vector<std::string> letters;
    for (char c = 'A'; c <= 'Z'; ++c) letters.emplace_back(1, c);
    for (const auto &name : letterLists()) listBoxes_.at(name).setItems(letters);
    for (const auto &name : dayOffsetLists()) listBoxes_.emplace(name, makeControl<ListBox>(name));
    for (const char *name : {kSampleList, kStartNumberList, kRepeatList})
        listBoxes_.emplace(name, makeControl<ListBox>(name));

    struct ButtonSpec {
        const char *name, *caption;
        int left;
        bool visible;
    };
    for (const auto &b :
         {ButtonSpec{"cmdPrintSet", "PrintSet", 8, true}, ButtonSpec{"cmdData", "Data", 80, true},
          ButtonSpec{"cmdExcel", "Excel", 152, false}, ButtonSpec{"cmdsheet", "Report", 224, false},
          ButtonSpec{"cmdBack", "Back", 296, false}, ButtonSpec{"cmdEnd", "End", 152, true},
          ButtonSpec{"cmdVersion", "Version", 520, true}}) {
        Button button = makeControl<Button>(b.name);
        button.caption = b.caption;
        button.left = b.left;
        button.visible = b.visible;
        buttons_.emplace(b.name, button);
    }

    for (const auto *menu : {&numberDisplayMenu(), &separatorMenu(), &stepMenu()}) {
        for (const auto &choice : *menu) {
            MenuItem item = makeControl<MenuItem>(choice.name);
            item.caption = choice.caption;
            item.checked = &choice == &menu->front();
            menuItems_.emplace(choice.name, item);
        }
    }

    tabControl1.name = "TabControl1";
    tabControl1.captions = tabCaptions(Family::C);
    createPrintControls();
}

void MainForm::message(const std::string &text) {
    if (onMessage) onMessage(text);
}

std::vector<TimerRequest> MainForm::startUp() {
    std::vector<TimerRequest> timers;
    // 1. Empty inputs and the first letter everywhere; default menus; the round sheet.
    for (auto &[name, edit] : edits_) edit.setText("");
    clickMenu("mnuPadded");
    for (const auto &name : letterLists()) listBoxes_.at(name).setItemIndex(0);
    clickMenu("mnuBlank");
    clickMenu("mnuStep1");
    state.sheetType = 1;
    // 2. The report font and the word lists.
    state.labelFontName = "ＭＳ Ｐゴシック";
    state.labelFontBold = true;
    loadWordLists();
    // 3. Day offsets at 0 and today's dates.
    for (const auto &name : dayOffsetLists())
        listBoxes_.at(name).setItems(numberItems(-kMaxDayOffset, kMaxDayOffset));
    selectDayOffset(kMaxDayOffset);
    writeDatePreviews();
    // 4, 5. The start file.
    readStartFile(timers);
    // 7. Sample count and start number.
    listBoxes_.at(kSampleList).setItems(numberItems(1, kMaxSampleCount));
    state.digitMode = 0;
    fillStartNumberList();
    listBoxes_.at(kSampleList).setItemIndex(29);
    listBoxes_.at(kStartNumberList).setItemIndex(0);
    state.sampleCount = 30;
    // 8. The set-up screen and the repeat count.
    showSetupScreen();
    listBoxes_.at(kRepeatList).setItems(numberItems(1, kRepeatItems));
    listBoxes_.at(kRepeatList).setItemIndex(0);
    state.repeatCount = 1;
    // 11. First values in the previews.
    state.sampleCount = 30;
    state.startNumber = 1;
    writeNumberPreviews();
    // 12. The first layout is chosen a second after start.
    timers.push_back({StartUpTimer::FinishStartUp, 1000});
    return timers;
}

void MainForm::readStartFile(std::vector<TimerRequest> &timers) {
    std::array<int, 4> capacities{};
    for (const auto &sheet : sheetTypes()) capacities[sheet.number - 1] = sheet.capacity;
    std::optional<std::string> bytes = readFileBytes(findFileIgnoringCase(folder_, kStartFileName));
    StartFile file;
    if (!bytes) {
        // The set-up goes on with the default offsets and positions, so that the program
        // stays usable; the file is written at the next save.
        startFileMissing = true;
        message(kNoStartFile);
        timers.push_back({StartUpTimer::MissingStartFile, 100});
    } else {
        file = parseStartFile(*bytes, capacities);
    }
    for (size_t i = 0; i < file.sheets.size(); ++i) {
        state.offsetRight[i] = file.sheets[i].offsetRight;
        state.offsetDown[i] = file.sheets[i].offsetDown;
        state.startPosition[i] = file.sheets[i].startPosition;
    }
    state.startFileExtra = file.extraLine;
    state.startFileTrailing = file.trailingLines;
}

bool MainForm::saveStartFile() {
    StartFile file;
    for (size_t i = 0; i < file.sheets.size(); ++i) {
        file.sheets[i].offsetRight = state.offsetRight[i];
        file.sheets[i].offsetDown = state.offsetDown[i];
        file.sheets[i].startPosition = state.startPosition[i];
    }
    file.extraLine = state.startFileExtra;
    file.trailingLines = state.startFileTrailing;
    return writeFileBytes(findFileIgnoringCase(folder_, kStartFileName), formatStartFile(file));
}

void MainForm::storeStartFile() {
    if (!saveStartFile()) {
        message(kCannotWriteStartFile + findFileIgnoringCase(folder_, kStartFileName).string());
    }
}

void MainForm::timerFired(StartUpTimer timer) {
    switch (timer) {
        case StartUpTimer::MissingStartFile:
            panels_.at("PnlCType1").enabled = true;
            panels_.at("Panel1").enabled = true;
            moveFocus("Edit1");
            break;
        case StartUpTimer::FinishStartUp:
            if (screen != Screen::Setup) break;
            changeTab(0);
            clickLayout(1);
            refreshPreviews();
            break;
    }
}

void MainForm::loadWordLists() {
    std::vector<std::string> first = loadWordList(folder_, kFirstWordList);
    std::vector<std::string> second = loadWordList(folder_, kSecondWordList);
    for (const auto &name : firstWordLists()) {
        listBoxes_.at(name).setItems(first);
        listBoxes_.at(name).setItemIndex(0);
    }
    for (const auto &name : secondWordLists()) {
        listBoxes_.at(name).setItems(second);
        listBoxes_.at(name).setItemIndex(0);
    }
}

void MainForm::showSetupScreen() {
    screen = Screen::Setup;
    panels_.at("pnlMain").visible = true;
    panels_.at("pnlPrint").visible = false;
    tabControl1.visible = true;
    tabControl1.captions = tabCaptions(family());
    showGroupPanel(family(), tabControl1.tabIndex);
    placeButtons();
}

void MainForm::showGroupPanel(Family fam, int tab) {
    for (const auto &group : groupPanels()) panels_.at(group.name).visible = false;
    if (const GroupPanel *group = findGroupPanel(fam, tab)) panels_.at(group->name).visible = true;
}

void MainForm::clickSheetType(int number) {
    const SheetType &sheet = sheetType(number);
    state.sheetType = number;
    state.layoutType = 1;
    for (const auto &other : sheetTypes()) radios_.at(other.radio).checked = other.number == number;
    showGroupPanel(sheet.family, 0);
    tabControl1.captions = tabCaptions(sheet.family);
    tabControl1.tabIndex = 0;
    changeTab(0);
    // Only the tube sheets set the T-layout limits; the other sheets leave them (and the
    // texts typed under them) as they are.
    if (sheet.family == Family::T) applyEditLimits();
}

void MainForm::changeTab(int tabIndex) {
    if (tabIndex < 0 || tabIndex >= static_cast<int>(tabControl1.captions.size())) return;
    tabControl1.tabIndex = tabIndex;
    showGroupPanel(family(), tabIndex);
    int first = tabIndex * 4 + 1;
    if (state.layoutType < first || state.layoutType > first + 3) state.layoutType = first;
    clickLayout(state.layoutType);
    state.layoutTab = tabIndex;
}

void MainForm::clickLayout(int layoutType) {
    const Layout *layout = findLayout(family(), layoutType);
    if (!layout) return;
    state.layoutType = layoutType;
    for (const auto &other : layouts()) {
        radios_.at(other.radio).checked = &other == layout;
        if (!other.subPanel.empty()) panels_.at(other.subPanel).enabled = false;
        for (const auto &input : other.inputs) {
            if (input.kind == InputKind::FixedMemo) memos_.at(input.control).enabled = false;
            if (input.kind == InputKind::Number || input.kind == InputKind::Date)
                labels_.at(input.control).enabled = false;
        }
    }
    if (!layout->subPanel.empty()) panels_.at(layout->subPanel).enabled = true;
    for (const auto &input : layout->inputs) {
        if (input.kind == InputKind::FixedMemo) memos_.at(input.control).enabled = true;
        if (input.kind == InputKind::Number || input.kind == InputKind::Date)
            labels_.at(input.control).enabled = true;
    }
    if (layout->digitMode != kKeepDigitMode) setDigitMode(layout->digitMode);
    memos_.at("Memo10").lineByteLimit = layout->family == Family::C && layout->number == 10
                                            ? kTextListLineBytesLetterLayout
                                            : kTextListLineBytes;
    refillRepeatList();
    focusFirstInput(*layout);
}

void MainForm::focusFirstInput(const Layout &layout) {
    for (const auto &input : layout.inputs) {
        if (input.kind == InputKind::Edit || input.kind == InputKind::Letter ||
            input.kind == InputKind::FirstWord || input.kind == InputKind::SecondWord ||
            input.kind == InputKind::TwoLineMemo) {
            moveFocus(input.control);
            return;
        }
    }
    moveFocus(layout.radio);
}

void MainForm::moveFocus(const std::string &control) {
    focus = control;
    ++focusRequests;
}

void MainForm::clickRadio(const std::string &name) {
    for (const auto &sheet : sheetTypes()) {
        if (sheet.radio == name) {
            clickSheetType(sheet.number);
            return;
        }
    }
    const Layout *layout = findLayoutByRadio(name);
    if (layout && layout->family == family()) clickLayout(layout->number);
    for (const auto &code : symbologies()) {
        if (name == code.radio && radios_.at(name).enabled) {
            state.code = code.symbology;
            for (const auto &other : symbologies())
                radios_.at(other.radio).checked = other.symbology == code.symbology;
        }
    }
    for (int align = 0; align < 3; ++align) {
        if (name == kAlignRadios[align]) {
            state.printAlign = align;
            for (int other = 0; other < 3; ++other)
                radios_.at(kAlignRadios[other]).checked = other == align;
        }
    }
}

void MainForm::setDigitMode(int digitMode) {
    if (digitMode != state.digitMode) {
        state.digitMode = digitMode;
        // Keep only the digits the layout shows.
        if (digitMode == 1 && state.startNumber >= 1000) state.startNumber %= 1000;
        if (digitMode == 2 && state.startNumber >= 100) state.startNumber %= 100;
        fillStartNumberList();
    }
    listBoxes_.at(kStartNumberList).setItemIndex(state.startNumber - 1);
    writeNumberPreviews();
}

void MainForm::fillStartNumberList() {
    static const int kLast[] = {9999, 999, 99};
    listBoxes_.at(kStartNumberList).setItems(numberItems(1, kLast[state.digitMode]));
}

void MainForm::refillRepeatList() {
    bool blankLabels =
        state.layoutType == 8 && ((family() == Family::C && memos_.at("Memo2").isEmpty()) ||
                                  (family() == Family::T && memos_.at("Memo9").isEmpty()));
    int items = blankLabels ? kRepeatItemsBlank : kRepeatItems;
    ListBox &list = listBoxes_.at(kRepeatList);
    int previous = list.itemIndex();
    if (list.count() == items) return;
    list.setItems(numberItems(1, items));
    int index = previous >= items ? 0 : previous;
    if (index < 0) index = state.repeatCount - 1;
    list.setItemIndex(index);
    // The count follows what the list shows, so a hidden 6 or 7 cannot stay in force.
    if (list.itemIndex() >= 0) state.repeatCount = list.itemIndex() + 1;
}

void MainForm::applyEditLimits() {
    bool longTexts = state.sheetType == 4;
    for (const auto &layout : layouts()) {
        if (layout.family != Family::T) continue;
        for (const auto &input : layout.inputs) {
            if (input.sheet4Limit == 0) continue;
            int limit = longTexts ? input.sheet4Limit : input.limit;
            if (input.kind == InputKind::Edit) {
                edits_.at(input.control).setMaxLength(limit);
            } else if (input.kind == InputKind::TwoLineMemo) {
                Memo &memo = memos_.at(input.control);
                memo.lineByteLimit = limit;
                std::vector<std::string> lines = memo.lines();
                bool cut = false;
                for (auto &line : lines) {
                    if (cp932Length(line) > limit) {
                        line = cutToCp932Bytes(line, limit);
                        cut = true;
                    }
                }
                if (cut) memo.setLines(lines);
            }
        }
    }
}

void MainForm::clickListBox(const std::string &name, int index) {
    ListBox &list = listBoxes_.at(name);
    list.setItemIndex(index);
    if (list.itemIndex() < 0) return;
    if (name == kSampleList) {
        state.sampleCount = index + 1;
    } else if (name == kStartNumberList) {
        state.startNumber = index + 1;
        writeNumberPreviews();
    } else if (name == kRepeatList) {
        state.repeatCount = index + 1;
    } else if (name == kPageList) {
        showPage(index + 1);
    } else if (name == kTextColourList) {
        previewText = textColour(list.selectedText()).value_or(kBlack);
    } else if (name == kBackgroundList) {
        previewBackground = backgroundColour(list.selectedText()).value_or(kWhite);
    } else if (name == kOffsetDownList || name == kOffsetRightList) {
        clickOffsetList(name, index);
    } else {
        for (const auto &dayList : dayOffsetLists()) {
            if (dayList == name) {
                selectDayOffset(index);
                writeDatePreviews();
            }
        }
    }
}

void MainForm::selectDayOffset(int index) {
    state.dayOffset = index - kMaxDayOffset;
    for (const auto &name : dayOffsetLists()) listBoxes_.at(name).setItemIndex(index);
}

void MainForm::typeEdit(const std::string &name, const std::string &text) {
    edits_.at(name).setText(text);
}

MemoEdit MainForm::typeMemo(const std::string &name, const std::string &text, int caretLine) {
    MemoEdit result = memos_.at(name).edit(text, caretLine);
    if (name == "Memo2" || name == "Memo9") refillRepeatList();
    return result;
}

void MainForm::clickMenu(const std::string &name) {
    auto check = [this, &name](const std::vector<MenuChoice> &menu) {
        for (const auto &choice : menu) menuItems_.at(choice.name).checked = choice.name == name;
    };
    if (name == "mnuPadded" || name == "mnuPlain") {
        check(numberDisplayMenu());
        state.plainNumbers = name == "mnuPlain";
        writeNumberPreviews();
    } else if (name == "mnuBlank" || name == "mnuHyphen" || name == "mnuTwoBlanks") {
        check(separatorMenu());
        state.separator = name == "mnuBlank" ? " " : name == "mnuHyphen" ? "-" : "  ";
    } else {
        for (const auto &choice : stepMenu()) {
            if (choice.name == name) {
                check(stepMenu());
                state.numberStep = std::stoi(choice.caption);
            }
        }
    }
}

void MainForm::clickButton(const std::string &name) {
    if (name == "cmdPrintSet") {
        printSet();
    } else if (name == "cmdBack") {
        back();
    } else if (name == "cmdPrint") {
        print();
    } else if (name == "cmdsheet") {
        report();
    } else if (name == "cmdExcel") {
        excel();
    } else if (name == "cmdData") {
        openData();
    } else if (name == "cmdVersion") {
        versionOpen = true;
        windowEnabled = false;
    } else if (name == "cmdEnd") {
        closeRequested = true;
    } else {
        for (const auto &group : groupPanels()) {
            if (group.resetButton == name) resetTextList(group.textListMemo);
            if (group.resetButton.empty() || importButton(group) != name || !chooseListFile)
                continue;
            if (std::optional<std::string> file = chooseListFile(); file && !file->empty())
                message(listImportText(importTextList(group.textListMemo, *file)));
        }
    }
}

void MainForm::resetTextList(const std::string &memoName) {
    memos_.at(memoName).setText("");
    state.textCount = 0;
}

void MainForm::closeVersion() {
    versionOpen = false;
    windowEnabled = true;
}

void MainForm::openData() {
    data_.open();
    windowEnabled = false;
}

void MainForm::placeButtons() {
    bool printed = state.printedFlag;
    bool onPrint = screen == Screen::Print;
    auto place = [this](const char *name, bool visible, int left) {
        Button &button = buttons_.at(name);
        button.visible = visible;
        if (visible) button.left = left;
    };
    place("cmdPrintSet", !onPrint, 8);
    place("cmdData", true, 80);
    place("cmdExcel", printed, 152);
    place("cmdsheet", printed, 224);
    place("cmdBack", onPrint, printed ? 296 : 152);
    if (onPrint)
        place("cmdEnd", true, printed ? 368 : 226);
    else
        place("cmdEnd", true, printed ? 296 : 152);
}

void MainForm::refreshPreviews() {
    writeNumberPreviews();
    writeDatePreviews();
}

void MainForm::writeNumberPreviews() {
    for (auto &[name, label] : labels_) {
        if (label.format.find_first_not_of('0') == std::string::npos)
            label.caption = formatNumber(state.startNumber, label.format, state.plainNumbers);
    }
}

void MainForm::writeDatePreviews() {
    std::chrono::sys_days day = today_() + std::chrono::days(state.dayOffset);
    for (auto &[name, label] : labels_) {
        if (label.format.find_first_not_of('0') != std::string::npos)
            label.caption = formatDate(day, label.format);
    }
}

}  // namespace labelora
