// The fixed tables of the program: the four label sheets and the layouts of each family
// with their group panels, inputs and numbering.
#pragma once

#include <string>
#include <vector>

namespace labelora {

enum class Family { C, M, T };

struct SheetType {
    int number;             // 1..4
    const char *radio;      // radio button on the set-up screen
    const char *caption;    // its caption
    const char *shortName;  // name in the workbook heading
    int capacity, across, down;
    Family family;
};

const std::vector<SheetType> &sheetTypes();
const SheetType &sheetType(int number);  // 1..4

enum class InputKind {
    Edit,         // free text, limit in characters
    Letter,       // letter list "A".."Z"
    FirstWord,    // word from the first word list
    SecondWord,   // word from the second word list
    Number,       // number preview, format "0000", "000" or "00"
    Date,         // date preview, format "MM/DD", "YY|MM" or "YY/MM/DD"
    TwoLineMemo,  // two free lines, limit in bytes per line
    FixedMemo,    // a fixed text
    TextList,     // "→文字": the number is replaced by the group's text list
};

struct LayoutInput {
    InputKind kind;
    std::string control;  // control name; empty for TextList
    std::string format;   // Number/Date format, FixedMemo text
    int limit = 0;        // Edit: characters; TwoLineMemo: bytes per line
    int sheet4Limit = 0;  // the longer limit on the 12 x 40 mm sheet, 0 = same
};

inline constexpr int kKeepDigitMode = -1;

struct Layout {
    Family family;
    int number;            // 1..20
    std::string radio;     // radio button in the group panel
    std::string subPanel;  // panel of its inputs; empty for the fixed texts
    int digitMode;         // 0 four, 1 three, 2 two digits, or kKeepDigitMode
    std::vector<LayoutInput> inputs;
};

struct GroupPanel {
    Family family;
    int tab;  // 0..4
    std::string name;
    std::string dayOffsetList;  // empty when the group has no dates
    std::string textListMemo;   // "→文字" groups: memo and its reset button
    std::string resetButton;
};

const std::vector<Layout> &layouts();
const Layout *findLayout(Family family, int number);
const Layout *findLayoutByRadio(const std::string &radio);
const std::vector<GroupPanel> &groupPanels();
const GroupPanel *findGroupPanel(Family family, int tab);

// Number of tabs and their captions per family.
std::vector<std::string> tabCaptions(Family family);

// The names of the list boxes of each kind, in a fixed order.
const std::vector<std::string> &letterLists();
const std::vector<std::string> &firstWordLists();
const std::vector<std::string> &secondWordLists();
const std::vector<std::string> &dayOffsetLists();

// The text list memos: lines are cut to this many bytes as typed.
inline constexpr int kTextListLineBytes = 5;
inline constexpr int kTextListLineBytesLetterLayout = 4;  // C layout 10: letter + text

}  // namespace labelora
