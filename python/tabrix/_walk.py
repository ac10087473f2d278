"""A sheet of a read workbook walked once into rows of values.

The engine delivers thousands of cells per call (``XM_WalkCellsW``). Turning each into its
Python value in a Python loop would cost more than the walk, so rows are taken a run at a
time: consecutive rows with the same columns and kinds of cells (a table's body) are
converted a column at a time by slicing the delivered records, and kept as columns; their
rows are zipped together in C when they are asked for. Rows that do not repeat go through
the cell-by-cell path and are kept as rows.
"""
from __future__ import annotations

import ctypes
from bisect import bisect_left, bisect_right
from itertools import repeat
from math import trunc
from operator import lt
from typing import Callable, Dict, Iterator, List, Optional

from . import _engine as eng
from ._errors import engine_error
from ._values import CellError, from_serial

_CELLS = 32768
_TEXT_UNITS = 262144  # eight units a cell; a delivery takes as many whole records as fit
_RECORD = 32  # bytes of one XLWALKCELL: x, y, xf, kind, value, text, length
_MIN_RUN = 4  # rows in a run worth converting by columns
_NOT_TEXT = bytes((0, 1, 2))  # kinds without a text: blank, integer, number
# Kinds as runs compare them: an integer and a number may share a column (a whole number is
# stored as an integer), and still make one run.
_RUN_KINDS = bytes(2 if kind == 1 else kind for kind in range(256))
_COLUMNS = bytes(range(256))
_WORDS = {'TRUE': True, 'FALSE': False}



def boolean_or_error(word: str):
    """The value of a kind-3 cell from its text: True, False or the error."""
    value = _WORDS.get(word)
    return CellError(word or '#N/A') if value is None else value


def walk_sheet(h: int, sheet: int, is_date_xf: Callable[[int], bool],
               date1904: bool) -> 'WalkedSheet':
    """Every cell of a sheet of a read workbook, by rows."""
    raw = bytearray(_CELLS * _RECORD)
    cells = (eng.XLWALKCELL * _CELLS).from_buffer(raw)
    text = (ctypes.c_uint16 * _TEXT_UNITS)()
    count = ctypes.c_int32()
    rows = _Rows(is_date_xf, date1904)
    position = 0
    while True:
        position = eng.walk_cells(h, sheet, position, cells, _CELLS, text, _TEXT_UNITS,
                                  ctypes.byref(count))
        if position < -1:
            raise engine_error(position, 'reading sheet %d' % sheet)
        if count.value:
            # A row cut by the end of a delivery is placed in two parts, the second merged
            # into the first.
            rows.place(raw, count.value * _RECORD, text)
        if position <= 0:
            return rows.finish()


class _Texts:
    """The text buffer of one delivery, cut into the texts of its cells: decoded once and
    sliced, unless a character beyond the basic plane (two units) makes the str's indexes
    differ from the units' (then each text is decoded from its bytes)."""

    def __init__(self, words: memoryview, text: ctypes.Array) -> None:
        used = words[-2] + words[-1]  # the last cell's start and length: the units used
        self.raw = ctypes.string_at(text, used * 2)
        decoded = self.raw.decode('utf-16-le', 'surrogatepass')
        self.decoded = decoded if len(decoded) == used else None

    def cut(self, starts: list, lengths: list) -> List[str]:
        decoded = self.decoded
        if decoded is not None:
            return [decoded[start:start + length] for start, length in zip(starts, lengths)]
        raw = self.raw
        return [raw[2 * start:2 * (start + length)].decode('utf-16-le', 'replace')
                for start, length in zip(starts, lengths)]


class _Run:
    """Rows of like cells, kept by columns: heads[k] is the k-th row's number, columns[x]
    the values of column x in those rows (None where no row has a cell there)."""

    __slots__ = ('heads', 'columns')

    def __init__(self, heads: List[int], columns: list) -> None:
        self.heads, self.columns = heads, columns

    def rows(self, k0: int, k1: int, x0: int, x1: int) -> Iterator[tuple]:
        columns, count, whole = self.columns, k1 - k0, k0 == 0 and k1 == len(self.heads)
        return zip(*[repeat(None, count) if x >= len(columns) or columns[x] is None else
                     columns[x] if whole else columns[x][k0:k1] for x in range(x0, x1)])


class _Odd:
    """Rows kept one by one: heads[k] is the k-th row's number, rows[k] its values from
    column 0 to its last cell."""

    __slots__ = ('heads', 'rows')

    def __init__(self, heads: List[int], rows: list) -> None:
        self.heads, self.rows = heads, rows

    def rows_of(self, k0: int, k1: int, x0: int, x1: int) -> Iterator[tuple]:
        width = x1 - x0
        for row in self.rows[k0:k1]:
            if x0 == 0 and len(row) == width:
                yield row
            else:
                part = row[x0:x1]
                yield part + (None,) * (width - len(part))


class WalkedSheet:
    """The rows of a walked sheet: pieces of rows in order, the widest row's length and one
    past the last row."""

    def __init__(self, pieces: list, width: int, height: int) -> None:
        self.pieces, self.width, self.height = pieces, width, height

    def rows(self, y0: int, y1: int, x0: int, x1: int) -> Iterator[tuple]:
        """Rows y0 to y1 - 1, each the values of columns x0 to x1 - 1 (all 0-based); a row
        without cells is all None."""
        for piece in self.pieces:
            heads = piece.heads
            if heads[-1] >= y0:
                if type(piece) is _Run and heads[0] == y0 and heads[-1] - y0 == len(heads) - 1 \
                        and heads[-1] == y1 - 1:
                    return piece.rows(0, len(heads), x0, x1)  # one table: its zip as it is
                break
        return self._rows(y0, y1, x0, x1)

    def _rows(self, y0: int, y1: int, x0: int, x1: int) -> Iterator[tuple]:
        empty = (None,) * (x1 - x0)
        y = y0
        for piece in self.pieces:
            heads = piece.heads
            if heads[-1] < y0:
                continue
            if heads[0] >= y1:
                break
            k0, k1 = bisect_left(heads, y0), bisect_left(heads, y1)
            got = piece.rows(k0, k1, x0, x1) if type(piece) is _Run else \
                piece.rows_of(k0, k1, x0, x1)
            if heads[k1 - 1] - heads[k0] == k1 - 1 - k0:  # no row missing between
                yield from repeat(empty, heads[k0] - y)
                yield from got
            else:
                for head, row in zip(heads[k0:k1], got):
                    yield from repeat(empty, head - y)
                    yield row
                    y = head + 1
            y = heads[k1 - 1] + 1
        yield from repeat(empty, y1 - y)


def _merged(before: list, row: list) -> list:
    """A row's values put over those of the same row placed before (a value placed before
    stays where the later part has no cell or a blank one)."""
    merged = list(before) + [None] * max(0, len(row) - len(before))
    for x, value in enumerate(row):
        if value is not None:
            merged[x] = value
    return merged


class _Rows:
    """The rows placed so far, and how to turn delivered records into values."""

    def __init__(self, is_date_xf: Callable[[int], bool], date1904: bool) -> None:
        self.pieces: list = []
        self.grid: Optional[Dict[int, list]] = None  # all rows, once rows come out of order
        self.width = 0
        self.top = -1  # the highest row placed
        self.is_date_xf = is_date_xf
        self.date1904 = date1904

    def finish(self) -> WalkedSheet:
        if self.grid is not None:
            heads = sorted(self.grid)
            self.pieces = [_Odd(heads, [self.grid[y] for y in heads])] if heads else []
        for piece in self.pieces:
            if type(piece) is _Odd:
                piece.rows = list(map(tuple, piece.rows))
        return WalkedSheet(self.pieces, self.width, self.top + 1)

    def _add_run(self, heads: List[int], columns: list) -> None:
        if self.grid is None and heads[0] > self.top:
            last = self.pieces[-1] if self.pieces else None
            if type(last) is _Run and [c is None for c in last.columns] == \
                    [c is None for c in columns]:
                # The same table going on in the next delivery: one piece.
                last.heads += heads
                for kept, more in zip(last.columns, columns):
                    if kept is not None:
                        kept += more
            else:
                self.pieces.append(_Run(heads, columns))
            self.top = heads[-1]
            self.width = max(self.width, len(columns))
            return
        for y, row in zip(heads, _Run(heads, columns).rows(0, len(heads), 0, len(columns))):
            self._add_row(y, list(row))

    def _add_row(self, y: int, row: list) -> None:
        self.width = max(self.width, len(row))
        if self.grid is None:
            if y > self.top:
                last = self.pieces[-1] if self.pieces else None
                if type(last) is _Odd:
                    last.heads.append(y)
                    last.rows.append(row)
                else:
                    self.pieces.append(_Odd([y], [row]))
                self.top = y
                return
            if y == self.top:  # a row cut between two deliveries goes on
                self._merge_last(row)
                return
            # Rows out of order: from here on in one dict.
            self.grid = {}
            for piece in self.pieces:
                got = piece.rows(0, len(piece.heads), 0, len(piece.columns)) \
                    if type(piece) is _Run else iter(piece.rows)
                for head, values in zip(piece.heads, got):
                    self.grid[head] = list(values)
            self.pieces = []
        before = self.grid.get(y)
        self.grid[y] = row if before is None else _merged(before, row)
        self.top = max(self.top, y)

    def _merge_last(self, row: list) -> None:
        piece = self.pieces[-1]
        if type(piece) is _Odd:
            piece.rows[-1] = _merged(piece.rows[-1], row)
            return
        columns, count = piece.columns, len(piece.heads)
        columns.extend([None] * (len(row) - len(columns)))
        for x, value in enumerate(row):
            if value is not None:
                if columns[x] is None:
                    columns[x] = [None] * count
                columns[x][-1] = value

    def place(self, raw: bytearray, size: int, text: ctypes.Array) -> None:
        """Places the cells of one delivery: its records, raw[:size], and its texts."""
        view = memoryview(raw)[:size]
        self.words, self.numbers = view.cast('i'), view.cast('d')
        # One byte of each record's x, y, attribute and kind, for comparing many at once
        # (x < 256 and y < 65536 take one and two bytes, an attribute number two).
        self.xs, self.kinds = raw[0:size:_RECORD], raw[12:size:_RECORD]
        self.run_kinds = self.kinds.translate(_RUN_KINDS)
        self.y_bytes = raw[4:size:_RECORD], raw[5:size:_RECORD]
        self.xf_bytes = raw[8:size:_RECORD], raw[9:size:_RECORD]
        self.texts = _Texts(self.words, text) if self.kinds.translate(None, _NOT_TEXT) \
            else None
        ys = self.ys = self.words[1::8]
        end = len(self.kinds)
        at = 0
        while at < end:
            y = ys[at]
            stop = bisect_right(ys, y, at, end)
            length = stop - at
            pattern = self.xs[at:stop]
            if ys[at:stop].tolist().count(y) != length or not (
                    pattern == _COLUMNS[pattern[0]:pattern[0] + length] or
                    all(map(lt, pattern, pattern[1:]))):
                # Not in row order: the rest cell by cell.
                self._place_cells(at, end)
                return
            rows = self._run_length(at, length, end)
            if rows >= _MIN_RUN:
                self._place_run(at, length, rows)
            else:
                self._place_cells(at, at + rows * length)
            at += rows * length

    def _run_length(self, at: int, length: int, end: int) -> int:
        """How many rows from at on have the row at at's columns and kinds: all that are
        left (a table's body) is tried first, then doubling counts and halving."""
        most = (end - at) // length
        if most == 1 or self._same_rows(at, length, most):
            return most
        good, bad = 1, most
        step = 2
        while step < bad and self._same_rows(at, length, step):
            good, step = step, step * 2
        if step < bad:
            bad = step
        while bad - good > 1:
            middle = (good + bad) // 2
            if self._same_rows(at, length, middle):
                good = middle
            else:
                bad = middle
        return good

    def _same_rows(self, at: int, length: int, rows: int) -> bool:
        stop = at + rows * length
        if self.xs[at:stop] != self.xs[at:at + length] * rows or \
                self.run_kinds[at:stop] != self.run_kinds[at:at + length] * rows:
            return False
        for part in self.y_bytes:  # each row's cells in one row
            heads = part[at:stop:length]
            if any(part[at + i:stop:length] != heads for i in range(1, length)):
                return False
        heads = self.ys[at:stop:length].tolist()
        return all(map(lt, heads, heads[1:]))

    def _place_run(self, at: int, length: int, rows: int) -> None:
        """Rows of the same columns and kinds, a column at a time."""
        stop = at + rows * length
        words, step = self.words, length * 8
        columns: list = [None] * (self.xs[at + length - 1] + 1)
        same_xfs = all(part[at:stop] == part[at:at + length] * rows for part in self.xf_bytes)
        for i in range(at, at + length):
            kind = self.kinds[i]
            if kind in (1, 2):
                numbers = self.numbers[i * 4 + 2:stop * 4:length * 4]
                integers = self.kinds[i:stop:length].count(1)
                if integers == rows:
                    values = list(map(trunc, numbers))
                elif integers == 0:
                    values = numbers.tolist()
                else:
                    values = [trunc(v) if k == 1 else v
                              for v, k in zip(numbers.tolist(), self.kinds[i:stop:length])]
                if not same_xfs:
                    values = self._dated(values, words[i * 8 + 2:stop * 8:step])
                elif self.is_date_xf(words[i * 8 + 2]):
                    values = [from_serial(v, self.date1904) for v in values]
            elif kind in (3, 4):
                values = self.texts.cut(words[i * 8 + 6:stop * 8:step].tolist(),
                                        words[i * 8 + 7:stop * 8:step].tolist())
                if kind == 3:
                    values = list(map(boolean_or_error, values))
            else:
                continue  # blank cells: None, as where there is no cell
            columns[self.xs[i]] = values
        self._add_run(self.ys[at:stop:length].tolist(), columns)

    def _dated(self, values: list, xfs: memoryview) -> list:
        """The numbers of a column, those whose attribute shows dates as dates."""
        is_date_xf, date1904 = self.is_date_xf, self.date1904
        if len(xfs) < 2 or xfs[1:] == xfs[:-1]:
            return [from_serial(v, date1904) for v in values] if is_date_xf(xfs[0]) else values
        dated = {xf for xf in set(xfs.tolist()) if is_date_xf(xf)}
        if not dated:
            return values
        return [from_serial(v, date1904) if xf in dated else v
                for v, xf in zip(values, xfs.tolist())]

    def _place_cells(self, at: int, stop: int) -> None:
        """Cells at to stop one by one, in any order."""
        values = self.numbers[at * 4 + 2:stop * 4:4].tolist()
        kinds = self.kinds[at:stop]
        words = self.words
        xfs = words[at * 8 + 2:stop * 8:8].tolist()
        dated = {xf for xf in set(xfs) if self.is_date_xf(xf)}
        if self.texts is not None:
            texts = iter(self.texts.cut(words[at * 8 + 6:stop * 8:8].tolist(),
                                        words[at * 8 + 7:stop * 8:8].tolist()))
        date1904 = self.date1904
        for i, kind in enumerate(kinds):
            text = next(texts) if self.texts is not None else ''
            if kind == 1:
                values[i] = int(values[i])
            elif kind == 4:
                values[i] = text
                continue
            elif kind == 3:
                values[i] = boolean_or_error(text)
                continue
            elif kind != 2:
                values[i] = None
                continue
            if xfs[i] in dated:
                values[i] = from_serial(values[i], date1904)
        xs = self.xs[at:stop]
        ys = self.ys[at:stop].tolist()
        start = 0
        while start < len(ys):
            y = ys[start]
            end = start + 1
            while end < len(ys) and ys[end] == y:
                end += 1
            row: list = [None] * (max(xs[start:end]) + 1)
            for i in range(start, end):
                row[xs[i]] = values[i]
            self._add_row(y, row)
            start = end
