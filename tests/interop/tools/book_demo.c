/* A caller of the Book API as programs write them: a workbook made from nothing, or a
 * template filled at its keyword cells and names. Texts are code page 932.
 *
 *   book_demo new FILE VERSION          (VERSION 95 or 97)
 *   book_demo template TEMPLATE FILE
 *
 * Stops at the first call that fails, naming it and the error. */
#include <stdio.h>
#include <string.h>

#include "tabrix.h"

#define TOKYO "\x93\x8C\x8B\x9E"
#define TOTAL "\x8D\x87\x8C\x76"
#define HEADER "\x83\x77\x83\x62\x83\x5F\x81\x5B"

static int failed(const char *call) {
    int32_t number = 0;
    char message[128];
    XlsGetErrorNo(&number);
    XlsGetErrorMessage(message, sizeof message);
    fprintf(stderr, "%s failed: error %d %s\n", call, (int)number, message);
    XlsAllClose();
    return 1;
}

#define CHECK(call) \
    if (!(call)) return failed(#call)

static VARIANT variant(uint16_t type) {
    VARIANT value;
    memset(&value, 0, sizeof value);
    value.vt = type;
    return value;
}

static int make_new(const char *file, int32_t version) {
    int32_t book = 0;
    CHECK(XlsCreateBook(file, version, 2, &book));

    /* Values at positions built by POS, a list, a range (its first cell) and a formula. */
    CHECK(XlsPutLong(42, "A1"));
    CHECK(XlsPutDouble(3.25, "B1"));
    CHECK(XlsPutStr("plain", "C1"));
    CHECK(XlsPutStr(TOKYO, "D1"));
    for (int32_t row = 0; row < 10; ++row) CHECK(XlsPutLong(row + 1, POS(0, row + 2, -1, 0)));
    CHECK(XlsPutFunc("=SUM(A3:A12)", "", POS2(0, 12, -1, 0)));
    CHECK(XlsPutStr("x", "B3,C4"));
    CHECK(XlsPutStr(TOTAL, "C6:D8"));

    /* VARIANTs: a boolean, currency, a formula text, a float, a decimal, a reference. */
    VARIANT value = variant(VT_BOOL);
    value.boolVal = -1;
    CHECK(XlsPutValueV(value, "E1"));
    value = variant(VT_CY);
    value.cyVal = 12345LL * 10000;
    CHECK(XlsPutValueV(value, "F1"));
    static char16_t formula[] = u"=A1*2";
    value = variant(VT_BSTR);
    value.bstrVal = formula;
    CHECK(XlsPutValueV(value, "G1"));
    value = variant(VT_R4);
    value.fltVal = 1.5f;
    CHECK(XlsPutValueV(value, "H1"));
    value = variant(VT_DECIMAL);
    value.decVal.scale = 1;
    value.decVal.Lo64 = 12345;
    value.decVal.sign = 0x80;
    CHECK(XlsPutValueV(value, "I1"));
    VARIANT referred = variant(VT_I4);
    referred.lVal = 77;
    value = variant(VT_BYREF | VT_VARIANT);
    value.pvarVal = &referred;
    CHECK(XlsPutValueV(value, "J1"));

    /* Style one property at a time: B3 red and bold, C4 14-point Arial underlined. */
    CHECK(XlsPutFontColor(xcRed, "B3"));
    CHECK(XlsPutFontStyle(xsBold, "B3"));
    CHECK(XlsPutFontPoint(14.0, "C4"));
    CHECK(XlsPutFontName("Arial", "C4"));
    CHECK(XlsPutFontULine(fuNormal, "C4"));
    CHECK(XlsPutBackColor(xcYellow, "A3:A12"));
    CHECK(XlsPutPattern(pn01 | xcYellow, "A3:A12"));
    CHECK(XlsPutLineTop(lsNormal, "A1:C1"));
    CHECK(XlsPutLineBottom(lsDouble | xcBlue, "A1:C1"));
    CHECK(XlsPutBox(lsThick, btBox, "E5:G7"));
    CHECK(XlsPutPosHorz(phCenter, "D1"));
    CHECK(XlsPutPosVert(pvCenter, "D1"));
    CHECK(XlsPutOverReturn(1, "D1"));
    CHECK(XlsPutFormat("0.00", "B1"));
    CHECK(XlsPutJoint(1, "C6:D8"));

    /* Columns, rows, page setup. */
    CHECK(XlsPutColWidth(20, "D1"));
    CHECK(XlsPutColWidth(-1, "A1:B1"));
    CHECK(XlsPutRowHeight(30.0, "A2"));
    CHECK(XlsPageMode(psA4, 80, orLandscape, 10.0, 12.0));
    CHECK(XlsSetMargin(10, 15, 20, 30));
    CHECK(XlsSetHeader("L", HEADER, NULL));
    CHECK(XlsSetFooter(NULL, "&P / &N", NULL));
    CHECK(XlsPutBreak(1, "C5"));
    CHECK(XlsModeGrid(0));
    CHECK(XlsSetZoom(75));

    /* Sheets: rename the second, add a third, copy the first to the end. */
    CHECK(XlsSheetNo(1));
    CHECK(XlsPutStr("second", "A1"));
    CHECK(XlsPutSheetName("Data"));
    CHECK(XlsAddSheet(1));
    CHECK(XlsCopySheet(0, 3, "Copy"));
    CHECK(XlsSetActiveSheet(1));
    CHECK(XlsCloseBook(1));
    return 0;
}

static int fill_template(const char *template_name, const char *file) {
    int32_t book = 0;
    CHECK(XlsOpenBook(file, template_name, &book));
    CHECK(XlsSheetNo(0));
    CHECK(XlsPutStr(TOKYO, "**NAME"));
    CHECK(XlsPutDouble(1234.5, "**TOTAL"));
    CHECK(XlsPutLong(7, "**NAME_[0:1]"));
    CHECK(XlsPutFunc("=B2*2", "", "**TOTAL_[0:1]"));
    /* The keyword cell keeps its own font: only the colour changes. */
    CHECK(XlsPutFontColor(xcRed, "**TOTAL"));
    CHECK(XlsPutStr("named", "Target"));
    CHECK(XlsPutLong(5, "Block_[1:0]"));
    CHECK(XlsPutBackColor(xcCyan, "Block"));
    CHECK(XlsPutPattern(pn01 | xcCyan, "Block"));
    CHECK(XlsCloseBook(1));
    return 0;
}

int main(int argc, char **argv) {
    if (argc == 4 && strcmp(argv[1], "new") == 0) {
        int32_t version = 0;
        if (sscanf(argv[3], "%d", &version) != 1) return 2;
        return make_new(argv[2], version);
    }
    if (argc == 4 && strcmp(argv[1], "template") == 0) return fill_template(argv[2], argv[3]);
    fprintf(stderr, "usage: book_demo new FILE VERSION | template TEMPLATE FILE\n");
    return 2;
}
