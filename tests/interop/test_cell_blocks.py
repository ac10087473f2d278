"""Cells many at a time and what their numbers show as: XM_WriteCellsW writes a block that
xlrd reads back; XM_ReadCellW reads any workbook's cells, booleans and errors of books in
memory included; XM_GetXfFormatW and XM_GetDateMode agree with xlrd on files xlwt wrote."""
import ctypes
import datetime
import os
import shutil
import tempfile
import unittest
from array import array

import xlrd
import xlwt

LIB = ctypes.CDLL(os.environ['TABRIX_LIB'])


class XLWALKCELL(ctypes.Structure):
    _fields_ = [('x', ctypes.c_int32), ('y', ctypes.c_int32), ('xf', ctypes.c_int32),
                ('kind', ctypes.c_int32), ('value', ctypes.c_double), ('text', ctypes.c_int32),
                ('length', ctypes.c_int32)]


class XLATTR(ctypes.Structure):
    _fields_ = [('field%d' % i, ctypes.c_int16) for i in range(26)]  # Font, Format, ...


def write_cells(h, sheet, cells):
    """cells: (x, y, kind, value) with the text as value for kind 4; -> (rc, written)."""
    xs, ys, kinds = (array('i', [c[i] for c in cells]) for i in range(3))
    values = array('d', [0.0 if c[2] == 4 else float(c[3] or 0) for c in cells])
    texts = ''.join(c[3] + '\0' for c in cells if c[2] == 4).encode('utf-16-le')
    written = ctypes.c_int32(-1)
    keep = [x.tobytes() for x in (xs, ys, kinds, values)]
    rc = LIB.XM_WriteCellsW(h, sheet, len(cells), *[ctypes.c_char_p(b) for b in keep],
                            ctypes.c_char_p(texts), None, ctypes.byref(written))
    return rc, written.value


def read_cell(h, sheet, x, y):
    cell = XLWALKCELL()
    text = (ctypes.c_uint16 * 64)()
    rc = LIB.XM_ReadCellW(h, sheet, x, y, ctypes.byref(cell), text, 64)
    if rc != 0:
        return rc
    return (cell.kind, cell.value, bytes(text)[:2 * min(cell.length, 63)].decode('utf-16-le'))


def xf_format(h, xf):
    buffer = (ctypes.c_uint16 * 256)()
    rc = LIB.XM_GetXfFormatW(h, xf, buffer, 256)
    return rc if rc else bytes(buffer).decode('utf-16-le').split('\0')[0]


class CellBlocks(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix='tabrix-blocks-')

    def tearDown(self):
        shutil.rmtree(self.folder)

    def path(self, name):
        return os.path.join(self.folder, name)

    def test_a_block_is_written_in_order_and_stops_at_the_first_failure(self):
        for create, name in ((LIB.XM_Create97, 'b8.xls'), (LIB.XM_Create, 'b5.xls')):
            h = create(self.path(name).encode(), 1)
            cells = [(0, 0, 1, 42), (1, 0, 2, 2.5), (2, 0, 3, 1), (3, 0, 4, '日本'),
                     (4, 0, 4, 'x'), (4, 0, 0, None), (0, 1, 4, 'later'), (0, 1, 1, 7)]
            self.assertEqual(write_cells(h, 0, cells), (0, len(cells)))
            # A number that is no integer refuses its cell and those after it.
            self.assertEqual(write_cells(h, 0, [(0, 2, 1, 1), (1, 2, 1, 1.5), (2, 2, 1, 3)]),
                             (-34, 1))
            self.assertEqual(LIB.XM_Close(h), 0)
            sheet = xlrd.open_workbook(self.path(name), formatting_info=True).sheet_by_index(0)
            self.assertEqual([[c.ctype, c.value] for c in sheet.row(0)],
                             [[xlrd.XL_CELL_NUMBER, 42], [xlrd.XL_CELL_NUMBER, 2.5],
                              [xlrd.XL_CELL_BOOLEAN, 1], [xlrd.XL_CELL_TEXT, '日本'],
                              [xlrd.XL_CELL_BLANK, '']], name)
            self.assertEqual((sheet.cell_value(1, 0), sheet.cell_value(2, 0), sheet.cell_type(2, 1)),
                             (7, 1, xlrd.XL_CELL_EMPTY), name)

    def test_cells_of_books_in_memory_and_read_from_files(self):
        h = LIB.XM_Create97(self.path('m.xls').encode(), 1)
        self.assertEqual(LIB.XM_WriteBool(h, 0, 0, 0, 1), 0)
        self.assertEqual(LIB.XM_WriteFunc(h, 0, 1, 0, b'=1/0'), 0)
        self.assertEqual(write_cells(h, 0, [(2, 0, 4, 'té'), (3, 0, 1, -5)]), (0, 2))
        self.assertEqual(read_cell(h, 0, 0, 0), (3, -1.0, 'TRUE'))
        self.assertEqual(read_cell(h, 0, 2, 0), (4, 0.0, 'té'))
        self.assertEqual(read_cell(h, 0, 3, 0)[:2], (1, -5.0))
        self.assertEqual(read_cell(h, 0, 5, 5), -7)
        self.assertEqual(read_cell(h, 3, 0, 0), -34)
        self.assertEqual(LIB.XM_Close(h), 0)

        book = xlwt.Workbook()
        sheet = book.add_sheet('S')
        sheet.write(0, 0, xlwt.Formula('1/0'))
        sheet.write(0, 1, True)
        sheet.write(0, 2, 'über')
        book.save(self.path('w.xls'))
        h = LIB.XM_ReadOpen(self.path('w.xls').encode())
        read = xlrd.open_workbook(self.path('w.xls')).sheet_by_index(0)
        self.assertEqual(read_cell(h, 0, 1, 0), (3, -1.0, 'TRUE'))
        self.assertEqual(read_cell(h, 0, 2, 0)[2], read.cell_value(0, 2))
        self.assertEqual(LIB.XM_ReadClose(h), 0)

    def test_number_formats_and_date_systems_agree_with_xlrd(self):
        for dates_1904 in (0, 1):
            book = xlwt.Workbook()
            book.dates_1904 = dates_1904
            sheet = book.add_sheet('S')
            for column, pattern in enumerate(['yyyy-mm-dd', 'h:mm:ss', '#,##0.00 "€"']):
                sheet.write(0, column, datetime.date(2026, 12, 8) if column == 0 else 1.5,
                            xlwt.easyxf(num_format_str=pattern))
            name = self.path('d%d.xls' % dates_1904)
            book.save(name)
            expected = xlrd.open_workbook(name, formatting_info=True)
            first = expected.sheet_by_index(0)
            formats = [expected.format_map[expected.xf_list[first.cell_xf_index(0, c)]
                                           .format_key].format_str for c in range(3)]
            xfs = [first.cell_xf_index(0, c) for c in range(3)]
            read = LIB.XM_ReadOpen(name.encode())
            template = LIB.XM_CreateT(self.path('t%d.xls' % dates_1904).encode(), name.encode())
            for h in (read, template):
                self.assertEqual(LIB.XM_GetDateMode(h), expected.datemode)
                self.assertEqual([xf_format(h, xf) for xf in xfs], formats)
                self.assertEqual(xf_format(h, 5000), -34)
            self.assertEqual(LIB.XM_ReadClose(read), 0)
            self.assertEqual(LIB.XM_Cancel(template), 0)
        h = LIB.XM_Create(self.path('new.xls').encode(), 1)
        self.assertEqual((LIB.XM_GetDateMode(h), xf_format(h, 15)), (0, ''))  # General
        self.assertEqual(LIB.XM_Cancel(h), 0)

    def test_japanese_date_formats_known_by_number_alone(self):
        """Files use formats 27-36 and 50-58 without a FORMAT record; xlrd calls them dates."""
        h = LIB.XM_Create97(self.path('era.xls').encode(), 1)
        attr = XLATTR()
        LIB.XM_InitAttr(ctypes.byref(attr))
        attr.field1 = 28
        self.assertEqual(LIB.XM_WriteDouble2(h, 0, 0, 0, ctypes.c_double(46000.0),
                                             -LIB.XM_GetAttrNo2(h, ctypes.byref(attr))), 0)
        self.assertEqual(LIB.XM_Close(h), 0)
        book = xlrd.open_workbook(self.path('era.xls'), formatting_info=True)
        xf = book.sheet_by_index(0).cell_xf_index(0, 0)
        self.assertEqual(book.xf_list[xf].format_key, 28)
        self.assertEqual(book.format_map[28].type, xlrd.formatting.FDT)
        h = LIB.XM_ReadOpen(self.path('era.xls').encode())
        self.assertEqual(xf_format(h, xf), 'ggge"年"m"月"d"日"')
        self.assertEqual(LIB.XM_ReadClose(h), 0)


if __name__ == '__main__':
    unittest.main()
