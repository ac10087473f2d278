#include "automation/members/member_table.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "platform/codepage.h"

namespace tabrix::automation {

namespace {

constexpr int32_t kGet = XLINVOKE_PROPERTYGET;
constexpr int32_t kPut = XLINVOKE_PROPERTYPUT;
constexpr int32_t kGetPut = XLINVOKE_PROPERTYGET | XLINVOKE_PROPERTYPUT;
constexpr int32_t kMethod = XLINVOKE_METHOD;

constexpr XLMEMBERARG required(const char *name, const char *type, XLARGKIND kind) {
    return {name, type, kind, 0, 0};
}
constexpr XLMEMBERARG number(const char *name, const char *type = "long") {
    return required(name, type, akLong);
}
constexpr XLMEMBERARG text(const char *name) {
    return required(name, "BSTR", akText);
}
constexpr XLMEMBERARG out(const char *name) {
    return required(name, "long*", akOutLong);
}
constexpr XLMEMBERARG optional(const char *name, const char *type, XLARGKIND kind,
                               int32_t default_value = 0) {
    return {name, type, kind, 1, default_value};
}
constexpr XLMEMBERARG optional_number(const char *name, int32_t default_value,
                                      const char *type = "long") {
    return optional(name, type, akLong, default_value);
}
constexpr XLMEMBERARG optional_text(const char *name) {
    return optional(name, "BSTR", akText);
}

constexpr XLMEMBERARG kDumy[] = {
    number("Ver", "XLVER"),
    number("Color", "XLCOLOR"),
    number("FontStyle", "XLFONTSTYLE"),
    number("FontULine", "XLFONTULINE"),
    number("LineStyle", "XLLINESTYLE"),
    number("Pattern", "XLPATTERN"),
    number("BoxType", "XLBOXTYPE"),
    number("PosHorz", "XLPOSHORZ"),
    number("PosVert", "XLPOSVERT"),
    number("PosTurn", "XLPOSTURN"),
    number("PaperSize", "XLPAPERSIZE"),
    number("Orient", "XLORIENT"),
    number("Error", "XLERROR"),
};
constexpr XLMEMBERARG kFunc2[] = {text("Func"), optional_text("Result")};
constexpr XLMEMBERARG kBox[] = {optional_number("LineStyle", lsNormal, "XLLINESTYLE"),
                                optional_number("BoxType", btBox, "XLBOXTYPE")};
constexpr XLMEMBERARG kCreateBook[] = {text("FileName"), optional_number("Version", 97, "XLVER"),
                                       optional_number("SheetCount", 3)};
constexpr XLMEMBERARG kReadBook[] = {text("FileName")};
constexpr XLMEMBERARG kOpenBook[] = {text("FileName"), optional_text("OverlayFileName")};
constexpr XLMEMBERARG kCloseBook[] = {optional_number("Save", 1)};
constexpr XLMEMBERARG kSelectBook[] = {number("BookId")};
constexpr XLMEMBERARG kPageMode[] = {
    optional_number("PaperSize", -1, "XLPAPERSIZE"), optional_number("Scale", -1),
    optional_number("Orient", -1, "XLORIENT"), optional_number("HeaderMargin", -1),
    optional_number("FooterMargin", -1)};
constexpr XLMEMBERARG kSetMargin[] = {optional_number("Left", -1), optional_number("Right", -1),
                                      optional_number("Top", -1), optional_number("Bottom", -1)};
constexpr XLMEMBERARG kAddSheet[] = {number("Count")};
constexpr XLMEMBERARG kDelSheet[] = {number("SheetNo"), number("Count")};
constexpr XLMEMBERARG kCell[] = {text("Text"), optional_number("OffsetX", 0),
                                 optional_number("OffsetY", 0)};
constexpr XLMEMBERARG kPos[] = {number("X1"), optional_number("Y1", -1), optional_number("X2", -1),
                                optional_number("Y2", -1)};
constexpr XLMEMBERARG kPageText[] = {optional_text("Left"), optional_text("Center"),
                                     optional_text("Right")};
constexpr XLMEMBERARG kSheetName2[] = {number("SheetNo")};
constexpr XLMEMBERARG kSheetNo2[] = {text("SheetName")};
constexpr XLMEMBERARG kCopySheet[] = {number("Source"), number("Position"),
                                      optional_text("SheetName")};
constexpr XLMEMBERARG kLastPos[] = {out("EndX"), out("EndY"),
                                    optional("Point", "XLPOINT", akVariant)};
constexpr XLMEMBERARG kRowCount[] = {number("Row"), optional_number("Count", 1)};
constexpr XLMEMBERARG kRowCopy[] = {number("Row"), optional_number("Target", -1)};
constexpr XLMEMBERARG kRowPaste[] = {number("Row")};
constexpr XLMEMBERARG kColumnCount[] = {number("Column"), optional_number("Count", 1)};
constexpr XLMEMBERARG kColumnCopy[] = {number("Column"), optional_number("Target", -1)};
constexpr XLMEMBERARG kColumnPaste[] = {number("Column")};
constexpr XLMEMBERARG kCopy[] = {optional_text("Target")};
constexpr XLMEMBERARG kDouble2[] = {required("Value", "double", akDouble), number("Attr")};
constexpr XLMEMBERARG kLong2[] = {number("Value"), number("Attr")};
constexpr XLMEMBERARG kStr2[] = {text("Value"), number("Attr")};
constexpr XLMEMBERARG kValue2[] = {required("Value", "VARIANT", akVariant), number("Attr")};
constexpr XLMEMBERARG kFuncV[] = {text("Func"), optional("Result", "VARIANT", akVariant)};

template <size_t N>
constexpr XLMEMBER member(const char *name, int32_t dispid, int32_t invoke, XLARGKIND value,
                          const XLMEMBERARG (&args)[N]) {
    return {name, dispid, invoke, value, static_cast<int32_t>(N), args};
}
constexpr XLMEMBER member(const char *name, int32_t dispid, int32_t invoke, XLARGKIND value) {
    return {name, dispid, invoke, value, 0, nullptr};
}

constexpr XLMEMBER kMembers[] = {
    member("About", -552, kMethod, akText),
    member("Dumy", 0x60020001, kMethod, akNone, kDumy),
    member("Format", 0x4B0, kPut, akText),
    member("FontName", 0x4B1, kPut, akText),
    member("FontPoint", 0x4B2, kPut, akDouble),
    member("FontColor", 0x4B3, kPut, akLong),
    member("FontStyle", 0x4B4, kPut, akLong),
    member("FontULine", 0x4B5, kPut, akLong),
    member("LineTop", 0x4B6, kPut, akLong),
    member("LineBottom", 0x4B7, kPut, akLong),
    member("LineLeft", 0x4B8, kPut, akLong),
    member("LineRight", 0x4B9, kPut, akLong),
    member("LineLeftUp", 0x4BA, kPut, akLong),
    member("LineRightUp", 0x4BB, kPut, akLong),
    member("Pattern", 0x4BC, kPut, akLong),
    member("BackColor", 0x4BD, kPut, akLong),
    member("PosHorz", 0x4BE, kPut, akLong),
    member("PosVert", 0x4BF, kPut, akLong),
    member("PosTurn", 0x4C0, kPut, akLong),
    member("OverReturn", 0x4C1, kPut, akBool),
    member("Fit", 0x4C2, kPut, akBool),
    member("Joint", 0x4C3, kPut, akBool),
    member("Double", 0x3E8, kGetPut, akDouble),
    member("Long", 0x3E9, kGetPut, akLong),
    member("Str", 0x3EA, kGetPut, akText),
    member("Value", 0x3EC, kGetPut, akText),
    member("Func", 0x3EB, kPut, akText),
    member("Func2", 0x64, kMethod, akNone, kFunc2),
    member("Box", 0x65, kMethod, akNone, kBox),
    member("ColWidth", 0x4E2, kPut, akLong),
    member("RowHeight", 0x4E3, kPut, akDouble),
    member("RefSheet", 0x4E4, kPut, akText),
    member("SheetName", 0x4E5, kGetPut, akText),
    member("DefFontName", 0x4E8, kPut, akText),
    member("DefFontPoint", 0x4E9, kPut, akDouble),
    member("Move", 0x66, kMethod, akNone),
    member("CreateBook", 0xCE, kMethod, akLong, kCreateBook),
    member("ReadBook", 0xCF, kMethod, akLong, kReadBook),
    member("OpenBook", 0xC8, kMethod, akLong, kOpenBook),
    member("CloseBook", 0xC9, kMethod, akNone, kCloseBook),
    member("SelectBook", 0xCA, kMethod, akNone, kSelectBook),
    member("SheetNo", 0x4E7, kPut, akLong),
    member("PageMode", 0xCB, kMethod, akNone, kPageMode),
    member("SetMargin", 0xD0, kMethod, akNone, kSetMargin),
    member("AddSheet", 0xCC, kMethod, akNone, kAddSheet),
    member("DelSheet", 0xCD, kMethod, akNone, kDelSheet),
    member("ModeGrid", 0x4E6, kPut, akBool),
    member("ErrorNo", 0x44D, kGetPut, akLong),
    member("ErrorMessage", 0x44C, kGet, akText),
    member("Cell", 0x456, kGet, akControl, kCell),
    member("Cell2", 0x458, kGet, akControl, kCell),
    member("Pos", 0x457, kGet, akControl, kPos),
    member("Pos2", 0x459, kGet, akControl, kPos),
    member("Header", 0xD2, kMethod, akNone, kPageText),
    member("Footer", 0xD3, kMethod, akNone, kPageText),
    member("Break", 0x4EC, kPut, akBool),
    member("SheetCount", 0x4ED, kGet, akLong),
    member("SheetName2", 0x4EE, kGet, akText, kSheetName2),
    member("SheetNo2", 0x4EF, kGet, akLong, kSheetNo2),
    member("CopySheet", 0xD4, kMethod, akNone, kCopySheet),
    member("ActiveSheet", 0x4F0, kGetPut, akLong),
    member("KeyWord", 0x4F1, kPut, akText),
    member("Zoom", 0x4F2, kPut, akLong),
    member("MaxData", 0xD5, kMethod, akNone, kLastPos),
    member("MaxArea", 0xD6, kMethod, akNone, kLastPos),
    member("RowDelete", 0xD7, kMethod, akNone, kRowCount),
    member("RowClear", 0xD8, kMethod, akNone, kRowCount),
    member("RowInsert", 0xD9, kMethod, akNone, kRowCount),
    member("RowCopy", 0xDA, kMethod, akNone, kRowCopy),
    member("RowPaste", 0xDB, kMethod, akNone, kRowPaste),
    member("ColumnDelete", 0xDC, kMethod, akNone, kColumnCount),
    member("ColumnClear", 0xDD, kMethod, akNone, kColumnCount),
    member("ColumnInsert", 0xDE, kMethod, akNone, kColumnCount),
    member("ColumnCopy", 0xDF, kMethod, akNone, kColumnCopy),
    member("ColumnPaste", 0xE0, kMethod, akNone, kColumnPaste),
    member("Clear", 0xE1, kMethod, akNone),
    member("Copy", 0xE2, kMethod, akNone, kCopy),
    member("Paste", 0xE3, kMethod, akNone),
    member("AttrNo", 0x4F3, kGet, akLong),
    member("Double2", 0x3ED, kMethod, akNone, kDouble2),
    member("Long2", 0x3EE, kMethod, akNone, kLong2),
    member("Str2", 0x3EF, kMethod, akNone, kStr2),
    member("Value2", 0x3F0, kMethod, akNone, kValue2),
    member("ValueV", 0x3F1, kGetPut, akVariant),
    member("FuncV", 0x67, kMethod, akNone, kFuncV),
};

// DISPID to member and code, and upper-cased name to member, built once.
struct Index {
    std::unordered_map<int32_t, MemberEntry> by_dispid;
    std::unordered_map<std::string, const XLMEMBER *> by_name;

    Index() {
        for (const XLMEMBER &entry : kMembers) {
            by_dispid.emplace(entry.dispid, MemberEntry{&entry, nullptr});
            by_name.emplace(platform::cp932_to_upper(entry.name), &entry);
        }
        for (auto family : {value_member_code(), attribute_member_code(), book_member_code(),
                            sheet_member_code(), block_member_code(), position_member_code()}) {
            for (const MemberCode &code : family) {
                const auto found = by_dispid.find(code.dispid);
                if (found != by_dispid.end()) found->second.code = &code;
            }
        }
    }
};

const Index &index() {
    static const Index built;
    return built;
}

}  // namespace

std::span<const XLMEMBER> member_table() {
    return kMembers;
}

const MemberEntry *member_by_dispid(int32_t dispid) {
    const auto found = index().by_dispid.find(dispid);
    return found == index().by_dispid.end() ? nullptr : &found->second;
}

const XLMEMBER *member_by_name(std::string_view name) {
    const auto found = index().by_name.find(platform::cp932_to_upper(name));
    return found == index().by_name.end() ? nullptr : found->second;
}

}  // namespace tabrix::automation
