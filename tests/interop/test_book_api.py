"""A C caller of the Book API (tools/book_demo.c): a workbook made from nothing and templates
filled at their keywords and names, in both formats. xlrd reads the values and formatting
records back; LibreOffice converts to .xlsx (recalculating formulas) for openpyxl.

The templates come from an .xlsx that openpyxl writes, turned into Excel 97 by LibreOffice
and into Excel 95 and 97 by gnumeric's ssconvert, so that the Book API fills files it did
not write.
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
DEMO = os.path.join(TOOLS, 'book_demo')
MM = 1 / 25.4
RED, BLUE, YELLOW, CYAN, AUTOMATIC = 10, 12, 13, 15, 64


def demo(*args):
    done = subprocess.run([DEMO] + list(args), capture_output=True)
    if done.returncode != 0:
        raise AssertionError('book_demo %s: %s' % (' '.join(args), done.stderr))


def make_templates(folder):
    """{name: path} of the templates, each with keyword cells on its first sheet, a global
    one-cell name Target and a global area name Block."""
    from openpyxl.styles import Font, PatternFill
    from openpyxl.workbook.defined_name import DefinedName

    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = 'Values'
    sheet['A1'] = '**NAME'
    sheet['C1'] = '**TOTAL'
    sheet['C1'].font = Font(bold=True, size=14)
    sheet['C1'].fill = PatternFill('solid', fgColor='FFFF00')
    sheet['A2'] = 1
    sheet['B2'] = 10
    book.create_sheet('Other')['A1'] = '**TOTAL'
    book.defined_names.append(DefinedName('Target', attr_text='Values!$E$12'))
    book.defined_names.append(DefinedName('Block', attr_text='Values!$F$12:$G$13'))
    source = os.path.join(folder, 'template.xlsx')
    book.save(source)

    made = {}
    converted = libreoffice.convert([source], os.path.join(folder, 'lo'), 'xls')[source]
    made['libreoffice_biff8'] = converted
    for name, exporter in (('ssconvert_biff5', 'Gnumeric_Excel:excel_biff7'),
                           ('ssconvert_biff8', 'Gnumeric_Excel:excel_biff8')):
        made[name] = os.path.join(folder, name + '.xls')
        subprocess.run(['ssconvert', '-T', exporter, source, made[name]], check=True,
                       capture_output=True, timeout=600,
                       env=dict(os.environ, HOME=folder, WINDOWS_LANGUAGE='ja_JP'))
    return made


class BookApi(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='tabrix-book-')
        cls.new = {}
        for version in (95, 97):
            cls.new[version] = os.path.join(cls.folder, 'new%d.xls' % version)
            demo('new', cls.new[version], str(version))
        cls.filled = {}
        for name, template in make_templates(cls.folder).items():
            cls.filled[name] = os.path.join(cls.folder, 'filled_' + name + '.xls')
            demo('template', template, cls.filled[name])
        paths = list(cls.new.values()) + list(cls.filled.values())
        cls.xlsx = libreoffice.convert(paths, cls.folder)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, True)

    def xf(self, book, sheet, row, col):
        return book.xf_list[sheet.cell_xf_index(row, col)]

    def test_new_book_values_and_sheets(self):
        for version, path in self.new.items():
            with self.subTest(version=version):
                book = xlrd.open_workbook(path, formatting_info=True)
                self.assertEqual(book.sheet_names(), ['Sheet1', 'Data', 'Sheet3', 'Copy'])
                for sheet in (book.sheet_by_index(0), book.sheet_by_name('Copy')):
                    self.assertEqual(sheet.row_values(0, 0, 4), [42, 3.25, 'plain', '東京'])
                    self.assertEqual(sheet.col_values(0, 2, 12), list(range(1, 11)))
                    self.assertEqual([sheet.cell_value(2, 1), sheet.cell_value(3, 2)], ['x', 'x'])
                    self.assertEqual(sheet.cell_value(5, 2), '合計')
                    self.assertEqual(sheet.cell_value(5, 3), '')  # a range writes its first cell
                    self.assertEqual([sheet.cell_value(0, c) for c in (4, 5, 7, 8, 9)],
                                     [-1, 12345, 1.5, -1234.5, 77])
                self.assertEqual(book.sheet_by_name('Data').cell_value(0, 0), 'second')

    def test_new_book_formulas_recalculated(self):
        for version, path in self.new.items():
            with self.subTest(version=version):
                sheet = openpyxl.load_workbook(self.xlsx[path], data_only=True).worksheets[0]
                self.assertEqual(sheet['A13'].value, 55)
                self.assertEqual(sheet['G1'].value, 84)
                formulas = openpyxl.load_workbook(self.xlsx[path]).worksheets[0]
                self.assertEqual(formulas['A13'].value, '=SUM(A3:A12)')

    def test_new_book_fonts_fills_borders_alignment(self):
        for version, path in self.new.items():
            with self.subTest(version=version):
                book = xlrd.open_workbook(path, formatting_info=True)
                sheet = book.sheet_by_index(0)
                red = book.font_list[self.xf(book, sheet, 2, 1).font_index]
                self.assertEqual((red.colour_index, red.weight), (RED, 700))
                arial = book.font_list[self.xf(book, sheet, 3, 2).font_index]
                self.assertEqual((arial.name, arial.height, arial.underline_type),
                                 ('Arial', 280, 1))
                fill = self.xf(book, sheet, 2, 0).background
                self.assertEqual((fill.fill_pattern, fill.pattern_colour_index), (1, YELLOW))
                top = self.xf(book, sheet, 0, 1).border
                self.assertEqual((top.top_line_style, top.top_colour_index), (1, AUTOMATIC))
                self.assertEqual((top.bottom_line_style, top.bottom_colour_index), (6, BLUE))
                corner, middle = self.xf(book, sheet, 4, 4).border, self.xf(book, sheet, 5, 5).border
                self.assertEqual((corner.top_line_style, corner.left_line_style), (2, 2))
                self.assertEqual((middle.top_line_style, middle.left_line_style), (0, 0))
                self.assertEqual(self.xf(book, sheet, 6, 6).border.right_line_style, 2)
                align = self.xf(book, sheet, 0, 3).alignment
                self.assertEqual((align.hor_align, align.vert_align, align.text_wrapped),
                                 (2, 1, 1))
                number = book.format_map[self.xf(book, sheet, 0, 1).format_key]
                self.assertEqual(number.format_str, '0.00')
                if version == 97:  # Excel 95 has no merged cells
                    self.assertIn((5, 8, 2, 4), sheet.merged_cells)

    def test_new_book_layout_and_page(self):
        for version, path in self.new.items():
            with self.subTest(version=version):
                sheet = xlrd.open_workbook(path, formatting_info=True).sheet_by_index(0)
                self.assertEqual(sheet.colinfo_map[3].width, 20 * 256 + 159)
                self.assertEqual(sheet.colinfo_map[0].width, 8 * 256 + 159)
                self.assertEqual(sheet.rowinfo_map[1].height, 600)
                self.assertEqual(sheet.horizontal_page_breaks, [(4, 0, 255)])
                self.assertEqual(sheet.vertical_page_breaks, [(2, 0, 65535)])
                self.assertEqual((sheet.show_grid_lines, sheet.scl_mag_factor), (0, 75))

                book = openpyxl.load_workbook(self.xlsx[path])
                first = book.worksheets[0]
                self.assertEqual(book.active.title, 'Data')
                self.assertEqual((int(first.page_setup.paperSize), int(first.page_setup.scale)),
                                 (9, 80))
                self.assertEqual(first.page_setup.orientation, 'landscape')
                margins = first.page_margins
                for got, mm in ((margins.left, 10), (margins.right, 15), (margins.top, 20),
                                (margins.bottom, 30), (margins.header, 10), (margins.footer, 12)):
                    self.assertAlmostEqual(got, mm * MM, places=2)
                self.assertEqual(first.oddHeader.left.text, 'L')
                self.assertEqual(first.oddHeader.center.text, 'ヘッダー')
                self.assertEqual(first.oddFooter.center.text, '&P / &N')

    def test_templates_filled_at_keywords_and_names(self):
        for name, path in self.filled.items():
            with self.subTest(template=name):
                book = xlrd.open_workbook(path, formatting_info=True)
                sheet = book.sheet_by_index(0)
                self.assertEqual(sheet.cell_value(0, 0), '東京')
                self.assertEqual(sheet.cell_value(0, 2), 1234.5)
                self.assertEqual(sheet.cell_value(1, 0), 7)
                self.assertEqual(sheet.cell_value(11, 4), 'named')
                self.assertEqual(sheet.cell_value(11, 6), 5)
                # The other sheet's keyword is not filled from the first sheet.
                self.assertEqual(book.sheet_by_index(1).cell_value(0, 0), '')
                total = self.xf(book, sheet, 0, 2)
                font = book.font_list[total.font_index]
                self.assertEqual((font.colour_index, font.weight, font.height), (RED, 700, 280))
                for row, col in ((11, 5), (12, 6)):
                    fill = self.xf(book, sheet, row, col).background
                    self.assertEqual((fill.fill_pattern, fill.pattern_colour_index), (1, CYAN))
                values = openpyxl.load_workbook(self.xlsx[path], data_only=True).worksheets[0]
                self.assertEqual(values['C2'].value, 20)


if __name__ == '__main__':
    unittest.main()
