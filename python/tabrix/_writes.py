"""Cell writes gathered in Python and handed to the engine a block at a time.

One engine call per cell costs more than everything else a cell write does in Python, so
``Cell.value = ...`` appends the cell to its sheet's buffer, and the book hands the buffer to
``XM_WriteCellsW`` before any other call reaches the engine, and whenever it grows large.
"""
from __future__ import annotations

import ctypes
from struct import pack
from typing import Any, Optional, Tuple

from . import _engine as eng

BLANK, INTEGER, NUMBER, BOOLEAN, TEXT = 0, 1, 2, 3, 4
BLOCK_CELLS = 32768  # cells a buffer holds before it is handed over


class CellBuffer:
    """The writes of one sheet not yet handed over: parallel lists of positions, kinds and
    numbers (0.0 for a text), and the texts in order."""

    __slots__ = ('xs', 'ys', 'kinds', 'numbers', 'texts')

    def __init__(self) -> None:
        self.xs: list = []
        self.ys: list = []
        self.kinds: list = []
        self.numbers: list = []
        self.texts: list = []

    def drop_last(self) -> None:
        """Takes back the cell appended last."""
        if self.kinds.pop() == TEXT:
            self.texts.pop()
        self.xs.pop()
        self.ys.pop()
        self.numbers.pop()

    def clear(self) -> None:
        for cells in (self.xs, self.ys, self.kinds, self.numbers, self.texts):
            cells.clear()

    def extent(self) -> Tuple[int, int]:
        """One past the last column and row written."""
        return (max(self.xs) + 1, max(self.ys) + 1) if self.xs else (0, 0)

    def write(self, h: int, sheet: int) -> Tuple[int, Optional[Tuple[int, int, Any]]]:
        """Hands every cell to the engine and empties the buffer (the lists themselves stay,
        their bound append methods are kept by the sheet): (0, None), or the error and
        (x, y, value) of the first cell the engine refused (those after it are dropped)."""
        xs, ys, kinds, numbers, texts = self.xs, self.ys, self.kinds, self.numbers, self.texts
        count = len(xs)
        # struct packs a list into a C array in a third of the time array() takes.
        words, doubles = '<%di' % count, '<%dd' % count
        packed = ('\0'.join(texts) + '\0').encode('utf-16-le', 'surrogatepass') if texts \
            else None
        written = ctypes.c_int32()
        rc = eng.XM.XM_WriteCellsW(h, sheet, count, pack(words, *xs), pack(words, *ys),
                                   pack(words, *kinds), pack(doubles, *numbers), packed, None,
                                   ctypes.byref(written))
        failed = None
        if rc:
            at = written.value
            kind = kinds[at]
            value: Any = None
            if kind == TEXT:
                value = texts[kinds[:at].count(TEXT)]
            elif kind == BOOLEAN:
                value = numbers[at] != 0.0
            elif kind in (INTEGER, NUMBER):
                value = numbers[at]
            failed = (xs[at], ys[at], value)
        self.clear()
        return rc, failed
