"""The package's exceptions and the meanings of the engine's error numbers."""
from __future__ import annotations

import errno as _errno
import os
from typing import Optional

# The engine's numbers (returned negated), each with its English meaning and the Japanese
# message the library gives for it.
MESSAGES: dict[int, tuple[str, str]] = {
    1: ('cannot open or create the file', 'ファイルがオープンできません'),
    2: ('invalid workbook handle', '無効なファイルハンドルです'),
    3: ('the workbook is not open', 'ファイルがオープンされていません'),
    4: ('no such sheet', 'シート No エラー'),
    5: ('the file could not be written', '書き込みエラー'),
    6: ('not allowed for this workbook', '動作モードエラー'),
    7: ('wrong kind of data', 'データ種別エラー'),
    8: ('the cell holds an error value', 'エラー値です'),
    9: ('empty file name', ''),
    20: ('cannot clear cells', 'クリアエラー'),
    21: ('cannot copy cells', 'コピーエラー'),
    22: ('cannot paste cells', '貼り付けエラー'),
    23: ('cannot insert', '挿入エラー'),
    24: ('cannot delete', '削除エラー'),
    31: ('length out of range', '長さエラー'),
    32: ('cell position out of range', '座標エラー'),
    33: ('invalid attribute number', '属性番号エラー'),
    34: ('invalid parameter', 'パラメータエラー'),
    35: ('no data', 'データがありません'),
    36: ('end of data', 'データの終わり'),
    37: ('keyword not found', '指定した変数が存在しません'),
    38: ('too many page breaks', '改ページ数が制限を越えました'),
    40: ('out of memory', 'メモリエラー１'),
    41: ('out of memory', 'メモリエラー２'),
    50: ('internal error', '内部エラー'),
    100: ('malformed formula', '計算式形式エラー'),
}


class TabrixError(Exception):
    """Base of every error the package raises.

    ``number`` is the engine's error number (positive; formula errors keep their own number
    from 100 to 199), ``message`` the English text and ``japanese`` the library's Japanese
    message for that number ('' where it has none). The automation control's face raises it
    with ``message`` holding the control's own description.
    """

    def __init__(self, number: int = 0, message: str = '', japanese: str = '') -> None:
        self.number = number
        self.message = message
        self.japanese = japanese
        super().__init__('%d: %s' % (number, message) if message else str(number))

    def __str__(self) -> str:
        return str(self.args[0]) if self.args else ''


class TabrixFileError(TabrixError, OSError):
    """A file that cannot be opened, created or written; also an ``OSError``."""


class TabrixFileNotFoundError(TabrixFileError, FileNotFoundError):
    """The file or its folder does not exist."""


class TabrixPermissionError(TabrixFileError, PermissionError):
    """The file or its folder may not be read or written."""


class TabrixIsADirectoryError(TabrixFileError, IsADirectoryError):
    """The name leads to a folder."""


class TabrixValueError(TabrixError, ValueError):
    """A position, value or argument the workbook cannot take."""


class TabrixTypeError(TabrixError, TypeError):
    """A value of a type no cell holds."""


class TabrixKeyError(TabrixError, KeyError):
    """A sheet name or a keyword the workbook lacks."""


class TabrixMemoryError(TabrixError, MemoryError):
    """The library ran out of memory."""


def meaning(number: int) -> tuple[str, str]:
    """English and Japanese meaning of a positive engine error number."""
    if 100 <= number < 200:
        return MESSAGES[100]
    return MESSAGES.get(number, ('unknown error %d' % number, ''))


def engine_error(rc: int, what: str, cls: Optional[type] = None) -> TabrixError:
    """The exception for a negative engine result ``rc`` of an action described by ``what``."""
    number = -rc
    english, japanese = meaning(number)
    if cls is None:
        if number in (31, 32, 34, 7) or 100 <= number < 200:
            cls = TabrixValueError
        elif number == 37:
            cls = TabrixKeyError
        elif number in (40, 41):
            cls = TabrixMemoryError
        elif number in (1, 5):
            cls = TabrixFileError
        else:
            cls = TabrixError
    return cls(number, '%s: %s' % (what, english), japanese)


_FILE_ERRORS = {
    _errno.ENOENT: TabrixFileNotFoundError,
    _errno.EACCES: TabrixPermissionError,
    _errno.EPERM: TabrixPermissionError,
    _errno.EISDIR: TabrixIsADirectoryError,
}


def file_error(rc: int, what: str, path: str, reason: str = '',
               error_number: Optional[int] = None) -> TabrixFileError:
    """A file error for a failed open or close of ``path``; ``error_number`` (an errno)
    picks the ``OSError`` subclass, ``reason`` says what is wrong with the file."""
    number = -rc if rc < 0 else rc
    english, japanese = meaning(number)
    cls = _FILE_ERRORS.get(error_number, TabrixFileError) if error_number else TabrixFileError
    text = '%s %r: %s' % (what, path, reason or english)
    error = cls(number, text, japanese)
    error.filename = path
    if error_number:
        error.errno = error_number
        error.strerror = reason or os.strerror(error_number)
    return error
