// The print screen of the main window: "PrintSet", the sheet picture, colours, offsets and
// alignment, "Print" with the advance to the next free label and number, and "Report".
#include <cstdio>
#include <ctime>

#include "core/files/cp932.h"
#include "core/forms/main_form.h"
#include "core/printing/preview_text.h"
#include "core/printing/report.h"
#include "core/printing/sheet_grid.h"

namespace labelora {
namespace {

std::vector<std::string> offsetItems() {
    std::vector<std::string> items;
    for (int i = 0; i < kOffsetIndexCount; ++i) {
        int halfMillimetres = i - kNoOffset;
        std::string text = std::to_string(halfMillimetres / 2);
        if (halfMillimetres == -1) text = "-0";
        if (halfMillimetres % 2 != 0) text += ".5";
        items.push_back(text);
    }
    return items;
}

std::vector<std::string> colourNames(const std::vector<NamedColour> &colours) {
    std::vector<std::string> names;
    for (const auto &colour : colours) names.emplace_back(colour.name);
    return names;
}

int indexOf(const ListBox &list, const std::string &text) {
    for (int i = 0; i < list.count(); ++i)
        if (list.items()[i] == text) return i;
    return -1;
}

}  // namespace

std::string MainForm::localTimeText() {
    std::time_t now = std::time(nullptr);
    std::tm local = *std::localtime(&now);
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &local);
    return text;
}

void MainForm::createPrintControls() {
    auto makeList = [this](const char *name, std::vector<std::string> items) {
        ListBox list;
        list.name = name;
        list.setItems(std::move(items));
        list.setItemIndex(0);
        listBoxes_.emplace(name, list);
    };
    makeList(kPageList, {"1"});
    makeList(kTextColourList, colourNames(textColours()));
    makeList(kBackgroundList, colourNames(backgroundColours()));
    makeList(kOffsetDownList, offsetItems());
    makeList(kOffsetRightList, offsetItems());
    listBoxes_.at(kOffsetDownList).setItemIndex(kNoOffset);
    listBoxes_.at(kOffsetRightList).setItemIndex(kNoOffset);

    for (auto [name, caption] :
         {std::pair{kFrameCheck, "枠"}, std::pair{kRainbowCheck, "RainBow"}}) {
        CheckBox box;
        box.name = name;
        box.caption = caption;
        checkBoxes_.emplace(name, box);
    }
    checkBoxes_.at(kRainbowCheck).visible = false;

    const char *alignCaptions[3] = {"左", "中央", "右"};
    for (int i = 0; i < 3; ++i) {
        RadioButton radio;
        radio.name = kAlignRadios[i];
        radio.caption = alignCaptions[i];
        radio.checked = i == 0;
        radios_.emplace(radio.name, radio);
    }
    for (const char *name : kSheetPictures) {
        Panel panel;
        panel.name = name;
        panel.visible = false;
        panels_.emplace(name, panel);
    }
    for (const char *name : {kRoundPreview, kFramedPreview, kTextPreview}) {
        Panel panel;
        panel.name = name;
        panel.visible = false;
        panels_.emplace(name, panel);
    }
    for (const char *name : {kRoundPreviewMemo, kTextPreviewMemo}) {
        Memo memo;
        memo.name = name;
        memos_.emplace(name, memo);
    }
    for (const auto &code : symbologies()) {
        RadioButton radio;
        radio.name = code.radio;
        radio.caption = code.caption;
        radio.checked = code.symbology == Symbology::None;
        radios_.emplace(radio.name, radio);
    }
    Button print;
    print.name = "cmdPrint";
    print.caption = "Print";
    buttons_.emplace(print.name, print);
}

LabelRun MainForm::labelRun() const {
    LabelRun run;
    run.sheetType = state.sheetType;
    run.layoutType = state.layoutType;
    run.sampleCount = state.sampleCount;
    run.repeatCount = state.repeatCount;
    run.startNumber = state.startNumber;
    run.numberStep = state.numberStep;
    run.plainNumbers = state.plainNumbers;
    run.separator = state.separator;
    run.textList = state.textList;
    const Layout *layout = findLayout(family(), state.layoutType);
    if (!layout) return run;
    for (const auto &input : layout->inputs) {
        switch (input.kind) {
            case InputKind::Edit:
                run.texts[input.control] = edits_.at(input.control).text();
                break;
            case InputKind::Letter:
                run.letters[input.control] = std::max(listBoxes_.at(input.control).itemIndex(), 0);
                break;
            case InputKind::FirstWord:
            case InputKind::SecondWord:
                run.texts[input.control] = listBoxes_.at(input.control).selectedText();
                break;
            case InputKind::Number:
            case InputKind::Date:
                run.texts[input.control] = labels_.at(input.control).caption;
                break;
            case InputKind::TwoLineMemo:
                run.memoLines = memos_.at(input.control).lines();
                break;
            case InputKind::FixedMemo:
            case InputKind::TextList:
                break;
        }
    }
    return run;
}

PrintStyle MainForm::printStyle() const {
    PrintStyle style;
    style.text = textColour(listBoxes_.at(kTextColourList).selectedText()).value_or(kBlack);
    style.background =
        backgroundColour(listBoxes_.at(kBackgroundList).selectedText()).value_or(kWhite);
    const CheckBox &rainbow = checkBoxes_.at(kRainbowCheck);
    style.rainbow = rainbow.visible && rainbow.checked;
    style.frame = checkBoxes_.at(kFrameCheck).checked;
    style.align = static_cast<Align>(state.printAlign);
    style.offsetRight = state.offsetRight[state.sheetType - 1];
    style.offsetDown = state.offsetDown[state.sheetType - 1];
    style.code = shownCode();
    return style;
}

PrintJob MainForm::printJob() const {
    PrintJob job;
    job.run = labelRun();
    if (family() != Family::C && usesTextList(family(), state.layoutType))
        job.run.previewSecondLine = memos_.at(kTextPreviewMemo).lines().size() > 1
                                        ? memos_.at(kTextPreviewMemo).lines()[1]
                                        : std::string();
    job.style = printStyle();
    job.startPosition = state.startPosition[state.sheetType - 1];
    job.previewLines = memos_.at(kTextPreviewMemo).lines();
    return job;
}

Symbology MainForm::shownCode() const {
    return radios_.at(symbologyName(state.code).radio).enabled ? state.code : Symbology::None;
}

void MainForm::offerCodes() {
    PrintJob job = printJob();
    for (const auto &code : symbologies()) {
        RadioButton &radio = radios_.at(code.radio);
        job.style.code = code.symbology;
        std::optional<CodeRefusal> refusal = codeRefusal(job, kCheckResolution);
        radio.enabled = !refusal;
        radio.toolTip = refusal ? codeRefusalText(code.symbology, *refusal) : std::string();
    }
    // A choice this run cannot take stays remembered for the next run that can.
    for (const auto &code : symbologies())
        radios_.at(code.radio).checked = code.symbology == shownCode();
}

std::string codeRefusalText(Symbology symbology, const CodeRefusal &refusal) {
    const std::string name = symbologyName(symbology).caption;
    if (refusal.reason == CodeRefusal::Reason::CannotEncode)
        return name + " で表せない文字のラベルがあります（英数字と記号のみ）：" + refusal.text;
    return "このレイアウトのラベルには " + name + " を入れる余地がありません：" + refusal.text;
}

void MainForm::printSet() {
    // The dates were worked out when the layout was chosen; the day may have turned since.
    writeDatePreviews();
    CheckBox &rainbow = checkBoxes_.at(kRainbowCheck);
    rainbow.visible = state.repeatCount > 1;
    // A hidden "RainBow" must not colour the next run.
    if (!rainbow.visible) rainbow.checked = false;
    listBoxes_.at(kBackgroundList).enabled = !rainbow.checked;

    if (usesTextList(family(), state.layoutType) && !takeTextList()) return;
    if (state.sampleCount * state.repeatCount > kMaxRunLength) {
        message(kTooManyLabels);
        return;
    }

    screen = Screen::Print;
    for (const auto &group : groupPanels()) panels_.at(group.name).visible = false;
    tabControl1.visible = false;
    panels_.at("pnlMain").visible = false;
    panels_.at("pnlPrint").visible = true;
    for (int i = 0; i < 4; ++i) panels_.at(kSheetPictures[i]).visible = i + 1 == state.sheetType;

    const bool framed = isFramedLayout(family(), state.layoutType);
    backgroundCaption = framed ? "線の色" : "背景の色";
    panels_.at(kRoundPreview).visible = family() == Family::C;
    panels_.at(kFramedPreview).visible = framed;
    panels_.at(kTextPreview).visible = family() != Family::C && !framed;

    state.printAlign = 0;
    if ((state.sheetType == 2 &&
         ((state.layoutType >= 8 && state.layoutType <= 12) || state.layoutType >= 17)) ||
        (state.sheetType >= 3 && state.layoutType >= 9 && state.layoutType <= 12))
        state.printAlign = 1;
    for (int i = 0; i < 3; ++i) radios_.at(kAlignRadios[i]).checked = i == state.printAlign;

    const int capacity = sheetType(state.sheetType).capacity;
    state.pageCount = pageCount(state.startPosition[state.sheetType - 1],
                                state.sampleCount * state.repeatCount, capacity);
    std::vector<std::string> pages;
    for (int page = 1; page <= state.pageCount; ++page) pages.push_back(std::to_string(page));
    listBoxes_.at(kPageList).setItems(pages);
    showPage(1);

    fillPreview();
    choosePrintColours();
    listBoxes_.at(kOffsetRightList).setItemIndex(state.offsetRight[state.sheetType - 1]);
    listBoxes_.at(kOffsetDownList).setItemIndex(state.offsetDown[state.sheetType - 1]);
    offerCodes();
    placeButtons();
}

bool MainForm::takeTextList() {
    const GroupPanel *group = nullptr;
    for (const auto &panel : groupPanels())
        if (panel.family == family() && !panel.textListMemo.empty()) group = &panel;
    if (!group) return false;
    std::vector<std::string> lines = memos_.at(group->textListMemo).lines();
    state.textList.clear();
    for (const auto &line : lines) {
        if (line.empty() || static_cast<int>(state.textList.size()) == kMaxTextListLines) break;
        state.textList.push_back(line);
    }
    state.textCount = static_cast<int>(state.textList.size());
    if (state.textCount == 0) return false;
    state.sampleCount = state.textCount;
    listBoxes_.at("ListBox2").setItemIndex(state.sampleCount - 1);
    return true;
}

void MainForm::showPage(int page) {
    listBoxes_.at(kPageList).setItemIndex(page - 1);
    shading = sheetShading(state.startPosition[state.sheetType - 1],
                           state.sampleCount * state.repeatCount,
                           sheetType(state.sheetType).capacity, page);
}

void MainForm::fillPreview() {
    LabelTexts first = labelTexts(labelRun(), 0);
    if (family() == Family::C) {
        memos_.at(kRoundPreviewMemo).setLines({cutToCp932Bytes(first.line(0), 5), first.line(1)});
        memos_.at(kTextPreviewMemo).setText("");
    } else {
        memos_.at(kTextPreviewMemo).setLines(first.lines);
        memos_.at(kRoundPreviewMemo).setText("");
    }
}

void MainForm::choosePrintColours() {
    std::string background = "White", text = "Black";
    if (isFramedLayout(family(), state.layoutType)) {
        background = "Blue";
    } else if (family() == Family::M && state.layoutType >= 17) {
        background = "Yellow";
        text = "Red";
    }
    ListBox &backgrounds = listBoxes_.at(kBackgroundList);
    ListBox &texts = listBoxes_.at(kTextColourList);
    backgrounds.setItemIndex(indexOf(backgrounds, background));
    texts.setItemIndex(indexOf(texts, text));
    previewBackground = backgroundColour(background).value_or(kWhite);
    previewText = textColour(text).value_or(kBlack);
}

void MainForm::clickCheckBox(const std::string &name) {
    CheckBox &box = checkBoxes_.at(name);
    if (!box.visible || !box.enabled) return;
    box.checked = !box.checked;
    if (name == kRainbowCheck) listBoxes_.at(kBackgroundList).enabled = !box.checked;
}

void MainForm::clickSheetPicture(int x, int y) {
    if (screen != Screen::Print || listBoxes_.at(kPageList).itemIndex() != 0) return;
    std::optional<int> pos = positionAtPixel(state.sheetType, x, y);
    if (!pos) return;
    state.startPosition[state.sheetType - 1] = *pos;
    const int capacity = sheetType(state.sheetType).capacity;
    state.pageCount = pageCount(*pos, state.sampleCount * state.repeatCount, capacity);
    std::vector<std::string> pages;
    for (int page = 1; page <= state.pageCount; ++page) pages.push_back(std::to_string(page));
    listBoxes_.at(kPageList).setItems(pages);
    showPage(1);
    storeStartFile();
}

void MainForm::clickOffsetList(const std::string &name, int index) {
    auto &offsets = name == kOffsetDownList ? state.offsetDown : state.offsetRight;
    offsets[state.sheetType - 1] = index;
    storeStartFile();
}

void MainForm::print() {
    if (!choosePrinter) return;
    std::unique_ptr<Canvas> canvas = choosePrinter(PrintKind::Labels);
    if (!canvas) return;

    const PrintJob job = printJob();
    // The preview may have been edited, and a printer's pixels differ from the file's.
    if (std::optional<CodeRefusal> refusal = codeRefusal(job, canvas->resolution())) {
        message(codeRefusalText(job.style.code, *refusal));
        return;
    }
    std::vector<PrintedLabel> log;
    if (!printRun(*canvas, job, log, betweenPages)) {
        message(kCannotPrint);
        return;
    }
    state.printedLog = std::move(log);
    state.printedFlag = true;
    state.printedRun = {state.sheetType,
                        state.layoutType,
                        state.sampleCount,
                        job.style.frame,
                        listBoxes_.at(kTextColourList).selectedText(),
                        listBoxes_.at(kBackgroundList).selectedText()};

    int &start = state.startPosition[state.sheetType - 1];
    start = nextStartPosition(start, job.run.runLength(), sheetType(state.sheetType).capacity);
    previewBackground = kWhite;
    previewText = kBlack;
    storeStartFile();
    advanceStartNumber();
    back();
}

void MainForm::advanceStartNumber() {
    const Layout *layout = findLayout(family(), state.layoutType);
    if (!layout) return;
    NumberingState numbering{family(),          state.layoutType, state.startNumber,
                             state.sampleCount, state.numberStep, {}};
    if (hasLetterCarry(family(), state.layoutType) ||
        (family() == Family::C && state.layoutType == 3)) {
        for (const auto &input : layout->inputs)
            if (input.kind == InputKind::Letter)
                numbering.letters.emplace_back(
                    input.control, std::max(listBoxes_.at(input.control).itemIndex(), 0));
    }
    NumberAdvance next = labelora::advanceStartNumber(numbering);
    state.startNumber = next.startNumber;
    for (const auto &[list, letter] : next.letters) listBoxes_.at(list).setItemIndex(letter);
    listBoxes_.at("ListBox12").setItemIndex(state.startNumber - 1);
    writeNumberPreviews();
}

void MainForm::report() {
    if (state.sampleCount > kMaxReportLabels) {
        message(kReportTooLong);
        return;
    }
    if (state.printedLog.empty() || !choosePrinter) return;
    std::unique_ptr<Canvas> canvas = choosePrinter(PrintKind::Report);
    if (!canvas) return;
    message(kInsertPlainPaper);
    ReportJob job;
    job.sheetType = state.sheetType;
    size_t count = std::min(state.printedLog.size(), static_cast<size_t>(state.sampleCount));
    job.entries.assign(state.printedLog.begin(), state.printedLog.begin() + count);
    PrintStyle style = printStyle();
    job.text = style.text;
    job.background = style.background;
    job.rainbow = style.rainbow;
    job.fontFamily = state.labelFontName;
    job.fontBold = state.labelFontBold;
    job.printedAt = printTime();
    if (!printReport(*canvas, job)) message(kCannotPrint);
}

void MainForm::excel() {
    const PrintedRun &run = state.printedRun;
    if (!state.printedFlag || !hasWorkbookRecord(run.sheetType, run.layoutType)) return;
    if (!chooseWorkbookFile) return;
    std::optional<std::string> chosen = chooseWorkbookFile();
    if (!chosen || chosen->empty()) return;
    const std::string fileName = workbookFileName(*chosen);
    std::error_code ec;
    if (std::filesystem::exists(fileName, ec) && !(onQuestion && onQuestion(kOverwriteQuestion)))
        return;
    exportWorkbook(fileName);
}

bool MainForm::exportWorkbook(const std::string &fileName) {
    const PrintedRun &run = state.printedRun;
    const std::string heading =
        workbookHeading(formatDate(today_(), "YY/MM/DD"), state.separator, run.sheetType);
    const std::string failure = workbookFailureText(
        writeBook(workbookCalls(run, state.printedLog, heading, fileName)), fileName);
    if (!failure.empty()) message(failure);
    return failure.empty();
}

void MainForm::back() {
    int layoutType = state.layoutType;
    tabControl1.tabIndex = state.layoutTab;
    for (const char *name : kSheetPictures) panels_.at(name).visible = false;
    for (const char *name : {kRoundPreview, kFramedPreview, kTextPreview})
        panels_.at(name).visible = false;
    memos_.at(kRoundPreviewMemo).setText("");
    memos_.at(kTextPreviewMemo).setText("");
    showSetupScreen();
    changeTab(state.layoutTab);
    clickLayout(layoutType);
}

}  // namespace labelora
