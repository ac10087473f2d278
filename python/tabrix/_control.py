"""The automation control as a Python class whose members come from the library's table."""
import ctypes

from . import _library as lib
from ._errors import TabrixError


# Calls that never reached a member have no Book API message.
_STATUS_MESSAGES = {
    0x80020003: 'member not found', 0x80020004: 'parameter not found',
    0x80020005: 'type mismatch', 0x80020006: 'unknown name', 0x8002000E: 'bad parameter count',
    0x8002000F: 'parameter not optional', 0x80004003: 'invalid pointer',
    0x80070006: 'invalid handle', 0x8007000E: 'out of memory', 0x80040200: 'no connection',
}


def _status_error(status):
    info = lib.XLERRORINFO()
    message = lib.utf16_text(info.description) if lib.library.XlsControlGetErrorInfo(
        ctypes.byref(info)) else ''
    status &= 0xFFFFFFFF
    # A Book API failure carries its small error number under the top bit; the status codes
    # of calls that never reached a member carry a facility and stay whole.
    if status & 0x7FFF0000 == 0:
        return TabrixError(status & 0x7FFFFFFF, message)
    return TabrixError(status, message or _STATUS_MESSAGES.get(status, ''))


def _check(status):
    if status:
        raise _status_error(status)


class Argument:
    def __init__(self, entry):
        self.name = entry.name.decode()
        self.kind = entry.kind
        self.optional = bool(entry.optional)


class Member:
    """One row of the member table, with the Python call that invokes it."""

    def __init__(self, entry):
        self.name = entry.name.decode()
        self.dispid = entry.dispid
        self.invoke = entry.invoke
        arguments = [Argument(entry.args[i]) for i in range(entry.arg_count)]
        self.inputs = [a for a in arguments if a.kind != lib.KIND_OUT_LONG]
        self.arguments = arguments
        self.by_keyword = {}
        for index, argument in enumerate(self.inputs):
            self.by_keyword[argument.name] = index
            self.by_keyword.setdefault(argument.name.lower(), index)

    def signature(self):
        return '%s(%s)' % (self.name, ', '.join(
            a.name + ('=None' if a.optional else '') for a in self.inputs))

    def bind(self, args, kwargs):
        """The input arguments in declaration order, None for an omitted one."""
        if len(args) > len(self.inputs):
            raise TypeError('%s takes at most %d arguments' % (self.name, len(self.inputs)))
        values = list(args) + [None] * (len(self.inputs) - len(args))
        for name, value in kwargs.items():
            index = self.by_keyword.get(name)
            if index is None or index < len(args):
                raise TypeError('%s got an unexpected or repeated argument %r' % (self.name, name))
            values[index] = value
        for argument, value in zip(self.inputs, values):
            if value is None and not argument.optional:
                raise TypeError('%s is missing its argument %r' % (self.name, argument.name))
        return values

    def call(self, control, invoke, values, put_value=None):
        """Invokes the member; returns the result, or the out values when it has them."""
        inputs = iter(values)
        variants, outs, keep = [], [], []
        for argument in self.arguments:
            if argument.kind == lib.KIND_OUT_LONG:
                out = ctypes.c_int32()
                outs.append(out)
                variant = lib.VARIANT(vt=lib.VT_BYREF | lib.VT_I4)
                variant.plVal = ctypes.pointer(out)
            else:
                variant = _variant(next(inputs), keep)
            variants.append(variant)
        if invoke == lib.INVOKE_PROPERTYPUT:
            variants.append(_variant(put_value, keep))
        # Omitted arguments at the end are left off; those in the middle stay marked.
        while variants and variants[-1].vt == lib.VT_ERROR:
            variants.pop()
        array = (lib.VARIANT * max(len(variants), 1))(*variants)
        result = lib.VARIANT()
        _check(lib.library.XlsControlInvoke(control._handle, self.dispid, invoke, len(variants),
                                            array, ctypes.byref(result)))
        value = _python_value(result, control)
        if outs:
            return tuple(out.value for out in outs) if len(outs) > 1 else outs[0].value
        return value


def _variant(value, keep):
    """The variant of a Python value; None is an omitted argument. keep holds the buffers
    that must outlive the call."""
    variant = lib.VARIANT()
    if value is None:
        variant.vt, variant.scode = lib.VT_ERROR, lib.DISP_E_PARAMNOTFOUND
    elif isinstance(value, bool):
        variant.vt, variant.boolVal = lib.VT_BOOL, -1 if value else 0
    elif isinstance(value, int) and -2**31 <= value < 2**31:
        variant.vt, variant.lVal = lib.VT_I4, value
    elif isinstance(value, (int, float)):
        variant.vt, variant.dblVal = lib.VT_R8, value
    elif isinstance(value, str):
        buffer = lib.utf16_buffer(value)
        keep.append(buffer)
        variant.vt = lib.VT_BSTR
        variant.bstrVal = ctypes.cast(buffer, ctypes.POINTER(ctypes.c_uint16))
    elif isinstance(value, Control):
        variant.vt, variant.lVal = lib.VT_DISPATCH, value._handle
    else:
        raise TypeError('no variant for %r' % type(value).__name__)
    return variant


def _python_value(result, control):
    vt = result.vt
    if vt in (lib.VT_EMPTY, lib.VT_NULL):
        return None
    if vt == lib.VT_I4:
        return result.lVal
    if vt == lib.VT_I2:
        return result.iVal
    if vt == lib.VT_R8:
        return result.dblVal
    if vt == lib.VT_R4:
        return result.fltVal
    if vt == lib.VT_BOOL:
        return result.boolVal != 0
    if vt == lib.VT_BSTR:
        text = lib.utf16_text(result.bstrVal) if result.bstrVal else ''
        lib.library.XlsClearValueV(ctypes.byref(result))
        return text
    if vt == lib.VT_DISPATCH:
        # The control hands itself out with a reference added, for chaining.
        lib.library.XlsControlRelease(result.lVal)
        if result.lVal != control._handle:
            raise TypeError('the member returned another control')
        return control
    raise TypeError('variant type %d has no Python value' % vt)


class Control:
    """One automation control; released when the object is collected. Its members are
    generated from the library's member table when the module is imported."""

    __slots__ = ('_handle', '_sinks')

    def __init__(self):
        self._handle = None
        self._sinks = []  # (callback, cookie, ctypes thunk): the thunks must stay alive
        handle = ctypes.c_int32()
        _check(lib.library.XlsControlCreate(ctypes.byref(handle)))
        self._handle = handle.value

    # A finaliser rather than weakref.finalize: a sink that refers to its control makes a
    # cycle, which the collector can end only through __del__.
    def __del__(self, release=lib.library.XlsControlRelease):
        if self._handle is not None:
            release(self._handle)

    def connect(self, callback):
        """Calls callback(number) when a member fails; a returned number replaces it (0 turns
        the failure into success), None keeps it."""
        def sink(_context, number):
            replacement = callback(number[0])
            if replacement is not None:
                number[0] = replacement

        thunk = lib.ERRORSINK(sink)
        cookie = ctypes.c_int32()
        _check(lib.library.XlsControlAdvise(self._handle, thunk, None, ctypes.byref(cookie)))
        self._sinks.append((callback, cookie.value, thunk))

    def disconnect(self, callback):
        for index, (connected, cookie, _thunk) in enumerate(self._sinks):
            if connected == callback:
                _check(lib.library.XlsControlUnadvise(self._handle, cookie))
                del self._sinks[index]
                return
        raise ValueError('callback is not connected')


def _method(member):
    def method(self, *args, **kwargs):
        return member.call(self, lib.INVOKE_METHOD, member.bind(args, kwargs))
    method.__name__, method.__doc__ = member.name, member.signature()
    return method


def _indexed_get(member):
    def get(self, *args, **kwargs):
        return member.call(self, lib.INVOKE_PROPERTYGET, member.bind(args, kwargs))
    get.__name__, get.__doc__ = member.name, member.signature()
    return get


def _property(member):
    getter = setter = None
    if member.invoke & lib.INVOKE_PROPERTYGET:
        def getter(self):
            return member.call(self, lib.INVOKE_PROPERTYGET, [])
    if member.invoke & lib.INVOKE_PROPERTYPUT:
        def setter(self, value):
            if value is None:
                raise TypeError('%s cannot be set to None' % member.name)
            member.call(self, lib.INVOKE_PROPERTYPUT, [], value)
    return property(getter, setter)


def members():
    table = lib.library
    return [Member(table.XlsControlMember(i).contents) for i in range(table.XlsControlMemberCount())]


def enumerations():
    table = lib.library
    return {entry.name.decode(): entry.value
            for entry in (table.XlsControlEnum(i).contents for i in range(table.XlsControlEnumCount()))}


def _build():
    for member in members():
        if member.invoke & lib.INVOKE_METHOD:
            attribute = _method(member)
        elif member.inputs:
            attribute = _indexed_get(member)
        else:
            attribute = _property(member)
        setattr(Control, member.name, attribute)


_build()
