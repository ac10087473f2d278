"""Full sheets at the format limits, written by the engine and read back by xlrd."""
import os
import subprocess
import tempfile
import unittest

import xlrd

from test_engine_values import XLS_WRITE


class LimitsTest(unittest.TestCase):
    def write_full_sheet(self, kind, rows, order=''):
        with tempfile.NamedTemporaryFile(suffix='.xls', delete=False) as f:
            path = f.name
        self.addCleanup(os.remove, path)
        script = '%s %s 1\nfill 0 0 %d 256 %s\nclose 0\n' % (kind, path, rows, order)
        done = subprocess.run([XLS_WRITE], input=script, text=True, capture_output=True,
                              check=True)
        self.assertEqual(done.stdout.split(), ['0', '0', '0'])
        return path

    def check_full_sheet(self, path, rows, biff_version):
        book = xlrd.open_workbook(path)
        self.assertEqual(book.biff_version, biff_version)
        sheet = book.sheet_by_index(0)
        self.assertEqual((sheet.nrows, sheet.ncols), (rows, 256))
        for r in range(rows):
            values = sheet.row_values(r)
            self.assertEqual(values, [float(r * 256 + c) for c in range(256)], 'row %d' % r)

    def test_excel97_sheet_of_65536_rows_and_256_columns(self):
        path = self.write_full_sheet('create97', 65536)
        self.check_full_sheet(path, 65536, 80)

    def test_excel95_sheet_of_16384_rows_and_256_columns_written_backwards(self):
        path = self.write_full_sheet('create', 16384, 'reverse')
        self.check_full_sheet(path, 16384, 70)


if __name__ == '__main__':
    unittest.main()
