"""The standard workload through the package's Pythonic face. ``write`` writes it cell by
cell with ``sheet.cell(row=, column=).value = ...``; ``read`` reads every cell of a file with
``iter_rows(values_only=True)``, visiting each value; ``sum`` does the same and adds the
values up as xlrd_read_bench.py does with xlrd's. Prints the seconds taken.

    TABRIX_LIBRARY=build/libtabrix.so PYTHONPATH=python python3 bench/python_face_bench.py \\
        write|read|sum FILE.xls
"""
import sys
import time

import tabrix

ROWS, COLUMNS = 65536, 16


def write(path):
    with tabrix.create(path) as book:
        sheet = book.sheets[0]
        for r in range(ROWS):
            for c in range(COLUMNS):
                if c < 8:
                    value = r * COLUMNS + c
                elif c < 12:
                    value = r * 0.5 + c
                else:
                    value = 'item-%d' % ((r * COLUMNS + c) % 1000)
                sheet.cell(row=r + 1, column=c + 1).value = value


def read(path):
    with tabrix.read(path) as book:
        for row in book.sheets[0].iter_rows(values_only=True):
            for value in row:
                pass


def add_up(path):
    total = 0
    with tabrix.read(path) as book:
        for row in book.sheets[0].iter_rows(values_only=True):
            for value in row:
                total += value[0] == 'i' if isinstance(value, str) else value
    print('sum %.1f' % total, file=sys.stderr)


if __name__ == '__main__':
    start = time.monotonic()
    {'write': write, 'read': read, 'sum': add_up}[sys.argv[1]](sys.argv[2])
    print('%.3f' % (time.monotonic() - start))
