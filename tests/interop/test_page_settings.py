"""A sheet's display and print settings, read back by xlrd (grid lines, zoom, page breaks) and
by LibreOffice, which converts the file to .xlsx for openpyxl (paper, orientation, scale,
margins, header and footer, zoom, grid lines, breaks, centring, printed headings and grid).

Each format gets one workbook of two sheets: the first carries every setting, the second only
a few, so that settings cannot leak from one sheet to another.
"""
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
XLS_PAGE = os.path.join(TOOLS, 'xls_page')
MM = 1 / 25.4


def hex_text(text):
    return 'x:' + text.encode('cp932').hex()


def script(path, biff8):
    lines = ['%s %s 2' % ('create97' if biff8 else 'create', path),
             'str 0 0 0 0 %s' % hex_text('見積'),
             'str 0 1 0 0 %s' % hex_text('second'),
             'grid 0 0 0',
             'zoom 0 0 75',
             'pagemode 0 0 8 80 0 10 15',  # A3, 80 %, landscape
             'margins 0 0 10 15 30 35',
             # The centre first, then the left: the text still reads left, centre.
             'header 0 0 x: %s x:' % hex_text('見積書 &D'),
             'header 0 0 %s x: x:' % hex_text('&P / &N'),
             'footer 0 0 x: x: %s' % hex_text('担当 山田'),
             'break 0 0 2 4 1',  # C5
             'break 0 0 5 9 1',  # F10
             'break 0 0 7 20 1',
             'break 0 0 7 20 0',  # removed again
             'printheadings 0 0 1',
             'printgrid 0 0 1',
             'centre 0 0 1 1',
             'zoom 0 1 150',
             'pagemode 0 1 11 100 2 -1 5',  # A5 portrait
             'fit 0 1 1',
             'close 0']
    done = subprocess.run([XLS_PAGE], input='\n'.join(lines) + '\n', text=True,
                          capture_output=True, check=True)
    results = done.stdout.split()
    if results != ['0'] * len(lines):
        raise AssertionError('calls failed: %r' % list(zip(lines, results)))


class PageSettings(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='tabrix-page-')
        cls.paths = {}
        for biff8 in (False, True):
            path = os.path.join(cls.folder, 'page%d.xls' % (8 if biff8 else 5))
            script(path, biff8)
            cls.paths[biff8] = path
        converted = libreoffice.convert(cls.paths.values(), cls.folder)
        cls.converted = {biff8: converted[path] for biff8, path in cls.paths.items()}

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, True)

    def test_xlrd_grid_zoom_and_breaks(self):
        for biff8, path in self.paths.items():
            with self.subTest(biff8=biff8):
                book = xlrd.open_workbook(path, formatting_info=True)
                first, second = book.sheet_by_index(0), book.sheet_by_index(1)
                self.assertEqual(first.cell_value(0, 0), '見積')
                self.assertEqual(first.show_grid_lines, 0)
                self.assertEqual(second.show_grid_lines, 1)
                self.assertEqual(first.scl_mag_factor, 75)
                self.assertEqual(first.cooked_normal_view_mag_factor, 75)
                self.assertEqual(second.scl_mag_factor, 150)
                self.assertEqual(first.horizontal_page_breaks, [(4, 0, 255), (9, 0, 255)])
                self.assertEqual(first.vertical_page_breaks, [(2, 0, 65535), (5, 0, 65535)])
                self.assertEqual(second.horizontal_page_breaks, [])
                self.assertEqual(second.vertical_page_breaks, [])

    def test_libreoffice_page_setup(self):
        for biff8, path in self.converted.items():
            with self.subTest(biff8=biff8):
                book = openpyxl.load_workbook(path)
                first, second = book.worksheets
                self.assertEqual(int(first.page_setup.paperSize), 8)
                self.assertEqual(first.page_setup.orientation, 'landscape')
                self.assertEqual(int(first.page_setup.scale), 80)
                self.assertEqual(int(second.page_setup.paperSize), 11)
                self.assertEqual(second.page_setup.orientation, 'portrait')
                self.assertTrue(second.sheet_properties.pageSetUpPr.fitToPage)
                self.assertFalse(first.sheet_properties.pageSetUpPr
                                 and first.sheet_properties.pageSetUpPr.fitToPage)

                margins = first.page_margins
                self.assertAlmostEqual(margins.left, 10 * MM, places=2)
                self.assertAlmostEqual(margins.right, 15 * MM, places=2)
                self.assertAlmostEqual(margins.top, 30 * MM, places=2)
                self.assertAlmostEqual(margins.bottom, 35 * MM, places=2)
                self.assertAlmostEqual(margins.header, 10 * MM, places=2)
                self.assertAlmostEqual(margins.footer, 15 * MM, places=2)
                # Margins at their defaults are not written, so a reader takes its own.
                self.assertGreater(abs(second.page_margins.left - margins.left), 0.1)
                self.assertGreater(abs(second.page_margins.bottom - margins.bottom), 0.1)

                self.assertTrue(first.print_options.horizontalCentered)
                self.assertTrue(first.print_options.verticalCentered)
                self.assertTrue(first.print_options.gridLines)
                self.assertTrue(first.print_options.headings)
                self.assertFalse(second.print_options.gridLines)
                self.assertFalse(second.print_options.horizontalCentered)

    def test_libreoffice_header_and_footer(self):
        for biff8, path in self.converted.items():
            with self.subTest(biff8=biff8):
                first, second = openpyxl.load_workbook(path).worksheets
                self.assertEqual(first.oddHeader.left.text, '&P / &N')
                self.assertEqual(first.oddHeader.center.text, '見積書 &D')
                self.assertIn(first.oddHeader.right.text, (None, ''))
                self.assertEqual(first.oddFooter.right.text, '担当 山田')
                self.assertIn(first.oddFooter.left.text, (None, ''))
                self.assertIn(second.oddHeader.center.text, (None, ''))

    def test_libreoffice_view_and_breaks(self):
        for biff8, path in self.converted.items():
            with self.subTest(biff8=biff8):
                first, second = openpyxl.load_workbook(path).worksheets
                self.assertEqual(first.sheet_view.zoomScale, 75)
                self.assertEqual(second.sheet_view.zoomScale, 150)
                self.assertFalse(first.sheet_view.showGridLines)
                self.assertIn(second.sheet_view.showGridLines, (None, True))
                # An xlsx break's id is the last row (column) before it, counted from 1.
                self.assertEqual([b.id for b in first.row_breaks.brk], [4, 9])
                self.assertEqual([b.id for b in first.col_breaks.brk], [2, 5])
                self.assertEqual(len(second.row_breaks.brk), 0)


if __name__ == '__main__':
    unittest.main()
