"""Rows, columns and blocks edited through the engine's C interface on a workbook made from a
template (values, MULRK runs, relative, absolute, mixed, 3-D, whole-row, whole-column and array
formulas, merged ranges, row heights, column widths and keywords), set against the same edit
made by LibreOffice itself on the template: after both are recalculated and saved as .xlsx by
LibreOffice, openpyxl finds the same values, formula texts, merged ranges, heights and widths,
except where the engine differs by design, which each case names.
"""
import ctypes
import os
import shutil
import struct
import tempfile
import unittest

import olefile
import openpyxl
from openpyxl.utils import get_column_letter

import calc_uno

LIB = ctypes.CDLL(os.environ['TABRIX_LIB'])
MULRK = 0x00BD

# Sheet1 of the template. Rows and columns as Calc counts them (0-based) in the edits below.
FORMULAS = {
    'J1': '=A3+1',              # relative
    'J2': '=$A$2*2',            # absolute, above and left of every edit
    'J3': '=$A8',               # column absolute, row relative
    'J4': '=A$9',               # row absolute
    'J5': '=SUM(A2:A6)',        # an area the row edits cut into
    'J6': '=SUM(A:A)',          # whole column
    'J7': '=SUM(5:5)',          # whole row
    'J8': '=Sheet2!A1+1',       # 3-D
    'J10': '=A4*1',
    'K1': '=B5+C5',
}
ARRAY = ('J9', '=SUM(A1:A3*2)')
KEYWORDS = {'B8': '**K1', 'E2': '**K2'}
MERGED = ['B10:D10', 'F3:F6', 'B12:C13']
HEIGHTS = {4: 30, 9: 25}
WIDTHS = {'B': 20, 'E': 5, 'G': 15}


def make_template(folder, calc):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = 'Sheet1'
    for row in range(1, 11):
        sheet.cell(row, 1, row)
    for column in range(2, 9):
        sheet.cell(5, column, column * 10)  # B5:H5, a MULRK run in the saved file
    for cell, text in FORMULAS.items():
        sheet[cell] = text
    sheet[ARRAY[0]] = ARRAY[1]
    sheet.formula_attributes[ARRAY[0]] = {'t': 'array', 'ref': ARRAY[0]}
    for cell, text in KEYWORDS.items():
        sheet[cell] = text
    sheet['F3'] = 'tall'
    sheet['B10'] = 'wide'
    for area in MERGED:
        sheet.merge_cells(area)
    for row, height in HEIGHTS.items():
        sheet.row_dimensions[row].height = height
    for column, width in WIDTHS.items():
        sheet.column_dimensions[column].width = width
    other = book.create_sheet('Sheet2')
    other['A1'] = 100
    other['A2'] = '=Sheet1!A5'
    source = os.path.join(folder, 'template.xlsx')
    book.save(source)
    template = os.path.join(folder, 'template.xls')
    calc.save_as_xls(source, template)
    return template


def record_numbers(path):
    with olefile.OleFileIO(path) as ole:
        stream = ole.openstream('Workbook').read()
    numbers, at = set(), 0
    while at + 4 <= len(stream):
        number, length = struct.unpack_from('<HH', stream, at)
        numbers.add(number)
        at += 4 + length
    return numbers


call = calc_uno.checked(LIB)


def calc_block_copy(document, sheet, x, y, width, height, target_sheet, tx, ty):
    calc_uno.copy_range(document, x, y, width, height, tx, ty, sheet, target_sheet)


calc_clear = calc_uno.clear


# Each case: the engine's calls (handle first), the same edit in Calc, and what differs by
# design: cells whose formula text the engine keeps, and the cells whose values follow from
# them.
CASES = {
    'row_insert': dict(
        engine=lambda h: call('XM_RowInsert', h, 0, 4, 2),
        calc=lambda d: d.Sheets.getByIndex(0).Rows.insertByIndex(4, 2),
        # Inserted rows are new rows of the default height; Calc gives them the height of
        # the row above.
        heights={5: None, 6: None}),
    'row_delete': dict(
        engine=lambda h: call('XM_RowDelete', h, 0, 3, 2),
        calc=lambda d: d.Sheets.getByIndex(0).Rows.removeByIndex(3, 2)),
    'row_clear': dict(
        engine=lambda h: call('XM_RowClear', h, 0, 9, 1),
        calc=lambda d: calc_clear(d, 0, 9, 256, 1),
        # A merged range of cleared cells only goes with them; Calc keeps it.
        merged_gone=['B10:D10']),
    'row_copy': dict(
        engine=lambda h: call('XM_RowCopy', h, 0, 3, 13),
        calc=lambda d: calc_block_copy(d, 0, 0, 3, 256, 1, 0, 0, 13),
        # A row paste gives the row the copied height; Calc's range copy does not.
        heights={14: 30}),
    'row_copy_to_sheet': dict(
        engine=lambda h: call('XM_RowCopyEx', h, 0, 7, 3, 1, 5),
        calc=lambda d: calc_block_copy(d, 0, 0, 7, 256, 3, 1, 0, 5),
        heights={('Sheet2', 7): 24.75},
        # Keyword cells belong to their sheet: the copy is a blank cell, not a keyword.
        kept={('Sheet2', 'B6'): None}),
    'column_insert': dict(
        engine=lambda h: call('XM_ColumnInsert', h, 0, 2, 1),
        calc=lambda d: d.Sheets.getByIndex(0).Columns.insertByIndex(2, 1)),
    'column_delete': dict(
        engine=lambda h: call('XM_ColumnDelete', h, 0, 2, 2),
        calc=lambda d: d.Sheets.getByIndex(0).Columns.removeByIndex(2, 2)),
    'column_clear': dict(
        engine=lambda h: call('XM_ColumnClear', h, 0, 1, 1),
        calc=lambda d: calc_clear(d, 1, 0, 1, 65536)),
    'column_copy': dict(
        engine=lambda h: call('XM_ColumnCopy', h, 0, 0, 7),
        calc=lambda d: calc_block_copy(d, 0, 0, 0, 1, 65536, 0, 7, 0)),
    'block_copy_twice': dict(
        engine=lambda h: (call('XM_BlockCopy', h, 0, 9, 0, 2, 5, 11, 19),
                          call('XM_BlockPaste', h, 0, 3, 20)),
        calc=lambda d: (calc_block_copy(d, 0, 9, 0, 2, 5, 0, 11, 19),
                        calc_block_copy(d, 0, 9, 0, 2, 5, 0, 3, 20))),
    'block_clear': dict(
        engine=lambda h: call('XM_BlockClear', h, 0, 1, 1, 4, 4),
        calc=lambda d: calc_clear(d, 1, 1, 4, 4)),
}


def column_widths(sheet):
    """The widths set among the first 16 columns (one entry of the file may cover several).
    Calc writes columns of the default width, or not, as it sees fit: those do not count."""
    widths = {}
    for dimension in sheet.column_dimensions.values():
        if dimension.min is None or dimension.width is None or 7 < dimension.width < 14:
            continue
        for column in range(dimension.min, min(dimension.max, 16) + 1):
            widths[get_column_letter(column)] = round(dimension.width, 1)
    return widths


def sheet_state(path, formulas):
    book = openpyxl.load_workbook(path, data_only=not formulas)
    state = {}
    for sheet in book.worksheets:
        cells = {}
        for row in sheet.iter_rows(min_row=1, max_row=30, max_col=16):
            for cell in row:
                value = cell.value
                if cell.coordinate in sheet.formula_attributes:
                    value = (value, sheet.formula_attributes[cell.coordinate].get('ref'))
                if value is not None:
                    cells[cell.coordinate] = value
        state[sheet.title] = dict(
            cells=cells,
            merged=sorted(str(area) for area in sheet.merged_cells.ranges),
            # Calc fits the other rows to their contents: only the tall rows set count.
            heights={row: sheet.row_dimensions[row].height for row in range(1, 31)
                     if (sheet.row_dimensions[row].height or 0) > 20},
            widths=column_widths(sheet))
    return state


def fill_keywords(h):
    for keyword in KEYWORDS.values():
        LIB.XM_WriteStrh(h, 0, keyword.encode(), 0, 0, ('filled ' + keyword).encode())


def filled(value):
    """A keyword cell: the engine's write at the keyword fills it, Calc keeps the keyword."""
    return 'filled ' + value if isinstance(value, str) and value.startswith('**') else value


class RowColumnOpsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='tabrix-ops-')
        cls.calc = calc_uno.CalcSession(cls.folder)
        cls.template = make_template(cls.folder, cls.calc)
        # The paths of LibreOffice's .xlsx: each is read twice, with formulas and values.
        cls.results, cls.unedited = calc_uno.edit_both(
            cls.calc, LIB, cls.folder, cls.template, CASES, lambda path: path, fill_keywords)

    @classmethod
    def tearDownClass(cls):
        cls.calc.close()
        shutil.rmtree(cls.folder, ignore_errors=True)

    def test_the_template_holds_mulrk_runs(self):
        self.assertIn(MULRK, record_numbers(self.template))

    def compare(self, name):
        case = CASES[name]
        ours_path, reference_path = self.results[name]
        kept = case.get('kept', {})
        for formulas in (True, False):
            ours = sheet_state(ours_path, formulas)
            reference = sheet_state(reference_path, formulas)
            self.assertNotEqual(reference, sheet_state(self.unedited, formulas), name)
            for sheet_name, theirs in reference.items():
                mine = ours[sheet_name]
                for cell in sorted(set(theirs['cells']) | set(mine['cells'])):
                    if (sheet_name, cell) in kept:
                        # The formula text the engine keeps; None: an empty cell.
                        if formulas or kept[(sheet_name, cell)] is None:
                            self.assertEqual(mine['cells'].get(cell),
                                             kept[(sheet_name, cell)], (name, cell))
                            self.assertNotEqual(theirs['cells'].get(cell),
                                                kept[(sheet_name, cell)], (name, cell))
                        continue
                    self.assertEqual(mine['cells'].get(cell), filled(theirs['cells'].get(cell)),
                                     (name, sheet_name, cell, formulas))
                merged = [area for area in theirs['merged']
                          if sheet_name != 'Sheet1' or area not in case.get('merged_gone', [])]
                self.assertEqual(mine['merged'], merged, (name, sheet_name))
                heights = dict(theirs['heights'])
                for key, height in case.get('heights', {}).items():
                    where, row = key if isinstance(key, tuple) else ('Sheet1', key)
                    if where == sheet_name:
                        heights[row] = height
                heights = {row: height for row, height in heights.items() if height is not None}
                self.assertEqual(mine['heights'], heights, (name, sheet_name))
                self.assertEqual(mine['widths'], theirs['widths'], (name, sheet_name))


for _name in CASES:
    setattr(RowColumnOpsTest, 'test_' + _name,
            lambda self, name=_name: self.compare(name))


if __name__ == '__main__':
    unittest.main()
