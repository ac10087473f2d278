"""The tabrix command-line tool on workbooks nobody here wrote (LibreOffice, xlwt, ssconvert):
`cat` gives the values xlrd reads, `fill` output opened by LibreOffice shows the data at the
keyword cells, `from-csv` output read by xlrd equals the CSV, and bad input gives one line on
standard error and a non-zero status, never a crash."""
import csv
import ctypes
import errno
import io
import json
import os
import re
import shutil
import struct
import subprocess
import tempfile
import unittest

import olefile
import openpyxl
from openpyxl.utils.datetime import to_excel
import xlrd
import xlwt

import foreign_files
import libreoffice

CLI = os.environ['TABRIX_CLI']
FILL = {'NAME': '山田 "太郎"', 'DATE': 45000, 'TOTAL': [1.5, 2.5, '=1+2'], 'NOWHERE': 1}
CSV_ROWS = [
    ['id', 'name', 'amount', 'note'],
    ['1', '東京都', '-2.5', 'comma, and "quotes"'],
    ['2', '', '1e-300', 'two\r\nlines'],
    ['007', "'quoted", '1.5e300', 'TRUE '],
    ['', 'ｶﾀｶﾅ', '0', '=A1'],
]


def tabrix(*args, check=True, stdin=None, env=None):
    run = subprocess.run([CLI] + list(args), capture_output=True, timeout=600, input=stdin,
                         env=dict(os.environ, **(env or {})))
    if check and run.returncode != 0:
        raise AssertionError('tabrix %s: %s' % (' '.join(args), run.stderr.decode()))
    return run


def sheets_of_csv(text):
    """{sheet name: rows} of `cat --all-sheets` output."""
    sheets, name, lines = {}, None, []
    for line in text.split('\r\n'):
        if line.startswith('# '):
            name = line[2:]
            sheets[name] = lines = []
        else:
            lines.append(line)
    return {n: list(csv.reader(io.StringIO('\r\n'.join(r)))) for n, r in sheets.items()}


def cell_text(kind, value):
    if kind == 'bool':
        return 'TRUE' if value else 'FALSE'
    return value


class CommandLine(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='tabrix-cli-')
        cls.files = foreign_files.make(os.path.join(cls.folder, 'made'))
        cls.data = os.path.join(cls.folder, 'data.json')
        with open(cls.data, 'w', encoding='utf-8') as f:
            json.dump(FILL, f, ensure_ascii=True)  # \uXXXX escapes for the Japanese
        cls.filled, cls.fill_runs = {}, {}
        for name, path in cls.files.items():
            out = os.path.join(cls.folder, 'filled_%s.xls' % name)
            cls.fill_runs[name] = tabrix('fill', path, out, '--json', cls.data)
            coded = os.path.join(cls.folder, 'coded_%s.xls' % name)
            tabrix('fill', out, coded, '--prefix', '##', 'CODE=42')
            cls.filled[name] = coded
        cls.converted = {}
        if shutil.which('soffice'):
            cls.converted = libreoffice.convert(list(cls.filled.values()),
                                                os.path.join(cls.folder, 'lo'), 'xlsx')

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder)

    def test_cat_gives_the_values_xlrd_reads(self):
        for name, path in self.files.items():
            dumped = sheets_of_csv(tabrix('cat', '--all-sheets', path).stdout.decode('utf-8'))
            expected = foreign_files.xlrd_cells(path)
            self.assertEqual(list(dumped), list(expected), name)
            for sheet, cells in expected.items():
                rows = dumped[sheet]
                got = {(r, c): text for r, row in enumerate(rows) for c, text in enumerate(row)
                       if text != ''}
                want = {place: cell for place, cell in cells.items()
                        if cell[0] != 'blank' and cell[1] != ''}
                self.assertEqual(set(got), set(want), (name, sheet))
                for place, (kind, value) in want.items():
                    if kind == 'number':
                        self.assertEqual(float(got[place]), value, (name, sheet, place))
                    else:
                        self.assertEqual(got[place], cell_text(kind, value), (name, sheet, place))

    def test_info_names_the_format_sheets_and_streams_olefile_finds(self):
        for name, path in self.files.items():
            lines = tabrix('info', path).stdout.decode('utf-8').splitlines()
            excel95 = name.endswith('biff5')
            self.assertEqual(lines[1], 'format: Excel %s' % ('95 (BIFF5)' if excel95 else '97 (BIFF8)'))
            sheets = [line.split()[1] for line in lines if line.startswith('  ') and
                      line.split()[0].isdigit()]
            self.assertEqual(sheets, list(foreign_files.SHEETS), name)
            ole = olefile.OleFileIO(path)
            expected = sorted('%s  %d bytes' % ('/'.join(e), ole.get_size('/'.join(e)))
                              for e in ole.listdir(streams=True, storages=False) if len(e) == 1)
            ole.close()
            listed = sorted(line.strip().replace('\\x05', '\x05').replace('\\x01', '\x01')
                            for line in lines if line.endswith(' bytes'))
            self.assertEqual(listed, expected, name)

    def narrowed(self, path):
        """A copy of the file whose DIMENSIONS records all claim one column."""
        narrow = path + '.narrow.xls'
        shutil.copy(path, narrow)
        ole = olefile.OleFileIO(narrow, write_mode=True)
        stream = bytearray(ole.openstream('Workbook').read())
        for offset, number, data in foreign_files.workbook_records(narrow):
            if number == 0x0200:
                struct.pack_into('<H', stream, offset + 4 + 10, 1)
        ole.write_stream('Workbook', bytes(stream))
        ole.close()
        return narrow

    def test_cat_of_a_sheet_whose_used_range_is_too_small_is_complete(self):
        # Cells beyond the claimed column come unannounced: early in a small sheet, and after
        # more than a megabyte of rows in a large one; to a pipe and into a file alike.
        source = os.path.join(self.folder, 'long.csv')
        with open(source, 'w', newline='') as f:
            f.write('row number %d\r\n' * 65535 % tuple(range(65535)) + 'last,row\r\n')
        long = os.path.join(self.folder, 'long.xls')
        tabrix('from-csv', source, long)
        for path in (self.files['xlwt_biff8'], long):
            expected = tabrix('cat', '--all-sheets', path).stdout
            narrow = self.narrowed(path)
            self.assertEqual(tabrix('cat', '--all-sheets', narrow).stdout, expected)
            into = os.path.join(self.folder, 'narrow.csv')
            with open(into, 'wb') as f:
                subprocess.run([CLI, 'cat', '--all-sheets', narrow], stdout=f, check=True)
            with open(into, 'rb') as f:
                self.assertEqual(f.read(), expected)
        self.assertTrue(expected.endswith(b'row number 65534,\r\nlast,row\r\n'))

    def test_info_tells_each_sheets_visibility_as_xlrd_reads_it(self):
        path = os.path.join(self.folder, 'hidden.xls')
        book = xlwt.Workbook()
        for visibility, name in enumerate(('Shown', 'Hidden', 'Deep')):
            book.add_sheet(name).visibility = visibility
        book.save(path)
        words = {0: 'visible,', 1: 'hidden,', 2: 'very hidden,'}
        lines = tabrix('info', path).stdout.decode('utf-8').splitlines()
        for sheet in xlrd.open_workbook(path).sheets():
            self.assertTrue(any(line.startswith('  %d  %s  %s' % (sheet.number + 1, sheet.name,
                                                                  words[sheet.visibility]))
                                for line in lines), (sheet.name, lines))

    def test_cat_chooses_a_sheet_and_a_format(self):
        path = self.files['xlwt_biff8']
        by_name = tabrix('cat', path, '--sheet', 'Fill', '--format', 'tsv').stdout
        by_number = tabrix('cat', path, '--sheet', '2', '--format', 'tsv').stdout
        self.assertEqual(by_name, by_number)
        self.assertEqual(by_name.split(b'\r\n')[1].split(b'\t')[0], b'1')

    def test_fill_shows_the_data_at_the_keyword_cells_in_libreoffice(self):
        if not self.converted:
            self.skipTest('LibreOffice is not installed')
        for name, filled in self.filled.items():
            book = openpyxl.load_workbook(self.converted[filled], data_only=True)
            values, fill = book['Values'], book['Fill']
            self.assertEqual(values['A1'].value, FILL['NAME'], name)
            # The keyword cell keeps its date format.
            self.assertEqual(to_excel(values['B1'].value), 45000, name)
            self.assertEqual([values['C%d' % r].value for r in (1, 2, 3)], [1.5, 2.5, 3], name)
            self.assertEqual([fill['A%d' % r].value for r in (42, 43, 44)], [1.5, 2.5, 3], name)
            self.assertEqual(values['D1'].value, 42, name)

    def test_a_missing_keyword_is_reported_and_strict_fails(self):
        for run in self.fill_runs.values():
            self.assertIn(b'**NOWHERE', run.stderr)
        out = os.path.join(self.folder, 'strict.xls')
        run = tabrix('fill', self.files['xlwt_biff8'], out, '--strict', 'NOWHERE=1', check=False)
        self.assertEqual(run.returncode, 1)
        self.assertFalse(os.path.exists(out))

    def test_from_csv_is_read_back_by_xlrd(self):
        source = os.path.join(self.folder, 'in.csv')
        with open(source, 'w', encoding='utf-8', newline='') as f:
            csv.writer(f).writerows(CSV_ROWS)
        for flag in ([], ['--excel95']):
            out = os.path.join(self.folder, 'csv%s.xls' % ''.join(flag))
            tabrix('from-csv', source, out, '--sheet-name', '明細', *flag)
            sheet = xlrd.open_workbook(out).sheet_by_index(0)
            self.assertEqual(sheet.name, '明細')
            for r, row in enumerate(CSV_ROWS):
                for c, text in enumerate(row):
                    cell = sheet.cell(r, c) if r < sheet.nrows and c < sheet.ncols else None
                    if text == '':
                        self.assertTrue(cell is None or cell.value == '', (flag, r, c))
                    elif text[0].isdigit() and text != '007' or text[0] == '-':
                        self.assertEqual(cell.value, float(text), (flag, r, c))
                    else:
                        self.assertEqual(cell.value, text, (flag, r, c))
            # And back through cat: a text that looks like a padded boolean stays a text.
            dumped = list(csv.reader(io.StringIO(tabrix('cat', out).stdout.decode('utf-8'))))
            self.assertEqual(dumped[3][1:], ["'quoted", '1.5e+300', 'TRUE '])

    def assert_one_line_failure(self, *args):
        run = tabrix(*args, check=False)
        self.assertGreater(run.returncode, 0, args)  # a status, not a signal
        lines = run.stderr.decode('utf-8').splitlines()
        self.assertEqual(len(lines), 1, (args, lines))
        self.assertTrue(lines[0].startswith('tabrix '), lines)
        return lines[0]

    def test_bad_input_gives_one_clear_line(self):
        good = self.files['xlwt_biff8']
        with open(good, 'rb') as f:
            data = f.read()
        cut = os.path.join(self.folder, 'cut.xls')
        with open(cut, 'wb') as f:
            f.write(data[:len(data) // 2])
        noise = os.path.join(self.folder, 'noise.xls')
        with open(noise, 'wb') as f:
            f.write(bytes(range(256)) * 64)
        missing = os.path.join(self.folder, 'missing.xls')
        for bad in (cut, noise, missing):
            self.assert_one_line_failure('cat', bad)
            self.assert_one_line_failure('info', bad)
            self.assert_one_line_failure('fill', bad, os.path.join(self.folder, 'x.xls'), 'A=1')
        self.assert_one_line_failure('from-csv', missing, os.path.join(self.folder, 'y.xls'))
        bad_json = os.path.join(self.folder, 'bad.json')
        with open(bad_json, 'w') as f:
            f.write('{"NAME": "a",\n  "DATE": [1, 2,, 3]}')
        line = self.assert_one_line_failure('fill', good, os.path.join(self.folder, 'z.xls'),
                                            '--json', bad_json)
        self.assertIn('bad.json:2:', line)

    def test_library_messages_follow_the_locale(self):
        source = os.path.join(self.folder, 'small.csv')
        with open(source, 'w') as f:
            f.write('1,2\n')
        out = os.path.join(self.folder, 'named.xls')

        def message(**env):
            run = tabrix('from-csv', source, out, '--sheet-name', 'a:b', check=False, env=env)
            self.assertEqual(run.returncode, 1)
            return run.stderr.decode('utf-8')
        english = message(LC_ALL='C', LC_MESSAGES='ja_JP.UTF-8', LANG='ja_JP.UTF-8')
        self.assertTrue(english.isascii() and 'parameter' in english, english)
        japanese = message(LC_ALL='', LC_MESSAGES='ja_JP.UTF-8', LANG='C')
        self.assertIn('パラメータエラー', japanese)

    def test_a_file_that_cannot_be_opened_is_named_with_the_reason(self):
        missing = os.path.join(self.folder, 'absent.xls')
        line = self.assert_one_line_failure('cat', missing)
        self.assertEqual(line, "tabrix cat: cannot open '%s': %s"
                         % (missing, os.strerror(errno.ENOENT)))
        out = os.path.join(self.folder, 'no-such-folder', 'out.xls')
        line = self.assert_one_line_failure('from-csv', '-', out)
        self.assertTrue(line.endswith("'%s': %s" % (out, os.strerror(errno.ENOENT))), line)

    def test_dash_is_standard_input_and_output(self):
        temporary = tempfile.mkdtemp(dir=self.folder)
        env = {'TMPDIR': temporary}
        path = self.files['xlwt_biff8']
        with open(path, 'rb') as f:
            piped = tabrix('cat', '-', '--all-sheets', stdin=f.read(), env=env).stdout
        self.assertEqual(piped, tabrix('cat', '--all-sheets', path).stdout)
        rows = [['id', 'name'], ['1', '東京']]
        text = ''.join(','.join(row) + '\r\n' for row in rows).encode('utf-8')
        made = tabrix('from-csv', '-', '-', stdin=text, env=env).stdout
        sheet = xlrd.open_workbook(file_contents=made).sheet_by_index(0)
        self.assertEqual([sheet.row_values(0), sheet.row_values(1)], [rows[0], [1.0, '東京']])
        filled = tabrix('fill', path, '-', 'NAME=x', env=env).stdout
        self.assertEqual(xlrd.open_workbook(file_contents=filled).sheet_names(),
                         xlrd.open_workbook(path).sheet_names())
        self.assertEqual(os.listdir(temporary), [])  # the temporary files are gone

    def test_version_is_the_librarys_and_the_projects(self):
        library = ctypes.CDLL(os.environ['TABRIX_LIB'])
        library.tabrix_version.restype = ctypes.c_char_p
        version = library.tabrix_version().decode()
        with open(os.path.join(os.environ['TABRIX_SOURCE'], 'CMakeLists.txt')) as f:
            project = re.search(r'project\(tabrix VERSION (\S+)', f.read()).group(1)
        self.assertEqual(version, project)
        for flag in ('--version', '-V'):
            self.assertEqual(tabrix(flag).stdout.decode(), 'tabrix %s\n' % version)

    def test_usage_errors_exit_with_2_and_failures_with_1(self):
        good = self.files['xlwt_biff8']
        for args in (['no-such-command'], [], ['info'], ['info', good, good],
                     ['cat', good, '--format', 'xml'], ['cat', good, '--bogus'],
                     ['fill', good], ['from-csv', good, 'a.xls', 'extra']):
            self.assertEqual(tabrix(*args, check=False).returncode, 2, args)
        missing = os.path.join(self.folder, 'missing.xls')
        for args in (['info', missing], ['cat', good, '--sheet', 'NoSuchSheet'],
                     ['from-csv', missing, os.path.join(self.folder, 'w.xls')]):
            self.assertEqual(tabrix(*args, check=False).returncode, 1, args)


if __name__ == '__main__':
    unittest.main()
