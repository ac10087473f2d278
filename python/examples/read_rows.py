"""Reads any .xls (Excel 95 or 97) into a list of rows of Python values and prints them.

    python3 read_rows.py BOOK.xls [SHEET]
"""
import sys

import tabrix

with tabrix.read(sys.argv[1]) as book:
    sheet = book[sys.argv[2]] if len(sys.argv) > 2 else book.sheets[0]
    rows = [list(row) for row in sheet.iter_rows(values_only=True)]
for row in rows:
    print(row)
