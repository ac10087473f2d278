"""The examples in python/examples, run as a user runs them."""
import os
import subprocess
import sys

import openpyxl
import xlwt

import libreoffice

EXAMPLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'python',
                        'examples')
ENV = dict(os.environ, PYTHONPATH=os.pathsep.join(sys.path))


def run(name, *args):
    return subprocess.run([sys.executable, os.path.join(EXAMPLES, name)] + list(args),
                          check=True, env=ENV, capture_output=True, text=True).stdout


def test_invoice_and_read_rows(tmp_path):
    template = str(tmp_path / 'template.xls')
    book = xlwt.Workbook(encoding='utf-8')
    sheet = book.add_sheet('請求書')
    sheet.write(0, 0, '請求書', xlwt.easyxf('font: bold on, height 320'))
    sheet.write(2, 0, '**CUSTOMER')
    sheet.write(2, 3, '**DATE')
    for column, title in enumerate(('品名', '数量', '単価', '金額')):
        sheet.write(4, column, title)
    sheet.write(5, 0, '**ITEM')
    sheet.write(9, 2, '合計')
    sheet.write(9, 3, xlwt.Formula('SUM(D6:D9)'))
    book.save(template)
    output = str(tmp_path / 'invoice.xls')
    run('invoice.py', template, output)

    converted = libreoffice.convert([output], str(tmp_path))[output]
    values = openpyxl.load_workbook(converted, data_only=True).worksheets[0]
    assert [values['A3'].value, values['D3'].value] == ['山田商店 御中', '2026年12月1日']
    assert values['A3'].font.b and values['A3'].font.sz == 14
    assert [[cell.value for cell in row] for row in values['A6:D9']] == [
        ['ノート', 3, 120, 360], ['鉛筆', 12, 40, 480], ['消しゴム', 2, 80, 160], [None] * 4]
    assert values['D10'].value == 1000
    assert values['D7'].number_format == '#,##0' and values['A6'].number_format == 'General'
    assert values['A7'].fill.fgColor.rgb == 'FF00FFFF' and values['A6'].border.bottom.style

    printed = run('read_rows.py', output).splitlines()
    assert printed[5] == "['ノート', 3, 120, 360]"
    assert printed[9] == "[None, None, '合計', '']"  # xlwt stores an empty text result
