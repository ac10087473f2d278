"""Makes the template of the row operations benchmark: an empty sheet Data, which the benchmark
fills and edits, a sheet Other whose 3000 formulas refer to Data (relative cells, absolute
areas, names), and defined names of the book and of Data on Data. openpyxl writes it as .xlsx;
LibreOffice saves it as Excel 97, so that the names are its NAME records.

    row_ops_template.py FOLDER     (writes FOLDER/row_ops_template.xls)
"""
import os
import subprocess
import sys

import openpyxl
from openpyxl.workbook.defined_name import DefinedName

folder = sys.argv[1]
book = openpyxl.Workbook()
data = book.active
data.title = 'Data'
data['A1'] = 0  # a sheet with no cell is left out of the .xls
other = book.create_sheet('Other')
for r in range(1, 1001):
    row = r * 60
    other.cell(r, 1, '=Data!A%d+1' % row)
    other.cell(r, 2, '=SUM(Data!$B$1:$B$%d)' % row)
    other.cell(r, 3, '=Total+Data!$C%d' % row)
book.defined_names.append(DefinedName('Total', attr_text='Data!$A$65535'))
book.defined_names.append(DefinedName('Amounts', attr_text='Data!$B$1:$B$65535'))
book.defined_names.append(DefinedName('First', attr_text='Data!$A$2', localSheetId=0))
source = os.path.join(folder, 'row_ops_template.xlsx')
book.save(source)
subprocess.run(['soffice', '--headless', '--norestore',
                '-env:UserInstallation=file://' + os.path.join(folder, 'profile'),
                '--convert-to', 'xls:MS Excel 97', '--outdir', folder, source],
               check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
