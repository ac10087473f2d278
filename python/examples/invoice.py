"""Fills an invoice template and styles what it adds. The template marks its cells with
keywords: **CUSTOMER, **DATE and **ITEM (the first cell of the first item row); its own total
formula is recalculated when the workbook is opened. A failure anywhere leaves no half-filled
invoice behind.

    python3 invoice.py TEMPLATE OUTPUT
"""
import sys

import tabrix

CUSTOMER = "山田商店 御中"
DATE = "2026年12月1日"
ITEMS = [("ノート", 3, 120), ("鉛筆", 12, 40), ("消しゴム", 2, 80)]

template, output = sys.argv[1:3]
with tabrix.from_template(template, output) as book:
    book.fill({
        "**CUSTOMER": CUSTOMER,
        "**DATE": DATE,
        "**ITEM": [(name, count, price, count * price) for name, count, price in ITEMS],
    })
    sheet = book.sheets[0]
    sheet.format("**CUSTOMER", font=tabrix.Font(size=14, bold=True))
    sheet.format("**ITEM", columns=3, column_offset=1, rows=len(ITEMS), number_format="#,##0")
    for row in range(len(ITEMS)):
        sheet.format("**ITEM", row_offset=row, columns=4, border=tabrix.Border("thin"),
                     fill="cyan" if row % 2 else None)
