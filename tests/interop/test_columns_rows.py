"""Column widths and row heights set through the engine's C interface, read back by xlrd
(colinfo_map, rowinfo_map with formatting_info=True) and by LibreOffice converted to .xlsx,
whose column and row dimensions openpyxl reads. Both formats; the width calls include the
splits of earlier ranges and a range that wholly contains earlier ones, which must read as
the later width everywhere."""
import ctypes
import os
import shutil
import tempfile
import unittest

import olefile
import openpyxl
from openpyxl.utils import get_column_letter
import xlrd

import libreoffice

LIB = ctypes.CDLL(os.environ['TABRIX_LIB'])
I, D, S = ctypes.c_int32, ctypes.c_double, ctypes.c_char_p
for name, arguments in {'XM_Create': [S, I], 'XM_Create97': [S, I], 'XM_Close': [I],
                        'XM_WriteInt': [I] * 5, 'XM_SetColWidth': [I] * 5,
                        'XM_SetRowHeight': [I, I, I, D]}.items():
    getattr(LIB, name).argtypes = arguments

# (first, last, characters) in call order, and the width in characters each column ends with
# (0: hidden, with the default width of 8 kept in the record).
WIDTH_CALLS = [(0, 0, 8), (1, 1, 0), (2, 4, 10), (3, 3, 12),
               (10, 14, 8), (10, 11, 3), (14, 14, 4), (9, 13, 20),
               (16, 16, 5), (18, 18, 7), (20, 16, 6),
               (22, 24, 9), (23, 23, 0), (30, 30, 255)]
# Row -> (height given, height stored in points, hidden)
HEIGHTS = {1: (13.2, 13.25, False), 2: (12.9, 13.0, False), 3: (14.9, 14.75, False),
           4: (0.0, 0.0, True), 6: (30.0, 30.0, False), 40: (409.0, 409.0, False),
           41: (2.0, 2.0, False)}


def expected_widths():
    widths = {}
    for first, last, width in WIDTH_CALLS:
        for column in range(min(first, last), max(first, last) + 1):
            if width == 0:
                widths[column] = (widths.get(column, (8, False))[0], True)
            else:
                widths[column] = (width, False)
    return widths


def units(characters):
    return 256 * characters + 159  # 11-point default font


def write_book(path, biff8):
    create = LIB.XM_Create97 if biff8 else LIB.XM_Create
    h = create(path.encode(), 1)
    assert h >= 0, h
    for first, last, width in WIDTH_CALLS:
        assert LIB.XM_SetColWidth(h, 0, first, last, width) == 0, (first, last, width)
    for row, (given, _, _) in HEIGHTS.items():
        assert LIB.XM_SetRowHeight(h, 0, row, given) == 0, row
    for column in range(0, 32):
        assert LIB.XM_WriteInt(h, 0, column, 0, column) == 0
    for row in (3, 4, 5):
        assert LIB.XM_WriteInt(h, 0, 0, row, row) == 0
    assert LIB.XM_Close(h) == 0


class ColumnsRowsInterop(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='tabrix-layout-')
        cls.paths = {biff8: os.path.join(cls.folder, 'layout%d.xls' % (8 if biff8 else 5))
                     for biff8 in (True, False)}
        for biff8, path in cls.paths.items():
            write_book(path, biff8)
        converted = libreoffice.convert(cls.paths.values(), cls.folder)
        cls.converted = {biff8: converted[path] for biff8, path in cls.paths.items()}

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, True)

    def test_xlrd_reads_one_width_per_column_and_the_row_heights(self):
        widths = expected_widths()
        for biff8, path in self.paths.items():
            book = xlrd.open_workbook(path, formatting_info=True)
            sheet = book.sheet_by_index(0)
            for column in range(256):
                with self.subTest(biff8=biff8, column=column):
                    info = sheet.colinfo_map.get(column)
                    if column not in widths:
                        self.assertIsNone(info)
                        continue
                    width, hidden = widths[column]
                    self.assertEqual((info.width, info.hidden), (units(width), int(hidden)))
            for row, (_, points, hidden) in HEIGHTS.items():
                with self.subTest(biff8=biff8, row=row):
                    info = sheet.rowinfo_map[row]
                    self.assertEqual(info.height, round(points * 20))
                    self.assertEqual(info.hidden, int(hidden))
                    self.assertEqual(info.has_default_height, 0)
            self.assertEqual(sheet.defcolwidth, 8)
            self.assertEqual(sheet.default_row_height, 270)

    def test_no_two_column_records_overlap(self):
        for biff8, path in self.paths.items():
            with olefile.OleFileIO(path) as ole:
                data = ole.openstream('Workbook' if biff8 else 'Book').read()
            ranges, at = [], 0
            while at + 4 <= len(data):
                number = int.from_bytes(data[at:at + 2], 'little')
                length = int.from_bytes(data[at + 2:at + 4], 'little')
                if number == 0x007D:
                    ranges.append((int.from_bytes(data[at + 4:at + 6], 'little'),
                                   int.from_bytes(data[at + 6:at + 8], 'little')))
                at += 4 + length
            self.assertGreater(len(ranges), 10)
            self.assertEqual(ranges, sorted(ranges), biff8)
            for (_, last), (first, _) in zip(ranges, ranges[1:]):
                self.assertLess(last, first, (biff8, ranges))

    def test_libreoffice_keeps_widths_heights_and_hidden_marks(self):
        widths = expected_widths()
        for biff8, path in self.converted.items():
            sheet = openpyxl.load_workbook(path).worksheets[0]
            seen = {}
            for dimension in sheet.column_dimensions.values():
                for column in range(dimension.min, dimension.max + 1):
                    seen[column - 1] = dimension
            for column, (width, hidden) in widths.items():
                with self.subTest(biff8=biff8, column=get_column_letter(column + 1)):
                    dimension = seen[column]
                    self.assertEqual(bool(dimension.hidden), hidden)
                    if not hidden:
                        # LibreOffice measures in its own character width: within half a
                        # character, and wider columns read wider.
                        self.assertAlmostEqual(dimension.width, width, delta=0.75)
            for row, (_, points, hidden) in HEIGHTS.items():
                with self.subTest(biff8=biff8, row=row):
                    dimension = sheet.row_dimensions[row + 1]
                    self.assertEqual(bool(dimension.hidden), hidden)
                    if not hidden:
                        self.assertAlmostEqual(dimension.height, points, delta=0.1)


if __name__ == '__main__':
    unittest.main()
