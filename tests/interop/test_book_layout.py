"""Column widths, row heights, the default font, page setup and the sheet list laid out
through the Book API (tools/xls_book_layout), read back by xlrd (widths, heights, fonts,
sheet names, breaks) and by LibreOffice converted to .xlsx for openpyxl (header, footer,
margins). Both formats."""
import os
import shutil
import subprocess
import tempfile
import unittest

import openpyxl
import xlrd

import libreoffice

SOURCE = os.environ.get('TABRIX_SOURCE', os.path.join(os.path.dirname(__file__), '..', '..'))
TOOLS = os.environ.get('TABRIX_TOOLS', os.path.join(SOURCE, 'build', 'tests', 'interop'))
LAYOUT = os.path.join(TOOLS, 'xls_book_layout')
MM = 1 / 25.4
NAMES = ['Sheet1', 'Copy', 'Data', 'Sheet3', 'Sheet4', 'Sheet5', 'Sheet1 (2)']


class BookLayout(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='tabrix-book-layout-')
        cls.paths = {}
        for version in (95, 2002):
            path = os.path.join(cls.folder, 'layout%d.xls' % version)
            done = subprocess.run([LAYOUT, path, str(version)], text=True, capture_output=True,
                                  check=True)
            results = done.stdout.split()
            if results != ['1'] * len(results) or not results:
                raise AssertionError('calls failed (%d): %r' % (version, results))
            cls.paths[version] = path
        converted = libreoffice.convert(cls.paths.values(), cls.folder)
        cls.converted = {version: converted[path] for version, path in cls.paths.items()}

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, True)

    def test_xlrd_sizes_fonts_names_and_breaks(self):
        for version, path in self.paths.items():
            with self.subTest(version=version):
                book = xlrd.open_workbook(path, formatting_info=True)
                self.assertEqual(book.sheet_names(), NAMES)
                first, copy = book.sheet_by_index(0), book.sheet_by_index(6)
                self.assertEqual(first.cell_value(0, 0), '見積')
                widths = {x: info.width for x, info in first.colinfo_map.items()}
                # 8 characters at 11 points, 12 characters, then 8 at the new 10-point font.
                self.assertEqual(widths, {1: 2207, 3: 3231, 4: 3231, 5: 3231, 7: 3231, 9: 2230})
                copied = {x: info.width for x, info in copy.colinfo_map.items()}
                self.assertEqual(copied, {1: 2207, 3: 3231, 4: 3231, 5: 3231, 7: 3231})
                heights = {y: info.height for y, info in first.rowinfo_map.items()
                           if info.has_default_height == 0}
                self.assertEqual(heights, {0: 260, 1: 260, 2: 260, 4: 400, 5: 400})
                self.assertEqual(book.font_list[0].height, 200)
                for sheet in (first, copy):
                    self.assertEqual([b[0] for b in sheet.horizontal_page_breaks], [4])
                    self.assertEqual([b[0] for b in sheet.vertical_page_breaks], [2])
                self.assertEqual(book.sheet_by_index(2).horizontal_page_breaks, [])

    def test_libreoffice_header_footer_and_margins(self):
        for version, path in self.converted.items():
            with self.subTest(version=version):
                sheets = openpyxl.load_workbook(path).worksheets
                for sheet in (sheets[0], sheets[6]):
                    self.assertEqual(sheet.oddHeader.left.text, '&P')
                    self.assertEqual(sheet.oddHeader.center.text, 'Centre')
                    self.assertIn(sheet.oddHeader.right.text, (None, ''))
                    self.assertEqual(sheet.oddFooter.right.text, '担当 山田')
                    self.assertAlmostEqual(sheet.page_margins.left, 10 * MM, places=2)
                # Only the left margin was given: the others are the reader's defaults.
                self.assertGreater(abs(sheets[0].page_margins.right - 10 * MM), 0.1)
                self.assertIn(sheets[2].oddHeader.center.text, (None, ''))


if __name__ == '__main__':
    unittest.main()
