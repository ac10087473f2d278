// Styles a fixed set of cells through the Book API's attribute setters and saves the book.
// Usage: xls_book_attributes PATH VERSION (95 or 97). Prints one result per call; the check
// that calls it knows what each cell should look like.
#include <cstdio>
#include <cstdlib>

#include "tabrix.h"

namespace {

// A line or pattern number with its colour.
int32_t packed(int32_t number, int32_t colour) {
    return number | colour;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) return 2;
    const int32_t results[] = {
        XlsCreateBook(argv[1], std::atoi(argv[2]), 1, nullptr),
        XlsPutFontName("Arial", "B1"),
        XlsPutFontPoint(14, "B1"),
        XlsPutFontColor(xcRed, "B1"),
        XlsPutFontStyle(xsBold | xsItalic, "B1"),
        XlsPutFontULine(fuNormal, "B1"),
        // C1's font gets a colour after the block moved on: name and size stay.
        XlsPutFontName("Arial", "C1"),
        XlsPutFontPoint(14, "C1"),
        XlsMove("Z99"),
        XlsPutFontColor(xcBlue, "C1"),
        XlsPutLineTop(lsNormal, "B2"),
        XlsPutLineBottom(packed(lsThick, xcBlue), "B2"),
        XlsPutLineLeft(packed(lsThick2, xcRed), "B2"),
        XlsPutLineRight(packed(lsDouble, 17), "B2"),
        XlsPutPattern(packed(pn03, xcBlue), "B3"),
        XlsPutBackColor(xcYellow, "B3"),
        XlsPutBackColor(xcRed, "B4"),
        XlsPutPosHorz(phCenter, "B5"),
        XlsPutPosVert(pvCenter, "B5"),
        XlsPutOverReturn(1, "B5"),
        XlsPutPosHorz(3, "B6"),
        XlsPutPosTurn(ptTurn90, "B7"),
        XlsPutPosTurn(45, "B8"),
        XlsPutFormat("0.000", "B9"),
        XlsPutLineLeftUp(packed(lsNormal, xcRed), "B10"),
        XlsPutLineRightUp(packed(lsThick, xcBlue), "B10"),
        XlsPutFit(1, "B11"),
        XlsPutJoint(1, "A13:C14"),
        XlsPutBox(packed(lsNormal, xcRed), btBox, "E2:G4"),
        XlsCloseBook(1),
    };
    for (int32_t result : results) std::printf("%d\n", result);
    return 0;
}
