"""Book API calls that must be refused without a trace, checked in the file by xlrd: a position
with a stray character writes nowhere (not on the cell its letters and digits would spell once
the character is skipped), and a book opened for reading takes no change and leaves its file
as it was.
"""
import ctypes
import os
import shutil
import tempfile
import unittest

import xlrd

LIB = ctypes.CDLL(os.environ['TABRIX_LIB'])
I, S, D = ctypes.c_int32, ctypes.c_char_p, ctypes.c_double
for name, arguments in {'XlsCreateBook': [S, I, I, ctypes.POINTER(I)],
                        'XlsReadBook': [S, ctypes.POINTER(I)], 'XlsCloseBook': [I],
                        'XlsPutStr': [S, S], 'XlsPutDouble': [D, S],
                        'XlsPutColWidth': [I, S], 'XlsAddSheet': [I],
                        'XlsGetErrorNo': [ctypes.POINTER(I)]}.items():
    getattr(LIB, name).argtypes = arguments
ERR_MODE, ERR_PARAM = 6, 34


def error_no():
    number = I(-1)
    LIB.XlsGetErrorNo(ctypes.byref(number))
    return number.value


def cell(sheet, row, column):
    """A cell's value, or None for one the sheet does not hold."""
    if row >= sheet.nrows or column >= sheet.ncols:
        return None
    value = sheet.cell_value(row, column)
    return None if value == '' else value


class BookRefusals(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='tabrix-refusals-')

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    def test_stray_characters_write_nowhere(self):
        path = os.path.join(self.folder, 'stray.xls')
        self.assertEqual(LIB.XlsCreateBook(path.encode(), 97, 1, None), 1)
        for position in (b'A1;C3', b'B2,A1;C3', b' D4', b'A1B2'):
            self.assertEqual(LIB.XlsPutStr(b'stray', position), 0, position)
            self.assertEqual(error_no(), ERR_PARAM, position)
        self.assertEqual(LIB.XlsPutStr(b'offset', b'A1_[ 2: 3]'), 1)
        self.assertEqual(LIB.XlsCloseBook(1), 1)
        sheet = xlrd.open_workbook(path).sheet_by_index(0)
        # AC13 and AB12 are where the skipped characters would have sent the text.
        for row, column in ((0, 0), (1, 1), (2, 2), (3, 3), (12, 28), (11, 27)):
            self.assertIsNone(cell(sheet, row, column), (row, column))
        self.assertEqual(cell(sheet, 3, 2), 'offset')

    def test_a_book_read_takes_no_change(self):
        path = os.path.join(self.folder, 'read.xls')
        self.assertEqual(LIB.XlsCreateBook(path.encode(), 97, 1, None), 1)
        self.assertEqual(LIB.XlsPutDouble(1.5, b'A1'), 1)
        self.assertEqual(LIB.XlsCloseBook(1), 1)
        with open(path, 'rb') as f:
            before = f.read()
        self.assertEqual(LIB.XlsReadBook(path.encode(), None), 1)
        for refused in (lambda: LIB.XlsPutStr(b'lost', b'B2'),
                        lambda: LIB.XlsPutColWidth(30, b'A1'),
                        lambda: LIB.XlsAddSheet(1)):
            self.assertEqual(refused(), 0)
            self.assertEqual(error_no(), ERR_MODE)
        self.assertEqual(LIB.XlsCloseBook(1), 1)
        with open(path, 'rb') as f:
            self.assertEqual(f.read(), before)
        book = xlrd.open_workbook(path)
        self.assertEqual(book.nsheets, 1)
        sheet = book.sheet_by_index(0)
        self.assertEqual(cell(sheet, 0, 0), 1.5)
        self.assertIsNone(cell(sheet, 1, 1))


if __name__ == '__main__':
    unittest.main()
