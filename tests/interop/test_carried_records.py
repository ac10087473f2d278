"""What a template copy (XM_CreateT) and an in-place save (XM_Open without an output file)
keep of workbooks written by LibreOffice, gnumeric and xlwt, and what read mode reads of them:

- texts that go on in CONTINUE records: an Excel 95 LABEL over 2,072 bytes (gnumeric) and a
  formula's text result over 8 KB (LibreOffice, Excel 97), read whole by a single fetch, the
  block walk, `tabrix cat` and a file opened for modification, and kept on save (gnumeric and
  xlrd read them back, LibreOffice shows the formula's result);
- a pivot table (LibreOffice's DataPilot): LibreOffice still finds it, at the same place;
- the calculation settings of a workbook that iterates on purpose: LibreOffice still iterates
  and the circular formula keeps a number;
- hyperlink tooltips (gnumeric), as xlrd reads them;
- printer settings that go on in CONTINUE records (added by hand to an xlwt file: no program
  here writes them), record for record;
- scenarios and a tab colour (LibreOffice).
"""
import csv
import io
import os
import shutil
import subprocess
import tempfile
import unittest

import openpyxl
import xlrd
import xlwt

import calc_uno
import foreign_files

SOURCE = os.environ.get('TABRIX_SOURCE', os.path.join(os.path.dirname(__file__), '..', '..'))
TOOLS = os.environ.get('TABRIX_TOOLS', os.path.join(SOURCE, 'build', 'tests', 'interop'))
CLI = os.environ.get('TABRIX_CLI', os.path.join(SOURCE, 'build', 'tools', 'tabrix'))
CFB_TOOL = os.path.join(TOOLS, 'cfb_tool')

CONTINUE, LABEL, STRING, PLS, SETUP = 0x003C, 0x0204, 0x0207, 0x004D, 0x00A1

LONG_LABEL = ''.join(chr(ord('a') + i % 26) for i in range(5000))
# (row, formula as UNO gives it, its text): compressed characters, and 16-bit ones.
LONG_RESULTS = ((0, '=REPT("ab";5000)', 'ab' * 5000), (1, '=REPT("é東";3000)', 'é東' * 3000))

GNUMERIC_LINKS = '''<?xml version="1.0" encoding="UTF-8"?>
<gnm:Workbook xmlns:gnm="http://www.gnumeric.org/v10.dtd">
 <gnm:SheetNameIndex><gnm:SheetName>Links</gnm:SheetName></gnm:SheetNameIndex>
 <gnm:Sheets><gnm:Sheet><gnm:Name>Links</gnm:Name><gnm:MaxCol>2</gnm:MaxCol><gnm:MaxRow>2</gnm:MaxRow>
  <gnm:Styles>%s</gnm:Styles>
  <gnm:Cells>
   <gnm:Cell Row="0" Col="0" ValueType="60">site</gnm:Cell>
   <gnm:Cell Row="1" Col="1" ValueType="60">other</gnm:Cell>
  </gnm:Cells>
 </gnm:Sheet></gnm:Sheets>
</gnm:Workbook>
'''
GNUMERIC_LINK = '''<gnm:StyleRegion startCol="%d" startRow="%d" endCol="%d" endRow="%d">
 <gnm:Style HAlign="1" VAlign="2" Fore="0:0:0" Back="FFFF:FFFF:FFFF" PatternColor="0:0:0"
  Format="General"><gnm:HyperLink type="GnmHLinkURL" target="%s" tip="%s"/></gnm:Style>
</gnm:StyleRegion>'''


def run_script(lines):
    done = subprocess.run([os.path.join(TOOLS, 'xls_open')], input='\n'.join(lines) + '\n',
                          text=True, capture_output=True, check=True)
    return done.stdout.split()


def ssconvert(source, target, exporter=None):
    command = ['ssconvert'] + (['-T', exporter] if exporter else []) + [source, target]
    subprocess.run(command, check=True, capture_output=True, timeout=600,
                   env=dict(os.environ, HOME=os.path.dirname(target)))


def continued(path, number):
    """Whether a record of that number is followed by a CONTINUE record."""
    records = [n for _, n, _ in foreign_files.workbook_records(path)]
    return any(a == number and b == CONTINUE for a, b in zip(records, records[1:]))


def cell_text(path, sheet, row, col):
    """{way: (result, text)} as xls_text reads the cell: fetch, walk and memory."""
    out = subprocess.run([os.path.join(TOOLS, 'xls_text'), path, str(sheet), str(row), str(col)],
                         capture_output=True, text=True, check=True).stdout
    texts = {}
    for line in out.splitlines():
        way, rc, *digits = line.split()
        units = bytes.fromhex(digits[0]) if digits else b''
        texts[way] = (int(rc), units.decode('utf-16-be'))
    return texts


class CarriedRecords(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='tabrix-carried-')
        cls.calc = calc_uno.CalcSession(cls.folder)
        try:
            cls.make_sources()
        except BaseException:
            cls.tearDownClass()
            raise

    @classmethod
    def make_sources(cls):
        cls.sources = {}
        cls.make_long_label()
        cls.make_long_results()
        cls.make_pivot_table()
        cls.make_iteration()
        cls.make_scenario_and_tab_colour()
        cls.make_tooltips()
        cls.make_printer_settings()
        cls.results = {}  # name -> [template copy, saved in place]
        for name, source in cls.sources.items():
            created = os.path.join(cls.folder, name + '-created.xls')
            in_place = os.path.join(cls.folder, name + '-in-place.xls')
            shutil.copyfile(source, in_place)
            rcs = run_script(['createt %s %s' % (created, source), 'close 0',
                              'openinplace ' + in_place, 'openclose 0 1'])
            assert rcs == ['0'] * 4, (name, rcs)
            cls.results[name] = [created, in_place]

    @classmethod
    def tearDownClass(cls):
        cls.calc.close()
        shutil.rmtree(cls.folder, ignore_errors=True)

    @classmethod
    def path(cls, name):
        return os.path.join(cls.folder, name)

    @classmethod
    def make_long_label(cls):
        book = openpyxl.Workbook()
        book.active['A1'] = 'short'
        book.active['B2'] = LONG_LABEL
        book.active['A3'] = 42
        book.save(cls.path('long.xlsx'))
        cls.sources['long_label'] = cls.path('long_label.xls')
        ssconvert(cls.path('long.xlsx'), cls.sources['long_label'], 'Gnumeric_Excel:excel_biff7')
        assert continued(cls.sources['long_label'], LABEL)

    @classmethod
    def make_long_results(cls):
        with cls.calc.document() as document:
            sheet = document.Sheets.getByIndex(0)
            for row, formula, _ in LONG_RESULTS:
                sheet.getCellByPosition(0, row).Formula = formula
            sheet.getCellByPosition(0, 2).Value = 7
            cls.sources['long_results'] = cls.path('long_results.xls')
            cls.calc.store_xls(document, cls.sources['long_results'])
        assert continued(cls.sources['long_results'], STRING)

    @classmethod
    def make_pivot_table(cls):
        from com.sun.star.sheet.DataPilotFieldOrientation import DATA, ROW
        from com.sun.star.table import CellAddress, CellRangeAddress
        with cls.calc.document() as document:
            sheet = document.Sheets.getByIndex(0)
            rows = (('Region', 'Item', 'Amount'), ('North', 'A', 10), ('South', 'B', 20),
                    ('North', 'B', 5), ('South', 'A', 7))
            for y, row in enumerate(rows):
                for x, value in enumerate(row):
                    cell = sheet.getCellByPosition(x, y)
                    if isinstance(value, str):
                        cell.String = value
                    else:
                        cell.Value = value
            tables = sheet.getDataPilotTables()
            descriptor = tables.createDataPilotDescriptor()
            descriptor.setSourceRange(CellRangeAddress(0, 0, 0, 2, len(rows) - 1))
            fields = descriptor.getDataPilotFields()
            fields.getByIndex(0).Orientation = ROW
            fields.getByIndex(2).Orientation = DATA
            tables.insertNewByName('Sales', CellAddress(0, 5, 1), descriptor)
            cls.sources['pivot'] = cls.path('pivot.xls')
            cls.calc.store_xls(document, cls.sources['pivot'])

    @classmethod
    def make_iteration(cls):
        with cls.calc.document() as document:
            document.IsIterationEnabled = True
            document.IterationCount = 50
            document.IterationEpsilon = 0.0001
            sheet = document.Sheets.getByIndex(0)
            sheet.getCellByPosition(0, 0).Formula = '=B1/2+1'
            sheet.getCellByPosition(1, 0).Formula = '=A1'
            document.calculateAll()
            cls.sources['iteration'] = cls.path('iteration.xls')
            cls.calc.store_xls(document, cls.sources['iteration'])

    @classmethod
    def make_scenario_and_tab_colour(cls):
        with cls.calc.document() as document:
            sheet = document.Sheets.getByIndex(0)
            for y in range(4):
                sheet.getCellByPosition(0, y).Value = y + 1
            sheet.TabColor = 0x3366CC
            sheet.getScenarios().addNewByName(
                'Best case', (sheet.getCellRangeByName('A1:A2').RangeAddress,), 'hopes')
            cls.sources['scenario'] = cls.path('scenario.xls')
            cls.calc.store_xls(document, cls.sources['scenario'])

    @classmethod
    def make_tooltips(cls):
        links = ''.join(GNUMERIC_LINK % (col, row, col, row, target, tip) for row, col, target, tip
                        in ((0, 0, 'http://example.com/', 'Go to example'),
                            (1, 1, 'http://example.org/x', 'Second tip')))
        with open(cls.path('links.gnumeric'), 'w') as f:
            f.write(GNUMERIC_LINKS % links)
        cls.sources['tooltips'] = cls.path('tooltips.xls')
        ssconvert(cls.path('links.gnumeric'), cls.sources['tooltips'], 'Gnumeric_Excel:excel_biff8')

    @classmethod
    def make_printer_settings(cls):
        """An xlwt workbook with printer settings too long for one record put before its
        SETUP: xlwt writes one sheet and no INDEX, so no offset moves."""
        plain = cls.path('plain.xls')
        book = xlwt.Workbook()
        book.add_sheet('S').write(0, 0, 'printed')
        book.save(plain)
        cls.printer_settings = [(PLS, bytes(2) + bytes(range(256)) * 32 + bytes(30)),
                                (CONTINUE, bytes(range(200, 0, -1)) * 3)]
        stream = b''
        for _, number, data in foreign_files.workbook_records(plain):
            if number == SETUP:
                for inserted, body in cls.printer_settings:
                    stream += inserted.to_bytes(2, 'little') + len(body).to_bytes(2, 'little')
                    stream += body
            stream += number.to_bytes(2, 'little') + len(data).to_bytes(2, 'little') + data
        with open(cls.path('printer.bin'), 'wb') as f:
            f.write(stream)
        cls.sources['printer'] = cls.path('printer.xls')
        shutil.copyfile(plain, cls.sources['printer'])
        subprocess.run([CFB_TOOL, 'update', cls.sources['printer'],
                        'stream:Workbook=file:' + cls.path('printer.bin')], check=True)

    def each_result(self, name):
        for way, path in zip(('created', 'in place'), self.results[name]):
            yield way, path

    def test_long_texts_read_whole(self):
        cases = [('long_label', 1, 1, LONG_LABEL)]
        cases += [('long_results', row, 0, text) for row, _, text in LONG_RESULTS]
        for name, row, col, text in cases:
            with self.subTest(name=name, row=row):
                got = cell_text(self.sources[name], 0, row, col)
                self.assertEqual(got, {'fetch': (4, text), 'walk': (1, text),
                                       'memory': (4, text)})
                out = subprocess.run([CLI, 'cat', self.sources[name], '--format', 'csv'],
                                     capture_output=True, check=True).stdout.decode('utf-8')
                self.assertEqual(list(csv.reader(io.StringIO(out)))[row][col], text)

    def test_long_texts_kept(self):
        for way, result in self.each_result('long_label'):
            with self.subTest(way=way):
                self.assertTrue(continued(result, LABEL))
                self.assertEqual(foreign_files.xlrd_cells(result),
                                 foreign_files.xlrd_cells(self.sources['long_label']))
                # xlrd and LibreOffice read an Excel 95 LABEL's first record only; gnumeric
                # reads the whole text.
                ssconvert(result, result + '.csv')
                with open(result + '.csv', encoding='utf-8', newline='') as f:
                    self.assertEqual(list(csv.reader(f))[1][1], LONG_LABEL)
        for way, result in self.each_result('long_results'):
            with self.subTest(way=way):
                sheet = xlrd.open_workbook(result).sheet_by_index(0)
                with self.calc.document(result) as document:
                    shown = document.Sheets.getByIndex(0)
                    for row, formula, text in LONG_RESULTS:
                        self.assertEqual(sheet.cell_value(row, 0), text)
                        self.assertEqual(shown.getCellByPosition(0, row).String, text)
                        self.assertEqual(shown.getCellByPosition(0, row).Formula, formula)

    def pivot_tables(self, path):
        with self.calc.document(path) as document:
            tables = document.Sheets.getByIndex(0).getDataPilotTables()
            found = {}
            for name in tables.ElementNames:
                area = tables.getByName(name).OutputRange
                found[name] = (area.StartColumn, area.StartRow, area.EndColumn, area.EndRow)
            return found

    def test_pivot_table_kept(self):
        expected = self.pivot_tables(self.sources['pivot'])
        self.assertEqual(list(expected), ['Sales'])
        for way, result in self.each_result('pivot'):
            with self.subTest(way=way):
                self.assertEqual(self.pivot_tables(result), expected)

    def test_iteration_kept(self):
        for way, result in [('source', self.sources['iteration'])] + \
                list(self.each_result('iteration')):
            with self.subTest(way=way):
                with self.calc.document(result) as document:
                    document.calculateAll()
                    self.assertTrue(document.IsIterationEnabled)
                    cell = document.Sheets.getByIndex(0).getCellByPosition(0, 0)
                    self.assertEqual(cell.getError(), 0)
                    self.assertAlmostEqual(cell.Value, 2.0, places=3)

    def test_scenario_and_tab_colour_kept(self):
        def shown(path):
            with self.calc.document(path) as document:
                sheet = document.Sheets.getByIndex(0)
                return sheet.TabColor, list(sheet.getScenarios().ElementNames)
        expected = shown(self.sources['scenario'])
        self.assertEqual(expected[1], ['Best case'])
        self.assertNotEqual(expected[0], -1)  # no tab colour
        for way, result in self.each_result('scenario'):
            with self.subTest(way=way):
                self.assertEqual(shown(result), expected)

    def test_hyperlink_tooltips_kept(self):
        def links(path):
            sheet = xlrd.open_workbook(path).sheet_by_index(0)
            return [(h.frowx, h.fcolx, h.url_or_path, h.quicktip) for h in sheet.hyperlink_list]
        expected = links(self.sources['tooltips'])
        self.assertEqual([tip for *_, tip in expected], ['Go to example', 'Second tip'])
        for way, result in self.each_result('tooltips'):
            with self.subTest(way=way):
                self.assertEqual(links(result), expected)

    def test_printer_settings_with_continue_kept(self):
        for way, result in self.each_result('printer'):
            with self.subTest(way=way):
                records = [(n, d) for _, n, d in foreign_files.workbook_records(result)]
                at = [n for n, _ in records].index(PLS)
                self.assertEqual(records[at:at + 2], self.printer_settings)
                self.assertEqual(xlrd.open_workbook(result).sheet_by_index(0).cell_value(0, 0),
                                 'printed')


if __name__ == '__main__':
    unittest.main()
