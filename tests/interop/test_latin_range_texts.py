"""Texts whose characters all lie between U+0080 and U+00FF in an Excel 97 workbook.

Such texts are stored with one byte per character (the low byte of each UTF-16 unit). Cells
and cached formula results are read back by xlrd; the string literals inside formulas are
read from the FORMULA records directly and through LibreOffice, which recalculates them.
"""
import csv
import os
import struct
import subprocess
import tempfile
import unittest

import olefile
import xlrd

SOURCE = os.environ.get('TABRIX_SOURCE', os.path.join(os.path.dirname(__file__), '..', '..'))
TOOLS = os.environ.get('TABRIX_TOOLS', os.path.join(SOURCE, 'build', 'tests', 'interop'))
XLS_FORMULAS = os.path.join(TOOLS, 'xls_formulas')

# Code page 932 has these signs; each converts to a single unit below U+0100.
TEXTS = ['\u00d7\u00b0', '\u00b1\u00a7\u00f7', '\u00b6\u00a8\u00b4', 'a\u00d7b c\u00b0',
         '\u00d7\u65e5\u672c', 'plain']
FORMULA = 0x0006
PTG_STR = 0x17


def hex_text(text):
    return 'x:' + text.encode('cp932').hex()


def formula_literal(text):
    return '"%s"' % text


def string_tokens(tokens):
    """The ptgStr literals of a token list made of ptgStr and ptgConcat only."""
    texts, pos = [], 0
    while pos < len(tokens):
        ptg = tokens[pos]
        pos += 1
        if ptg == 0x08:  # ptgConcat
            continue
        if ptg != PTG_STR:
            raise AssertionError('unexpected token 0x%02x' % ptg)
        count, flags = tokens[pos], tokens[pos + 1]
        pos += 2
        size = count * (2 if flags & 1 else 1)
        raw = tokens[pos:pos + size]
        pos += size
        texts.append(raw.decode('utf-16-le' if flags & 1 else 'latin-1'))
    return texts


def formula_literals(path):
    """(row, column) -> the string literals of each FORMULA record of the first sheet."""
    with olefile.OleFileIO(path) as ole:
        stream = ole.openstream('Workbook').read()
    found, pos = {}, 0
    while pos + 4 <= len(stream):
        number, length = struct.unpack_from('<HH', stream, pos)
        data = stream[pos + 4:pos + 4 + length]
        pos += 4 + length
        if number == FORMULA:
            row, column = struct.unpack_from('<HH', data, 0)
            size = struct.unpack_from('<H', data, 20)[0]
            found[(row, column)] = string_tokens(data[22:22 + size])
    return found


class LatinRangeTexts(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.path = os.path.join(cls.tmp.name, 'latin.xls')
        lines = ['create97 %s 1' % cls.path]
        for row, text in enumerate(TEXTS):
            lines.append('str 0 0 0 %d %s' % (row, hex_text(text)))
            lines.append('func 0 0 1 %d %s' % (row, hex_text(formula_literal(text) + '&"!"')))
            lines.append('func3 0 0 2 %d %s 3 0 %s' % (row, hex_text(formula_literal(text)),
                                                       hex_text(text)))
        lines.append('close 0')
        done = subprocess.run([XLS_FORMULAS], input='\n'.join(lines) + '\n', text=True,
                              capture_output=True, check=True)
        results = done.stdout.split()
        assert len(results) == len(lines) and all(int(r) >= 0 for r in results), done.stdout

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def test_cells_and_cached_results_read_back_in_xlrd(self):
        sheet = xlrd.open_workbook(self.path).sheet_by_index(0)
        for row, text in enumerate(TEXTS):
            self.assertEqual(sheet.cell_value(row, 0), text, 'cell row %d' % row)
            self.assertEqual(sheet.cell_value(row, 2), text, 'cached result row %d' % row)

    def test_formula_literals_hold_the_texts(self):
        literals = formula_literals(self.path)
        for row, text in enumerate(TEXTS):
            self.assertEqual(literals[(row, 1)], [text, '!'], 'row %d' % row)
            self.assertEqual(literals[(row, 2)], [text], 'row %d' % row)

    def test_libreoffice_calculates_the_literals(self):
        out = os.path.join(self.tmp.name, 'csv')
        profile = 'file://' + os.path.join(self.tmp.name, 'lo-profile')
        subprocess.run(
            ['soffice', '--headless', '-env:UserInstallation=' + profile, '--convert-to',
             'csv:Text - txt - csv (StarCalc):44,34,76,1', '--outdir', out, self.path],
            check=True, capture_output=True, timeout=300)
        with open(os.path.join(out, 'latin.csv'), encoding='utf-8', newline='') as f:
            rows = list(csv.reader(f))
        for row, text in enumerate(TEXTS):
            self.assertEqual(rows[row][:3], [text, text + '!', text], 'row %d' % row)


if __name__ == '__main__':
    unittest.main()
