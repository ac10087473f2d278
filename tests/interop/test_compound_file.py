"""Our compound files against independent readers and writers.

Files we write (through tests/interop/tools/cfb_tool) must be listed and read back byte for
byte by olefile (in its strictest mode) and by gsf, and LibreOffice must read a workbook
whose container we wrote. Files written by LibreOffice, xlwt and a small writer in this file
(fragmented chains, 4096-byte sectors) must read the same through cfb_tool as through
olefile. Our update mode on such a file must leave every other stream as it was.

TABRIX_TOOLS names the folder holding cfb_tool (CTest sets it).
"""

import json
import os
import random
import shutil
import struct
import subprocess
import tempfile
import unittest

import olefile

TOOLS = os.environ.get("TABRIX_TOOLS", os.path.join(os.path.dirname(__file__), "../../build/tests/interop"))
CFB_TOOL = os.path.join(TOOLS, "cfb_tool")
SOFFICE = shutil.which("soffice") or shutil.which("libreoffice")
GSF = shutil.which("gsf")

try:
    import xlwt
except ImportError:  # pragma: no cover
    xlwt = None

EXCEL_CLSID = "00020820-0000-0000-C000-000000000046"


def tool(*args, check=True):
    result = subprocess.run([CFB_TOOL, *args], capture_output=True, timeout=600)
    if check and result.returncode != 0:
        raise AssertionError("cfb_tool %s failed: %s" % (" ".join(args[:3]), result.stderr.decode()))
    return result


def pattern(size, seed=0):
    return tool("pattern", str(size), str(seed)).stdout


def our_listing(path):
    """{path tuple: (is_storage, size, clsid)} as cfb_tool lists it."""
    entries = json.loads(tool("list", path).stdout)
    return {tuple(e["path"]): (e["storage"], e["size"], e["clsid"].strip("{}")) for e in entries}


def our_stream(path, names):
    return tool("cat", path, "/".join(names)).stdout


def ole_open(path):
    # DEFECT_UNSURE: olefile raises on anything it finds even slightly odd.
    return olefile.OleFileIO(path, raise_defects=olefile.DEFECT_UNSURE)


def ole_listing(path, strict=True):
    """{path tuple: (is_storage, size, clsid)} and {path tuple: bytes} as olefile reads them."""
    ole = ole_open(path) if strict else olefile.OleFileIO(path)
    try:
        listing = {(): (True, 0, ole.root.clsid or "00000000-0000-0000-0000-000000000000")}
        contents = {}
        for names in ole.listdir(streams=True, storages=True):
            key = tuple(names)
            if ole.get_type(names) == olefile.STGTY_STORAGE:
                listing[key] = (True, 0, ole.getclsid(names) or "00000000-0000-0000-0000-000000000000")
            else:
                data = ole.openstream(names).read()
                listing[key] = (False, ole.get_size(names), "00000000-0000-0000-0000-000000000000")
                contents[key] = data
        return listing, contents
    finally:
        ole.close()


def gsf_listing(path):
    """{name path: size} of the streams gsf lists ('f' lines)."""
    out = subprocess.run([GSF, "list", path], capture_output=True, check=True, timeout=600).stdout
    result = {}
    for line in out.decode("utf-8", "replace").splitlines()[1:]:
        kind, size, name = line.split(None, 2)
        result[name] = (kind, int(size))
    return result


def gsf_cat(path, names):
    return subprocess.run([GSF, "cat", path, "/".join(names)], capture_output=True, check=True,
                          timeout=600).stdout


class Temp(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="tabrix-cfb-interop-")
        self.addCleanup(shutil.rmtree, self.dir, True)

    def path(self, name):
        return os.path.join(self.dir, name)


# ---- files we write ---------------------------------------------------------------------

SPEC_STREAMS = {
    ("Empty",): (0, 1),
    ("One",): (1, 2),
    ("Workbook",): (20000, 3),
    ("Below",): (4095, 4),
    ("At",): (4096, 5),
    ("Above",): (4097, 6),
    ("\x05SummaryInformation",): (432, 7),
    ("\x01CompObj",): (107, 8),
    ("Sub", "Inner"): (300, 9),
    ("Sub", "Large"): (70000, 10),
    ("Sub", "Deeper", "Leaf"): (64, 11),
    ("Sub", "Deeper", "Leaf2"): (65, 12),
    ("Ünïcödé",): (10, 13),
    ("データ",): (5000, 14),
}


def write_spec_file(path, streams, extra=()):
    args = ["write", path]
    for names, (size, seed) in streams.items():
        args.append("stream:%s=pattern:%d:%d" % ("/".join(names), size, seed))
    args += list(extra)
    tool(*args)


class OurFilesTest(Temp):
    def setUp(self):
        super().setUp()
        self.file = self.path("ours.cfb")
        write_spec_file(self.file, SPEC_STREAMS, [
            "storage:Sub/EmptyStorage",
            "clsid:/={%s}" % EXCEL_CLSID,
            "clsid:Sub={01234567-89AB-CDEF-0123-456789ABCDEF}",
        ])

    def test_olefile_reads_every_stream(self):
        listing, contents = ole_listing(self.file)
        self.assertEqual(set(contents), set(SPEC_STREAMS))
        for names, (size, seed) in SPEC_STREAMS.items():
            self.assertEqual(contents[names], pattern(size, seed), names)
            self.assertEqual(listing[names][1], size)
        self.assertTrue(listing[("Sub",)][0])
        self.assertTrue(listing[("Sub", "Deeper")][0])
        self.assertTrue(listing[("Sub", "EmptyStorage")][0])
        self.assertEqual(listing[()][2], EXCEL_CLSID)
        self.assertEqual(listing[("Sub",)][2], "01234567-89AB-CDEF-0123-456789ABCDEF")
        # The raw class id bytes are in the mixed-endian order of the format.
        with open(self.file, "rb") as f:
            data = f.read()
        self.assertIn(bytes.fromhex("2008020000000000C000000000000046"), data)

    def test_our_listing_matches_olefile(self):
        listing, _ = ole_listing(self.file)
        self.assertEqual(our_listing(self.file), listing)

    def test_gsf_reads_every_stream(self):
        listed = gsf_listing(self.file)
        for names, (size, seed) in SPEC_STREAMS.items():
            self.assertEqual(gsf_cat(self.file, names), pattern(size, seed), names)
            key = "/".join(names)
            if key.isascii() and key.isprintable():
                self.assertEqual(listed[key], ("f", size), key)
        self.assertEqual(listed["Sub"][0], "d")

    def test_same_tree_same_bytes(self):
        again = self.path("again.cfb")
        reversed_streams = dict(reversed(list(SPEC_STREAMS.items())))
        write_spec_file(again, reversed_streams, [
            "clsid:Sub={01234567-89AB-CDEF-0123-456789ABCDEF}",
            "storage:Sub/EmptyStorage",
            "clsid:/={%s}" % EXCEL_CLSID,
        ])
        with open(self.file, "rb") as a, open(again, "rb") as b:
            self.assertEqual(a.read(), b.read())


class ManyStreamsTest(Temp):
    def test_hundreds_of_streams_in_nested_storages(self):
        streams = {}
        for i in range(300):
            streams[("S%03d" % i,)] = (i * 53 % 6000, i)
        for s in range(4):
            for i in range(40):
                streams[("Dir%d" % s, "Inner", "x%d" % i)] = (i * 97 % 5000, 1000 + s * 100 + i)
        path = self.path("many.cfb")
        write_spec_file(path, streams)
        _, contents = ole_listing(path)
        self.assertEqual(set(contents), set(streams))
        for names, (size, seed) in streams.items():
            self.assertEqual(contents[names], pattern(size, seed), names)
        listed = gsf_listing(path)
        for names, (size, _) in streams.items():
            self.assertEqual(listed["/".join(names)], ("f", size))


class DifatTest(Temp):
    def test_file_needing_difat(self):
        path = self.path("difat.cfb")
        streams = {("Workbook",): (8 * 1024 * 1024 + 12345, 1), ("Small",): (100, 2),
                   ("Store", "Second"): (300000, 3)}
        write_spec_file(path, streams)
        self.assertGreater(os.path.getsize(path), 7 * 1024 * 1024)
        ole = ole_open(path)
        try:
            self.assertGreater(ole.num_fat_sectors, 109)
            self.assertGreaterEqual(ole.num_difat_sectors, 1)
        finally:
            ole.close()
        _, contents = ole_listing(path)
        for names, (size, seed) in streams.items():
            expected = pattern(size, seed)
            self.assertEqual(contents[names], expected, names)
            self.assertEqual(gsf_cat(path, names), expected, names)
            self.assertEqual(our_stream(path, names), expected, names)


# ---- files others write ------------------------------------------------------------------

def soffice_convert(source, fmt, outdir, profile):
    subprocess.run([SOFFICE, "-env:UserInstallation=file://" + profile, "--headless", "--norestore",
                    "--convert-to", fmt, "--outdir", outdir, source],
                   capture_output=True, check=True, timeout=600)
    base = os.path.splitext(os.path.basename(source))[0]
    ext = fmt.split(":")[0]
    out = os.path.join(outdir, base + "." + ext)
    if not os.path.exists(out):
        raise AssertionError("soffice made no %s" % out)
    return out


def compare_with_olefile(test, path):
    """Our reading of path equals olefile's, element by element and byte by byte."""
    listing, contents = ole_listing(path, strict=False)
    ours = our_listing(path)
    test.assertEqual(ours, listing)
    for names, data in contents.items():
        test.assertEqual(our_stream(path, names), data, names)
    return listing, contents


@unittest.skipUnless(SOFFICE, "LibreOffice is not installed")
class LibreOfficeTest(unittest.TestCase):
    """Workbooks LibreOffice makes from CSV: a small one, and one of about 10 MB whose
    container needs DIFAT sectors (made once for the class; a private profile folder keeps
    parallel runs apart)."""

    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.mkdtemp(prefix="tabrix-cfb-lo-")
        cls.profile = os.path.join(cls.dir, "profile")
        cls.csv = {}
        cls.xls = {}
        for name, rows in (("small", 400), ("big", 60000)):
            csv = os.path.join(cls.dir, name + ".csv")
            with open(csv, "w") as f:
                for row in range(rows):
                    f.write(",".join("r%dc%d" % (row, col) if col % 2 else str(row * 8 + col)
                                     for col in range(8)) + "\n")
            cls.csv[name] = csv
            cls.xls[name] = soffice_convert(csv, "xls:MS Excel 97", cls.dir, cls.profile)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir, True)

    def path(self, name):
        return os.path.join(self.dir, name)

    def test_reader_matches_olefile(self):
        for name, xls in self.xls.items():
            with self.subTest(name):
                _, contents = compare_with_olefile(self, xls)
                self.assertIn(("Workbook",), contents)
                self.assertGreater(len(contents[("Workbook",)]), 4096)
        ole = olefile.OleFileIO(self.xls["big"])
        try:
            self.assertGreater(ole.num_fat_sectors, 109)
        finally:
            ole.close()

    def test_update_replaces_one_stream(self):
        before_listing, before = ole_listing(self.xls["small"], strict=False)
        updated = self.path("updated.xls")
        shutil.copy(self.xls["small"], updated)
        tool("update", updated, "delete:Workbook", "stream:Workbook=pattern:30000:77")
        after_listing, after = ole_listing(updated)
        self.assertEqual(after[("Workbook",)], pattern(30000, 77))
        self.assertEqual(set(after), set(before))
        for names, data in before.items():
            if names != ("Workbook",):
                self.assertEqual(after[names], data, names)
        for names, (is_storage, _, clsid) in before_listing.items():
            self.assertEqual(after_listing[names][0], is_storage, names)
            self.assertEqual(after_listing[names][2], clsid, names)

    def test_libreoffice_reads_a_container_we_wrote(self):
        for name, xls in self.xls.items():
            with self.subTest(name):
                # Every stream of LibreOffice's workbook, in a file written by us.
                listing, contents = ole_listing(xls, strict=False)
                ours = self.path("ours-%s.xls" % name)
                args = ["write", ours, "clsid:/={%s}" % listing[()][2]]
                for i, (names, data) in enumerate(sorted(contents.items())):
                    local = self.path("%s-stream%d.bin" % (name, i))
                    with open(local, "wb") as f:
                        f.write(data)
                    args.append("stream:%s=file:%s" % ("/".join(names), local))
                tool(*args)
                if name == "big":
                    ole = ole_open(ours)
                    self.assertGreater(ole.num_difat_sectors, 0)
                    ole.close()
                outdir = self.path("csv-" + name)
                os.mkdir(outdir)
                got = soffice_convert(ours, "csv", outdir, self.profile)
                want = soffice_convert(xls, "csv", outdir, self.profile)
                with open(got) as g, open(want) as w:
                    got_lines, want_lines = g.read().splitlines(), w.read().splitlines()
                self.assertEqual(len(got_lines), len(open(self.csv[name]).read().splitlines()))
                self.assertEqual(got_lines, want_lines)


@unittest.skipUnless(xlwt, "python3-xlwt is not installed")
class XlwtTest(Temp):
    def make(self, rows):
        book = xlwt.Workbook()
        sheet = book.add_sheet("Data")
        for row in range(rows):
            for col in range(10):
                sheet.write(row, col, row * col if col % 3 else "cell %d-%d" % (row, col))
        path = self.path("xlwt-%d.xls" % rows)
        book.save(path)
        return path

    def test_reader_matches_olefile(self):
        for rows in (3, 200, 5000):
            with self.subTest(rows=rows):
                compare_with_olefile(self, self.make(rows))

    def test_update_replaces_one_stream(self):
        path = self.make(300)
        _, before = ole_listing(path, strict=False)
        tool("update", path, "delete:Workbook", "stream:Workbook=pattern:100:5",
             "stream:Added=text:hello")
        _, after = ole_listing(path)
        self.assertEqual(after[("Workbook",)], pattern(100, 5))
        self.assertEqual(after[("Added",)], b"hello")
        for names, data in before.items():
            if names != ("Workbook",):
                self.assertEqual(after[names], data, names)


# ---- a small independent writer: fragmented chains, 512 or 4096-byte sectors -------------

ENDOFCHAIN, FREESECT, FATSECT, NOSTREAM = 0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFD, 0xFFFFFFFF


def name_key(name):
    return (len(name), name.upper())


def craft(shift, streams, seed):
    """A compound file holding streams ({name: bytes}, all in the root) with every sector
    placed at random, and the siblings as a right-leaning chain."""
    rnd = random.Random(seed)
    ss = 1 << shift
    per = ss // 4
    names = sorted(streams, key=name_key)
    # Mini stream.
    mini_fat, mini = [], bytearray()
    mini_start = {}
    small = [n for n in names if 0 < len(streams[n]) < 4096]
    counts = {n: -(-len(streams[n]) // 64) for n in small}
    slots = list(range(sum(counts.values())))
    rnd.shuffle(slots)
    mini_fat = [FREESECT] * (-(-len(slots) // per) * per)
    mini = bytearray(64 * len(slots))
    at = 0
    for n in small:
        chain = slots[at:at + counts[n]]
        at += counts[n]
        mini_start[n] = chain[0]
        for k, m in enumerate(chain):
            mini_fat[m] = chain[k + 1] if k + 1 < len(chain) else ENDOFCHAIN
            piece = streams[n][64 * k:64 * k + 64]
            mini[64 * m:64 * m + len(piece)] = piece
    # Regular sectors.
    entries = 1 + len(names)
    parts = [("dir", -(-entries * 128 // ss)), ("minifat", len(mini_fat) // per),
             ("mini", -(-len(mini) // ss))]
    parts += [(n, -(-len(streams[n]) // ss)) for n in names if len(streams[n]) >= 4096]
    data_sectors = sum(c for _, c in parts)
    fat_count = 1
    while fat_count * per < data_sectors + fat_count:
        fat_count += 1
    total = data_sectors + fat_count
    ids = list(range(total))
    rnd.shuffle(ids)
    fat = [FREESECT] * (fat_count * per)
    fat_ids, ids = ids[:fat_count], ids[fat_count:]
    for f in fat_ids:
        fat[f] = FATSECT
    chains = {}
    for part, count in parts:
        chain, ids = ids[:count], ids[count:]
        for k, s in enumerate(chain):
            fat[s] = chain[k + 1] if k + 1 < len(chain) else ENDOFCHAIN
        chains[part] = chain
    image = bytearray(ss * (total + 1))

    def put(chain, data):
        for k, s in enumerate(chain):
            piece = data[ss * k:ss * k + ss]
            image[ss * (s + 1):ss * (s + 1) + len(piece)] = piece

    def entry(name, kind, right, child, start, size):
        raw = name.encode("utf-16-le")
        return (raw + bytes(64 - len(raw)) + struct.pack("<HBB", len(raw) + 2, kind, 1)
                + struct.pack("<III", NOSTREAM, right, child) + bytes(16 + 4 + 16)
                + struct.pack("<IQ", start, size))

    directory = bytearray()
    directory += entry("Root Entry", 5, NOSTREAM, 1 if names else NOSTREAM,
                       chains["mini"][0] if chains["mini"] else ENDOFCHAIN, len(mini))
    for i, n in enumerate(names):
        size = len(streams[n])
        start = (chains[n][0] if size >= 4096 else mini_start[n] if size else ENDOFCHAIN)
        directory += entry(n, 2, i + 2 if i + 1 < len(names) else NOSTREAM, NOSTREAM, start, size)
    while len(directory) % ss:
        directory += bytes(68) + struct.pack("<III", NOSTREAM, NOSTREAM, NOSTREAM) + bytes(48)
    put(chains["dir"], directory)
    put(chains["minifat"], struct.pack("<%dI" % len(mini_fat), *mini_fat))
    put(chains["mini"], mini)
    for n in names:
        if len(streams[n]) >= 4096:
            put(chains[n], streams[n])
    fat_bytes = struct.pack("<%dI" % len(fat), *fat)
    put(fat_ids, fat_bytes)
    difat = fat_ids + [FREESECT] * (109 - len(fat_ids))
    header = (bytes.fromhex("D0CF11E0A1B11AE1") + bytes(16)
              + struct.pack("<HHHHH", 0x3E, 4 if shift == 12 else 3, 0xFFFE, shift, 6) + bytes(6)
              + struct.pack("<IIIIIIIII", chains["dir"].__len__() if shift == 12 else 0, fat_count,
                            chains["dir"][0], 0, 4096,
                            chains["minifat"][0] if chains["minifat"] else ENDOFCHAIN,
                            len(chains["minifat"]), ENDOFCHAIN, 0)
              + struct.pack("<109I", *difat))
    image[:len(header)] = header
    return bytes(image)


class CraftedFilesTest(Temp):
    STREAMS = {"A": b"", "B": b"x", "C": bytes(range(256)) * 3, "D": bytes(4095),
               "Workbook": bytes((i * 7) & 255 for i in range(4096)),
               "Longer name": bytes((i * 13) & 255 for i in range(30000)),
               "\x05SummaryInformation": b"summary" * 50}

    def check(self, shift, seed):
        path = self.path("crafted-%d-%d.cfb" % (shift, seed))
        with open(path, "wb") as f:
            f.write(craft(shift, self.STREAMS, seed))
        # The crafted file is what we meant, says olefile...
        _, contents = ole_listing(path)
        self.assertEqual(contents, {(n,): d for n, d in self.STREAMS.items()})
        # ... and we read it the same way.
        compare_with_olefile(self, path)
        return path

    def test_version3_fragmented(self):
        for seed in range(3):
            self.check(9, seed)

    def test_version4(self):
        for seed in range(3):
            path = self.check(12, seed)
        # Updating it gives a version 3 file with everything else unchanged.
        tool("update", path, "stream:New=text:new")
        _, contents = ole_listing(path)
        expected = {(n,): d for n, d in self.STREAMS.items()}
        expected[("New",)] = b"new"
        self.assertEqual(contents, expected)
        with open(path, "rb") as f:
            self.assertEqual(struct.unpack("<H", f.read(0x1C)[0x1A:0x1C])[0], 3)

    def test_damaged_file_is_refused_cleanly(self):
        path = self.path("damaged.cfb")
        image = bytearray(craft(9, self.STREAMS, 1))
        image[0x30:0x34] = struct.pack("<I", 0x00FFFFFF)  # directory past the end
        with open(path, "wb") as f:
            f.write(image)
        result = tool("list", path, check=False)
        self.assertEqual(result.returncode, 1)
        self.assertIn(b"malformed", result.stderr)
        result = tool("list", self.path("missing.cfb"), check=False)
        self.assertIn(b"not_found", result.stderr)


if __name__ == "__main__":
    unittest.main()
