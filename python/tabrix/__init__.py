"""tabrix from Python: Excel 95 and 97 workbooks.

The Pythonic face::

    import tabrix
    with tabrix.create("out.xls") as book:
        sheet = book.sheets[0]
        sheet["A1"] = "番号"
        sheet.cell(row=2, column=1).value = 42

    with tabrix.read("out.xls") as book:
        for row in book.sheets[0].iter_rows(values_only=True):
            print(row)

A book left by an exception is discarded: the file on disk stays as it was.

The automation control's face, member for member as the control's clients know it::

    c = tabrix.Control()
    c.CreateBook("out.xls")
    c.Pos(0, 0).Str = "番号"
    c.CloseBook()

Members, their arguments and the enumeration constants (tabrix.xcRed, ...) come from the
library's own tables. A failed member raises TabrixError; as the control does for every
client, it has closed all open books by then.
"""
from ._book import Book, create, from_template, read, update
from ._sheet import Cell, Sheet, column_letter, column_number, parse_reference
from ._control import Control, enumerations
from ._engine import version as _version
from ._errors import TabrixError
from ._styles import Alignment, Border, Font
from ._values import CellError, Text

__version__: str = _version()

__all__ = ['Book', 'Sheet', 'Cell', 'CellError', 'Text', 'Font', 'Border', 'Alignment',
           'create', 'read', 'from_template', 'update', 'column_letter', 'column_number',
           'parse_reference', 'Control', 'TabrixError', '__version__']
globals().update(enumerations())
__all__ += sorted(enumerations())
