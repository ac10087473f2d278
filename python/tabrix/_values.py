"""Cell values between Python and the workbook: error values, date serial numbers and
number formats that show dates."""
from __future__ import annotations

import datetime
import re
from typing import Union

ERROR_CODES = ('#NULL!', '#DIV/0!', '#VALUE!', '#REF!', '#NAME?', '#NUM!', '#N/A')


class CellError:
    """An error value held by a cell or given as a formula's result; ``code`` is its text,
    such as ``"#DIV/0!"``. Two error values are equal when their codes are."""

    __slots__ = ('code',)

    def __init__(self, code: str) -> None:
        self.code = code

    def __eq__(self, other: object) -> bool:
        return isinstance(other, CellError) and other.code == self.code

    def __hash__(self) -> int:
        return hash(self.code)

    def __repr__(self) -> str:
        return 'CellError(%r)' % self.code

    def __str__(self) -> str:
        return self.code


class Text(str):
    """A str written as text even when it starts with ``=``."""

    __slots__ = ()


Value = Union[None, bool, int, float, str, datetime.datetime, datetime.date, datetime.time,
              CellError]

# Quoted texts, escapes, spacing and fill characters, exponents (E+ and E- are not eras) and
# bracketed colours or conditions; [h], [mm] and [ss] stay.
_LITERALS = re.compile(r'"[^"]*"|\\.|_.|\*.|E[+-]|\[(?!h\]|hh\]|m\]|mm\]|s\]|ss\])[^\]]*\]',
                       re.I)
_DATE_CODES = re.compile(r'[dmyhsegb]|\[(h|hh|m|mm|s|ss)\]', re.I)


def is_date_format(text: str) -> bool:
    """Whether a number format shows numbers as dates or times: a date or time code outside
    quoted texts, escapes and bracketed colours or conditions (in its first section)."""
    if text.lower() == 'general':
        return False
    section = _LITERALS.sub('', text).split(';')[0]
    return bool(_DATE_CODES.search(section))


_EPOCH_1900 = datetime.datetime(1899, 12, 30)
_EPOCH_1904 = datetime.datetime(1904, 1, 1)
_MARCH_1900 = datetime.datetime(1900, 3, 1)

DATE_FORMAT = 'yyyy-mm-dd'
DATETIME_FORMAT = 'yyyy-mm-dd hh:mm:ss'
TIME_FORMAT = 'hh:mm:ss'


def to_serial(value: Union[datetime.date, datetime.time], date1904: bool) -> float:
    """The serial number of a date, date and time, or time of day. The 1900 date system
    counts 1900-02-29, a day that never was, as spreadsheets do: its serials before
    1900-03-01 are one less than the days since 1899-12-30."""
    if isinstance(value, datetime.time):
        if value.tzinfo is not None:
            raise ValueError('a time with a time zone cannot be stored: %r' % value)
        return (value.hour * 3600 + value.minute * 60 + value.second +
                value.microsecond / 1e6) / 86400
    if isinstance(value, datetime.datetime):
        if value.tzinfo is not None:
            raise ValueError('a datetime with a time zone cannot be stored: %r' % value)
        moment = value
    else:
        moment = datetime.datetime(value.year, value.month, value.day)
    epoch = _EPOCH_1904 if date1904 else _EPOCH_1900
    delta = moment - epoch
    serial = delta.days + delta.seconds / 86400 + delta.microseconds / 86400e6
    if not date1904 and moment < _MARCH_1900:
        serial -= 1
        if moment < datetime.datetime(1900, 1, 1):
            raise ValueError('dates before 1900-01-01 cannot be stored: %r' % value)
    elif serial < 0:
        raise ValueError('dates before 1904-01-01 cannot be stored in a 1904 workbook: %r'
                         % value)
    return serial


def from_serial(serial: float, date1904: bool) -> Union[datetime.datetime, datetime.time, float]:
    """The datetime of a serial number (a time of day below 1); the number itself when no
    date has it (negative, 1900-02-29 or beyond year 9999). Rounded to the millisecond, the
    precision spreadsheets keep."""
    if serial < 0:
        return serial
    milliseconds = round(serial * 86400000)
    if milliseconds < 86400000:
        seconds, millisecond = divmod(milliseconds, 1000)
        return datetime.time(seconds // 3600, seconds // 60 % 60, seconds % 60,
                             millisecond * 1000)
    days, rest = divmod(milliseconds, 86400000)
    if date1904:
        epoch = _EPOCH_1904
    elif days < 60:
        epoch = _EPOCH_1900 + datetime.timedelta(days=1)
    elif days == 60:
        return serial
    else:
        epoch = _EPOCH_1900
    try:
        return epoch + datetime.timedelta(days=days, milliseconds=rest)
    except OverflowError:
        return serial
