"""The standard workload through the package's Pythonic face: written cell by cell with
``sheet.cell(row=, column=).value = ...``, then read back with
``iter_rows(values_only=True)``. Prints the seconds of the write and of the read.

    TABRIX_LIBRARY=build/libtabrix.so PYTHONPATH=python python3 bench/python_face_bench.py OUT.xls
"""
import sys
import time

import tabrix

ROWS, COLUMNS = 65536, 16


def write(path):
    start = time.monotonic()
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
    return time.monotonic() - start


def read(path):
    start = time.monotonic()
    total = 0
    with tabrix.read(path) as book:
        for row in book.sheets[0].iter_rows(values_only=True):
            for value in row:
                total += value[0] == 'i' if isinstance(value, str) else value
    print('sum %.1f' % total, file=sys.stderr)
    return time.monotonic() - start


if __name__ == '__main__':
    print('%.3f %.3f' % (write(sys.argv[1]), read(sys.argv[1])))
