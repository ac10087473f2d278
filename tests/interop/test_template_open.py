"""Templates and files opened for modification, on workbooks written by LibreOffice, xlwt and
gnumeric: keyword cells filled, everything else as in the source.

Each source is filled through XM_CreateT, XM_Open with an output file, and XM_Open in place
(saved and discarded). The results are compared with their source by xlrd (values, the keyword
cells' formats, merged ranges, column widths, row heights), by olefile (every stream but the
workbook stream byte for byte), and by LibreOffice, which converts source and result to .xlsx
for openpyxl: the same formulas (recalculated), comments, charts, margins, header and footer,
frozen panes. Files that are protected, encrypted, or hold no workbook stream are refused, and
XM_CheckFile says why.
"""
import os
import shutil
import subprocess
import tempfile
import unittest
import zipfile

import olefile
import openpyxl
import xlrd

import foreign_files
import libreoffice

SOURCE = os.environ.get('TABRIX_SOURCE', os.path.join(os.path.dirname(__file__), '..', '..'))
TOOLS = os.environ.get('TABRIX_TOOLS', os.path.join(SOURCE, 'build', 'tests', 'interop'))
XLS_OPEN = os.path.join(TOOLS, 'xls_open')
CFB_TOOL = os.path.join(TOOLS, 'cfb_tool')

NAME = '山田太郎'
# What each keyword gets: (sheet, keyword, command, value); **TOTAL is on both sheets.
FILLS = ((0, '**NAME', 'strh', NAME), (0, '**DATE', 'numh', '45000'),
         (0, '**TOTAL', 'numh', '1234.5'), (1, '**TOTAL', 'numh', '99'))
FILLED = {(0, 0, 0): ('text', NAME), (0, 0, 1): ('number', 45000.0),
          (0, 0, 2): ('number', 1234.5), (1, 41, 0): ('number', 99.0)}


def hex_text(text):
    return 'x:' + text.encode('cp932').hex()


def run_script(lines):
    done = subprocess.run([XLS_OPEN], input='\n'.join(lines) + '\n', text=True,
                          capture_output=True, check=True)
    return done.stdout.split()


def fill_lines(handle):
    lines = []
    for sheet, key, command, value in FILLS:
        value = hex_text(value) if command == 'strh' else value
        lines.append('%s %d %d %s 0 0 %s' % (command, handle, sheet, hex_text(key), value))
    return lines


def streams(path):
    """{stream path: bytes} of every stream but the workbook stream."""
    with olefile.OleFileIO(path) as ole:
        return {'/'.join(name): ole.openstream(name).read() for name in ole.listdir()
                if name not in (['Workbook'], ['Book'])}


def xlrd_book(path):
    try:
        return xlrd.open_workbook(path, formatting_info=True)
    except Exception:  # xlrd's formatting reader does not take every Excel 95 file
        return None


def cell_look(book, sheet, row, col):
    """Bold, fill colour index and number format of a cell, as xlrd reads its XF."""
    xf = book.xf_list[book.sheet_by_index(sheet).cell_xf_index(row, col)]
    return (book.font_list[xf.font_index].bold, xf.background.pattern_colour_index,
            book.format_map[xf.format_key].format_str)


class TemplateOpen(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='tabrix-template-')
        cls.sources = foreign_files.make(os.path.join(cls.folder, 'sources'))
        cls.results = {}  # (maker, way) -> result path
        for maker, path in cls.sources.items():
            created = os.path.join(cls.folder, maker + '-created.xls')
            opened = os.path.join(cls.folder, maker + '-opened.xls')
            results = run_script(['createt %s %s' % (created, path)] + fill_lines(0) +
                                 ['close 0', 'open %s %s' % (path, opened)] + fill_lines(0) +
                                 ['openclose 0 1'])
            assert results == ['0'] * len(results), (maker, results)
            cls.results[(maker, 'created')] = created
            cls.results[(maker, 'opened')] = opened
        paths = list(cls.sources.values()) + list(cls.results.values())
        cls.xlsx = libreoffice.convert(paths, cls.folder, 'xlsx')

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    def each_result(self):
        return [(maker, way, self.sources[maker], path)
                for (maker, way), path in sorted(self.results.items())]

    def test_values_are_the_sources_with_the_keywords_filled(self):
        for maker, way, source, result in self.each_result():
            with self.subTest(maker=maker, way=way):
                expected = foreign_files.xlrd_cells(source)
                got = foreign_files.xlrd_cells(result)
                self.assertEqual(list(got), list(expected))
                for sheet, name in enumerate(expected):
                    for key in foreign_files.KEYWORD_CELLS:
                        if key.sheet == sheet and key.text.startswith('**'):
                            expected[name].pop((key.row, key.col), None)
                    for (s, row, col), value in FILLED.items():
                        if s == sheet:
                            expected[name][(row, col)] = value
                    self.assertEqual(got[name], expected[name], name)

    def test_keyword_cells_keep_their_format(self):
        for maker, way, source, result in self.each_result():
            with self.subTest(maker=maker, way=way):
                before, after = xlrd_book(source), xlrd_book(result)
                if before is None or after is None:
                    continue  # xlrd reads no formatting of this file
                for sheet, row, col in FILLED:
                    self.assertEqual(cell_look(after, sheet, row, col),
                                     cell_look(before, sheet, row, col), (sheet, row, col))

    def test_merged_ranges_widths_and_heights_are_kept(self):
        for maker, way, source, result in self.each_result():
            with self.subTest(maker=maker, way=way):
                before, after = xlrd_book(source), xlrd_book(result)
                if before is None or after is None:
                    continue  # xlrd reads no formatting of this file
                for b, a in zip(before.sheets(), after.sheets()):
                    self.assertEqual(sorted(a.merged_cells), sorted(b.merged_cells))
                    self.assertEqual({c: i.width for c, i in a.colinfo_map.items()},
                                     {c: i.width for c, i in b.colinfo_map.items()})
                    self.assertEqual({r: (i.height, i.hidden) for r, i in a.rowinfo_map.items()},
                                     {r: (i.height, i.hidden) for r, i in b.rowinfo_map.items()})

    def test_other_streams_are_kept_byte_for_byte(self):
        for maker, way, source, result in self.each_result():
            with self.subTest(maker=maker, way=way):
                self.assertEqual(streams(result), streams(source))

    def test_libreoffice_sees_the_sources_formulas_notes_charts_and_page_setup(self):
        for maker, way, source, result in self.each_result():
            with self.subTest(maker=maker, way=way):
                before, after = self.xlsx[source], self.xlsx[result]
                for data_only in (False, True):
                    b = openpyxl.load_workbook(before, data_only=data_only)
                    a = openpyxl.load_workbook(after, data_only=data_only)
                    for bs, as_ in zip(b.worksheets, a.worksheets):
                        for row in bs.iter_rows():
                            for cell in row:
                                if (b.worksheets.index(bs), cell.row - 1, cell.column - 1) in FILLED:
                                    continue
                                self.assertEqual(as_[cell.coordinate].value, cell.value,
                                                 (bs.title, cell.coordinate, data_only))
                                self.assertEqual(bool(as_[cell.coordinate].comment),
                                                 bool(cell.comment), cell.coordinate)
                        self.assertEqual(as_.freeze_panes, bs.freeze_panes)
                        self.assertEqual(as_.page_setup.orientation, bs.page_setup.orientation)
                        for side in ('left', 'right', 'top', 'bottom', 'header', 'footer'):
                            self.assertAlmostEqual(getattr(as_.page_margins, side),
                                                   getattr(bs.page_margins, side), places=3)
                        self.assertEqual(str(as_.oddHeader.center.text),
                                         str(bs.oddHeader.center.text))
                        self.assertEqual(str(as_.oddFooter.right.text), str(bs.oddFooter.right.text))

                def charts(path):
                    with zipfile.ZipFile(path) as z:
                        return len([n for n in z.namelist() if n.startswith('xl/charts/chart')])
                self.assertEqual(charts(after), charts(before))
                if maker == 'libreoffice_biff8':
                    self.assertTrue(charts(before))  # the check above compared something

    def test_in_place_open_discarded_or_saved(self):
        source = self.sources['xlwt_biff8']
        copy = os.path.join(self.folder, 'in-place.xls')
        shutil.copyfile(source, copy)
        with open(copy, 'rb') as f:
            before = f.read()
        self.assertEqual(run_script(['openinplace ' + copy, 'numh 0 1 %s 0 0 5' %
                                     hex_text('**TOTAL'), 'openclose 0 0']), ['0', '0', '0'])
        with open(copy, 'rb') as f:
            self.assertEqual(f.read(), before)
        self.assertEqual(run_script(['openinplace ' + copy, 'numh 0 1 %s 0 0 5' %
                                     hex_text('**TOTAL'), 'openclose 0 1']), ['0', '0', '0'])
        cells = foreign_files.xlrd_cells(copy)[foreign_files.SHEETS[1]]
        self.assertEqual(cells[(41, 0)], ('number', 5.0))
        # Keyword texts nobody wrote stay in a file opened in place.
        self.assertEqual(foreign_files.xlrd_cells(copy)[foreign_files.SHEETS[0]][(0, 0)],
                         ('text', '**NAME'))

    def test_refused_files(self):
        import xlwt
        protected = os.path.join(self.folder, 'protected.xls')
        book = xlwt.Workbook()
        book.add_sheet('S').write(0, 0, 1)
        book.protect = True
        book.save(protected)
        records = foreign_files.workbook_records(self.sources['xlwt_biff8'])
        stream = b''
        for index, (_, number, data) in enumerate(records):
            stream += number.to_bytes(2, 'little') + len(data).to_bytes(2, 'little') + data
            if index == 0:  # FILEPASS right after the BOF, as an encrypted file has it
                stream += bytes.fromhex('2f00 0600 0000 0100 0100')
        encrypted_stream = os.path.join(self.folder, 'encrypted.bin')
        with open(encrypted_stream, 'wb') as f:
            f.write(stream)
        variants = {'encrypted': ['stream:Workbook=file:' + encrypted_stream],
                    'neither': ['delete:Workbook']}
        refused = {'protected': protected}
        reasons = {'encrypted': '4', 'neither': '3', 'protected': '5'}
        for name, specs in variants.items():
            path = os.path.join(self.folder, name + '.xls')
            shutil.copyfile(self.sources['xlwt_biff8'], path)
            subprocess.run([CFB_TOOL, 'update', path] + specs, check=True)
            refused[name] = path
        for name, path in refused.items():
            with self.subTest(name):
                out = os.path.join(self.folder, name + '-out.xls')
                self.assertEqual(run_script(['createt %s %s' % (out, path),
                                             'open %s %s' % (path, out),
                                             'openinplace ' + path, 'check ' + path]),
                                 ['-5001', '-1', '-1', reasons[name]])
                self.assertFalse(os.path.exists(out))


if __name__ == '__main__':
    unittest.main()
