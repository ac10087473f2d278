"""Fills an invoice template and styles what it adds, through the automation control (see
invoice.py for the same with the Pythonic face). The template marks its cells with
keywords: **CUSTOMER, **DATE and **ITEM (the first cell of the first item row); its own total
formula is recalculated when the workbook is opened.

    python3 invoice_control.py TEMPLATE OUTPUT
"""
import sys

import tabrix

CUSTOMER = "山田商店 御中"
DATE = "2026年12月1日"
ITEMS = [("ノート", 3, 120), ("鉛筆", 12, 40), ("消しゴム", 2, 80)]

template, output = sys.argv[1:3]
c = tabrix.Control()
c.OpenBook(output, template)
c.Cell("**CUSTOMER").Str = CUSTOMER
c.FontPoint = 14
c.FontStyle = tabrix.xsBold
c.Cell("**DATE").Str = DATE
for row, (name, count, price) in enumerate(ITEMS):
    c.Cell("**ITEM", 0, row).Str = name
    for column, number in ((1, count), (2, price), (3, count * price)):
        c.Cell("**ITEM", column, row).Long = number
        c.Format = "#,##0"
    for column in range(4):
        c.Cell("**ITEM", column, row).LineBottom = tabrix.lsNormal
        if row % 2:
            c.BackColor = tabrix.xcCyan
            c.Pattern = tabrix.pn01
c.CloseBook()
