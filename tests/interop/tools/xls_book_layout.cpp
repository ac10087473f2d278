// Lays out a workbook through the Book API: column widths and row heights over positions,
// the default font, margins, header and footer, a page break, added, renamed and copied
// sheets. Prints each call's result, one a line.
//
//   xls_book_layout PATH VERSION
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/codepage.h"
#include "tabrix.h"

namespace {

std::string narrow(std::u16string_view text) {
    return tabrix::platform::utf16_to_cp932(text);
}

void show(int32_t result) {
    std::printf("%d\n", result);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) return 2;
    const std::string footer = narrow(u"担当 山田");
    show(XlsCreateBook(argv[1], std::atoi(argv[2]), 3, nullptr));
    show(XlsPutStr(narrow(u"見積").c_str(), "A1"));
    show(XlsPutColWidth(-1, "B1"));
    show(XlsPutColWidth(12, "D1:F1,H5"));
    show(XlsPutRowHeight(-1.0, "A1:C3"));
    show(XlsPutRowHeight(20.0, "5:6"));
    show(XlsSetMargin(10, -1, -1, -1));
    // The centre first, then the left: the text still reads left, centre.
    show(XlsSetHeader(nullptr, "Centre", nullptr));
    show(XlsSetHeader("&P", "", nullptr));
    show(XlsSetFooter(nullptr, nullptr, footer.c_str()));
    show(XlsPutBreak(1, "C5"));
    show(XlsAddSheet(2));
    show(XlsSheetNo(1));
    show(XlsPutSheetName("Data"));
    show(XlsCopySheet(0, 5, nullptr));
    show(XlsCopySheet(0, 1, "Copy"));
    show(XlsSheetNo(0));
    show(XlsPutDefFontPoint(10.0));
    show(XlsPutColWidth(8, "J1"));
    show(XlsCloseBook(1));
    return 0;
}
