"""Rich text and phonetic text of shared strings through a template copy (XM_CreateT) and an
in-place save (XM_Open without an output, one other cell written, XM_OpenClose), on workbooks
made by xlwt (rich text cells, a long one among them), by xlwt with phonetic blocks (ExtRst)
and a sheet's phonetic settings (PHONETIC) put in by hand, and by LibreOffice (a cell with three
fonts). Afterwards xlrd gives every rich cell the same runs with the same fonts, every text
cell's SST entry holds the same characters, runs and phonetic bytes (read by a parser of this
test), a plain write finds the plain entry of its text, EXTSST points at its strings, and the
engine's own row and block copies keep the entry of the cells they copy.
"""
import ctypes
import os
import shutil
import struct
import tempfile
import unittest

import xlrd
import xlwt

import calc_uno
import foreign_files

LIB = ctypes.CDLL(os.environ['TABRIX_LIB'])
SST, CONTINUE, EXTSST, LABELSST = 0x00FC, 0x003C, 0x00FF, 0x00FD
BOF, EOF, BOUNDSHEET, PHONETIC = 0x0809, 0x000A, 0x0085, 0x00EF
RECORD_LIMIT = 8224

RICH_TEXT = 'Plain-bold-red-Times-italic'  # also written plain, by xlwt and by the engine
# Phonetic settings unlike the writer's own: font 1, settings 0x0031, over A1:C10.
SHEET_PHONETIC = struct.pack('<HHH4H', 1, 0x0031, 1, 0, 9, 0, 2)


def call(name, *args):
    rc = getattr(LIB, name)(*args)
    if rc < 0:
        raise AssertionError('%s%r returned %d' % (name, args, rc))
    return rc


def xlwt_font(**settings):
    font = xlwt.Font()
    for name, value in settings.items():
        setattr(font, name, value)
    return font


def write_rich(path):
    """Five runs in A1 and the same characters plain in A2; two long texts of many runs, so that
    runs go on in CONTINUE records; a rich keyword in A5 and a plain one in B1."""
    book = xlwt.Workbook(encoding='utf-8')
    sheet = book.add_sheet('Rich')
    plain = xlwt_font()
    bold = xlwt_font(bold=True)
    red = xlwt_font(colour_index=xlwt.Style.colour_map['red'])
    times = xlwt_font(name='Times New Roman', height=280)
    italic = xlwt_font(italic=True, underline=xlwt.Font.UNDERLINE_SINGLE)
    sheet.write_rich_text(0, 0, [('Plain-', plain), ('bold-', bold), ('red-', red),
                                 ('Times-', times), ('italic', italic)])
    sheet.write(1, 0, RICH_TEXT)
    fonts = (bold, red, times, italic)
    for row, length in ((2, 2600), (3, 1700)):
        pieces = [(chr(0x4E00 + row * 500 + i) * 3, fonts[i % 4]) for i in range(length // 3)]
        sheet.write_rich_text(row, 0, pieces)
    sheet.write_rich_text(4, 0, [('**', red), ('KEEP', bold)])
    sheet.write(0, 1, '**FILL')
    book.save(path)


def ext_rst(reading, base_length):
    """A phonetic block: the reading over the whole text, in katakana, with font 0."""
    text = struct.pack('<H', len(reading)) + reading.encode('utf-16-le')
    body = (struct.pack('<HH', 0, 0x0001) + struct.pack('<HH', 1, len(reading)) + text +
            struct.pack('<HHH', 0, 0, base_length))
    return struct.pack('<HH', 1, len(body)) + body


# Cells of the phonetic workbook: (row, col) -> (xlwt pieces or text, reading or None).
KANA_CELLS = {
    (0, 0): ('東京都', 'トウキョウト'),
    (1, 0): ('東京都', None),  # the same characters without their reading: another entry
    (2, 0): ([('大', 'bold'), ('阪府', 'red')], 'オオサカフ'),
    (3, 0): ('**かな', 'カナ'),
    (0, 1): ('**FILL', None),
}
# Long readings of short texts: phonetic blocks go on in CONTINUE records.
for row in range(5, 10):
    KANA_CELLS[(row, 0)] = ('長文%d' % row, 'ヨミ' * (650 + 37 * row))


def write_phonetic(path):
    """xlwt writes the cells; its SST is then written again with the readings as phonetic
    blocks (a text with a reading gets an entry of its own), and a PHONETIC record goes into
    the sheet."""
    book = xlwt.Workbook(encoding='utf-8')
    sheet = book.add_sheet('Kana')
    fonts = {'bold': xlwt_font(bold=True), 'red': xlwt_font(colour_index=2)}
    for (row, col), (value, _) in KANA_CELLS.items():
        if isinstance(value, list):
            sheet.write_rich_text(row, col, [(text, fonts[font]) for text, font in value])
        else:
            sheet.write(row, col, value)
    stream = book.get_biff_data()
    readings = {place: reading for place, (_, reading) in KANA_CELLS.items() if reading}
    xlwt.CompoundDoc.XlsDoc().save(path, with_readings(stream, readings))


def records_of(stream):
    out = []
    offset = 0
    while offset + 4 <= len(stream):
        number, size = struct.unpack_from('<HH', stream, offset)
        out.append((offset, number, stream[offset + 4:offset + 4 + size]))
        offset += 4 + size
    return out


def with_readings(stream, readings):
    """The stream with the cells in `readings` pointing at new SST entries that carry them, the
    EXTSST left out and SHEET_PHONETIC before the first sheet's EOF."""
    records = records_of(stream)
    globals_end = next(i for i, (_, number, _) in enumerate(records) if number == EOF) + 1
    total, entries, _ = parse_sst(records[:globals_end])
    sheet = []
    for _, number, data in records[globals_end:]:
        if number == LABELSST:
            row, col = struct.unpack_from('<HH', data)
            if (row, col) in readings:
                index = struct.unpack_from('<I', data, 6)[0]
                text, runs, _ = entries[index]
                entries.append((text, runs, ext_rst(readings[(row, col)], len(text))))
                data = data[:6] + struct.pack('<I', len(entries) - 1)
        if number == EOF and sheet and sheet[-1][0] != BOF:
            sheet.append((PHONETIC, SHEET_PHONETIC))
        sheet.append((number, data))
        if number == EOF:
            break  # xlwt's one sheet ends here; what follows is padding
    glob = []
    for _, number, data in records[:globals_end]:
        if number == SST:
            glob += sst_records(total, entries)
        elif number not in (CONTINUE, EXTSST):
            glob.append((number, data))
    joined = lambda recs: b''.join(struct.pack('<HH', n, len(d)) + d for n, d in recs)
    head = bytearray(joined(glob))
    # The one BOUNDSHEET points at the sheet, now right after the globals.
    at = next(i for i, (n, _) in enumerate(glob) if n == BOUNDSHEET)
    bound = sum(4 + len(d) for _, d in glob[:at]) + 4
    struct.pack_into('<I', head, bound, len(head))
    return bytes(head) + joined(sheet)


def sst_records(total, entries):
    """SST and CONTINUE records of (text, runs, phonetic) entries: characters go on after a
    repeated option byte, runs whole, phonetic bytes as they fit."""
    parts = [bytearray(struct.pack('<II', total, len(entries)))]
    room = lambda: RECORD_LIMIT - len(parts[-1])
    for text, runs, phonetic in entries:
        wide = any(ord(c) > 0xFF for c in text)
        units = text.encode('utf-16-le' if wide else 'latin-1')
        flags = int(wide) | (8 if runs else 0) | (4 if phonetic else 0)
        head = struct.pack('<HB', len(units) // (2 if wide else 1), flags)
        head += struct.pack('<H', len(runs)) if runs else b''
        head += struct.pack('<I', len(phonetic)) if phonetic else b''
        if room() < len(head) + 2:
            parts.append(bytearray())
        parts[-1] += head
        at = 0
        while True:
            piece = min(len(units) - at, room() - room() % (2 if wide else 1))
            parts[-1] += units[at:at + piece]
            at += piece
            if at == len(units):
                break
            parts.append(bytearray([int(wide)]))
        for run in runs:
            if room() < 4:
                parts.append(bytearray())
            parts[-1] += struct.pack('<HH', *run)
        at = 0
        while at < len(phonetic):
            if room() == 0:
                parts.append(bytearray())
            piece = min(room(), len(phonetic) - at)
            parts[-1] += phonetic[at:at + piece]
            at += piece
    return [(SST if i == 0 else CONTINUE, bytes(part)) for i, part in enumerate(parts)]


def fill_calc(document):
    """A1: three fonts (bold, red, an italic serif), A2 the same characters plain, B1 a
    keyword."""
    import uno
    sheet = document.Sheets.getByIndex(0)
    cell = sheet.getCellByPosition(0, 0)
    cell.setString('Three-fonts-here')
    cursor = cell.createTextCursor()
    portions = ((6, 'CharWeight', 150.0), (6, 'CharColor', 0xFF0000),
                (4, 'CharPosture', uno.Enum('com.sun.star.awt.FontSlant', 'ITALIC')))
    cursor.gotoStart(False)
    for length, name, value in portions:
        cursor.collapseToEnd()
        cursor.goRight(length, True)
        cursor.setPropertyValue(name, value)
        if name == 'CharPosture':
            cursor.setPropertyValue('CharFontName', 'DejaVu Serif')
    sheet.getCellByPosition(0, 1).setString('Three-fonts-here')
    sheet.getCellByPosition(1, 0).setString('**FILL')


def parse_sst(records):
    """(total, [(text, runs, phonetic bytes)], facts) of the SST among records given as
    (offset, number, data); facts: 'crossed' when runs or phonetic data of a string go on in
    the next record, 'starts' the stream offset of each string's header and its offset in its
    record (from the record header)."""
    parts = []
    for offset, number, data in records:
        if number == SST:
            parts = [(offset, data)]
        elif number == CONTINUE and parts:
            parts.append((offset, data))
        elif parts:
            break
    if not parts:
        return 0, [], {'crossed': False, 'starts': []}
    state = {'part': 0, 'pos': 8}
    facts = {'crossed': False, 'starts': []}

    def data():
        return parts[state['part']][1]

    def take(count, continued=False):
        out = b''
        while len(out) < count:
            if state['pos'] == len(data()):
                state['part'] += 1
                state['pos'] = 0
                facts['crossed'] |= continued
            piece = data()[state['pos']:state['pos'] + count - len(out)]
            out += piece
            state['pos'] += len(piece)
        return out

    total, unique = struct.unpack('<II', data()[:8])
    entries = []
    for _ in range(unique):
        if state['pos'] == len(data()):
            state['part'] += 1
            state['pos'] = 0
        offset = parts[state['part']][0]
        facts['starts'].append((offset + 4 + state['pos'], 4 + state['pos']))
        count, flags = struct.unpack('<HB', take(3))
        run_count = struct.unpack('<H', take(2))[0] if flags & 8 else 0
        phonetic_size = struct.unpack('<I', take(4))[0] if flags & 4 else 0
        wide, raw, got = flags & 1, b'', 0
        while got < count:
            if state['pos'] == len(data()):
                state['part'] += 1
                wide = data()[0] & 1
                state['pos'] = 1
            unit = 2 if wide else 1
            piece = min(count - got, (len(data()) - state['pos']) // unit)
            chunk = data()[state['pos']:state['pos'] + piece * unit]
            raw += chunk if wide else chunk.decode('latin-1').encode('utf-16-le')
            state['pos'] += piece * unit
            got += piece
        runs = [struct.unpack('<HH', take(4, True)) for _ in range(run_count)]
        entries.append((raw.decode('utf-16-le'), runs, take(phonetic_size, True)))
    return total, entries, facts


def sheets_of(records):
    """The records of each worksheet, BOF to EOF, in BOUNDSHEET order."""
    starts = [struct.unpack_from('<I', data)[0] for _, number, data in records
              if number == BOUNDSHEET]
    by_offset = {offset: i for i, (offset, _, _) in enumerate(records)}
    out = []
    for start in starts:
        at = by_offset[start]
        end = next(i for i in range(at, len(records)) if records[i][1] == EOF)
        out.append(records[at:end + 1])
    return out


class Book:
    """What a file holds for these checks."""

    def __init__(self, path):
        records = foreign_files.workbook_records(path)
        self.total, self.entries, self.facts = parse_sst(records)
        self.extsst = next((data for _, number, data in records if number == EXTSST), None)
        self.sheets = sheets_of(records)
        with open(os.devnull, 'w') as quiet:
            self.xlrd = xlrd.open_workbook(path, formatting_info=True, logfile=quiet)

    def sst_index(self, sheet, row, col):
        for _, number, data in self.sheets[sheet]:
            if number == LABELSST and struct.unpack_from('<HH', data) == (row, col):
                return struct.unpack_from('<I', data, 6)[0]
        return None

    def string_cells(self, sheet=0):
        """{(row, col): (text, runs, phonetic)} of the sheet's LABELSST cells."""
        out = {}
        for _, number, data in self.sheets[sheet]:
            if number == LABELSST:
                row, col = struct.unpack_from('<HH', data)
                out[(row, col)] = self.entries[struct.unpack_from('<I', data, 6)[0]]
        return out

    def runs(self, sheet=0):
        """{(row, col): [(first character, font)]} as xlrd reads them, fonts by what they
        look like: name, height, weight, italic, underline, colour."""
        book = self.xlrd
        out = {}
        for place, runs in book.sheet_by_index(sheet).rich_text_runlist_map.items():
            fonts = [book.font_list[index] for _, index in runs]
            out[place] = [(first, (f.name, f.height, f.weight, f.italic, f.underline_type,
                                   f.colour_index)) for (first, _), f in zip(runs, fonts)]
        return out

    def phonetic_settings(self, sheet=0):
        return [data for _, number, data in self.sheets[sheet] if number == PHONETIC]


class RichStrings(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='tabrix-rich-')
        cls.sources = {'xlwt_rich': os.path.join(cls.folder, 'xlwt_rich.xls'),
                       'xlwt_phonetic': os.path.join(cls.folder, 'xlwt_phonetic.xls')}
        write_rich(cls.sources['xlwt_rich'])
        write_phonetic(cls.sources['xlwt_phonetic'])
        if shutil.which('soffice'):
            calc = calc_uno.CalcSession(cls.folder)
            try:
                cls.sources['libreoffice'] = os.path.join(cls.folder, 'libreoffice.xls')
                calc.new_xls(cls.sources['libreoffice'], fill_calc)
            finally:
                calc.close()
        cls.results = {}
        for name, source in cls.sources.items():
            copy = os.path.join(cls.folder, name + '-template.xls')
            h = call('XM_CreateT', copy.encode(), source.encode())
            call('XM_WriteStrh', h, 0, b'**FILL', 0, 0, b'filled')
            call('XM_Close', h)
            in_place = os.path.join(cls.folder, name + '-in-place.xls')
            shutil.copyfile(source, in_place)
            h = call('XM_Open', in_place.encode(), None)
            call('XM_WriteStr', h, 0, 3, 12, RICH_TEXT.encode())
            call('XM_OpenClose', h, 1)
            cls.results[name] = {'template': Book(copy), 'in place': Book(in_place)}

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    def test_the_sources_hold_what_is_checked(self):
        rich = Book(self.sources['xlwt_rich'])
        self.assertEqual(len(rich.runs()[(0, 0)]), 5)
        self.assertNotIn((1, 0), rich.runs())
        self.assertTrue(rich.facts['crossed'])  # runs going on in a CONTINUE record
        self.assertGreater(max(index for _, index in rich.xlrd.sheet_by_index(0)
                               .rich_text_runlist_map[(0, 0)]), 4)
        kana = Book(self.sources['xlwt_phonetic'])
        self.assertEqual(kana.string_cells()[(0, 0)][2], ext_rst('トウキョウト', 3))
        self.assertNotEqual(kana.sst_index(0, 0, 0), kana.sst_index(0, 1, 0))
        self.assertEqual(kana.xlrd.sheet_by_index(0).cell_value(5, 0), '長文5')
        if 'libreoffice' in self.sources:
            self.assertGreaterEqual(len(Book(self.sources['libreoffice']).runs()[(0, 0)]), 3)

    def test_runs_fonts_and_phonetic_bytes_come_back(self):
        for name, source in self.sources.items():
            before = Book(source)
            for mode, after in self.results[name].items():
                with self.subTest(source=name, mode=mode):
                    # A template blanks its keyword cells; an in-place save keeps them.
                    cells = {place: entry for place, entry in before.string_cells().items()
                             if mode == 'in place' or not entry[0].startswith('**')}
                    written = after.string_cells()
                    for place, entry in cells.items():
                        self.assertEqual(written.get(place), entry, place)
                    runs = {place: runs for place, runs in before.runs().items()
                            if place in cells}
                    self.assertTrue(runs)
                    self.assertEqual({place: after.runs().get(place) for place in runs}, runs)

    def test_the_sheets_phonetic_settings_stay(self):
        for mode, after in self.results['xlwt_phonetic'].items():
            self.assertEqual(after.phonetic_settings(), [SHEET_PHONETIC], mode)

    def test_a_plain_write_finds_the_plain_entry(self):
        after = self.results['xlwt_rich']['in place']
        self.assertEqual(after.sst_index(0, 12, 3), after.sst_index(0, 1, 0))
        self.assertNotEqual(after.sst_index(0, 0, 0), after.sst_index(0, 1, 0))
        self.assertEqual([text for text, _, _ in after.entries].count(RICH_TEXT), 2)
        self.assertEqual(len(after.entries), len(Book(self.sources['xlwt_rich']).entries))

    def test_continued_runs_and_extsst_point_right(self):
        for name, results in self.results.items():
            for mode, after in results.items():
                with self.subTest(source=name, mode=mode):
                    if name.startswith('xlwt'):
                        self.assertTrue(after.facts['crossed'])
                    bucket = struct.unpack_from('<H', after.extsst)[0]
                    starts = after.facts['starts']
                    for k in range(0, (len(starts) + bucket - 1) // bucket):
                        position, in_record = struct.unpack_from('<IH', after.extsst, 2 + 8 * k)
                        self.assertEqual((position, in_record), starts[k * bucket], k)

    def test_copied_rows_and_blocks_keep_the_entry(self):
        for name in ('xlwt_rich', 'xlwt_phonetic'):
            with self.subTest(source=name):
                path = os.path.join(self.folder, name + '-copies.xls')
                shutil.copyfile(self.sources[name], path)
                h = call('XM_Open', path.encode(), None)
                call('XM_RowCopy', h, 0, 0, 30)
                call('XM_BlockCopy', h, 0, 0, 2, 1, 2, 5, 40)
                call('XM_OpenClose', h, 1)
                after = Book(path)
                cells, runs = after.string_cells(), after.runs()
                for source, copy in (((0, 0), (30, 0)), ((2, 0), (40, 5)), ((3, 0), (41, 5))):
                    self.assertEqual(after.sst_index(0, *copy), after.sst_index(0, *source))
                    self.assertEqual(cells[copy], cells[source])
                    self.assertEqual(runs.get(copy), runs.get(source))
                    self.assertTrue(runs.get(copy) or cells[copy][2])


if __name__ == '__main__':
    unittest.main()
