"""Comments and drawing objects of a LibreOffice-made template (comments, a chart, a rectangle
anchored to a cell) after rows and columns are inserted, deleted, cleared, copied and pasted
through the engine's C interface: xlrd and LibreOffice (through .xlsx and openpyxl) find each
comment's text at the cell LibreOffice's own operation puts it, and LibreOffice opens every file.
"""
import ctypes
import os
import shutil
import tempfile
import unittest

import openpyxl
import xlrd

import calc_uno
import libreoffice

LIB = ctypes.CDLL(os.environ['TABRIX_LIB'])

#(column, row) 0 - based : the texts of Sheet1 's comments, and Sheet2' s only one.
NOTES = {(0, 1): 'note A2', (2, 7): 'note C8', (0, 8): 'note A9', (3, 3): 'long note D4 ' * 4}
OTHER_NOTE = {(1, 1): 'note B2'}


def make_template(folder):
    from com.sun.star.awt import Point, Rectangle, Size
    from com.sun.star.table import CellAddress, CellRangeAddress

    def fill(document):
        sheets = document.Sheets
        sheets.insertNewByName('Sheet2', 1)
        sheets.insertNewByName('Sheet3', 2)  # no comments: no drawing
        for index, notes in ((0, NOTES), (1, OTHER_NOTE)):
            sheet = sheets.getByIndex(index)
            for row in range(10):
                for column in range(4):
                    sheet.getCellByPosition(column, row).setValue(row * 10 + column)
            for (column, row), text in notes.items():
                sheet.Annotations.insertNew(CellAddress(index, column, row), text)
        first = sheets.getByIndex(0)
        first.Charts.addNewByName('Chart1', Rectangle(4000, 3000, 6000, 4000),
                                  (CellRangeAddress(0, 0, 0, 1, 4),), False, False)
        shape = document.createInstance('com.sun.star.drawing.RectangleShape')
        first.DrawPage.add(shape)
        shape.Position, shape.Size = Point(1000, 6000), Size(2000, 1000)
        shape.Anchor = first.getCellByPosition(1, 12)

    path = os.path.join(folder, 'template.xls')
    calc = calc_uno.CalcSession(folder)
    try:
        calc.new_xls(path, fill)
    finally:
        calc.close()
    return path


def call(name, *args):
    rc = getattr(LIB, name)(*args)
    if rc < 0:
        raise AssertionError('%s%r returned %d' % (name, args, rc))
    return rc


def moved(notes, **changes):
    out = {}
    for (column, row), text in notes.items():
        key = changes.get(text, (column, row))
        if key is not None:
            out[key] = text
    return out
#Each case : the engine's calls on handle h, then the comments expected on Sheet1 and Sheet2.
CASES = {
    'row_insert': (lambda h: call('XM_RowInsert', h, 0, 8, 2),
                   moved(NOTES, **{'note A9': (0, 10)}), OTHER_NOTE),
#Sheet2's only comment goes: its drawing is left with no shape but its group.
    'row_delete': (lambda h: (call('XM_RowDelete', h, 0, 1, 1), call('XM_RowDelete', h, 1, 1, 1)),
                   moved(NOTES, **{'note A2': None, 'note A9': (0, 7), 'note C8': (2, 6),
                                   NOTES[(3, 3)]: (3, 2)}), {}),
    'column_delete': (lambda h: call('XM_ColumnDelete', h, 0, 0, 1),
                      moved(NOTES, **{'note A2': None, 'note A9': None, 'note C8': (1, 7),
                                      NOTES[(3, 3)]: (2, 3)}), OTHER_NOTE),
#Calc's clear of values, texts and formulas keeps comments.
    'row_clear': (lambda h: call('XM_RowClear', h, 0, 0, 10), NOTES, OTHER_NOTE),
#A8 : D11 pasted at A21 and at A1, where it replaces the comments of A2 and D4; then the
#rectangle 's rows go (it goes with them) and A9' s row is copied into Sheet2.
    'copy_paste': (lambda h: (call('XM_BlockCopy', h, 0, 0, 7, 4, 4, 0, 20),
                              call('XM_BlockPaste', h, 0, 0, 0),
                              call('XM_RowDelete', h, 0, 11, 4),
                              call('XM_RowCopyEx', h, 0, 8, 1, 1, 5)),
                   {(0, 1): 'note A9', (2, 0): 'note C8', (2, 7): 'note C8', (0, 8): 'note A9',
                    (0, 17): 'note A9', (2, 16): 'note C8'},
                   {(1, 1): 'note B2', (0, 5): 'note A9'}),
#Sheet3 has no drawing : the first copy makes one, the later pastes add to it.
    'new_drawing': (lambda h: (call('XM_RowCopyEx', h, 0, 7, 2, 2, 0),
                               call('XM_RowCopyEx', h, 0, 1, 1, 2, 5),
                               call('XM_BlockCopy', h, 2, 0, 0, 4, 2, 1, 10)),
                    NOTES, OTHER_NOTE),
}
#The comments expected on Sheet3.
THIRD = {'new_drawing': {(2, 0): 'note C8', (0, 1): 'note A9', (0, 5): 'note A2',
                         (3, 10): 'note C8', (1, 11): 'note A9'}}


class CommentMovesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='tabrix-notes-')
        cls.template = make_template(cls.folder)
        cls.paths = {}
        for name, (edit, _, _) in CASES.items():
            path = os.path.join(cls.folder, name + '.xls')
            h = call('XM_CreateT', path.encode(), cls.template.encode())
            edit(h)
            call('XM_Close', h)
            cls.paths[name] = path
        cls.converted = libreoffice.convert(list(cls.paths.values()), cls.folder)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    def test_template_as_expected(self):
        book = xlrd.open_workbook(self.template, formatting_info=True)
        self.assertEqual(self.notes_xlrd(book, 0), NOTES)

    @staticmethod
    def notes_xlrd(book, index):
        return {
        (column, row)
            : note.text for (row, column),
        note in book.sheet_by_index(index).cell_note_map.items()
    }

    def test_comments_where_calc_puts_them(self):
        for name, (_, first, second) in CASES.items():
            with self.subTest(name):
                book = xlrd.open_workbook(self.paths[name], formatting_info=True)
                self.assertEqual(self.notes_xlrd(book, 0), first)
                self.assertEqual(self.notes_xlrd(book, 1), second)
                third = THIRD.get(name, {})
                self.assertEqual(self.notes_xlrd(book, 2), third)
                converted = openpyxl.load_workbook(self.converted[self.paths[name]])
                for index, expected in ((0, first), (1, second), (2, third)):
                    seen = {(cell.column - 1, cell.row - 1): cell.comment.text
                            for row in converted.worksheets[index].iter_rows()
                            for cell in row if cell.comment}
                    self.assertEqual(seen, expected)
                self.assertEqual(len(converted.worksheets[0]._charts), 1)


if __name__ == '__main__':
    unittest.main()
