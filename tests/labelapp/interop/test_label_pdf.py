"""labelora --batch prints runs to PDF; an independent reader (pdftotext -bbox) must find
every label's texts inside that label's rectangle, where the layout puts them, on the right
sheet. The report is checked the same way. Pages are rendered to PNG as artifacts."""

import datetime
import os
import shutil
import subprocess
import tempfile
import re
import unittest
import xml.etree.ElementTree as ET
import zlib

LABELORA = os.environ["LABELORA"]
DATA = os.environ["LABELORA_DATA_DIR"]
ARTIFACTS = os.environ["LABELORA_ARTIFACTS"]

POINTS_PER_UNIT = 72 / 250  # layout units are 250 to the inch
# across, x0, y0, pitchX, pitchY, width, height of the four sheets
GRID = {
    1: (10, 145, 156, 167, 168, 130, 130),
    2: (6, 120, 345, 286, 217, 260, 140),
    3: (5, 115, 85, 345, 138, 320, 120),
    4: (4, 90, 70, 445, 148, 420, 140),
}
CAPACITY = {1: 150, 2: 60, 3: 95, 4: 72}
SLACK = 1.5  # points: device rounding at 600 dpi and the reader's word boxes
# The reader's word boxes span the font's ascent and descent (IPAGothic: 0.880 and 0.120
# em); labelora places texts by the cell of the Japanese system fonts, one em high with the
# baseline 0.86 em below its top.
FONT_ASCENT, FONT_DESCENT, CELL_ASCENT = 0.880, 0.120, 0.86


def cell_top(box):
    size = (box[3] - box[1]) / (FONT_ASCENT + FONT_DESCENT)
    return box[1] + (FONT_ASCENT - CELL_ASCENT) * size


def cell_bottom(box):
    return cell_top(box) + (box[3] - box[1]) / (FONT_ASCENT + FONT_DESCENT)


def label_rect(sheet, pos, right=10, down=10):
    across, x0, y0, px, py, w, h = GRID[sheet]
    col, row = (pos - 1) % across, (pos - 1) // across
    x = x0 + 5 * right + col * px
    y = y0 + 5 * down + row * py
    return x, y, w, h


def pt(units):
    return units * POINTS_PER_UNIT


def norm(text):
    """The reader turns each run of blanks (the ideographic space too) into one word gap;
    every other character must come back as it was drawn."""
    return " ".join(text.split())


def text_layer(pdf):
    """Every character the PDF's fonts name for their glyphs (their ToUnicode maps): what
    copying or searching the PDF can give. A reader-independent look at what pdftotext
    hides, such as a tab named for the blank glyph."""
    data = open(pdf, "rb").read()
    chars = set()
    for stream in re.findall(rb"stream\r?\n(.*?)endstream", data, re.S):
        try:
            stream = zlib.decompress(stream)
        except zlib.error:
            pass
        if b"begincmap" not in stream:
            continue
        section = None
        for line in stream.decode("latin-1").splitlines():
            words = line.split()
            if words and words[-1] in ("beginbfrange", "beginbfchar"):
                section = words[-1]
                continue
            if words and words[0] in ("endbfrange", "endbfchar"):
                section = None
            codes = re.findall(r"<([0-9A-Fa-f]+)>", line)
            if section == "beginbfchar" and len(codes) == 2:  # <glyph> <char>
                names = codes[1:]
            elif section == "beginbfrange" and "[" in line:  # <first> <last> [<char> ...]
                names = codes[2:]
            elif section == "beginbfrange" and len(codes) == 3:  # consecutive characters
                count = int(codes[1], 16) - int(codes[0], 16) + 1
                names = ["%04X" % (int(codes[2], 16) + i) for i in range(count)]
            else:
                continue
            for name in names:
                text = bytes.fromhex(name).decode("utf-16-be", "replace")
                chars.update(text.replace("\0", ""))
    return chars


def read_words(pdf):
    out = subprocess.run(["pdftotext", "-bbox", pdf, "-"], check=True, capture_output=True).stdout
    root = ET.fromstring(out)
    pages = []
    for page in root.iter("{http://www.w3.org/1999/xhtml}page"):
        words = []
        for w in page.iter("{http://www.w3.org/1999/xhtml}word"):
            box = [float(w.get(k)) for k in ("xMin", "yMin", "xMax", "yMax")]
            words.append((box, w.text or ""))
        pages.append(words)
    return pages


def lines_in(words, left, top, right, bottom):
    """Words whose centre lies in the box, joined into lines from top to bottom."""
    inside = [
        (box, text) for box, text in words
        if left <= (box[0] + box[2]) / 2 <= right and top <= (box[1] + box[3]) / 2 <= bottom
    ]
    rows = []
    for box, text in sorted(inside, key=lambda w: (round(w[0][1]), w[0][0])):
        if rows and abs(rows[-1][0][1] - box[1]) < 1.0:
            rows[-1][1].append((box, text))
        else:
            rows.append((box, [(box, text)]))
    result = []
    for _, parts in rows:
        parts.sort(key=lambda p: p[0][0])
        boxes = [p[0] for p in parts]
        joined = (min(b[0] for b in boxes), min(b[1] for b in boxes),
                  max(b[2] for b in boxes), max(b[3] for b in boxes))
        # Words that touch are one text split by the reader (it starts a new word where the
        # script changes in synthetic bold); a gap is a blank, as pdftotext prints them.
        text = parts[0][1]
        for (prev, _), (box, word) in zip(parts, parts[1:]):
            text += ("" if box[0] - prev[2] < 0.15 * (box[3] - box[1]) else " ") + word
        result.append((joined, norm(text)))
    return result, len(inside)


def page_spans(start, run, capacity):
    spans, left, first, page = [], run, start, 1
    while left > 0:
        last = min(capacity, first + left - 1)
        spans.append((page, first, last))
        left -= last - first + 1
        first, page = 1, page + 1
    return spans


def render(pdf, name, page=1):
    os.makedirs(ARTIFACTS, exist_ok=True)
    stem = os.path.join(ARTIFACTS, name)
    subprocess.run(["pdftoppm", "-png", "-r", "100", "-f", str(page), "-l", str(page),
                    "-singlefile", pdf, stem], check=True)
    return stem + ".png"


class LabelPdfTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="labelora-pdf-")
        for name in ("start.txt", "DB1.txt", "DB3.txt"):
            shutil.copy(os.path.join(DATA, name), self.tmp)

    def tearDown(self):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def batch(self, name, *options, report=False):
        pdf = os.path.join(self.tmp, name + ".pdf")
        args = [LABELORA, "--batch", "--data-dir", self.tmp, "--pdf", pdf, *options]
        if report:
            args += ["--report", os.path.join(self.tmp, name + "-report.pdf")]
        env = dict(os.environ)
        env.pop("QT_QPA_PLATFORM", None)  # the batch mode needs no display of its own
        env.pop("DISPLAY", None)
        done = subprocess.run(args, capture_output=True, text=True, env=env, timeout=120)
        self.assertEqual(done.returncode, 0, done.stderr)
        return pdf, done.stdout

    def start_line(self, sheet):
        with open(os.path.join(self.tmp, "start.txt"), "rb") as f:
            return f.read().split(b"\r\n")[sheet - 1].decode()

    def check_run(self, pdf, sheet, start, expected, place, right=10, down=10):
        """`expected[n]` are the lines of the n-th label of the run; `place(rect, i, line_box,
        line_count)` checks where line i of a label lies."""
        pages = read_words(pdf)
        spans = page_spans(start, len(expected), CAPACITY[sheet])
        self.assertEqual(len(pages), len(spans))
        n = 0
        for page, first, last in spans:
            words = pages[page - 1]
            found_words = 0
            for pos in range(first, last + 1):
                x, y, w, h = label_rect(sheet, pos, right, down)
                lines, count = lines_in(words, pt(x), pt(y), pt(x + w), pt(y + h))
                found_words += count
                with self.subTest(page=page, pos=pos):
                    self.assertEqual([t for _, t in lines], [norm(t) for t in expected[n]])
                    for i, (box, _) in enumerate(lines):
                        self.assertGreaterEqual(box[0], pt(x) - SLACK)
                        self.assertLessEqual(box[2], pt(x + w) + SLACK)
                        place((x, y, w, h), i, box, len(lines))
                n += 1
            # Nothing is printed outside the labels of the page.
            self.assertEqual(found_words, len(words), f"page {page}")
        self.assertEqual(n, len(expected))
        # Copied out of the PDF, every glyph gives a character that was drawn.
        drawn = set("".join(line for label in expected for line in label))
        self.assertEqual(text_layer(pdf) - drawn, set())

    def test_round_sheet_letter_carry_over_two_sheets(self):
        pdf, out = self.batch("round", "--sheet", "1", "--layout", "2", "--text", "血清",
                              "--letter", "Z", "--start", "995", "--count", "30",
                              "--start-position", "141", "--background", "Yellow")
        self.assertIn("next start position 21", out)
        self.assertIn("next start number 25, next letter A", out)
        self.assertEqual(self.start_line(1), "10,10,21")
        lowers = [("Z%03d" % v) if v < 1000 else ("A%03d" % (v - 1000)) for v in range(995, 1025)]
        expected = [("血清", lower) for lower in lowers]

        def place(rect, i, box, count):
            x, y, w, h = rect
            cx, cy = pt(x + w // 2), pt(y + h // 2 + 1)
            self.assertAlmostEqual((box[0] + box[2]) / 2, cx, delta=SLACK)
            if i == 0:  # 10 device pixels above the centre line
                self.assertAlmostEqual(cell_bottom(box), cy - 10 * 72 / 600, delta=SLACK)
            else:
                self.assertAlmostEqual(cell_top(box), cy, delta=SLACK)

        self.check_run(pdf, 1, 141, expected, place)
        render(pdf, "labelora-round-sheet-page2", page=2)

    def test_12x24_sheet_repeat_and_separator(self):
        pdf, _ = self.batch("rect", "--sheet", "2", "--layout", "4", "--text", "AB",
                            "--second", "冷凍庫", "--start", "998", "--count", "12",
                            "--repeat", "2", "--separator", "hyphen", "--start-position", "55")
        expected = [("AB-%03d" % ((998 + k) % 1000), "冷凍庫") for k in range(12) for _ in range(2)]

        def place(rect, i, box, count):
            x, y, w, h = rect
            self.assertEqual(count, 2)
            self.assertAlmostEqual(box[0], pt(x + 30), delta=SLACK)
            self.assertAlmostEqual(cell_top(box), pt(y + (30, 60)[i]), delta=SLACK)

        self.check_run(pdf, 2, 55, expected, place)
        self.assertEqual(self.start_line(2), "10,10,19")
        render(pdf, "labelora-12x24-sheet")

    def test_10x30_sheet_wrap_dates_offsets_and_report(self):
        pdf, _ = self.batch("tube", "--sheet", "3", "--layout", "1", "--text", "ABC",
                            "--start", "9998", "--count", "100", "--start-position", "90",
                            "--offset-right", "1.5", "--offset-down", "-1", "--day-offset", "3",
                            "--text-colour", "Blue", "--background", "SkyBlue", report=True)
        day = datetime.date.today() + datetime.timedelta(days=3)
        date = day.strftime("%y/%m/%d")
        expected = [("ABC %04d" % ((9998 + k) % 10000), date) for k in range(100)]

        def place(rect, i, box, count):
            x, y, w, h = rect
            self.assertAlmostEqual(box[0], pt(x + 30), delta=SLACK)
            self.assertAlmostEqual(cell_top(box), pt(y + (30, 60)[i]), delta=SLACK)

        self.check_run(pdf, 3, 90, expected, place, right=13, down=8)
        self.assertEqual(self.start_line(3), "13,8,95")
        render(pdf, "labelora-10x30-sheet")

        report = os.path.join(self.tmp, "tube-report.pdf")
        pages = read_words(report)
        self.assertEqual(len(pages), 3)  # 40, 40 and 20 entries
        for p, words in enumerate(pages):
            title, _ = lines_in(words, pt(1190), pt(190), pt(1540), pt(260))
            self.assertEqual([t for _, t in title], ["ラベルプリント記録"])
            name, _ = lines_in(words, pt(1540), pt(190), pt(2100), pt(260))
            self.assertEqual([t for _, t in name], [norm("10mmX30mm　９５面")])
            foot, _ = lines_in(words, pt(1190), pt(2590), pt(2100), pt(2660))
            self.assertEqual(len(foot), 1)
            self.assertRegex(foot[0][1], r"^printed in \d{4}/\d\d/\d\d \d\d:\d\d:\d\d$")
            for i in range(1, 41):
                entry = p * 40 + i - 1
                left = i <= 20
                top = 200 + 110 * i if left else 110 * i - 2000
                x = 200 if left else 1000
                lines, _ = lines_in(words, pt(x), pt(top), pt(x + 250), pt(top + 110))
                with self.subTest(page=p + 1, entry=i):
                    if entry >= 100:
                        self.assertEqual(lines, [])
                        continue
                    self.assertEqual([t for _, t in lines], [norm(s) for s in expected[entry]])
                    self.assertAlmostEqual(lines[0][0][0], pt(x + 10), delta=SLACK)
                    self.assertAlmostEqual(cell_top(lines[0][0]), pt(top + 30), delta=SLACK)
                    self.assertAlmostEqual(cell_top(lines[1][0]), pt(top + 65), delta=SLACK)
        render(report, "labelora-report")

    def test_12x40_sheet_framed_centred_step_10(self):
        pdf, out = self.batch("micro", "--sheet", "4", "--layout", "10", "--text", "検体",
                              "--start", "5", "--step", "10", "--count", "20",
                              "--start-position", "70", "--background", "Red")
        self.assertIn("next start number 205", out)
        expected = [("検体 %03d" % (5 + 10 * k),) for k in range(20)]

        def place(rect, i, box, count):
            x, y, w, h = rect
            self.assertAlmostEqual((box[0] + box[2]) / 2, pt(x + 210), delta=SLACK)
            self.assertAlmostEqual(cell_top(box), pt(y + 55), delta=SLACK)

        self.check_run(pdf, 4, 70, expected, place)
        self.assertEqual(self.start_line(4), "10,10,18")
        render(pdf, "labelora-12x40-sheet", page=2)

    def test_japanese_texts_copy_out_as_drawn(self):
        """Ideographs that some fonts draw with the glyph of a radical (長 面 血 一 金 魚 角 音),
        blanks and ideographic spaces come back from the PDFs as they were drawn."""
        for name, words in (("DB1.txt", ["長面", "血 金"]), ("DB3.txt", ["魚　角音"])):
            with open(os.path.join(self.tmp, name), "wb") as f:
                f.write("".join(w + "\r\n" for w in words).encode("cp932"))
        pdf, _ = self.batch("words", "--sheet", "2", "--layout", "7", "--word1", "血 金",
                            "--word2", "魚　角音", "--count", "3")
        self.check_run(pdf, 2, 1, [("血 金 %03d" % k, "魚　角音") for k in (1, 2, 3)],
                       lambda *_: None)

        pdf, _ = self.batch("list", "--sheet", "4", "--layout", "13", "--text", "長面",
                            "--list", "血清", "--list", "一 金", "--list", "音 角", report=True)
        date = datetime.date.today().strftime("%y/%m/%d")
        expected = [("長面 " + entry, date) for entry in ("血清", "一 金", "音 角")]
        self.check_run(pdf, 4, 1, expected, lambda *_: None)

        report = os.path.join(self.tmp, "list-report.pdf")
        texts = ["ラベルプリント記録", "12mmX40mm　７２面"] + [t for label in expected for t in label]
        out = subprocess.run(["pdftotext", "-layout", report, "-"], check=True,
                             capture_output=True, text=True).stdout
        lines = [norm(line) for line in out.splitlines()]
        for text in texts:
            self.assertTrue(any(norm(text) in line for line in lines), (text, lines))
        self.assertEqual(text_layer(report) - set("".join(texts) + "printed in0123456789/:"),
                         set())

    def test_refused_runs_print_nothing(self):
        pdf = os.path.join(self.tmp, "none.pdf")
        done = subprocess.run([LABELORA, "--batch", "--data-dir", self.tmp, "--pdf", pdf,
                               "--count", "201", "--repeat", "2"], capture_output=True, text=True)
        self.assertEqual(done.returncode, 1)
        self.assertEqual(done.stderr.count("４００面まで"), 1)
        self.assertFalse(os.path.exists(pdf))
        with open(os.path.join(self.tmp, "start.txt"), "rb") as f:
            self.assertEqual(f.read().split(b"\r\n")[0], b"10,10,1")
        done = subprocess.run([LABELORA, "--pdf", pdf, "--sheet", "7", "--batch"],
                              capture_output=True, text=True)
        self.assertEqual(done.returncode, 2)
        self.assertIn("--sheet", done.stderr)
        missing = os.path.join(self.tmp, "missing")
        done = subprocess.run([LABELORA, "--batch", "--data-dir", missing, "--pdf", pdf],
                              capture_output=True, text=True)
        self.assertEqual(done.returncode, 1)
        self.assertIn("--create-data-dir", done.stderr)
        self.assertFalse(os.path.exists(missing))


if __name__ == "__main__":
    unittest.main()
