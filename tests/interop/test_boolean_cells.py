"""Boolean cells from the engine and from `tabrix fill`, read back by xlrd and LibreOffice."""
import ctypes
import json
import os
import shutil
import subprocess
import tempfile
import unittest

import openpyxl
import xlrd

import libreoffice

LIB = ctypes.CDLL(os.environ['TABRIX_LIB'])
CLI = os.environ['TABRIX_CLI']
CREATES = {'biff5': LIB.XM_Create, 'biff8': LIB.XM_Create97}


class BooleanCells(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='tabrix-bool-')
        cls.written, cls.filled = {}, {}
        for name, create in CREATES.items():
            path = os.path.join(cls.folder, 'written_%s.xls' % name)
            h = create(path.encode(), 1)
            assert h >= 0
            assert LIB.XM_WriteBool(h, 0, 0, 0, 1) == 0
            assert LIB.XM_WriteBool(h, 0, 1, 0, 0) == 0
            assert LIB.XM_Close(h) == 0
            cls.written[name] = path

            template = os.path.join(cls.folder, 'template_%s.xls' % name)
            h = create(template.encode(), 1)
            assert LIB.XM_WriteStr(h, 0, 0, 0, b'**YES') == 0
            assert LIB.XM_WriteStr(h, 0, 1, 0, b'**NO') == 0
            assert LIB.XM_Close(h) == 0
            data = os.path.join(cls.folder, 'data.json')
            with open(data, 'w') as f:
                json.dump({'YES': True, 'NO': [False, True]}, f)
            out = os.path.join(cls.folder, 'filled_%s.xls' % name)
            subprocess.run([CLI, 'fill', template, out, '--json', data], check=True,
                           capture_output=True, timeout=600)
            cls.filled[name] = out

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder)

    def booleans(self, path, cells):
        sheet = xlrd.open_workbook(path).sheet_by_index(0)
        return [(sheet.cell_type(r, c), sheet.cell_value(r, c)) for r, c in cells]

    def test_xlrd_reads_boolean_cells_in_both_formats(self):
        yes, no = (xlrd.XL_CELL_BOOLEAN, 1), (xlrd.XL_CELL_BOOLEAN, 0)
        for name in CREATES:
            self.assertEqual(self.booleans(self.written[name], [(0, 0), (0, 1)]), [yes, no], name)
            self.assertEqual(self.booleans(self.filled[name], [(0, 0), (0, 1), (1, 1)]),
                             [yes, no, yes], name)

    def test_libreoffice_takes_them_as_true_and_false(self):
        if not shutil.which('soffice'):
            self.skipTest('LibreOffice is not installed')
        converted = libreoffice.convert(list(self.written.values()),
                                        os.path.join(self.folder, 'lo'), 'xlsx')
        for path in self.written.values():
            # LibreOffice keeps a boolean as TRUE() / FALSE() with its value.
            sheet = openpyxl.load_workbook(converted[path], data_only=True).active
            self.assertEqual([sheet['A1'].value, sheet['B1'].value], [True, False], path)
            sheet = openpyxl.load_workbook(converted[path]).active
            self.assertEqual([sheet['A1'].value, sheet['B1'].value], ['=TRUE()', '=FALSE()'],
                             path)

if __name__ == '__main__':
    unittest.main()
