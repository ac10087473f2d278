#include "core/printing/label_texts.h"

#include "core/files/cp932.h"
#include "core/printing/preview_text.h"

namespace labelora {
namespace {

constexpr int kLetters = 26;
constexpr int kRoundLineBytes = 5;  // a round label holds five bytes a line

// The letter is put in front of the text: GCC 12 at -O3 reports a false overlap for
// std::string(1, letter) + text.
std::string letterThen(char letter, std::string text) {
    text.insert(text.begin(), letter);
    return text;
}

std::string joined(const std::string &a, const std::string &separator, const std::string &b) {
    return a + separator + b;
}

// "[text + separator +] number": the number alone when the text is empty.
std::string optionalLead(const std::string &text, const std::string &separator,
                         const std::string &number) {
    return text.empty() ? number : joined(text, separator, number);
}

std::string listEntry(const LabelRun &run, int k) {
    return k >= 0 && k < static_cast<int>(run.textList.size()) ? run.textList[k] : std::string();
}

std::string memoLine(const LabelRun &run, size_t i) {
    return i < run.memoLines.size() ? run.memoLines[i] : std::string();
}

std::vector<std::string> memoTexts(const LabelRun &run) {
    std::vector<std::string> lines(
        run.memoLines.begin(), run.memoLines.begin() + std::min<size_t>(run.memoLines.size(), 2));
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

std::string secondLineOr(const LabelRun &run, const std::string &fromInput) {
    return run.previewSecondLine ? *run.previewSecondLine : fromInput;
}

std::string letterWithCarry(const LabelRun &run, const std::string &list, int value) {
    return letterThen(letterAfter(run.letter(list), value / 1000),
                      threeDigitNumber(value, run.plainNumbers));
}

LabelTexts roundTexts(const LabelRun &run, int k, int value) {
    const bool plain = run.plainNumbers;
    std::string upper, lower;
    switch (run.layoutType) {
        case 1:
            upper = run.text("Edit1");
            lower = fourDigitNumber(value, plain);
            break;
        case 2:
            upper = run.text("Edit2");
            lower = letterWithCarry(run, "ListBox4", value);
            break;
        case 3:
            upper = run.text("Edit3");
            lower =
                twoLettersAndNumber(run.letter("ListBox5"), run.letter("ListBox6"), value, plain);
            break;
        case 4:
            upper = run.text("Label10");
            lower = fourDigitNumber(value, plain);
            break;
        case 5:
            upper = run.text("Label13");
            lower = fourDigitNumber(value, plain);
            break;
        case 6:
            upper = run.text("Label19");
            lower = letterWithCarry(run, "ListBox7", value);
            break;
        case 7:
            upper = run.text("Label17");
            lower = letterWithCarry(run, "ListBox3", value);
            break;
        case 8:
            upper = memoLine(run, 0);
            lower = cutToCp932Bytes(memoLine(run, 1), kRoundLineBytes);
            break;
        case 9:
            upper = run.text("Edit21");
            lower = cutToCp932Bytes(listEntry(run, k), 5);
            break;
        case 10:
            upper = run.text("Edit22");
            lower = letterThen(letterAfter(run.letter("ListBox30"), 0),
                               cutToCp932Bytes(listEntry(run, k), 4));
            break;
        case 11:
            upper = run.text("Label52");
            lower = cutToCp932Bytes(listEntry(run, k), 5);
            break;
        case 12:
            upper = run.text("Label54");
            lower = cutToCp932Bytes(listEntry(run, k), 5);
            break;
        default:
            break;
    }
    if (run.layoutType == 8 && upper.empty() && lower.empty()) return {};
    // The upper line is what the round preview shows: its first five bytes.
    return {{cutToCp932Bytes(upper, kRoundLineBytes), lower}};
}

LabelTexts rectangleTexts12x24(const LabelRun &run, int k, int value) {
    const std::string &sep = run.separator;
    const std::string three = threeDigitNumber(value, run.plainNumbers);
    auto lettered = [&](const char *list) {
        return joined(std::string(1, letterAfter(run.letter(list), value / 1000)), sep, three);
    };
    const std::string entry = listEntry(run, k);
    switch (run.layoutType) {
        case 1:
            return {{fourDigitNumber(value, run.plainNumbers), run.text("Label20")}};
        case 2:
            return {{lettered("ListBox10"), run.text("Label22")}};
        case 3:
            return {{optionalLead(run.text("Edit4"), sep, three), run.text("Label28")}};
        case 4:
            return {{optionalLead(run.text("Edit7"), sep, three), run.text("Edit5")}};
        case 5:
            return {{lettered("ListBox16"), run.text("Edit6")}};
        case 6:
            return {{optionalLead(run.text("Edit12"), sep, three), run.text("ListBox17")}};
        case 7:
            return {{joined(run.text("ListBox11"), sep, three), run.text("ListBox18")}};
        case 8:
            return {memoTexts(run)};
        case 9:
            return {{optionalLead(run.text("Edit10"), sep, three)}};
        case 10:
            return {{joined(run.text("ListBox13"), sep, three)}};
        case 11:
            return {{optionalLead(run.text("Edit17"), sep, three)}};
        case 12:
            return {{run.text("Edit18")}};
        case 13:
            return {
                {joined(run.text("Edit23"), sep, entry), secondLineOr(run, run.text("Label57"))}};
        case 14:
            return {
                {joined(run.text("Edit25"), sep, entry), secondLineOr(run, run.text("Edit24"))}};
        case 15:
            return {
                {joined(run.text("Edit26"), sep, entry), secondLineOr(run, run.text("ListBox34"))}};
        case 16:
            return {{joined(run.text("ListBox33"), sep, entry),
                     secondLineOr(run, run.text("ListBox32"))}};
        case 17:
            return {{"ー８０℃"}};
        case 18:
            return {{"ー２０℃"}};
        case 19:
            return {{"４℃"}};
        case 20:
            return {{"注意"}};
        default:
            return {};
    }
}

LabelTexts tubeTexts(const LabelRun &run, int k, int value) {
    const std::string &sep = run.separator;
    const std::string four = fourDigitNumber(value, run.plainNumbers);
    const std::string three = threeDigitNumber(value, run.plainNumbers);
    const std::string entry = listEntry(run, k);
    switch (run.layoutType) {
        case 1:
            return {{optionalLead(run.text("Edit11"), sep, four), run.text("Label30")}};
        case 2:
            return {{joined(run.text("ListBox8"), sep, four), run.text("Label35")}};
        case 3:
            return {{run.text("Edit19"), run.text("Label46")}};
        case 4:
            return {{optionalLead(run.text("Edit8"), sep, four), run.text("Edit16")}};
        case 5:
            return {{joined(run.text("ListBox14"), sep, four), run.text("Edit9")}};
        case 6:
            return {{optionalLead(run.text("Edit13"), sep, four), run.text("ListBox15")}};
        case 7:
            return {{run.text("Edit14"), run.text("ListBox26")}};
        case 8:
            return {memoTexts(run)};
        case 9:
            return {{joined(three, sep, run.text("Label45"))}};
        case 10:
            return {{joined(run.text("Edit20"), sep, three)}};
        case 11:
            return {{joined(run.text("ListBox24"), sep, three)}};
        case 12:
            return {{run.text("Edit15")}};
        case 13:
            return {
                {joined(run.text("Edit27"), sep, entry), secondLineOr(run, run.text("Label61"))}};
        case 14:
            return {
                {joined(run.text("Edit28"), sep, entry), secondLineOr(run, run.text("Edit29"))}};
        case 15:
            return {
                {joined(run.text("Edit30"), sep, entry), secondLineOr(run, run.text("ListBox36"))}};
        case 16:
            return {{joined(run.text("Edit31"), sep, entry),
                     secondLineOr(run, run.text("ListBox37")), run.text("Label66")}};
        default:
            return {};
    }
}

}  // namespace

std::string LabelRun::text(const std::string &control) const {
    auto it = texts.find(control);
    return it == texts.end() ? std::string() : it->second;
}

int LabelRun::letter(const std::string &control) const {
    auto it = letters.find(control);
    return it == letters.end() ? 0 : it->second;
}

std::string fourDigitNumber(int value, bool plain) {
    return formatNumber(value % 10000, "0000", plain);
}

std::string threeDigitNumber(int value, bool plain) {
    return formatNumber(value % 1000, "000", plain);
}

char letterAfter(int letter, int carry) {
    int index = (letter + carry) % kLetters;
    if (index < 0) index += kLetters;
    return static_cast<char>('A' + index);
}

std::string twoLettersAndNumber(int firstLetter, int secondLetter, int value, bool plain) {
    int carry = value / 100;
    std::string number = formatNumber(value - 100 * carry, "00", plain);
    if (number.size() > 2) number = number.substr(number.size() - 2);
    // Every full round of the second letter moves the first one on.
    int second = secondLetter + carry;
    return std::string{letterAfter(firstLetter, second / kLetters), letterAfter(second, 0)} +
           number;
}

bool hasLetterCarry(Family family, int layoutType) {
    if (family == Family::C) return layoutType == 2 || layoutType == 6 || layoutType == 7;
    if (family == Family::M) return layoutType == 2 || layoutType == 5;
    return false;
}

bool usesTextList(Family family, int layoutType) {
    if (family == Family::C) return layoutType >= 9 && layoutType <= 12;
    return layoutType >= 13 && layoutType <= 16;
}

bool isBlankLayout(const LabelRun &run) {
    if (run.layoutType != 8) return false;
    for (const auto &line : run.memoLines)
        if (!line.empty()) return false;
    return true;
}

bool isFramedLayout(Family family, int layoutType) {
    if (family == Family::M) return layoutType == 11 || layoutType == 12;
    if (family == Family::T) return layoutType >= 9 && layoutType <= 12;
    return false;
}

LabelTexts labelTexts(const LabelRun &run, int k) {
    int value = k * run.numberStep + run.startNumber;
    switch (run.family()) {
        case Family::C:
            return roundTexts(run, k, value);
        case Family::M:
            return rectangleTexts12x24(run, k, value);
        case Family::T:
            return tubeTexts(run, k, value);
    }
    return {};
}

}  // namespace labelora
