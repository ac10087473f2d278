"""What a workbook file says about its number formats and its date system, read from the
records before its first sheet. The engine's calls give cells and their attribute numbers
but not the formats behind them, which decide whether a number is a date."""
from __future__ import annotations

import struct
from typing import Optional

from ._values import BUILTIN_DATE_FORMATS, is_date_format

_MAGIC = b'\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1'
_LAST_SECTOR = 0xFFFFFFFA
_BOF_BIFF8, _EOF, _DATEMODE, _CODEPAGE, _FORMAT, _XF, _XF_BIFF5 = \
    0x0600, 0x000A, 0x0022, 0x0042, 0x041E, 0x00E0, 0x00E0


class FileFormats:
    """The attribute (XF) numbers whose number format shows dates, and the date system."""

    def __init__(self, date_xfs: frozenset, xf_count: int, date1904: bool) -> None:
        self.date_xfs = date_xfs
        self.xf_count = xf_count
        self.date1904 = date1904


class _CompoundFile:
    """Just enough of a compound file to read one stream from the front."""

    def __init__(self, data: bytes) -> None:
        if len(data) < 512 or data[:8] != _MAGIC:
            raise ValueError('not a compound file')
        self.data = data
        self.shift = struct.unpack_from('<H', data, 30)[0]
        if self.shift not in (9, 12):
            raise ValueError('unexpected sector size')
        size = 1 << self.shift
        fat_sectors = [s for s in struct.unpack_from('<109I', data, 76) if s < _LAST_SECTOR]
        difat, count = struct.unpack_from('<II', data, 68)
        for _ in range(count):
            if difat >= _LAST_SECTOR:
                break
            entries = struct.unpack_from('<%dI' % (size // 4), data, self.offset(difat))
            fat_sectors += [s for s in entries[:-1] if s < _LAST_SECTOR]
            difat = entries[-1]
        fat = b''.join(self.sector(s) for s in fat_sectors)
        self.fat = memoryview(fat[:len(fat) // 4 * 4]).cast('I')
        self.mini_cutoff = struct.unpack_from('<I', data, 56)[0]
        directory = self.read_chain(struct.unpack_from('<I', data, 48)[0], self.fat, size)
        self.entries = []
        for at in range(0, len(directory) - 127, 128):
            length, kind = struct.unpack_from('<HB', directory, at + 64)
            name = directory[at:at + max(0, min(length, 64) - 2)].decode('utf-16-le', 'replace')
            start, stream_size = struct.unpack_from('<II', directory, at + 116)
            self.entries.append((name, kind, start, stream_size))

    def offset(self, sector: int) -> int:
        return (sector + 1) << self.shift

    def sector(self, sector: int) -> bytes:
        at = self.offset(sector)
        return self.data[at:at + (1 << self.shift)]

    def read_chain(self, start: int, fat, size: int, source=None, limit: int = -1) -> bytes:
        parts, seen, sector = [], 0, start
        while sector < _LAST_SECTOR and sector < len(fat) and seen != limit:
            if source is None:
                parts.append(self.sector(sector))
            else:
                parts.append(source[sector * size:(sector + 1) * size])
            sector = fat[sector]
            seen += 1
            if seen > len(fat):
                raise ValueError('sector chain loops')
        return b''.join(parts)

    def stream(self, names: tuple, limit: int) -> Optional[bytes]:
        """The first ``limit`` bytes or so of the first stream with one of the names."""
        for wanted in names:
            for name, kind, start, size in self.entries:
                if kind == 2 and name.lower() == wanted:
                    if size >= self.mini_cutoff:
                        count = -(-limit >> self.shift)
                        return self.read_chain(start, self.fat, 1 << self.shift,
                                               limit=count)[:size]
                    return self.mini_stream(start, size)
        return None

    def mini_stream(self, start: int, size: int) -> bytes:
        _name, _kind, root_start, root_size = self.entries[0]
        big = 1 << self.shift
        container = self.read_chain(root_start, self.fat, big)[:root_size]
        first_mini, _count = struct.unpack_from('<II', self.data, 60)
        minifat_bytes = self.read_chain(first_mini, self.fat, big)
        minifat = memoryview(minifat_bytes[:len(minifat_bytes) // 4 * 4]).cast('I')
        return self.read_chain(start, minifat, 64, source=container)[:size]


def _globals(stream: bytes):
    """The records of the workbook globals: (number, data) up to the first EOF."""
    at = 0
    while at + 4 <= len(stream):
        number, length = struct.unpack_from('<HH', stream, at)
        yield number, stream[at + 4:at + 4 + length]
        if number == _EOF:
            return
        at += 4 + length


def _format_text(data: bytes, biff8: bool, codepage: str) -> tuple[int, str]:
    number = struct.unpack_from('<H', data)[0]
    if not biff8:
        return number, data[3:3 + data[2]].decode(codepage, 'replace')
    length, flags = struct.unpack_from('<HB', data, 2)
    at = 5 + (2 if flags & 0x08 else 0) + (4 if flags & 0x04 else 0)
    if flags & 0x01:
        return number, data[at:at + 2 * length].decode('utf-16-le', 'replace')
    return number, data[at:at + length].decode('latin-1')


_CODEPAGES = {932: 'cp932', 1200: 'utf-16-le', 1252: 'cp1252', 367: 'ascii', 65001: 'utf-8'}


def read_file_formats(path: str, limit: int = 1 << 20) -> Optional[FileFormats]:
    """The formats of a workbook file, or None when it cannot be read this way."""
    try:
        with open(path, 'rb') as f:
            data = f.read()
        stream = _CompoundFile(data).stream(('workbook', 'book'), limit)
        if not stream:
            return None
        records = list(_globals(stream))
        if (not records or records[-1][0] != _EOF) and len(stream) >= limit:
            return read_file_formats(path, limit * 16)
        biff8 = len(records[0][1]) >= 2 and struct.unpack_from('<H', records[0][1])[0] == \
            _BOF_BIFF8
        codepage, date1904, formats, xf_formats = 'cp1252', False, {}, []
        for number, body in records:
            if number == _CODEPAGE and len(body) >= 2:
                codepage = _CODEPAGES.get(struct.unpack_from('<H', body)[0], 'cp1252')
            elif number == _DATEMODE and len(body) >= 2:
                date1904 = struct.unpack_from('<H', body)[0] == 1
            elif number == _FORMAT and len(body) >= 3:
                index, text = _format_text(body, biff8, codepage)
                formats[index] = text
            elif number == _XF and len(body) >= 4:
                xf_formats.append(struct.unpack_from('<H', body, 2)[0])
        date_xfs = frozenset(
            xf for xf, index in enumerate(xf_formats)
            if (is_date_format(formats[index]) if index in formats
                else index in BUILTIN_DATE_FORMATS))
        return FileFormats(date_xfs, len(xf_formats), date1904)
    except (OSError, ValueError, struct.error, IndexError):
        return None
