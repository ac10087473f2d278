/* tabrix bridges: the View* calls forward to the workbook viewer library (libvuebrix.so) and
 * the Conv* calls to the data converter library (libconvbrix.so). tabrix does none of their
 * work: each call loads its library on first use (a failed load is tried again on the next
 * call, a successful one is kept), finds the entry point named below, hands it the call's
 * arguments unchanged and in order, and returns its result unchanged. A library that cannot
 * be loaded, or an entry point it lacks, makes the call return 0; no call records a Book API
 * error.
 *
 * The viewer is looked for in the folder of the setting Navigator (see the README), then in
 * the folder that holds libtabrix.so, then by the dynamic linker's search; the converter by
 * the dynamic linker's search alone.
 *
 * Every argument is a 32-bit value that tabrix does not interpret. The companion libraries
 * define what each means; an address does not fit one on a 64-bit platform, so a companion
 * built for these calls takes numbers (handles, indexes, flags), not pointers. */
#ifndef TABRIX_BRIDGES_H
#define TABRIX_BRIDGES_H

#include "tabrix/types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Viewer (entry point: the name with a leading underscore) ----------------------- */
TABRIX_API int32_t ViewCreateWnd(int32_t a1, int32_t a2, int32_t a3);
/* Both hand the entry point the library's class value, which is 0, rather than an argument
 * of the caller; ViewCreateClass's own argument is not passed on. */
TABRIX_API int32_t ViewCreateClass(int32_t a1);
TABRIX_API int32_t ViewReleaseClass(void);
TABRIX_API int32_t ViewPutZoom(int32_t a1, int32_t a2);
TABRIX_API int32_t ViewPutUrlName(int32_t a1, int32_t a2);
TABRIX_API int32_t ViewPutModeGrid(int32_t a1, int32_t a2);
TABRIX_API int32_t ViewPutContextMenu(int32_t a1, int32_t a2);
TABRIX_API int32_t ViewPutOpenEnable(int32_t a1, int32_t a2);
TABRIX_API int32_t ViewPutSaveEnable(int32_t a1, int32_t a2);
TABRIX_API int32_t ViewPutPrintEnable(int32_t a1, int32_t a2);
TABRIX_API int32_t ViewPutSheetNo(int32_t a1, int32_t a2);
TABRIX_API int32_t ViewSetPrint(int32_t a1);
TABRIX_API int32_t ViewPrint(int32_t a1, int32_t a2, int32_t a3);
TABRIX_API int32_t ViewPreView(int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5);
/* The viewer's errors are the Book API's: these are XlsGetErrorNo and XlsGetErrorMessage,
 * and need no viewer. */
TABRIX_API int32_t ViewGetErrorNo(int32_t *number);
TABRIX_API int32_t ViewGetErrorMessage(char *buffer, int32_t size);

/* ---- Converter (entry point: the name with a leading underscore; EXCEL_Conv: two) ---- */
TABRIX_API int32_t ConvPutExcelVer(int32_t a1);
TABRIX_API int32_t ConvPutXlsName(int32_t a1);
TABRIX_API int32_t ConvPutOldName(int32_t a1);
TABRIX_API int32_t ConvPutFieldName(int32_t a1);
TABRIX_API int32_t ConvPutData(int32_t a1);
TABRIX_API int32_t ConvPutKanji(int32_t a1);
TABRIX_API int32_t ConvPutEndMessage(int32_t a1);
TABRIX_API int32_t ConvGetCount(int32_t a1);
TABRIX_API int32_t ConvStart(void);
/* The converter's own errors. */
TABRIX_API int32_t ConvGetErrorNo(int32_t a1);
TABRIX_API int32_t ConvGetErrorMessage(int32_t a1, int32_t a2);
TABRIX_API int32_t EXCEL_Conv(int32_t a1);
TABRIX_API int32_t ConvGetCnt(void);

#ifdef __cplusplus
}
#endif

#endif /* TABRIX_BRIDGES_H */
