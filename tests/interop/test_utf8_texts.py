"""Narrow texts in UTF-8: a C program from a UTF-8 source writes through every family after
XlsSetCodePage(65001), and xlrd and LibreOffice read what it wrote; TABRIX_CODEPAGE sets the
mode at load, and the control and the tool keep their code page 932 whatever it says."""
import ctypes
import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import olefile
import openpyxl
import xlrd

import libreoffice

SOURCE = os.environ.get('TABRIX_SOURCE', os.path.join(os.path.dirname(__file__), '..', '..'))
TOOLS = os.environ['TABRIX_TOOLS']
LIB_PATH = os.environ['TABRIX_LIB']
CLI = os.environ['TABRIX_CLI']
PACKAGE = os.path.join(SOURCE, 'python')
UTF8_ENV = dict(os.environ, TABRIX_CODEPAGE='utf-8', TABRIX_LIBRARY=LIB_PATH,
                PYTHONPATH=PACKAGE)


def sheet_of(path, **options):
    book = xlrd.open_workbook(path, **options)
    return book, book.sheet_by_index(0)


def header_text(path):
    """The first sheet's HEADER record of an Excel 97 file, as text."""
    with olefile.OleFileIO(path) as ole:
        stream = ole.openstream('Workbook').read()
    at, sheets = 0, 0
    while at + 4 <= len(stream):
        number = int.from_bytes(stream[at:at + 2], 'little')
        length = int.from_bytes(stream[at + 2:at + 4], 'little')
        body = stream[at + 4:at + 4 + length]
        sheets += number == 0x0809
        if number == 0x0014 and sheets == 2:
            count, wide = int.from_bytes(body[:2], 'little'), body[2] & 1
            return body[3:3 + count * (2 if wide else 1)].decode('utf-16-le' if wide else 'latin-1')
        at += 4 + length
    return None


class Utf8Texts(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='tabrix-utf8-')
        run = subprocess.run([os.path.join(TOOLS, 'utf8_texts'), cls.folder],
                             capture_output=True, text=True, timeout=600)
        assert run.returncode == 0, run.stderr
        cls.printed = dict(line.split('=', 1) for line in run.stdout.split())

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder)

    def path(self, name):
        return os.path.join(self.folder, name)

    def test_book_api_texts_names_formats_fonts_and_header(self):
        book, sheet = sheet_of(self.path('請求書 é.xls'), formatting_info=True)
        self.assertEqual(sheet.name, '売上€')
        self.assertEqual([sheet.cell_value(r, 0) for r in range(3)],
                         ['請求書の合計', 'Grüße, café ß', 'ラベル 🧪'])
        xf = book.xf_list[sheet.cell_xf_index(0, 1)]
        self.assertEqual(book.format_map[xf.format_key].format_str, '[Red]#,##0.00" €"')
        fonts = [book.font_list[book.xf_list[sheet.cell_xf_index(r, 2)].font_index].name
                 for r in range(2)]
        self.assertEqual(fonts, ['ＭＳ 明朝', 'Ümlaut Serif'])
        self.assertEqual(header_text(self.path('請求書 é.xls')), '&L左€')

    def test_keywords_and_engine_calls(self):
        _, filled = sheet_of(self.path('記入 ß.xls'))
        self.assertEqual([filled.cell_value(0, 0), filled.cell_value(0, 1),
                          filled.cell_value(1, 0)], [5.0, '円', '山田 José'])
        book, sheet = sheet_of(self.path('engine 🧪.xls'), formatting_info=True)
        self.assertEqual((sheet.name, sheet.cell_value(0, 0)), ('データ é', 'naïve 日本'))
        xf = book.xf_list[sheet.cell_xf_index(0, 1)]
        self.assertEqual((book.format_map[xf.format_key].format_str,
                          book.font_list[xf.font_index].name), ('#,##0 "€"', 'Ümlaut Serif'))

    def test_formula_literals_calculate_in_libreoffice(self):
        paths = [self.path('請求書 é.xls'), self.path('engine 🧪.xls')]
        converted = libreoffice.convert(paths, self.folder)
        invoice = openpyxl.load_workbook(converted[paths[0]], data_only=True).active
        engine = openpyxl.load_workbook(converted[paths[1]], data_only=True).active
        self.assertEqual((invoice['D1'].value, engine['A2'].value), ('合計€ß', '€円'))

    def test_messages_and_code_page_932_unchanged(self):
        utf8 = bytes.fromhex(self.printed['message_utf8']).decode('utf-8')
        cp932 = bytes.fromhex(self.printed['message_cp932']).decode('cp932')
        self.assertEqual(utf8, cp932)
        self.assertRegex(utf8, '[\u3040-\u30ff]')
        _, before = sheet_of(self.path('shift_jis.xls'))
        self.assertEqual(before.cell_value(0, 0), '請求書の合計')


class CodePageSetting(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix='tabrix-codepage-')

    def tearDown(self):
        shutil.rmtree(self.folder)

    def test_environment_sets_utf8_at_load(self):
        probe = ('import ctypes, sys\nlib = ctypes.CDLL(sys.argv[1])\n'
                 'print(lib.XlsSetCodePage(932), lib.XlsSetCodePage(65001))')
        for value, expected in (('utf-8', '65001 932'), ('65001', '65001 932'),
                                ('932', '932 932'), ('latin-1', '932 932')):
            env = dict(os.environ, TABRIX_CODEPAGE=value)
            out = subprocess.run([sys.executable, '-c', probe, LIB_PATH], env=env, check=True,
                                 capture_output=True, text=True, timeout=60).stdout.split()
            self.assertEqual(' '.join(out), expected, value)

    def test_control_and_tool_keep_code_page_932_under_utf8(self):
        made = os.path.join(self.folder, 'control.xls')
        script = ('import sys, tabrix\nc = tabrix.Control()\nc.CreateBook(sys.argv[1], 97, 1)\n'
                  'c.Pos(0, 0).Str = "請求書"\nc.SheetName = "売上"\nc.CloseBook(True)')
        subprocess.run([sys.executable, '-c', script, made], env=UTF8_ENV, check=True,
                       capture_output=True, timeout=600)
        _, sheet = sheet_of(made)
        self.assertEqual((sheet.name, sheet.cell_value(0, 0)), ('売上', '請求書'))

        template = os.path.join(self.folder, 'template.xls')
        lib = ctypes.CDLL(LIB_PATH)
        h = lib.XM_Create97(template.encode(), 1)
        self.assertEqual(lib.XM_WriteStr(h, 0, 0, 0, b'**NAME'), 0)
        self.assertEqual(lib.XM_Close(h), 0)
        data, out = os.path.join(self.folder, 'data.json'), os.path.join(self.folder, 'out.xls')
        with open(data, 'w', encoding='utf-8') as f:
            json.dump({'NAME': '山田'}, f, ensure_ascii=False)
        subprocess.run([CLI, 'fill', template, out, '--json', data], env=UTF8_ENV, check=True,
                       capture_output=True, timeout=600)
        self.assertEqual(sheet_of(out)[1].cell_value(0, 0), '山田')


if __name__ == '__main__':
    unittest.main()
