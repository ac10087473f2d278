"""Read mode over workbooks written by LibreOffice, xlwt and gnumeric's ssconvert (Excel 95
with code page 932 and with code page 1252, and Excel 97): every cell xlrd finds is read with
the same kind and value by XM_Read, by XM_GetCellDataW and by the sequential walk, and they
find no cell xlrd does not. A workbook with a protected sheet is refused."""
import os
import shutil
import struct
import subprocess
import tempfile
import unittest

import foreign_files
import libreoffice

TOOLS = os.environ['TABRIX_TOOLS']
ERRORS = ('#NULL!', '#DIV/0!', '#VALUE!', '#REF!', '#NAME?', '#NUM!', '#N/A')
LATIN = ('café ±5°', 'naïve × ÷', '€uro')  # € has no code page 932 form


def text_of(token, unit):
    data = bytes.fromhex(token[2:])
    return data.decode('cp932') if unit == 1 else data.decode('utf-16-be')


def read_back(path):
    """The driver's view: {sheet: name}, {sheet: (rc, columns, rows)}, {(sheet, row, col):
    read}, {(sheet, row, col): data}, {sheet: [walked cells]}, {sheet: walk end}."""
    out = subprocess.run([os.path.join(TOOLS, 'xls_read'), path], check=True,
                         capture_output=True, text=True).stdout
    view = {'names': {}, 'bounds': {}, 'read': {}, 'data': {}, 'walk': {}, 'end': {}}
    for line in out.splitlines():
        word, *rest = line.split()
        if word == 'open':
            view['open'] = int(rest[0])
        elif word == 'name':
            view['names'][int(rest[0])] = text_of(rest[1], 2)
        elif word == 'sheet':
            view['bounds'][int(rest[0])] = tuple(int(v) for v in rest[1:])
        elif word == 'read':
            s, row, col, rc, kind = (int(v) for v in rest[:5])
            view['read'][(s, row, col)] = (rc, kind, float(rest[5]), bytes.fromhex(rest[6][2:]))
        elif word == 'data':
            s, row, col, kind, integer = (int(v) for v in rest[:5])
            view['data'][(s, row, col)] = (kind, integer, float(rest[5]), text_of(rest[6], 2))
        elif word == 'walk':
            s, row, col, xf, kind = (int(v) for v in rest[:5])
            view['walk'].setdefault(s, []).append(
                ((row, col), kind, float(rest[5]), text_of(rest[6], 2)))
        elif word == 'walkend':
            view['end'][int(rest[0])] = int(rest[1])
    return view


class ReadMode(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='tabrix-readmode-')
        cls.paths = foreign_files.make(cls.folder)
        if shutil.which('ssconvert'):
            cls.paths['ssconvert_biff5_1252'] = cls.latin_workbook()

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder)

    @classmethod
    def latin_workbook(cls):
        import openpyxl
        source = os.path.join(cls.folder, 'latin.xlsx')
        book = openpyxl.Workbook()
        book.active.title = 'Latin'
        for col, text in enumerate(LATIN):
            book.active.cell(1, col + 1, text)
        book.active['A2'] = 3.5
        book.save(source)
        path = os.path.join(cls.folder, 'latin.xls')
        subprocess.run(['ssconvert', '-T', 'Gnumeric_Excel:excel_biff7', source, path],
                       check=True, capture_output=True, timeout=600,
                       env=dict(os.environ, HOME=cls.folder, WINDOWS_LANGUAGE='en_US'))
        return path

    def check_cell(self, where, expected, read, data, walked):
        kind, value = expected
        if kind == 'blank':
            # A MULBLANK element reads as kind 0, a single BLANK record not at all.
            if read:
                self.assertEqual(read[:2], (0, 0), where)
            self.assertEqual(walked[0], 0, where)
            return
        self.assertIsNotNone(read, where)
        rc, read_kind, read_value, narrow = read
        data_kind, integer, data_value, wide = data
        walk_kind, walk_number, walk_text = walked
        self.assertEqual(rc, 0, where)
        if kind == 'number':
            self.assertEqual((read_kind, read_value), (0, value), where)
            self.assertIn(data_kind, (1, 2), where)
            self.assertEqual(integer if data_kind == 1 else data_value, value, where)
            self.assertEqual((walk_kind, walk_number), (2, value), where)
        elif kind == 'text':
            self.assertEqual(read_kind, 1, where)
            self.assertEqual(narrow, value.encode('cp932', errors='replace'), where)
            self.assertEqual((data_kind, wide), (4, value), where)
            self.assertEqual((walk_kind, walk_text), (1, value), where)
        elif kind in ('bool', 'error'):
            number = (-1.0 if value else 0.0) if kind == 'bool' else ERRORS.index(value) + 1
            name = ('TRUE' if value else 'FALSE') if kind == 'bool' else value
            self.assertEqual((read_kind, read_value), (2, number), where)
            self.assertEqual((data_kind, data_value), (3, number), where)
            self.assertEqual(walk_kind, 1, where)
            self.assertEqual(walk_text.rstrip(' '), name, where)
        else:
            self.fail('%s: unexpected kind %s' % (where, kind))

    def test_every_cell_reads_as_xlrd_reads_it(self):
        self.assertGreaterEqual(len(self.paths), 1)
        for name, path in self.paths.items():
            expected = foreign_files.xlrd_cells(path)
            view = read_back(path)
            self.assertGreaterEqual(view['open'], 0, name)
            self.assertEqual(list(view['names'].values()), list(expected), name)
            for s, sheet in enumerate(expected):
                cells = expected[sheet]
                rc, columns, rows = view['bounds'][s]
                self.assertEqual(rc, 0, name)
                walked = {}
                for where, kind, number, text in view['walk'].get(s, []):
                    self.assertNotIn(where, walked, '%s %s: walked twice' % (name, where))
                    walked[where] = (kind, number, text)
                self.assertIn(view['end'][s], (0, -1), name)
                for (row, col), value in cells.items():
                    where = '%s %s!%s' % (name, sheet, (row, col))
                    self.assertLess(row, rows, where)
                    self.assertLess(col, columns, where)
                    self.assertIn((row, col), walked, where)
                    self.check_cell(where, value, view['read'].get((s, row, col)),
                                    view['data'].get((s, row, col)), walked[(row, col)])
                # Nothing that xlrd does not see.
                found = {(row, col) for (t, row, col) in view['read'] if t == s}
                self.assertEqual(sorted(found - set(cells)), [], name)
                self.assertEqual(sorted(set(walked) - set(cells)), [], name)

    def test_the_excel95_code_page_decides_the_texts(self):
        path = self.paths.get('ssconvert_biff5_1252')
        if not path:
            self.skipTest('ssconvert missing')
        records = foreign_files.workbook_records(path)
        code_page = next(struct.unpack('<H', data)[0] for _, number, data in records
                         if number == 0x0042)
        self.assertEqual(code_page, 1252)
        view = read_back(path)
        self.assertEqual([view['data'][(0, 0, col)][3] for col in range(3)], list(LATIN))
        self.assertEqual(view['read'][(0, 0, 0)][3], b'caf? \x81\x7d5\x81\x8b')

    def test_a_protected_sheet_refuses_the_workbook(self):
        if not shutil.which('soffice'):
            self.skipTest('soffice missing')
        import openpyxl
        folder = os.path.join(self.folder, 'protected')
        os.makedirs(folder)
        sources = []
        for protect in (False, True):
            book = openpyxl.Workbook()
            book.active['A1'] = 1
            book.create_sheet('Second')['B2'] = 'two'
            book['Second'].protection.sheet = protect
            sources.append(os.path.join(folder, 'protected.xlsx' if protect else 'open.xlsx'))
            book.save(sources[-1])
        made = libreoffice.convert(sources, folder, 'xls')
        self.assertGreaterEqual(read_back(made[sources[0]])['open'], 0)
        self.assertEqual(read_back(made[sources[1]])['open'], -1)


if __name__ == '__main__':
    unittest.main()
