"""A workbook being written keeps its file to itself: creates of the same file by other
names, and from another process, fail and leave the first workbook's file as it writes it,
which xlrd then reads."""
import ctypes
import os
import subprocess
import tempfile
import unittest

import xlrd

from test_engine_values import XLS_WRITE

LIB = ctypes.CDLL(os.environ['TABRIX_LIB'])
LIB.XM_Create97.argtypes = [ctypes.c_char_p, ctypes.c_int32]
LIB.XM_Create.argtypes = [ctypes.c_char_p, ctypes.c_int32]


class FileClaims(unittest.TestCase):
    def test_second_creates_fail_and_the_first_workbook_keeps_its_file(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, 'out.xls')
            link = os.path.join(folder, 'link.xls')
            h = LIB.XM_Create97(path.encode(), 1)
            self.assertGreaterEqual(h, 0)
            self.assertEqual(LIB.XM_WriteInt(h, 0, 0, 0, 42), 0)
            os.symlink(path, link)
            for name in (path, link, os.path.relpath(path)):
                self.assertEqual(LIB.XM_Create(name.encode(), 1), -1, name)
            # Another process: its create fails, so its writes and close find no workbook.
            script = 'create97 %s 1\nint 0 0 0 0 99\nclose 0\n' % path
            done = subprocess.run([XLS_WRITE], input=script, text=True, capture_output=True,
                                  check=True)
            self.assertEqual(done.stdout.split(), ['-1', '-3', '-3'])
            self.assertEqual(LIB.XM_Close(h), 0)

            sheet = xlrd.open_workbook(path).sheet_by_index(0)
            self.assertEqual(sheet.cell_value(0, 0), 42.0)
            # Closed, the file is free for the next writer.
            script = 'create97 %s 1\nint 0 0 0 0 99\nclose 0\n' % link
            done = subprocess.run([XLS_WRITE], input=script, text=True, capture_output=True,
                                  check=True)
            self.assertEqual(done.stdout.split(), ['0', '0', '0'])
            self.assertEqual(xlrd.open_workbook(path).sheet_by_index(0).cell_value(0, 0), 99.0)


if __name__ == '__main__':
    unittest.main()
