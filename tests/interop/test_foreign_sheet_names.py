"""Sheet names and texts outside code page 932 in workbooks of other programs: Excel 97 files
by LibreOffice and xlwt whose sheets are named in German, Korean, Greek and French, and an
Excel 95 file by gnumeric in code page 1252.

Each is filled through XM_CreateT and through XM_Open in place; xlrd reads the results' sheet
names and texts (Excel 95 by its CODEPAGE record), LibreOffice recalculates the formulas that
name other sheets, and read mode gives the names through XM_GetSheetNameW. Texts the Excel 95
file's code page cannot hold are refused and leave nothing behind."""
import os
import shutil
import struct
import subprocess
import tempfile
import unittest

import xlrd

import libreoffice

SOURCE = os.environ.get('TABRIX_SOURCE', os.path.join(os.path.dirname(__file__), '..', '..'))
TOOLS = os.environ.get('TABRIX_TOOLS', os.path.join(SOURCE, 'build', 'tests', 'interop'))

NAMES97 = ['Größe', '한국어', 'Δοκιμή', 'café']
FORMULA97 = "='한국어'!A1+'Δοκιμή'!A1+'café'!A1"  # on Größe!A2: 20 + 30 + 40
NAMES95 = ['Übersicht', 'Données']
FILLED = 'Größe'


def narrow(text):
    return 'x:' + text.encode('cp932').hex()


def wide(text):
    return 'w:' + ''.join('%04x' % unit for unit in
                          struct.unpack('<%dH' % len(text), text.encode('utf-16-le')))


def run_script(lines):
    done = subprocess.run([os.path.join(TOOLS, 'xls_open')], input='\n'.join(lines) + '\n',
                          text=True, capture_output=True, check=True)
    return [int(rc) for rc in done.stdout.split()]


def read_mode_names(path):
    out = subprocess.run([os.path.join(TOOLS, 'xls_read'), path], check=True,
                         capture_output=True, text=True).stdout
    return [bytes.fromhex(line.split()[2][2:]).decode('utf-16-be')
            for line in out.splitlines() if line.startswith('name ')]


def xlrd_texts(path):
    """[(sheet name, [[cell values of each row]])] and the code page."""
    book = xlrd.open_workbook(path)
    return book.codepage, [(sheet.name, [sheet.row_values(row) for row in range(sheet.nrows)])
                           for sheet in book.sheets()]


class ForeignSheetNames(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        import openpyxl
        import xlwt
        cls.folder = tempfile.mkdtemp(prefix='tabrix-sheetnames-')
        cls.sources = {}
        book = openpyxl.Workbook()
        book.active.title = NAMES97[0]
        for name in NAMES97[1:]:
            book.create_sheet(name)
        for i, name in enumerate(NAMES97):
            book[name]['A1'] = 10 * (i + 1)
            book[name]['B1'] = name
        book[NAMES97[0]]['A2'] = FORMULA97
        book[NAMES97[0]]['A3'] = '**NAME'
        xlsx = cls.path('names.xlsx')
        book.save(xlsx)
        if shutil.which('soffice'):
            cls.sources['libreoffice'] = libreoffice.convert([xlsx], cls.folder, 'xls')[xlsx]

        book = xlwt.Workbook(encoding='utf-8')
        sheets = [book.add_sheet(name) for name in NAMES97]
        for i, sheet in enumerate(sheets):
            sheet.write(0, 0, 10 * (i + 1))
            sheet.write(0, 1, NAMES97[i])
        sheets[0].write(1, 0, xlwt.Formula(FORMULA97[1:]))
        sheets[0].write(2, 0, '**NAME')
        cls.sources['xlwt'] = cls.path('xlwt.xls')
        book.save(cls.sources['xlwt'])

        if shutil.which('ssconvert'):
            book = openpyxl.Workbook()
            book.active.title = NAMES95[0]
            book.create_sheet(NAMES95[1])
            book[NAMES95[0]]['A1'] = '**NAME'
            book[NAMES95[0]]['A2'] = '=Données!A1*3'
            book[NAMES95[0]]['B2'] = 'déjà vu'
            book[NAMES95[1]]['A1'] = 7
            book[NAMES95[1]]['B1'] = 'Straße'
            xlsx = cls.path('latin.xlsx')
            book.save(xlsx)
            cls.sources['gnumeric95'] = cls.path('gnumeric95.xls')
            # An .xlsx source and an English Windows language make gnumeric write code page 1252.
            subprocess.run(['ssconvert', '-T', 'Gnumeric_Excel:excel_biff7', xlsx,
                            cls.sources['gnumeric95']], check=True, capture_output=True,
                           timeout=600,
                           env=dict(os.environ, HOME=cls.folder, WINDOWS_LANGUAGE='en_US'))

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    @classmethod
    def path(cls, name):
        return os.path.join(cls.folder, name)

    def fill(self, maker, lines95=(), lines97=()):
        """Template copy and in-place save of the maker's file: (created, opened, results)."""
        source = self.sources.get(maker)
        if not source:
            self.skipTest('no %s file' % maker)
        created, opened = self.path(maker + '-created.xls'), self.path(maker + '-opened.xls')
        shutil.copyfile(source, opened)
        extra = lines95 if maker == 'gnumeric95' else lines97
        results = run_script(['createt %s %s' % (created, source)] + list(extra) +
                             ['close 0', 'openinplace ' + opened,
                              'strhw 0 0 %s 0 0 %s' % (wide('**NAME'), wide(FILLED)),
                              'openclose 0 1'])
        return created, opened, results

    def recalculated(self, path, sheet):
        """The rows of one sheet as LibreOffice computes them."""
        folder = self.path('csv-' + os.path.basename(path))
        os.makedirs(folder, exist_ok=True)
        libreoffice.convert([path], folder, 'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,'
                                            'false,true,false,false,false,-1')
        base = os.path.splitext(os.path.basename(path))[0]
        with open(os.path.join(folder, 'out', '%s-%s.csv' % (base, sheet)),
                  encoding='utf-8') as f:
            return [line.rstrip('\n').split(',') for line in f]

    def test_excel97_names_stay_exact(self):
        for maker in ('libreoffice', 'xlwt'):
            with self.subTest(maker=maker):
                self.assertEqual(read_mode_names(self.sources[maker]), NAMES97)
                created, opened, results = self.fill(maker, lines97=[
                    'sheetnamew 0 3 ' + wide('Ωmega café'),
                    'copysheetw 0 1 4 ' + wide('복사본')])
                self.assertEqual(results, [0] * len(results))
                names = NAMES97[:3] + ['Ωmega café', '복사본']
                for path, expected in ((created, names), (opened, NAMES97)):
                    _, sheets = xlrd_texts(path)
                    self.assertEqual([name for name, _ in sheets], expected)
                    self.assertEqual(read_mode_names(path), expected)
                    self.assertEqual(sheets[1][1][0][1], '한국어')
                _, sheets = xlrd_texts(opened)
                self.assertEqual(sheets[0][1][2][0], FILLED)
                if shutil.which('soffice'):
                    for path in (created, opened):
                        self.assertEqual(self.recalculated(path, NAMES97[0])[1][0], '90', path)

    def test_excel95_texts_in_the_files_code_page(self):
        source = self.sources.get('gnumeric95')
        if not source:
            self.skipTest('ssconvert missing')
        code_page, _ = xlrd_texts(source)
        self.assertEqual(code_page, 1252)
        self.assertEqual(read_mode_names(source), NAMES95)
        created, opened, results = self.fill('gnumeric95', lines95=[
            # A code page 932 text that code page 1252 holds, and a UTF-16 one.
            'strh 0 0 %s 0 0 %s' % (narrow('**NAME'), narrow('±5°')),
            'strw 0 0 2 0 ' + wide(FILLED),
            'func 0 0 3 0 ' + narrow('="×"&"1"'),
            # What code page 1252 lacks is refused and leaves nothing.
            'strw 0 0 4 0 ' + wide('東京'),
            'str 0 0 4 0 ' + narrow('東京'),
            'func 0 0 4 0 ' + narrow('="東"'),
            'sheetnamew 0 1 ' + wide('Ελλάδα'),
            'copysheetw 0 0 2 ' + wide('Ελλάδα'),
            # The formula naming the renamed sheet follows it.
            'sheetnamew 0 1 ' + wide('Données à part'),
            'copysheetw 0 0 2 ' + wide('Übersicht copie')])
        self.assertEqual(results[:4] + results[9:], [0] * (len(results) - 5))
        self.assertEqual(results[4:6], [-34, -34])
        self.assertLessEqual(results[6], -100)
        self.assertEqual(results[7:9], [-34, -34])

        names = [NAMES95[0], 'Données à part', 'Übersicht copie']
        for path, expected in ((created, names), (opened, NAMES95)):
            code_page, sheets = xlrd_texts(path)
            self.assertEqual(code_page, 1252)
            self.assertEqual([name for name, _ in sheets], expected)
            self.assertEqual(read_mode_names(path), expected)
            self.assertEqual(sheets[0][1][1][:2], [21.0, 'déjà vu'])
            self.assertEqual(sheets[1][1][0][1], 'Straße')
        _, sheets = xlrd_texts(created)
        self.assertEqual(sheets[0][1][0][:3], ['±5°', '', FILLED])
        self.assertEqual(len(sheets[0][1][0]), 4, 'nothing at the refused cell')
        self.assertEqual(sheets[2][1], sheets[0][1])
        _, sheets = xlrd_texts(opened)
        self.assertEqual(sheets[0][1][0][0], FILLED)
        if shutil.which('soffice'):
            rows = self.recalculated(created, NAMES95[0])
            self.assertEqual(rows[0][3], '×1')
            self.assertEqual(rows[1][0], '21')
            self.assertEqual(self.recalculated(created, names[2])[1][0], '21')


if __name__ == '__main__':
    unittest.main()
