"""Cell attributes written through the engine's C interface, read back twice: by xlrd
(formatting_info=True: the XF, FONT and FORMAT records as it decodes them) and by LibreOffice,
which converts the file to .xlsx, whose styles openpyxl reads.

One workbook per format holds one styled cell per look; every look is remembered with what
each reader should find.
"""
import os
import shutil
import subprocess
import tempfile
import unittest

import openpyxl
import xlrd

SOURCE = os.environ.get('TABRIX_SOURCE', os.path.join(os.path.dirname(__file__), '..', '..'))
TOOLS = os.environ.get('TABRIX_TOOLS', os.path.join(SOURCE, 'build', 'tests', 'interop'))
XLS_STYLE = os.path.join(TOOLS, 'xls_style')

FONTS = [  # name, points, palette colour, XLFONTSTYLE bits, XLFONTULINE
    ('Arial', 14.0, 10, 1, 0),
    ('Arial', 9.5, 12, 2, 1),
    ('Times New Roman', 20.0, 17, 4, 2),
    ('Courier New', 11.0, 0, 8, 0),
    ('Courier New', 11.0, 0, 16, 0),
    ('明朝', 12.0, 20, 1 | 2 | 4, 1),
]
# Palette colours 8-23 are the same in the Excel 95 and Excel 97 default palettes; a few of
# them keep the number of colours in use low, so that LibreOffice, which fits the colours of
# a document into 56 palette entries when it writes, keeps them exact.
COLOURS = [10, 12, 17, 20, 21, 14]
# Format strings as given (narrow), as stored after the colour words are translated, and as
# LibreOffice writes them back (None: LibreOffice does not keep numbered colours).
NEW_FORMATS = [
    ('0.000', '0.000', '0.000'),
    ('[赤]#,##0;[青]-#,##0', '[Red]#,##0;[Blue]-#,##0', '[RED]#,##0;[BLUE]\\-#,##0'),
    ('[色10]0.00', '[Color10]0.00', None),
    ('#,##0"円 (税込)"', '#,##0"円 (税込)"', '#,##0"円 (税込)"'),
    ('"[赤]"0', '"[赤]"0', '"[赤]"0'),
    ('[緑]yyyy"年"m"月"d"日"', '[Green]yyyy"年"m"月"d"日"', '[GREEN]yyyy\\年m\\月d\\日'),
]
BUILTIN_FORMATS = [2, 4, 9, 10, 14, 49]
# LibreOffice's names of the BIFF line styles, alignments and rotations. Where LibreOffice has
# no equivalent it substitutes the nearest one: slanted dash-dot lines become medium dash-dot,
# centre across selection becomes centre, vertical justify becomes bottom.
LINE_NAMES = [None, 'thin', 'medium', 'dashed', 'dotted', 'thick', 'double', 'hair',
              'mediumDashed', 'dashDot', 'mediumDashDot', 'dashDotDot', 'mediumDashDotDot',
              'mediumDashDot']
HORIZONTAL = ['general', 'left', 'center', 'right', 'fill', 'justify', 'center',
              'distributed', 'distributed']
VERTICAL = ['top', 'center', 'bottom', 'bottom', 'distributed']


def hex_text(text):
    return 'x:' + text.encode('cp932').hex()


class Look:
    """One styled cell: the request fields and what the readers should see."""

    def __init__(self, row, column, fields, **expect):
        self.row, self.column, self.fields, self.expect = row, column, fields, expect


class StyleScript:
    def __init__(self, path, biff8):
        self.path, self.biff8 = path, biff8
        self.lines = ['%s %s 1' % ('create97' if biff8 else 'create', path)]
        self.looks = []
        self.merged = []

    def add(self, fields, **expect):
        row = len(self.looks)
        self.looks.append(Look(row, 1, fields, **expect))
        self.lines.append('int 0 0 1 %d %d' % (row, row))
        self.lines.append('attr ' + ' '.join('%s=%s' % item for item in fields.items()))
        self.lines.append('set2 0 0 1 %d' % row)

    def merge(self, first_col, first_row, last_col, last_row):
        self.lines.append('attr Joint=1 PosHorz=2')
        self.lines.append('ext2 0 0 %d %d %d %d' % (first_col, first_row, last_col, last_row))
        self.lines.append('str 0 0 %d %d %s' % (first_col, first_row, hex_text('merged')))
        self.merged.append((first_row, last_row + 1, first_col, last_col + 1))

    def run(self):
        self.lines.append('close 0')
        done = subprocess.run([XLS_STYLE], input='\n'.join(self.lines) + '\n', text=True,
                              capture_output=True, check=True)
        results = done.stdout.split()
        bad = [(line, rc) for line, rc in zip(self.lines, results)
               if rc.startswith('-') or rc in ('9998', '9999')]
        if len(results) != len(self.lines) or bad:
            raise AssertionError('calls failed: %r' % bad[:5])


def build(path, biff8):
    s = StyleScript(path, biff8)
    for i, (name, size, colour, style, underline) in enumerate(FONTS):
        s.lines.append('font%d = font 0 %s %r %d %d %d' % (i, hex_text(name), size, colour, style,
                                                           underline))
        s.add({'Font': '$font%d' % i}, font=(name, size, colour, style, underline))
    for i, (given, stored, libreoffice) in enumerate(NEW_FORMATS):
        s.lines.append('fmt%d = fmt 0 %s' % (i, hex_text(given)))
        s.add({'Format': '$fmt%d' % i}, format=stored, lo_format=libreoffice)
    for number in BUILTIN_FORMATS:
        s.add({'Format': number}, builtin=number)
    max_style = 13 if biff8 else 7
    for style in range(1, max_style + 1):
        colours = [COLOURS[(style + k) % len(COLOURS)] for k in range(4)]
        s.add({'LineTop': style, 'LineBottom': style, 'LineLeft': style, 'LineRight': style,
               'ColorTop': colours[0], 'ColorBottom': colours[1], 'ColorLeft': colours[2],
               'ColorRight': colours[3]}, border=(style, colours))
    s.add({'LineTop': 1}, border=(None, None), top_auto=True)
    s.add({'Pattern': 0, 'PatternColor': 12}, fill=(0, None))
    s.add({'Pattern': 0, 'BackColor': 13}, fill=(1, 13))  # a background alone means solid
    for pattern in range(1, 19):
        s.add({'Pattern': pattern, 'PatternColor': 12, 'BackColor': 13}, fill=(pattern, 13))
    for horizontal in range(0, 9 if biff8 else 8):
        s.add({'PosHorz': horizontal}, horizontal=horizontal)
    for vertical in range(0, 5):
        s.add({'PosVert': vertical, 'OverReturn': 1}, vertical=vertical, wrap=True)
    if biff8:
        for indent in (1, 4, 9):
            s.add({'PosHorz': 1, 'Indent': indent}, indent=indent)
        s.add({'Fit': 1}, shrink=True)
        for given, stored in ((45, 45), (90, 90), (-45, 135), (-90, 180), (255, 255)):
            s.add({'Rotation': given}, rotation=stored)
        for kind in (1, 2, 3):
            s.add({'DiagKind': kind, 'DiagStyle': 2 + kind, 'DiagColor': 10 + kind},
                  diagonal=(kind, 2 + kind, 10 + kind))
        s.merge(3, 1, 5, 2)
        s.merge(3, 6, 3, 9)
    else:
        for orient, rotation in ((1, 255), (2, 90), (3, 180)):
            s.add({'Orient': orient}, rotation=rotation)
    s.run()
    return s


def build_colours(path, biff8):
    """Every palette colour 8-63 once as a font colour and once on each border edge."""
    s = StyleScript(path, biff8)
    for colour in range(8, 64):
        s.lines.append('c%d = font 0 %s 11 %d 0 0' % (colour, hex_text('Arial'), colour))
        s.add({'Font': '$c%d' % colour, 'LineTop': 1, 'LineBottom': 2, 'LineLeft': 1,
               'LineRight': 2, 'ColorTop': colour, 'ColorBottom': colour, 'ColorLeft': colour,
               'ColorRight': colour}, font=('Arial', 11.0, colour, 0, 0),
              border=(None, [colour] * 4), palette=colour)
    s.run()
    return s


def rgb(book, index):
    red, green, blue = book.colour_map[index]
    return 'FF%02X%02X%02X' % (red, green, blue)


def lo_rgb(colour):
    """The colour of an openpyxl colour object; LibreOffice leaves black lines without one."""
    return colour.rgb if colour is not None else 'FF000000'


class AttributeInteropTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='tabrix-attr-')
        cls.scripts = {biff8: build(os.path.join(cls.folder, 'styles%d.xls' % (8 if biff8 else 5)),
                                    biff8)
                       for biff8 in (True, False)}
        cls.colours = {biff8: build_colours(
            os.path.join(cls.folder, 'colours%d.xls' % (8 if biff8 else 5)), biff8)
            for biff8 in (True, False)}
        out = os.path.join(cls.folder, 'xlsx')
        subprocess.run(['soffice', '--headless',
                        '-env:UserInstallation=file://' + os.path.join(cls.folder, 'profile'),
                        '--convert-to', 'xlsx', '--outdir', out] +
                       [s.path for s in list(cls.scripts.values()) + list(cls.colours.values())],
                       check=True, capture_output=True, timeout=300)
        cls.converted = {s.path: os.path.join(out, os.path.basename(s.path)[:-4] + '.xlsx')
                         for s in list(cls.scripts.values()) + list(cls.colours.values())}

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, True)

    # xlrd: the records themselves.

    def check_xlrd(self, script):
        biff8 = script.biff8
        book = xlrd.open_workbook(script.path, formatting_info=True)
        sheet = book.sheet_by_index(0)
        for look in script.looks:
            with self.subTest(biff8=biff8, fields=look.fields):
                xf = book.xf_list[sheet.cell_xf_index(look.row, look.column)]
                self.check_xlrd_look(book, xf, look.expect, biff8)
        self.assertEqual(sorted(sheet.merged_cells), sorted(script.merged))

    def check_xlrd_look(self, book, xf, expect, biff8):
        font = book.font_list[xf.font_index]
        if 'font' in expect:
            name, size, colour, style, underline = expect['font']
            self.assertEqual(font.name, name)
            self.assertEqual(font.height, int(size * 20))
            self.assertEqual(font.colour_index, colour if colour else 0x7FFF)
            self.assertEqual(font.weight, 700 if style & 1 else 400)
            self.assertEqual(font.italic, bool(style & 2))
            self.assertEqual(font.struck_out, bool(style & 4))
            self.assertEqual(font.escapement, 2 if style & 16 else 1 if style & 8 else 0)
            self.assertEqual(font.underline_type, underline)
        if 'format' in expect:
            self.assertGreaterEqual(xf.format_key, 176)
            self.assertEqual(book.format_map[xf.format_key].format_str, expect['format'])
        if 'builtin' in expect:
            self.assertEqual(xf.format_key, expect['builtin'])
        border = xf.border
        if 'border' in expect:
            style, colours = expect['border']
            if style:
                self.assertEqual([border.top_line_style, border.bottom_line_style,
                                  border.left_line_style, border.right_line_style], [style] * 4)
        if expect.get('border', (None, None))[1]:
            self.assertEqual([border.top_colour_index, border.bottom_colour_index,
                              border.left_colour_index, border.right_colour_index], colours)
        if expect.get('top_auto'):
            self.assertEqual((border.top_line_style, border.top_colour_index), (1, 64))
            self.assertEqual(border.bottom_line_style, 0)
        if 'diagonal' in expect:
            kind, style, colour = expect['diagonal']
            self.assertEqual((border.diag_down, border.diag_up), (kind & 1, kind >> 1))
            self.assertEqual((border.diag_line_style, border.diag_colour_index), (style, colour))
        background = xf.background
        if 'fill' in expect:
            pattern, back = expect['fill']
            self.assertEqual(background.fill_pattern, pattern)
            if pattern == 1:  # solid: the caller's background shows as the pattern colour
                self.assertEqual(background.pattern_colour_index, back)
            elif pattern > 1:
                self.assertEqual((background.pattern_colour_index,
                                  background.background_colour_index), (12, back))
        alignment = xf.alignment
        if 'horizontal' in expect:
            self.assertEqual(alignment.hor_align, min(expect['horizontal'], 7))
        if 'vertical' in expect:
            self.assertEqual(alignment.vert_align, expect['vertical'])
            self.assertEqual(alignment.text_wrapped, 1)
        if 'indent' in expect:
            self.assertEqual((alignment.hor_align, alignment.indent_level), (1, expect['indent']))
        if 'shrink' in expect:
            self.assertEqual(alignment.shrink_to_fit, 1)
        if 'rotation' in expect:
            self.assertEqual(alignment.rotation, expect['rotation'])

    def test_xlrd_reads_the_excel97_records(self):
        self.check_xlrd(self.scripts[True])
        self.check_xlrd(self.colours[True])

    def test_xlrd_reads_the_excel95_records(self):
        self.check_xlrd(self.scripts[False])
        self.check_xlrd(self.colours[False])

    # LibreOffice: the styles as a spreadsheet program understands them.

    def check_libreoffice(self, script):
        biff8 = script.biff8
        palette = xlrd.open_workbook(script.path, formatting_info=True)
        sheet = openpyxl.load_workbook(self.converted[script.path]).active
        for look in script.looks:
            with self.subTest(biff8=biff8, fields=look.fields):
                cell = sheet.cell(row=look.row + 1, column=look.column + 1)
                self.check_libreoffice_look(palette, cell, look.expect)
        merged = sorted((r.min_row - 1, r.max_row, r.min_col - 1, r.max_col)
                        for r in sheet.merged_cells.ranges)
        self.assertEqual(merged, sorted(script.merged))

    def check_libreoffice_look(self, palette, cell, expect):
        font = cell.font
        if 'font' in expect:
            name, size, colour, style, underline = expect['font']
            self.assertEqual(font.name, name)
            self.assertAlmostEqual(font.sz, size)
            self.assertEqual(bool(font.b), bool(style & 1))
            self.assertEqual(bool(font.i), bool(style & 2))
            self.assertEqual(bool(font.strike), bool(style & 4))
            self.assertEqual(font.u, [None, 'single', 'double'][underline])
            if colour:
                self.assertEqual(lo_rgb(font.color), rgb(palette, colour))
        if expect.get('lo_format'):
            self.assertEqual(cell.number_format, expect['lo_format'])
        border = cell.border
        sides = [border.top, border.bottom, border.left, border.right]
        if expect.get('border', (None, None))[0]:
            style, colours = expect['border']
            self.assertEqual([side.style for side in sides], [LINE_NAMES[style]] * 4)
        if expect.get('border', (None, None))[1]:
            style, colours = expect['border']
            self.assertEqual([lo_rgb(side.color) for side in sides],
                             [rgb(palette, c) for c in colours])
        if expect.get('top_auto'):
            self.assertEqual(border.top.style, 'thin')
            self.assertIsNone(border.bottom.style)
        if 'diagonal' in expect:
            kind, style, colour = expect['diagonal']
            self.assertEqual((bool(border.diagonalDown), bool(border.diagonalUp)),
                             (bool(kind & 1), bool(kind & 2)))
            self.assertEqual(border.diagonal.style, LINE_NAMES[style])
            self.assertEqual(lo_rgb(border.diagonal.color), rgb(palette, colour))
        if 'fill' in expect:
            pattern, back = expect['fill']
            if pattern == 0:
                self.assertIsNone(cell.fill.patternType)
            else:
                # LibreOffice keeps a solid fill's colour; other patterns become a solid fill
                # of the two colours mixed.
                self.assertEqual(cell.fill.patternType, 'solid')
                if pattern == 1:
                    self.assertEqual(cell.fill.fgColor.rgb, rgb(palette, back))
        alignment = cell.alignment
        if 'horizontal' in expect:
            self.assertEqual(alignment.horizontal or 'general', HORIZONTAL[expect['horizontal']])
        if 'vertical' in expect:
            self.assertEqual(alignment.vertical or 'bottom', VERTICAL[expect['vertical']])
            self.assertTrue(alignment.wrap_text)
        if 'indent' in expect:
            self.assertEqual((alignment.horizontal, alignment.indent), ('left', expect['indent']))
        if 'shrink' in expect:
            self.assertTrue(alignment.shrink_to_fit)
        if 'rotation' in expect:
            self.assertEqual(alignment.text_rotation, expect['rotation'])

    def test_libreoffice_reads_the_excel97_styles(self):
        self.check_libreoffice(self.scripts[True])
        # The whole palette: the Excel 97 default palette is the one both readers know.
        self.check_libreoffice(self.colours[True])

    def test_libreoffice_reads_the_excel95_styles(self):
        self.check_libreoffice(self.scripts[False])


if __name__ == '__main__':
    unittest.main()
