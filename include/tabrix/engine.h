/* tabrix engine calls (XM_*, XE_*): workbooks by handle, cell values, attributes and
 * formulas. */
#ifndef TABRIX_ENGINE_H
#define TABRIX_ENGINE_H

#include "tabrix/types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Engine: workbooks ------------------------------------------------------------------
 * Every narrow-text call has a UTF-16 twin named with the suffix W that takes
 * const char16_t * texts instead (wchar_t is 32-bit on Linux and never crosses).
 * Handles are small integers, reused after XM_Close/XM_Cancel. Nothing reaches the disk
 * before XM_Close, which writes a new file beside the old one and renames it over it: the
 * name holds the old file (or none) until the new one is whole. XM_Cancel, and any close
 * that fails, leave the disk as it was before the create. From create to close the file is
 * the workbook's alone: another create of it (by any name, from any process) returns -1. */

/* The creates return the handle, or -9 for an empty name, -1 when the file cannot be
 * created (a missing folder, a file we may not write, one held by another workbook, or a
 * name that leads to a device, a FIFO, a socket or a folder), -34 for more than 32767
 * sheets. A symbolic link is followed: the file it names is written, the link stays. */

/* Excel 95 workbook; a sheet count below 1 means 16. */
TABRIX_API int32_t XM_Create(const char *file_name, int32_t sheet_count);
TABRIX_API int32_t XM_CreateW(const char16_t *file_name, int32_t sheet_count);
/* Excel 97 workbook; a sheet count below 1 means 3. */
TABRIX_API int32_t XM_Create97(const char *file_name, int32_t sheet_count);
TABRIX_API int32_t XM_Create97W(const char16_t *file_name, int32_t sheet_count);
/* Version-taking create (XLVER): 0 and 95 give Excel 95; 97, 2000 and 2002 Excel 97 with
 * that version stamp; any other value Excel 97. A sheet count below 1 means 16 for versions
 * below 97, else 3. */
TABRIX_API int32_t XM_CreateVer(const char *file_name, int32_t sheet_count, int32_t version);
TABRIX_API int32_t XM_CreateVerW(const char16_t *file_name, int32_t sheet_count, int32_t version);
/* Writes the workbook and releases the handle: 0, -1, -2, -3, or -5 when the file could not
 * be written (no space, a size limit, an I/O error; the old file stays as it was). */
TABRIX_API int32_t XM_Close(int32_t handle);
/* Releases the handle without writing anything: 0, -2 or -3. */
TABRIX_API int32_t XM_Cancel(int32_t handle);

/* ---- Engine: sheets ----------------------------------------------------------------------
 * Sheet names hold 1-31 characters, none of : \ / ? * [ ], and differ from each other in
 * more than letter case. A refused call changes nothing. */

/* The number of sheets, or -2/-3. */
TABRIX_API int32_t XM_GetSheetCount(int32_t h);
/* Renames sheet s: 0, -2, -3; -6 read-only workbook; -31 empty or over 31 characters; -4 no
 * such sheet; -34 a refused character or another sheet's name. */
TABRIX_API int32_t XM_SheetName(int32_t h, int32_t s, const char *name);
TABRIX_API int32_t XM_SheetNameW(int32_t h, int32_t s, const char16_t *name);
/* Writes sheet s's name into a buffer of 32 units: 0, -2, -3, -4; -31 when the name (31
 * double-byte characters are 62 bytes) did not fit whole: the buffer then holds as much as
 * fits, ended by NUL. The W form always fits and gives the name exactly, whatever its
 * characters (the narrow form in code page 932 gives a character it lacks as "?"). */
TABRIX_API int32_t XM_GetSheetName(int32_t h, int32_t s, char *buffer);
TABRIX_API int32_t XM_GetSheetNameW(int32_t h, int32_t s, char16_t *buffer);
/* Appends count sheets named "Sheet%d": 0, -2, -3; -34 for a count below 1 or beyond 32767
 * sheets in all. */
TABRIX_API int32_t XM_SetAddSheet(int32_t h, int32_t count);
/* Deletes count sheets from first (cut at the last sheet): 0, -2, -3; -34 for a workbook
 * with a macro project, first outside the workbook, a count below 1 or one that leaves no
 * sheet; -4 when one of them is not a worksheet; -115 when an Excel 95 formula on a sheet
 * that stays cannot be read token by token, so its sheet numbers cannot follow (nothing
 * changes then). */
TABRIX_API int32_t XM_SetDelSheet(int32_t h, int32_t first, int32_t count);
/* Inserts a full copy of sheet source at position (the sheet count appends), named name, or
 * "<source> (2)", " (3)", ... when name is null or empty: 0, -2, -3; -34 for a sheet or
 * position outside the workbook, a refused name or a full table of sheet references; -1 for a
 * name another sheet has; -115 when a formula or name the copy must change cannot be read
 * token by token (nothing changes then). The copy's references to its source name the copy;
 * in Excel 97 it also gets twins of its source's local names and of the global names that
 * name its source, local to the copy. */
TABRIX_API int32_t XM_CopySheet(int32_t h, int32_t source, int32_t position, const char *name);
TABRIX_API int32_t XM_CopySheetW(int32_t h, int32_t source, int32_t position, const char16_t *name);
/* The sheet shown first when the file is opened, or -2/-3. */
TABRIX_API int32_t XM_GetActiveSheet(int32_t h);
/* 0, -2, -3, or -34 for a sheet outside the workbook. */
TABRIX_API int32_t XM_SetActiveSheet(int32_t h, int32_t s);

/* ---- Engine: cell values -----------------------------------------------------------------
 * h workbook handle, s sheet, x column 0-255, y row (below 16384 in Excel 95, 65536 in
 * Excel 97). The 2 forms take an attribute number: 15 is the default, -n sets attribute n
 * replacing the cell's, any other n is merged over the cell's attribute. A null text writes
 * a blank cell; a leading apostrophe is dropped. Results: 0, -3, -4, -32, -40.
 * Excel 95 texts are written in the workbook's code page: 932 for a workbook made here, the
 * file's own (its CODEPAGE record) for one made from a template or opened for update. A text
 * holding a character that code page lacks is refused with -34 and nothing is written (also
 * sheet names, headers and footers; -31 for font and format names; formula error -116 for a
 * string literal of a formula). An Excel 95 text is cut at 255 bytes, between characters; an
 * Excel 97 text over 32767 UTF-16 units is refused with -31 and nothing is written. */
TABRIX_API int32_t XM_WriteStr(int32_t h, int32_t s, int32_t x, int32_t y, const char *text);
TABRIX_API int32_t XM_WriteStrW(int32_t h, int32_t s, int32_t x, int32_t y, const char16_t *text);
TABRIX_API int32_t XM_WriteStr2(int32_t h, int32_t s, int32_t x, int32_t y, const char *text,
                                int32_t xf);
TABRIX_API int32_t XM_WriteStr2W(int32_t h, int32_t s, int32_t x, int32_t y, const char16_t *text,
                                 int32_t xf);
TABRIX_API int32_t XM_WriteInt(int32_t h, int32_t s, int32_t x, int32_t y, int32_t value);
TABRIX_API int32_t XM_WriteInt2(int32_t h, int32_t s, int32_t x, int32_t y, int32_t value,
                                int32_t xf);
/* A NaN or an infinity is refused with -34 and nothing is written (every number write,
 * and the cached number result of XM_WriteFunc3). */
TABRIX_API int32_t XM_WriteDouble(int32_t h, int32_t s, int32_t x, int32_t y, double value);
TABRIX_API int32_t XM_WriteDouble2(int32_t h, int32_t s, int32_t x, int32_t y, double value,
                                   int32_t xf);
/* A boolean cell: TRUE for a non-zero value, else FALSE. */
TABRIX_API int32_t XM_WriteBool(int32_t h, int32_t s, int32_t x, int32_t y, int32_t value);
TABRIX_API int32_t XM_WriteBool2(int32_t h, int32_t s, int32_t x, int32_t y, int32_t value,
                                 int32_t xf);
/* Writes count cells of sheet s in one call, in order, each as the single-cell call would:
 * kinds[i] 0 blank (as XM_WriteStr2W with a null text), 1 integer (values[i] a whole number
 * in the 32-bit range, as XM_WriteInt2), 2 number (XM_WriteDouble2), 3 boolean (values[i]
 * non-zero for TRUE, XM_WriteBool2), 4 text (XM_WriteStr2W: the next of the NUL-terminated
 * texts packed one after another in `texts`). attrs[i] is the attribute argument of the
 * 2-forms (attrs may be null: 15 for every cell). Returns 0, or the error of the first cell
 * that failed (-34 also for a kind outside 0-4, an integer that is not one, or a value or
 * text missing): the cells before it are written, it and those after are not; *written (may
 * be null) takes how many were written. */
TABRIX_API int32_t XM_WriteCellsW(int32_t h, int32_t s, int32_t count, const int32_t *xs,
                                  const int32_t *ys, const int32_t *kinds, const double *values,
                                  const char16_t *texts, const int32_t *attrs, int32_t *written);
/* Appends a record (number, data) unchanged to the end of the sheet, before its window
 * settings: 0, -3, -4, or -34 for null data with a non-zero length. */
TABRIX_API int32_t XM_WriteBin(int32_t h, int32_t s, uint16_t number, uint16_t length,
                               const void *data);

/* Keyword writes: the value goes to every cell of the sheet that carries the keyword,
 * shifted by (dx, dy); -37 when the sheet has no such keyword. */
TABRIX_API int32_t XM_WriteStrh(int32_t h, int32_t s, const char *keyword, int32_t dx, int32_t dy,
                                const char *text);
TABRIX_API int32_t XM_WriteStrhW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                 int32_t dy, const char16_t *text);
TABRIX_API int32_t XM_WriteStr2h(int32_t h, int32_t s, const char *keyword, int32_t dx, int32_t dy,
                                 const char *text, int32_t xf);
TABRIX_API int32_t XM_WriteStr2hW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                  int32_t dy, const char16_t *text, int32_t xf);
TABRIX_API int32_t XM_WriteInth(int32_t h, int32_t s, const char *keyword, int32_t dx, int32_t dy,
                                int32_t value);
TABRIX_API int32_t XM_WriteInthW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                 int32_t dy, int32_t value);
TABRIX_API int32_t XM_WriteInt2h(int32_t h, int32_t s, const char *keyword, int32_t dx, int32_t dy,
                                 int32_t value, int32_t xf);
TABRIX_API int32_t XM_WriteInt2hW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                  int32_t dy, int32_t value, int32_t xf);
TABRIX_API int32_t XM_WriteDoubleh(int32_t h, int32_t s, const char *keyword, int32_t dx,
                                   int32_t dy, double value);
TABRIX_API int32_t XM_WriteDoublehW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                    int32_t dy, double value);
TABRIX_API int32_t XM_WriteDouble2h(int32_t h, int32_t s, const char *keyword, int32_t dx,
                                    int32_t dy, double value, int32_t xf);
TABRIX_API int32_t XM_WriteDouble2hW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                     int32_t dy, double value, int32_t xf);
TABRIX_API int32_t XM_WriteBoolh(int32_t h, int32_t s, const char *keyword, int32_t dx, int32_t dy,
                                 int32_t value);
TABRIX_API int32_t XM_WriteBoolhW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                  int32_t dy, int32_t value);
TABRIX_API int32_t XM_WriteBool2h(int32_t h, int32_t s, const char *keyword, int32_t dx, int32_t dy,
                                  int32_t value, int32_t xf);
TABRIX_API int32_t XM_WriteBool2hW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                   int32_t dy, int32_t value, int32_t xf);

/* ---- Engine: cell attributes ------------------------------------------------------------
 * Fonts, number formats and cell attributes (XF records) of a workbook, and applying them
 * to cells. An attribute number is the XF index a cell record carries: 0-20 are the
 * built-in XFs (15 the default cell attribute), 21 and up are registered ones. */

/* Font number of a font (registered when new). An empty name or a size of -1.0 takes the
 * workbook's default; colour 0 or less is automatic; style and underline below 0 are none.
 * -31 for a name longer than 32 bytes in code page 932 (32 UTF-16 units for a name that code
 * page lacks a character of), or one an Excel 95 workbook's code page cannot hold. */
TABRIX_API int32_t XM_FontNo(int32_t h, const char *name, double size, int32_t colour,
                             int32_t style, int32_t underline);
TABRIX_API int32_t XM_FontNoW(int32_t h, const char16_t *name, double size, int32_t colour,
                              int32_t style, int32_t underline);
/* Number of a number format (registered when new, from 176 up). Japanese colour words in
 * brackets become their English names. -31 for an empty or too long format (255 bytes for
 * Excel 95, 256 for Excel 97, counted in code page 932 or, for a format that code page cannot
 * hold, in UTF-16 units), or one an Excel 95 workbook's code page cannot hold. */
TABRIX_API int32_t XM_FmtNo(int32_t h, const char *format);
TABRIX_API int32_t XM_FmtNoW(int32_t h, const char16_t *format);
/* Sets every field of the request to "not set"; -34 for a null pointer. */
TABRIX_API int32_t XM_InitAttr(XLATTR *attr);
/* Attribute number of a request (registered when new); unset fields take the defaults.
 * -34 for a null request. */
TABRIX_API int32_t XM_GetAttrNo2(int32_t h, const XLATTR *attr);
/* Older form: packed border styles and colours (XL_KeiNo), horizontal alignment 0-7, font
 * and format numbers; -1 means the default. */
TABRIX_API int32_t XM_GetAttrNo(int32_t h, int32_t lines, int32_t colours, int32_t pos_horz,
                                int32_t font, int32_t format);
/* Changes default font slot 0-4 of every workbook created afterwards in the process: 0, -34
 * for another slot, -31 for a name longer than 32 bytes. */
TABRIX_API int32_t XE_SetDefFont(int32_t slot, const char *name, double size, int32_t colour,
                                 int32_t style, int32_t underline);

/* Applying attributes. The number forms take an attribute number (negative: replace the
 * cell's attribute with number -n instead of merging); the 2 forms merge a request. Range
 * forms accept the corners in either order; a request with Joint 1 also merges the cells
 * (Excel 97). Results: 0, -2, -3, -4, -32, -5 (a blank record could not be added), -40, -41,
 * -34 for a null request; the keyword (h) forms -37 when no cell carries the keyword. */
TABRIX_API int32_t XM_SetAttr(int32_t h, int32_t s, int32_t x, int32_t y, int32_t attr);
TABRIX_API int32_t XM_SetAttrExt(int32_t h, int32_t s, int32_t x1, int32_t y1, int32_t x2,
                                 int32_t y2, int32_t attr);
TABRIX_API int32_t XM_SetAttr2(int32_t h, int32_t s, int32_t x, int32_t y, const XLATTR *attr);
TABRIX_API int32_t XM_SetAttrExt2(int32_t h, int32_t s, int32_t x1, int32_t y1, int32_t x2,
                                  int32_t y2, const XLATTR *attr);
TABRIX_API int32_t XM_SetAttrh(int32_t h, int32_t s, const char *keyword, int32_t dx, int32_t dy,
                               int32_t attr);
TABRIX_API int32_t XM_SetAttrhW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                int32_t dy, int32_t attr);
TABRIX_API int32_t XM_SetAttrExth(int32_t h, int32_t s, const char *keyword, int32_t dx1,
                                  int32_t dy1, int32_t dx2, int32_t dy2, int32_t attr);
TABRIX_API int32_t XM_SetAttrExthW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx1,
                                   int32_t dy1, int32_t dx2, int32_t dy2, int32_t attr);
TABRIX_API int32_t XM_SetAttr2h(int32_t h, int32_t s, const char *keyword, int32_t dx, int32_t dy,
                                const XLATTR *attr);
TABRIX_API int32_t XM_SetAttr2hW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                 int32_t dy, const XLATTR *attr);
TABRIX_API int32_t XM_SetAttrExt2h(int32_t h, int32_t s, const char *keyword, int32_t dx1,
                                   int32_t dy1, int32_t dx2, int32_t dy2, const XLATTR *attr);
TABRIX_API int32_t XM_SetAttrExt2hW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx1,
                                    int32_t dy1, int32_t dx2, int32_t dy2, const XLATTR *attr);
/* Borders over a range; line code: style in bits 0-3, colour in bits 8-15. Box: the
 * outline; Ltc: every cell edge; Over/Under/Left/Right: that edge of every cell. */
TABRIX_API int32_t XM_BoxLine(int32_t h, int32_t s, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                              int32_t line);
TABRIX_API int32_t XM_LtcLine(int32_t h, int32_t s, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                              int32_t line);
TABRIX_API int32_t XM_OverLine(int32_t h, int32_t s, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                               int32_t line);
TABRIX_API int32_t XM_UnderLine(int32_t h, int32_t s, int32_t x1, int32_t y1, int32_t x2,
                                int32_t y2, int32_t line);
TABRIX_API int32_t XM_LeftLine(int32_t h, int32_t s, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                               int32_t line);
TABRIX_API int32_t XM_RightLine(int32_t h, int32_t s, int32_t x1, int32_t y1, int32_t x2,
                                int32_t y2, int32_t line);

/* ---- Engine: column widths and row heights ---------------------------------------------
 * Widths in whole characters, snapped to a shown width and stored in 1/256 characters by the
 * workbook's default font size; heights in points, snapped to quarter points. 0 hides the
 * columns or the row. Later widths win over earlier ones on the same columns. Results: 0,
 * -2/-3 (handle), -4 (sheet), -32 (column outside 0-255, row outside the format's rows),
 * -6 (workbook read only), -34 (width above 255 characters, height above 409 points or
 * negative), -1 (column record not stored). A failed call changes nothing. */

/* Columns x1..x2 (either order). */
TABRIX_API int32_t XM_SetColWidth(int32_t h, int32_t s, int32_t x1, int32_t x2, int32_t width);
TABRIX_API int32_t XM_SetRowHeight(int32_t h, int32_t s, int32_t y, double height);

/* ---- Engine: formulas --------------------------------------------------------------------
 * The text is written as a user types it ("=SUM(A1:B3)*2", the "=" optional) and compiled
 * into the FORMULA record of the cell. Without a result the cell is calculated when the file
 * is opened; with one, the result is stored as the cell's value. A malformed formula returns
 * a code from -100 to -199 and leaves the cell as it was. Other results as for the value
 * writes, and -34 for a result kind outside 0-3 or a number result that is NaN or infinite,
 * -31 for a text result over 256 bytes, -34 for a text result holding a NUL. */

TABRIX_API int32_t XM_WriteFunc(int32_t h, int32_t s, int32_t x, int32_t y, const char *text);
TABRIX_API int32_t XM_WriteFuncW(int32_t h, int32_t s, int32_t x, int32_t y, const char16_t *text);
TABRIX_API int32_t XM_WriteFunc2(int32_t h, int32_t s, int32_t x, int32_t y, const char *text,
                                 int32_t xf);
TABRIX_API int32_t XM_WriteFunc2W(int32_t h, int32_t s, int32_t x, int32_t y, const char16_t *text,
                                  int32_t xf);
/* result may be null. */
TABRIX_API int32_t XM_WriteFunc3(int32_t h, int32_t s, int32_t x, int32_t y, const char *text,
                                 int32_t xf, const FormulaResult *result);
TABRIX_API int32_t XM_WriteFunc3W(int32_t h, int32_t s, int32_t x, int32_t y, const char16_t *text,
                                  int32_t xf, const FormulaResultW *result);
/* At every cell of the keyword, shifted by (dx, dy), with attribute 15; -37 without it. */
TABRIX_API int32_t XM_WriteFunch(int32_t h, int32_t s, const char *keyword, int32_t dx, int32_t dy,
                                 const char *text);
TABRIX_API int32_t XM_WriteFunchW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                  int32_t dy, const char16_t *text);
/* The sheets that formulas on sheet s may name, as "Sheet2/Sheet3": 0, -2, -3, -4, or -34
 * for an empty list, an empty name or a name of 32 characters or more. */
TABRIX_API int32_t XM_SetRefSheet(int32_t h, int32_t s, const char *names);

/* ---- Engine: sheet display and print settings ---------------------------------------------
 * XM_SetGridMode: non-zero shows the grid lines of sheet s and makes it the current sheet;
 * 0, -2, -3, -4. XM_SetZoom: zoom in percent, 10-400; 0, -3 (also for a negative handle),
 * -4, -34. XM_SetPageMode: paper size (XLPAPERSIZE; another value is A4), scale in percent
 * (outside 10-400 is 100), orientation (XLORIENT; anything but 0 is portrait), header and
 * footer margins in millimetres (negative is 13 mm); 0, -2, -3, -4. */
TABRIX_API int32_t XM_SetGridMode(int32_t h, int32_t s, int32_t flag);
TABRIX_API int32_t XM_SetZoom(int32_t h, int32_t s, int32_t zoom);
TABRIX_API int32_t XM_SetPageMode(int32_t h, int32_t s, int32_t paper_size, int32_t scale,
                                  int32_t orientation, double header_margin, double footer_margin);

/* ---- Engine: reading workbooks (read mode) --------------------------------------- */

/* A file opened for reading only: its sheets keep their names, nothing is ever written to
 * it, and XM_Close/XM_Cancel on the handle keep the file. Returns the handle, or -9 for an
 * empty name, -1 when the file is no Excel 95/97 workbook or is encrypted or protected
 * (workbook or any worksheet; XM_CheckFile says which), -35 when its first sheet cannot be
 * found. A file saved for Excel 97 and 95 at once is read through its Excel 97 stream; a
 * damaged stream is read as far as its records go. */
TABRIX_API int32_t XM_ReadOpen(const char *file_name);
TABRIX_API int32_t XM_ReadOpenW(const char16_t *file_name);
/* Cell (x, y) of sheet s of a read-mode workbook: kind 0 with the number in *value (also
 * for an integer; a blank cell leaves *value alone), 1 with the narrow text cut to size bytes
 * including its NUL (between characters), 2 with -1.0 (TRUE) or 0.0 (FALSE), or 1-7 for #NULL!,
 * #DIV/0!, #VALUE!, #REF!, #NAME?, #NUM!, #N/A (cells and formula results alike). 0, -2,
 * -3; -6 not a read-mode workbook; -34 no such sheet; -7 no such cell (also for a single
 * BLANK record) or unreadable; -8 an error code none of the seven. */
TABRIX_API int32_t XM_Read(int32_t h, int32_t s, int32_t x, int32_t y, int32_t *kind, double *value,
                           char *text, int32_t size);
/* 0; -2 negative handle; -3 no workbook; -6 a workbook not opened for reading. */
TABRIX_API int32_t XM_ReadClose(int32_t h);
/* One past the last used column and row of sheet s, from its DIMENSIONS record in the file
 * the workbook was read or made from (0 and 0 for a workbook made from no file): 0; 1 no
 * such sheet; -1 no DIMENSIONS record; -2, -3. */
TABRIX_API int32_t XM_GetMaxData(int32_t h, int32_t s, int32_t *columns, int32_t *rows);
/* The kind of cell (x, y) as result. Read mode: 0 blank, 1 integer (*integer), 2 number
 * (*value), 3 boolean or error (*value as for XM_Read), 4 text (in the buffer), 5 text with
 * no buffer given; -34, -7, -8 as for XM_Read. Other workbooks, from their cells in memory:
 * -1 no cell, 0 blank, 1 integer, 2 number (also a formula's number), 4 text (also a
 * formula's text), -1 for a boolean, an error or a text without buffer; -4 no such sheet.
 * *xf takes the cell's attribute number. Each out-pointer may be null. */
TABRIX_API int32_t XM_GetCellData(int32_t h, int32_t s, int32_t x, int32_t y, int32_t *integer,
                                  double *value, char *text, int32_t size, int32_t *xf);
TABRIX_API int32_t XM_GetCellDataW(int32_t h, int32_t s, int32_t x, int32_t y, int32_t *integer,
                                   double *value, char16_t *text, int32_t size, int32_t *xf);
/* Column x's width in 1/256 characters in the file the workbook was read or made from: its
 * COLINFO (0 when hidden), else the sheet's standard width, else 2208. 0 for a negative
 * sheet, 1 no such sheet; -2, -3. */
TABRIX_API int32_t XM_GetColWidth(int32_t h, int32_t s, int32_t x);
/* Row y's height in points in that file: its ROW record, else the sheet's default row
 * height, else 13.5. 0.0 no such sheet; -2.0, -3.0. */
TABRIX_API double XM_GetRowHeight(int32_t h, int32_t s, int32_t y);

/* One cell as XM_WalkCellsW delivers it. kind: 0 blank, 1 integer, 2 number (value the
 * number), 3 boolean or error (value -1.0 TRUE, 0.0 FALSE, or 1-7 as for XM_Read; 0.0 with an
 * empty text for an error code none of the seven), 4 text. Kinds 3 and 4 have a text:
 * `length` UTF-16 units from `text` on in the caller's text buffer, without NUL ("TRUE",
 * "FALSE", "#DIV/0!" and so on for kind 3). */
typedef struct XLWALKCELL {
    int32_t x, y, xf, kind;
    double value;
    int32_t text, length;
} XLWALKCELL;
/* The cells of sheet s of the file a workbook was read or opened from, in stream order, many
 * in one call: from position on (at or before the sheet's BOF, 0 for one: its start), whole
 * records at a time as long as their cells fit into cells[capacity] and their texts into
 * text[text_size] (text may be null with no texts to take); *count takes how many were
 * delivered. These are the cells XlsGetReadBinW walks: records of embedded charts are stepped
 * over, unreadable cell records skipped, a formula gives its result. Returns the position to
 * go on from, or 0 at the sheet's end (also for a chart sheet), -1 at its first drawing
 * object (OBJ, IMDATA, MSODRAWING), the cells before either delivered; -2, -3; -6 for a
 * workbook made from no file; -34 for no such sheet, a null cells or count, a capacity below
 * 1, or a next record whose cells do not fit into empty buffers (256 cells and 65535 text
 * units always suffice). */
TABRIX_API int32_t XM_WalkCellsW(int32_t h, int32_t s, int32_t position, XLWALKCELL *cells,
                                 int32_t capacity, char16_t *text, int32_t text_size,
                                 int32_t *count);
/* One cell of any workbook in XM_WalkCellsW's form: a read-mode workbook's from its file,
 * any other's from its cells in memory (a formula gives its result). Kinds 3 and 4 put their
 * text into text[] from 0, cut to text_size units with a NUL (text may be null);
 * cell->text is 0 and cell->length the whole text's length. 0; -2, -3; -7 no cell there;
 * -34 no such sheet, a null cell, or a position off the sheet. */
TABRIX_API int32_t XM_ReadCellW(int32_t h, int32_t s, int32_t x, int32_t y, XLWALKCELL *cell,
                                char16_t *text, int32_t text_size);
/* The number format that attribute (XF) number xf shows (its FORMAT record's, else the
 * built-in one of its number, the Japanese date formats 27-36 and 50-58 included; General,
 * format 0, and numbers without a built-in format are the empty text), as text cut to size
 * units with a NUL: 0; -2, -3; -34 no such
 * attribute, a null buffer or a size below 1. A read-mode workbook answers from its file,
 * any other from its records in memory. */
TABRIX_API int32_t XM_GetXfFormatW(int32_t h, int32_t xf, char16_t *buffer, int32_t size);
/* The workbook's date system: 0 when serial numbers count days from 1900, 1 from 1904;
 * -2, -3. */
TABRIX_API int32_t XM_GetDateMode(int32_t h);

/* ---- Engine: templates and open for update --------------------------------------- */

/* XM_CreateT: a new workbook file from a template: a copy of it whose workbook is the
 * template's (keyword cells blank, keeping their format) and is written at close, every other
 * part of the file kept. The handle; -9 for an empty name, -5001 when the template cannot be
 * read (also encrypted or protected workbooks, and damaged ones whose records cannot all be
 * walked, which a copy would cut short), -1 when the new file cannot be created (as
 * for XM_Create), is the template itself, or the template cannot be loaded.
 * XM_Open: opens a file for modification, into output_name as a template (keyword texts that
 * are written later become blanks), or with a null output_name in place (keyword texts kept;
 * the file is held as a create holds its file). The handle or -1 (also for a damaged file, as
 * XM_CreateT). A file saved for Excel 97 and 95 at once is taken as Excel 97, and its Excel 95
 * copy is not kept. XM_CheckFile says why a file is refused. XM_OpenClose: closes such a
 * workbook, writing it (save non-zero; in place: the file is then replaced whole) or
 * discarding it (the file stays as it was); 0, -5 when the file could not be written (it
 * stays as it was), or -2. */
TABRIX_API int32_t XM_CreateT(const char *file_name, const char *template_name);
TABRIX_API int32_t XM_CreateTW(const char16_t *file_name, const char16_t *template_name);
TABRIX_API int32_t XM_Open(const char *file_name, const char *output_name);
TABRIX_API int32_t XM_OpenW(const char16_t *file_name, const char16_t *output_name);
TABRIX_API int32_t XM_OpenClose(int32_t h, int32_t save);

/* ---- Engine: cell queries -------------------------------------------------------- */

/* The cell queries look at the workbook's current sheet (that of the last write) in memory.
 * The attribute (XF) number stored with cell (x, y): 0, -2, -3; -6 for a workbook opened
 * for reading; -34 a null xf; -4 no current sheet; -32 off the sheet; -35 no cell there. */
TABRIX_API int32_t XM_GetCellAttr(int32_t h, int32_t x, int32_t y, int32_t *xf);
/* The last column any cell reaches; with flag non-zero blank cells do not count. 0; -1 for
 * a sheet without counted cells (*x is then -1); -2, -3, -4; -34 a null x. */
TABRIX_API int32_t XM_GetLastX(int32_t h, int32_t *x, int32_t flag);
/* The row of the last cell in row order and the last column of that cell; flag and results
 * as XM_GetLastX (both -1 for a sheet without counted cells). */
TABRIX_API int32_t XM_GetLastPos(int32_t h, int32_t *x, int32_t *y, int32_t flag);
/* Sets the keyword prefix ("**" at first) when the text has 1 to 64 characters; otherwise
 * the prefix stays. Always 0. */
TABRIX_API int32_t XM_SetKeyWord(const char *prefix);

/* ---- Engine: row, column and block operations ----------------------------------- */

/* Rows, columns and rectangles of a sheet of an Excel 97 workbook (-6 for Excel 95, but for
 * XM_ColumnClear, and for a workbook opened for reading). Cells move with everything that
 * refers to them: the sheet's formula references (absolute parts too), the 3-D references of
 * every sheet's formulas and of the defined names that name the sheet alone (print area,
 * titles and filter range included), comments and drawing objects, hyperlinks, validations,
 * conditional formats, the autofilter, row heights, column widths, merged ranges, page
 * breaks, panes, the selection and keyword cells. A reference into deleted cells becomes
 * #REF!; a comment, link or rule left without cells goes. A refused call changes nothing.
 * Common codes: -2/-3 no workbook, -4 sheet outside it.
 * Row calls: n rows at r, -32 unless n >= 1 and r + n <= 65536; XM_RowInsert returns -3 when
 * a cell would be pushed past the last row; every call that moves cells returns -4 (after
 * the sheet checks) for a formula, name or carried record it cannot read through, and a
 * delete for an array formula whose range it would cut in part or a table formula whose
 * input cell it would delete. */
TABRIX_API int32_t XM_RowDelete(int32_t h, int32_t s, int32_t row, int32_t count);
TABRIX_API int32_t XM_RowClear(int32_t h, int32_t s, int32_t row, int32_t count);
TABRIX_API int32_t XM_RowInsert(int32_t h, int32_t s, int32_t row, int32_t count);
/* Each sheet has one copy buffer, filled by each copy (kind rows, column or block) and read
 * by any number of pastes into that sheet. XM_RowCopy copies the row and pastes it at target
 * unless that is -1 or the source; a row paste needs a rows buffer (else -1) and gives the
 * rows the copied heights. A paste moves the relative parts of the pasted formulas' references
 * (3-D ones too) and carries the copied cells' comments, hyperlinks, validations and
 * conditional formats; it returns -2 when a cell would leave the columns, -3 the rows, -4 when
 * a record it must change cannot be read through or no shape id is free for a comment, before
 * anything changes. Clears keep comments, validations and conditional formats. */
TABRIX_API int32_t XM_RowCopy(int32_t h, int32_t s, int32_t source, int32_t target);
TABRIX_API int32_t XM_RowCopyOnly(int32_t h, int32_t s, int32_t source);
TABRIX_API int32_t XM_RowPaste(int32_t h, int32_t s, int32_t row);
/* Copies count rows (below 1: one) from first of sheet s into its buffer (first below 0: the
 * buffer as it is, which must hold rows, else -1) and, unless target_row is negative, pastes
 * them into target_sheet (negative: s; -6 when there is no such sheet) at target_row. */
TABRIX_API int32_t XM_RowCopyEx(int32_t h, int32_t s, int32_t first, int32_t count,
                                int32_t target_sheet, int32_t target_row);
/* Column calls: -32 for a column outside 0-255, -1 for a count below 1; a count reaching past
 * the last column stops there. XM_ColumnInsert returns -2 when a cell would be pushed past
 * the last column. */
TABRIX_API int32_t XM_ColumnDelete(int32_t h, int32_t s, int32_t column, int32_t count);
TABRIX_API int32_t XM_ColumnClear(int32_t h, int32_t s, int32_t column, int32_t count);
TABRIX_API int32_t XM_ColumnInsert(int32_t h, int32_t s, int32_t column, int32_t count);
TABRIX_API int32_t XM_ColumnCopy(int32_t h, int32_t s, int32_t source, int32_t target);
TABRIX_API int32_t XM_ColumnCopyOnly(int32_t h, int32_t s, int32_t source);
/* Needs a column buffer, else -1. */
TABRIX_API int32_t XM_ColumnPaste(int32_t h, int32_t s, int32_t column);
/* Blocks: -1 for a width or height below 1; a copy returns -32 for a corner off the sheet.
 * XM_BlockCopy pastes at (target_x, target_y) unless either is -1. XM_BlockPaste pastes any
 * buffer (-1 when empty) with its top-left cell at (x, y). */
TABRIX_API int32_t XM_BlockClear(int32_t h, int32_t s, int32_t x, int32_t y, int32_t width,
                                 int32_t height);
TABRIX_API int32_t XM_BlockCopy(int32_t h, int32_t s, int32_t x, int32_t y, int32_t width,
                                int32_t height, int32_t target_x, int32_t target_y);
TABRIX_API int32_t XM_BlockCopyOnly(int32_t h, int32_t s, int32_t x, int32_t y, int32_t width,
                                    int32_t height);
TABRIX_API int32_t XM_BlockPaste(int32_t h, int32_t s, int32_t x, int32_t y);

/* ---- Engine: what a file holds ------------------------------------------------------------ */

/* The version of the file a workbook was read or made from: 95 for Excel 95, else 97, 2000
 * or 2002 as its RECALCID says. -2, -3; -6 for a workbook made from no file. */
TABRIX_API int32_t XM_GetFileVersion(int32_t h);
/* Sheet s of that file as its BOUNDSHEET says: *visibility 0 visible, 1 hidden, 2 very
 * hidden; *type 0 worksheet, 1 macro sheet, 2 chart, 6 module. 0, -2, -3, -6 as above; -34
 * no such sheet. Either pointer may be null. */
TABRIX_API int32_t XM_GetSheetState(int32_t h, int32_t s, int32_t *visibility, int32_t *type);
/* Whether a file opens as a workbook, and if not, why (XLFILECHECK): the reason behind a -1
 * of XM_ReadOpen, XM_CreateT or XM_Open. -9 for an empty name. */
TABRIX_API int32_t XM_CheckFile(const char *file_name);
TABRIX_API int32_t XM_CheckFileW(const char16_t *file_name);
/* The storages and streams of any compound file, each storage followed by what it holds:
 * writes at most capacity entries and returns how many the file has, or -9 for an empty
 * name, -1 when the file cannot be read or is no sound compound file. */
TABRIX_API int32_t XM_GetFileEntries(const char *file_name, XLFILEENTRY *entries, int32_t capacity);
TABRIX_API int32_t XM_GetFileEntriesW(const char16_t *file_name, XLFILEENTRY *entries,
                                      int32_t capacity);

#ifdef __cplusplus
}
#endif

#endif /* TABRIX_ENGINE_H */
