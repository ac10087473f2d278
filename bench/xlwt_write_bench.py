"""The standard write workload written by xlwt, for comparison. Prints the seconds taken."""
import sys
import time

import xlwt

ROWS, COLUMNS = 65536, 16


def main(path):
    start = time.monotonic()
    book = xlwt.Workbook()
    sheet = book.add_sheet('Sheet1')
    for r in range(ROWS):
        row = sheet.row(r)
        for c in range(COLUMNS):
            if c < 8:
                row.set_cell_number(c, r * COLUMNS + c)
            elif c < 12:
                row.set_cell_number(c, r * 0.5 + c)
            else:
                row.set_cell_text(c, 'item-%d' % ((r * COLUMNS + c) % 1000))
        if r % 1000 == 999:
            sheet.flush_row_data()
    book.save(path)
    print('%.3f' % (time.monotonic() - start))


if __name__ == '__main__':
    main(sys.argv[1])
