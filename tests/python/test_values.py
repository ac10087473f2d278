"""Typed values written through the Pythonic face and read back by xlrd, LibreOffice and the
package itself, in both file formats and both date systems."""
import datetime
import decimal
import math

import openpyxl
import pytest
import xlrd
import xlwt

import libreoffice
import tabrix

D, T = datetime.datetime, datetime.time
ROW = ['日本語のテキスト', 'Ünïcødé ✓ 😀', 7, -2 ** 31, 2 ** 40, 0.1, True, False,
       decimal.Decimal('12.375'), datetime.date(2024, 2, 29), D(1999, 12, 31, 23, 59, 58),
       T(6, 30, 15), '=2*3', "'apostrophe", tabrix.Text('=not a formula'), None]
LATIN_ROW = [value for value in ROW if value != 'Ünïcødé ✓ 😀']


def write_row(path, values, excel95=False):
    """Writes the values in row 1; returns them as the book reads them before saving."""
    with tabrix.create(path, excel95=excel95) as book:
        sheet = book.sheets[0]
        for column, value in enumerate(values, 1):
            sheet.cell(row=1, column=column).value = value
        sheet['A3'] = 'x'
        sheet['A3'] = None  # clearing keeps no value
        return list(next(sheet.iter_rows(max_col=len(values), values_only=True)))


def expected_xlrd(value, datemode):
    """(type, value) as xlrd reports what the package should have written."""
    if value is None:
        return (xlrd.XL_CELL_EMPTY, '')
    if isinstance(value, bool):
        return (xlrd.XL_CELL_BOOLEAN, int(value))
    if isinstance(value, str):
        if value.startswith('=') and not isinstance(value, tabrix.Text):
            return (xlrd.XL_CELL_NUMBER, 0.0)  # no stored result: calculated on opening
        return (xlrd.XL_CELL_TEXT, str(value))
    if isinstance(value, (datetime.date, datetime.time)):
        return (xlrd.XL_CELL_DATE, value)
    return (xlrd.XL_CELL_NUMBER, float(value))


def xlrd_row(path):
    book = xlrd.open_workbook(path, formatting_info=True)
    sheet = book.sheet_by_index(0)
    cells = []
    for column in range(sheet.ncols):
        kind, value = sheet.cell_type(0, column), sheet.cell_value(0, column)
        if kind == xlrd.XL_CELL_DATE:
            value = xlrd.xldate_as_datetime(value, book.datemode)
        if kind == xlrd.XL_CELL_BLANK:
            kind, value = xlrd.XL_CELL_EMPTY, ''
        cells.append((kind, value))
    return cells, book.datemode


def as_read(value):
    """What reading gives for a value written."""
    if isinstance(value, decimal.Decimal):
        return float(value)
    if isinstance(value, datetime.datetime) or isinstance(value, datetime.time):
        return value
    if isinstance(value, datetime.date):
        return D(value.year, value.month, value.day)
    if isinstance(value, str) and value.startswith('=') and not isinstance(value, tabrix.Text):
        return 0.0
    return value


@pytest.mark.parametrize('excel95', [False, True])
def test_values_both_ways(tmp_path, excel95):
    values = LATIN_ROW if excel95 else ROW
    path = str(tmp_path / 'values.xls')
    in_memory = write_row(path, values, excel95)
    cells, datemode = xlrd_row(path)
    for value, (kind, got) in zip(values, cells + [(xlrd.XL_CELL_EMPTY, '')] * len(values)):
        want_kind, want = expected_xlrd(value, datemode)
        if want_kind == xlrd.XL_CELL_DATE and isinstance(value, datetime.time):
            got = got.time() if isinstance(got, D) else got
        elif want_kind == xlrd.XL_CELL_DATE and not isinstance(value, datetime.datetime):
            got = got.date()
        assert (kind, got) == (want_kind, want), value
    with tabrix.read(path) as book:
        row = next(book.sheets[0].iter_rows(max_col=len(values), values_only=True))
        single = [book.sheets[0].cell(row=1, column=c).value for c in range(1, len(values) + 1)]
        assert book.excel95 == excel95
        assert book.sheets[0]['A3'].value is None
    assert list(row) == single == in_memory == [as_read(v) for v in values]
    assert type(row[values.index(7)]) is int and type(row[values.index(2 ** 40)]) is float


def test_values_read_by_libreoffice(tmp_path):
    path = str(tmp_path / 'calc.xls')
    write_row(path, ROW)
    converted = libreoffice.convert([path], str(tmp_path))[path]
    cells = next(openpyxl.load_workbook(converted, data_only=True).active.iter_rows(values_only=True))
    assert cells[:len(ROW) - 1] == (
        '日本語のテキスト', 'Ünïcødé ✓ 😀', 7, -2 ** 31, 2 ** 40, 0.1, True, False, 12.375,
        D(2024, 2, 29), D(1999, 12, 31, 23, 59, 58), T(6, 30, 15), 6, "'apostrophe",
        '=not a formula')


def test_refused_values_write_nothing(tmp_path):
    path = str(tmp_path / 'refused.xls')
    with tabrix.create(path, excel95=True) as book:
        sheet = book.sheets[0]
        sheet['A1'] = 'kept'
        for bad, error in ((math.nan, ValueError), (math.inf, ValueError),
                           (decimal.Decimal('NaN'), ValueError), ('😀 is not in code page 932',
                                                                  ValueError),
                           (object(), TypeError), (b'bytes', TypeError), ('=1+', ValueError),
                           (datetime.date(1899, 1, 1), ValueError)):
            with pytest.raises(error) as raised:
                sheet['A1'] = bad
            assert isinstance(raised.value, tabrix.TabrixError)
            assert sheet['A1'].value == 'kept'
        with pytest.raises(ValueError, match='Excel 95'):
            sheet['B1'] = '€ ✓ 😀'
        with pytest.raises(ValueError):
            sheet.cell(row=16385, column=1)
        with pytest.raises(ValueError):
            sheet['IW1']
    assert xlrd.open_workbook(path).sheet_by_index(0).row_values(0) == ['kept']


def test_dates_in_both_date_systems(tmp_path):
    moments = [D(1900, 1, 1), D(1900, 2, 28), D(1900, 3, 1), D(1904, 1, 2, 12), D(2038, 1, 19,
                                                                                3, 14, 7)]
    for date1904 in (False, True):
        # xlwt makes a file of either date system; the package updates it in place.
        source = str(tmp_path / ('dates%d.xls' % date1904))
        book = xlwt.Workbook()
        book.dates_1904 = date1904
        book.add_sheet('Dates').write(0, 0, 'dates')
        book.save(source)
        written = [m for m in moments if not date1904 or m.year >= 1904]
        with tabrix.update(source) as book:
            assert book.date1904 == date1904
            for row, moment in enumerate(written, 2):
                book.sheets[0].cell(row=row, column=1).value = moment
        check = xlrd.open_workbook(source)
        assert check.datemode == int(date1904)
        cells = check.sheet_by_index(0).col_values(0)[1:]
        assert [xlrd.xldate_as_datetime(v, check.datemode) for v in cells] == written
        with tabrix.read(source) as book:
            assert [row[0] for row in book.sheets[0].iter_rows(min_row=2, values_only=True)] \
                == written
    with tabrix.create(tmp_path / 'early.xls') as book:
        with pytest.raises(ValueError):
            book.sheets[0]['A1'] = datetime.datetime(1899, 12, 31)
        with pytest.raises(ValueError):
            book.sheets[0]['A1'] = datetime.datetime(2020, 1, 1, tzinfo=datetime.timezone.utc)


def test_number_formats_tell_dates_as_xlrd_does(tmp_path):
    path = str(tmp_path / 'formats.xls')
    formats = ['0.00E+00', '##0.0E+0', '#,##0.00', '0%', '"day" 0', '[Red]0.00', '@',
               'yyyy/m/d', 'h:mm AM/PM', '[h]:mm:ss', 'mm:ss.0', 'ge.m.d', 'd-mmm-yy',
               'yyyy"年"m"月"d"日"']
    with tabrix.create(path) as book:
        sheet = book.sheets[0]
        for row, number_format in enumerate(formats, 1):
            sheet.cell(row=row, column=1).value = 1.5
            sheet.format('A%d' % row, number_format=number_format)
        in_memory = [row[0] for row in sheet.iter_rows(values_only=True)]
    check = xlrd.open_workbook(path, formatting_info=True).sheet_by_index(0)
    dates = [check.cell_type(row, 0) == xlrd.XL_CELL_DATE for row in range(len(formats))]
    assert dates == [False] * 7 + [True] * 7  # the list's own split, confirmed by xlrd
    with tabrix.read(path) as book:
        read = [row[0] for row in book.sheets[0].iter_rows(values_only=True)]
    for values in (in_memory, read):
        assert [isinstance(v, (datetime.datetime, datetime.time)) for v in values] == dates
