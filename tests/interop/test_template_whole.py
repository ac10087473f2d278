"""What templates and in-place opens keep of a file beyond its cells, and what they refuse:
margins a file states at 20 and 25 mm, what a protected sheet still allows, sheet visibility
bytes no program writes, files saved
for Excel 97 and 95 at once, and streams whose records cannot all be walked. Sources are
written by xlwt and patched by hand where no program writes what is tested; results are read
by xlrd and LibreOffice."""
import os
import shutil
import struct
import subprocess
import tempfile
import unittest

import olefile
import openpyxl
import xlrd
import xlwt

import foreign_files
import libreoffice

SOURCE = os.environ.get('TABRIX_SOURCE', os.path.join(os.path.dirname(__file__), '..', '..'))
TOOLS = os.environ.get('TABRIX_TOOLS', os.path.join(SOURCE, 'build', 'tests', 'interop'))
XLS_OPEN = os.path.join(TOOLS, 'xls_open')
CFB_TOOL = os.path.join(TOOLS, 'cfb_tool')
CLI = os.environ.get('TABRIX_CLI', os.path.join(SOURCE, 'build', 'tools', 'tabrix'))
BOUNDSHEET, LABELSST, EOF = 0x0085, 0x00FD, 0x000A


def run_script(lines):
    done = subprocess.run([XLS_OPEN], input='\n'.join(lines) + '\n', text=True,
                          capture_output=True, check=True)
    return [int(word) for word in done.stdout.split()]


def read_bytes(path):
    with open(path, 'rb') as f:
        return f.read()


class TemplateWhole(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='tabrix-whole-')
        cls.source = cls.path('source.xls')
        book = xlwt.Workbook()
        for name in ('First', 'Second'):
            sheet = book.add_sheet(name)
            for row in range(30):
                sheet.write(row, 0, row * 1.5)
                sheet.write(row, 1, 'text %d' % row)
            sheet.left_margin = sheet.right_margin = 20 / 25.4
            sheet.top_margin = sheet.bottom_margin = 25 / 25.4
        book.save(cls.source)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    @classmethod
    def path(cls, name):
        return os.path.join(cls.folder, name)

    def patched(self, name, patch):
        """A copy of the source whose workbook stream `patch(bytearray, records)` changed."""
        with olefile.OleFileIO(self.source) as ole:
            stream = bytearray(ole.openstream('Workbook').read())
        patch(stream, foreign_files.workbook_records(self.source))
        stream_file = self.path(name + '.bin')
        with open(stream_file, 'wb') as f:
            f.write(stream)
        path = self.path(name + '.xls')
        shutil.copyfile(self.source, path)
        subprocess.run([CFB_TOOL, 'update', path, 'stream:Workbook=file:' + stream_file],
                       check=True)
        return path

    def cells(self, path):
        book = xlrd.open_workbook(path)
        return [[sheet.row_values(row) for row in range(sheet.nrows)] for sheet in book.sheets()]

    def test_margins_stated_at_20_and_25_mm_stay_stated(self):
        created, in_place = self.path('margins-created.xls'), self.path('margins-in-place.xls')
        shutil.copyfile(self.source, in_place)
        self.assertEqual(run_script(['createt %s %s' % (created, self.source), 'close 0',
                                     'openinplace ' + in_place, 'num 0 0 5 0 1', 'openclose 0 1']),
                         [0] * 5)
        xlsx = libreoffice.convert([self.source, created, in_place], self.folder, 'xlsx')
        expected = openpyxl.load_workbook(xlsx[self.source]).worksheets[1].page_margins
        self.assertAlmostEqual(expected.left, 20 / 25.4, places=3)  # LibreOffice read them
        for result in (created, in_place):
            margins = openpyxl.load_workbook(xlsx[result]).worksheets[1].page_margins
            for side in ('left', 'right', 'top', 'bottom'):
                self.assertAlmostEqual(getattr(margins, side), getattr(expected, side), places=3,
                                       msg=(result, side))

    def test_what_a_protected_sheet_still_allows_is_kept(self):
        source = self.path('protected.xlsx')
        book = openpyxl.Workbook()
        book.active['A1'] = 1
        protection = book.active.protection
        protection.sheet = protection.selectLockedCells = True  # locked cells not selectable
        protection.formatColumns = False  # column formats allowed
        book.save(source)
        xls = libreoffice.convert([source], self.path('protected'), 'xls')[source]
        created = self.path('protected-created.xls')
        self.assertEqual(run_script(['createt %s %s' % (created, xls), 'close 0']), [0, 0])
        xlsx = libreoffice.convert([xls, created], self.path('protected-back'), 'xlsx')
        allowed = [(p.sheet, p.selectLockedCells, p.formatColumns) for p in
                   (openpyxl.load_workbook(xlsx[path]).active.protection for path in (xls, created))]
        self.assertEqual(allowed, [(True, True, False)] * 2)

    def test_unknown_sheet_visibility_is_kept_and_the_book_closes(self):
        def visibility_3(stream, records):
            first = next(offset for offset, number, _ in records if number == BOUNDSHEET)
            stream[first + 4 + 4] = 3
        source = self.patched('visibility', visibility_3)
        created = self.path('visibility-created.xls')
        self.assertEqual(run_script(['createt %s %s' % (created, source), 'close 0',
                                     'openinplace ' + source, 'openclose 0 1']), [0] * 4)
        for path in (created, source):
            book = xlrd.open_workbook(path)
            self.assertEqual([s.visibility for s in book.sheets()], [3, 0], path)
            self.assertEqual(self.cells(path), self.cells(self.source))

    def test_file_saved_for_both_versions_is_taken_by_its_excel97_stream(self):
        excel95 = self.path('excel95.xls')
        csv = self.path('other.csv')
        with open(csv, 'w') as f:
            f.write('not,these\n')
        subprocess.run([CLI, 'from-csv', csv, excel95, '--excel95'], check=True)
        with olefile.OleFileIO(excel95) as ole:
            book_stream = ole.openstream('Book').read()
        stream_file = self.path('book.bin')
        with open(stream_file, 'wb') as f:
            f.write(book_stream)
        dual = self.path('dual.xls')
        shutil.copyfile(self.source, dual)
        subprocess.run([CFB_TOOL, 'update', dual, 'stream:Book=file:' + stream_file], check=True)
        expected = self.cells(self.source)

        cat = subprocess.run([CLI, 'cat', dual], capture_output=True, text=True, check=True)
        self.assertEqual(cat.stdout.splitlines()[1], '1.5,text 1')
        created, opened = self.path('dual-created.xls'), self.path('dual-opened.xls')
        self.assertEqual(run_script(['check ' + dual, 'createt %s %s' % (created, dual), 'close 0',
                                     'open %s %s' % (dual, opened), 'openclose 0 1',
                                     'openinplace ' + dual, 'num 0 0 2 40 7', 'openclose 0 1']),
                         [0] * 8)
        for path in (created, opened, dual):
            with olefile.OleFileIO(path) as ole:
                self.assertFalse(ole.exists('Book'), path)  # the stale Excel 95 copy is gone
            cells = self.cells(path)
            self.assertEqual(cells[1][:30], expected[1], path)
        self.assertEqual(self.cells(dual)[0][40][2], 7.0)

    def test_damaged_stream_is_refused_whole_and_read_as_far_as_it_goes(self):
        def overlong_text(stream, records):
            eofs = [offset for offset, number, _ in records if number == EOF]
            last = max(offset for offset, number, _ in records
                       if number == LABELSST and offset < eofs[1])
            struct.pack_into('<H', stream, last + 2, 600)  # runs over the next sheet's BOF
        damaged = self.patched('damaged', overlong_text)
        before = read_bytes(damaged)
        out = self.path('damaged-out.xls')
        self.assertEqual(run_script(['check ' + damaged, 'createt %s %s' % (out, damaged),
                                     'open %s %s' % (damaged, out), 'openinplace ' + damaged]),
                         [7, -5001, -1, -1])
        self.assertFalse(os.path.exists(out))
        self.assertEqual(read_bytes(damaged), before)
        cat = subprocess.run([CLI, 'cat', damaged], capture_output=True, text=True, check=True)
        self.assertEqual(cat.stdout.splitlines()[0], '0,text 0')
        fill = subprocess.run([CLI, 'fill', damaged, out], capture_output=True, text=True)
        self.assertEqual(fill.returncode, 1)  # a failure, not a usage error
        self.assertIn('damaged workbook', fill.stderr)

    def test_refusals_name_their_reason(self):
        text = self.path('plain.txt')
        with open(text, 'w') as f:
            f.write('no workbook\n')
        self.assertEqual(run_script(['check ' + self.source, 'check ' + text,
                                     'check ' + self.path('missing.xls')]), [0, 2, 1])
        cat = subprocess.run([CLI, 'cat', text], capture_output=True, text=True)
        self.assertEqual(cat.returncode, 1)
        self.assertIn('no compound file', cat.stderr)


if __name__ == '__main__':
    unittest.main()
