// Members that style the cells of the current position, size its columns and rows, and
// read a cell's attribute number.
#include "automation/members/member_helpers.h"

namespace tabrix::automation {

namespace {

// A text the attribute calls take in code page 932.
template <int32_t (*Set)(const char *, const char *)>
Epilogue put_narrow_text(Call &call) {
    return with_narrow(call.value().text,
                       [&](const char *text) { Set(text, call.control().position()); });
}

Epilogue put_def_font_name(Call &call) {
    return with_narrow(call.value().text, [](const char *name) { XlsPutDefFontName(name); });
}

Epilogue put_def_font_point(Call &call) {
    XlsPutDefFontPoint(call.value().real);
    return Epilogue::run;
}

Epilogue box(Call &call) {
    XlsPutBox(call.number(0), call.number(1), call.control().position());
    return Epilogue::run;
}

Epilogue get_attr_no(Call &call) {
    put_long(call.result(), XlsGetAttrNo(call.control().position()));
    return Epilogue::run;
}

constexpr MemberCode kCode[] = {
    {0x4B0, nullptr, put_narrow_text<XlsPutFormat>, nullptr},
    {0x4B1, nullptr, put_narrow_text<XlsPutFontName>, nullptr},
    {0x4B2, nullptr, put_real<XlsPutFontPoint>, nullptr},
    {0x4B3, nullptr, put_number<XlsPutFontColor>, nullptr},
    {0x4B4, nullptr, put_number<XlsPutFontStyle>, nullptr},
    {0x4B5, nullptr, put_number<XlsPutFontULine>, nullptr},
    {0x4B6, nullptr, put_number<XlsPutLineTop>, nullptr},
    {0x4B7, nullptr, put_number<XlsPutLineBottom>, nullptr},
    {0x4B8, nullptr, put_number<XlsPutLineLeft>, nullptr},
    {0x4B9, nullptr, put_number<XlsPutLineRight>, nullptr},
    {0x4BA, nullptr, put_number<XlsPutLineLeftUp>, nullptr},
    {0x4BB, nullptr, put_number<XlsPutLineRightUp>, nullptr},
    {0x4BC, nullptr, put_number<XlsPutPattern>, nullptr},
    {0x4BD, nullptr, put_number<XlsPutBackColor>, nullptr},
    {0x4BE, nullptr, put_number<XlsPutPosHorz>, nullptr},
    {0x4BF, nullptr, put_number<XlsPutPosVert>, nullptr},
    {0x4C0, nullptr, put_number<XlsPutPosTurn>, nullptr},
    {0x4C1, nullptr, put_number<XlsPutOverReturn>, nullptr},
    {0x4C2, nullptr, put_number<XlsPutFit>, nullptr},
    {0x4C3, nullptr, put_number<XlsPutJoint>, nullptr},
    {0x65, nullptr, nullptr, box},
    {0x4E2, nullptr, put_number<XlsPutColWidth>, nullptr},
    {0x4E3, nullptr, put_real<XlsPutRowHeight>, nullptr},
    {0x4E8, nullptr, put_def_font_name, nullptr},
    {0x4E9, nullptr, put_def_font_point, nullptr},
    {0x4F3, get_attr_no, nullptr, nullptr},
};

}  // namespace

std::span<const MemberCode> attribute_member_code() {
    return kCode;
}

}  // namespace tabrix::automation
