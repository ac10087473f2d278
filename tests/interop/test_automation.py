"""The automation control, through its C interface and through the Python package.

One scenario (automation_scenario.txt) is run by a C client (tools/automation_demo) and by
the package (automation_scenario.py); each leaves one workbook per member family, which xlrd
reads and LibreOffice converts (recalculating formulas) for openpyxl. Then the package's own
behaviour: failures, the error event, the OpenBook lock between processes, and the invoice
example.
"""
import fcntl
import gc
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import openpyxl
import xlrd

import libreoffice

SOURCE = os.environ.get('TABRIX_SOURCE', os.path.join(os.path.dirname(__file__), '..', '..'))
TOOLS = os.environ.get('TABRIX_TOOLS', os.path.join(SOURCE, 'build', 'tests', 'interop'))
if 'TABRIX_LIB' in os.environ:
    os.environ['TABRIX_LIBRARY'] = os.environ['TABRIX_LIB']
PACKAGE = os.path.join(SOURCE, 'python')
sys.path.insert(0, PACKAGE)
CHILD_ENV = dict(os.environ, PYTHONPATH=PACKAGE)

import automation_scenario  # noqa: E402
import tabrix  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
SCENARIO = os.path.join(HERE, 'automation_scenario.txt')
FAMILIES = ('values', 'values95', 'formulas', 'attributes', 'boxes', 'layout', 'sheets', 'page',
            'operations', 'filled')
MM = 1 / 25.4
RED, YELLOW, CYAN = 10, 13, 15


def xf(book, sheet, row, col):
    return book.xf_list[sheet.cell_xf_index(row, col)]


class Scenario(unittest.TestCase):
    """The same checks for the workbooks of both clients."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='tabrix-automation-')
        clients = {'c': os.path.join(cls.folder, 'c'), 'python': os.path.join(cls.folder, 'python')}
        for made in clients.values():
            os.mkdir(made)
        done = subprocess.run([os.path.join(TOOLS, 'automation_demo'), SCENARIO, clients['c']],
                              capture_output=True, text=True)
        if done.returncode:
            raise AssertionError('automation_demo: ' + done.stderr)
        automation_scenario.run(SCENARIO, clients['python'])
        # One LibreOffice run for every workbook; the names carry the client.
        cls.books, batch = {}, os.path.join(cls.folder, 'batch')
        os.mkdir(batch)
        for client, made in clients.items():
            for family in FAMILIES:
                cls.books[client, family] = os.path.join(batch, '%s-%s.xls' % (client, family))
                shutil.copy(os.path.join(made, family + '.xls'), cls.books[client, family])
        cls.xlsx = libreoffice.convert(sorted(cls.books.values()), cls.folder)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, True)

    def each(self, family, check):
        """Calls check(xlrd book, converted path) for each client's workbook."""
        for client in ('c', 'python'):
            path = self.books[client, family]
            with self.subTest(client=client):
                check(xlrd.open_workbook(path, formatting_info=True), self.xlsx[path])

    def test_values(self):
        def check_values(book, _):
            sheet = book.sheet_by_index(0)
            self.assertEqual(book.nsheets, 2)
            self.assertEqual(sheet.row_values(0, 0, 6), ['番号', 42, 3.25, '東京', 1.5, -1])
            self.assertEqual([sheet.cell_value(1, 0), sheet.cell_value(2, 1)], ['**NAME', 7])
            self.assertEqual(sheet.row_values(3, 0, 5), ['red', '赤', 5, 2.5, 'v'])
            for col in range(5):  # written with the first cell's attribute number
                self.assertEqual(book.font_list[xf(book, sheet, 3, col).font_index].colour_index,
                                 RED)

        self.each('values', check_values)

        def check_values95(book, _):
            self.assertLess(book.biff_version, 80)
            self.assertEqual(book.sheet_by_index(0).row_values(0), ['九五', 95])

        self.each('values95', check_values95)

    def test_formulas_recalculated(self):
        def check_formulas(_, converted):
            values = openpyxl.load_workbook(converted, data_only=True).worksheets[0]
            self.assertEqual([values.cell(row, 1).value for row in range(3, 8)],
                             [5, 6, 50, '2x', 30])
            formulas = openpyxl.load_workbook(converted).worksheets[0]
            self.assertEqual(formulas['A3'].value, '=A1+A2')
            self.assertEqual(formulas['A7'].value, '=A3*A4')

        self.each('formulas', check_formulas)

    def test_attributes(self):
        def check_attributes(book, converted):
            sheet = book.sheet_by_index(0)
            red = book.font_list[xf(book, sheet, 0, 0).font_index]
            self.assertEqual((red.colour_index, red.weight), (RED, 700))
            arial = book.font_list[xf(book, sheet, 0, 1).font_index]
            self.assertEqual((arial.name, arial.height, arial.underline_type), ('Arial', 280, 1))
            number = xf(book, sheet, 0, 2)
            self.assertEqual(book.format_map[number.format_key].format_str, '0.00')
            self.assertEqual((number.alignment.hor_align, number.alignment.vert_align,
                              number.alignment.text_wrapped), (2, 1, 1))
            fill = xf(book, sheet, 0, 3).background
            self.assertEqual((fill.fill_pattern, fill.pattern_colour_index), (1, YELLOW))
            lines = xf(book, sheet, 0, 4).border
            self.assertEqual((lines.top_line_style, lines.bottom_line_style,
                              lines.left_line_style, lines.right_line_style), (1, 6, 2, 4))
            diagonal = xf(book, sheet, 0, 5).border
            self.assertEqual((diagonal.diag_down, diagonal.diag_up, diagonal.diag_line_style),
                             (1, 0, 1))
            self.assertIn((2, 4, 0, 3), sheet.merged_cells)
            shown = openpyxl.load_workbook(converted).worksheets[0]
            self.assertEqual(shown['D1'].fill.fgColor.rgb, 'FFFFFF00')
            self.assertEqual(shown['A3'].value, 'joined')

        self.each('attributes', check_attributes)

    def test_boxes(self):
        def check_boxes(book, _):
            sheet = book.sheet_by_index(0)

            def styles(row, col):
                border = xf(book, sheet, row, col).border
                return (border.top_line_style, border.bottom_line_style, border.left_line_style,
                        border.right_line_style)

            # The default box is thin, on the outline of B2:D4 only.
            self.assertEqual(styles(1, 1), (1, 0, 1, 0))
            self.assertEqual(styles(2, 2), (0, 0, 0, 0))
            self.assertEqual(styles(3, 3), (0, 1, 0, 1))
            # A grid of medium lines on every edge of F2:H4.
            self.assertEqual(styles(2, 6), (2, 2, 2, 2))
            # The line over B7:D9 only, thin because the line style was omitted.
            self.assertEqual([styles(6, col)[0] for col in (1, 2, 3)], [1, 1, 1])
            self.assertEqual(styles(6, 1)[1:], (0, 0, 0))

        self.each('boxes', check_boxes)

    def test_widths_and_heights(self):
        def check_layout(book, _):
            sheet = book.sheet_by_index(0)
            self.assertEqual(sheet.colinfo_map[3].width, 20 * 256 + 159)
            self.assertEqual([sheet.colinfo_map[c].width for c in (0, 1)], [8 * 256 + 159] * 2)
            self.assertEqual([sheet.rowinfo_map[r].height for r in (1, 4, 5)], [600, 130, 130])

        self.each('layout', check_layout)

    def test_sheets(self):
        def check_sheets(book, converted):
            names = book.sheet_names()
            self.assertEqual(len(names), 4)
            self.assertEqual([names[0], names[1], names[3]], ['Sheet1', 'Data', 'Copy'])
            self.assertEqual(book.sheet_by_name('Copy').cell_value(0, 0), 'second')
            first = book.sheet_by_index(0)
            self.assertEqual((first.show_grid_lines, first.scl_mag_factor), (0, 75))
            self.assertEqual(openpyxl.load_workbook(converted).active.title, 'Data')

        self.each('sheets', check_sheets)

    def test_page_setup_header_footer_breaks(self):
        def check_page(book, converted):
            sheet = book.sheet_by_index(0)
            self.assertEqual([row for row, _, _ in sheet.horizontal_page_breaks], [4, 9])
            self.assertIn(2, [col for col, _, _ in sheet.vertical_page_breaks])
            page = openpyxl.load_workbook(converted).worksheets[0]
            self.assertEqual((int(page.page_setup.paperSize), int(page.page_setup.scale),
                              page.page_setup.orientation), (9, 80, 'landscape'))
            margins = page.page_margins
            for got, mm in ((margins.left, 10), (margins.right, 15), (margins.top, 20),
                            (margins.bottom, 30), (margins.header, 10), (margins.footer, 12)):
                self.assertAlmostEqual(got, mm * MM, places=2)
            self.assertEqual((page.oddHeader.left.text, page.oddHeader.center.text),
                             ('L', 'ヘッダー'))
            self.assertEqual((page.oddFooter.left.text, page.oddFooter.center.text),
                             (None, '&P / &N'))

        self.each('page', check_page)

    def test_row_column_block_operations(self):
        def check_operations(_, converted):
            sheet = openpyxl.load_workbook(converted, data_only=True).worksheets[0]
            grid = [[sheet.cell(row, col).value for col in range(1, 6)] for row in range(1, 10)]
            self.assertEqual(grid, [
                [None] * 5,
                [None, 1, 'b1', None, 1],
                [None, 3, None, None, 3],
                [None, 4, 40, None, 4],
                [None] * 5,
                [None, None, 'b1', None, 1],
                [None] * 5,
                [None] * 5,
                [None, 1, 'b1', None, None],
            ])
            formulas = openpyxl.load_workbook(converted).worksheets[0]
            self.assertEqual(formulas['C4'].value, '=B4*10')

        self.each('operations', check_operations)

    def test_template_filled_at_keyword(self):
        def check_filled(book, _):
            sheet = book.sheet_by_index(0)
            self.assertEqual(sheet.col_values(0, 0, 5), ['番号', 'filled', '', 'red', 99])
            self.assertEqual(book.font_list[xf(book, sheet, 3, 0).font_index].colour_index, RED)

        self.each('filled', check_filled)


class Failures(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix='tabrix-automation-')
        self.control = tabrix.Control()

    def tearDown(self):
        shutil.rmtree(self.folder, True)

    def path(self, name):
        return os.path.join(self.folder, name)

    def book(self, name, text):
        self.control.CreateBook(self.path(name), 97, 2)
        self.control.Pos(0, 0).Str = text

    def first_cell(self, name):
        return xlrd.open_workbook(self.path(name)).sheet_by_index(0).cell_value(0, 0)

    def test_a_failure_closes_every_book_and_keeps_its_number(self):
        self.book('a.xls', 'first')
        self.book('b.xls', 'second')
        with self.assertRaises(tabrix.TabrixError) as caught:
            self.control.SheetNo = 2  # the sheet count itself
        self.assertEqual((caught.exception.number, caught.exception.message),
                         (34, 'パラメータエラー'))
        # Both books were closed, and saved.
        self.assertEqual([self.first_cell('a.xls'), self.first_cell('b.xls')],
                         ['first', 'second'])
        with self.assertRaises(tabrix.TabrixError) as caught:
            self.control.Pos(1, 0).Long = 1
        self.assertEqual((caught.exception.number, caught.exception.message),
                         (3, 'ファイルがオープンされていません'))

    def test_negative_sheet_number(self):
        self.book('a.xls', 'x')
        with self.assertRaises(tabrix.TabrixError) as caught:
            self.control.SheetNo = -1
        self.assertEqual(caught.exception.number, 34)

    def test_error_value_never_raises(self):
        self.book('a.xls', 'kept')
        self.assertEqual(self.control.Pos(5, 5).Str, '')  # an empty cell: error 8
        self.assertEqual(self.control.ErrorNo, 8)
        self.control.Pos(1, 0).Long = 2  # the book is still open
        self.control.CloseBook()  # no argument: saved
        self.assertEqual(xlrd.open_workbook(self.path('a.xls')).sheet_by_index(0).row_values(0),
                         ['kept', 2])

    def test_texts_never_cut(self):
        self.book('a.xls', 'kept')
        with self.assertRaises(ValueError):  # refused before the control sees it
            self.control.Pos(1, 0).Str = 'before\0after'
        self.control.Pos(2, 0).Str = 'z' * 32767
        with self.assertRaises(tabrix.TabrixError) as caught:
            self.control.Pos(3, 0).Str = 'z' * 32768
        self.assertEqual(caught.exception.number, 31)
        self.assertEqual(xlrd.open_workbook(self.path('a.xls')).sheet_by_index(0).row_values(0),
                         ['kept', '', 'z' * 32767])

    def test_error_event(self):
        seen = []

        def forgive(number):
            seen.append(number)
            return 0

        self.book('a.xls', 'before')
        self.control.connect(forgive)
        self.control.SheetNo = 7  # forgiven: no error, no book closed
        self.control.Pos(1, 0).Str = 'after'
        self.assertEqual(seen, [34])
        self.control.disconnect(forgive)
        self.control.connect(lambda number: 37)  # a replaced number is the one raised
        with self.assertRaises(tabrix.TabrixError) as caught:
            self.control.SheetNo = 7
        self.assertEqual((caught.exception.number, seen), (37, [34]))
        self.assertEqual(xlrd.open_workbook(self.path('a.xls')).sheet_by_index(0).row_values(0),
                         ['before', 'after'])
        with self.assertRaises(ValueError):
            self.control.disconnect(forgive)

    def test_members_from_the_table(self):
        self.assertEqual((tabrix.xcRed, tabrix.lsNormal, tabrix.psA4), (10, 0x01000000, 9))
        with self.assertRaises(AttributeError):
            self.control.FontColor  # put only
        with self.assertRaises(AttributeError):
            self.control.FontColour = 1  # no such member
        with self.assertRaises(TypeError):
            self.control.Pos()  # the start column is not optional
        with self.assertRaises(tabrix.TabrixError) as caught:
            self.control.Pos('x')  # refused before the member runs
        self.assertEqual((caught.exception.number, caught.exception.message),
                         (0x80020005, 'type mismatch'))

    def test_control_released(self):
        library = tabrix._library.library
        control = tabrix.Control()
        control.Pos(0, 0)
        control.Cell('B2', 1, 1)  # each hands the control out with a reference added
        handle = control._handle
        self.assertEqual(library.XlsControlAddRef(handle), 2)
        library.XlsControlRelease(handle)
        control.connect(lambda number, kept=control: None)  # a cycle through the sink
        del control
        gc.collect()
        self.assertEqual(library.XlsControlAddRef(handle), 0)  # no such control any more


class ReadBookArea(unittest.TestCase):
    def test_max_data_of_a_file_another_writer_made(self):
        import xlwt
        folder = tempfile.mkdtemp(prefix='tabrix-automation-')
        self.addCleanup(shutil.rmtree, folder, True)
        path = os.path.join(folder, 'foreign.xls')
        book = xlwt.Workbook()
        sheet = book.add_sheet('Data')
        sheet.write(0, 0, 'name')
        sheet.write(6, 3, 2.5)
        book.save(path)

        control = tabrix.Control()
        control.ReadBook(path)
        self.assertEqual((control.MaxData(), control.MaxArea()), ((3, 6), (3, 6)))
        self.assertEqual(control.Pos(3, 6).Double, 2.5)  # the book is still open
        self.assertEqual(control.Pos(0, 0).Str, 'name')
        control.CloseBook()


class OpenBookLock(unittest.TestCase):
    """Template opens of two processes are serialised by a flock on tabrix3.lock in the runtime
    folder (here a folder of the test's own), which the kernel frees when its holder dies."""

    CHILD = ('import sys, tabrix\nc = tabrix.Control()\nprint("ready", flush=True)\n'
             'c.OpenBook(sys.argv[1], sys.argv[2])\nc.CloseBook()\n')
    HOLDER = ('import fcntl, sys, time\nf = open(sys.argv[1], "a")\nfcntl.flock(f, fcntl.LOCK_EX)\n'
              'print("ready", flush=True)\ntime.sleep(600)\n')

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix='tabrix-automation-')
        self.addCleanup(shutil.rmtree, self.folder, True)
        self.env = dict(CHILD_ENV, XDG_RUNTIME_DIR=self.folder)
        self.lock_file = os.path.join(self.folder, 'tabrix3.lock')
        self.template = os.path.join(self.folder, 'template.xls')
        c = tabrix.Control()
        c.CreateBook(self.template)
        c.Pos(0, 0).Str = '**NAME'
        c.CloseBook()

    def start(self, *args):
        process = subprocess.Popen([sys.executable, '-c'] + list(args), stdout=subprocess.PIPE,
                                   env=self.env, text=True)
        self.assertEqual(process.stdout.readline(), 'ready\n')
        process.stdout.close()
        return process

    def child(self, name):
        return self.start(self.CHILD, os.path.join(self.folder, name), self.template)

    def hold(self):
        held = open(self.lock_file, 'a')
        self.addCleanup(held.close)
        fcntl.flock(held, fcntl.LOCK_EX)
        return held

    def test_open_waits_for_the_holder(self):
        held = self.hold()
        children = [self.child('one.xls'), self.child('two.xls')]
        for child in children:
            # Well below the 5000 ms an open waits before it goes ahead regardless.
            with self.assertRaises(subprocess.TimeoutExpired):
                child.wait(timeout=1)
        fcntl.flock(held, fcntl.LOCK_UN)
        self.assertEqual([child.wait(timeout=60) for child in children], [0, 0])
        for name in ('one.xls', 'two.xls'):
            book = xlrd.open_workbook(os.path.join(self.folder, name), formatting_info=True)
            self.assertEqual(book.sheet_by_index(0).cell_value(0, 0), '')  # the keyword blanked

    def test_open_that_gave_up_waiting_leaves_the_lock_with_its_holder(self):
        self.hold()
        self.assertEqual(self.child('late.xls').wait(timeout=60), 0)
        with open(self.lock_file) as probe, self.assertRaises(BlockingIOError):
            fcntl.flock(probe, fcntl.LOCK_EX | fcntl.LOCK_NB)

    def test_a_holder_that_dies_frees_the_lock(self):
        holder = self.start(self.HOLDER, self.lock_file)
        holder.kill()
        holder.wait()
        self.assertEqual(self.child('after.xls').wait(timeout=4), 0)  # no 5 s wait


class InvoiceExample(unittest.TestCase):
    def test_invoice(self):
        import xlwt
        folder = tempfile.mkdtemp(prefix='tabrix-invoice-')
        self.addCleanup(shutil.rmtree, folder, True)
        template = os.path.join(folder, 'template.xls')
        book = xlwt.Workbook(encoding='utf-8')
        sheet = book.add_sheet('請求書')
        sheet.write(0, 0, '請求書', xlwt.easyxf('font: bold on, height 320'))
        sheet.write(2, 0, '**CUSTOMER')
        sheet.write(2, 3, '**DATE')
        for col, title in enumerate(('品名', '数量', '単価', '金額')):
            sheet.write(4, col, title, xlwt.easyxf('font: bold on; borders: bottom thin'))
        sheet.write(5, 0, '**ITEM')
        sheet.write(9, 2, '合計')
        sheet.write(9, 3, xlwt.Formula('SUM(D6:D9)'))
        book.save(template)

        output = os.path.join(folder, 'invoice.xls')
        subprocess.run([sys.executable, os.path.join(SOURCE, 'python', 'examples', 'invoice_control.py'),
                        template, output], check=True, env=CHILD_ENV, capture_output=True)
        converted = libreoffice.convert([output], folder)[output]
        values = openpyxl.load_workbook(converted, data_only=True).worksheets[0]
        self.assertEqual([values['A1'].value, values['A3'].value, values['D3'].value],
                         ['請求書', '山田商店 御中', '2026年12月1日'])
        self.assertTrue(values['A3'].font.b)
        self.assertEqual([[cell.value for cell in row] for row in values['A5:D9']], [
            ['品名', '数量', '単価', '金額'],
            ['ノート', 3, 120, 360],
            ['鉛筆', 12, 40, 480],
            ['消しゴム', 2, 80, 160],
            [None] * 4,
        ])
        self.assertEqual(values['D10'].value, 1000)
        self.assertEqual(values['D7'].number_format, '#,##0')
        self.assertEqual(values['A7'].fill.fgColor.rgb, 'FF00FFFF')


if __name__ == '__main__':
    unittest.main()
