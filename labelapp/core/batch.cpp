#include "core/batch.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <set>

namespace labelora {
namespace {

std::optional<int> parseInt(const std::string &text) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return {};
    return value;
}

std::optional<double> parseMillimetres(const std::string &text) {
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return {};
    return value;
}

int indexOfItem(const ListBox &list, const std::string &text) {
    for (int i = 0; i < list.count(); ++i)
        if (list.items()[i] == text) return i;
    return -1;
}

std::string listFileNote(const ListImport &import) {
    std::string text = "list file: " + std::to_string(import.taken) + " taken";
    if (import.cut) text += " (" + std::to_string(import.cut) + " cut)";
    if (import.skipped) text += ", " + std::to_string(import.skipped) + " empty skipped";
    if (import.beyond)
        text += ", " + std::to_string(import.beyond) + " beyond the " +
                std::to_string(kMaxTextListLines) + " a list holds left out";
    return text;
}

std::string codeRefusalNote(Symbology code, const CodeRefusal &refusal, int sheet, int layout) {
    const std::string name = symbologyName(code).caption;
    const std::string option = std::string("--code ") + symbologyName(code).option + ": ";
    if (refusal.reason == CodeRefusal::Reason::CannotEncode)
        return option + "\"" + refusal.text + "\" has characters " + name +
               " cannot hold (printable ASCII only)";
    return option + "no room for " + name + " on the labels of sheet " + std::to_string(sheet) +
           " layout " + std::to_string(layout) + " (\"" + refusal.text + "\")";
}

}  // namespace

BatchOptions parseBatchOptions(const std::vector<std::string> &args) {
    static const std::set<std::string> kSwitches = {
        "--batch",     "--plain",           "--rainbow",  "--frame",
        "--user-data", "--create-data-dir", "--overwrite"};
    static const std::set<std::string> kValued = {
        "--pdf",        "--report",     "--data-dir",       "--sheet",       "--layout",
        "--text",       "--second",     "--letter",         "--word1",       "--word2",
        "--memo",       "--list",       "--count",          "--start",       "--repeat",
        "--step",       "--day-offset", "--start-position", "--separator",   "--text-colour",
        "--background", "--align",      "--offset-right",   "--offset-down", "--xls",
        "--code",       "--list-file"};
    BatchOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (kSwitches.count(arg)) {
            o.plainNumbers |= arg == "--plain";
            o.rainbow |= arg == "--rainbow";
            o.frame |= arg == "--frame";
            o.folder.useUserFolder |= arg == "--user-data";
            o.folder.createDataDir |= arg == "--create-data-dir";
            o.overwrite |= arg == "--overwrite";
            continue;
        }
        if (!kValued.count(arg)) {
            o.errors.push_back("unknown option " + arg);
            continue;
        }
        if (i + 1 >= args.size()) {
            o.errors.push_back(arg + " needs a value");
            continue;
        }
        const std::string &value = args[++i];
        auto number = [&](std::optional<int> &into) {
            into = parseInt(value);
            if (!into) o.errors.push_back(arg + " needs a whole number, not " + value);
        };
        auto millimetres = [&](std::optional<double> &into) {
            into = parseMillimetres(value);
            if (!into) o.errors.push_back(arg + " needs millimetres, not " + value);
        };
        std::optional<int> n;
        if (arg == "--pdf")
            o.pdf = value;
        else if (arg == "--report")
            o.reportPdf = value;
        else if (arg == "--xls")
            o.workbook = value;
        else if (arg == "--data-dir")
            o.folder.dataDir = value;
        else if (arg == "--sheet") {
            number(n);
            o.sheet = n.value_or(0);
        } else if (arg == "--layout") {
            number(n);
            o.layout = n.value_or(0);
        } else if (arg == "--text")
            o.text = value;
        else if (arg == "--second")
            o.second = value;
        else if (arg == "--letter")
            o.letters.push_back(value);
        else if (arg == "--word1")
            o.firstWord = value;
        else if (arg == "--word2")
            o.secondWord = value;
        else if (arg == "--memo")
            o.memoLines.push_back(value);
        else if (arg == "--list")
            o.listEntries.push_back(value);
        else if (arg == "--list-file")
            o.listFile = value;
        else if (arg == "--code")
            o.code = value;
        else if (arg == "--count")
            number(o.count);
        else if (arg == "--start")
            number(o.startNumber);
        else if (arg == "--repeat")
            number(o.repeat);
        else if (arg == "--step")
            number(o.step);
        else if (arg == "--day-offset")
            number(o.dayOffset);
        else if (arg == "--start-position")
            number(o.startPosition);
        else if (arg == "--separator")
            o.separator = value;
        else if (arg == "--text-colour")
            o.textColour = value;
        else if (arg == "--background")
            o.background = value;
        else if (arg == "--align")
            o.align = value;
        else if (arg == "--offset-right")
            millimetres(o.offsetRight);
        else if (arg == "--offset-down")
            millimetres(o.offsetDown);
    }
    if (o.pdf.empty()) o.errors.push_back("--pdf FILE is required");
    if (o.sheet < 1 || o.sheet > 4) o.errors.push_back("--sheet must be 1, 2, 3 or 4");
    if (o.memoLines.size() > 2) o.errors.push_back("--memo takes at most two lines");
    if (o.overwrite && o.workbook.empty()) o.errors.push_back("--overwrite goes with --xls FILE");
    if (!o.listFile.empty() && !o.listEntries.empty())
        o.errors.push_back("--list and --list-file do not go together");
    if (o.code && !symbologyByOption(*o.code))
        o.errors.push_back("--code must be none, datamatrix, qr or code128");
    return o;
}

std::vector<std::string> prepareBatchRun(MainForm &form, const BatchOptions &o,
                                         std::vector<std::string> *notes) {
    std::vector<std::string> errors;
    std::vector<std::string> messages;
    auto previous = form.onMessage;
    // A refusal of "PrintSet" comes back as an error; it is held so it is not told twice.
    bool holding = false;
    form.onMessage = [&](const std::string &text) {
        messages.push_back(text);
        if (previous && !holding) previous(text);
    };
    auto pick = [&](const std::string &list, int index, const std::string &what) {
        ListBox &box = form.listBox(list);
        if (index < 0 || index >= box.count()) {
            errors.push_back(what + " is out of range (1.." + std::to_string(box.count()) + ")");
            return;
        }
        form.clickListBox(list, index);
    };

    form.clickSheetType(o.sheet);
    const Layout *layout = findLayout(form.family(), o.layout);
    if (!layout) {
        errors.push_back("sheet " + std::to_string(o.sheet) + " has no layout " +
                         std::to_string(o.layout));
        form.onMessage = previous;
        return errors;
    }
    form.changeTab((o.layout - 1) / 4);
    form.clickLayout(o.layout);

    // The menus first: the number previews and the repeat list depend on them.
    if (o.plainNumbers) form.clickMenu("mnuPlain");
    if (o.separator) {
        const char *menu = *o.separator == "blank"        ? "mnuBlank"
                           : *o.separator == "hyphen"     ? "mnuHyphen"
                           : *o.separator == "two-blanks" ? "mnuTwoBlanks"
                                                          : nullptr;
        if (menu)
            form.clickMenu(menu);
        else
            errors.push_back("--separator must be blank, hyphen or two-blanks");
    }
    if (o.step) {
        std::string menu = "mnuStep" + std::to_string(*o.step);
        if (form.menuItems().count(menu))
            form.clickMenu(menu);
        else
            errors.push_back("--step must be 1, 2, 3, 5 or 10");
    }

    const std::optional<std::string> *texts[] = {&o.text, &o.second};
    bool hasTextList = false;
    size_t text = 0, letter = 0;
    for (const auto &input : layout->inputs) {
        switch (input.kind) {
            case InputKind::Edit:
                if (text < 2 && *texts[text]) form.typeEdit(input.control, **texts[text]);
                ++text;
                break;
            case InputKind::Letter:
                if (letter < o.letters.size()) {
                    const std::string &l = o.letters[letter];
                    if (l.size() == 1 && l[0] >= 'A' && l[0] <= 'Z')
                        form.clickListBox(input.control, l[0] - 'A');
                    else
                        errors.push_back("--letter must be one of A..Z, not " + l);
                }
                ++letter;
                break;
            case InputKind::FirstWord:
            case InputKind::SecondWord: {
                const auto &word = input.kind == InputKind::FirstWord ? o.firstWord : o.secondWord;
                if (!word) break;
                int index = indexOfItem(form.listBox(input.control), *word);
                if (index < 0)
                    errors.push_back(*word + " is not in " +
                                     (input.kind == InputKind::FirstWord ? "DB1.txt" : "DB3.txt"));
                else
                    form.clickListBox(input.control, index);
                break;
            }
            case InputKind::TwoLineMemo: {
                std::string typed;
                for (size_t i = 0; i < o.memoLines.size(); ++i) {
                    typed = (i ? form.memo(input.control).text() + "\n" : "") + o.memoLines[i];
                    form.typeMemo(input.control, typed, static_cast<int>(i));
                }
                break;
            }
            case InputKind::TextList: {
                const GroupPanel *group = findGroupPanel(form.family(), (o.layout - 1) / 4);
                if (!group || group->textListMemo.empty()) break;
                hasTextList = true;
                Memo &memo = form.memo(group->textListMemo);
                if (!o.listFile.empty()) {
                    ListImport import = form.importTextList(group->textListMemo, o.listFile);
                    if (!import.error.empty())
                        errors.push_back("--list-file: " + import.error);
                    else if (notes)
                        notes->push_back(listFileNote(import));
                    break;
                }
                memo.setText("");
                for (size_t i = 0; i < o.listEntries.size(); ++i)
                    form.typeMemo(group->textListMemo,
                                  (i ? memo.text() + "\n" : "") + o.listEntries[i],
                                  static_cast<int>(i));
                break;
            }
            case InputKind::Number:
            case InputKind::Date:
            case InputKind::FixedMemo:
                break;
        }
    }
    if ((text < 1 && o.text) || (text < 2 && o.second))
        errors.push_back("the layout has fewer text boxes than given");
    if (letter < o.letters.size()) errors.push_back("the layout has fewer letter lists than given");
    if (!o.listFile.empty() && !hasTextList)
        errors.push_back("--list-file: the layout has no text list");

    if (o.count) pick("ListBox2", *o.count - 1, "--count");
    if (o.startNumber) pick("ListBox12", *o.startNumber - 1, "--start");
    if (o.repeat) pick("ListBox1", *o.repeat - 1, "--repeat");
    if (o.dayOffset) {
        if (*o.dayOffset < -kMaxDayOffset || *o.dayOffset > kMaxDayOffset)
            errors.push_back("--day-offset is out of range (" + std::to_string(-kMaxDayOffset) +
                             ".." + std::to_string(kMaxDayOffset) + ")");
        else
            form.clickListBox(dayOffsetLists().front(), *o.dayOffset + kMaxDayOffset);
    }
    // A run whose record cannot be written is refused before anything is printed.
    if (!o.workbook.empty()) {
        const std::string workbook = workbookFileName(o.workbook);
        std::error_code ec;
        if (!hasWorkbookRecord(o.sheet, o.layout))
            errors.push_back("--xls: layout " + std::to_string(o.layout) + " of sheet " +
                             std::to_string(o.sheet) + " has no serial record to write");
        else if (!o.overwrite && std::filesystem::exists(workbook, ec))
            errors.push_back(workbook + " exists; add --overwrite to replace it");
    }
    if (!errors.empty()) {
        form.onMessage = previous;
        return errors;
    }

    const size_t before = messages.size();
    holding = true;
    form.clickButton("cmdPrintSet");
    holding = false;
    if (form.screen != Screen::Print) {
        errors.assign(messages.begin() + static_cast<std::ptrdiff_t>(before), messages.end());
        if (errors.empty()) errors.push_back("the layout's text list is empty");
        form.onMessage = previous;
        return errors;
    }
    for (size_t i = before; previous && i < messages.size(); ++i) previous(messages[i]);

    // The print-screen choices are checked first and made only when all are good, so that a
    // refused run leaves the start file as it was.
    std::vector<std::function<void()>> choices;
    if (o.startPosition) {
        const auto &columns = columnBands(o.sheet);
        const auto &rows = rowBands(o.sheet);
        int pos = *o.startPosition;
        if (pos < 1 || pos > static_cast<int>(columns.size() * rows.size())) {
            errors.push_back("--start-position is outside the sheet");
        } else {
            // Clicked where the window's sheet picture shows that label.
            const PixelBand &column = columns[(pos - 1) % columns.size()];
            const PixelBand &row = rows[(pos - 1) / columns.size()];
            choices.push_back([&form, x = (column.first + column.last) / 2,
                               y = (row.first + row.last) / 2] { form.clickSheetPicture(x, y); });
        }
    }
    auto offset = [&](const std::optional<double> &mm, const char *list, const char *option) {
        if (!mm) return;
        double steps = *mm * 2;
        if (steps != std::floor(steps) || steps < -kNoOffset || steps > kNoOffset)
            errors.push_back(std::string(option) + " must be -5 .. 5 in steps of 0.5");
        else
            choices.push_back([&form, list, index = static_cast<int>(steps) + kNoOffset] {
                form.clickListBox(list, index);
            });
    };
    offset(o.offsetRight, kOffsetRightList, "--offset-right");
    offset(o.offsetDown, kOffsetDownList, "--offset-down");
    auto colour = [&](const std::optional<std::string> &name, const char *list,
                      const char *option) {
        if (!name) return;
        int index = indexOfItem(form.listBox(list), *name);
        if (index < 0)
            errors.push_back(std::string(option) + ": no colour " + *name);
        else
            choices.push_back([&form, list, index] { form.clickListBox(list, index); });
    };
    colour(o.textColour, kTextColourList, "--text-colour");
    colour(o.background, kBackgroundList, "--background");
    if (o.rainbow) {
        if (form.checkBox(kRainbowCheck).visible)
            choices.push_back([&form] { form.clickCheckBox(kRainbowCheck); });
        else
            errors.push_back("--rainbow needs --repeat 2 or more");
    }
    if (o.frame) choices.push_back([&form] { form.clickCheckBox(kFrameCheck); });
    if (std::optional<Symbology> code = o.code ? symbologyByOption(*o.code) : std::nullopt) {
        PrintJob job = form.printJob();
        job.style.code = *code;
        if (std::optional<CodeRefusal> refusal = codeRefusal(job, kCheckResolution))
            errors.push_back(codeRefusalNote(*code, *refusal, o.sheet, o.layout));
        else
            choices.push_back([&form, code] { form.clickRadio(symbologyName(*code).radio); });
    }
    if (o.align) {
        int index = *o.align == "left"     ? 0
                    : *o.align == "centre" ? 1
                    : *o.align == "right"  ? 2
                                           : -1;
        if (index < 0)
            errors.push_back("--align must be left, centre or right");
        else
            choices.push_back([&form, index] { form.clickRadio(kAlignRadios[index]); });
    }
    if (errors.empty())
        for (const auto &choose : choices) choose();
    form.onMessage = previous;
    return errors;
}

bool isBatchCommandLine(const std::vector<std::string> &args) {
    return std::find(args.begin(), args.end(), "--batch") != args.end();
}

std::string nextRunSummary(const MainForm &form) {
    const WorkingState &state = form.state;
    std::string text = "next start position " +
                       std::to_string(state.startPosition[state.sheetType - 1]) +
                       ", next start number " + std::to_string(state.startNumber);
    std::vector<std::string> letters;
    if (const Layout *layout = findLayout(form.family(), state.layoutType)) {
        for (const auto &input : layout->inputs) {
            if (input.kind != InputKind::Letter) continue;
            const ListBox &list = form.listBoxes().at(input.control);
            if (list.itemIndex() >= 0) letters.push_back(list.items()[list.itemIndex()]);
        }
    }
    if (!letters.empty()) {
        text += letters.size() == 1 ? ", next letter " : ", next letters ";
        for (size_t i = 0; i < letters.size(); ++i) text += (i ? ", " : "") + letters[i];
    }
    return text;
}

}  // namespace labelora
