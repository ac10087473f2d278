/* tabrix: plain types of the C interface (enumerations, error numbers, attribute
 * requests, formula results). Every layer of the library may include this header. */
#ifndef TABRIX_TYPES_H
#define TABRIX_TYPES_H

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

/* Error numbers. The engine returns them negated; the Book API stores them positive,
 * folding every formula error (100 to 199) into errFormula. */
typedef enum XLERROR {
    errNone = 0,
    errOpen = 1,     /* the file cannot be opened or created */
    errHandle = 2,   /* invalid (negative) workbook handle */
    errNotOpen = 3,  /* no book is open */
    errSheetNo = 4,  /* sheet number out of range */
    errWrite = 5,    /* write error */
    errMode = 6,     /* operation not allowed in this mode */
    errDataKind = 7, /* wrong kind of data */
    /* the cell holds an error value; errValue is its former name */
    errErrorValue = 8,
    errValue = errErrorValue,
    errFileName = 9, /* empty file name (no message) */
    errClear = 20,
    errCopy = 21,
    errPaste = 22,
    errInsert = 23,
    errDelete = 24,
    errLength = 31,
    errPosition = 32, /* coordinate error */
    errAttrNo = 33,
    errParam = 34,
    errNoData = 35,
    errEndOfData = 36,
    errNoVariable = 37, /* the keyword does not exist */
    errPageBreaks = 38,
    errMemory1 = 40,
    errMemory2 = 41,
    errInternal = 50,
    errFormula = 100 /* any malformed formula (engine codes 100 to 199) */
} XLERROR;

/* Workbook versions accepted by the version-taking create. */
typedef enum XLVER { ver95 = 95, ver97 = 97, ver2000 = 2000, ver2002 = 2002 } XLVER;

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

/* Paper sizes and orientations of a sheet's page mode. */
typedef enum XLPAPERSIZE {
    psLetter = 1,
    psRejoer = 3,
    psRegal = 5,
    psExecutive = 7,
    psA3 = 8,
    psA4 = 9,
    psA5 = 11,
    psB4 = 12,
    psB5 = 13
} XLPAPERSIZE;

typedef enum XLORIENT { orLandscape = 0, orPortrait = 2 } XLORIENT;

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

/* The cached result of XM_WriteFunc3: 268 bytes. */
#pragma pack(push, 4)
typedef struct FormulaResult {
    double value;   /* kind 0: the number; kinds 1 and 2: the boolean or error code */
    int16_t kind;   /* 0 number, 1 boolean, 2 error, 3 text */
    int16_t length; /* kind 3: bytes in text, 0 to 256 */
    char text[256]; /* kind 3: the narrow text */
} FormulaResult;
/* The same for XM_WriteFunc3W: length counts UTF-16 units. */
typedef struct FormulaResultW {
    double value;
    int16_t kind;
    int16_t length;
    char16_t text[256];
} FormulaResultW;
#pragma pack(pop)

/* A cell position: column and row, both from 0. */
typedef struct XLPOINT {
    int32_t x;
    int32_t y;
} XLPOINT;

/* Variant types, numbered as OLE Automation numbers them. */
enum {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_INT = 22,
    VT_UINT = 23,
    VT_BYREF = 0x4000
};

/* A 96-bit decimal: Hi32:Lo64 / 10^scale, negative when sign is 0x80. */
typedef struct DECIMAL {
    uint16_t wReserved;
    uint8_t scale;
    uint8_t sign;
    uint32_t Hi32;
    uint64_t Lo64;
} DECIMAL;

/* A value of one of the types above. A currency (VT_CY) is its value times 10000; a text
 * (VT_BSTR) is a NUL-terminated UTF-16 string; VT_BYREF | VT_VARIANT points to another
 * variant and VT_BYREF | VT_I4 to a 32-bit integer. A decimal fills the whole variant, its
 * wReserved where vt is. */
#if defined(__cplusplus) && defined(__GNUC__)
/* C11 has anonymous structs; C++ takes them as an extension, the same layout. */
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
#endif
typedef struct VARIANT {
    union {
        struct {
            uint16_t vt;
            uint16_t wReserved1;
            uint16_t wReserved2;
            uint16_t wReserved3;
            union {
                int64_t llVal;
                int32_t lVal;
                uint8_t bVal;
                int16_t iVal;
                float fltVal;
                double dblVal;
                int16_t boolVal; /* -1 true, 0 false */
                int32_t scode;
                int64_t cyVal;
                double date;
                char16_t *bstrVal;
                struct VARIANT *pvarVal;
                int32_t *plVal;
                int8_t cVal;
                uint16_t uiVal;
                uint32_t ulVal;
                int32_t intVal;
                uint32_t uintVal;
            };
        };
        DECIMAL decVal;
    };
} VARIANT;
#if defined(__cplusplus) && defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

/* What XM_CheckFile finds: a workbook file every open takes, or why one refuses it. */
typedef enum XLFILECHECK {
    fcWorkbook = 0,    /* read mode, templates and open for update all take it */
    fcUnreadable = 1,  /* no such file, or it cannot be read */
    fcNotCompound = 2, /* not a compound file */
    fcNoWorkbook = 3,  /* a compound file without a "Book" or "Workbook" stream */
    fcEncrypted = 4,   /* the workbook is encrypted */
    fcProtected = 5,   /* the workbook or one of its worksheets is protected */
    fcNoSheets = 6,    /* the workbook names no sheet, or its first sheet cannot be found */
    fcDamaged = 7      /* records that cannot all be walked: read mode reads what it can,
                          templates and opens for update refuse it */
} XLFILECHECK;

/* One storage or stream of a compound file, as XM_GetFileEntries lists them. */
typedef struct XLFILEENTRY {
    int32_t depth;     /* 0 for an element of the root storage, 1 inside one of its storages */
    int32_t storage;   /* 1 a storage, 0 a stream */
    uint64_t size;     /* a stream's bytes; 0 for a storage */
    char16_t name[32]; /* at most 31 units, ended by NUL */
} XLFILEENTRY;

#endif /* TABRIX_TYPES_H */
