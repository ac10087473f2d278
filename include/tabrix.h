/* tabrix: Excel 95 (BIFF5) and Excel 97 (BIFF8) workbook engine, C interface.
 *
 * Narrow texts are NUL-terminated code page 932 (Shift-JIS), or UTF-8 after
 * XlsSetCodePage(65001) or with TABRIX_CODEPAGE=utf-8 in the environment; wide texts are UTF-16
 * (char16_t). Engine calls (XM_*, XL_*) return 0 or a handle on success and a negative
 * error number on failure; the Book API (Xls*) returns 1 or 0 and keeps the last error.
 */
#ifndef TABRIX_H
#define TABRIX_H

#include "tabrix/automation.h"
#include "tabrix/book.h"
#include "tabrix/bridges.h"
#include "tabrix/engine.h"
#include "tabrix/older_layer.h"
#include "tabrix/types.h"
#include "tabrix/version.h"

#endif /* TABRIX_H */
