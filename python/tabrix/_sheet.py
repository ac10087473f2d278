"""Sheets and cells of a Book: cell references, values written and read, rows, formatting.

Values written through ``Cell.value`` wait in the sheet's buffer (see _writes) until the book
hands them over; everything that asks the engine anything goes through ``Book._live`` or
``Book._writable``, which hand the buffers over first.
"""
from __future__ import annotations

import ctypes
import datetime
import decimal
import math
import numbers
import re
from typing import TYPE_CHECKING, Any, Iterator, Optional, Tuple, Union

from . import _engine as eng
from ._errors import TabrixError, TabrixTypeError, TabrixValueError, engine_error
from ._styles import (HORIZONTAL, VERTICAL, Alignment, Border, Colour, Font, border_style,
                      choice, palette_index)
from ._values import (DATE_FORMAT, DATETIME_FORMAT, ERROR_CODES, TIME_FORMAT, CellError, Text,
                      Value, from_serial, to_serial)
from ._walk import WalkedSheet, boolean_or_error, walk_sheet
from ._writes import BLANK, BLOCK_CELLS, BOOLEAN, INTEGER, NUMBER, TEXT, CellBuffer

if TYPE_CHECKING:
    from ._book import Book

XM = eng.XM
DEFAULT_XF = 15
COLUMNS = 256
TEXT_UNITS = 32770
_INT_MIN, _INT_MAX = -2 ** 31, 2 ** 31 - 1
# Texts that need no second look: up to this many characters fit a cell whatever they are,
# and a leading '=' or apostrophe means something else.
_PLAIN_TEXT = 16383
_MARKED = ('=', "'")
# A buffer of short texts (at most 255 characters, see Cell.value) is bounded by its count;
# longer ones are counted, and handed over once they reach this many characters.
_TEXT_ROOM = 1 << 20
_CELL_REFERENCE = re.compile(r'\$?([A-Za-z]{1,3})\$?([0-9]+)$')
_new = object.__new__
# 0-based positions by 1-based number: indexing refuses what is not an int, and too large a
# number, as quickly as a check could.
_COLUMN_INDEX = (None,) + tuple(range(COLUMNS))
_ROW_INDEX = (None,) + tuple(range(65536))
_ROW_INDEX_95 = _ROW_INDEX[:16385]


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


def parse_range(reference: str) -> Tuple[int, int, int, int]:
    """(first row, first column, last row, last column) of 'B3' or 'A1:C3'."""
    first, _, last = reference.partition(':')
    row1, column1 = parse_reference(first)
    row2, column2 = parse_reference(last) if last else (row1, column1)
    return min(row1, row2), min(column1, column2), max(row1, row2), max(column1, column2)


class Cell:
    """One cell of a sheet: ``row`` and ``column`` from 1, ``value`` read and written."""

    __slots__ = ('_sheet', '_x', '_y')

    def __init__(self, sheet: 'Sheet', row: int, column: int) -> None:
        sheet._check_position(row, column)
        self._sheet = sheet
        self._x = column - 1
        self._y = row - 1

    @property
    def row(self) -> int:
        """The cell's row, from 1."""
        return self._y + 1

    @property
    def column(self) -> int:
        """The cell's column, from 1."""
        return self._x + 1

    @property
    def value(self) -> Value:
        """The cell's value: int, float, str, bool, datetime (or date/time) for a number
        with a date format, CellError for an error, None for an empty cell; a formula gives
        its stored result. Setting writes it (see Sheet.cell)."""
        return self._sheet._read(self._x, self._y)

    @value.setter
    def value(self, value: Any) -> None:
        # The common values go straight into the sheet's buffer; the rest, and anything
        # that must be refused, go through Sheet._write. Literal numbers: INTEGER, NUMBER
        # and TEXT of _writes, and the 32-bit range. Short texts only: the buffer's room
        # counts cells, not characters.
        sheet = self._sheet
        kind = type(value)
        if kind is int and -2147483648 <= value <= 2147483647:
            sheet._kinds.append(1)
            sheet._numbers.append(value)
        elif kind is float and value - value == 0.0:  # not NaN or an infinity
            sheet._kinds.append(2)
            sheet._numbers.append(value)
        elif kind is str and value[:1] not in _MARKED and sheet._plain_texts and \
                len(value) <= 255 and '\0' not in value:
            sheet._kinds.append(4)
            sheet._numbers.append(0.0)
            sheet._texts.append(value)
        else:
            sheet._write(self._x, self._y, value)
            return
        sheet._xs.append(self._x)
        sheet._ys.append(self._y)
        if len(sheet._xs) >= sheet._room:
            sheet._buffer_full()

    @property
    def coordinate(self) -> str:
        """The cell's reference, such as 'B3'."""
        return '%s%d' % (column_letter(self._x + 1), self._y + 1)

    def format(self, **options: Any) -> None:
        """Formats the cell; the options are those of Sheet.format."""
        self._sheet.format(self.coordinate, **options)

    def __repr__(self) -> str:
        return '<Cell %r!%s>' % (self._sheet.name, self.coordinate)


class Sheet:
    """One sheet of a book: cells by reference (``sheet['B3']``) or by number
    (``sheet.cell(row=3, column=2)``), rows by ``iter_rows``, and formatting."""

    __slots__ = ('_book', '_index', '_rows', '_max_x', '_max_y', '_walked', '_row_index',
                 '_buffer', '_xs', '_ys', '_kinds', '_numbers', '_texts', '_text_units',
                 '_room', '_plain_texts')

    def __init__(self, book: 'Book', index: int) -> None:
        self._book = book
        self._index = index
        self._rows = 16384 if book.excel95 else 65536
        self._row_index = _ROW_INDEX_95 if book.excel95 else _ROW_INDEX
        self._max_x = 0  # one past the last column and row written
        self._max_y = 0
        self._walked: Optional[WalkedSheet] = None  # a read book's cells, once walked
        # The buffer's lists, appended to by name: list.append called on an attribute is
        # the quickest append there is.
        buffer = self._buffer = CellBuffer()
        self._xs, self._ys, self._kinds = buffer.xs, buffer.ys, buffer.kinds
        self._numbers, self._texts = buffer.numbers, buffer.texts
        self._text_units = 0  # characters of the long texts in the buffer
        # The buffer's length that calls _buffer_full: 1 until the book knows the sheet has
        # writes waiting, 0 when it takes none.
        self._room = 0 if book.read_only else 1
        # An Excel 95 file holds texts in a code page: a text it cannot hold must be refused
        # when it is written, so such texts are not buffered.
        self._plain_texts = not book.excel95

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
        return self._name(self._book._live())

    def _name(self, h: int) -> str:
        buffer = (ctypes.c_uint16 * 64)()
        rc = XM.XM_GetSheetNameW(h, self._index, buffer)
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
        try:
            if row > 0 and column > 0:
                cell = _new(Cell)
                cell._y = self._row_index[row]
                cell._x = _COLUMN_INDEX[column]
                cell._sheet = self
            else:
                cell = Cell(self, row, column)
        except (TypeError, IndexError):
            cell = Cell(self, row, column)
        if value is not ...:
            cell.value = value
        return cell

    def __getitem__(self, reference: str) -> Any:
        """``sheet['B3']`` is a Cell; ``sheet['A1:C2']`` the rows of Cells of a range."""
        if ':' in reference:
            row1, column1, row2, column2 = parse_range(reference)
            return tuple(tuple(self.cell(r, c) for c in range(column1, column2 + 1))
                         for r in range(row1, row2 + 1))
        return self.cell(*parse_reference(reference))

    def __setitem__(self, reference: str, value: Any) -> None:
        """``sheet['B3'] = value`` writes the value."""
        row, column = parse_reference(reference)
        self.cell(row, column).value = value

    def _check_position(self, row: Any, column: Any) -> None:
        for name, number, limit in (('row', row, self._rows), ('column', column, COLUMNS)):
            if not isinstance(number, numbers.Integral):
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
        h = book._live()
        if book.read_only:
            walked = self._walk()
            return walked.width, walked.height
        columns, rows = ctypes.c_int32(), ctypes.c_int32()
        if not book._from_file or XM.XM_GetMaxData(h, self._index, columns, rows) != 0:
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
            return iter(())
        self._check_position(min_row, min_col)
        self._check_position(max_row, max_col)
        if not values_only:
            return (tuple(self.cell(row, column) for column in range(min_col, max_col + 1))
                    for row in range(min_row, max_row + 1))
        if not self._book.read_only:
            read = self._read
            return (tuple(read(x, y) for x in range(min_col - 1, max_col))
                    for y in range(min_row - 1, max_row))
        return self._walk().rows(min_row - 1, max_row, min_col - 1, max_col)

    @property
    def values(self) -> Iterator[tuple]:
        """Every row's values, as ``iter_rows(values_only=True)``."""
        return self.iter_rows(values_only=True)

    def __iter__(self) -> Iterator[tuple]:
        """The rows of cells, as ``iter_rows()``."""
        return self.iter_rows()

    # ---- writing --------------------------------------------------------------------------

    def _write(self, x: int, y: int, value: Any) -> None:
        """Writes any value: into the buffer where the engine cannot refuse it, else at once
        (after the buffer), so that a refusal raises where the value was given."""
        if value is None:
            return self._buffer_cell(x, y, BLANK, 0.0)
        if isinstance(value, bool):
            return self._buffer_cell(x, y, BOOLEAN, 1.0 if value else 0.0)
        if isinstance(value, str):
            if value[:1] == '=' and not isinstance(value, Text):
                return self._write_now(x, y, value, XM.XM_WriteFunc2W, eng.wide(value))
            if '\0' in value:
                raise TabrixValueError(34, 'a text holding a NUL character cannot be stored: '
                                       '%r' % value)
            # The engine drops one leading apostrophe; a text of its own keeps its apostrophe.
            text = "'" + value if value[:1] in _MARKED else value
            if self._plain_texts and len(text) <= _PLAIN_TEXT:
                return self._buffer_cell(x, y, TEXT, 0.0, text)
            return self._write_now(x, y, value, eng.write_str, eng.wide(text))
        if isinstance(value, (datetime.date, datetime.time)):
            return self._write_date(x, y, value)
        if isinstance(value, CellError):
            if value.code not in ERROR_CODES:
                raise TabrixValueError(34, 'unknown error value %r' % value.code)
            return self._write_now(x, y, value, XM.XM_WriteFunc2W, eng.wide('=' + value.code))
        if isinstance(value, numbers.Integral):
            value = int(value)
            if _INT_MIN <= value <= _INT_MAX:
                return self._buffer_cell(x, y, INTEGER, value)
        elif not isinstance(value, (numbers.Real, decimal.Decimal)):
            raise TabrixTypeError(7, 'a cell cannot hold a %s: %r' % (type(value).__name__,
                                                                      value))
        try:
            number = float(value)
        except (ValueError, OverflowError):
            number = math.nan
        if not math.isfinite(number):
            raise TabrixValueError(34, 'NaN, infinities and numbers beyond a double cannot '
                                   'be stored: %r' % (value,))
        return self._buffer_cell(x, y, NUMBER, number)

    def _buffer_cell(self, x: int, y: int, kind: int, number: Union[int, float],
                     text: Optional[str] = None) -> None:
        self._kinds.append(kind)
        self._numbers.append(number)
        if text is not None:
            self._texts.append(text)
            self._text_units += len(text)
        self._xs.append(x)
        self._ys.append(y)
        if len(self._xs) >= self._room or self._text_units > _TEXT_ROOM:
            self._buffer_full()

    def _buffer_full(self) -> None:
        """A write reached the buffer's room: the first of the buffer (the book learns it
        has writes waiting), one too many (handed over), or one to refuse."""
        book = self._book
        if book.closed or book.read_only:
            self._buffer.drop_last()
            book._writable()  # raises why
        if self._room == 1:
            book._pending.append(self)
            self._room = BLOCK_CELLS
        if len(self._xs) >= BLOCK_CELLS or self._text_units > _TEXT_ROOM:
            book._pending.remove(self)
            self._flush()

    def _flush(self) -> None:
        """Hands the buffer to the engine (the book has taken the sheet off its list)."""
        self._room = 1
        self._text_units = 0
        if not self._xs:
            return
        columns, rows = self._buffer.extent()
        self._max_x = max(self._max_x, columns)
        self._max_y = max(self._max_y, rows)
        rc, failed = self._buffer.write(self._book._handle, self._index)
        if rc:
            x, y, value = failed
            raise self._write_error(rc, x, y, value)

    def _write_now(self, x: int, y: int, value: Any, call: Any, *arguments: Any) -> None:
        rc = call(self._book._writable(), self._index, x, y, *arguments, DEFAULT_XF)
        if rc:
            raise self._write_error(rc, x, y, value)
        self._max_x = max(self._max_x, x + 1)
        self._max_y = max(self._max_y, y + 1)

    def _write_date(self, x: int, y: int, value: Union[datetime.date, datetime.time]) -> None:
        book = self._book
        try:
            serial = to_serial(value, book.date1904)
        except ValueError as error:
            raise TabrixValueError(34, str(error)) from None
        # A cell that already shows dates keeps its own date format.
        xf = ctypes.c_int32(-1)
        eng.cell_data(book._writable(), self._index, x, y, None, None, None, 0,
                      ctypes.byref(xf))
        if xf.value >= 0 and book._is_date_xf(xf.value):
            attribute = DEFAULT_XF
        elif isinstance(value, datetime.datetime):
            attribute = book._format_attribute(DATETIME_FORMAT)
        elif isinstance(value, datetime.date):
            attribute = book._format_attribute(DATE_FORMAT)
        else:
            attribute = book._format_attribute(TIME_FORMAT)
        rc = eng.write_double(book._handle, self._index, x, y, ctypes.c_double(serial),
                              attribute)
        if rc:
            raise self._write_error(rc, x, y, value)
        self._max_x = max(self._max_x, x + 1)
        self._max_y = max(self._max_y, y + 1)

    def _write_error(self, rc: int, x: int, y: int, value: Any) -> TabrixError:
        try:
            sheet = self._name(self._book._handle)
        except TabrixError:
            sheet = 'sheet %d' % self._index
        where = '%s!%s%d' % (sheet, column_letter(x + 1), y + 1)
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
        cell = book._cell
        rc = eng.read_cell(book._live(), self._index, x, y, book._p_cell, book._text,
                           TEXT_UNITS)
        if rc:
            if rc == -7:
                return None
            raise engine_error(rc, 'reading %s%d' % (column_letter(x + 1), y + 1))
        kind = cell.kind
        if kind == 4:
            return book._text_value(cell.length)
        if kind == 3:
            return boolean_or_error(book._text_value(cell.length))
        if kind == 1:
            value = int(cell.value)
        elif kind == 2:
            value = cell.value
        else:
            return None
        return from_serial(value, book.date1904) if book._is_date_xf(cell.xf) else value

    def _walk(self) -> WalkedSheet:
        """Every cell of a read book's sheet, walked once."""
        if self._walked is None:
            book = self._book
            self._walked = walk_sheet(book._live(), self._index, book._is_date_xf,
                                      book.date1904)
        return self._walked

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
            row1, column1, row2, column2 = parse_range(cells)
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
        self._max_x = max(self._max_x, column2)
        self._max_y = max(self._max_y, row2)

    def merge_cells(self, cells: str) -> None:
        """Merges a range such as 'A1:C1' into one cell (Excel 97 workbooks)."""
        if self._book.excel95:
            raise TabrixValueError(6, 'merging %s: Excel 95 workbooks have no merged cells'
                                   % cells)
        row1, column1, row2, column2 = parse_range(cells)
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
