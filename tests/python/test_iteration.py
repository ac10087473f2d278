"""Rows read through iter_rows and compared with xlrd's reading of the same file: a
workbook LibreOffice made, and a large one xlwt made."""
import datetime

import openpyxl
import xlrd
import xlwt

import libreoffice
import tabrix


def make_with_libreoffice(folder):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = 'Mixed'
    sheet.append(['名前', 'count', 'price', 'when', 'ok', 'ratio'])
    for i in range(1, 300):
        sheet.append(['品目 %d ✓' % i, i, i * 1.25, datetime.datetime(2020, 1, 1) +
                      datetime.timedelta(days=i, hours=i % 24), i % 3 == 0,
                      '=B%d/(B%d-7)' % (i + 1, i + 1)])
    sheet['H5'] = 'far'
    sheet['B310'] = 'last'
    book.create_sheet('Empty')
    source = str(folder / 'mixed.xlsx')
    book.save(source)
    return libreoffice.convert([source], str(folder), target='xls')[source]


def xlrd_rows(path, sheet_index):
    book = xlrd.open_workbook(path)
    sheet = book.sheet_by_index(sheet_index)
    rows = []
    for r in range(sheet.nrows):
        row = []
        for c in range(sheet.ncols):
            kind, value = sheet.cell_type(r, c), sheet.cell_value(r, c)
            if kind == xlrd.XL_CELL_DATE:
                value = xlrd.xldate_as_datetime(value, book.datemode)
            elif kind == xlrd.XL_CELL_BOOLEAN:
                value = bool(value)
            elif kind == xlrd.XL_CELL_ERROR:
                value = tabrix.CellError(xlrd.error_text_from_code[value])
            elif kind in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                value = None
            row.append(value)
        rows.append(tuple(row))
    return rows, (sheet.nrows, sheet.ncols)


def test_iteration_equals_xlrd(tmp_path):
    path = make_with_libreoffice(tmp_path)
    expected, size = xlrd_rows(path, 0)
    with tabrix.read(path) as book:
        assert book.sheetnames == ['Mixed', 'Empty']
        sheet = book['Mixed']
        assert (sheet.max_row, sheet.max_column) == size
        rows = list(sheet.iter_rows(values_only=True))
        assert rows == expected
        assert rows[7][5] == tabrix.CellError('#DIV/0!')  # the stored result of B8/(B8-7)
        assert isinstance(rows[3][3], datetime.datetime) and rows[3][4] is True
        part = list(sheet.iter_rows(min_row=2, max_row=4, min_col=2, max_col=3))
        assert [[cell.value for cell in row] for row in part] == [list(r[1:3]) for r in
                                                                   expected[1:4]]
        assert part[0][0].coordinate == 'B2'
        assert [r[7] for r in sheet.iter_rows(max_row=6, max_col=8, values_only=True)] == \
            [None] * 4 + ['far', None]
        empty = book['Empty']
        assert (empty.max_row, empty.max_column) == (0, 0)
        assert list(empty.iter_rows(values_only=True)) == []
    # A book open for update reads its cells one by one, booleans and errors included.
    book = tabrix.update(path)
    try:
        sheet = book['Mixed']
        assert list(sheet.iter_rows(values_only=True)) == expected
        sheet['E2'] = False
        sheet['F2'] = tabrix.CellError('#N/A')  # written as a formula: no result before saving
        assert (sheet['E2'].value, sheet['F2'].value) == (False, 0.0)
    finally:
        book.discard()


def test_large_sheet_equals_xlrd(tmp_path):
    """Rows cut between the engine's deliveries, runs of like rows broken by odd ones,
    integers and numbers in one column, and every kind of cell."""
    path = str(tmp_path / 'large.xls')
    book = xlwt.Workbook(encoding='utf-8')
    sheet = book.add_sheet('Large')
    dated = xlwt.easyxf(num_format_str='yyyy-mm-dd hh:mm')
    plain = xlwt.easyxf(num_format_str='0.00')
    for r in range(21000):
        if r % 5000 == 7:
            sheet.write(r, 9, 'odd row 😀 %d' % r)
            continue
        sheet.write(r, 0, r)
        sheet.write(r, 1, 'text %d ✓' % (r % 97) if r // 50 % 3 else '')
        sheet.write(r, 2, r / 8)
        sheet.write(r, 3, datetime.datetime(2001, 1, 1) + datetime.timedelta(hours=r), dated)
        if r // 70 % 4:
            sheet.write(r, 4, r % 8 == 1)
        sheet.write(r, 5, r + 0.5, dated if r % 2 else plain)
        sheet.write(r, 6, -r * 1000003)
    book.save(path)
    expected, size = xlrd_rows(path, 0)
    with tabrix.read(path) as book:
        sheet = book['Large']
        assert (sheet.max_row, sheet.max_column) == size
        rows = list(sheet.iter_rows(values_only=True))
        assert rows == expected
        # r / 8 is stored as an integer where it is whole: each cell keeps its own kind.
        assert [type(row[2]) for row in rows[8:24]] == [int] + [float] * 7 + [int] + [float] * 7
        assert list(sheet.iter_rows(min_row=20990, min_col=3, max_col=5, values_only=True)) == \
            [row[2:5] for row in expected[20989:]]


def test_cells_out_of_row_order_come_out_as_rows():
    """No writer at hand stores cells out of row order, but a file may: the walk's records
    are made here as the engine delivers them."""
    import ctypes
    import struct

    from tabrix import _walk
    text = (ctypes.c_uint16 * 8)(*b'aTRUE')
    cells = [(0, 5, 1, 1.0, 0, 0), (1, 5, 4, 0.0, 0, 1), (0, 2, 2, 2.5, 1, 0),
             (3, 2, 3, -1.0, 1, 4), (0, 5, 1, 9.0, 5, 0)]  # x, y, kind, value, text, length
    raw = bytearray(b''.join(struct.pack('<4id2i', x, y, 15, kind, value, start, length)
                             for x, y, kind, value, start, length in cells))
    rows = _walk._Rows(lambda xf: False, False)
    rows.place(raw, len(raw), text)
    walked = rows.finish()
    assert (walked.width, walked.height) == (4, 6)
    assert list(walked.rows(0, 7, 0, 4)) == [(None,) * 4] * 2 + [
        (2.5, None, None, True)] + [(None,) * 4] * 2 + [
        (9, 'a', None, None), (None,) * 4]
