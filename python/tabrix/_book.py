"""Workbooks over the engine's handle calls, and the calls that open them.

A Book owns one engine handle. Nothing reaches the disk before the book is saved; a book
left by an exception, discarded by hand or never closed leaves the file as it was.
"""
from __future__ import annotations

import ctypes
import datetime
import decimal
import errno
import math
import numbers
import os
import warnings
from typing import Any, Iterator, Mapping, Optional, Sequence, Union

from . import _engine as eng
from ._errors import (TabrixError, TabrixKeyError, TabrixTypeError, TabrixValueError,
                      engine_error, file_error)
from ._sheet import DEFAULT_XF, TEXT_UNITS, Sheet
from ._styles import Font, palette_index
from ._values import DATE_FORMAT, DATETIME_FORMAT, TIME_FORMAT, Text, is_date_format, to_serial

XM = eng.XM
_INT_MIN, _INT_MAX = -2 ** 31, 2 ** 31 - 1
_SHEET_NAME_REFUSED = set(':\\/?*[]')

_CREATED, _READ, _TEMPLATE, _UPDATE = 'created', 'read', 'template', 'update'


class Book:
    """A workbook file, open through ``create``, ``read``, ``from_template`` or ``update``.

    Use it in a ``with`` block: leaving the block normally saves the book, leaving it by an
    exception discards it (the file stays exactly as it was). ``save()`` (or ``close()``) and
    ``discard()`` do the same by hand; a book never closed is discarded when collected, with
    a ResourceWarning.
    """

    def __init__(self, handle: int, mode: str, path: str,
                 excel95: Optional[bool] = None) -> None:
        self._handle: Optional[int] = handle
        self._mode = mode
        self._from_file = mode != _CREATED
        self._path = path
        self._excel95 = XM.XM_GetFileVersion(handle) == 95 if excel95 is None else excel95
        self._date1904 = XM.XM_GetDateMode(handle) == 1
        self._xf_dates: dict = {}  # attribute number: whether its format shows dates
        self._formats: dict = {}
        self._fonts: dict = {}
        self._attributes: dict = {}
        self._sheets: list = []
        self._pending: list = []  # sheets whose buffers hold writes
        self._cell = eng.XLWALKCELL()
        self._p_cell = ctypes.byref(self._cell)
        self._text = (ctypes.c_uint16 * TEXT_UNITS)()

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
        """The handle, once the sheets' buffered writes are in the workbook."""
        if self._pending:
            self._flush()
        if self._handle is None:
            raise TabrixValueError(3, 'the workbook %r is closed' % self._path)
        return self._handle

    def _writable(self) -> int:
        h = self._live()
        if self._mode == _READ:
            raise TabrixError(6, 'the workbook %r is open for reading only' % self._path,
                              '動作モードエラー')
        return h

    def _flush(self) -> None:
        pending = self._pending
        while pending:
            pending.pop()._flush()

    def _closing(self) -> int:
        """The handle, taken from the book and its sheets."""
        h = self._handle
        if h is None:
            raise TabrixValueError(3, 'the workbook %r is closed' % self._path)
        self._handle = None
        for sheet in self._sheets:
            sheet._room = 0
        return h

    # ---- closing --------------------------------------------------------------------------

    def save(self) -> None:
        """Writes the workbook to its file and closes it (a read book is only closed). A
        file that cannot be written raises OSError and stays as it was; so does a value the
        workbook refused when the written cells were handed over (the book is discarded)."""
        try:
            self._live()
        except TabrixError:
            if self._handle is not None:
                self.discard()
            raise
        h = self._closing()
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
        for sheet in self._pending:
            sheet._buffer.clear()
        self._pending.clear()
        h = self._closing()
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
            return XM.XM_WriteStr2hW(h, s, key, dx, dy, None, DEFAULT_XF)
        if isinstance(value, bool):
            return XM.XM_WriteBool2hW(h, s, key, dx, dy, int(value), DEFAULT_XF)
        if isinstance(value, str):
            if value[:1] == '=' and not isinstance(value, Text):
                return XM.XM_WriteFunchW(h, s, key, dx, dy, eng.wide(value))
            text = "'" + value if value[:1] in ("'", '=') else value
            return XM.XM_WriteStr2hW(h, s, key, dx, dy, eng.wide(text), DEFAULT_XF)
        if isinstance(value, numbers.Integral) and _INT_MIN <= int(value) <= _INT_MAX:
            return XM.XM_WriteInt2hW(h, s, key, dx, dy, int(value), DEFAULT_XF)
        if isinstance(value, (datetime.date, datetime.time)):
            try:
                serial = to_serial(value, self.date1904)
            except ValueError as error:
                raise TabrixValueError(34, str(error)) from None
            fmt = DATETIME_FORMAT if isinstance(value, datetime.datetime) else \
                DATE_FORMAT if isinstance(value, datetime.date) else TIME_FORMAT
            attribute = self._format_attribute(fmt)
            # Merged over each keyword cell's own format.
            return XM.XM_WriteDouble2hW(h, s, key, dx, dy, serial, attribute)
        if isinstance(value, (numbers.Real, decimal.Decimal)):
            number = float(value)
            if not math.isfinite(number):
                raise TabrixValueError(34, 'NaN and infinities cannot be stored: %r' % (value,))
            return XM.XM_WriteDouble2hW(h, s, key, dx, dy, number, DEFAULT_XF)
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
        return number

    def _is_date_xf(self, xf: int) -> bool:
        """Whether attribute xf's number format shows numbers as dates or times."""
        dated = self._xf_dates.get(xf)
        if dated is None:
            buffer = (ctypes.c_uint16 * 256)()
            dated = XM.XM_GetXfFormatW(self._handle, xf, buffer, 256) == 0 and \
                is_date_format(eng.from_wide(buffer))
            self._xf_dates[xf] = dated
        return dated

    def _text_value(self, length: int) -> str:
        """The text of that many UTF-16 units the last cell read left in the book's buffer."""
        return ctypes.string_at(self._text, 2 * min(length, TEXT_UNITS - 1)).decode(
            'utf-16-le', 'surrogatepass')


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
    return Book(handle, _CREATED, name, bool(excel95))


def read(path: eng.PathLike) -> Book:
    """An existing workbook (Excel 95 or 97) opened for reading only."""
    name = eng.file_name(path)
    handle = XM.XM_ReadOpenW(eng.wide(name))
    if handle < 0:
        raise _open_error(handle, name, 'reading')
    return Book(handle, _READ, name)


def from_template(template: eng.PathLike, path: eng.PathLike) -> Book:
    """A new workbook at ``path`` made from ``template``: its sheets, formats and keyword
    cells (blank until filled, keeping their format); see Book.fill."""
    template_name, name = eng.file_name(template), eng.file_name(path)
    handle = XM.XM_CreateTW(eng.wide(name), eng.wide(template_name))
    if handle == -5001:
        raise _open_error(1, template_name, 'reading the template')
    if handle < 0:
        if os.path.exists(name) and os.path.samefile(name, template_name):
            raise TabrixValueError(1, 'the new file %r is the template itself' % name)
        raise _create_error(handle, name, 'creating')
    return Book(handle, _TEMPLATE, name)


def update(path: eng.PathLike) -> Book:
    """An existing workbook opened to be changed in place: saving replaces the file whole,
    discarding leaves it as it was."""
    name = eng.file_name(path)
    handle = XM.XM_OpenW(eng.wide(name), None)
    if handle < 0:
        raise _open_error(handle, name, 'opening for update')
    return Book(handle, _UPDATE, name)
