"""The engine's handle calls (XM_*) declared for ctypes, with their UTF-16 texts.

Texts cross as NUL-terminated UTF-16-LE bytes (ctypes' c_wchar_p is 32-bit on Linux). The
calls on the write and walk paths are left without argtypes: a Python int or bytes object
passes straight through, which is several times faster than a declared conversion; their
callers pass only ints, bytes, None and c_double.
"""
from __future__ import annotations

import ctypes
import os
from typing import Union

from ._library import library

i32, f64, ptr = ctypes.c_int32, ctypes.c_double, ctypes.c_void_p
p_i32, p_f64 = ctypes.POINTER(ctypes.c_int32), ctypes.POINTER(ctypes.c_double)

PathLike = Union[str, bytes, 'os.PathLike[str]', 'os.PathLike[bytes]']


class XLATTR(ctypes.Structure):
    """An attribute request; -1 in a field means not set (999 for Rotation)."""
    _fields_ = [(name, ctypes.c_int16) for name in (
        'Font', 'Format', 'PosHorz', 'OverReturn', 'PosVert', 'Orient', 'LineTop', 'LineBottom',
        'LineLeft', 'LineRight', 'ColorTop', 'ColorBottom', 'ColorLeft', 'ColorRight', 'Pattern',
        'PatternColor', 'BackColor', 'Fit', 'Joint', 'DiagKind', 'DiagStyle', 'DiagColor',
        'Indent', 'Rotation', 'Locked', 'Hidden')]


class XLWALKCELL(ctypes.Structure):
    """One cell of a sheet walk: 32 bytes, '<4id2i'."""
    _fields_ = [('x', i32), ('y', i32), ('xf', i32), ('kind', i32), ('value', f64),
                ('text', i32), ('length', i32)]


_SIGNATURES = {
    'XM_CreateW': (i32, [ptr, i32]),
    'XM_Create97W': (i32, [ptr, i32]),
    'XM_CreateTW': (i32, [ptr, ptr]),
    'XM_OpenW': (i32, [ptr, ptr]),
    'XM_ReadOpenW': (i32, [ptr]),
    'XM_CheckFileW': (i32, [ptr]),
    'XM_Close': (i32, [i32]),
    'XM_Cancel': (i32, [i32]),
    'XM_OpenClose': (i32, [i32, i32]),
    'XM_ReadClose': (i32, [i32]),
    'XM_GetFileVersion': (i32, [i32]),
    'XM_GetSheetCount': (i32, [i32]),
    'XM_GetSheetNameW': (i32, [i32, i32, ptr]),
    'XM_SheetNameW': (i32, [i32, i32, ptr]),
    'XM_SetAddSheet': (i32, [i32, i32]),
    'XM_GetSheetState': (i32, [i32, i32, p_i32, p_i32]),
    'XM_GetMaxData': (i32, [i32, i32, p_i32, p_i32]),
    'XM_FontNoW': (i32, [i32, ptr, f64, i32, i32, i32]),
    'XM_FmtNoW': (i32, [i32, ptr]),
    'XM_InitAttr': (i32, [ctypes.POINTER(XLATTR)]),
    'XM_GetAttrNo2': (i32, [i32, ctypes.POINTER(XLATTR)]),
    'XM_SetAttrExt2': (i32, [i32, i32, i32, i32, i32, i32, ctypes.POINTER(XLATTR)]),
    'XM_SetAttrExt2hW': (i32, [i32, i32, ptr, i32, i32, i32, i32, ctypes.POINTER(XLATTR)]),
    'XM_SetColWidth': (i32, [i32, i32, i32, i32, i32]),
    'XM_SetRowHeight': (i32, [i32, i32, i32, f64]),
    'XM_GetColWidth': (i32, [i32, i32, i32]),
    'XM_WriteFunc2W': (i32, [i32, i32, i32, i32, ptr, i32]),
    'XM_WriteStr2hW': (i32, [i32, i32, ptr, i32, i32, ptr, i32]),
    'XM_WriteInt2hW': (i32, [i32, i32, ptr, i32, i32, i32, i32]),
    'XM_WriteDouble2hW': (i32, [i32, i32, ptr, i32, i32, f64, i32]),
    'XM_WriteBool2hW': (i32, [i32, i32, ptr, i32, i32, i32, i32]),
    'XM_WriteFunchW': (i32, [i32, i32, ptr, i32, i32, ptr]),
    'XM_BoxLine': (i32, [i32, i32, i32, i32, i32, i32, i32]),
    'XM_GetDateMode': (i32, [i32]),
    'XM_GetXfFormatW': (i32, [i32, i32, ptr, i32]),
    'XM_WriteCellsW': (i32, [i32, i32, i32, ptr, ptr, ptr, ptr, ptr, ptr, p_i32]),
    'tabrix_version': (ctypes.c_char_p, []),
}
for _name, (_result, _arguments) in _SIGNATURES.items():
    _function = getattr(library, _name)
    _function.restype, _function.argtypes = _result, _arguments

# The hot paths: no argtypes (see above).
write_str = library.XM_WriteStr2W
write_int = library.XM_WriteInt2
write_double = library.XM_WriteDouble2
write_bool = library.XM_WriteBool2
cell_data = library.XM_GetCellDataW
read_cell = library.XM_ReadCellW
walk_cells = library.XM_WalkCellsW
for _function in (write_str, write_int, write_double, write_bool, cell_data, read_cell,
                  walk_cells):
    _function.restype = i32

XM = library


def wide(text: str) -> bytes:
    """The NUL-terminated UTF-16-LE form of a str; a str holding NUL is refused, since the
    library would see only the text before it."""
    if '\0' in text:
        raise ValueError('text holds a NUL character: %r' % text)
    return (text + '\0').encode('utf-16-le', 'surrogatepass')


def from_wide(buffer: ctypes.Array) -> str:
    """The str in a NUL-terminated UTF-16 buffer of c_uint16 units."""
    units = memoryview(buffer).cast('B').cast('H')
    end = units.tolist().index(0) if 0 in units else len(units)
    return bytes(buffer)[:2 * end].decode('utf-16-le', 'replace')


def file_name(path: PathLike) -> str:
    """A path (str, bytes or os.PathLike) as the str the library takes."""
    name = os.fsdecode(os.fspath(path))
    if not name:
        raise ValueError('empty file name')
    return name


def version() -> str:
    """The version of the library that was loaded."""
    return XM.tabrix_version().decode('ascii')
