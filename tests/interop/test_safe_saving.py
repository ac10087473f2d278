"""Saving never destroys a file, seen from outside: a process killed at any moment of a large
close leaves under the name the old workbook or the whole new one, which xlrd reads; failed
runs of the tabrix tool leave an existing output byte for byte; a full disk (a small tmpfs in a
mount namespace of the test's own) fails the close and keeps the old file; a Python script that
dies before closing its book leaves the file as it was."""
import os
import re
import shutil
import stat
import subprocess
import tempfile
import time
import unittest

import xlrd
import xlwt

CLI = os.environ['TABRIX_CLI']
BIG_CLOSE = os.path.join(os.environ['TABRIX_TOOLS'], 'big_close')
PACKAGE = os.path.join(os.environ['TABRIX_SOURCE'], 'python')
OURS = re.compile(r'^\.book\.xls\.tabrix-(lock|new-\w{6})$')


def big_close(path, rows, mark):
    done = subprocess.run([BIG_CLOSE, path, str(rows), str(mark)], capture_output=True, text=True)
    if done.returncode:
        raise AssertionError('big_close: ' + done.stdout + done.stderr)


def tabrix(*args):
    return subprocess.run([CLI] + list(args), capture_output=True, timeout=600)


def read(path):
    with open(path, 'rb') as f:
        return f.read()


class KilledDuringClose(unittest.TestCase):
    ROWS = 60000

    def test_the_name_holds_the_old_or_the_whole_new_workbook(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, 'book.xls')
            # How long a close takes on this machine, to spread the kills over it.
            child = subprocess.Popen([BIG_CLOSE, path, str(self.ROWS), '2'],
                                     stdout=subprocess.PIPE)
            self.assertEqual(child.stdout.readline(), b'closing\n')
            start = time.monotonic()
            child.communicate()
            close = time.monotonic() - start
            big_close(path, 100, 1)
            seen = set()
            for step in range(16):
                child = subprocess.Popen([BIG_CLOSE, path, str(self.ROWS), '2'],
                                         stdout=subprocess.PIPE)
                self.assertEqual(child.stdout.readline(), b'closing\n')
                time.sleep(close * step / 8)
                child.kill()
                child.wait()
                child.stdout.close()
                sheet = xlrd.open_workbook(path).sheet_by_index(0)
                if sheet.cell_value(0, 0) == 1:
                    self.assertEqual(sheet.nrows, 100)
                    seen.add('old')
                else:
                    self.assertEqual(sheet.cell_value(0, 0), 2)
                    self.assertEqual(sheet.nrows, self.ROWS)
                    self.assertEqual(sheet.cell_value(self.ROWS - 1, 15), self.ROWS * 16 - 1)
                    seen.add('new')
                    big_close(path, 100, 1)
                for name in os.listdir(folder):
                    if name != 'book.xls':
                        self.assertRegex(name, OURS, 'left behind, and recognisable')
            self.assertIn('old', seen)
            # What the killed processes left does not stand in the way of the next save.
            big_close(path, 10, 3)
            self.assertEqual(xlrd.open_workbook(path).sheet_by_index(0).cell_value(0, 0), 3)


class FailedRuns(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix='tabrix-saving-')
        self.out = os.path.join(self.folder, 'book.xls')
        self.csv = self.write('good.csv', 'a,1\nb,2\n')
        self.assertEqual(tabrix('from-csv', self.csv, self.out).returncode, 0)
        self.old = read(self.out)

    def tearDown(self):
        shutil.rmtree(self.folder)

    def write(self, name, text):
        path = os.path.join(self.folder, name)
        with open(path, 'w') as f:
            f.write(text)
        return path

    def test_a_failed_run_leaves_the_output_byte_for_byte(self):
        template = os.path.join(self.folder, 'template.xls')
        book = xlwt.Workbook()
        book.add_sheet('S').write(0, 0, '**NAME')
        book.save(template)
        runs = [
            ('from-csv', self.write('open.csv', 'a,"unclosed\n'), self.out),
            ('from-csv', self.write('long.csv', 'x\n' * 65537), self.out),
            ('fill', template, self.out, '--strict', 'NOWHERE=1'),
            ('fill', self.csv, self.out, 'NAME=x'),
        ]
        for run in runs:
            done = tabrix(*run)
            self.assertNotEqual(done.returncode, 0, run)
            self.assertEqual(read(self.out), self.old, run)
            self.assertEqual(sorted(n for n in os.listdir(self.folder) if n.startswith('.')), [],
                             run)

    def test_outputs_that_are_not_files_are_refused(self):
        fifo = os.path.join(self.folder, 'fifo.xls')
        os.mkfifo(fifo)
        for target in ('/dev/null', fifo):
            done = tabrix('from-csv', self.csv, target)
            self.assertNotEqual(done.returncode, 0, target)
        self.assertTrue(stat.S_ISCHR(os.stat('/dev/null').st_mode))
        self.assertTrue(stat.S_ISFIFO(os.stat(fifo).st_mode))

    def test_an_unwritable_standard_output_is_a_failure(self):
        with open('/dev/full', 'w') as full:
            for args in (('info', self.out), ('cat', self.out), ('--help',)):
                done = subprocess.run([CLI] + list(args), stdout=full, stderr=subprocess.PIPE)
                self.assertNotEqual(done.returncode, 0, args)
                self.assertIn(b'standard output', done.stderr, args)


class FullDisk(unittest.TestCase):
    SCRIPT = '''
mount -t tmpfs -o size=1m tabrix-full "$1" || exit 77
cd "$1"
"$2" from-csv "$3" book.xls || exit 78
cp book.xls old.xls
"$2" from-csv "$4" book.xls && echo saved
cmp -s book.xls old.xls && echo kept
ls -A
'''

    def test_a_full_disk_fails_the_save_and_keeps_the_old_file(self):
        with tempfile.TemporaryDirectory() as folder:
            small = os.path.join(folder, 'small.csv')
            large = os.path.join(folder, 'large.csv')
            with open(small, 'w') as f:
                f.write('a,1\n')
            with open(large, 'w') as f:
                f.writelines('%d,row %d,%d.5\n' % (i, i, i) for i in range(40000))
            disk = os.path.join(folder, 'disk')
            os.mkdir(disk)
            done = subprocess.run(['unshare', '--mount', '--map-root-user', 'sh', '-c',
                                   self.SCRIPT, 'sh', disk, CLI, small, large],
                                  capture_output=True, text=True)
            if done.returncode in (1, 77) and 'saved' not in done.stdout:
                self.skipTest('no mount namespace here: ' + done.stderr.strip())
            self.assertEqual(done.stdout.split(), ['kept', 'book.xls', 'old.xls'], done.stderr)
            self.assertIn('book.xls', done.stderr)


class PythonScript(unittest.TestCase):
    def test_a_script_that_dies_before_closing_leaves_the_file(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, 'book.xls')
            big_close(path, 10, 1)
            old = read(path)
            script = ('import sys, tabrix\nc = tabrix.Control()\nc.CreateBook(sys.argv[1])\n'
                      'c.Pos(0, 0).Str = "new"\nraise RuntimeError("the script fails")\n')
            env = dict(os.environ, PYTHONPATH=PACKAGE, TABRIX_LIBRARY=os.environ['TABRIX_LIB'])
            done = subprocess.run(['/usr/bin/python3', '-c', script, path], env=env,
                                  capture_output=True, text=True)
            self.assertIn('the script fails', done.stderr)
            self.assertEqual(read(path), old)
            self.assertEqual(os.listdir(folder), ['book.xls'])


if __name__ == '__main__':
    unittest.main()
