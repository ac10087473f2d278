"""Every reference a row, column, block or sheet operation must take along, set against the same
operation made by LibreOffice itself on a template it saved: formulas of the changed sheet and
of other sheets (relative, mixed, absolute, 3-D cells and areas, a 3-D span over three sheets,
an array formula), defined names (global, sheet-local, print area and print titles), comments,
hyperlinks, data validations, conditional formats, merged ranges and the autofilter. Both
results are recalculated and saved as .xlsx by LibreOffice and read by openpyxl; each case
names where the engine differs by design.
"""
import copy
import ctypes
import os
import shutil
import tempfile
import unittest

import openpyxl
from openpyxl.comments import Comment
from openpyxl.formatting.rule import CellIsRule, FormulaRule
from openpyxl.styles import PatternFill
from openpyxl.workbook.defined_name import DefinedName
from openpyxl.worksheet.datavalidation import DataValidation
from openpyxl.worksheet.hyperlink import Hyperlink

import calc_uno

LIB = ctypes.CDLL(os.environ['TABRIX_LIB'])

# An item table in A6:D9 of Inv with its totals below; Other and Third read it.
INV = {
    'A1': 'Invoice', 'A3': 'band', 'F1': 1000, 'F2': 15,
    'A6': 'Item', 'B6': 'Amount', 'C6': 'Qty', 'D6': 'Line',
    'A7': 'nuts', 'A8': 'bolts', 'A9': 'gears',
    'B7': 10, 'B8': 20, 'B9': 30, 'C7': 1, 'C8': 2, 'C9': 3,
    'D7': '=B7*C7', 'D8': '=B8*C8', 'D9': '=B9*C9',
    'A10': 'Total', 'B10': '=SUM($B$7:$B$9)', 'C10': '=SUM(C7:C9)',
    'B11': '=$B$9+1', 'B12': '=B10*2', 'B13': '=$B10+C$9', 'B14': '=Rate*B10',
    'D12': '=Other!A1+1', 'D13': '=SUM(Other!$B$1:$B$3)', 'D14': '=SUM(Inv:Third!C8)',
    'D15': '=Inv!B10+Inv!$C$9',
}
OTHER = {
    'A1': '=Inv!B10', 'A2': '=SUM(Inv!$B$7:$B$9)', 'A3': '=Inv!$B$11', 'A4': '=SUM(Inv!C7:C9)',
    'A5': '=Total*2', 'A6': '=SUM(Inv:Third!B8)', 'A7': '=Inv!$A9', 'A8': '=Local+SUM(Items)',
    'B1': 1, 'B2': 2, 'B3': 3, 'C8': 4,
}
NAMES = [('Total', None, 'Inv!$B$10'), ('Items', None, 'Inv!$B$7:$B$9'),
         ('Rate', 0, 'Inv!$F$2'), ('Local', 1, 'Other!$B$2')]


def make_template(folder, calc):
    book = openpyxl.Workbook()
    inv = book.active
    inv.title = 'Inv'
    for cell, value in INV.items():
        inv[cell] = value
    inv['E1'] = '=SUM(B7:B9*C7:C9)'
    inv.formula_attributes['E1'] = {'t': 'array', 'ref': 'E1'}
    inv.merge_cells('A3:C3')
    for cell, text in (('A2', 'above the table'), ('A9', 'last item'), ('C8', 'middle qty')):
        inv[cell].comment = Comment(text, 'tabrix')
    inv['A9'].hyperlink = 'https://example.org/gears'
    inv['A10'].hyperlink = Hyperlink(ref='A10', location='Other!A1')
    whole = DataValidation(type='whole', operator='between', formula1='0', formula2='$F$1')
    whole.add('B7:B9')
    relative = DataValidation(type='custom', formula1='C7<=B7')
    relative.add('C7:C9')
    inv.add_data_validation(whole)
    inv.add_data_validation(relative)
    fill = PatternFill(start_color='FFFF00', end_color='FFFF00', fill_type='solid')
    inv.conditional_formatting.add(
        'B7:B9', CellIsRule(operator='greaterThan', formula=['$F$2'], fill=fill))
    inv.conditional_formatting.add('A7:D9', FormulaRule(formula=['$C7>1'], fill=fill))
    inv.auto_filter.ref = 'A6:D9'
    other = book.create_sheet('Other')
    for cell, value in OTHER.items():
        other[cell] = value
    third = book.create_sheet('Third')
    third['B8'], third['C8'] = 5, 6
    for name, scope, text in NAMES:
        book.defined_names.append(DefinedName(name, localSheetId=scope, attr_text=text))
    source = os.path.join(folder, 'template.xlsx')
    book.save(source)
    # Calc takes the print area and titles of an .xlsx from openpyxl as plain names: set them
    # in Calc so that the .xls holds the built-in names.
    template = os.path.join(folder, 'template.xls')
    with calc.document(source) as document:
        sheet = document.Sheets.getByIndex(0)
        sheet.setPrintAreas((range_address(0, 0, 0, 2, 11),))
        sheet.setTitleRows(range_address(0, 0, 5, 255, 5))
        sheet.setPrintTitleRows(True)
        calc.store_xls(document, template)
    return template


call = calc_uno.checked(LIB)
calc_copy = calc_uno.copy_range
calc_clear = calc_uno.clear
rows = calc_uno.rows
columns = calc_uno.columns
range_address = calc_uno.range_address


# What each state holds; a case lists those LibreOffice's edit must change (else the harness
# compares nothing) and what differs by design: aspect -> {key: what the engine has}.
ASPECTS = ('formulas', 'values', 'names', 'print', 'comments', 'links', 'validations',
           'formats', 'merged', 'filter')
TABLE = set(ASPECTS)  # an edit of the item table changes them all

# A copied sheet's formula that names its own sheet names the copy, so that the copy is a
# sheet of its own; Calc leaves such a reference on the source sheet.
SELF_REFERENCE = {'formulas': {('Copy', 'D15'): '=Copy!B10+Copy!$C$9'}}

CASES = {
    # The template's item table grows: the use the engine is built for.
    'table_grows': dict(
        engine=lambda h: (call('XM_RowInsert', h, 0, 8, 2), call('XM_ColumnInsert', h, 0, 1, 1)),
        calc=lambda d: (rows(d).insertByIndex(8, 2), columns(d).insertByIndex(1, 1)),
        changes=TABLE),
    'row_insert': dict(
        engine=lambda h: call('XM_RowInsert', h, 0, 8, 2),
        calc=lambda d: rows(d).insertByIndex(8, 2),
        changes=TABLE - {'merged'}),
    # Row 2 holds the comment above the table.
    'row_delete_comment': dict(
        engine=lambda h: call('XM_RowDelete', h, 0, 1, 1),
        calc=lambda d: rows(d).removeByIndex(1, 1),
        changes=TABLE - {'values'}),
    # Rows 7-8 of the table: areas shrink, the comment of C8 goes. A 3-D span over the deleted
    # row becomes #REF! in Calc, though only one of its sheets loses the row: the engine follows.
    # Calc also turns the relative references of a validation and a conditional format whose
    # first cell went into #REF!, which drops the rule from the cells that stay; the engine
    # keeps them, relative to the new first cell (C9's rule C9<=B9 is C7<=B7 once at C7).
    'row_delete_inside': dict(
        engine=lambda h: call('XM_RowDelete', h, 0, 6, 2),
        calc=lambda d: rows(d).removeByIndex(6, 2),
        changes=TABLE - {'merged'},
        by_design={
            'validations': {'Inv': [('B7', 'whole', '0', '$F$1'),
                                    ('C7', 'custom', 'C7<=B7', '0')]},
            'formats': {'Inv': [('A7:D7', (('$C7>1',),)), ('B7', (('$F$2',),))]}}),
    'row_clear': dict(
        engine=lambda h: call('XM_RowClear', h, 0, 8, 1),
        calc=lambda d: calc_clear(d, 0, 8, 256, 1),
        # Comments stay; Calc keeps a hyperlink in the cell text, which the clear removes.
        changes={'formulas', 'values', 'links'}),
    'column_insert': dict(
        engine=lambda h: call('XM_ColumnInsert', h, 0, 1, 1),
        calc=lambda d: columns(d).insertByIndex(1, 1),
        changes=TABLE - {'links'}),
    # Column C (the quantities): references to it become #REF!, its validation goes.
    'column_delete': dict(
        engine=lambda h: call('XM_ColumnDelete', h, 0, 2, 1),
        calc=lambda d: columns(d).removeByIndex(2, 1),
        changes=TABLE - {'links'}),
    'column_clear': dict(
        engine=lambda h: call('XM_ColumnClear', h, 0, 1, 1),
        calc=lambda d: calc_clear(d, 1, 0, 1, 65536),
        changes={'formulas', 'values'}),
    # A7:D10 pasted at A20 and again at G20: relative parts move, absolute stay; Calc widens
    # the validations and conditional formats of the copied cells over the pastes.
    'block_copy_paste': dict(
        engine=lambda h: (call('XM_BlockCopy', h, 0, 0, 6, 4, 4, 0, 19),
                          call('XM_BlockPaste', h, 0, 6, 19)),
        calc=lambda d: (calc_copy(d, 0, 6, 4, 4, 0, 19), calc_copy(d, 0, 6, 4, 4, 6, 19)),
        changes={'formulas', 'values', 'comments', 'links', 'validations', 'formats'}),
    'row_copy': dict(
        engine=lambda h: call('XM_RowCopy', h, 0, 8, 20),
        calc=lambda d: calc_copy(d, 0, 8, 256, 1, 0, 20),
        changes={'formulas', 'values', 'comments', 'links', 'validations', 'formats'}),
    'sheet_copy_first': dict(
        engine=lambda h: call('XM_CopySheet', h, 0, 0, b'Copy'),
        calc=lambda d: d.Sheets.copyByName('Inv', 'Copy', 0),
        changes=TABLE, by_design=SELF_REFERENCE),
    'sheet_copy_appended': dict(
        engine=lambda h: call('XM_CopySheet', h, 0, 3, b'Copy'),
        calc=lambda d: d.Sheets.copyByName('Inv', 'Copy', 3),
        changes=TABLE, by_design=SELF_REFERENCE),
    # Other, inside the span Inv:Third, holds the sheet-local name.
    'sheet_delete_middle': dict(
        engine=lambda h: call('XM_SetDelSheet', h, 1, 1),
        calc=lambda d: d.Sheets.removeByName('Other'),
        changes={'formulas', 'values', 'names'}),
    # Third ends the span Inv:Third.
    'sheet_delete_last': dict(
        engine=lambda h: call('XM_SetDelSheet', h, 2, 1),
        calc=lambda d: d.Sheets.removeByName('Third'),
        changes={'formulas', 'values'}),
}


def cells_of(sheet):
    out = {}
    for row in sheet.iter_rows(min_row=1, max_row=30, max_col=16):
        for cell in row:
            value = cell.value
            if cell.coordinate in sheet.formula_attributes:
                value = (value, sheet.formula_attributes[cell.coordinate].get('ref'))
            if value is not None:
                out[cell.coordinate] = value
    return out


def book_state(path):
    """aspect -> sheet title (or 'book') -> a comparable value."""
    formulas, values = openpyxl.load_workbook(path), openpyxl.load_workbook(path, data_only=True)
    titles = formulas.sheetnames
    state = {aspect: {} for aspect in ASPECTS}
    # openpyxl keeps a print area and print titles apart from the other names when it knows
    # them, and among them when it does not: both count.
    state['names']['book'] = sorted(
        (name.name, '' if name.localSheetId is None else titles[name.localSheetId],
         name.attr_text) for name in formulas.defined_names.definedName)
    for sheet in formulas.worksheets:
        title = sheet.title
        state['formulas'][title] = cells_of(sheet)
        state['values'][title] = cells_of(values[title])
        state['print'][title] = (sheet.print_area, sheet.print_title_rows, sheet.print_title_cols)
        every = [cell for row in sheet.iter_rows(max_row=30, max_col=16) for cell in row]
        state['comments'][title] = {c.coordinate: c.comment.text for c in every if c.comment}
        state['links'][title] = {c.coordinate: (c.hyperlink.target, c.hyperlink.location)
                                 for c in every if c.hyperlink}
        state['validations'][title] = sorted(
            (str(rule.sqref), rule.type, rule.formula1, rule.formula2)
            for rule in sheet.data_validations.dataValidation)
        state['formats'][title] = sorted(
            (str(area.sqref), tuple(tuple(rule.formula) for rule in area.rules))
            for area in sheet.conditional_formatting)
        state['merged'][title] = sorted(str(area) for area in sheet.merged_cells.ranges)
        state['filter'][title] = sheet.auto_filter.ref
    return state


class ReferenceMovesTest(unittest.TestCase):
    maxDiff = None

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='tabrix-refs-')
        cls.calc = calc_uno.CalcSession(cls.folder)
        cls.template = make_template(cls.folder, cls.calc)
        cls.results, cls.unedited = calc_uno.edit_both(cls.calc, LIB, cls.folder, cls.template,
                                                       CASES, book_state)

    @classmethod
    def tearDownClass(cls):
        cls.calc.close()
        shutil.rmtree(cls.folder, ignore_errors=True)

    def test_the_template_holds_every_kind_of_reference(self):
        state = self.unedited
        self.assertEqual(state['print']['Inv'], (['$A$1:$C$12'], '$6:$6', None))
        names = {(name, scope) for name, scope, _ in state['names']['book']}
        self.assertLessEqual({('Total', ''), ('Rate', 'Inv'), ('Local', 'Other')}, names)
        self.assertEqual(len(state['comments']['Inv']), 3)
        self.assertEqual(len(state['links']['Inv']), 2)
        self.assertEqual(len(state['validations']['Inv']), 2)
        self.assertEqual(len(state['formats']['Inv']), 2)
        self.assertEqual(state['filter']['Inv'], 'A6:D9')
        self.assertEqual(state['formulas']['Other']['A6'], '=SUM(Inv:Third!B8:B8)')

    def compare(self, name):
        case = CASES[name]
        ours, theirs = self.results[name]
        by_design = case.get('by_design', {})
        for aspect in ASPECTS:
            with self.subTest(aspect=aspect):
                if aspect in case['changes']:
                    self.assertNotEqual(theirs[aspect], self.unedited[aspect],
                                        'LibreOffice changed no %s' % aspect)
                expected = {sheet: copy.deepcopy(value) for sheet, value in theirs[aspect].items()}
                for where, mine in by_design.get(aspect, {}).items():
                    # The engine's result where it differs by design (a cell, or all the sheet
                    # holds), and proof that it does.
                    sheet, key = where if isinstance(where, tuple) else (where, None)
                    holder, key = (expected[sheet], key) if key else (expected, sheet)
                    self.assertNotEqual(holder[key], mine, where)
                    holder[key] = mine
                for sheet in sorted(set(expected) | set(ours[aspect])):
                    self.assertEqual(ours[aspect].get(sheet), expected.get(sheet), sheet)


for _name in CASES:
    setattr(ReferenceMovesTest, 'test_' + _name, lambda self, name=_name: self.compare(name))


if __name__ == '__main__':
    unittest.main()
