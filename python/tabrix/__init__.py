"""The tabrix automation control from Python:

    import tabrix
    c = tabrix.Control()
    c.CreateBook("out.xls")
    c.Pos(0, 0).Str = "番号"
    c.CloseBook()

Members, their arguments and the enumeration constants (tabrix.xcRed, ...) come from the
library's own tables. A failed member raises TabrixError; as the control does for every
client, it has closed all open books by then.
"""
from ._control import Control, TabrixError, enumerations

__all__ = ['Control', 'TabrixError']
globals().update(enumerations())
__all__ += sorted(enumerations())
