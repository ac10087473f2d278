"""Small value objects for cell formatting, turned into the engine's attribute requests."""
from __future__ import annotations

from dataclasses import dataclass
from typing import Optional, Union

Colour = Union[str, int]

# The standard palette, indexes 8-63, as RGB.
PALETTE = (
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333,
)

COLOUR_NAMES = {
    'black': 8, 'white': 9, 'red': 10, 'green': 11, 'lime': 11, 'blue': 12, 'yellow': 13,
    'pink': 14, 'magenta': 14, 'cyan': 15, 'turquoise': 15, 'dark_red': 16, 'dark_green': 17,
    'navy': 18, 'dark_blue': 18, 'olive': 19, 'purple': 20, 'teal': 21, 'silver': 22,
    'grey': 23, 'gray': 23, 'light_blue': 48, 'orange': 53, 'light_yellow': 43,
    'light_green': 42, 'light_grey': 22, 'light_gray': 22,
}

BORDER_STYLES = {
    'thin': 1, 'medium': 2, 'dashed': 3, 'dotted': 4, 'thick': 5, 'double': 6, 'hair': 7,
    'mediumDashed': 8, 'dashDot': 9, 'mediumDashDot': 10, 'dashDotDot': 11,
    'mediumDashDotDot': 12, 'slantDashDot': 13,
}
HORIZONTAL = {'general': 0, 'left': 1, 'center': 2, 'centre': 2, 'right': 3, 'fill': 4,
              'justify': 5, 'centerContinuous': 6, 'distributed': 7}
VERTICAL = {'top': 0, 'center': 1, 'centre': 1, 'bottom': 2, 'justify': 3, 'distributed': 4}


def palette_index(colour: Colour) -> int:
    """The palette index of a colour: a name ('red'), an index (8-63) or an RGB text
    ('#FF8000' or 'FF8000', the nearest palette colour)."""
    if isinstance(colour, bool) or not isinstance(colour, (str, int)):
        raise TypeError('a colour is a name, a palette index or an RGB text, not %r' % (colour,))
    if isinstance(colour, int):
        if not 8 <= colour <= 63:
            raise ValueError('palette index %d outside 8-63' % colour)
        return colour
    name = colour.strip().lower().replace(' ', '_')
    if name in COLOUR_NAMES:
        return COLOUR_NAMES[name]
    digits = name[1:] if name.startswith('#') else name
    if len(digits) == 8:
        digits = digits[2:]
    try:
        if len(digits) != 6:
            raise ValueError
        rgb = int(digits, 16)
    except ValueError:
        raise ValueError('unknown colour %r' % colour) from None

    def distance(entry: int) -> int:
        return sum((((entry >> s) & 255) - ((rgb >> s) & 255)) ** 2 for s in (0, 8, 16))

    return 8 + min(range(len(PALETTE)), key=lambda i: distance(PALETTE[i]))


@dataclass(frozen=True)
class Font:
    """A font: fields left None take the workbook's default font's."""
    name: Optional[str] = None
    size: Optional[float] = None
    bold: bool = False
    italic: bool = False
    underline: bool = False
    strike: bool = False
    color: Optional[Colour] = None


@dataclass(frozen=True)
class Border:
    """Lines on every edge of each cell (or, with ``outline``, around the range only)."""
    style: str = 'thin'
    color: Optional[Colour] = None
    outline: bool = False


@dataclass(frozen=True)
class Alignment:
    """Alignment of a cell's contents; None leaves a field as the cell has it."""
    horizontal: Optional[str] = None
    vertical: Optional[str] = None
    wrap_text: Optional[bool] = None
    shrink_to_fit: Optional[bool] = None
    indent: Optional[int] = None


def border_style(name: str) -> int:
    try:
        return BORDER_STYLES[name]
    except KeyError:
        raise ValueError('unknown border style %r; one of %s'
                         % (name, ', '.join(BORDER_STYLES))) from None


def choice(table: dict, name: str, what: str) -> int:
    try:
        return table[name]
    except KeyError:
        raise ValueError('unknown %s %r; one of %s' % (what, name, ', '.join(table))) from None
