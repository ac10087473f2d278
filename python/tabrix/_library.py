"""The shared library and the C types of its automation interface, declared for ctypes."""
import ctypes
import os

# Variant types and status codes, numbered as the C interface numbers them.
VT_EMPTY, VT_NULL, VT_I2, VT_I4, VT_R4, VT_R8 = 0, 1, 2, 3, 4, 5
VT_BSTR, VT_DISPATCH, VT_ERROR, VT_BOOL = 8, 9, 10, 11
VT_BYREF = 0x4000
DISP_E_PARAMNOTFOUND = 0x80020004
INVOKE_METHOD, INVOKE_PROPERTYGET, INVOKE_PROPERTYPUT = 1, 2, 4
KIND_NONE, KIND_LONG, KIND_DOUBLE, KIND_TEXT = 0, 1, 2, 3
KIND_BOOL, KIND_VARIANT, KIND_CONTROL, KIND_OUT_LONG = 4, 5, 6, 7


class _VariantValue(ctypes.Union):
    _fields_ = [('llVal', ctypes.c_int64), ('lVal', ctypes.c_int32),
                ('iVal', ctypes.c_int16), ('fltVal', ctypes.c_float),
                ('dblVal', ctypes.c_double), ('boolVal', ctypes.c_int16),
                ('scode', ctypes.c_uint32), ('bstrVal', ctypes.POINTER(ctypes.c_uint16)),
                ('plVal', ctypes.POINTER(ctypes.c_int32)), ('pvarVal', ctypes.c_void_p)]


class VARIANT(ctypes.Structure):
    _anonymous_ = ('value',)
    _fields_ = [('vt', ctypes.c_uint16), ('wReserved1', ctypes.c_uint16),
                ('wReserved2', ctypes.c_uint16), ('wReserved3', ctypes.c_uint16),
                ('value', _VariantValue)]


class XLMEMBERARG(ctypes.Structure):
    _fields_ = [('name', ctypes.c_char_p), ('type', ctypes.c_char_p), ('kind', ctypes.c_int32),
                ('optional', ctypes.c_int32), ('default_value', ctypes.c_int32)]


class XLMEMBER(ctypes.Structure):
    _fields_ = [('name', ctypes.c_char_p), ('dispid', ctypes.c_int32),
                ('invoke', ctypes.c_int32), ('value_kind', ctypes.c_int32),
                ('arg_count', ctypes.c_int32), ('args', ctypes.POINTER(XLMEMBERARG))]


class XLENUMVALUE(ctypes.Structure):
    _fields_ = [('type', ctypes.c_char_p), ('name', ctypes.c_char_p), ('value', ctypes.c_int32)]


class XLERRORINFO(ctypes.Structure):
    _fields_ = [('guid', ctypes.c_char * 39), ('help_context', ctypes.c_int32),
                ('description', ctypes.c_uint16 * 513), ('help_file', ctypes.c_char * 64)]


ERRORSINK = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.POINTER(ctypes.c_int32))


def _library_path():
    """TABRIX_LIBRARY first; then the library dir that the install recorded relative to this
    package; else the dynamic linker's search."""
    named = os.environ.get('TABRIX_LIBRARY')
    if named:
        return named
    try:
        from . import _installed
    except ImportError:
        return 'libtabrix.so.0'
    return os.path.join(os.path.dirname(os.path.abspath(__file__)), _installed.LIBRARY_DIR,
                        'libtabrix.so.0')


def _declare(library):
    i32, p_i32 = ctypes.c_int32, ctypes.POINTER(ctypes.c_int32)
    signatures = {
        'XlsControlMemberCount': (i32, []),
        'XlsControlMember': (ctypes.POINTER(XLMEMBER), [i32]),
        'XlsControlEnumCount': (i32, []),
        'XlsControlEnum': (ctypes.POINTER(XLENUMVALUE), [i32]),
        'XlsControlCreate': (i32, [p_i32]),
        'XlsControlAddRef': (i32, [i32]),
        'XlsControlRelease': (i32, [i32]),
        'XlsControlInvoke': (i32, [i32, i32, i32, i32, ctypes.POINTER(VARIANT),
                                   ctypes.POINTER(VARIANT)]),
        'XlsControlAdvise': (i32, [i32, ERRORSINK, ctypes.c_void_p, p_i32]),
        'XlsControlUnadvise': (i32, [i32, i32]),
        'XlsControlGetErrorInfo': (i32, [ctypes.POINTER(XLERRORINFO)]),
        'XlsClearValueV': (i32, [ctypes.POINTER(VARIANT)]),
    }
    for name, (result, arguments) in signatures.items():
        function = getattr(library, name)
        function.restype, function.argtypes = result, arguments
    return library


library = _declare(ctypes.CDLL(_library_path()))


def utf16_text(units):
    """The str of a NUL-terminated UTF-16 buffer (a pointer or an array of c_uint16)."""
    length = 0
    while units[length]:
        length += 1
    return ctypes.string_at(units, length * 2).decode('utf-16-le', 'replace')


def utf16_buffer(text):
    """A NUL-terminated UTF-16 copy of a str, for a BSTR argument. A str holding a NUL is
    refused: the control would see only the text before it."""
    if '\0' in text:
        raise ValueError('text holds a NUL character')
    encoded = text.encode('utf-16-le')
    return (ctypes.c_uint16 * (len(encoded) // 2 + 1)).from_buffer_copy(encoded + b'\0\0')
