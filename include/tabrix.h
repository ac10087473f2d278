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

/* The creates return the handle, or -9 for an empty name, -1 when the file cannot be
 * created, -34 for more than 32767 sheets. */

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
 * settings: 0, -3, -4, or -34 for null data with a non-zero length. */
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

/* ---- Engine: cell attributes ------------------------------------------------------------
 * Fonts, number formats and cell attributes (XF records) of a workbook, and applying them
 * to cells. An attribute number is the XF index a cell record carries: 0-20 are the
 * built-in XFs (15 the default cell attribute), 21 and up are registered ones. */

/* Palette indexes of the standard palette; 0 is automatic. */
typedef enum XLCOLOR {
    xcDefault = 0,
    xcBlack = 8,
    xcWhite = 9,
    xcRed = 10,
    xcGreen = 11,
    xcBlue = 12,
    xcYellow = 13,
    xcPink = 14,
    xcCyan = 15
} XLCOLOR;

/* Font style bits. */
typedef enum XLFONTSTYLE {
    xsDefault = 0,
    xsNormal = 0,
    xsBold = 1,
    xsItalic = 2,
    xsStrike = 4,
    xsUp = 8,   /* superscript */
    xsDown = 16 /* subscript */
} XLFONTSTYLE;

typedef enum XLFONTULINE { fuDefault = 0, fuNone = 0, fuNormal = 1, fuDouble = 2 } XLFONTULINE;

/* Border line styles in the top byte (a colour may go in the low bytes). */
typedef enum XLLINESTYLE {
    lsDefault = 0,
    lsNone = 0,
    lsNormal = 0x01000000,    /* thin */
    lsThick = 0x02000000,     /* medium */
    lsBroken = 0x03000000,    /* dashed */
    lsDot = 0x04000000,       /* dotted */
    lsThick2 = 0x05000000,    /* thick */
    lsDouble = 0x06000000,    /* double */
    lsSlender = 0x07000000,   /* hair */
    lsMidBroken = 0x08000000, /* medium dashed */
    lsSlnChain1 = 0x09000000, /* thin dash-dot */
    lsMidChain1 = 0x0A000000, /* medium dash-dot */
    lsSlnChain2 = 0x0B000000, /* thin dash-dot-dot */
    lsMidChain2 = 0x0C000000, /* medium dash-dot-dot */
    lsMidChains = 0x0D000000  /* slanted dash-dot */
} XLLINESTYLE;

/* Fill patterns in the top byte (1 = solid); the low bytes may carry the pattern colour. */
typedef enum XLPATTERN {
    pn01 = 0x01000000,
    pn02 = 0x02000000,
    pn03 = 0x03000000,
    pn04 = 0x04000000,
    pn05 = 0x05000000,
    pn06 = 0x06000000,
    pn07 = 0x07000000,
    pn08 = 0x08000000,
    pn09 = 0x09000000,
    pn10 = 0x0A000000,
    pn11 = 0x0B000000,
    pn12 = 0x0C000000,
    pn13 = 0x0D000000,
    pn14 = 0x0E000000,
    pn15 = 0x0F000000,
    pn16 = 0x10000000,
    pn17 = 0x11000000,
    pn18 = 0x12000000
} XLPATTERN;

typedef enum XLBOXTYPE {
    btBox = 0,
    btLtc = 1, /* every cell edge */
    btOver = 2,
    btUnder = 3,
    btLeft = 4,
    btRight = 5
} XLBOXTYPE;

/* Horizontal alignment: PosHorz = value - 20. */
typedef enum XLPOSHORZ {
    phNormal = 20,
    phLeft = 21,
    phCenter = 22,
    phRight = 23,
    phLoop = 24,     /* fill */
    phBothEven = 25, /* justify */
    phSelCenter = 26,
    phEven = 27 /* distributed */
} XLPOSHORZ;

typedef enum XLPOSVERT { pvUp = 0, pvCenter = 1, pvDown = 2, pvBothEven = 3, pvEven = 4 } XLPOSVERT;

/* Excel 95 text orientation: Orient = value - 100. */
typedef enum XLPOSTURN { ptHorz = 100, ptVert = 101, ptRvTurn90 = 102, ptTurn90 = 103 } XLPOSTURN;

/* An attribute request: -1 in a field means "not set" (999 for Rotation). */
typedef struct XLATTR {
    int16_t Font;       /* font number */
    int16_t Format;     /* number format number */
    int16_t PosHorz;    /* 0 general, 1 left, 2 centre, 3 right, 4 fill, 5 justify,
                           6 centre across selection, 7 distributed, 8 distributed justified */
    int16_t OverReturn; /* wrap text 0/1 */
    int16_t PosVert;    /* 0 top, 1 centre, 2 bottom, 3 justify, 4 distributed */
    int16_t Orient;     /* Excel 95: 0 horizontal, 1 stacked, 2 90 ccw, 3 90 cw */
    int16_t LineTop;    /* border styles: the number in XLLINESTYLE's top byte; 255 = no line */
    int16_t LineBottom;
    int16_t LineLeft;
    int16_t LineRight;
    int16_t ColorTop; /* border colours: palette indexes */
    int16_t ColorBottom;
    int16_t ColorLeft;
    int16_t ColorRight;
    int16_t Pattern;      /* fill pattern 0-18, 1 solid */
    int16_t PatternColor; /* pattern (foreground) colour */
    int16_t BackColor;    /* background colour */
    int16_t Fit;          /* Excel 97: shrink to fit 0/1 */
    int16_t Joint;        /* Excel 97: merge cells 0/1 */
    int16_t DiagKind;     /* Excel 97: 0 none, 1 top-left down, 2 bottom-left up, 3 both */
    int16_t DiagStyle;    /* Excel 97: diagonal line style */
    int16_t DiagColor;    /* Excel 97: diagonal line colour */
    int16_t Indent;       /* Excel 97: indent 0-15, left alignment only */
    int16_t Rotation;     /* Excel 97: 0-90 ccw, 91-180 cw, 255 stacked; -90..90 accepted */
    int16_t Locked;       /* 0/1 */
    int16_t Hidden;       /* formula hidden 0/1 */
} XLATTR;

/* Font number of a font (registered when new). An empty name or a size of -1.0 takes the
 * workbook's default; colour 0 or less is automatic; style and underline below 0 are none.
 * -31 for a name longer than 32 bytes. */
TABRIX_API int32_t XM_FontNo(int32_t h, const char *name, double size, int32_t colour,
                             int32_t style, int32_t underline);
TABRIX_API int32_t XM_FontNoW(int32_t h, const char16_t *name, double size, int32_t colour,
                              int32_t style, int32_t underline);
/* Number of a number format (registered when new, from 176 up). Japanese colour words in
 * brackets become their English names. -31 for an empty or too long format. */
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
/* Non-zero: applying an attribute to a single cell replaces the cell's attribute. */
TABRIX_API int32_t XL_SetAttrMode(int32_t replace);
/* Packed per-edge bytes: top << 24 | bottom << 16 | left << 8 | right. The P forms are the
 * same calls, named for colours; the one-edge forms put 255 in the other three edges. */
TABRIX_API int32_t XL_KeiNo(uint8_t top, uint8_t bottom, uint8_t left, uint8_t right);
TABRIX_API int32_t XL_KeiPNo(uint8_t top, uint8_t bottom, uint8_t left, uint8_t right);
TABRIX_API int32_t XL_KBoxNo(uint8_t value);
TABRIX_API int32_t XL_KBoxPNo(uint8_t value);
TABRIX_API int32_t XL_KTopNo(uint8_t value);
TABRIX_API int32_t XL_KTopPNo(uint8_t value);
TABRIX_API int32_t XL_KBtmNo(uint8_t value);
TABRIX_API int32_t XL_KBtmPNo(uint8_t value);
TABRIX_API int32_t XL_KLftNo(uint8_t value);
TABRIX_API int32_t XL_KLftPNo(uint8_t value);
TABRIX_API int32_t XL_KRitNo(uint8_t value);
TABRIX_API int32_t XL_KRitPNo(uint8_t value);

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
TABRIX_API int32_t XM_SetAttrh(int32_t h, int32_t s, const char *keyword, int32_t dx,
                               int32_t dy, int32_t attr);
TABRIX_API int32_t XM_SetAttrhW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                int32_t dy, int32_t attr);
TABRIX_API int32_t XM_SetAttrExth(int32_t h, int32_t s, const char *keyword, int32_t dx1,
                                  int32_t dy1, int32_t dx2, int32_t dy2, int32_t attr);
TABRIX_API int32_t XM_SetAttrExthW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx1,
                                   int32_t dy1, int32_t dx2, int32_t dy2, int32_t attr);
TABRIX_API int32_t XM_SetAttr2h(int32_t h, int32_t s, const char *keyword, int32_t dx,
                                int32_t dy, const XLATTR *attr);
TABRIX_API int32_t XM_SetAttr2hW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                 int32_t dy, const XLATTR *attr);
TABRIX_API int32_t XM_SetAttrExt2h(int32_t h, int32_t s, const char *keyword, int32_t dx1,
                                   int32_t dy1, int32_t dx2, int32_t dy2, const XLATTR *attr);
TABRIX_API int32_t XM_SetAttrExt2hW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx1,
                                    int32_t dy1, int32_t dx2, int32_t dy2, const XLATTR *attr);
/* Borders over a range; line code: style in bits 0-3, colour in bits 8-15. Box: the
 * outline; Ltc: every cell edge; Over/Under/Left/Right: that edge of every cell. */
TABRIX_API int32_t XM_BoxLine(int32_t h, int32_t s, int32_t x1, int32_t y1, int32_t x2,
                              int32_t y2, int32_t line);
TABRIX_API int32_t XM_LtcLine(int32_t h, int32_t s, int32_t x1, int32_t y1, int32_t x2,
                              int32_t y2, int32_t line);
TABRIX_API int32_t XM_OverLine(int32_t h, int32_t s, int32_t x1, int32_t y1, int32_t x2,
                               int32_t y2, int32_t line);
TABRIX_API int32_t XM_UnderLine(int32_t h, int32_t s, int32_t x1, int32_t y1, int32_t x2,
                                int32_t y2, int32_t line);
TABRIX_API int32_t XM_LeftLine(int32_t h, int32_t s, int32_t x1, int32_t y1, int32_t x2,
                               int32_t y2, int32_t line);
TABRIX_API int32_t XM_RightLine(int32_t h, int32_t s, int32_t x1, int32_t y1, int32_t x2,
                                int32_t y2, int32_t line);

/* The older layer's forms: workbook 0 and its current sheet; -3 when there is none. */
TABRIX_API int32_t XL_FontNo(const char *name, double size, int32_t colour, int32_t style,
                             int32_t underline);
TABRIX_API int32_t XL_FmtNo(const char *format);
TABRIX_API int32_t XL_InitAttr(XLATTR *attr);
TABRIX_API int32_t XL_GetAttrNo2(const XLATTR *attr);
TABRIX_API int32_t XL_GetAttrNo(int32_t lines, int32_t colours, int32_t pos_horz, int32_t font,
                                int32_t format);
TABRIX_API int32_t XL_SetAttr(int32_t x, int32_t y, int32_t attr);
TABRIX_API int32_t XL_SetAttrExt(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t attr);
TABRIX_API int32_t XL_SetAttr2(int32_t x, int32_t y, const XLATTR *attr);
TABRIX_API int32_t XL_SetAttrExt2(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                  const XLATTR *attr);
TABRIX_API int32_t XL_SetAttrh(const char *keyword, int32_t dx, int32_t dy, int32_t attr);
TABRIX_API int32_t XL_SetAttrExth(const char *keyword, int32_t dx1, int32_t dy1, int32_t dx2,
                                  int32_t dy2, int32_t attr);
TABRIX_API int32_t XL_SetAttr2h(const char *keyword, int32_t dx, int32_t dy, const XLATTR *attr);
TABRIX_API int32_t XL_SetAttrExt2h(const char *keyword, int32_t dx1, int32_t dy1, int32_t dx2,
                                   int32_t dy2, const XLATTR *attr);
TABRIX_API int32_t XL_BoxLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t line);
TABRIX_API int32_t XL_LtcLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t line);
TABRIX_API int32_t XL_OverLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t line);
TABRIX_API int32_t XL_UnderLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t line);
TABRIX_API int32_t XL_LeftLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t line);
TABRIX_API int32_t XL_RightLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t line);
/* ---- End of cell attributes ---- */

/* ---- Engine: formulas --------------------------------------------------------------------
 * The text is written as a user types it ("=SUM(A1:B3)*2", the "=" optional) and compiled
 * into the FORMULA record of the cell. Without a result the cell is calculated when the file
 * is opened; with one, the result is stored as the cell's value. A malformed formula returns
 * a code from -100 to -199 and leaves the cell as it was. Other results as for the value
 * writes, and -34 for a result kind outside 0-3, -31 for a text result over 256 bytes. */

/* The cached result of XM_WriteFunc3: 268 bytes. */
#pragma pack(push, 4)
typedef struct FormulaResult {
    double value;   /* kind 0: the number; kinds 1 and 2: the boolean or error code */
    int16_t kind;   /* 0 number, 1 boolean, 2 error, 3 text */
    int16_t length; /* kind 3: bytes in text, 0 to 256 */
    char text[256]; /* kind 3: the text in code page 932 */
} FormulaResult;
/* The same for XM_WriteFunc3W: length counts UTF-16 units. */
typedef struct FormulaResultW {
    double value;
    int16_t kind;
    int16_t length;
    char16_t text[256];
} FormulaResultW;
#pragma pack(pop)

TABRIX_API int32_t XM_WriteFunc(int32_t h, int32_t s, int32_t x, int32_t y, const char *text);
TABRIX_API int32_t XM_WriteFuncW(int32_t h, int32_t s, int32_t x, int32_t y,
                                 const char16_t *text);
TABRIX_API int32_t XM_WriteFunc2(int32_t h, int32_t s, int32_t x, int32_t y, const char *text,
                                 int32_t xf);
TABRIX_API int32_t XM_WriteFunc2W(int32_t h, int32_t s, int32_t x, int32_t y,
                                  const char16_t *text, int32_t xf);
/* result may be null. */
TABRIX_API int32_t XM_WriteFunc3(int32_t h, int32_t s, int32_t x, int32_t y, const char *text,
                                 int32_t xf, const FormulaResult *result);
TABRIX_API int32_t XM_WriteFunc3W(int32_t h, int32_t s, int32_t x, int32_t y,
                                  const char16_t *text, int32_t xf, const FormulaResultW *result);
/* At every cell of the keyword, shifted by (dx, dy), with attribute 15; -37 without it. */
TABRIX_API int32_t XM_WriteFunch(int32_t h, int32_t s, const char *keyword, int32_t dx,
                                 int32_t dy, const char *text);
TABRIX_API int32_t XM_WriteFunchW(int32_t h, int32_t s, const char16_t *keyword, int32_t dx,
                                  int32_t dy, const char16_t *text);
/* The sheets that formulas on sheet s may name, as "Sheet2/Sheet3": 0, -2, -3, -4, or -34
 * for an empty list, an empty name or a name of 32 characters or more. */
TABRIX_API int32_t XM_SetRefSheet(int32_t h, int32_t s, const char *names);

/* The older layer: workbook 0 and its current sheet; -3 when there is none. XL_WriteFunch
 * gives each cell the attribute stored with its keyword occurrence. */
TABRIX_API int32_t XL_WriteFunc(int32_t x, int32_t y, const char *text);
TABRIX_API int32_t XL_WriteFunc2(int32_t x, int32_t y, const char *text, int32_t xf);
TABRIX_API int32_t XL_WriteFunc3(int32_t x, int32_t y, const char *text, int32_t xf,
                                 const FormulaResult *result);
TABRIX_API int32_t XL_WrtFunc(const char *text);
TABRIX_API int32_t XL_WrtFunc2(const char *text, int32_t xf);
TABRIX_API int32_t XL_WriteFunch(const char *keyword, int32_t dx, int32_t dy, const char *text);
TABRIX_API int32_t XL_WriteFunc2h(const char *keyword, int32_t dx, int32_t dy, const char *text,
                                  int32_t xf);
TABRIX_API int32_t XL_WriteFunc3h(const char *keyword, int32_t dx, int32_t dy, const char *text,
                                  int32_t xf, const FormulaResult *result);
TABRIX_API int32_t XL_SetRefSheet(const char *names);
/* ---- End of formulas ---- */

#ifdef __cplusplus
}
#endif

#endif /* TABRIX_H */
