"""Workbooks written by independent programs, made at test time, for the reading and template
checks: LibreOffice (Excel 97 from an openpyxl workbook), xlwt (Excel 97) and gnumeric's
ssconvert (Excel 95 with code page 932, and Excel 97, from LibreOffice's .xlsx of the same
workbook). LibreOffice writes no Excel 95. All hold the same cells on two sheets, "Values"
and "Fill" (B2:B40 filled down with =A2*2+1, which LibreOffice stores as a shared formula);
xlwt stores its formulas with an empty text result and no computed value.

    paths = foreign_files.make(folder)          # {name: path}, a missing program is skipped
    foreign_files.KEYWORDS[name]                # the keyword cells each file holds
    foreign_files.xlrd_cells(path)              # {sheet name: {(row, col): (kind, value)}}
    foreign_files.workbook_records(path)        # [(offset, number, data)] of the BIFF stream

Rows and columns are zero-based everywhere here; sheets are given by index."""
import collections
import csv
import datetime
import glob
import os
import shutil
import struct
import subprocess

import olefile
import xlrd

import libreoffice

# A keyword cell: its place, its text, and the format a template must keep on it (font bold,
# fill colour as RGB hex or None, number format string).
Keyword = collections.namedtuple('Keyword', 'sheet row col text bold fill number_format')

KEYWORD_CELLS = (
    Keyword(0, 0, 0, '**NAME', True, 'FFFF00', '@'),
    Keyword(0, 0, 1, '**DATE', True, '00FF00', 'yyyy\\-mm\\-dd'),
    Keyword(0, 0, 2, '**TOTAL', True, '00FFFF', '#,##0.00'),
    Keyword(0, 0, 3, '##CODE', False, None, 'General'),
    Keyword(1, 41, 0, '**TOTAL', True, 'FFFF00', '0.000'),
)
# The first sheet's name and the second's; the second holds the filled-down formulas.
SHEETS = ('Values', 'Fill')
FILL_ROWS = range(1, 40)  # rows 2..40: A = row number, B = A*2+1

JAPANESE = ('東京都', 'ｶﾀｶﾅ', 'データ')
FLOATS = (0.1, -2.5, 1e-300, 1.5e300, 3.14159)
INTEGERS = (1, -7, 65536, 536870911, -536870912)

MAKERS = ('libreoffice_biff8', 'xlwt_biff8', 'ssconvert_biff5',
          'ssconvert_biff8')
KEYWORDS = {name: KEYWORD_CELLS for name in MAKERS}


def make(folder):
    """Writes every foreign workbook into folder; returns {name: path}. A maker whose program
    is not installed is left out with a message; a failing conversion raises."""
    os.makedirs(folder, exist_ok=True)
    paths = {}
    source = os.path.join(folder, 'source.xlsx')
    write_openpyxl(source)
    if shutil.which('soffice'):
        made, source = make_libreoffice(source, folder)
        paths.update(made)
    else:
        print('foreign_files: soffice missing, no LibreOffice workbooks')
    paths['xlwt_biff8'] = os.path.join(folder, 'xlwt_biff8.xls')
    write_xlwt(paths['xlwt_biff8'])
    if shutil.which('ssconvert'):
        paths.update(make_ssconvert(source, folder))
    else:
        print('foreign_files: ssconvert missing, no gnumeric workbooks')
    return paths


def write_openpyxl(path):
    import openpyxl
    from openpyxl.chart import BarChart, Reference
    from openpyxl.comments import Comment
    from openpyxl.styles import Font, PatternFill

    book = openpyxl.Workbook()
    values = book.active
    values.title = SHEETS[0]
    fill = book.create_sheet(SHEETS[1])
    sheets = (values, fill)
    for key in KEYWORD_CELLS:
        cell = sheets[key.sheet].cell(key.row + 1, key.col + 1, key.text)
        cell.font = Font(bold=key.bold)
        if key.fill:
            cell.fill = PatternFill('solid', fgColor=key.fill)
        cell.number_format = key.number_format

    for col, value in enumerate(INTEGERS):
        values.cell(2, col + 1, value)
    for col, value in enumerate(FLOATS):
        values.cell(3, col + 1, value)
    for col, value in enumerate(('plain ascii',) + JAPANESE):
        values.cell(4, col + 1, value)
    values.cell(5, 1, True)
    values.cell(5, 2, False)
    values['A6'] = '=1/0'
    values['B6'] = '=NA()'
    values['C6'] = '#REF!'  # a typed error value, no formula
    values['A7'] = datetime.date(2024, 2, 29)
    values['A7'].number_format = 'yyyy-mm-dd'
    values['B7'] = datetime.datetime(1999, 12, 31, 23, 59)
    values['B7'].number_format = 'yyyy-mm-dd hh:mm'
    values['A8'] = '=SUM(A2:C2)'
    values['B8'] = '="ab"&"cd"'
    values['C8'] = '=A3*2'
    values['A10'] = 'merged'
    values.merge_cells('A10:C10')
    values['A4'].comment = Comment('a note on the text', 'tester')
    values.column_dimensions['A'].width = 14
    values.column_dimensions['B'].width = 20
    values.column_dimensions['C'].width = 9.5
    values.row_dimensions[4].height = 30
    values.row_dimensions[9].height = 6
    values.page_setup.orientation = 'landscape'
    values.page_setup.paperSize = values.PAPERSIZE_A4
    values.page_margins.left = 0.5
    values.page_margins.right = 0.6
    values.page_margins.top = 1.1
    values.page_margins.bottom = 1.2
    values.oddHeader.center.text = 'Tabrix header'
    values.oddFooter.right.text = 'Page &P'
    values.freeze_panes = 'B2'

    fill['A1'] = 'n'
    fill['B1'] = '2n+1'
    for row in FILL_ROWS:
        fill.cell(row + 1, 1, row)
        fill.cell(row + 1, 2, '=A%d*2+1' % (row + 1))
    fill['B42'] = '=SUM(B2:B40)'
    chart = BarChart()
    chart.title = 'numbers'
    chart.add_data(Reference(fill, min_col=1, min_row=2, max_row=11))
    fill.add_chart(chart, 'D2')
    book.save(path)


def make_libreoffice(source, folder):
    """The LibreOffice workbooks, and LibreOffice's own .xlsx of the source: ssconvert reads
    that one better (cached results, and a chart anchor it understands)."""
    # LibreOffice reads Excel 95 but no longer writes it (its Excel 95 filters are import-only),
    # so its only workbook here is Excel 97; ssconvert makes the Excel 95 ones.
    name = 'libreoffice_biff8'
    named = os.path.join(folder, name + '.xlsx')
    shutil.copyfile(source, named)
    made = {name: libreoffice.convert([named], folder, 'xls')[named]}
    check_stream(made[name], 'Workbook')
    resaved = libreoffice.convert([named], folder, 'xlsx')[named]
    if not os.path.exists(resaved):
        raise RuntimeError('LibreOffice wrote no %s' % resaved)
    return made, resaved


def make_ssconvert(source, folder):
    made = {}
    for name, exporter, stream in (('ssconvert_biff5', 'Gnumeric_Excel:excel_biff7', 'Book'),
                                   ('ssconvert_biff8', 'Gnumeric_Excel:excel_biff8',
                                    'Workbook')):
        made[name] = os.path.join(folder, name + '.xls')
        # WINDOWS_LANGUAGE picks the code page of Excel 95 strings: 932 keeps the Japanese.
        subprocess.run(['ssconvert', '--recalc', '-T', exporter, source, made[name]],
                       check=True, capture_output=True, timeout=600,
                       env=dict(os.environ, HOME=folder, WINDOWS_LANGUAGE='ja_JP'))
        check_stream(made[name], stream)
    return made


def check_stream(path, stream):
    if not os.path.exists(path):
        raise RuntimeError('%s was not written' % path)
    if not olefile.isOleFile(path):
        raise RuntimeError('%s is not a compound file' % path)
    with olefile.OleFileIO(path) as ole:
        if not ole.exists(stream):
            raise RuntimeError('%s lacks the %s stream: %s' % (path, stream, ole.listdir()))


def write_xlwt(path):
    import xlwt

    book = xlwt.Workbook(encoding='utf-8')
    values = book.add_sheet(SHEETS[0])
    fill = book.add_sheet(SHEETS[1])
    sheets = (values, fill)
    colours = {'FFFF00': 'yellow', '00FF00': 'bright_green', '00FFFF': 'turquoise'}
    for key in KEYWORD_CELLS:
        style = xlwt.XFStyle()
        style.font.bold = key.bold
        if key.fill:
            style.pattern.pattern = xlwt.Pattern.SOLID_PATTERN
            style.pattern.pattern_fore_colour = xlwt.Style.colour_map[colours[key.fill]]
        style.num_format_str = key.number_format
        sheets[key.sheet].write(key.row, key.col, key.text, style)

    for col, value in enumerate(INTEGERS):
        values.write(1, col, value)
    for col, value in enumerate(FLOATS):
        values.write(2, col, value)
    for col, value in enumerate(('plain ascii',) + JAPANESE):
        values.write(3, col, value)
    values.write(4, 0, True)
    values.write(4, 1, False)
    values.write(5, 0, xlwt.Formula('1/0'))
    values.write(5, 1, xlwt.Formula('NA()'))
    values.row(5).set_cell_error(2, '#REF!')
    dates = xlwt.easyxf(num_format_str='yyyy-mm-dd')
    values.write(6, 0, datetime.date(2024, 2, 29), dates)
    values.write(6, 1, datetime.datetime(1999, 12, 31, 23, 59),
                 xlwt.easyxf(num_format_str='yyyy-mm-dd hh:mm'))
    values.write(7, 0, xlwt.Formula('SUM(A2:C2)'))
    values.write(7, 1, xlwt.Formula('"ab"&"cd"'))
    values.write(7, 2, xlwt.Formula('A3*2'))
    values.write_merge(9, 9, 0, 2, 'merged', xlwt.easyxf('font: italic on; align: horiz center'))
    for col, characters in ((0, 14), (1, 20), (2, 9.5)):
        values.col(col).width = int(256 * characters)
    for row, points in ((3, 30), (8, 6)):
        values.row(row).height_mismatch = True
        values.row(row).height = int(points * 20)
    values.portrait = False
    values.paper_size_code = 9
    values.left_margin, values.right_margin = 0.5, 0.6
    values.top_margin, values.bottom_margin = 1.1, 1.2
    values.header_str = b'&CTabrix header'
    values.footer_str = b'&RPage &P'
    values.panes_frozen = True
    values.horz_split_pos, values.vert_split_pos = 1, 1

    fill.write(0, 0, 'n')
    fill.write(0, 1, '2n+1')
    for row in FILL_ROWS:
        fill.write(row, 0, row)
        fill.write(row, 1, xlwt.Formula('A%d*2+1' % (row + 1)))
    fill.write(41, 1, xlwt.Formula('SUM(B2:B40)'))
    book.save(path)


KINDS = {xlrd.XL_CELL_NUMBER: 'number', xlrd.XL_CELL_DATE: 'number', xlrd.XL_CELL_TEXT: 'text',
         xlrd.XL_CELL_BOOLEAN: 'bool', xlrd.XL_CELL_ERROR: 'error', xlrd.XL_CELL_BLANK: 'blank'}


def xlrd_cells(path):
    """{sheet name: {(row, col): (kind, value)}} as xlrd reads the file, kinds "number" (dates
    too), "text", "bool" (value True/False), "error" (value the error text, e.g. "#DIV/0!")
    and "blank" (formatted empty cells; needs formatting_info). Empty cells are left out.

    xlrd keeps formatting_info for Excel 95 files only as far as it can; if it refuses a file
    (formatting or at all), the cells come from LibreOffice's CSV export of each sheet instead,
    which loses detail: kinds are guessed from the text, booleans read as "TRUE"/"FALSE" or as
    the numbers 1 and 0, dates as their formatted text, errors as their text (LibreOffice's
    own "Err:nnn" for some), and blanks are lost."""
    try:
        book = xlrd.open_workbook(path, formatting_info=True)
    except Exception:  # xlrd's formatting reader is incomplete for some older files
        try:
            book = xlrd.open_workbook(path)
        except Exception:
            return csv_cells(path)
    cells = {}
    for sheet in book.sheets():
        found = {}
        for row in range(sheet.nrows):
            for col in range(sheet.ncols):
                cell = sheet.cell(row, col)
                if cell.ctype == xlrd.XL_CELL_EMPTY:
                    continue
                kind = KINDS[cell.ctype]
                value = cell.value
                if kind == 'bool':
                    value = bool(value)
                elif kind == 'error':
                    value = xlrd.error_text_from_code.get(value, value)
                found[(row, col)] = (kind, value)
        cells[sheet.name] = found
    return cells


def csv_cells(path):
    """The fallback of xlrd_cells: each sheet through LibreOffice's CSV export."""
    folder = os.path.join(os.path.dirname(path), 'csv-' + os.path.basename(path))
    os.makedirs(folder, exist_ok=True)
    # Filter options: comma, quote, UTF-8, from line 1, ..., -1: every sheet, one file each,
    # named after it.
    libreoffice.convert([path], folder, 'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,'
                                        'true,false,false,false,-1')
    base = os.path.splitext(os.path.basename(path))[0]
    cells = {}
    for name in sorted(glob.glob(os.path.join(folder, 'out', base + '-*.csv'))):
        sheet = os.path.basename(name)[len(base) + 1:-len('.csv')]
        found = {}
        with open(name, encoding='utf-8', newline='') as f:
            for row, line in enumerate(csv.reader(f)):
                for col, text in enumerate(line):
                    if text != '':
                        found[(row, col)] = csv_value(text)
        cells[sheet] = found
    if not cells:
        raise RuntimeError('LibreOffice wrote no CSV of %s' % path)
    return cells


def csv_value(text):
    if text.startswith('Err:') or (text.startswith('#') and text[-1] in '!?A'):
        return ('error', text)
    if text in ('TRUE', 'FALSE'):
        return ('bool', text == 'TRUE')
    try:
        return ('number', float(text))
    except ValueError:
        return ('text', text)


def workbook_records(path):
    """[(offset, number, data)] of every BIFF record in the file's workbook stream (Workbook
    or Book), in order; raises on a record that runs past the stream's end."""
    with olefile.OleFileIO(path) as ole:
        stream = 'Workbook' if ole.exists('Workbook') else 'Book'
        data = ole.openstream(stream).read()
    records = []
    offset = 0
    while offset + 4 <= len(data):
        number, size = struct.unpack_from('<HH', data, offset)
        if offset + 4 + size > len(data):
            raise ValueError('record 0x%04X at %d runs past the stream' % (number, offset))
        records.append((offset, number, data[offset + 4:offset + 4 + size]))
        offset += 4 + size
    return records
