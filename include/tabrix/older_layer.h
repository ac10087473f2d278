/* tabrix older layer (XL_*): the same calls on workbook 0 and its current sheet. */
#ifndef TABRIX_OLDER_LAYER_H
#define TABRIX_OLDER_LAYER_H

#include "tabrix/types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Older layer: workbook 0 ------------------------------------------------------------
 * The XL_ calls act on workbook 0 once XL_Create/XL_Create97 made it, and on its current
 * sheet (XL_SelSheetNo, or the sheet of the last write); -3 when there is none. */
/* -1 while workbook 0 is open; otherwise as XM_Create / XM_Create97. */
TABRIX_API int32_t XL_Create(const char *file_name, int32_t sheet_count);
TABRIX_API int32_t XL_Create97(const char *file_name, int32_t sheet_count);
TABRIX_API int32_t XL_Close(void);
TABRIX_API int32_t XL_Cancel(void);
TABRIX_API int32_t XL_SelSheetNo(int32_t sheet);
/* Sheets of workbook 0 as the XM_ calls; XL_SheetName renames the current sheet. */
TABRIX_API int32_t XL_GetSheetCount(void);
TABRIX_API int32_t XL_SheetName(const char *name);
TABRIX_API int32_t XL_SetAddSheet(int32_t count);
TABRIX_API int32_t XL_SetDelSheet(int32_t first, int32_t count);
TABRIX_API int32_t XL_CopySheet(int32_t source, int32_t position, const char *name);
TABRIX_API int32_t XL_GetActiveSheet(void);
TABRIX_API int32_t XL_SetActiveSheet(int32_t sheet);
TABRIX_API int32_t XL_WriteStr(int32_t x, int32_t y, const char *text);
TABRIX_API int32_t XL_WriteStr2(int32_t x, int32_t y, const char *text, int32_t xf);
TABRIX_API int32_t XL_WriteInt(int32_t x, int32_t y, int32_t value);
TABRIX_API int32_t XL_WriteInt2(int32_t x, int32_t y, int32_t value, int32_t xf);
TABRIX_API int32_t XL_WriteDouble(int32_t x, int32_t y, double value);
TABRIX_API int32_t XL_WriteDouble2(int32_t x, int32_t y, double value, int32_t xf);
/* A boolean cell, as XM_WriteBool. */
TABRIX_API int32_t XL_WriteBool(int32_t x, int32_t y, int32_t value);
TABRIX_API int32_t XL_WriteBool2(int32_t x, int32_t y, int32_t value, int32_t xf);
TABRIX_API int32_t XL_WriteStrh(const char *keyword, int32_t dx, int32_t dy, const char *text);
TABRIX_API int32_t XL_WriteStr2h(const char *keyword, int32_t dx, int32_t dy, const char *text,
                                 int32_t xf);
TABRIX_API int32_t XL_WriteInth(const char *keyword, int32_t dx, int32_t dy, int32_t value);
TABRIX_API int32_t XL_WriteInt2h(const char *keyword, int32_t dx, int32_t dy, int32_t value,
                                 int32_t xf);
TABRIX_API int32_t XL_WriteDoubleh(const char *keyword, int32_t dx, int32_t dy, double value);
TABRIX_API int32_t XL_WriteDouble2h(const char *keyword, int32_t dx, int32_t dy, double value,
                                    int32_t xf);
TABRIX_API int32_t XL_WriteBoolh(const char *keyword, int32_t dx, int32_t dy, int32_t value);
TABRIX_API int32_t XL_WriteBool2h(const char *keyword, int32_t dx, int32_t dy, int32_t value,
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
TABRIX_API int32_t XL_WrtBool(int32_t value);
TABRIX_API int32_t XL_WrtBool2(int32_t value, int32_t xf);
/* Grid lines, zoom and page mode of the current sheet, as XM_SetGridMode, XM_SetZoom and
 * XM_SetPageMode; XL_SetZoom returns -1 for a zoom outside 10-400 before anything else. */
TABRIX_API int32_t XL_SetGridMode(int32_t flag);
TABRIX_API int32_t XL_SetZoom(int32_t zoom);
TABRIX_API int32_t XL_SetPageMode(int32_t paper_size, int32_t scale, int32_t orientation,
                                  double header_margin, double footer_margin);

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

/* Column widths and row heights of the current sheet, as XM_SetColWidth / XM_SetRowHeight. */
TABRIX_API int32_t XL_SetColWidth(int32_t x1, int32_t x2, int32_t width);
TABRIX_API int32_t XL_SetRowHeight(int32_t y, double height);

/* ---- Reading, templates and cell queries ---------------------------------- */

/* XM_ReadOpen; a result of 0 makes workbook 0 the older layer's. */
TABRIX_API int32_t XL_ReadOpen(const char *file_name);
/* XM_Read on workbook 0. */
TABRIX_API int32_t XL_Read(int32_t s, int32_t x, int32_t y, int32_t *kind, double *value,
                           char *text, int32_t size);
/* XM_ReadClose on workbook 0; -6 (and it stays open) when it was not opened for reading. */
TABRIX_API int32_t XL_ReadClose(void);

/* Templates and files opened for modification as workbook 0, as XM_CreateT, XM_Open and
 * XM_OpenClose; XL_CreateT and XL_Open fail with -1 while workbook 0 is in use. */
TABRIX_API int32_t XL_CreateT(const char *file_name, const char *template_name);
TABRIX_API int32_t XL_Open(const char *file_name, const char *output_name);
TABRIX_API int32_t XL_OpenClose(int32_t save);

/* XM_GetCellAttr, XM_GetLastX and XM_GetLastPos on workbook 0 (-3 when the older layer has
 * none). */
TABRIX_API int32_t XL_GetCellAttr(int32_t x, int32_t y, int32_t *xf);
TABRIX_API int32_t XL_GetLastX(int32_t *x, int32_t flag);
TABRIX_API int32_t XL_GetLastPos(int32_t *x, int32_t *y, int32_t flag);

/* ---- Row, column and block operations ---------------------------------------------- */

/* The XM_ row, column and block calls on workbook 0, with the same arguments after the
 * handle; -3 when the older layer has no workbook. */
TABRIX_API int32_t XL_RowDelete(int32_t s, int32_t row, int32_t count);
TABRIX_API int32_t XL_RowClear(int32_t s, int32_t row, int32_t count);
TABRIX_API int32_t XL_RowInsert(int32_t s, int32_t row, int32_t count);
TABRIX_API int32_t XL_RowCopy(int32_t s, int32_t source, int32_t target);
TABRIX_API int32_t XL_RowCopyOnly(int32_t s, int32_t source);
TABRIX_API int32_t XL_RowPaste(int32_t s, int32_t row);
TABRIX_API int32_t XL_ColumnDelete(int32_t s, int32_t column, int32_t count);
TABRIX_API int32_t XL_ColumnClear(int32_t s, int32_t column, int32_t count);
TABRIX_API int32_t XL_ColumnInsert(int32_t s, int32_t column, int32_t count);
TABRIX_API int32_t XL_ColumnCopy(int32_t s, int32_t source, int32_t target);
TABRIX_API int32_t XL_ColumnCopyOnly(int32_t s, int32_t source);
TABRIX_API int32_t XL_ColumnPaste(int32_t s, int32_t column);
TABRIX_API int32_t XL_BlockClear(int32_t s, int32_t x, int32_t y, int32_t width, int32_t height);
TABRIX_API int32_t XL_BlockCopy(int32_t s, int32_t x, int32_t y, int32_t width, int32_t height,
                                int32_t target_x, int32_t target_y);
TABRIX_API int32_t XL_BlockCopyOnly(int32_t s, int32_t x, int32_t y, int32_t width, int32_t height);
TABRIX_API int32_t XL_BlockPaste(int32_t s, int32_t x, int32_t y);

#ifdef __cplusplus
}
#endif

#endif /* TABRIX_OLDER_LAYER_H */
