"""Attribute numbers handed to the engine's calls, read back by xlrd (formatting_info=True):
whatever number a call is given, every cell refers to an XF record the file holds, and a
number that no XF answers to stands for the default attribute 15."""
import ctypes
import os
import tempfile
import unittest

import xlrd

LIB = ctypes.CDLL(os.environ['TABRIX_LIB'])
I, D, S = ctypes.c_int32, ctypes.c_double, ctypes.c_char_p
for name, arguments in {
        'XM_Create': [S, I], 'XM_Create97': [S, I], 'XL_Create97': [S, I],
        'XM_WriteInt2': [I] * 6, 'XM_WriteDouble2': [I, I, I, I, D, I],
        'XM_WriteStr2': [I, I, I, I, S, I], 'XM_WriteFunc2': [I, I, I, I, S, I],
        'XM_SetAttr': [I] * 5, 'XM_SetAttrExt': [I] * 7, 'XM_GetAttrNo': [I] * 6,
        'XL_WriteInt2': [I] * 4, 'XL_WriteDouble2': [I, I, D, I], 'XL_WriteStr2': [I, I, S, I],
        'XL_WriteFunc2': [I, I, S, I], 'XL_MovePos': [I, I], 'XL_WrtInt2': [I, I],
        'XL_WrtDouble2': [D, I], 'XL_WrtStr2': [S, I], 'XL_WrtFunc2': [S, I],
        'XL_SetAttr': [I] * 3, 'XL_SetAttrExt': [I] * 5}.items():
    getattr(LIB, name).argtypes = arguments

# With one attribute registered the workbook holds XFs 0-21: 22 is the first number past them.
NUMBERS = [22, 177, 500, -500, 4000, -32768, 65535, 70000, -70000, 2 ** 31 - 1, -2 ** 31]
REGISTERED = 21


class AttributeNumbers(unittest.TestCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        self.folder = folder.name

    def check(self, path, expected):
        """expected: (row, column) -> the XF the cell must have, or None for any XF held."""
        book = xlrd.open_workbook(path, formatting_info=True)
        sheet = book.sheet_by_index(0)
        for r in range(sheet.nrows):
            for c in range(sheet.ncols):
                xf = sheet.cell_xf_index(r, c)
                self.assertLess(xf, len(book.xf_list), (r, c))
                if expected.get((r, c)) is not None:
                    self.assertEqual(xf, expected[(r, c)], (r, c))
        self.assertTrue(expected.keys() <= {(r, c) for r in range(sheet.nrows)
                                            for c in range(sheet.ncols)})

    def test_engine_calls_with_a_handle(self):
        for create in (LIB.XM_Create, LIB.XM_Create97):
            path = os.path.join(self.folder, create.__name__ + '.xls')
            h = create(path.encode(), 1)
            self.assertGreaterEqual(h, 0)
            self.assertEqual(LIB.XM_GetAttrNo(h, 0x01010101, 0, -1, -1, -1), REGISTERED)
            expected = {}
            for r, n in enumerate(NUMBERS):
                results = [LIB.XM_WriteInt2(h, 0, 0, r, 1, n),
                           LIB.XM_WriteDouble2(h, 0, 1, r, 1.5, n),
                           LIB.XM_WriteStr2(h, 0, 2, r, b'text', n),
                           LIB.XM_WriteStr2(h, 0, 3, r, None, n),
                           LIB.XM_WriteFunc2(h, 0, 4, r, b'1+2', n),
                           LIB.XM_WriteInt2(h, 0, 5, r, 1, REGISTERED),
                           LIB.XM_WriteInt2(h, 0, 5, r, 2, n),
                           LIB.XM_SetAttr(h, 0, 6, r, n),
                           LIB.XM_SetAttrExt(h, 0, 7, r, 8, r, n)]
                self.assertEqual(results, [0] * len(results), n)
                expected.update({(r, c): 15 for c in range(5)})
                # Merged over a cell's attribute, the default adds nothing.
                expected[(r, 5)] = REGISTERED if n >= 0 else 15
                expected.update({(r, c): None for c in (6, 7, 8)})
            self.assertEqual(LIB.XM_Close(h), 0)
            self.check(path, expected)

    def test_older_layer_calls(self):
        path = os.path.join(self.folder, 'xl.xls')
        self.assertEqual(LIB.XL_Create97(path.encode(), 1), 0)
        self.assertEqual(LIB.XM_GetAttrNo(0, 0x01010101, 0, -1, -1, -1), REGISTERED)
        expected = {}
        for r, n in enumerate(NUMBERS):
            results = [LIB.XL_WriteInt2(0, r, 1, n), LIB.XL_WriteDouble2(1, r, 1.5, n),
                       LIB.XL_WriteStr2(2, r, b'text', n), LIB.XL_WriteFunc2(3, r, b'1+2', n),
                       LIB.XL_MovePos(4, r), LIB.XL_WrtInt2(1, n), LIB.XL_WrtDouble2(1.5, n),
                       LIB.XL_WrtStr2(b'text', n), LIB.XL_WrtFunc2(b'1+2', n),
                       LIB.XL_SetAttr(8, r, n), LIB.XL_SetAttrExt(9, r, 10, r, n)]
            self.assertEqual(results, [0] * len(results), n)
            expected.update({(r, c): 15 for c in range(8)})
            expected.update({(r, c): None for c in (8, 9, 10)})
        self.assertEqual(LIB.XL_Close(), 0)
        self.check(path, expected)


if __name__ == '__main__':
    unittest.main()
