"""Workbooks, sheets and cells over the engine's handle calls.

A Book owns one engine handle. Nothing reaches the disk before the book is saved; a book
left by an exception, discarded by hand or never closed leaves the file as it was.
"""
from __future__ import annotations

import ctypes
import datetime
import decimal
import errno
import itertools
import math
import numbers
import operator
import os
import re
import warnings
from typing import Any, Iterator, Mapping, Optional, Sequence, Tuple, Union

from . import _engine as eng
from ._errors import (TabrixError, TabrixKeyError, TabrixTypeError, TabrixValueError,
                      engine_error, file_error)
from ._filemeta import FileFormats, read_file_formats
from ._styles import (HORIZONTAL, VERTICAL, Alignment, Border, Colour, Font, border_style,
                      choice, palette_index)
from ._values import (DATE_FORMAT, DATETIME_FORMAT, ERROR_CODES, TIME_FORMAT, CellError, Text,
                      Value, from_serial, is_date_format, to_serial)

XM = eng.XM
_DEFAULT_XF = 15
_COLUMNS = 256
_TEXT_UNITS = 32770
_WALK_CELLS = 8192
_WALK_TEXT = 65536
_INT_MIN, _INT_MAX = -2 ** 31, 2 ** 31 - 1
_CELL_REFERENCE = re.compile(r'\$?([A-Za-z]{1,3})\$?([0-9]+)$')
_SHEET_NAME_REFUSED = set(':\\/?*[]')

_CREATED, _READ, _TEMPLATE, _UPDATE = 'created', 'read', 'template', 'update'


def column_letter(column: int) -> str:
    """The letters of a 1-based column number: 1 is 'A', 27 'AA'."""
    letters = ''
    while column > 0:
        column, rest = divmod(column - 1, 26)
        letters = chr(65 + rest) + letters
    return letters


def column_number(letters: str) -> int:
    """The 1-based number of a column's letters: 'A' is 1, 'iv' 256."""
    number = 0
    for letter in letters.upper():
        number = number * 26 + ord(letter) - 64
    return number


def parse_reference(reference: str) -> Tuple[int, int]:
    """(row, column), both 1-based, of a cell reference such as 'B3' or '$B$3'."""
    match = _CELL_REFERENCE.match(reference.strip()) if isinstance(reference, str) else None
    if not match:
        raise TabrixValueError(32, 'not a cell reference: %r' % (reference,))
    return int(match.group(2)), column_number(match.group(1))


def _parse_range(reference: str) -> Tuple[int, int, int, int]:
    first, _, last = reference.partition(':')
    row1, column1 = parse_reference(first)
    row2, column2 = parse_reference(last) if last else (row1, column1)
    return min(row1, row2), min(column1, column2), max(row1, row2), max(column1, column2)


class Cell:
    """One cell of a sheet: ``row`` and ``column`` from 1, ``value`` read and written."""

    __slots__ = ('_sheet', 'row', 'column')

    def __init__(self, sheet: 'Sheet', row: int, column: int) -> None:
        self._sheet = sheet
        self.row = row
        self.column = column

    @property
    def value(self) -> Value:
        """The cell's value: int, float, str, bool, datetime (or date/time) for a number
        with a date format, CellError for an error, None for an empty cell; a formula gives
        its stored result. Setting writes it (see Sheet.cell)."""
        return self._sheet._read(self.column - 1, self.row - 1)

    @value.setter
    def value(self, value: Any) -> None:
        self._sheet._write(self.column - 1, self.row - 1, value)

    @property
    def coordinate(self) -> str:
        """The cell's reference, such as 'B3'."""
        return '%s%d' % (column_letter(self.column), self.row)

    def format(self, **options: Any) -> None:
        """Formats the cell; the options are those of Sheet.format."""
        self._sheet.format(self.coordinate, **options)

    def __repr__(self) -> str:
        return '<Cell %r!%s>' % (self._sheet.name, self.coordinate)


class Sheet:
    """One sheet of a book: cells by reference (``sheet['B3']``) or by number
    (``sheet.cell(row=3, column=2)``), rows by ``iter_rows``, and formatting."""

    def __init__(self, book: 'Book', index: int) -> None:
        self._book = book
        self._index = index
        self._max_x = 0  # one past the last written column and row
        self._max_y = 0
        self._grid: Optional[dict] = None

    @property
    def book(self) -> 'Book':
        """The book the sheet belongs to."""
        return self._book

    @property
    def index(self) -> int:
        """The sheet's position in the book, from 0."""
        return self._index

    @property
    def name(self) -> str:
        """The sheet's name; setting renames it (1-31 characters, none of : \\ / ? * [ ],
        not another sheet's name)."""
        buffer = (ctypes.c_uint16 * 64)()
        rc = XM.XM_GetSheetNameW(self._book._live(), self._index, buffer)
        if rc < 0:
            raise engine_error(rc, 'reading the name of sheet %d' % self._index)
        return eng.from_wide(buffer)

    @name.setter
    def name(self, name: str) -> None:
        self._book._check_sheet_name(name, self._index)
        rc = XM.XM_SheetNameW(self._book._writable(), self._index, eng.wide(name))
        if rc < 0:
            raise engine_error(rc, 'renaming sheet %d to %r' % (self._index, name))

    def __repr__(self) -> str:
        return '<Sheet %r>' % self.name

    # ---- cells ----------------------------------------------------------------------------

    def cell(self, row: int, column: int, value: Any = ...) -> Cell:
        """The cell at ``row`` and ``column`` (both from 1, as openpyxl counts); with
        ``value``, that value is written first."""
        if not (type(row) is int and type(column) is int and 0 < row <= self._book._rows
                and 0 < column <= _COLUMNS):
            self._check_position(row, column)
        cell = Cell(self, row, column)
        if value is not ...:
            self._write(column - 1, row - 1, value)
        return cell

    def __getitem__(self, reference: str) -> Any:
        """``sheet['B3']`` is a Cell; ``sheet['A1:C2']`` the rows of Cells of a range."""
        if ':' in reference:
            row1, column1, row2, column2 = _parse_range(reference)
            return tuple(tuple(self.cell(r, c) for c in range(column1, column2 + 1))
                         for r in range(row1, row2 + 1))
        return self.cell(*parse_reference(reference))

    def __setitem__(self, reference: str, value: Any) -> None:
        """``sheet['B3'] = value`` writes the value."""
        row, column = parse_reference(reference)
        self.cell(row, column).value = value

    def _check_position(self, row: Any, column: Any) -> None:
        for name, number, limit in (('row', row, self._book._rows), ('column', column, _COLUMNS)):
            if not isinstance(number, numbers.Integral) or isinstance(number, bool):
                raise TabrixTypeError(34, '%s must be an int, not %r' % (name, number))
            if not 0 < number <= limit:
                raise TabrixValueError(32, '%s %d outside 1-%d' % (name, number, limit))

    @property
    def max_row(self) -> int:
        """The last used row, from 1 (0 for an empty sheet)."""
        return self._extent()[1]

    @property
    def max_column(self) -> int:
        """The last used column, from 1 (0 for an empty sheet)."""
        return self._extent()[0]

    def _extent(self) -> Tuple[int, int]:
        book = self._book
        if book._mode == _READ:
            grid = self._walked()
            return max(map(len, grid.values()), default=0), max(grid, default=-1) + 1
        columns, rows = ctypes.c_int32(), ctypes.c_int32()
        if book._mode == _CREATED or XM.XM_GetMaxData(book._live(), self._index, columns,
                                                      rows) != 0:
            columns.value = rows.value = 0
        return max(columns.value, self._max_x), max(rows.value, self._max_y)

    def iter_rows(self, min_row: Optional[int] = None, max_row: Optional[int] = None,
                  min_col: Optional[int] = None, max_col: Optional[int] = None,
                  values_only: bool = False) -> Iterator[tuple]:
        """The rows from ``min_row`` to ``max_row`` (default: 1 and max_row) as tuples of
        the cells from ``min_col`` to ``max_col`` (default: 1 and max_column), or of their
        values with ``values_only``."""
        if max_row is None or max_col is None:
            columns, rows = self._extent()
            max_row = rows if max_row is None else max_row
            max_col = columns if max_col is None else max_col
        min_row = 1 if min_row is None else min_row
        min_col = 1 if min_col is None else min_col
        if max_row < min_row or max_col < min_col:
            return
        self._check_position(min_row, min_col)
        self._check_position(max_row, max_col)
        if not values_only:
            for row in range(min_row, max_row + 1):
                yield tuple(Cell(self, row, column) for column in range(min_col, max_col + 1))
            return
        width = max_col - min_col + 1
        if self._book._mode != _READ:
            read = self._read
            for y in range(min_row - 1, max_row):
                yield tuple(read(x, y) for x in range(min_col - 1, max_col))
            return
        grid = self._walked()
        empty = (None,) * width
        for y in range(min_row - 1, max_row):
            row = grid.get(y)
            if row is None:
                yield empty
                continue
            part = row[min_col - 1:max_col]
            if len(part) < width:
                part += [None] * (width - len(part))
            yield tuple(part)

    @property
    def values(self) -> Iterator[tuple]:
        """Every row's values, as ``iter_rows(values_only=True)``."""
        return self.iter_rows(values_only=True)

    def __iter__(self) -> Iterator[tuple]:
        """The rows of cells, as ``iter_rows()``."""
        return self.iter_rows()

    # ---- writing --------------------------------------------------------------------------

    def _write(self, x: int, y: int, value: Any) -> None:
        book = self._book
        h = book._handle
        if book._mode == _READ or h is None:
            h = book._writable()
        s = self._index
        kind = type(value)
        if kind is int and _INT_MIN <= value <= _INT_MAX:
            rc = eng.write_int(h, s, x, y, value, _DEFAULT_XF)
        elif kind is float:
            if value != value or value in (math.inf, -math.inf):
                raise TabrixValueError(34, 'NaN and infinities cannot be stored: %r' % value)
            rc = eng.write_double(h, s, x, y, ctypes.c_double(value), _DEFAULT_XF)
        elif kind is str and value[:1] not in ('=', "'") and '\0' not in value:
            rc = eng.write_str(h, s, x, y, (value + '\0').encode('utf-16-le', 'surrogatepass'),
                               _DEFAULT_XF)
        else:
            rc = self._write_other(h, x, y, value)
        if rc:
            raise self._write_error(rc, x, y, value)
        if x >= self._max_x:
            self._max_x = x + 1
        if y >= self._max_y:
            self._max_y = y + 1

    def _write_other(self, h: int, x: int, y: int, value: Any) -> int:
        s = self._index
        if value is None:
            return eng.write_str(h, s, x, y, None, _DEFAULT_XF)
        if isinstance(value, bool):
            return eng.write_bool(h, s, x, y, int(value), _DEFAULT_XF)
        if isinstance(value, str):
            if value[:1] == '=' and not isinstance(value, Text):
                return XM.XM_WriteFunc2W(h, s, x, y, eng.wide(value), _DEFAULT_XF)
            # The engine drops one leading apostrophe; a text of its own keeps its apostrophe.
            text = "'" + value if value[:1] in ("'", '=') else value
            return eng.write_str(h, s, x, y, eng.wide(text), _DEFAULT_XF)
        if isinstance(value, (datetime.date, datetime.time)):
            return self._write_date(h, x, y, value)
        if isinstance(value, CellError):
            if value.code not in ERROR_CODES:
                raise TabrixValueError(34, 'unknown error value %r' % value.code)
            return XM.XM_WriteFunc2W(h, s, x, y, eng.wide('=' + value.code), _DEFAULT_XF)
        if isinstance(value, numbers.Integral):
            value = int(value)
            if _INT_MIN <= value <= _INT_MAX:
                return eng.write_int(h, s, x, y, value, _DEFAULT_XF)
            return self._write_number(h, x, y, float(value), value)
        if isinstance(value, (numbers.Real, decimal.Decimal)):
            try:
                number = float(value)
            except (ValueError, OverflowError):
                number = math.nan
            return self._write_number(h, x, y, number, value)
        raise TabrixTypeError(7, 'a cell cannot hold a %s: %r' % (type(value).__name__, value))

    def _write_number(self, h: int, x: int, y: int, number: float, value: Any) -> int:
        if not math.isfinite(number):
            raise TabrixValueError(34, 'NaN and infinities cannot be stored: %r' % (value,))
        return eng.write_double(h, self._index, x, y, ctypes.c_double(number), _DEFAULT_XF)

    def _write_date(self, h: int, x: int, y: int, value: Union[datetime.date, datetime.time]) -> int:
        book = self._book
        try:
            serial = to_serial(value, book.date1904)
        except ValueError as error:
            raise TabrixValueError(34, str(error)) from None
        # A cell that already shows dates keeps its own date format.
        xf = ctypes.c_int32(-1)
        eng.cell_data(h, self._index, x, y, None, None, None, 0, ctypes.byref(xf))
        if xf.value in book._date_xfs:
            attribute = _DEFAULT_XF
        elif isinstance(value, datetime.datetime):
            attribute = book._format_attribute(DATETIME_FORMAT)
        elif isinstance(value, datetime.date):
            attribute = book._format_attribute(DATE_FORMAT)
        else:
            attribute = book._format_attribute(TIME_FORMAT)
        rc = eng.write_double(h, self._index, x, y, ctypes.c_double(serial), attribute)
        if rc == 0:
            book._learn_date_xf(self._index, x, y)
        return rc

    def _write_error(self, rc: int, x: int, y: int, value: Any) -> TabrixError:
        where = '%s!%s%d' % (self.name, column_letter(x + 1), y + 1)
        if rc == -34 and isinstance(value, str) and self._book.excel95:
            return TabrixValueError(34, 'writing %s: an Excel 95 workbook cannot hold a '
                                    'character of %r in its code page' % (where, value))
        if rc == -31 and isinstance(value, str):
            return TabrixValueError(31, 'writing %s: a text of %d characters is longer than '
                                    'a cell holds' % (where, len(value)))
        if rc <= -100:
            return engine_error(rc, 'writing the formula %r at %s' % (value, where))
        return engine_error(rc, 'writing %r at %s' % (value, where))

    # ---- reading --------------------------------------------------------------------------

    def _read(self, x: int, y: int) -> Value:
        book = self._book
        if self._grid is not None:
            row = self._grid.get(y)
            return row[x] if row is not None and x < len(row) else None
        h = book._live()
        xf = book._xf
        xf.value = -1
        rc = eng.cell_data(h, self._index, x, y, book._p_integer, book._p_number, book._text,
                           _TEXT_UNITS, book._p_xf)
        if rc == 4:
            return book._text_value()
        if rc == 1:
            value = book._integer.value
        elif rc == 2:
            value = book._number.value
        elif rc == 0:
            return None
        elif rc == 3:
            number = book._number.value
            if number in (-1.0, 0.0):
                return number != 0.0
            return CellError(ERROR_CODES[int(number) - 1])
        elif rc == -8:
            return CellError('#N/A')
        elif rc in (-1, -7):
            if xf.value >= 0 and book._mode != _READ:
                raise TabrixError(7, 'reading %s%d: a boolean or error cell of a book open for '
                                  'writing cannot be read back' % (column_letter(x + 1), y + 1),
                                  'データ種別エラー')
            return None
        else:
            raise engine_error(rc, 'reading %s%d' % (column_letter(x + 1), y + 1))
        if xf.value in book._date_xfs:
            return from_serial(value, book.date1904)
        return value

    def _walked(self) -> dict:
        """Every cell of the sheet's file, walked once: {row: [values of its columns]}."""
        if self._grid is None:
            self._grid = _walk_sheet(self._book, self._index)
        return self._grid

    # ---- formatting -----------------------------------------------------------------------

    def format(self, cells: str, *, font: Optional[Font] = None, fill: Optional[Colour] = None,
               border: Optional[Border] = None, number_format: Optional[str] = None,
               alignment: Optional[Alignment] = None, bold: Optional[bool] = None,
               italic: Optional[bool] = None, font_name: Optional[str] = None,
               font_size: Optional[float] = None, color: Optional[Colour] = None,
               rows: int = 1, columns: int = 1, row_offset: int = 0,
               column_offset: int = 0) -> None:
        """Formats a cell or range ('B2' or 'A1:C3'), or the cells of a template's keyword
        ('**ITEM': ``rows`` by ``columns`` cells from the keyword's cell moved by the
        offsets, at every cell carrying it). ``font`` (or ``bold``, ``italic``,
        ``font_name``, ``font_size``, ``color`` for a Font with those fields) replaces the
        cells' font; ``fill`` is a background colour, ``border`` lines, ``number_format`` a
        format such as '#,##0.00' or 'yyyy-mm-dd', ``alignment`` an Alignment. What is not
        given stays as the cells have it."""
        book = self._book
        h = book._writable()
        keyword = not _CELL_REFERENCE.match(cells.partition(':')[0].strip())
        if keyword:
            if border is not None and border.outline:
                raise TabrixValueError(34, 'an outline border needs a range, not a keyword')
            row1, column1, row2, column2 = 1, 1, 1, 1
        else:
            row1, column1, row2, column2 = _parse_range(cells)
            self._check_position(row1, column1)
            self._check_position(row2, column2)
        shortcuts = dict(bold=bold, italic=italic, name=font_name, size=font_size, color=color)
        if any(v is not None for v in shortcuts.values()):
            base = font or Font()
            font = Font(**{**base.__dict__, **{k: v for k, v in shortcuts.items()
                                               if v is not None}})
        attr = eng.XLATTR()
        XM.XM_InitAttr(ctypes.byref(attr))
        if font is not None:
            attr.Font = book._font_number(font)
        if number_format is not None:
            attr.Format = book._format_number(number_format)
        if fill is not None:
            attr.Pattern, attr.BackColor = 1, palette_index(fill)
        if border is not None and not border.outline:
            style = border_style(border.style)
            colour = palette_index(border.color) if border.color is not None else 8
            attr.LineTop = attr.LineBottom = attr.LineLeft = attr.LineRight = style
            attr.ColorTop = attr.ColorBottom = attr.ColorLeft = attr.ColorRight = colour
        if alignment is not None:
            if alignment.horizontal is not None:
                attr.PosHorz = choice(HORIZONTAL, alignment.horizontal, 'horizontal alignment')
            if alignment.vertical is not None:
                attr.PosVert = choice(VERTICAL, alignment.vertical, 'vertical alignment')
            if alignment.wrap_text is not None:
                attr.OverReturn = int(alignment.wrap_text)
            if alignment.shrink_to_fit is not None:
                attr.Fit = int(alignment.shrink_to_fit)
            if alignment.indent is not None:
                attr.Indent = alignment.indent
        if keyword:
            rc = XM.XM_SetAttrExt2hW(h, self._index, eng.wide(cells), column_offset, row_offset,
                                     column_offset + columns - 1, row_offset + rows - 1,
                                     ctypes.byref(attr))
            if rc:
                raise engine_error(rc, 'formatting the cells of keyword %r' % cells)
            return
        before = self._date_cells(row1, column1, row2, column2)
        rc = XM.XM_SetAttrExt2(h, self._index, column1 - 1, row1 - 1, column2 - 1, row2 - 1,
                               ctypes.byref(attr))
        if rc:
            raise engine_error(rc, 'formatting %s' % cells)
        if border is not None and border.outline:
            colour = palette_index(border.color) if border.color is not None else 8
            rc = XM.XM_BoxLine(h, self._index, column1 - 1, row1 - 1, column2 - 1, row2 - 1,
                               border_style(border.style) << 24 | colour)
            if rc:
                raise engine_error(rc, 'drawing a border around %s' % cells)
        self._learn_formats(row1, column1, row2, column2, before,
                            None if number_format is None else is_date_format(number_format))
        self._max_x = max(self._max_x, column2)
        self._max_y = max(self._max_y, row2)

    def _date_cells(self, row1: int, column1: int, row2: int, column2: int) -> set:
        """The cells of a range whose attribute shows dates now."""
        h, book, xf = self._book._handle, self._book, ctypes.c_int32()
        found = set()
        for y in range(row1 - 1, row2):
            for x in range(column1 - 1, column2):
                xf.value = -1
                eng.cell_data(h, self._index, x, y, None, None, None, 0, ctypes.byref(xf))
                if xf.value in book._date_xfs:
                    found.add((x, y))
        return found

    def _learn_formats(self, row1: int, column1: int, row2: int, column2: int, before: set,
                       date_format: Optional[bool]) -> None:
        """Records which of the attributes the range's cells got show dates: the new format's
        kind when one was given, else each cell's former kind."""
        h, book, xf = self._book._handle, self._book, ctypes.c_int32()
        for y in range(row1 - 1, row2):
            for x in range(column1 - 1, column2):
                xf.value = -1
                eng.cell_data(h, self._index, x, y, None, None, None, 0, ctypes.byref(xf))
                if xf.value < 0:
                    continue
                dated = (x, y) in before if date_format is None else date_format
                if dated:
                    book._date_xfs.add(xf.value)
                else:
                    book._date_xfs.discard(xf.value)

    def merge_cells(self, cells: str) -> None:
        """Merges a range such as 'A1:C1' into one cell (Excel 97 workbooks)."""
        if self._book.excel95:
            raise TabrixValueError(6, 'merging %s: Excel 95 workbooks have no merged cells'
                                   % cells)
        row1, column1, row2, column2 = _parse_range(cells)
        self._check_position(row1, column1)
        self._check_position(row2, column2)
        attr = eng.XLATTR()
        XM.XM_InitAttr(ctypes.byref(attr))
        attr.Joint = 1
        rc = XM.XM_SetAttrExt2(self._book._writable(), self._index, column1 - 1, row1 - 1,
                               column2 - 1, row2 - 1, ctypes.byref(attr))
        if rc:
            raise engine_error(rc, 'merging %s' % cells)

    def set_column_width(self, column: Union[int, str], width: float) -> None:
        """Sets a column's width in characters (0 hides it); ``column`` from 1 or 'A'."""
        number = column_number(column) if isinstance(column, str) else column
        self._check_position(1, number)
        rc = XM.XM_SetColWidth(self._book._writable(), self._index, number - 1, number - 1,
                               int(round(width)))
        if rc:
            raise engine_error(rc, 'setting the width of column %s to %r' % (column, width))

    def set_row_height(self, row: int, height: float) -> None:
        """Sets a row's height in points (0 hides it); ``row`` from 1."""
        self._check_position(row, 1)
        rc = XM.XM_SetRowHeight(self._book._writable(), self._index, row - 1, float(height))
        if rc:
            raise engine_error(rc, 'setting the height of row %d to %r' % (row, height))


_WALK_RECORD = 32


def _walk_sheet(book: 'Book', sheet: int) -> dict:
    """{row: [value of each column up to the row's last cell]} of a sheet of a read book."""
    h = book._live()
    raw = bytearray(_WALK_CELLS * _WALK_RECORD)
    cells = (eng.XLWALKCELL * _WALK_CELLS).from_buffer(raw)
    text = (ctypes.c_uint16 * _WALK_TEXT)()
    count = ctypes.c_int32()
    grid: dict = {}
    date_xfs, date1904 = book._date_xfs, book.date1904
    position = 0
    while True:
        position = eng.walk_cells(h, sheet, position, cells, _WALK_CELLS, text, _WALK_TEXT,
                                  ctypes.byref(count))
        if position < -1:
            raise engine_error(position, 'reading sheet %d' % sheet)
        n = count.value
        if n:
            _place_cells(grid, memoryview(raw)[:n * _WALK_RECORD], text, date_xfs, date1904)
        if position <= 0:
            return grid


def _place_cells(grid: dict, block: memoryview, text: ctypes.Array, date_xfs: set,
                 date1904: bool) -> None:
    """Puts one delivery of walked cells into the grid. The common case (a number) takes no
    Python work per cell: the values come out of the block as one list, and only the other
    kinds are changed in place."""
    words = block.cast('i')
    values = block.cast('d')[2::4].tolist()
    kinds = words[3::8].tolist()
    xs = words[0::8].tolist()
    ys = words[1::8].tolist()
    if date_xfs:
        xfs = words[2::8].tolist()
    others = [i for i, kind in enumerate(kinds) if kind != 2] if 2 in kinds else \
        range(len(kinds))
    if others:
        starts, lengths = words[6::8].tolist(), words[7::8].tolist()
        used = max(map(operator.add, starts, lengths))
        raw = ctypes.string_at(text, used * 2)
        texts = raw.decode('utf-16-le', 'surrogatepass')
        if len(texts) != used:
            texts = None
        for i in others:
            kind = kinds[i]
            if kind == 1:
                values[i] = int(values[i])
                if date_xfs and xfs[i] in date_xfs:
                    values[i] = from_serial(values[i], date1904)
            elif kind == 4:
                start, length = starts[i], lengths[i]
                values[i] = texts[start:start + length] if texts is not None else \
                    raw[2 * start:2 * (start + length)].decode('utf-16-le', 'replace')
            elif kind == 3:
                start, length = starts[i], lengths[i]
                word = raw[2 * start:2 * (start + length)].decode('utf-16-le', 'replace')
                values[i] = word == 'TRUE' if word in ('TRUE', 'FALSE') else \
                    CellError(word or '#N/A')
            else:
                values[i] = None
    if date_xfs:
        for i, kind in enumerate(kinds):
            if kind == 2 and xfs[i] in date_xfs:
                values[i] = from_serial(values[i], date1904)
    at = 0
    for y, run in itertools.groupby(ys):
        length = len(list(run))
        end = at + length
        row = grid.get(y)
        if row is None and xs[at] == 0 and xs[end - 1] == length - 1 and \
                xs[at:end] == list(range(length)):
            grid[y] = values[at:end]
        else:
            if row is None:
                row = grid[y] = []
            for i in range(at, end):
                x = xs[i]
                if x >= len(row):
                    row.extend([None] * (x + 1 - len(row)))
                row[x] = values[i]
        at = end


class Book:
    """A workbook file, open through ``create``, ``read``, ``from_template`` or ``update``.

    Use it in a ``with`` block: leaving the block normally saves the book, leaving it by an
    exception discards it (the file stays exactly as it was). ``save()`` (or ``close()``) and
    ``discard()`` do the same by hand; a book never closed is discarded when collected, with
    a ResourceWarning.
    """

    def __init__(self, handle: int, mode: str, path: str, formats: Optional[FileFormats]) -> None:
        self._handle: Optional[int] = handle
        self._mode = mode
        self._path = path
        version = XM.XM_GetFileVersion(handle) if mode != _CREATED else 0
        self._excel95 = version == 95
        self._rows = 16384 if self._excel95 else 65536
        self._date1904 = bool(formats and formats.date1904)
        self._date_xfs: set = set(formats.date_xfs) if formats else set()
        self._formats: dict = {}
        self._fonts: dict = {}
        self._attributes: dict = {}
        self._sheets: list = []
        self._integer, self._number, self._xf = ctypes.c_int32(), ctypes.c_double(), \
            ctypes.c_int32()
        self._p_integer, self._p_number, self._p_xf = (
            ctypes.byref(self._integer), ctypes.byref(self._number), ctypes.byref(self._xf))
        self._text = (ctypes.c_uint16 * _TEXT_UNITS)()

    def _created_as(self, excel95: bool) -> 'Book':
        self._excel95 = excel95
        self._rows = 16384 if excel95 else 65536
        return self

    # ---- state ----------------------------------------------------------------------------

    @property
    def path(self) -> str:
        """The file the book is read from or saved to."""
        return self._path

    @property
    def excel95(self) -> bool:
        """Whether the file is (or will be) an Excel 95 workbook."""
        return self._excel95

    @property
    def date1904(self) -> bool:
        """Whether the workbook counts dates from 1904 rather than 1900."""
        return self._date1904

    @property
    def read_only(self) -> bool:
        """Whether the book was opened by ``read`` (nothing can be written)."""
        return self._mode == _READ

    @property
    def closed(self) -> bool:
        """Whether the book has been saved or discarded."""
        return self._handle is None

    def _live(self) -> int:
        if self._handle is None:
            raise TabrixValueError(3, 'the workbook %r is closed' % self._path)
        return self._handle

    def _writable(self) -> int:
        h = self._live()
        if self._mode == _READ:
            raise TabrixError(6, 'the workbook %r is open for reading only' % self._path,
                              '動作モードエラー')
        return h

    # ---- closing --------------------------------------------------------------------------

    def save(self) -> None:
        """Writes the workbook to its file and closes it (a read book is only closed). A
        file that cannot be written raises OSError and stays as it was."""
        h = self._live()
        self._handle = None
        if self._mode == _READ:
            rc = XM.XM_ReadClose(h)
        elif self._mode == _UPDATE:
            rc = XM.XM_OpenClose(h, 1)
        else:
            rc = XM.XM_Close(h)
        if rc:
            raise file_error(rc, 'saving', self._path)

    close = save

    def discard(self) -> None:
        """Closes the workbook without writing it: the file stays as it was (a new file is
        not made)."""
        h = self._live()
        self._handle = None
        if self._mode == _READ:
            XM.XM_ReadClose(h)
        elif self._mode == _UPDATE:
            XM.XM_OpenClose(h, 0)
        else:
            XM.XM_Cancel(h)

    def __enter__(self) -> 'Book':
        return self

    def __exit__(self, exc_type: Any, exc: Any, traceback: Any) -> None:
        if self._handle is None:
            return
        if exc_type is None:
            self.save()
        else:
            self.discard()

    def __del__(self) -> None:
        if getattr(self, '_handle', None) is not None:
            warnings.warn('workbook %r was never saved or discarded; discarding it'
                          % self._path, ResourceWarning, source=self)
            self.discard()

    def __repr__(self) -> str:
        state = 'closed' if self.closed else self._mode
        return '<Book %r %s>' % (self._path, state)

    # ---- sheets ---------------------------------------------------------------------------

    @property
    def sheets(self) -> Sequence[Sheet]:
        """The sheets, in order."""
        count = XM.XM_GetSheetCount(self._live())
        if count < 0:
            raise engine_error(count, 'counting the sheets')
        while len(self._sheets) < count:
            self._sheets.append(Sheet(self, len(self._sheets)))
        return tuple(self._sheets[:count])

    @property
    def sheetnames(self) -> list:
        """The sheets' names, in order."""
        return [sheet.name for sheet in self.sheets]

    def __getitem__(self, key: Union[str, int]) -> Sheet:
        """A sheet by name (letter case aside, as the workbook compares them) or position."""
        sheets = self.sheets
        if isinstance(key, int) and not isinstance(key, bool):
            return sheets[key]
        for sheet in sheets:
            if sheet.name == key:
                return sheet
        for sheet in sheets:
            if sheet.name.casefold() == str(key).casefold():
                return sheet
        raise TabrixKeyError(4, 'no sheet named %r' % (key,), 'シート No エラー')

    def __iter__(self) -> Iterator[Sheet]:
        return iter(self.sheets)

    def __len__(self) -> int:
        return len(self.sheets)

    def __contains__(self, name: object) -> bool:
        return isinstance(name, str) and any(
            sheet.name.casefold() == name.casefold() for sheet in self.sheets)

    def _check_sheet_name(self, name: str, index: int) -> None:
        if not isinstance(name, str):
            raise TabrixTypeError(34, 'a sheet name is a str, not %r' % (name,))
        if not 1 <= len(name) <= 31:
            raise TabrixValueError(31, 'sheet name %r: 1-31 characters' % name)
        refused = _SHEET_NAME_REFUSED.intersection(name)
        if refused:
            raise TabrixValueError(34, 'sheet name %r holds %s' % (name, ''.join(sorted(refused))))
        for sheet in self.sheets:
            if sheet.index != index and sheet.name.casefold() == name.casefold():
                raise TabrixValueError(34, 'another sheet is named %r' % sheet.name)

    def add_sheet(self, name: Optional[str] = None) -> Sheet:
        """Appends a sheet, named ``name`` (else 'SheetN'), and returns it."""
        h = self._writable()
        if name is not None:
            self._check_sheet_name(name, -1)
        rc = XM.XM_SetAddSheet(h, 1)
        if rc:
            raise engine_error(rc, 'adding a sheet')
        sheet = self.sheets[-1]
        if name is not None:
            sheet.name = name
        return sheet

    create_sheet = add_sheet

    # ---- keywords -------------------------------------------------------------------------

    def fill(self, values: Mapping[str, Any]) -> None:
        """Writes each value at the cells of its keyword (the key as the template holds it,
        prefix included: '**NAME'), on every sheet that has it. A list is written at the
        keyword's cell and the rows below it; a list of lists or tuples as a table, each
        row across the columns from the keyword's column. A keyword no sheet has raises
        KeyError."""
        h = self._writable()
        count = len(self.sheets)
        for keyword, value in values.items():
            rows = value if isinstance(value, (list, tuple)) else [value]
            for dy, row in enumerate(rows):
                for dx, item in enumerate(row if isinstance(row, (list, tuple)) else [row]):
                    found = False
                    for s in range(count):
                        rc = self._write_keyword(h, s, keyword, dx, dy, item)
                        if rc == 0:
                            found = True
                        elif rc != -37:
                            raise engine_error(rc, 'writing %r at keyword %r' % (item, keyword))
                    if not found:
                        raise TabrixKeyError(37, 'no sheet has the keyword %r' % keyword,
                                             '指定した変数が存在しません')

    def _write_keyword(self, h: int, s: int, keyword: str, dx: int, dy: int, value: Any) -> int:
        key = eng.wide(keyword)
        if value is None:
            return XM.XM_WriteStr2hW(h, s, key, dx, dy, None, _DEFAULT_XF)
        if isinstance(value, bool):
            return XM.XM_WriteBool2hW(h, s, key, dx, dy, int(value), _DEFAULT_XF)
        if isinstance(value, str):
            if value[:1] == '=' and not isinstance(value, Text):
                return XM.XM_WriteFunchW(h, s, key, dx, dy, eng.wide(value))
            text = "'" + value if value[:1] in ("'", '=') else value
            return XM.XM_WriteStr2hW(h, s, key, dx, dy, eng.wide(text), _DEFAULT_XF)
        if isinstance(value, numbers.Integral) and _INT_MIN <= int(value) <= _INT_MAX:
            return XM.XM_WriteInt2hW(h, s, key, dx, dy, int(value), _DEFAULT_XF)
        if isinstance(value, (datetime.date, datetime.time)):
            try:
                serial = to_serial(value, self.date1904)
            except ValueError as error:
                raise TabrixValueError(34, str(error)) from None
            fmt = DATETIME_FORMAT if isinstance(value, datetime.datetime) else \
                DATE_FORMAT if isinstance(value, datetime.date) else TIME_FORMAT
            attribute = self._format_attribute(fmt)
            # Merged over each keyword cell's own format; the file shows the date, but this
            # book does not learn the merged attribute numbers, so reading such a cell back
            # before saving gives its serial number.
            return XM.XM_WriteDouble2hW(h, s, key, dx, dy, serial, attribute)
        if isinstance(value, (numbers.Real, decimal.Decimal)):
            number = float(value)
            if not math.isfinite(number):
                raise TabrixValueError(34, 'NaN and infinities cannot be stored: %r' % (value,))
            return XM.XM_WriteDouble2hW(h, s, key, dx, dy, number, _DEFAULT_XF)
        raise TabrixTypeError(7, 'a cell cannot hold a %s: %r' % (type(value).__name__, value))

    # ---- attributes -----------------------------------------------------------------------

    def _format_number(self, text: str) -> int:
        number = self._formats.get(text)
        if number is None:
            if not isinstance(text, str) or not text:
                raise TabrixValueError(31, 'a number format is a non-empty str: %r' % (text,))
            number = XM.XM_FmtNoW(self._writable(), eng.wide(text))
            if number < 0:
                raise engine_error(number, 'number format %r' % text)
            self._formats[text] = number
        return number

    def _font_number(self, font: Font) -> int:
        number = self._fonts.get(font)
        if number is None:
            style = (1 if font.bold else 0) | (2 if font.italic else 0) | (4 if font.strike else 0)
            colour = palette_index(font.color) if font.color is not None else 0
            number = XM.XM_FontNoW(self._writable(), eng.wide(font.name or ''),
                                   -1.0 if font.size is None else float(font.size), colour,
                                   style, 1 if font.underline else 0)
            if number < 0:
                raise engine_error(number, 'font %r' % (font,))
            self._fonts[font] = number
        return number

    def _format_attribute(self, text: str) -> int:
        """The attribute number of a request for just this number format."""
        number = self._attributes.get(text)
        if number is None:
            attr = eng.XLATTR()
            XM.XM_InitAttr(ctypes.byref(attr))
            attr.Format = self._format_number(text)
            number = XM.XM_GetAttrNo2(self._writable(), ctypes.byref(attr))
            if number < 0:
                raise engine_error(number, 'number format %r' % text)
            self._attributes[text] = number
            if is_date_format(text):
                self._date_xfs.add(number)
        return number

    def _learn_date_xf(self, sheet: int, x: int, y: int) -> None:
        xf = ctypes.c_int32(-1)
        eng.cell_data(self._handle, sheet, x, y, None, None, None, 0, ctypes.byref(xf))
        if xf.value >= 0:
            self._date_xfs.add(xf.value)

    def _text_value(self) -> str:
        """The text the last cell read left in the book's buffer."""
        raw = ctypes.string_at(self._text, 256)
        for at in range(0, 256, 2):
            if raw[at] == 0 and raw[at + 1] == 0:
                return raw[:at].decode('utf-16-le', 'surrogatepass')
        raw = bytes(self._text)
        at = 0
        while raw[at:at + 2] != b'\0\0':
            at += 2
        return raw[:at].decode('utf-16-le', 'surrogatepass')


# ---- opening ------------------------------------------------------------------------------

def _create_error(rc: int, path: str, what: str) -> TabrixError:
    """Why a new file cannot be made at path, as an OSError subclass where one fits."""
    if rc == -34:
        return TabrixValueError(34, '%s %r: too many sheets' % (what, path))
    folder = os.path.dirname(os.path.abspath(path))
    if os.path.isdir(path):
        return file_error(rc, what, path, 'is a folder', errno.EISDIR)
    if not os.path.isdir(folder):
        return file_error(rc, what, path, 'no such folder', errno.ENOENT)
    if not os.access(folder, os.W_OK) or (os.path.exists(path) and not os.access(path, os.W_OK)):
        return file_error(rc, what, path, 'permission denied', errno.EACCES)
    return file_error(rc, what, path, 'the file cannot be created (another workbook may hold '
                      'it, or it is not a regular file)')


_CHECK_REASONS = {
    2: 'not a workbook file (no compound file)',
    3: 'not a workbook file (no workbook stream)',
    4: 'the workbook is encrypted',
    5: 'the workbook or one of its sheets is protected',
    6: 'the workbook has no sheets',
    7: 'the workbook is damaged',
}


def _open_error(rc: int, path: str, what: str) -> TabrixError:
    """Why an existing file cannot be opened."""
    if not os.path.exists(path):
        return file_error(rc, what, path, 'no such file', errno.ENOENT)
    if os.path.isdir(path):
        return file_error(rc, what, path, 'is a folder', errno.EISDIR)
    if not os.access(path, os.R_OK):
        return file_error(rc, what, path, 'permission denied', errno.EACCES)
    check = XM.XM_CheckFileW(eng.wide(path))
    return file_error(rc, what, path, _CHECK_REASONS.get(check, ''))


def create(path: eng.PathLike, *, excel95: bool = False, sheets: int = 1) -> Book:
    """A new workbook to be written at ``path`` (an Excel 97 file, or Excel 95 with
    ``excel95``) with ``sheets`` empty sheets named Sheet1, Sheet2, ..."""
    name = eng.file_name(path)
    if not isinstance(sheets, int) or isinstance(sheets, bool) or not 1 <= sheets <= 32767:
        raise TabrixValueError(34, 'sheets must be an int from 1 to 32767, not %r' % (sheets,))
    create_call = XM.XM_CreateW if excel95 else XM.XM_Create97W
    handle = create_call(eng.wide(name), sheets)
    if handle < 0:
        raise _create_error(handle, name, 'creating')
    return Book(handle, _CREATED, name, None)._created_as(bool(excel95))


def read(path: eng.PathLike) -> Book:
    """An existing workbook (Excel 95 or 97) opened for reading only."""
    name = eng.file_name(path)
    handle = XM.XM_ReadOpenW(eng.wide(name))
    if handle < 0:
        raise _open_error(handle, name, 'reading')
    return Book(handle, _READ, name, read_file_formats(name))


def from_template(template: eng.PathLike, path: eng.PathLike) -> Book:
    """A new workbook at ``path`` made from ``template``: its sheets, formats and keyword
    cells (blank until filled, keeping their format); see Book.fill."""
    template_name, name = eng.file_name(template), eng.file_name(path)
    formats = read_file_formats(template_name)
    handle = XM.XM_CreateTW(eng.wide(name), eng.wide(template_name))
    if handle == -5001:
        raise _open_error(1, template_name, 'reading the template')
    if handle < 0:
        if os.path.exists(name) and os.path.samefile(name, template_name):
            raise TabrixValueError(1, 'the new file %r is the template itself' % name)
        raise _create_error(handle, name, 'creating')
    return Book(handle, _TEMPLATE, name, formats)


def update(path: eng.PathLike) -> Book:
    """An existing workbook opened to be changed in place: saving replaces the file whole,
    discarding leaves it as it was."""
    name = eng.file_name(path)
    formats = read_file_formats(name)
    handle = XM.XM_OpenW(eng.wide(name), None)
    if handle < 0:
        raise _open_error(handle, name, 'opening for update')
    return Book(handle, _UPDATE, name, formats)
