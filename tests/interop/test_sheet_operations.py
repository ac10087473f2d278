"""Sheets renamed, appended, deleted and copied through the engine's C interface, read back by
xlrd (names and order, values, merged cells) and by LibreOffice, which recalculates the
formulas that name other sheets and saves .xlsx for openpyxl.
"""
import ctypes
import os
import shutil
import subprocess
import tempfile
import unittest


import openpyxl
import xlrd
from openpyxl.workbook.defined_name import DefinedName

import libreoffice

LIB = ctypes.CDLL(os.environ['TABRIX_LIB'])


class XLATTR(ctypes.Structure):
    _fields_ = [(name, ctypes.c_int16) for name in (
        'Font', 'Format', 'PosHorz', 'OverReturn', 'PosVert', 'Orient', 'LineTop', 'LineBottom',
        'LineLeft', 'LineRight', 'ColorTop', 'ColorBottom', 'ColorLeft', 'ColorRight',
        'Pattern', 'PatternColor', 'BackColor', 'Fit', 'Joint', 'DiagKind', 'DiagStyle',
        'DiagColor', 'Indent', 'Rotation', 'Locked', 'Hidden')]


def call(name, *args):
    rc = getattr(LIB, name)(*args)
    if rc < 0:
        raise AssertionError('%s%r returned %d' % (name, args, rc))
    return rc


# Sheet names after the calls, in order, and the values each sheet holds then.
EXPECTED_NAMES = ['Sheet1', 'Data', 'Sheet4', 'Sheet1 (2)', 'Sheet5']


def build(path, biff8):
    """Four sheets; Sheet1's formulas read Sheet2 (renamed Data) and Sheet4; Sheet3, between
    them, is deleted; Sheet1 is copied to the end, and one sheet appended."""
    h = call('XM_Create97' if biff8 else 'XM_Create', path.encode(), 4)
    call('XM_WriteInt', h, 1, 0, 0, 10)
    call('XM_WriteInt', h, 1, 0, 1, 20)
    call('XM_WriteInt', h, 2, 0, 0, 99)
    call('XM_WriteInt', h, 3, 0, 0, 5)
    call('XM_SetRefSheet', h, 0, b'Sheet2/Sheet4')
    call('XM_WriteFunc', h, 0, 0, 0, b'Sheet4!A1*2')
    call('XM_WriteFunc', h, 0, 0, 1, b'Sheet2!A1+Sheet2!A2')
    call('XM_WriteStr', h, 0, 1, 0, b'hello')
    # Sizes and page setup that the copy must carry: column B 20 wide, column E hidden,
    # row 3 30 points, landscape with a scale of 80.
    call('XM_SetColWidth', h, 0, 1, 1, 20)
    call('XM_SetColWidth', h, 0, 4, 4, 0)
    LIB.XM_SetRowHeight.argtypes = [ctypes.c_int32, ctypes.c_int32, ctypes.c_int32, ctypes.c_double]
    call('XM_SetRowHeight', h, 0, 2, 30.0)
    LIB.XM_SetPageMode.argtypes = [ctypes.c_int32] * 5 + [ctypes.c_double] * 2
    call('XM_SetPageMode', h, 0, 9, 80, 0, 10.0, 10.0)
    if biff8:
        attr = XLATTR()
        call('XM_InitAttr', ctypes.byref(attr))
        attr.Joint = 1
        call('XM_SetAttrExt2', h, 0, 2, 0, 3, 1, ctypes.byref(attr))
    call('XM_SheetName', h, 1, b'Data')
    assert LIB.XM_SheetName(h, 0, b'DATA') == -34
    call('XM_SetDelSheet', h, 2, 1)
    call('XM_CopySheet', h, 0, 3, None)
    call('XM_SetAddSheet', h, 1)
    call('XM_SetActiveSheet', h, 1)
    call('XM_Close', h)


class SheetOperationsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='tabrix-sheets-')
        cls.paths = {}
        for biff8 in (True, False):
            path = os.path.join(cls.folder, 'sheets%d.xls' % (8 if biff8 else 5))
            build(path, biff8)
            cls.paths[biff8] = path
        converted = libreoffice.convert(cls.paths.values(), cls.folder)
        cls.converted = {biff8: converted[path] for biff8, path in cls.paths.items()}

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    def check_xlrd(self, biff8):
        book = xlrd.open_workbook(self.paths[biff8], formatting_info=biff8)
        self.assertEqual(book.sheet_names(), EXPECTED_NAMES)
        self.assertEqual(book.sheet_by_name('Data').col_values(0), [10.0, 20.0])
        self.assertEqual(book.sheet_by_name('Sheet4').cell_value(0, 0), 5.0)
        self.assertEqual(book.sheet_by_name('Sheet5').nrows, 0)
        for name in ('Sheet1', 'Sheet1 (2)'):
            sheet = book.sheet_by_name(name)
            self.assertEqual(sheet.cell_value(0, 1), 'hello')
            if biff8:
                self.assertEqual(sheet.merged_cells, [(0, 2, 2, 4)])
                self.assertGreater(sheet.colinfo_map[1].width, sheet.colinfo_map[0].width
                                   if 0 in sheet.colinfo_map else 8 * 256)
                self.assertTrue(sheet.colinfo_map[4].hidden, name)
                self.assertEqual(sheet.rowinfo_map[2].height, 600, name)

    def test_xlrd_reads_the_excel97_sheets(self):
        self.check_xlrd(True)

    def test_xlrd_reads_the_excel95_sheets(self):
        self.check_xlrd(False)

    def check_libreoffice(self, biff8):
        book = openpyxl.load_workbook(self.converted[biff8], data_only=True)
        self.assertEqual(book.sheetnames, EXPECTED_NAMES)
        self.assertEqual(book.active.title, 'Data')
        for name in ('Sheet1', 'Sheet1 (2)'):
            sheet = book[name]
            # Recalculated: Data!A1+Data!A2 names a sheet that kept its number.
            self.assertEqual((sheet['A2'].value, sheet['B1'].value), (30, 'hello'), name)
            if biff8:
                self.assertEqual([str(r) for r in sheet.merged_cells.ranges], ['C1:D2'])
            self.assertEqual(sheet.page_setup.orientation, 'landscape', name)
            self.assertEqual(int(sheet.page_setup.scale), 80, name)
            self.assertGreater(sheet.column_dimensions['B'].width, 19, name)
            self.assertTrue(sheet.column_dimensions['E'].hidden, name)
            self.assertEqual(sheet.row_dimensions[3].height, 30, name)
        formulas = openpyxl.load_workbook(self.converted[biff8])['Sheet1 (2)']
        self.assertEqual(formulas['A2'].value.replace("'", '').upper(), '=DATA!A1+DATA!A2')

    def check_moved_sheet_reference(self, biff8):
        """Sheet4!A1*2: Sheet4 moved from sheet 3 to sheet 2 when Sheet3 went."""
        book = openpyxl.load_workbook(self.converted[biff8], data_only=True)
        for name in ('Sheet1', 'Sheet1 (2)'):
            self.assertEqual(book[name]['A1'].value, 10, name)
        formulas = openpyxl.load_workbook(self.converted[biff8])['Sheet1 (2)']
        self.assertEqual(formulas['A1'].value.replace("'", '').upper(), '=SHEET4!A1*2')

    def test_libreoffice_recalculates_the_excel97_sheets(self):
        self.check_libreoffice(True)
        self.check_moved_sheet_reference(True)

    def test_libreoffice_recalculates_the_excel95_sheets(self):
        self.check_libreoffice(False)

    # Excel 95 formula tokens carry sheet numbers of their own, which must follow the sheets.
    def test_libreoffice_follows_a_moved_sheet_in_excel95(self):
        self.check_moved_sheet_reference(False)


class Excel95NamesTest(unittest.TestCase):
    """An Excel 95 defined name carries sheet numbers in its 3-D reference: deleting or copying
    a sheet before the one it names must renumber it. ssconvert writes the workbook (LibreOffice
    writes no Excel 95)."""

    def test_a_name_follows_its_sheet(self):
        folder = tempfile.mkdtemp(prefix='tabrix-names95-')
        self.addCleanup(shutil.rmtree, folder, True)
        source = openpyxl.Workbook()
        source.active.title = 'A'
        source.active['A1'] = '=A!B1*2'  # a reference to its own sheet
        source.active['B1'] = 5
        source.create_sheet('B')
        source.create_sheet('C')['A1'] = 42
        source.defined_names.append(DefinedName('N', attr_text='C!$A$1'))
        source.save(os.path.join(folder, 'source.xlsx'))
        template = os.path.join(folder, 'names95.xls')
        subprocess.run(['ssconvert', '-T', 'Gnumeric_Excel:excel_biff7',
                        os.path.join(folder, 'source.xlsx'), template],
                       check=True, capture_output=True, timeout=600, env=dict(os.environ, HOME=folder))
        for edit, sheet in (('delete', 1), ('copy', 3)):
            path = os.path.join(folder, edit + '.xls')
            h = LIB.XM_CreateT(path.encode(), template.encode())
            self.assertGreaterEqual(h, 0)
            rc = (LIB.XM_SetDelSheet(h, 1, 1) if edit == 'delete'
                  else LIB.XM_CopySheet(h, 0, 0, b'A2'))
            self.assertEqual((rc, LIB.XM_Close(h)), (0, 0))
            book = xlrd.open_workbook(path)
            name = book.name_map['n'][0]
            self.assertEqual(name.result.value[0].coords[:2], (sheet, sheet + 1), edit)
            self.assertEqual(book.sheet_by_index(sheet).cell_value(0, 0), 42, edit)
        # The copy's reference to its own sheet names the copy: a value written there counts.
        path = os.path.join(folder, 'self.xls')
        h = LIB.XM_CreateT(path.encode(), template.encode())
        self.assertEqual(LIB.XM_CopySheet(h, 0, 0, b'A2'), 0)
        self.assertEqual((LIB.XM_WriteInt(h, 0, 1, 0, 7), LIB.XM_Close(h)), (0, 0))
        recalculated = openpyxl.load_workbook(libreoffice.convert([path], folder)[path],
                                              data_only=True)
        self.assertEqual([recalculated[name]['A1'].value for name in ('A2', 'A')], [14, 10])


if __name__ == '__main__':
    unittest.main()
