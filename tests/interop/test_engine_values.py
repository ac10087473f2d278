"""Workbooks written through the engine's C interface, read back by xlrd and by LibreOffice.

The files are made by the xls_write tool from a script of calls; every value written is
remembered and compared with what the independent readers find.
"""
import csv
import glob
import math
import os
import random
import shutil
import subprocess
import tempfile
import unittest

import olefile
import xlrd

SOURCE = os.environ.get('TABRIX_SOURCE', os.path.join(os.path.dirname(__file__), '..', '..'))
TOOLS = os.environ.get('TABRIX_TOOLS', os.path.join(SOURCE, 'build', 'tests', 'interop'))
XLS_WRITE = os.path.join(TOOLS, 'xls_write')

RK_LIMIT = 1 << 29


def hex_text(text):
    return 'x:' + text.encode('cp932').hex()


def cut_cp932(text, limit):
    """The text an Excel 95 LABEL keeps: at most `limit` bytes, whole characters."""
    kept, size = '', 0
    for char in text:
        n = len(char.encode('cp932'))
        if size + n > limit:
            break
        kept, size = kept + char, size + n
    return kept


class Script:
    """Calls for xls_write, with the value each cell should read back as."""

    def __init__(self, path, kind, sheets, version=0):
        self.path = path
        self.biff8 = kind == 'create97' or (kind == 'createver' and version not in (0, 95))
        self.lines = ['%s %s %d %d' % (kind, path, sheets, version)]
        self.sheets = sheets
        self.expected = {}  # (sheet, row, column) -> float or str

    def int(self, s, x, y, value):
        self.lines.append('int 0 %d %d %d %d' % (s, x, y, value))
        self.expected[(s, y, x)] = float(value)

    def double(self, s, x, y, value):
        self.lines.append('double 0 %d %d %d %r' % (s, x, y, value))
        self.expected[(s, y, x)] = 0.0 if value == 0 else value

    def text(self, s, x, y, value):
        self.lines.append('str 0 %d %d %d %s' % (s, x, y, hex_text(value)))
        stored = value[1:] if value.startswith("'") else value
        if not self.biff8:
            stored = cut_cp932(stored, 255)
        self.expected[(s, y, x)] = stored

    def run(self):
        self.lines.append('close 0')
        done = subprocess.run([XLS_WRITE], input='\n'.join(self.lines) + '\n', text=True,
                              capture_output=True, check=True)
        results = done.stdout.split()
        bad = [(line, rc) for line, rc in zip(self.lines, results) if rc != '0']
        if len(results) != len(self.lines) or bad:
            raise AssertionError('calls failed: %r' % bad[:5])


class EngineInteropCase(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix='tabrix-engine-')
        self.addCleanup(shutil.rmtree, self.folder, True)

    def file(self, name):
        return os.path.join(self.folder, name)

    def check_xlrd(self, script):
        book = xlrd.open_workbook(script.path, formatting_info=True)
        self.assertEqual(book.biff_version, 80 if script.biff8 else 70)
        # The default fonts and cell formats of a new workbook.
        self.assertEqual(len(book.xf_list), 21)
        self.assertEqual(book.font_list[0].name, 'ＭＳ Ｐゴシック' if script.biff8 else '明朝')
        self.assertEqual(book.font_list[5].height, 120 if script.biff8 else 220)
        self.assertEqual(book.nsheets, script.sheets)
        self.assertEqual([s.name for s in book.sheets()],
                         ['Sheet%d' % (i + 1) for i in range(script.sheets)])
        found = {}
        for s, sheet in enumerate(book.sheets()):
            for r in range(sheet.nrows):
                for c, cell in enumerate(sheet.row(r)):
                    if cell.ctype == xlrd.XL_CELL_EMPTY:
                        continue
                    found[(s, r, c)] = cell.value
        self.assertEqual(len(found), len(script.expected))
        for key, value in script.expected.items():
            self.assertIn(key, found)
            self.assertEqual(found[key], value, 'cell %r' % (key,))
            self.assertEqual(type(found[key]), type(value), 'cell %r' % (key,))
            if isinstance(value, float) and value == 0:
                self.assertEqual(math.copysign(1, found[key]), 1.0, 'zero is stored as +0')

    def check_libreoffice(self, script):
        out = self.file('csv')
        os.makedirs(out, exist_ok=True)
        profile = 'file://' + self.file('lo-profile')
        subprocess.run(
            ['soffice', '--headless', '-env:UserInstallation=' + profile, '--convert-to',
             'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1',
             '--outdir', out, script.path],
            check=True, capture_output=True, timeout=300)
        stem = os.path.splitext(os.path.basename(script.path))[0]
        for s in range(script.sheets):
            names = glob.glob(os.path.join(out, '%s-Sheet%d.csv' % (stem, s + 1)))
            if not names and script.sheets == 1:
                names = [os.path.join(out, stem + '.csv')]
            self.assertTrue(names and os.path.exists(names[0]), 'sheet %d converted' % s)
            with open(names[0], encoding='utf-8', newline='') as f:
                rows = list(csv.reader(f))
            found = {(s, r, c): v for r, row in enumerate(rows) for c, v in enumerate(row) if v}
            expected = {k: v for k, v in script.expected.items() if k[0] == s and v != ''}
            self.assertEqual(sorted(found), sorted(expected), 'sheet %d cells' % s)
            for key, value in expected.items():
                if isinstance(value, float):
                    self.assertTrue(math.isclose(float(found[key]), value, rel_tol=1e-14),
                                    'cell %r: %r != %r' % (key, found[key], value))
                else:
                    self.assertEqual(found[key], value, 'cell %r' % (key,))

    def check_container(self, script):
        ole = olefile.OleFileIO(script.path)
        try:
            self.assertEqual(ole.listdir(), [['Workbook' if script.biff8 else 'Book']])
            self.assertEqual(ole.root.clsid, '00020820-0000-0000-C000-000000000046'
                             if script.biff8 else '00020810-0000-0000-C000-000000000046')
        finally:
            ole.close()

    def check(self, script):
        script.run()
        self.check_container(script)
        self.check_xlrd(script)
        self.check_libreoffice(script)


INTEGERS = [0, 1, -1, 100, RK_LIMIT - 1, RK_LIMIT, -RK_LIMIT, -RK_LIMIT - 1, 2147483647,
            -2147483648, 123456789]
DOUBLES = [0.5, -0.0, 0.0, 1e-300, 1.7976931348623157e308, math.pi, -2.5e10, 0.1, 1 / 3,
           -123456.789, 5e-324]
TEXTS = ['plain ASCII', '日本語のテキスト', 'ﾊﾝｶｸｶﾀｶﾅ', "'123", "'quoted", 'mixed 漢字 and ASCII',
         '①②③ NEC extensions', 'tab\tand "quotes", commas', 'x' * 255, 'あ' * 200]


def fill_values(script, sheet=0):
    for i, value in enumerate(INTEGERS):
        script.int(sheet, 0, i, value)
    for i, value in enumerate(DOUBLES):
        script.double(sheet, 1, i, value)
    for i, value in enumerate(TEXTS):
        script.text(sheet, 2, i, value)
    script.text(sheet, 3, 0, '')


class ValuesTest(EngineInteropCase):
    def test_excel97_values(self):
        script = Script(self.file('values97.xls'), 'create97', 2)
        fill_values(script)
        fill_values(script, 1)
        self.check(script)

    def test_excel95_values(self):
        script = Script(self.file('values95.xls'), 'create', 1)
        fill_values(script)
        script.text(0, 4, 0, 'y' * 300)
        script.text(0, 4, 1, 'b' * 254 + '日')
        self.check(script)

    def test_version_taking_create(self):
        for version in (95, 97, 2000, 2002, 0):
            with self.subTest(version=version):
                script = Script(self.file('ver%d.xls' % version), 'createver', 2, version)
                fill_values(script, 1)
                script.run()
                self.check_xlrd(script)
        script = Script(self.file('ver2002.xls'), 'createver', 1, 2002)
        fill_values(script)
        self.check(script)

    def test_long_and_many_distinct_texts(self):
        script = Script(self.file('texts.xls'), 'create97', 1)
        rng = random.Random(5)
        alphabet = 'abcdefghij日本語漢字かなカナ ｱｲｳ0123456789'
        for i in range(6000):
            length = rng.choice([1, 5, 20, 100, 700])
            script.text(0, i % 7, i // 7, ''.join(rng.choice(alphabet) for _ in range(length)))
        # Long texts that cross the record boundaries several times, 8-bit and 16-bit.
        script.text(0, 8, 0, 'L' * 20000)
        script.text(0, 8, 1, '長' * 20000)
        script.text(0, 8, 2, ('ab' * 4111) + '字' * 5000)
        script.text(0, 8, 3, 'z' * 32767)  # the longest a cell holds
        for i in range(200):  # repeats share entries
            script.text(0, 9, i, 'repeat %d' % (i % 10))
        self.check(script)

    def test_excel95_many_texts(self):
        script = Script(self.file('texts95.xls'), 'create', 1)
        for i in range(3000):
            script.text(0, i % 5, i // 5, '文字列 %d' % i)
        self.check(script)

    def test_sheets_and_out_of_order_writes(self):
        for kind in ('create97', 'create'):
            with self.subTest(kind=kind):
                script = Script(self.file('order-%s.xls' % kind), kind, 4)
                cells = [(s, x, y) for s in range(4) for x in range(0, 256, 17)
                         for y in range(0, 3000, 97)]
                random.Random(3).shuffle(cells)
                for n, (s, x, y) in enumerate(cells):
                    if n % 3 == 0:
                        script.int(s, x, y, y * 1000 + x)
                    elif n % 3 == 1:
                        script.double(s, x, y, y + x / 4)
                    else:
                        script.text(s, x, y, 'セル %d,%d' % (x, y))
                # Rewrites replace the earlier value.
                script.int(2, 17, 97, -5)
                script.text(3, 0, 0, 'replaced')
                self.check(script)


if __name__ == '__main__':
    unittest.main()
