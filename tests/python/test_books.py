"""Books as context managers, errors, templates filled by keywords, updates in place and
formatting, checked with xlrd."""
import ctypes
import datetime
import gc
import os
import pathlib
import warnings

import pytest
import xlrd
import xlwt

import tabrix


def read_back(path, formatting=False):
    return xlrd.open_workbook(path, formatting_info=formatting)


def test_a_block_that_raises_leaves_the_file_byte_for_byte(tmp_path):
    path = tmp_path / 'kept.xls'
    with tabrix.create(path) as book:
        book.sheets[0]['A1'] = 'first'
    before = path.read_bytes()
    for opening in (lambda: tabrix.create(path), lambda: tabrix.update(path),
                    lambda: tabrix.from_template(path, tmp_path / 'new.xls')):
        with pytest.raises(RuntimeError):
            with opening() as book:
                book.sheets[0]['A1'] = 'second'
                book.add_sheet('More')
                raise RuntimeError('stop')
        assert path.read_bytes() == before
    assert not (tmp_path / 'new.xls').exists()
    # By hand, and a book dropped unclosed: discarded with a ResourceWarning.
    book = tabrix.update(str(path).encode())
    book.sheets[0]['A1'] = 'third'
    book.discard()
    assert book.closed and path.read_bytes() == before
    with pytest.raises(ValueError):
        book.sheets
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter('always')
        book = tabrix.update(os.fspath(path))
        book.sheets[0]['A1'] = 'fourth'
        del book
        gc.collect()
    assert any(issubclass(w.category, ResourceWarning) for w in caught)
    assert path.read_bytes() == before
    # Leaving normally saves.
    with tabrix.update(pathlib.Path(path)) as book:
        book.sheets[0]['B1'] = 'fifth'
    assert read_back(str(path)).sheet_by_index(0).row_values(0) == ['first', 'fifth']


def test_errors_are_english_typed_and_numbered(tmp_path):
    with pytest.raises(FileNotFoundError) as missing:
        tabrix.read(tmp_path / 'none.xls')
    assert isinstance(missing.value, tabrix.TabrixError) and missing.value.number == 1
    assert 'no such file' in str(missing.value) and missing.value.japanese
    with pytest.raises(FileNotFoundError):
        tabrix.create(tmp_path / 'no' / 'folder.xls')
    with pytest.raises(IsADirectoryError):
        tabrix.create(tmp_path)
    (tmp_path / 'text.xls').write_text('not a workbook')
    with pytest.raises(OSError, match='not a workbook'):
        tabrix.read(tmp_path / 'text.xls')
    os.chmod(tmp_path, 0o500)
    try:
        if os.geteuid() != 0:
            with pytest.raises(PermissionError):
                tabrix.create(tmp_path / 'locked.xls')
    finally:
        os.chmod(tmp_path, 0o700)
    with tabrix.create(tmp_path / 'e.xls') as book:
        with pytest.raises(OSError):
            tabrix.create(tmp_path / 'e.xls')  # held by the open book
        with pytest.raises(KeyError) as no_sheet:
            book['Missing']
        assert no_sheet.value.japanese == 'シート No エラー'
        with pytest.raises(ValueError):
            book.sheets[0].cell(row=0, column=1)
        with pytest.raises(TypeError):
            book.sheets[0].cell(row='1', column=1)
        with pytest.raises(ValueError):
            book.sheets[0].name = 'bad:name'
        with pytest.raises(ValueError) as formula:
            book.sheets[0]['A1'] = '=SUM('
        assert formula.value.number >= 100 and 'malformed formula' in str(formula.value)
    with tabrix.read(tmp_path / 'e.xls') as book:
        with pytest.raises(tabrix.TabrixError) as read_only:
            book.sheets[0]['A1'] = 1
        assert read_only.value.number == 6


def test_japanese_messages_are_the_library_s():
    from tabrix import _errors
    from tabrix._library import library
    text = ctypes.create_string_buffer(256)
    saved = ctypes.c_int32()
    library.XlsGetErrorNo(ctypes.byref(saved))
    try:
        for number, (_english, japanese) in _errors.MESSAGES.items():
            library.XlsSetErrorNo(number)
            library.XlsGetErrorMessage(text, 256)
            if japanese:
                assert text.value.decode('cp932') == japanese, number
    finally:
        library.XlsSetErrorNo(saved.value)


def make_template(path):
    book = xlwt.Workbook()
    sheet = book.add_sheet('請求書')
    bold = xlwt.easyxf('font: bold on')
    sheet.write(0, 0, '**CUSTOMER', bold)
    sheet.write(1, 0, '**DATE')
    sheet.write(2, 0, '**ITEM')
    sheet.write(2, 3, 'fixed')
    book.add_sheet('Copy').write(0, 1, '**CUSTOMER')
    book.save(path)


def test_templates_filled_by_keywords(tmp_path):
    template, out = str(tmp_path / 'template.xls'), str(tmp_path / 'filled.xls')
    make_template(template)
    with tabrix.from_template(template, out) as book:
        book.fill({'**CUSTOMER': '山田商店 御中', '**DATE': datetime.date(2026, 12, 1),
                   '**ITEM': ['ノート', 12, 2.5, True, '=1+1']})
        with pytest.raises(KeyError, match=r'\*\*TYPO'):
            book.fill({'**TYPO': 1})
        assert book['請求書']['A1'].value == '山田商店 御中'
    check = read_back(out, formatting=True)
    first = check.sheet_by_name('請求書')
    assert first.col_values(0)[:7] == ['山田商店 御中', 46357.0, 'ノート', 12.0, 2.5, 1, 0.0]
    assert first.cell_type(1, 0) == xlrd.XL_CELL_DATE and first.cell_type(5, 0) == \
        xlrd.XL_CELL_BOOLEAN
    assert first.cell_value(2, 3) == 'fixed'
    assert check.font_list[check.xf_list[first.cell_xf_index(0, 0)].font_index].bold
    assert check.sheet_by_name('Copy').cell_value(0, 1) == '山田商店 御中'
    with tabrix.read(out) as book:
        assert book['請求書']['A2'].value == datetime.datetime(2026, 12, 1)


def test_update_in_place_keeps_what_it_does_not_change(tmp_path):
    path = str(tmp_path / 'update.xls')
    book = xlwt.Workbook()
    sheet = book.add_sheet('Data')
    for row in range(5):
        sheet.write(row, 0, row)
        sheet.write(row, 1, 'row %d' % row)
    book.add_sheet('Other').write(0, 0, 'other')
    book.save(path)
    with tabrix.update(path) as book:
        data = book['data']
        assert (data.max_row, data.max_column) == (5, 2)
        assert data['B3'].value == 'row 2' and data['A5'].value == 4
        data['A3'] = 'changed'
        data.cell(row=7, column=3, value=7.5)
        assert (data.max_row, data.max_column) == (7, 3)
        book.add_sheet('新しい').cell(row=1, column=1).value = '追加'
    check = read_back(path)
    assert check.sheet_names() == ['Data', 'Other', '新しい']
    data = check.sheet_by_name('Data')
    assert data.col_values(0)[:5] == [0.0, 1.0, 'changed', 3.0, 4.0]
    assert data.cell_value(6, 2) == 7.5 and data.cell_value(4, 1) == 'row 4'
    assert check.sheet_by_name('Other').cell_value(0, 0) == 'other'


def test_formatting_read_by_xlrd(tmp_path):
    path = str(tmp_path / 'styled.xls')
    with tabrix.create(path, sheets=2) as book:
        sheet = book.sheets[0]
        sheet.name = '書式'
        sheet['A1'] = 1234.5
        sheet['B1'] = 'title'
        sheet.format('A1', number_format='#,##0.00', font=tabrix.Font(name='Arial', size=14,
                                                                       bold=True, color='red'))
        sheet.format('B1:C2', fill='#FFFF00', italic=True,
                     border=tabrix.Border('double', color='blue'),
                     alignment=tabrix.Alignment(horizontal='center', wrap_text=True))
        sheet.merge_cells('A4:C4')
        sheet.set_column_width('B', 30)
        sheet.set_row_height(2, 40)
        assert sheet['A1'].value == 1234.5
        sheet.format('A5', number_format='yyyy/mm/dd')
        sheet['A5'] = 45000
        assert sheet['A5'].value == datetime.datetime(2023, 3, 15)
    check = read_back(path, formatting=True)
    sheet = check.sheet_by_index(0)
    xf = check.xf_list[sheet.cell_xf_index(0, 0)]
    font = check.font_list[xf.font_index]
    assert check.format_map[xf.format_key].format_str == '#,##0.00'
    assert (font.name, font.height, font.weight, font.colour_index) == ('Arial', 280, 700, 10)
    xf = check.xf_list[sheet.cell_xf_index(0, 1)]
    assert check.font_list[xf.font_index].italic
    assert xf.background.pattern_colour_index == 13 and xf.background.fill_pattern == 1
    assert (xf.border.top_line_style, xf.border.top_colour_index) == (6, 12)
    assert xf.alignment.hor_align == 2 and xf.alignment.text_wrapped
    assert sheet.merged_cells == [(3, 4, 0, 3)]
    assert abs(sheet.colinfo_map[1].width / 256 - 30) < 1  # snapped to a shown width
    assert sheet.rowinfo_map[1].height == 800
    assert sheet.cell_type(4, 0) == xlrd.XL_CELL_DATE


def test_version_and_documented_names():
    source = pathlib.Path(__file__).resolve().parents[2]
    project = (source / 'CMakeLists.txt').read_text()
    declared = (source / 'python' / 'pyproject.toml').read_text()
    assert 'VERSION %s ' % tabrix.__version__ in project
    assert 'version = "%s"' % tabrix.__version__ in declared
    for name in ('Book', 'Sheet', 'Cell', 'CellError', 'Text', 'Font', 'Border', 'Alignment',
                 'create', 'read', 'from_template', 'update', 'TabrixError'):
        item = getattr(tabrix, name)
        assert item.__doc__, name
        members = vars(item).items() if isinstance(item, type) else ()
        for member_name, member in members:
            if not member_name.startswith('_') and (callable(member) or
                                                    isinstance(member, property)):
                assert member.__doc__, '%s.%s' % (name, member_name)


def test_writes_keep_their_order_across_sheets_blocks_and_other_calls(tmp_path):
    """Cell writes wait in Python and reach the workbook in blocks; whatever else the book
    does must see them, in the order they were given."""
    path = str(tmp_path / 'order.xls')
    with tabrix.create(path, sheets=2) as book:
        first, second = book.sheets
        for row in range(1, 40001):  # more than one block
            first.cell(row=row, column=1).value = row
            second.cell(row=row, column=2).value = 'r%d' % row
        first['A1'] = '=2*3'  # written at once, after what waits
        first['A1'] = 'after the formula'
        first['B1'] = '=1+1'
        second['B1'] = True
        assert (first.max_row, second['B40000'].value) == (40000, 'r40000')
        first['C1'] = 'renamed next'
        first.name = 'First'
        first.format('C1', bold=True)
        first['C2'] = 'formatted before'
        first.format('C2', italic=True)
        for row in range(1, 81):  # long texts: more characters than a buffer holds
            first.cell(row=row, column=4).value = '%05d' % row * 3000
    check = read_back(path, formatting=True)
    sheet, other = check.sheet_by_name('First'), check.sheet_by_index(1)
    assert sheet.col_values(0) == ['after the formula'] + [float(r) for r in range(2, 40001)]
    assert sheet.cell_type(0, 1) == xlrd.XL_CELL_NUMBER  # the formula (no stored result)
    assert sheet.col_values(2)[:2] == ['renamed next', 'formatted before']
    assert sheet.col_values(3)[:80] == ['%05d' % row * 3000 for row in range(1, 81)]
    fonts = [check.font_list[check.xf_list[sheet.cell_xf_index(r, 2)].font_index]
             for r in (0, 1)]
    assert (fonts[0].weight, fonts[1].italic) == (700, 1)
    assert other.cell_type(0, 1) == xlrd.XL_CELL_BOOLEAN
    assert other.col_values(1)[1:] == ['r%d' % r for r in range(2, 40001)]
    # A closed book takes no more writes.
    with pytest.raises(ValueError, match='closed'):
        first['A1'] = 1


def test_a_refused_write_names_its_cell_and_leaves_the_file(tmp_path):
    from tabrix._library import library
    path = tmp_path / 'refused.xls'
    with tabrix.create(path) as book:
        book.sheets[0]['A1'] = 'kept'
    before = path.read_bytes()
    book = tabrix.update(path)
    sheet = book.sheets[0]
    sheet['A2'] = 1
    sheet.cell(row=3, column=2).value = 'waits'
    # The engine refuses the writes when they are handed over (its workbook is gone).
    library.XM_Cancel(book._handle)
    with pytest.raises(tabrix.TabrixError, match='A2'):
        book.save()
    assert book.closed and path.read_bytes() == before
