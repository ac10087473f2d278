"""labelora --batch --xls writes the workbook record of the run it prints. xlrd reads the
records back (texts, sheet, column widths, row heights, fill and font colours, borders);
LibreOffice converts them to .xlsx for openpyxl. Runs that have no record, a workbook that
exists and a folder that cannot be written are refused or reported."""
import datetime
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
LABELORA = os.environ.get('LABELORA',
                          os.path.join(TOOLS, '..', '..', 'labelapp', 'ui', 'labelora'))
DATA = os.path.join(SOURCE, 'labelapp', 'data')

SHEET_NAMES = {1: '１１ｍφ円形', 2: '１２ｍｍＸ２４ｍｍ', 3: '１０ｍｍＸ３０ｍｍ', 4: '１２ｍｍＸ４０ｍｍ'}
AUTOMATIC, THIN, MEDIUM = 64, 1, 2
BLACK, WHITE, RED, BLUE, YELLOW, SKY_BLUE = 8, 9, 10, 12, 13, 30
LONG_WORD = '超低温フリーザー保存用検体ラック番号記録表'  # 42 bytes in code page 932


class Run:
    """A batch run and the record it must leave: `rows` are (column A, column B) texts."""

    def __init__(self, name, file_name, options, sheet, rows, one_column=False, coloured=False,
                 text=BLACK, back=WHITE, separator=' ', words=None):
        self.name, self.file_name, self.options = name, file_name, options
        self.sheet, self.rows, self.one_column, self.coloured = sheet, rows, one_column, coloured
        self.text, self.back, self.separator, self.words = text, back, separator, words

    def label_columns(self):
        return [0] if self.one_column else [0, 1]


RUNS = [
    # Round labels, 30 of them, into a folder whose name is longer than 55 bytes and holds
    # 表 (its second byte is a backslash in code page 932); labels.XLS gains ".xls".
    Run('round', os.path.join('記録表・ラベル印刷の控え・二〇二六年三月分', 'labels.XLS'),
        ['--sheet', '1', '--layout', '1', '--text', '血清', '--count', '30'], 1,
        [('血清', '%04d' % n) for n in range(1, 31)]),
    # Round labels with the frame: medium borders in the label's sky blue; two copies each.
    Run('ring', 'ring.xls',
        ['--sheet', '1', '--layout', '2', '--text', 'ABC', '--letter', 'B', '--count', '3',
         '--repeat', '2', '--frame', '--background', 'SkyBlue', '--text-colour', 'Red'], 1,
        [('ABC', 'B001'), ('ABC', 'B001'), ('ABC', 'B002')], coloured=True, text=RED,
        back=SKY_BLUE),
    # One line on the 12 x 24 mm sheet: thin borders on three columns.
    Run('m9', 'm9.xls',
        ['--sheet', '2', '--layout', '9', '--text', 'ABCDEF', '--count', '2', '--background',
         'Yellow', '--text-colour', 'Blue'], 2,
        [('ABCDEF 001', ''), ('ABCDEF 002', '')], one_column=True, text=BLUE, back=YELLOW),
    # A framed one-line layout on the 12 x 40 mm sheet: the heading runs past 40 bytes; the
    # text and the folder name have characters that code page 932 lacks.
    Run('framed', os.path.join('Données', 'framed.xls'),
        ['--sheet', '4', '--layout', '10', '--text', 'Crème', '--count', '3', '--separator',
         'two-blanks', '--background', 'Red', '--text-colour', 'Blue'], 4,
        [('Crème  %03d' % n, '') for n in range(1, 4)], one_column=True, coloured=True,
        text=BLUE, back=RED, separator='  '),
    # A word of 42 bytes makes a label line of 47.
    Run('long', 'long.xls',
        ['--sheet', '3', '--layout', '5', '--word1', LONG_WORD, '--text', '棚', '--count',
         '2'], 3, [(LONG_WORD + ' %04d' % n, '棚') for n in range(1, 3)], words=[LONG_WORD]),
]


def make_data_folder(parent, name, words=None):
    folder = os.path.join(parent, name)
    os.makedirs(folder)
    for file in ('start.txt', 'DB1.txt', 'DB3.txt'):
        shutil.copy(os.path.join(DATA, file), folder)
    if words:
        with open(os.path.join(folder, 'DB1.txt'), 'wb') as out:
            out.write(''.join(w + '\r\n' for w in words).encode('cp932'))
    return folder


def batch(folder, pdf, *options):
    env = dict(os.environ)
    env.pop('DISPLAY', None)
    return subprocess.run([LABELORA, '--batch', '--data-dir', folder, '--pdf', pdf, *options],
                          capture_output=True, text=True, env=env, timeout=300)


def today():
    return datetime.date.today().strftime('%y/%m/%d')


def hex_rgb(book, index):
    return 'FF%02X%02X%02X' % book.colour_map[index]


@unittest.skipUnless(os.path.exists(LABELORA), 'labelora is not built')
class LabelExport(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix='labelora-xls-')
        dates = {today()}
        cls.written, cls.stdout = {}, {}
        for run in RUNS:
            folder = make_data_folder(cls.tmp, run.name, run.words)
            target = os.path.join(cls.tmp, run.file_name)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            done = batch(folder, os.path.join(folder, 'labels.pdf'), *run.options, '--xls', target)
            if done.returncode != 0:
                raise AssertionError('%s: %s' % (run.name, done.stderr))
            cls.stdout[run.name] = done.stdout
            cls.written[run.name] = target if target.endswith('.xls') else target + '.xls'
        dates.add(today())
        cls.headings = {
            run.name: {'内容　(%s%s%sラベル)' % (d, run.separator, SHEET_NAMES[run.sheet])
                       for d in dates}
            for run in RUNS}
        # LibreOffice gets plain names: it is the reader here, not the file names.
        plain = {}
        for run in RUNS:
            plain[run.name] = os.path.join(cls.tmp, 'lo', run.name + '.xls')
            os.makedirs(os.path.dirname(plain[run.name]), exist_ok=True)
            shutil.copy(cls.written[run.name], plain[run.name])
        converted = libreoffice.convert(plain.values(), os.path.join(cls.tmp, 'lo'))
        cls.xlsx = {name: converted[path] for name, path in plain.items()}

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def test_the_chosen_name_gains_xls_unless_it_ends_in_it(self):
        round_target = os.path.join(self.tmp, RUNS[0].file_name)
        self.assertFalse(os.path.exists(round_target))
        self.assertTrue(os.path.exists(round_target + '.xls'))
        self.assertIn('workbook to %s.xls\n' % round_target, self.stdout['round'])
        self.assertGreater(len(round_target.encode('cp932')), 55)

    def test_xlrd_reads_each_record(self):
        for run in RUNS:
            with self.subTest(run=run.name):
                book = xlrd.open_workbook(self.written[run.name], formatting_info=True)
                self.assertEqual(book.sheet_names(), ['Sheet1', 'Sheet2', 'Sheet3'])
                sheet = book.sheet_by_index(0)
                heading = [sheet.cell_value(0, c) for c in range(2 if run.one_column else 3)]
                self.assertEqual(heading[:-1], ['文字'] if run.one_column else ['上段', '下段'])
                self.assertIn(heading[-1], self.headings[run.name])
                self.assertEqual(sheet.nrows, 1 + len(run.rows))
                texts = [tuple(sheet.cell_value(r, c) for c in (0, 1))
                         for r in range(1, sheet.nrows)]
                self.assertEqual(texts, run.rows)

                width = 5 if run.sheet == 1 else 10
                widths = {c: info.width for c, info in sheet.colinfo_map.items()}
                expected = {0: width, 1: 50} if run.one_column else {0: width, 1: width, 2: 50}
                self.assertEqual(widths, {c: 256 * w + 159 for c, w in expected.items()})
                self.assertEqual({r: sheet.rowinfo_map[r].height for r in range(1, sheet.nrows)},
                                 {r: 400 for r in range(1, sheet.nrows)})

                def xf(r, c):
                    index = sheet.cell_xf_index(r, c) if c < sheet.row_len(r) else -1
                    return book.xf_list[index] if index >= 0 else None

                def border(r, c):
                    b = xf(r, c) and xf(r, c).border
                    if not b:
                        return None
                    return {(b.top_line_style, b.top_colour_index),
                            (b.bottom_line_style, b.bottom_colour_index),
                            (b.left_line_style, b.left_colour_index),
                            (b.right_line_style, b.right_colour_index)}

                for c in range(3):
                    self.assertEqual(border(0, c), {(THIN, AUTOMATIC)}, 'heading column %d' % c)
                for r in range(1, sheet.nrows):
                    for c in (0, 1):
                        style = xf(r, c)
                        self.assertEqual((style.background.fill_pattern,
                                          style.background.pattern_colour_index), (1, run.back))
                        self.assertEqual(book.font_list[style.font_index].colour_index, run.text)
                    for c in range(3):
                        if not run.coloured:
                            want = {(THIN, AUTOMATIC)}
                        elif c in run.label_columns():
                            want = {(MEDIUM, run.back)}
                        else:
                            want = None
                        got = border(r, c)
                        if want is None and got == {(0, 0)}:
                            got = None  # a cell without borders
                        self.assertEqual(got, want, 'row %d column %d' % (r, c))

    def test_libreoffice_shows_the_same_record(self):
        for run in RUNS:
            with self.subTest(run=run.name):
                palette = xlrd.open_workbook(self.written[run.name], formatting_info=True)
                book = openpyxl.load_workbook(self.xlsx[run.name])
                self.assertEqual(book.sheetnames, ['Sheet1', 'Sheet2', 'Sheet3'])
                sheet = book.worksheets[0]
                self.assertIn(sheet.cell(1, 2 if run.one_column else 3).value,
                              self.headings[run.name])
                for r, (a, b) in enumerate(run.rows, start=2):
                    self.assertEqual(sheet.cell(r, 1).value, a)
                    self.assertEqual(sheet.cell(r, 2).value or '', b)
                    self.assertAlmostEqual(sheet.row_dimensions[r].height, 20, places=1)
                    for c in (1, 2):
                        cell = sheet.cell(r, c)
                        self.assertEqual(cell.fill.fgColor.rgb, hex_rgb(palette, run.back))
                        self.assertEqual(cell.font.color.rgb, hex_rgb(palette, run.text))
                    edges = sheet.cell(r, 1).border
                    sides = [edges.top, edges.bottom, edges.left, edges.right]
                    if run.coloured:
                        self.assertEqual({s.style for s in sides}, {'medium'})
                        self.assertEqual({s.color.rgb for s in sides},
                                         {hex_rgb(palette, run.back)})
                    else:
                        self.assertEqual({s.style for s in sides}, {'thin'})
                third = sheet.cell(2, 3).border.left.style
                self.assertEqual(third, None if run.coloured else 'thin')
                width = 5 if run.sheet == 1 else 10
                widths = [sheet.column_dimensions[c].width for c in 'AB']
                self.assertTrue(width < widths[0] < width + 1, widths)
                wide = widths[1] if run.one_column else sheet.column_dimensions['C'].width
                self.assertTrue(50 < wide < 51, wide)


@unittest.skipUnless(os.path.exists(LABELORA), 'labelora is not built')
class LabelExportRefusals(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix='labelora-xls-')
        self.folder = make_data_folder(self.tmp, 'data')
        self.pdf = os.path.join(self.tmp, 'labels.pdf')
        with open(os.path.join(self.folder, 'start.txt'), 'rb') as f:
            self.start = f.read()

    def tearDown(self):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def assert_nothing_printed(self, done):
        self.assertEqual(done.returncode, 1, done.stderr)
        self.assertFalse(os.path.exists(self.pdf))
        with open(os.path.join(self.folder, 'start.txt'), 'rb') as f:
            self.assertEqual(f.read(), self.start)

    def test_layouts_without_a_serial_record_are_refused(self):
        target = os.path.join(self.tmp, 'none.xls')
        for sheet, layout, extra in (('1', '8', ['--memo', 'a']), ('2', '17', []),
                                     ('2', '12', ['--text', 'x']), ('3', '12', ['--text', 'x']),
                                     ('4', '3', []), ('4', '7', [])):
            with self.subTest(sheet=sheet, layout=layout):
                done = batch(self.folder, self.pdf, '--sheet', sheet, '--layout', layout,
                             *extra, '--xls', target)
                self.assert_nothing_printed(done)
                self.assertIn('has no serial record', done.stderr)
                self.assertFalse(os.path.exists(target))

    def test_an_existing_workbook_is_replaced_only_when_asked(self):
        target = os.path.join(self.tmp, 'kept.xls')
        with open(target, 'wb') as f:
            f.write(b'old')
        done = batch(self.folder, self.pdf, '--count', '2', '--xls', target)
        self.assert_nothing_printed(done)
        self.assertIn('--overwrite', done.stderr)
        with open(target, 'rb') as f:
            self.assertEqual(f.read(), b'old')

        done = batch(self.folder, self.pdf, '--count', '2', '--text', 'AB', '--xls', target,
                     '--overwrite')
        self.assertEqual(done.returncode, 0, done.stderr)
        sheet = xlrd.open_workbook(target).sheet_by_index(0)
        self.assertEqual(sheet.col_values(1, 1), ['0001', '0002'])

    def test_a_workbook_that_cannot_be_saved_leaves_the_one_it_would_replace(self):
        # The disk (a small tmpfs in a mount namespace of the test's own) holds the old
        # workbook and has no room for the new one.
        old = os.path.join(self.tmp, 'old.xls')
        done = batch(self.folder, self.pdf, '--count', '2', '--xls', old)
        self.assertEqual(done.returncode, 0, done.stderr)
        os.remove(self.pdf)
        disk = os.path.join(self.tmp, 'disk')
        os.mkdir(disk)
        script = ('mount -t tmpfs -o size=16k tabrix-full "$1" || exit 77\n'
                  'cp "$2" "$1/kept.xls"\n'
                  'shift 2\n'
                  '"$@"\n'
                  'echo "status $?"\n'
                  'cmp -s "$(dirname "$0")/old.xls" "$OUT/kept.xls" && echo kept\n'
                  'ls -A "$OUT"\n')
        env = dict(os.environ, OUT=disk)
        env.pop('DISPLAY', None)
        done = subprocess.run(
            ['unshare', '--mount', '--map-root-user', 'sh', '-c', script,
             os.path.join(self.tmp, 'x'), disk, old, LABELORA, '--batch', '--data-dir',
             self.folder, '--pdf', self.pdf, '--count', '150', '--xls',
             os.path.join(disk, 'kept.xls'), '--overwrite'],
            capture_output=True, text=True, env=env, timeout=300)
        if done.returncode == 77 or 'status' not in done.stdout:
            self.skipTest('no mount namespace here: ' + done.stderr.strip())
        self.assertEqual(done.stdout.split()[-4:], ['status', '1', 'kept', 'kept.xls'],
                         done.stderr)
        self.assertIn('kept.xls（5：', done.stderr)

    def test_a_folder_that_cannot_be_written_is_reported(self):
        for target in (os.path.join(self.tmp, 'missing', 'x.xls'),
                       os.path.join(self.folder, 'start.txt', 'x.xls')):
            with self.subTest(target=target):
                done = batch(self.folder, self.pdf, '--count', '2', '--xls', target)
                self.assertEqual(done.returncode, 1)
                self.assertTrue(os.path.exists(self.pdf))  # the labels were printed
                lines = [line for line in done.stderr.splitlines()
                         if line.startswith('labelora: ワークブックを作成できません：' + target)]
                self.assertEqual(len(lines), 1, done.stderr)
                # The library's number and message follow the name.
                reason = lines[0][len('labelora: ワークブックを作成できません：' + target):]
                self.assertRegex(reason, r'^（[1-9][0-9]*：.+）$')
                self.assertNotIn('\ufffd', reason)
                self.assertNotIn('workbook to', done.stdout)
                os.remove(self.pdf)


if __name__ == '__main__':
    unittest.main()
