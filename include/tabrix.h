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

#ifdef __cplusplus
}
#endif

#endif /* TABRIX_H */
