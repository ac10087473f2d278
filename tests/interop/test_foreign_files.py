"""The foreign workbooks the reading checks use hold what they claim: the right stream and
BIFF version, the values, the keyword cells with their formats, and the records that make
them worth reading (shared formulas, drawings, notes, the Excel 95 code page)."""
import shutil
import struct
import tempfile
import unittest

import olefile
import xlrd

import foreign_files

BOF, EOF, FILEPASS, CODEPAGE = 0x0809, 0x000A, 0x002F, 0x0042
SHRFMLA, MSODRAWING, OBJ, NOTE, MERGEDCELLS = 0x04BC, 0x00EC, 0x005D, 0x001C, 0x00E5


def globals_records(records):
    end = next(i for i, (_, number, _) in enumerate(records) if number == EOF)
    return records[:end + 1]


class ForeignFiles(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='tabrix-foreign-')
        cls.paths = foreign_files.make(cls.folder)
        cls.records = {name: foreign_files.workbook_records(path)
                       for name, path in cls.paths.items()}

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder)

    def test_every_maker_whose_program_is_installed_made_its_file(self):
        expected = {'xlwt_biff8'}
        if shutil.which('soffice'):
            expected.add('libreoffice_biff8')
        if shutil.which('ssconvert'):
            expected |= {'ssconvert_biff5', 'ssconvert_biff8'}
        self.assertEqual(set(self.paths), expected)

    def test_stream_and_version(self):
        for name, path in self.paths.items():
            biff8 = name.endswith('biff8')
            with olefile.OleFileIO(path) as ole:
                self.assertTrue(ole.exists('Workbook' if biff8 else 'Book'), name)
            _, number, data = self.records[name][0]
            self.assertEqual((number, struct.unpack_from('<H', data)[0]),
                             (BOF, 0x0600 if biff8 else 0x0500), name)
            self.assertNotIn(FILEPASS, [n for _, n, _ in globals_records(self.records[name])])

    def test_values_as_xlrd_reads_them(self):
        for name, path in self.paths.items():
            cells = foreign_files.xlrd_cells(path)
            values, fill = cells['Values'], cells['Fill']
            self.assertEqual([values[(1, c)] for c in range(5)],
                             [('number', v) for v in foreign_files.INTEGERS], name)
            self.assertEqual([values[(2, c)] for c in range(5)],
                             [('number', v) for v in foreign_files.FLOATS], name)
            self.assertEqual([values[(3, c)][1] for c in range(1, 4)],
                             list(foreign_files.JAPANESE), name)
            self.assertEqual([values[(4, 0)], values[(4, 1)]], [('bool', True), ('bool', False)])
            self.assertEqual(values[(5, 2)], ('error', '#REF!'), name)
            self.assertEqual(values[(6, 0)], ('number', 45351.0), name)
            self.assertEqual(values[(9, 0)], ('text', 'merged'), name)
            self.assertEqual([fill[(row, 0)] for row in foreign_files.FILL_ROWS],
                             [('number', row) for row in foreign_files.FILL_ROWS], name)
            if name == 'xlwt_biff8':
                continue  # xlwt stores formulas with an empty text result
            self.assertEqual([values[(5, 0)], values[(5, 1)], values[(7, 0)], values[(7, 1)]],
                             [('error', '#DIV/0!'), ('error', '#N/A'), ('number', 65530.0),
                              ('text', 'abcd')], name)
            self.assertEqual([fill[(row, 1)][1] for row in foreign_files.FILL_ROWS],
                             [2 * row + 1 for row in foreign_files.FILL_ROWS], name)
            self.assertEqual(fill[(41, 1)], ('number', 1599.0), name)

    def test_keyword_cells_and_their_formats(self):
        for name, path in self.paths.items():
            book = xlrd.open_workbook(path, formatting_info=True)
            for key in foreign_files.KEYWORDS[name]:
                sheet = book.sheet_by_index(key.sheet)
                self.assertEqual(sheet.cell_value(key.row, key.col), key.text, (name, key))
                xf = book.xf_list[sheet.cell_xf_index(key.row, key.col)]
                self.assertEqual(book.font_list[xf.font_index].weight >= 700, key.bold, (name, key))
                self.assertEqual(book.format_map[xf.format_key].format_str.replace('\\', ''),
                                 key.number_format.replace('\\', ''), (name, key))
                colour = book.colour_map.get(xf.background.pattern_colour_index)
                fill = '%02X%02X%02X' % colour if key.fill and colour else None
                self.assertEqual(fill, key.fill, (name, key))

    def test_records_worth_reading(self):
        counts = {name: {number for _, number, _ in records}
                  for name, records in self.records.items()}
        if 'libreoffice_biff8' in counts:
            self.assertLessEqual({SHRFMLA, MSODRAWING, OBJ, NOTE, MERGEDCELLS},
                                 counts['libreoffice_biff8'])
        self.assertIn(MERGEDCELLS, counts['xlwt_biff8'])
        if 'ssconvert_biff5' in counts:
            self.assertIn(NOTE, counts['ssconvert_biff5'])
            self.assertLessEqual({MSODRAWING, OBJ, NOTE}, counts['ssconvert_biff8'])
            pages = [struct.unpack('<H', data)[0]
                     for _, number, data in globals_records(self.records['ssconvert_biff5'])
                     if number == CODEPAGE]
            self.assertEqual(pages, [932])


if __name__ == '__main__':
    unittest.main()
