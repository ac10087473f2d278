"""Hyperlinks, data validations, conditional formats, the autofilter and page breaks of a
LibreOffice-made template, kept on their cells when rows and columns are inserted, deleted,
cleared, copied and pasted through the engine's C interface, set against the same edit made by
LibreOffice itself: after both are saved as .xlsx by LibreOffice, openpyxl finds the same
ranges, formulas and links, except where the engine differs by design, which each case names.
"""
import ctypes
import os
import shutil
import tempfile
import unittest

import openpyxl
from openpyxl.formatting.rule import CellIsRule, FormulaRule
from openpyxl.worksheet.datavalidation import DataValidation
from openpyxl.worksheet.hyperlink import Hyperlink
from openpyxl.worksheet.pagebreak import Break

import calc_uno
import libreoffice

LIB = ctypes.CDLL(os.environ['TABRIX_LIB'])


def make_template(folder):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = 'Inv'
    sheet['F1'], sheet['F2'], sheet['B2'] = 50, 5, 'target'
    for column, title in zip('ABCD', ('Item', 'Qty', 'Price', 'Sum')):
        sheet[column + '6'] = title
    for row in range(7, 10):
        sheet['A%d' % row] = 'item%d' % row
        sheet['B%d' % row] = row
        sheet['C%d' % row] = row - 5
        sheet['D%d' % row] = '=B%d*C%d' % (row, row)
    sheet['A10'] = 'see B2'
    sheet['A9'].hyperlink = 'https://example.org/a9'
    sheet['A10'].hyperlink = Hyperlink(ref='A10', location="'Inv'!B2", display='see B2')
    absolute = DataValidation(type='whole', operator='lessThan', formula1='$F$1')
    absolute.add('B7:B9')
    relative = DataValidation(type='custom', formula1='C7<=B7')  # relative to C7
    relative.add('C7:C9')
    sheet.add_data_validation(absolute)
    sheet.add_data_validation(relative)
    sheet.conditional_formatting.add('B7:B9', CellIsRule(operator='greaterThan',
                                                         formula=['$F$2']))
    sheet.conditional_formatting.add('A7:D9', FormulaRule(formula=['$C7>1']))
    sheet.auto_filter.ref = 'A6:D9'
    sheet.auto_filter.add_filter_column(2, ['2', '3', '4'])  # on Price, the third column
    sheet.row_breaks.append(Break(id=12))
    sheet.col_breaks.append(Break(id=4))
    source = os.path.join(folder, 'template.xlsx')
    book.save(source)
    made = libreoffice.convert([source], folder, 'xls')[source]
    template = os.path.join(folder, 'template.xls')
    os.replace(made, template)
    return template


call = calc_uno.checked(LIB)
copy_range = calc_uno.copy_range
clear = calc_uno.clear
rows = calc_uno.rows
columns = calc_uno.columns


# Each case: the engine's calls (handle first) and the same edit in Calc. A paste carries the
# hyperlinks of the copied cells and widens their validations and conditional formats over
# the pasted ones.
CASES = {
    'row_insert': dict(engine=lambda h: call('XM_RowInsert', h, 0, 8, 2),
                       calc=lambda d: rows(d).insertByIndex(8, 2)),
    # Calc turns the relative formulas of the rules left on C7 and A7:D7 into #REF!: their
    # first cells went; the engine keeps what each remaining cell's rule meant.
    'row_delete': dict(engine=lambda h: call('XM_RowDelete', h, 0, 6, 2),
                       calc=lambda d: rows(d).removeByIndex(6, 2),
                       kept=dict(validations=[('B7', '$F$1'), ('C7', 'C7<=B7')],
                                 formats=[('A7:D7', (('$C7>1',),)), ('B7', (('$F$2',),))])),
    'column_insert': dict(engine=lambda h: call('XM_ColumnInsert', h, 0, 1, 1),
                          calc=lambda d: columns(d).insertByIndex(1, 1)),
    'column_delete': dict(engine=lambda h: call('XM_ColumnDelete', h, 0, 2, 1),
                          calc=lambda d: columns(d).removeByIndex(2, 1)),
    'row_clear': dict(engine=lambda h: call('XM_RowClear', h, 0, 8, 1),
                      calc=lambda d: clear(d, 0, 8, 256, 1)),
    'block_copy': dict(engine=lambda h: call('XM_BlockCopy', h, 0, 0, 6, 4, 4, 6, 19),
                       calc=lambda d: copy_range(d, 0, 6, 4, 4, 6, 19)),
    'row_copy': dict(engine=lambda h: call('XM_RowCopy', h, 0, 9, 20),
                     calc=lambda d: copy_range(d, 0, 9, 256, 1, 0, 20)),
}


def attached(path):
    sheet = openpyxl.load_workbook(path).worksheets[0]
    links = {}
    for row in sheet.iter_rows(min_row=1, max_row=40, max_col=16):
        for cell in row:
            if cell.hyperlink is not None:
                links[cell.coordinate] = (cell.hyperlink.target, cell.hyperlink.location)
    validations = sorted((str(rule.sqref), rule.formula1)
                         for rule in sheet.data_validations.dataValidation)
    formats = sorted((str(area.sqref), tuple(tuple(rule.formula) for rule in rules))
                     for area, rules in sheet.conditional_formatting._cf_rules.items())
    return dict(
        links=links, validations=validations, formats=formats,
        filter=(sheet.auto_filter.ref,
                sorted(column.colId for column in sheet.auto_filter.filterColumn)),
        breaks=([b.id for b in sheet.row_breaks.brk], [b.id for b in sheet.col_breaks.brk]))


class AttachedRangesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='tabrix-attached-')
        cls.template = make_template(cls.folder)
        cls.calc = calc_uno.CalcSession(cls.folder)
        cls.results, cls.unedited = calc_uno.edit_both(cls.calc, LIB, cls.folder, cls.template,
                                                       CASES, attached)

    @classmethod
    def tearDownClass(cls):
        cls.calc.close()
        shutil.rmtree(cls.folder, ignore_errors=True)

    def test_the_template_holds_every_record_family(self):
        state = self.unedited
        self.assertEqual(len(state['links']), 2)
        self.assertEqual(len(state['validations']), 2)
        self.assertEqual(len(state['formats']), 2)
        self.assertEqual(state['filter'], ('A6:D9', [2]))
        self.assertEqual(state['breaks'], ([12], [4]))

    def compare(self, name):
        ours, calc = self.results[name]
        self.assertNotEqual(calc, self.unedited, name)
        for key in calc:
            if key in CASES[name].get('kept', {}):
                self.assertEqual(ours[key], CASES[name]['kept'][key], (name, key))
                self.assertNotEqual(calc[key], CASES[name]['kept'][key], (name, key))
                continue
            self.assertEqual(ours[key], calc[key], (name, key))


for _name in CASES:
    setattr(AttachedRangesTest, 'test_' + _name, lambda self, name=_name: self.compare(name))


if __name__ == '__main__':
    unittest.main()
