"""The shared library's boundary: exactly the C names the public header declares leave
libtabrix.so, and the header is plain C that a C program can build and link against."""
import os
import re
import subprocess
import tempfile
import unittest

LIB = os.environ["TABRIX_LIB"]
SOURCE = os.environ["TABRIX_SOURCE"]
HEADER = os.path.join(SOURCE, "include", "tabrix.h")
PARTS = os.path.join(SOURCE, "include", "tabrix")
# Where the build puts the headers it makes (tabrix/version.h).
GENERATED = os.environ["TABRIX_GENERATED_INCLUDE"]


def exported_names():
    out = subprocess.run(["nm", "-D", "--defined-only", LIB], check=True,
                         capture_output=True, text=True).stdout
    return {line.split()[-1] for line in out.splitlines() if line.strip()}


def declared_names():
    # tabrix.h is an umbrella: the declarations are in its parts.
    text = ""
    for path in [HEADER] + sorted(os.path.join(PARTS, name) for name in os.listdir(PARTS)):
        with open(path, encoding="utf-8") as f:
            text += f.read()
    return set(re.findall(r"^TABRIX_API\s[^;(]*?\b([A-Za-z_][A-Za-z0-9_]*)\s*\(", text, re.M))


class Exports(unittest.TestCase):
    def test_exactly_the_declared_functions_are_exported(self):
        declared = declared_names()
        self.assertGreater(len(declared), 100)
        exported = exported_names()
        self.assertEqual(sorted(exported - declared), [], "exported but not in the header")
        self.assertEqual(sorted(declared - exported), [], "declared but not exported")

    def test_a_c_program_builds_links_and_runs_against_the_header(self):
        program = r"""
            #include "tabrix.h"
            #include <stdio.h>
            int main(int argc, char **argv) {
                (void)argc;
                int32_t h = XM_Create97(argv[1], 2);
                if (h < 0) return 1;
                if (XM_WriteStr(h, 1, 0, 0, "c") != 0) return 2;
                if (XM_WriteInt(h, 0, 256, 0, 1) != -errPosition) return 3;
                if (XM_Close(h) != 0) return 4;
                if (XM_Close(h) != -errNotOpen) return 5;
                return XM_Create97("", 1) == -errFileName ? 0 : 6;
            }
        """
        with tempfile.TemporaryDirectory() as folder:
            source = os.path.join(folder, "boundary.c")
            binary = os.path.join(folder, "boundary")
            with open(source, "w") as f:
                f.write(program)
            subprocess.run(["cc", "-std=c11", "-Wall", "-Wextra", "-Werror", "-pedantic",
                            "-I", os.path.join(SOURCE, "include"), "-I", GENERATED, source, LIB,
                            "-o", binary],
                           check=True)
            book = os.path.join(folder, "out.xls")
            run = subprocess.run([binary, book],
                                 env=dict(os.environ, LD_LIBRARY_PATH=os.path.dirname(LIB)))
            self.assertEqual(run.returncode, 0)
            self.assertTrue(os.path.getsize(book) > 0)


if __name__ == "__main__":
    unittest.main()
