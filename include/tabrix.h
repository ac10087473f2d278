/* tabrix: Excel 95 (BIFF5) and Excel 97 (BIFF8) workbook engine, C interface.
 *
 * Narrow texts are NUL-terminated code page 932 (Shift-JIS); wide texts are UTF-16
 * (char16_t). Engine calls (XM_*, XL_*) return 0 or a handle on success and a negative
 * error number on failure; the Book API (Xls*) returns 1 or 0 and keeps the last error.
 */
#ifndef TABRIX_H
#define TABRIX_H

#include <stdint.h>
#ifdef __cplusplus
#include <cstddef>
#else
#include <stddef.h>
#include <uchar.h>
#endif

#if defined(__GNUC__)
#define TABRIX_API __attribute__((visibility("default")))
#else
#define TABRIX_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Error numbers. The engine returns them negated; the Book API stores them positive,
 * folding every formula error (100 to 199) into errFormula. */
typedef enum XLERROR {
    errNone = 0,
    errOpen = 1,          /* the file cannot be opened or created */
    errHandle = 2,        /* invalid (negative) workbook handle */
    errNotOpen = 3,       /* no book is open */
    errSheetNo = 4,       /* sheet number out of range */
    errWrite = 5,         /* write error */
    errMode = 6,          /* operation not allowed in this mode */
    errDataKind = 7,      /* wrong kind of data */
    errValue = 8,         /* the cell holds an error value */
    errFileName = 9,      /* empty file name (no message) */
    errClear = 20,
    errCopy = 21,
    errPaste = 22,
    errInsert = 23,
    errDelete = 24,
    errLength = 31,
    errPosition = 32,     /* coordinate error */
    errAttrNo = 33,
    errParam = 34,
    errNoData = 35,
    errEndOfData = 36,
    errNoVariable = 37,   /* the keyword does not exist */
    errPageBreaks = 38,
    errMemory1 = 40,
    errMemory2 = 41,
    errInternal = 50,
    errFormula = 100      /* any malformed formula (engine codes 100 to 199) */
} XLERROR;

/* Workbook versions accepted by the version-taking create. */
typedef enum XLVER {
    ver95 = 95,
    ver97 = 97,
    ver2000 = 2000,
    ver2002 = 2002
} XLVER;


/* ---- Engine: workbooks ------------------------------------------------------------------
 * Every narrow-text call has a UTF-16 twin named with the suffix W that takes
 * const char16_t * texts instead (wchar_t is 32-bit on Linux and never crosses).
 * Handles are small integers, reused after XM_Close/XM_Cancel. Nothing reaches the file
 * before XM_Close; XM_Cancel removes the file. */

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
TABRIX_API int32_t XM_CreateVerW(const char16_t *file_name, int32_t sheet_count,
                                 int32_t version);
/* Writes the workbook and releases the handle: 0, -1, -2, -3 or -5. */
TABRIX_API int32_t XM_Close(int32_t handle);
/* Releases the handle and deletes the file: 0, -2, -3 or -5. */
TABRIX_API int32_t XM_Cancel(int32_t handle);

/* ---- Engine: cell values -----------------------------------------------------------------
 * h workbook handle, s sheet, x column 0-255, y row (below 16384 in Excel 95, 65536 in
 * Excel 97). The 2 forms take an attribute number: 15 is the default, -n sets attribute n
 * replacing the cell's, any other n is merged over the cell's attribute. A null text writes
 * a blank cell; a leading apostrophe is dropped. Results: 0, -3, -4, -32, -40. */
TABRIX_API int32_t XM_WriteStr(int32_t h, int32_t s, int32_t x, int32_t y, const char *text);
TABRIX_API int32_t XM_WriteStrW(int32_t h, int32_t s, int32_t x, int32_t y,
                                const char16_t *text);
TABRIX_API int32_t XM_WriteStr2(int32_t h, int32_t s, int32_t x, int32_t y, const char *text,
                                int32_t xf);
TABRIX_API int32_t XM_WriteStr2W(int32_t h, int32_t s, int32_t x, int32_t y,
                                 const char16_t *text, int32_t xf);
TABRIX_API int32_t XM_WriteInt(int32_t h, int32_t s, int32_t x, int32_t y, int32_t value);
TABRIX_API int32_t XM_WriteInt2(int32_t h, int32_t s, int32_t x, int32_t y, int32_t value,
                                int32_t xf);
TABRIX_API int32_t XM_WriteDouble(int32_t h, int32_t s, int32_t x, int32_t y, double value);
TABRIX_API int32_t XM_WriteDouble2(int32_t h, int32_t s, int32_t x, int32_t y, double value,
                                   int32_t xf);
/* Appends a record (number, data) unchanged to the end of the sheet, before its window
 * settings. */
TABRIX_API int32_t XM_WriteBin(int32_t h, int32_t s, uint16_t number, uint16_t length,
                               const void *data);

/* Keyword writes: the value goes to every cell of the sheet that carries the keyword,
 * shifted by (dx, dy); -37 when the sheet has no such keyword. */
TABRIX_API int32_t XM_WriteStrh(int32_t h, int32_t s, const char *keyword, int32_t dx,
                                int32_t dy, const char *text);
TABRIX_API int32_t XM_WriteStrhW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                 int32_t dy, const char16_t *text);
TABRIX_API int32_t XM_WriteStr2h(int32_t h, int32_t s, const char *keyword, int32_t dx,
                                 int32_t dy, const char *text, int32_t xf);
TABRIX_API int32_t XM_WriteStr2hW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                  int32_t dy, const char16_t *text, int32_t xf);
TABRIX_API int32_t XM_WriteInth(int32_t h, int32_t s, const char *keyword, int32_t dx,
                                int32_t dy, int32_t value);
TABRIX_API int32_t XM_WriteInthW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                 int32_t dy, int32_t value);
TABRIX_API int32_t XM_WriteInt2h(int32_t h, int32_t s, const char *keyword, int32_t dx,
                                 int32_t dy, int32_t value, int32_t xf);
TABRIX_API int32_t XM_WriteInt2hW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                  int32_t dy, int32_t value, int32_t xf);
TABRIX_API int32_t XM_WriteDoubleh(int32_t h, int32_t s, const char *keyword, int32_t dx,
                                   int32_t dy, double value);
TABRIX_API int32_t XM_WriteDoublehW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                    int32_t dy, double value);
TABRIX_API int32_t XM_WriteDouble2h(int32_t h, int32_t s, const char *keyword, int32_t dx,
                                    int32_t dy, double value, int32_t xf);
TABRIX_API int32_t XM_WriteDouble2hW(int32_t h, int32_t s, const char16_t *keyword,
                                     int32_t dx, int32_t dy, double value, int32_t xf);

/* ---- Older layer: workbook 0 ------------------------------------------------------------
 * The XL_ calls act on workbook 0 once XL_Create/XL_Create97 made it, and on its current
 * sheet (XL_SelSheetNo, or the sheet of the last write); -3 when there is none. */
/* -1 while workbook 0 is open; otherwise as XM_Create / XM_Create97. */
TABRIX_API int32_t XL_Create(const char *file_name, int32_t sheet_count);
TABRIX_API int32_t XL_Create97(const char *file_name, int32_t sheet_count);
TABRIX_API int32_t XL_Close(void);
TABRIX_API int32_t XL_Cancel(void);
TABRIX_API int32_t XL_SelSheetNo(int32_t sheet);
TABRIX_API int32_t XL_WriteStr(int32_t x, int32_t y, const char *text);
TABRIX_API int32_t XL_WriteStr2(int32_t x, int32_t y, const char *text, int32_t xf);
TABRIX_API int32_t XL_WriteInt(int32_t x, int32_t y, int32_t value);
TABRIX_API int32_t XL_WriteInt2(int32_t x, int32_t y, int32_t value, int32_t xf);
TABRIX_API int32_t XL_WriteDouble(int32_t x, int32_t y, double value);
TABRIX_API int32_t XL_WriteDouble2(int32_t x, int32_t y, double value, int32_t xf);
TABRIX_API int32_t XL_WriteStrh(const char *keyword, int32_t dx, int32_t dy, const char *text);
TABRIX_API int32_t XL_WriteStr2h(const char *keyword, int32_t dx, int32_t dy, const char *text,
                                 int32_t xf);
TABRIX_API int32_t XL_WriteInth(const char *keyword, int32_t dx, int32_t dy, int32_t value);
TABRIX_API int32_t XL_WriteInt2h(const char *keyword, int32_t dx, int32_t dy, int32_t value,
                                 int32_t xf);
TABRIX_API int32_t XL_WriteDoubleh(const char *keyword, int32_t dx, int32_t dy, double value);
TABRIX_API int32_t XL_WriteDouble2h(const char *keyword, int32_t dx, int32_t dy, double value,
                                    int32_t xf);
/* The write cursor of the current sheet: each write moves it one column on (to column 0 of
 * the next row after column 255). XL_MovePos: -32 outside the sheet; XL_MovePosh: to the
 * first cell of a keyword, shifted; XL_WrtCR: to column 0 of the next row. */
TABRIX_API int32_t XL_MovePos(int32_t x, int32_t y);
TABRIX_API int32_t XL_MovePosh(const char *keyword, int32_t dx, int32_t dy);
TABRIX_API int32_t XL_WrtCR(void);
TABRIX_API int32_t XL_WrtStr(const char *text);
TABRIX_API int32_t XL_WrtStr2(const char *text, int32_t xf);
TABRIX_API int32_t XL_WrtInt(int32_t value);
TABRIX_API int32_t XL_WrtInt2(int32_t value, int32_t xf);
TABRIX_API int32_t XL_WrtDouble(double value);
TABRIX_API int32_t XL_WrtDouble2(double value, int32_t xf);

#ifdef __cplusplus
}
#endif

#endif /* TABRIX_H */
