"""Templates written by other programs (LibreOffice, xlwt, ssconvert), loaded by tabrix and
written again: xlrd and LibreOffice (through .xlsx and openpyxl) find in the new file what the
template holds (values, formulas that still calculate, formats, merged ranges, comments,
charts, column widths, row heights, margins, header and footer, frozen panes), except that
the keyword cells are blanks keeping their format. A chart sheet, which no writer at hand
makes, is made from LibreOffice's embedded chart and must survive as a chart sheet."""
import os
import shutil
import struct
import subprocess
import tempfile
import unittest
import zipfile

import openpyxl

import foreign_files
import libreoffice

SOURCE = os.environ.get('TABRIX_SOURCE', os.path.join(os.path.dirname(__file__), '..', '..'))
TOOLS = os.environ.get('TABRIX_TOOLS', os.path.join(SOURCE, 'build', 'tests', 'interop'))
XLS_TEMPLATE = os.path.join(TOOLS, 'xls_template')
CFB_TOOL = os.path.join(TOOLS, 'cfb_tool')

BOF, EOF, BOUNDSHEET, WINDOW2 = 0x0809, 0x000A, 0x0085, 0x023E
CHART_SHEET = 0x0200


def load(template, out, *args):
    """Runs the driver; returns the keyword cells it found as {(sheet, row, col): text}."""
    done = subprocess.run([XLS_TEMPLATE, template, out] + list(args), capture_output=True,
                          text=True, check=True)
    lines = done.stdout.split('\n')
    if lines[0] != 'load 0' or 'close 0' not in lines:
        raise AssertionError('%s: %s' % (template, done.stdout))
    keywords = {}
    for line in lines[1:]:
        fields = line.split()
        if len(fields) == 5:
            keywords[tuple(int(f) for f in fields[:3])] = bytes.fromhex(fields[4]).decode()
    return keywords


def chart_sheet_template(folder):
    """A workbook of three sheets whose middle one is a chart sheet: LibreOffice writes charts
    only embedded in worksheets, so its embedded chart's substream becomes a sheet of its own."""
    from openpyxl.chart import LineChart, Reference
    book = openpyxl.Workbook()
    data = book.active
    data.title = 'Data'
    for row in range(1, 8):
        data.cell(row, 1, row * row)
    plot = book.create_sheet('Plot')
    chart = LineChart()
    chart.title = 'squares'
    chart.add_data(Reference(data, min_col=1, min_row=1, max_row=7))
    plot.add_chart(chart, 'B2')
    book.create_sheet('After')['A1'] = 'after'
    source = os.path.join(folder, 'chartsheet.xlsx')
    book.save(source)
    xls = libreoffice.convert([source], folder, 'xls')[source]

    records = [(number, data) for _, number, data in foreign_files.workbook_records(xls)]
    end = next(i for i, (number, _) in enumerate(records) if number == EOF)
    globals_, rest = records[:end + 1], records[end + 1:]
    sheets = []
    while rest:
        depth = 0
        for i, (number, _) in enumerate(rest):
            depth += (number == BOF) - (number == EOF)
            if depth == 0:
                break
        sheets.append(rest[:i + 1])
        rest = rest[i + 1:]
    embedded = sheets[1]
    first = next(i for i, (number, _) in enumerate(embedded) if number == BOF and i > 0)
    last = next(i for i in range(first, len(embedded)) if embedded[i][0] == EOF)
    sheets[1] = (embedded[first:last] +
                 [(WINDOW2, struct.pack('<HHHHHHHI', 0x06A0, 0, 0, 64, 0, 0, 0, 0)), (EOF, b'')])

    def size(section):
        return sum(4 + len(data) for _, data in section)
    offset, index, rebuilt = size(globals_), 0, []
    for number, data in globals_:
        if number == BOUNDSHEET:
            options = CHART_SHEET if index == 1 else struct.unpack_from('<H', data, 4)[0]
            data = struct.pack('<IH', offset, options) + data[6:]
            offset += size(sheets[index])
            index += 1
        rebuilt.append((number, data))
    stream = os.path.join(folder, 'chartsheet.stream')
    with open(stream, 'wb') as f:
        for number, data in rebuilt + sum(sheets, []):
            f.write(struct.pack('<HH', number, len(data)) + data)
    path = os.path.join(folder, 'chartsheet.xls')
    subprocess.run([CFB_TOOL, 'write', path, 'stream:Workbook=file:' + stream], check=True)
    return path


def describe(path, values_only=False):
    """What LibreOffice's .xlsx of a workbook holds, sheet by sheet, as comparable values."""
    book = openpyxl.load_workbook(path, data_only=values_only)
    sheets = {}
    for sheet in book.worksheets:
        cells = {}
        for row in sheet.iter_rows():
            for cell in row:
                if cell.value is None and not cell.has_style:
                    continue
                fill = cell.fill.fgColor.rgb if cell.fill.fill_type else None
                comment = cell.comment.text if cell.comment else None
                cells[cell.coordinate] = (cell.value, cell.number_format, cell.font.b, fill,
                                          comment)
        setup = sheet.page_setup
        margins = sheet.page_margins
        sheets[sheet.title] = {
            'cells': cells,
            'merged': sorted(str(r) for r in sheet.merged_cells.ranges),
            'widths': {k: round(v.width, 2) for k, v in sheet.column_dimensions.items()
                       if v.width},
            'heights': {k: v.height for k, v in sheet.row_dimensions.items() if v.height},
            'margins': (margins.left, margins.right, margins.top, margins.bottom),
            'header': (str(sheet.oddHeader.center.text), str(sheet.oddFooter.right.text)),
            'panes': sheet.freeze_panes,
            'page': (setup.orientation, setup.paperSize),
        }
    with zipfile.ZipFile(path) as z:
        charts = sorted(z.read(n).decode() for n in z.namelist() if n.startswith('xl/charts/'))
    return sheets, [chart.count('squares') + chart.count('numbers') for chart in charts]


class TemplateLoad(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='tabrix-templates-')
        made = os.path.join(cls.folder, 'made')
        cls.templates = foreign_files.make(made)
        if shutil.which('soffice'):
            cls.templates['chartsheet'] = chart_sheet_template(made)
        cls.written, cls.kept, cls.keywords = {}, {}, {}
        for name, template in cls.templates.items():
            cls.written[name] = os.path.join(cls.folder, 'tabrix_%s.xls' % name)
            cls.keywords[name] = load(template, cls.written[name])
            cls.kept[name] = os.path.join(cls.folder, 'kept_%s.xls' % name)
            load(template, cls.kept[name], 'keep')
        # Fill!A2 becomes 100: the formula in B2 (a shared one in LibreOffice's file) must
        # follow.
        cls.shared = 'libreoffice_biff8' if 'libreoffice_biff8' in cls.templates else 'xlwt_biff8'
        cls.changed = os.path.join(cls.folder, 'changed.xls')
        load(cls.templates[cls.shared], cls.changed, 'number', '1', '0', '1', '100')
        cls.converted = {}
        if shutil.which('soffice'):
            paths = list(cls.templates.values()) + list(cls.written.values()) + [cls.changed]
            cls.converted = libreoffice.convert(paths, os.path.join(cls.folder, 'lo'), 'xlsx')

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder)

    def makers(self):
        return [name for name in self.templates if name in foreign_files.KEYWORDS]

    def test_keyword_cells_are_found_with_their_texts(self):
        for name in self.makers():
            expected = {(k.sheet, k.row, k.col): k.text for k in foreign_files.KEYWORDS[name]
                        if k.text.startswith('**')}
            self.assertEqual(self.keywords[name], expected, name)

    def test_xlrd_reads_the_same_cells_but_for_blank_keyword_cells(self):
        for name in self.makers():
            template = foreign_files.xlrd_cells(self.templates[name])
            written = foreign_files.xlrd_cells(self.written[name])
            kept = foreign_files.xlrd_cells(self.kept[name])
            self.assertEqual(kept, template, name)
            self.assertEqual(list(written), list(template), name)
            for sheet_index, sheet in enumerate(template):
                keyword_cells = {(row, col) for s, row, col in self.keywords[name]
                                 if s == sheet_index}
                for cell in keyword_cells:
                    # A blank where xlrd reads formats; no cell where only CSV could be read.
                    self.assertIn(written[sheet].pop(cell, ('blank', '')), [('blank', '')])
                    template[sheet].pop(cell)
                self.assertEqual(written[sheet], template[sheet], (name, sheet))

    @unittest.skipUnless(shutil.which('soffice'), 'LibreOffice missing')
    def test_libreoffice_reads_the_same_workbook_but_for_blank_keyword_cells(self):
        for name in self.templates:
            for values_only in (False, True):
                template, template_charts = describe(self.converted[self.templates[name]],
                                                     values_only)
                written, written_charts = describe(self.converted[self.written[name]],
                                                   values_only)
                self.assertEqual(written_charts, template_charts, name)
                self.assertEqual(list(written), list(template), name)
                for sheet_index, (sheet, expected) in enumerate(template.items()):
                    got = written[sheet]
                    for s, row, col in self.keywords[name]:
                        coordinate = openpyxl.utils.get_column_letter(col + 1) + str(row + 1)
                        if s == sheet_index:
                            # The text goes, the look stays.
                            self.assertIsNotNone(expected['cells'][coordinate][0])
                            expected['cells'][coordinate] = (
                                None,) + expected['cells'][coordinate][1:]
                    self.assertEqual(got, expected, (name, sheet, values_only))

    @unittest.skipUnless(shutil.which('soffice'), 'LibreOffice missing')
    def test_shared_formulas_calculate_from_the_new_values(self):
        book = openpyxl.load_workbook(self.converted[self.changed], data_only=True)
        fill = book['Fill']
        self.assertEqual(fill['B2'].value, 201)
        self.assertEqual(fill['B3'].value, 5)
        self.assertEqual(fill['B42'].value, 1599 - 3 + 201)
        # The template stores the filled-down formulas as one shared formula: the written file
        # gives each cell its own.
        shrfmla = 0x04BC
        numbers = [n for _, n, _ in foreign_files.workbook_records(self.templates[self.shared])]
        self.assertIn(shrfmla, numbers)
        numbers = [n for _, n, _ in foreign_files.workbook_records(self.changed)]
        self.assertNotIn(shrfmla, numbers)

    @unittest.skipUnless(shutil.which('soffice'), 'LibreOffice missing')
    def test_a_chart_sheet_stays_a_chart_sheet(self):
        records = foreign_files.workbook_records(self.written['chartsheet'])
        options = [struct.unpack_from('<H', data, 4)[0] for _, number, data in records
                   if number == BOUNDSHEET]
        self.assertEqual(options, [0, CHART_SHEET, 0])
        _, charts = describe(self.converted[self.written['chartsheet']])
        self.assertEqual(charts, [1])


if __name__ == '__main__':
    unittest.main()
