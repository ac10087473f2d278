// The texts of each label of a print run: serial numbers with padding, step and repeat,
// letters that advance with the carry, dates, words, text-list entries and free texts.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/forms/catalogue.h"

namespace labelora {

// Everything a run's texts depend on, taken from the set-up screen when the run is printed.
// Inputs are kept by control name ("Edit2", "ListBox4", "Label9", ...) so that the rules
// below read like the layout tables of the set-up screen.
struct LabelRun {
    int sheetType = 1;
    int layoutType = 1;
    int sampleCount = 30;
    int repeatCount = 1;
    int startNumber = 1;
    int numberStep = 1;
    bool plainNumbers = false;
    std::string separator = " ";
    std::map<std::string, std::string> texts;  // edits, chosen words, date preview captions
    std::map<std::string, int> letters;        // letter lists: "A" = 0 .. "Z" = 25
    std::vector<std::string> memoLines;        // the layout's two-line memo
    std::vector<std::string> textList;         // "→文字" entries
    // Line 2 of the print screen's preview memo, which the user may edit before printing;
    // when unset, the text-list layouts take it from their second input.
    std::optional<std::string> previewSecondLine;

    Family family() const { return labelora::sheetType(sheetType).family; }
    int runLength() const { return sampleCount * repeatCount; }
    std::string text(const std::string &control) const;
    int letter(const std::string &control) const;
};

// The lines of one label, top to bottom. Round labels have two: upper and lower. An empty
// vector is a label without text (the blank colour labels).
struct LabelTexts {
    std::vector<std::string> lines;
    std::string line(size_t i) const { return i < lines.size() ? lines[i] : std::string(); }
};

// Series index of the label printed at `n` labels from the start of the run.
inline int seriesIndex(int n, int repeatCount) {
    return n / repeatCount;
}

// The texts of label `k` of the series (each k is printed repeatCount times).
LabelTexts labelTexts(const LabelRun &run, int k);

// Serial number texts of `value`: four digits wrap at 10000, three at 1000.
std::string fourDigitNumber(int value, bool plain);
std::string threeDigitNumber(int value, bool plain);

// A letter ("A" = 0) moved on by `carry` letters, wrapping after "Z".
char letterAfter(int letter, int carry);

// C layout 3: two letters and a two-digit number; the hundreds carry into the letters.
std::string twoLettersAndNumber(int firstLetter, int secondLetter, int value, bool plain);

// Layouts whose lower/first line carries a serial number with a letter list.
bool hasLetterCarry(Family family, int layoutType);
// Layouts whose number is replaced by an entry of the text list.
bool usesTextList(Family family, int layoutType);
// Layout 8 with its two-line memo empty: blank colour labels.
bool isBlankLayout(const LabelRun &run);
// M 11, 12 and T 9..12 draw a frame instead of a filled label.
bool isFramedLayout(Family family, int layoutType);

}  // namespace labelora
