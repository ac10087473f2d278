"""The README's C examples, as a reader copies them: each block is built from its UTF-8 text
into a program of its own, run, and what it wrote is read back by xlrd."""
import ctypes
import os
import re
import subprocess
import tempfile
import unittest

import xlrd

LIB = os.environ["TABRIX_LIB"]
SOURCE = os.environ["TABRIX_SOURCE"]
GENERATED = os.environ["TABRIX_GENERATED_INCLUDE"]


def c_blocks():
    with open(os.path.join(SOURCE, "README.md"), encoding="utf-8") as f:
        return re.findall(r"^```c\n(.*?)^```", f.read(), re.M | re.S)


def write_template(path):
    """A template with the keyword cells the template example fills."""
    lib = ctypes.CDLL(LIB)
    h = lib.XM_Create97(path.encode(), 1)
    assert h >= 0
    assert lib.XM_WriteStr(h, 0, 0, 0, b"**CUSTOMER") == 0
    assert lib.XM_WriteStr(h, 0, 0, 1, b"**TOTAL") == 0
    assert lib.XM_Close(h) == 0


class ReadmeExamples(unittest.TestCase):
    def test_every_c_example_builds_runs_and_writes_its_texts(self):
        blocks = c_blocks()
        self.assertGreaterEqual(len(blocks), 3)
        with tempfile.TemporaryDirectory() as folder:
            write_template(os.path.join(folder, "invoice-template.xls"))
            for number, block in enumerate(blocks):
                source = os.path.join(folder, "example%d.c" % number)
                binary = os.path.join(folder, "example%d" % number)
                with open(source, "w", encoding="utf-8") as f:
                    f.write('#include "tabrix.h"\nint main(void) {\n%s\nreturn 0;\n}\n' % block)
                subprocess.run(["cc", "-std=c11", "-Wall", "-Werror", "-pedantic",
                                "-I", os.path.join(SOURCE, "include"), "-I", GENERATED, source,
                                LIB, "-o", binary], check=True)
                subprocess.run([binary], cwd=folder, check=True, timeout=60,
                               env=dict(os.environ, LD_LIBRARY_PATH=os.path.dirname(LIB)))

            def first_sheet(name):
                return xlrd.open_workbook(os.path.join(folder, name)).sheet_by_index(0)

            self.assertEqual(first_sheet("out.xls").cell_value(0, 0), "番号 n°")
            invoice = first_sheet("invoice.xls")
            self.assertEqual((invoice.cell_value(0, 0), invoice.cell_value(1, 0)),
                             ("山田商店", 1234.5))
            report = first_sheet("report.xls")
            self.assertEqual((report.cell_value(0, 0), report.cell_value(0, 1)), ("合計", 42))


if __name__ == "__main__":
    unittest.main()
