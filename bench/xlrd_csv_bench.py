"""The standard workload file dumped to CSV on standard output by xlrd and the csv module, for
comparison with `tabrix cat` (bench/run_cat_bench.sh times the whole command)."""
import csv
import sys

import xlrd


def main(path):
    sheet = xlrd.open_workbook(path).sheet_by_index(0)
    writer = csv.writer(sys.stdout)
    for r in range(sheet.nrows):
        writer.writerow(sheet.row_values(r))


if __name__ == '__main__':
    main(sys.argv[1])
