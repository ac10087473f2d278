/* tabrix Book API (Xls*): a current book, its current sheet, positions given as A1-style
 * texts, one property at a time.
 *
 * Every Xls call returns 1 on success and 0 on failure unless it says otherwise; a failure
 * leaves its number (XLERROR) for XlsGetErrorNo and XlsGetErrorMessage. Book handles are
 * opaque numbers checked against the books that are open; a closed or made-up handle is
 * refused with errNotOpen. Positions: "B2", "B2:D4", lists "A1,C3", a defined name of a
 * template, a keyword ("**name") of a template; each may end with an offset "_[dx:dy]"
 * (blanks may precede its numbers). A part written as none of these ("A1;C3", " B2") is
 * refused with errParam and nothing is written. A null position means the book's current
 * position (XlsMove). Every call that fills a caller's buffer takes its size and writes at
 * most that many units, NUL included. */
#ifndef TABRIX_BOOK_H
#define TABRIX_BOOK_H

#include "tabrix/types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Books ---------------------------------------------------------------------------- */
/* Version 95 makes an Excel 95 book, 97, 2000 and 2002 an Excel 97 book; a sheet count below
 * 1 means 16 (Excel 95) or 3. The new book becomes current; *book (when given) takes its
 * handle. At most 256 books are open at once: a further open is refused with errParam. */
TABRIX_API int32_t XlsCreateBook(const char *file_name, int32_t version, int32_t sheet_count,
                                 int32_t *book);
/* Opens a file for reading only: every call that would change the book is refused with
 * errMode and changes nothing. */
TABRIX_API int32_t XlsReadBook(const char *file_name, int32_t *book);
/* With a template name: makes file_name anew from the template. Without (null or empty):
 * opens file_name itself, rewritten on close. */
TABRIX_API int32_t XlsOpenBook(const char *file_name, const char *template_name, int32_t *book);
TABRIX_API int32_t XlsCreateBookW(const char16_t *file_name, int32_t version, int32_t sheet_count,
                                  int32_t *book);
TABRIX_API int32_t XlsReadBookW(const char16_t *file_name, int32_t *book);
TABRIX_API int32_t XlsOpenBookW(const char16_t *file_name, const char16_t *template_name,
                                int32_t *book);
/* Closes the current book (a made book is written when save is non-zero, else discarded,
 * leaving the disk as it was); afterwards no book is current. A file that cannot be written
 * gives errWrite and stays as it was. */
TABRIX_API int32_t XlsCloseBook(int32_t save);
TABRIX_API int32_t XlsSelectBook(int32_t book);
/* Closes every open book, saving each, in the order they were opened. Always 1. */
TABRIX_API int32_t XlsAllClose(void);
/* Makes a sheet current; the number is kept even when refused (errSheetNo), so that later
 * calls fail alike until a valid sheet is chosen. */
TABRIX_API int32_t XlsSheetNo(int32_t sheet);
/* 1 for an Excel 97 book, 0 for an Excel 95 book; 0 and errNotOpen without a current book. */
TABRIX_API int32_t XlsGetVersion(void);

/* ---- Narrow texts ----------------------------------------------------------------------
 * Sets the code page of every narrow text (char *) in and out of every call of the library:
 * 932 (Shift-JIS, the default) or 65001 (UTF-8). Returns the previous one; -1 for any other
 * value, changing nothing. TABRIX_CODEPAGE (932, 65001 or utf-8) in the environment sets it
 * when the library loads. One setting for the process, safe to call from any thread; texts
 * the Book API holds (the current position, attributes gathered for it, the keyword prefix)
 * are carried over. In UTF-8 mode a narrow text may hold any character: one an Excel 95
 * workbook cannot hold is refused with the call's error for it (never written as "?"), and
 * read-back texts are cut to buffers between characters. Sizes stay in bytes. */
TABRIX_API int32_t XlsSetCodePage(int32_t code_page);

/* ---- Errors --------------------------------------------------------------------------- */
TABRIX_API int32_t XlsGetErrorNo(int32_t *number);
TABRIX_API int32_t XlsSetErrorNo(int32_t number);
/* The message of the last error in Japanese, cut to the buffer; empty after success. */
TABRIX_API int32_t XlsGetErrorMessage(char *buffer, int32_t size);
/* The same message in plain ASCII English ("sheet number out of range"; "unknown error (N)"
 * for a number without a message), whatever the code page. Same rule: returns 1, writes
 * nothing when buffer is null or size below 1, cuts to the buffer, empty after success. */
TABRIX_API int32_t XlsGetErrorMessageEn(char *buffer, int32_t size);

/* ---- Positions -------------------------------------------------------------------------
 * POS and CELL build their text in one library buffer, POS2 and CELL2 in another; each call
 * overwrites its buffer. POS gives a cell, or a range unless x2 is -1. CELL appends the
 * offset "_[dx:dy]" unless both are 0. */
TABRIX_API char *POS(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
TABRIX_API char *POS2(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
TABRIX_API char *CELL(const char *text, int32_t dx, int32_t dy);
TABRIX_API char *CELL2(const char *text, int32_t dx, int32_t dy);
/* Sets the current position (at most 255 characters); a new position drops the attributes
 * gathered for the last one. */
TABRIX_API int32_t XlsMove(const char *position);
/* 3 formula ("=" or "@" first), 0 text, 1 number; *value and *integer take the leading number. */
TABRIX_API int32_t XlsStrToValue(const char *text, double *value, int32_t *integer);

/* ---- Values ----------------------------------------------------------------------------
 * A put writes each part of the position: a cell or range at its first cell, a keyword at
 * every cell carrying it. The 2 forms take an attribute number: 15 the default, n merged
 * over the cell's attribute, -n replacing it. A number that is NaN or infinite is refused
 * with error 34 (also in a variant); an Excel 97 text over 32767 UTF-16 units with error 31. */
TABRIX_API int32_t XlsPutStr(const char *text, const char *position);
TABRIX_API int32_t XlsPutLong(int32_t value, const char *position);
TABRIX_API int32_t XlsPutDouble(double value, const char *position);
TABRIX_API int32_t XlsPutValue(const char *text, const char *position);
TABRIX_API int32_t XlsPutStr2(const char *text, const char *position, int32_t attr);
TABRIX_API int32_t XlsPutLong2(int32_t value, const char *position, int32_t attr);
TABRIX_API int32_t XlsPutDouble2(double value, const char *position, int32_t attr);
/* A boolean cell: TRUE for a non-zero value, else FALSE. */
TABRIX_API int32_t XlsPutBool(int32_t value, const char *position);
TABRIX_API int32_t XlsPutBool2(int32_t value, const char *position, int32_t attr);
/* Numbers, booleans (as the numbers -1 true and 0) and texts by the variant's type (an
 * unsigned integer beyond the 32-bit integers as a number); a text starting with "=" is a
 * formula; any other type writes an empty text. */
TABRIX_API int32_t XlsPutValueV(VARIANT value, const char *position);
TABRIX_API int32_t XlsPutValue2(VARIANT value, const char *position, int32_t attr);
/* A formula, calculated when the file is opened; the value is not stored. */
TABRIX_API int32_t XlsPutFunc(const char *formula, const char *value, const char *position);
TABRIX_API int32_t XlsPutFuncV(const char *formula, VARIANT value, const char *position);
TABRIX_API int32_t XlsPutStrW(const char16_t *text, const char16_t *position);
TABRIX_API int32_t XlsPutStr2W(const char16_t *text, const char16_t *position, int32_t attr);
TABRIX_API int32_t XlsPutFuncW(const char16_t *formula, const char16_t *value,
                               const char16_t *position);
TABRIX_API int32_t XlsPutFuncVW(const char16_t *formula, VARIANT value, const char16_t *position);
TABRIX_API int32_t XlsPutValueVW(VARIANT value, const char16_t *position);
TABRIX_API int32_t XlsPutValue2W(VARIANT value, const char16_t *position, int32_t attr);
/* Reads the position's first cell (keywords are not looked up). errValue when it holds no
 * integer, number or text. XlsGetLong drops a number's fraction and holds a number beyond
 * the 32-bit integers at the nearest limit. */
TABRIX_API int32_t XlsGetStr(char *buffer, int32_t size, const char *position);
TABRIX_API int32_t XlsGetLong(int32_t *value, const char *position);
TABRIX_API int32_t XlsGetDouble(double *value, const char *position);
TABRIX_API int32_t XlsGetValue(char *buffer, int32_t size, const char *position);
/* VT_I4, VT_R8 or VT_BSTR (release the text with XlsClearValueV); VT_NULL on failure. */
TABRIX_API int32_t XlsGetValueV(VARIANT *value, const char *position);
TABRIX_API int32_t XlsGetStrW(char16_t *buffer, int32_t size, const char16_t *position);
TABRIX_API int32_t XlsGetValueVW(VARIANT *value, const char16_t *position);
/* Releases a text that XlsGetValueV handed out and empties the variant. Always 1. */
TABRIX_API int32_t XlsClearValueV(VARIANT *value);

/* ---- Attributes ------------------------------------------------------------------------
 * Each setter adds its property to those gathered for the same position and applies them
 * all to every cell of the position; font properties merge with each cell's own font.
 * All or nothing: a part that fails (off the sheet, an offset, a keyword no cell carries, an
 * unknown name) refuses the call before any cell changes, also the cells of earlier parts.
 * Lines and patterns: style in bits 24-31 (XLLINESTYLE, XLPATTERN), colour in the low bits. */
TABRIX_API int32_t XlsPutFormat(const char *format, const char *position);
TABRIX_API int32_t XlsPutFontName(const char *name, const char *position);
TABRIX_API int32_t XlsPutFontPoint(double size, const char *position);
TABRIX_API int32_t XlsPutFontColor(int32_t colour, const char *position);
TABRIX_API int32_t XlsPutFontStyle(int32_t style, const char *position);
TABRIX_API int32_t XlsPutFontULine(int32_t underline, const char *position);
TABRIX_API int32_t XlsPutLineTop(int32_t line, const char *position);
TABRIX_API int32_t XlsPutLineBottom(int32_t line, const char *position);
TABRIX_API int32_t XlsPutLineLeft(int32_t line, const char *position);
TABRIX_API int32_t XlsPutLineRight(int32_t line, const char *position);
TABRIX_API int32_t XlsPutLineLeftUp(int32_t line, const char *position);
TABRIX_API int32_t XlsPutLineRightUp(int32_t line, const char *position);
TABRIX_API int32_t XlsPutPattern(int32_t pattern, const char *position);
TABRIX_API int32_t XlsPutBackColor(int32_t colour, const char *position);
TABRIX_API int32_t XlsPutPosHorz(int32_t value, const char *position);
TABRIX_API int32_t XlsPutPosVert(int32_t value, const char *position);
TABRIX_API int32_t XlsPutPosTurn(int32_t value, const char *position);
TABRIX_API int32_t XlsPutOverReturn(int32_t flag, const char *position);
TABRIX_API int32_t XlsPutFit(int32_t flag, const char *position);
TABRIX_API int32_t XlsPutJoint(int32_t flag, const char *position);
/* Borders over each range of the position (XLBOXTYPE); a single cell is refused. All or
 * nothing, as the setters: a failing part leaves every range without its borders. */
TABRIX_API int32_t XlsPutBox(int32_t line, int32_t box_type, const char *position);
/* Read back from the file the book was read or opened from: XF number (-1 means 15), font,
 * number format, and the numbers of XF, FORMAT and FONT records. 1 while a book is current. */
TABRIX_API int32_t XlsGetAttr(int32_t number, XLATTR *attr);
TABRIX_API int32_t XlsGetFont(int32_t number, char *name, int32_t size, double *point,
                              int32_t *colour, int32_t *style, int32_t *underline);
TABRIX_API int32_t XlsGetFormat(int32_t number, char *buffer, int32_t size);
TABRIX_API int32_t XlsGetAttrCnt(int32_t *xf_count, int32_t *format_count, int32_t *font_count);
/* The attribute number stored with the position's first cell, or -1. */
TABRIX_API int32_t XlsGetAttrNo(const char *position);

/* ---- Columns, rows and the default font ------------------------------------------------ */
/* Width in characters (-1 means 8) of every column of the position. Keywords are not looked
 * up by this call or the next: a keyword part is refused with errPosition. */
TABRIX_API int32_t XlsPutColWidth(int32_t width, const char *position);
/* Height in points (-1.0 means 13.0) of every row of the position. */
TABRIX_API int32_t XlsPutRowHeight(double height, const char *position);
/* From the file the book was read or opened from: 1/256 characters; points. */
TABRIX_API int32_t XlsGetColWidth(int32_t column);
TABRIX_API double XlsGetRowHeight(int32_t row);
TABRIX_API int32_t XlsPutDefFontName(const char *name);
TABRIX_API int32_t XlsPutDefFontPoint(double size);

/* ---- Sheets and page setup ------------------------------------------------------------- */
TABRIX_API int32_t XlsPutSheetName(const char *name);
/* The name cut to the buffer's size (errLength when cut); errSheetNo for a sheet outside the
 * book, errParam for no buffer. */
TABRIX_API int32_t XlsGetSheetName(int32_t sheet, char *buffer, int32_t size);
TABRIX_API int32_t XlsGetSheetNameW(int32_t sheet, char16_t *buffer, int32_t size);
/* The name into a buffer of 64 bytes (64 units for the W form); errParam for a sheet
 * outside the book or a null buffer. */
TABRIX_API int32_t XlsGetSheetName2(int32_t sheet, char *buffer);
TABRIX_API int32_t XlsGetSheetName2W(int32_t sheet, char16_t *buffer);
/* The first sheet named so (ASCII letters in either case), or -1 (with errNotOpen without a
 * current book). */
TABRIX_API int32_t XlsGetSheetNo2(const char *name);
TABRIX_API int32_t XlsGetSheetNo2W(const char16_t *name);
/* The number of sheets, or -1 without a current book. */
TABRIX_API int32_t XlsGetSheetCount(void);
TABRIX_API int32_t XlsAddSheet(int32_t count);
TABRIX_API int32_t XlsDelSheet(int32_t first, int32_t count);
TABRIX_API int32_t XlsCopySheet(int32_t source, int32_t position, const char *name);
TABRIX_API int32_t XlsCopySheetW(int32_t source, int32_t position, const char16_t *name);
/* The sheet shown first; 0 with errNotOpen without a current book. */
TABRIX_API int32_t XlsGetActiveSheet(void);
TABRIX_API int32_t XlsSetActiveSheet(int32_t sheet);
TABRIX_API int32_t XlsModeGrid(int32_t flag);
TABRIX_API int32_t XlsSetZoom(int32_t zoom);
TABRIX_API int32_t XlsPageMode(int32_t paper_size, int32_t scale, int32_t orientation,
                               double header_margin, double footer_margin);
/* From the file the book was read from: paper size, scale, orientation and the margins in
 * millimetres (left, top, right, bottom). */
TABRIX_API int32_t XlsGetPageMode(int32_t sheet, int32_t *paper_size, int32_t *scale,
                                  int32_t *orientation, int32_t margins[4]);
/* Millimetres; a negative value means the default (20, 20, 25, 25). */
TABRIX_API int32_t XlsSetMargin(int32_t left, int32_t right, int32_t top, int32_t bottom);
/* A null or empty text keeps that section. */
TABRIX_API int32_t XlsSetHeader(const char *left, const char *centre, const char *right);
TABRIX_API int32_t XlsSetFooter(const char *left, const char *centre, const char *right);
TABRIX_API int32_t XlsSetHeaderW(const char16_t *left, const char16_t *centre,
                                 const char16_t *right);
TABRIX_API int32_t XlsSetFooterW(const char16_t *left, const char16_t *centre,
                                 const char16_t *right);
/* Sets (flag non-zero) or removes a break before the row and column of the position's cell;
 * errPageBreaks when a list is full. */
TABRIX_API int32_t XlsPutBreak(int32_t flag, const char *position);
TABRIX_API int32_t XlsPutRefSheet(const char *names);
TABRIX_API int32_t XlsPutRefSheetW(const char16_t *names);
/* The keyword prefix of positions and templates ("**" at first). Always 1. */
TABRIX_API int32_t XlsSetKeyWord(const char *prefix);

/* ---- Reading a book ------------------------------------------------------------------- */
/* One past the last used column and row of the current sheet, from the file; both 0 with
 * errSheetNo or errNoData when the file has no such sheet or no used area for it. 1 whenever
 * a book is current. */
TABRIX_API int32_t XlsGetMaxData(int32_t *columns, int32_t *rows);
/* The last cell of the current sheet in memory: the row of the last cell record and its last
 * column (with row_end 0, the greatest column of any row); values_only skips blanks. An empty
 * sheet gives -1, -1 and errNoData. 1 whenever a book is current. */
TABRIX_API int32_t XlsGetLastPos(int32_t *x, int32_t *y, int32_t values_only, int32_t row_end);
/* The next cell of the current sheet of a book opened for reading, at or after a stream
 * position (0 starts the sheet): its column, row, XF, kind (0 blank, 1 text, 2 number),
 * number and text. Returns the position for the next call; 0 at the end of the sheet, -1
 * at its drawing objects, 1 for a sheet outside the file; 0 without a current book. */
TABRIX_API int32_t XlsGetReadBin(int32_t position, int32_t *x, int32_t *y, int32_t *xf,
                                 int32_t *kind, double *number, char *text, int32_t size);
TABRIX_API int32_t XlsGetReadBinW(int32_t position, int32_t *x, int32_t *y, int32_t *xf,
                                  int32_t *kind, double *number, char16_t *text, int32_t size);

/* ---- Rows, columns and blocks ----------------------------------------------------------- */
/* The engine's row, column and block calls on the current sheet (Excel 97 books; an Excel 95
 * book refuses all but XlsColumnClear with errMode). A refusal for an empty or wrong-kind
 * copy buffer, a bad count or size reads as the call's own error: errClear, errCopy,
 * errPaste, errInsert or errDelete; other engine errors as they are. Ranges and cells are
 * position texts (a single cell clears or copies 1 x 1). */
TABRIX_API int32_t XlsRowDelete(int32_t row, int32_t count);
TABRIX_API int32_t XlsRowClear(int32_t row, int32_t count);
TABRIX_API int32_t XlsRowInsert(int32_t row, int32_t count);
TABRIX_API int32_t XlsRowCopy(int32_t source, int32_t target);
TABRIX_API int32_t XlsRowPaste(int32_t row);
TABRIX_API int32_t XlsColumnDelete(int32_t column, int32_t count);
TABRIX_API int32_t XlsColumnClear(int32_t column, int32_t count);
TABRIX_API int32_t XlsColumnInsert(int32_t column, int32_t count);
TABRIX_API int32_t XlsColumnCopy(int32_t source, int32_t target);
TABRIX_API int32_t XlsColumnPaste(int32_t column);
TABRIX_API int32_t XlsClear(const char *range);
/* Copies the source block and pastes it at the target; a null or empty target only copies. */
TABRIX_API int32_t XlsCopy(const char *source, const char *target);
TABRIX_API int32_t XlsPaste(const char *target);

#ifdef __cplusplus
}
#endif

#endif /* TABRIX_BOOK_H */
