"""Cells styled through the Book API's attribute setters, read back by xlrd
(formatting_info=True) from an Excel 95 and an Excel 97 book."""
import os
import shutil
import subprocess
import tempfile
import unittest

import xlrd

SOURCE = os.environ.get('TABRIX_SOURCE', os.path.join(os.path.dirname(__file__), '..', '..'))
TOOLS = os.environ.get('TABRIX_TOOLS', os.path.join(SOURCE, 'build', 'tests', 'interop'))
TOOL = os.path.join(TOOLS, 'xls_book_attributes')


class BookAttributesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='tabrix-book-attr-')
        cls.books = {}
        for version in (95, 97):
            path = os.path.join(cls.folder, '%d.xls' % version)
            done = subprocess.run([TOOL, path, str(version)], capture_output=True, text=True,
                                  check=True)
            assert set(done.stdout.split()) == {'1'}, done.stdout
            cls.books[version] = xlrd.open_workbook(path, formatting_info=True)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, True)

    def xf(self, version, cell):
        book = self.books[version]
        row, column = int(cell[1:]) - 1, ord(cell[0]) - ord('A')
        return book.xf_list[book.sheet_by_index(0).cell_xf_index(row, column)]

    def font(self, version, cell):
        return self.books[version].font_list[self.xf(version, cell).font_index]

    def test_both_formats(self):
        for version in (95, 97):
            with self.subTest(version=version):
                font = self.font(version, 'B1')
                self.assertEqual((font.name, font.height, font.colour_index, font.weight,
                                  font.italic, font.underline_type),
                                 ('Arial', 280, 10, 700, 1, 1))
                font = self.font(version, 'C1')  # only the colour set on the present font
                self.assertEqual((font.name, font.height, font.colour_index, font.weight),
                                 ('Arial', 280, 12, 400))
                border = self.xf(version, 'B2').border
                self.assertEqual([border.top_line_style, border.bottom_line_style,
                                  border.left_line_style, border.right_line_style], [1, 2, 5, 6])
                self.assertEqual([border.top_colour_index, border.bottom_colour_index,
                                  border.left_colour_index, border.right_colour_index],
                                 [64, 12, 10, 17])
                fill = self.xf(version, 'B3').background
                self.assertEqual((fill.fill_pattern, fill.pattern_colour_index,
                                  fill.background_colour_index), (3, 12, 13))
                fill = self.xf(version, 'B4').background
                self.assertEqual((fill.fill_pattern, fill.pattern_colour_index), (1, 10))
                alignment = self.xf(version, 'B5').alignment
                self.assertEqual((alignment.hor_align, alignment.vert_align,
                                  alignment.text_wrapped), (2, 1, 1))
                self.assertEqual(self.xf(version, 'B7').alignment.rotation, 180)
                xf = self.xf(version, 'B9')
                self.assertEqual(self.books[version].format_map[xf.format_key].format_str,
                                 '0.000')
                outline = [self.xf(version, cell).border for cell in ('E2', 'G4')]
                self.assertEqual((outline[0].top_line_style, outline[0].left_line_style,
                                  outline[0].bottom_line_style, outline[0].top_colour_index),
                                 (1, 1, 0, 10))
                self.assertEqual((outline[1].bottom_line_style, outline[1].right_line_style,
                                  outline[1].top_line_style), (1, 1, 0))
                self.assertEqual(self.xf(version, 'F3').border.top_line_style, 0)

    def test_excel97_only_looks(self):
        self.assertEqual((self.xf(97, 'B6').alignment.hor_align,
                          self.xf(97, 'B6').alignment.indent_level), (1, 3))
        self.assertEqual(self.xf(97, 'B8').alignment.rotation, 45)
        border = self.xf(97, 'B10').border
        self.assertEqual((border.diag_down, border.diag_up, border.diag_line_style,
                          border.diag_colour_index), (1, 1, 2, 12))
        self.assertEqual(self.xf(97, 'B11').alignment.shrink_to_fit, 1)
        self.assertEqual(self.books[97].sheet_by_index(0).merged_cells, [(12, 14, 0, 3)])

    def test_excel95_leaves_what_it_cannot_hold(self):
        self.assertEqual((self.xf(95, 'B6').alignment.hor_align,
                          self.xf(95, 'B6').alignment.indent_level), (0, 0))
        self.assertEqual(self.xf(95, 'B8').alignment.rotation, 0)
        self.assertEqual(self.books[95].sheet_by_index(0).merged_cells, [])


if __name__ == '__main__':
    unittest.main()
