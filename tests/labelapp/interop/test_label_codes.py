"""labelora --batch --code: each page, rendered at 600 dpi by pdftoppm, is read by zbarimg (QR,
Code 128) or dmtxread (Data Matrix); every label's code must give exactly the text the run's
workbook record (read by xlrd) holds for it, and nothing else on the page may decode. Refused
codes print nothing. --list-file must fill a text list as typing the same entries does."""

import os
import shutil
import subprocess
import tempfile
import unittest
import zlib
import re

import xlrd

LABELORA = os.environ["LABELORA"]
DATA = os.environ["LABELORA_DATA_DIR"]
ARTIFACTS = os.environ["LABELORA_ARTIFACTS"]
COUNT = 8


class Run:
    def __init__(self, folder, name, args):
        self.data = os.path.join(folder, name)
        os.makedirs(self.data)
        for f in ("start.txt", "DB1.txt", "DB3.txt"):
            shutil.copy(os.path.join(DATA, f), self.data)
        self.pdf = os.path.join(folder, name + ".pdf")
        self.xls = os.path.join(folder, name + ".xls")
        self.result = subprocess.run(
            [LABELORA, "--batch", "--data-dir", self.data, "--pdf", self.pdf, "--xls", self.xls]
            + args, capture_output=True, text=True, timeout=120)

    def start_file(self):
        return open(os.path.join(self.data, "start.txt"), "rb").read()

    def record(self):
        """Rows of the workbook record: the label's texts, as its code should hold them."""
        sheet = xlrd.open_workbook(self.xls).sheet_by_index(0)
        two = sheet.cell_value(0, 1) == "下段"
        return [" ".join(t for t in [sheet.cell_value(r, 0), sheet.cell_value(r, 1) if two else ""]
                         if t) for r in range(1, sheet.nrows)]

    def pages(self, folder):
        prefix = os.path.join(folder, os.path.basename(self.pdf)[:-4])
        subprocess.run(["pdftoppm", "-r", "600", "-gray", "-png", self.pdf, prefix], check=True)
        return sorted(os.path.join(folder, f) for f in os.listdir(folder)
                      if f.startswith(os.path.basename(prefix) + "-") and f.endswith(".png"))


def decoded(pages):
    """Every symbol the two readers find on the pages."""
    found = []
    for page in pages:
        out = subprocess.run(["zbarimg", "-q", "--raw", page], capture_output=True).stdout
        found += [line.decode("utf-8") for line in out.splitlines()]
        # Read at half size, for speed: a module of 0.25 mm still spans three pixels.
        out = subprocess.run(["dmtxread", "-n", "-S", "2", page], capture_output=True).stdout
        for line in out.splitlines():
            # dmtxread hands an ECI designator on as a byte of its number: 26 is UTF-8.
            found.append((line[1:] if line.startswith(b"\x1a") else line).decode("utf-8"))
    return found


def libreoffice_workbook(csv, folder):
    """An Excel 97 workbook that LibreOffice makes from a UTF-8 CSV file (filter options:
    comma, double quote, UTF-8), with a profile of its own in the folder."""
    subprocess.run(["soffice", "--headless", "-env:UserInstallation=file://" +
                    os.path.join(folder, "profile"), "--infilter=CSV:44,34,76",
                    "--convert-to", "xls", "--outdir", folder, csv],
                   check=True, capture_output=True, timeout=600)
    return csv[:-4] + ".xls"


def page_streams(pdf):
    streams = []
    for stream in re.findall(rb"stream\r?\n(.*?)endstream", open(pdf, "rb").read(), re.S):
        try:
            streams.append(zlib.decompress(stream))
        except zlib.error:
            streams.append(stream)
    return streams


def typed(entry, limit=5):
    """An entry as the text list keeps it when typed: at most `limit` Shift-JIS bytes."""
    out = ""
    for ch in entry:
        if len((out + ch).encode("cp932")) > limit:
            break
        out += ch
    return out


class CodesTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="labelora-codes-")

    def tearDown(self):
        shutil.rmtree(self.folder)

    def test_every_label_code_reads_back_as_its_record(self):
        runs = [  # sheet, layout, inputs, code
            (1, 1, ["--text", "ABC"], "qr"),
            (1, 2, ["--text", "検体"], "datamatrix"),
            (2, 3, ["--text", "AB"], "datamatrix"),
            (2, 4, ["--text", "検体", "--second", "serum"], "qr"),
            (3, 4, ["--text", "AB", "--second", "x1"], "code128"),
            (3, 1, ["--text", "検体"], "qr"),
            (4, 4, ["--text", "ABC", "--second", "hello"], "code128"),
            (4, 5, ["--word1", "血清", "--text", "凍結"], "datamatrix"),
        ]
        for sheet, layout, inputs, code in runs:
            with self.subTest(sheet=sheet, layout=layout, code=code):
                name = "s%d-l%d-%s" % (sheet, layout, code)
                run = Run(self.folder, name, ["--sheet", str(sheet), "--layout", str(layout),
                                              "--count", str(COUNT), "--start-position", "3",
                                              "--code", code] + inputs)
                self.assertEqual(run.result.returncode, 0, run.result.stderr)
                expected = run.record()
                self.assertEqual(len(expected), COUNT)
                pages = run.pages(self.folder)
                self.assertEqual(sorted(decoded(pages)), sorted(expected))
                os.makedirs(ARTIFACTS, exist_ok=True)
                shutil.copy(pages[0], os.path.join(ARTIFACTS, "codes-%s.png" % name))

    def test_code_none_draws_what_a_run_without_codes_draws(self):
        args = ["--sheet", "4", "--layout", "4", "--text", "ABC", "--second", "hi", "--count", "6"]
        plain = Run(self.folder, "plain", args)
        none = Run(self.folder, "none", args + ["--code", "none"])
        self.assertEqual(none.result.returncode, 0, none.result.stderr)
        self.assertEqual(page_streams(plain.pdf), page_streams(none.pdf))
        self.assertEqual(decoded(none.pages(self.folder)), [])

    def test_refused_codes_print_nothing(self):
        cases = [  # inputs, what the one-line message names
            (["--sheet", "1", "--layout", "1", "--text", "ABC"], "no room"),
            (["--sheet", "4", "--layout", "4", "--text", "検体"], "cannot hold"),
        ]
        for inputs, reason in cases:
            with self.subTest(reason=reason):
                run = Run(self.folder, reason.replace(" ", "-"), inputs + ["--code", "code128"])
                before = open(os.path.join(DATA, "start.txt"), "rb").read()
                self.assertEqual(run.result.returncode, 1)
                lines = [l for l in run.result.stderr.splitlines() if l.startswith("labelora:")]
                self.assertEqual(len(lines), 1, run.result.stderr)
                self.assertIn(reason, lines[0])
                self.assertFalse(os.path.exists(run.pdf))
                self.assertFalse(os.path.exists(run.xls))
                self.assertEqual(run.start_file(), before)

    def test_list_file_fills_the_text_list_as_typing_does(self):
        csv_path = os.path.join(self.folder, "samples.csv")
        with open(csv_path, "w", encoding="utf-8") as f:
            f.write('name,kind\n"serum,1",x\n\n検体尿素,y\nurine-long\n')
        sjis_path = os.path.join(self.folder, "samples.txt")
        with open(sjis_path, "wb") as f:
            f.write("血清\r\n尿\r\n\r\n検体\t2\r\n".encode("cp932"))
        made_csv = os.path.join(self.folder, "made.csv")
        with open(made_csv, "w", encoding="utf-8") as f:
            f.write("id,name\n1,serum\n2,\n3,検体尿素\n")
        made = libreoffice_workbook(made_csv, self.folder)
        cases = [  # what --list-file is given, the entries typing them gives
            (csv_path, ["name", "serum,1", "検体尿素", "urine-long"]),
            (sjis_path, ["血清", "尿", "検体"]),
            (made + ":made!B", ["name", "serum", "検体尿素"]),
            (made, ["id", "1", "2", "3"]),
        ]
        layout = ["--sheet", "4", "--layout", "13", "--text", "ID"]
        for i, (spec, entries) in enumerate(cases):
            with self.subTest(spec=os.path.basename(spec)):
                imported = Run(self.folder, "file%d" % i, layout + ["--list-file", spec])
                self.assertEqual(imported.result.returncode, 0, imported.result.stderr)
                self.assertIn("list file: %d taken" % len(entries), imported.result.stdout)
                by_hand = Run(self.folder, "typed%d" % i,
                              layout + sum((["--list", e] for e in entries), []))
                self.assertEqual(imported.record(), by_hand.record())
                text = [subprocess.run(["pdftotext", r.pdf, "-"], capture_output=True,
                                       check=True).stdout for r in (imported, by_hand)]
                self.assertEqual(text[0], text[1])
                sheet = xlrd.open_workbook(imported.xls).sheet_by_index(0)
                self.assertEqual(sheet.col_values(0, 1), ["ID " + typed(e) for e in entries])


if __name__ == "__main__":
    unittest.main(verbosity=2)
