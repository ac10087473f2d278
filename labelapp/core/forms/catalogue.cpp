#include "core/forms/catalogue.h"

#include <stdexcept>

namespace labelora {
namespace {

LayoutInput edit(const char *name, int limit, int sheet4Limit = 0) {
    return {InputKind::Edit, name, "", limit, sheet4Limit};
}
LayoutInput letter(const char *name) {
    return {InputKind::Letter, name, "", 0, 0};
}
LayoutInput word1(const char *name) {
    return {InputKind::FirstWord, name, "", 0, 0};
}
LayoutInput word2(const char *name) {
    return {InputKind::SecondWord, name, "", 0, 0};
}
LayoutInput number(const char *name, const char *format) {
    return {InputKind::Number, name, format, 0, 0};
}
LayoutInput date(const char *name, const char *format) {
    return {InputKind::Date, name, format, 0, 0};
}
LayoutInput memo(const char *name, int bytes, int sheet4Bytes = 0) {
    return {InputKind::TwoLineMemo, name, "", bytes, sheet4Bytes};
}
LayoutInput fixedText(const char *name, const char *text) {
    return {InputKind::FixedMemo, name, text, 0, 0};
}
LayoutInput textList() {
    return {InputKind::TextList, "", "", 0, 0};
}

constexpr int keep = kKeepDigitMode;

}  // namespace

const std::vector<SheetType> &sheetTypes() {
    static const std::vector<SheetType> types = {
        {1, "RadioButton10", "円形１１ｍｍφ（１５０面）", "１１ｍφ円形", 150, 10, 15, Family::C},
        {2, "RadioButton2", "長方形１２ｍｍＸ２４ｍｍ（６０面）", "１２ｍｍＸ２４ｍｍ", 60, 6, 10,
         Family::M},
        {3, "RadioButton9", "長方形１０ｍｍＸ３０ｍｍ（９５面）", "１０ｍｍＸ３０ｍｍ", 95, 5, 19,
         Family::T},
        {4, "RadioButton3", "長方形１２ｍｍＸ４０ｍｍ（７２面）", "１２ｍｍＸ４０ｍｍ", 72, 4, 18,
         Family::T},
    };
    return types;
}

const SheetType &sheetType(int number) {
    if (number < 1 || number > 4) throw std::out_of_range("sheet type");
    return sheetTypes()[number - 1];
}

const std::vector<Layout> &layouts() {
    using F = Family;
    static const std::vector<Layout> all = {
        {F::C, 1, "RadioButton1", "Panel1", 0, {edit("Edit1", 5), number("Label5", "0000")}},
        {F::C,
         2,
         "RadioButton5",
         "Panel2",
         1,
         {edit("Edit2", 5), letter("ListBox4"), number("Label9", "000")}},
        {F::C,
         3,
         "RadioButton11",
         "Panel3",
         2,
         {edit("Edit3", 5), letter("ListBox5"), letter("ListBox6"), number("Label12", "00")}},
        {F::C,
         4,
         "RadioButton6",
         "Panel4",
         0,
         {date("Label10", "MM/DD"), number("Label11", "0000")}},
        {F::C,
         5,
         "RadioButton12",
         "Panel6",
         0,
         {date("Label13", "YY|MM"), number("Label16", "0000")}},
        {F::C,
         6,
         "RadioButton13",
         "Panel8",
         1,
         {date("Label19", "YY|MM"), letter("ListBox7"), number("Label15", "000")}},
        {F::C,
         7,
         "RadioButton15",
         "Panel7",
         1,
         {date("Label17", "MM/DD"), letter("ListBox3"), number("Label18", "000")}},
        {F::C, 8, "RadioButton14", "Panel9", keep, {memo("Memo2", 5)}},
        {F::C, 9, "RadioButton44", "Panel37", keep, {edit("Edit21", 5), textList()}},
        {F::C,
         10,
         "RadioButton45",
         "Panel38",
         keep,
         {edit("Edit22", 5), letter("ListBox30"), textList()}},
        {F::C, 11, "RadioButton46", "Panel39", keep, {date("Label52", "YY|MM"), textList()}},
        {F::C, 12, "RadioButton47", "Panel40", keep, {date("Label54", "MM/DD"), textList()}},

        {F::M,
         1,
         "RadioButton16",
         "Panel10",
         0,
         {date("Label20", "YY/MM/DD"), number("Label21", "0000")}},
        {F::M,
         2,
         "RadioButton17",
         "Panel11",
         1,
         {date("Label22", "YY/MM/DD"), letter("ListBox10"), number("Label24", "000")}},
        {F::M,
         3,
         "RadioButton18",
         "Panel12",
         1,
         {edit("Edit4", 4), number("Label23", "000"), date("Label28", "YY/MM/DD")}},
        {F::M,
         4,
         "RadioButton19",
         "Panel13",
         1,
         {edit("Edit7", 4), number("Label36", "000"), edit("Edit5", 8)}},
        {F::M,
         5,
         "RadioButton20",
         "Panel15",
         1,
         {letter("ListBox16"), number("Label31", "000"), edit("Edit6", 8)}},
        {F::M,
         6,
         "RadioButton21",
         "Panel16",
         1,
         {edit("Edit12", 4), number("Label33", "000"), word2("ListBox17")}},
        {F::M,
         7,
         "RadioButton22",
         "Panel17",
         1,
         {word1("ListBox11"), number("Label34", "000"), word2("ListBox18")}},
        {F::M, 8, "RadioButton23", "Panel18", keep, {memo("Memo1", 12)}},
        {F::M, 9, "RadioButton36", "Panel14", 1, {edit("Edit10", 6), number("Label40", "000")}},
        {F::M, 10, "RadioButton37", "Panel5", 1, {word1("ListBox13"), number("Label42", "000")}},
        {F::M, 11, "RadioButton38", "Panel31", 1, {edit("Edit17", 6), number("Label44", "000")}},
        {F::M, 12, "RadioButton39", "Panel32", keep, {edit("Edit18", 10)}},
        {F::M,
         13,
         "RadioButton48",
         "Panel41",
         keep,
         {edit("Edit23", 4), date("Label57", "YY/MM/DD"), textList()}},
        {F::M,
         14,
         "RadioButton49",
         "Panel42",
         keep,
         {edit("Edit25", 4), edit("Edit24", 8), textList()}},
        {F::M,
         15,
         "RadioButton50",
         "Panel44",
         keep,
         {edit("Edit26", 4), word2("ListBox34"), textList()}},
        {F::M,
         16,
         "RadioButton51",
         "Panel43",
         keep,
         {word1("ListBox33"), word2("ListBox32"), textList()}},
        {F::M, 17, "RadioButton24", "", keep, {fixedText("Memo5", "ー８０℃")}},
        {F::M, 18, "RadioButton25", "", keep, {fixedText("Memo6", "ー２０℃")}},
        {F::M, 19, "RadioButton26", "", keep, {fixedText("Memo8", "　４℃")}},
        {F::M, 20, "RadioButton27", "", keep, {fixedText("Memo4", "　注意")}},

        {F::T,
         1,
         "RadioButton28",
         "Panel23",
         0,
         {edit("Edit11", 4, 6), number("Label32", "0000"), date("Label30", "YY/MM/DD")}},
        {F::T,
         2,
         "RadioButton29",
         "Panel24",
         0,
         {word1("ListBox8"), number("Label37", "0000"), date("Label35", "YY/MM/DD")}},
        {F::T,
         3,
         "RadioButton30",
         "Panel33",
         keep,
         {date("Label46", "YY/MM/DD"), edit("Edit19", 12, 14)}},
        {F::T,
         4,
         "RadioButton31",
         "Panel25",
         0,
         {edit("Edit8", 4, 6), number("Label39", "0000"), edit("Edit16", 12, 14)}},
        {F::T,
         5,
         "RadioButton32",
         "Panel27",
         0,
         {word1("ListBox14"), number("Label43", "0000"), edit("Edit9", 12, 14)}},
        {F::T,
         6,
         "RadioButton33",
         "Panel26",
         0,
         {edit("Edit13", 4, 6), number("Label41", "0000"), word2("ListBox15")}},
        {F::T, 7, "RadioButton34", "Panel34", keep, {edit("Edit14", 12, 14), word2("ListBox26")}},
        {F::T, 8, "RadioButton35", "Panel28", keep, {memo("Memo9", 12, 14)}},
        {F::T,
         9,
         "RadioButton40",
         "Panel35",
         1,
         {date("Label45", "YY/MM/DD"), number("Label47", "000")}},
        {F::T,
         10,
         "RadioButton41",
         "Panel36",
         1,
         {edit("Edit20", 8, 10), number("Label48", "000")}},
        {F::T, 11, "RadioButton42", "Panel29", 1, {word1("ListBox24"), number("Label49", "000")}},
        {F::T, 12, "RadioButton43", "Panel30", keep, {edit("Edit15", 12, 14)}},
        {F::T,
         13,
         "RadioButton52",
         "Panel45",
         keep,
         {edit("Edit27", 4), date("Label61", "YY/MM/DD"), textList()}},
        {F::T,
         14,
         "RadioButton53",
         "Panel46",
         keep,
         {edit("Edit28", 4), edit("Edit29", 12), textList()}},
        {F::T,
         15,
         "RadioButton54",
         "Panel47",
         keep,
         {edit("Edit30", 4), word2("ListBox36"), textList()}},
        {F::T,
         16,
         "RadioButton55",
         "Panel48",
         keep,
         {edit("Edit31", 4), word2("ListBox37"), date("Label66", "YY/MM/DD"), textList()}},
    };
    return all;
}

const Layout *findLayout(Family family, int number) {
    for (const auto &layout : layouts())
        if (layout.family == family && layout.number == number) return &layout;
    return nullptr;
}

const Layout *findLayoutByRadio(const std::string &radio) {
    for (const auto &layout : layouts())
        if (layout.radio == radio) return &layout;
    return nullptr;
}

const std::vector<GroupPanel> &groupPanels() {
    using F = Family;
    static const std::vector<GroupPanel> all = {
        {F::C, 0, "PnlCType1", "ListBox27", "", ""},
        {F::C, 1, "pnlCType2", "ListBox28", "", ""},
        {F::C, 2, "pnlCtype3", "ListBox31", "Memo10", "cmdReset1"},
        {F::M, 0, "pnlMType1", "ListBox22", "", ""},
        {F::M, 1, "pnlMType2", "", "", ""},
        {F::M, 2, "pnlMtype3", "", "", ""},
        {F::M, 3, "pnlMtype4", "ListBox35", "Memo11", "cmdreset2"},
        {F::M, 4, "pnlMtype5", "", "", ""},
        {F::T, 0, "pnlTtype1", "ListBox9", "", ""},
        {F::T, 1, "pnlTType2", "", "", ""},
        {F::T, 2, "pnlTType3", "ListBox29", "", ""},
        {F::T, 3, "pnlTType4", "ListBox38", "Memo12", "cmdReset3"},
    };
    return all;
}

const GroupPanel *findGroupPanel(Family family, int tab) {
    for (const auto &panel : groupPanels())
        if (panel.family == family && panel.tab == tab) return &panel;
    return nullptr;
}

std::vector<std::string> tabCaptions(Family family) {
    std::vector<std::string> captions = {"Type1-4", "Type5-8", "Type9-12", "Type13-16",
                                         "Type17-20"};
    captions.resize(family == Family::C ? 3 : family == Family::M ? 5 : 4);
    return captions;
}

const std::vector<std::string> &letterLists() {
    static const std::vector<std::string> names = {"ListBox3",  "ListBox4", "ListBox5",
                                                   "ListBox6",  "ListBox7", "ListBox10",
                                                   "ListBox16", "ListBox30"};
    return names;
}

const std::vector<std::string> &firstWordLists() {
    static const std::vector<std::string> names = {"ListBox11", "ListBox8",  "ListBox13",
                                                   "ListBox14", "ListBox24", "ListBox33"};
    return names;
}

const std::vector<std::string> &secondWordLists() {
    static const std::vector<std::string> names = {"ListBox15", "ListBox17", "ListBox18",
                                                   "ListBox26", "ListBox32", "ListBox34",
                                                   "ListBox36", "ListBox37"};
    return names;
}

const std::vector<std::string> &dayOffsetLists() {
    static const std::vector<std::string> names = {"ListBox27", "ListBox28", "ListBox31",
                                                   "ListBox22", "ListBox35", "ListBox9",
                                                   "ListBox29", "ListBox38"};
    return names;
}

}  // namespace labelora
