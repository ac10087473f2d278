"""LibreOffice Calc driven through UNO: a headless soffice with a profile of its own inside the
caller's folder, listening on a pipe named after the process, so that a test can open a
workbook, edit it with Calc's own operations, recalculate and save it as .xlsx or .xls."""
import contextlib
import os
import subprocess
import time

import uno
from com.sun.star.beans import PropertyValue


def _props(**values):
    out = []
    for name, value in values.items():
        prop = PropertyValue()
        prop.Name, prop.Value = name, value
        out.append(prop)
    return tuple(out)


class CalcSession:
    def __init__(self, folder):
        pipe = 'tabrix_calc_%d' % os.getpid()
        self._process = subprocess.Popen(
            ['soffice', '--headless', '--invisible', '--nologo', '--norestore',
             '-env:UserInstallation=file://' + os.path.join(folder, 'uno-profile'),
             '--accept=pipe,name=%s;urp;StarOffice.ComponentContext' % pipe],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext(
            'com.sun.star.bridge.UnoUrlResolver', local)
        context = None
        for _ in range(240):
            try:
                context = resolver.resolve(
                    'uno:pipe,name=%s;urp;StarOffice.ComponentContext' % pipe)
                break
            except Exception:  # not listening yet
                time.sleep(0.5)
        if context is None:
            self._process.kill()
            raise RuntimeError('soffice did not start')
        self._desktop = context.ServiceManager.createInstanceWithContext(
            'com.sun.star.frame.Desktop', context)

    def convert(self, source, target, edit=None):
        """Opens source, lets edit(document) change it, recalculates every formula and saves
        target as .xlsx."""
        document = self._desktop.loadComponentFromURL(
            uno.systemPathToFileUrl(source), '_blank', 0, _props(Hidden=True))
        try:
            if edit is not None:
                edit(document)
            document.calculateAll()
            document.storeToURL(uno.systemPathToFileUrl(target),
                                _props(FilterName='Calc MS Excel 2007 XML'))
        finally:
            document.close(True)

    @contextlib.contextmanager
    def document(self, path=None):
        """The workbook at path (a new one without a path), open while the block runs."""
        url = uno.systemPathToFileUrl(path) if path else 'private:factory/scalc'
        document = self._desktop.loadComponentFromURL(url, '_blank', 0, _props(Hidden=True))
        try:
            yield document
        finally:
            document.close(True)

    def save_as_xls(self, source, target):
        document = self._desktop.loadComponentFromURL(
            uno.systemPathToFileUrl(source), '_blank', 0, _props(Hidden=True))
        try:
            document.storeToURL(uno.systemPathToFileUrl(target),
                                _props(FilterName='MS Excel 97'))
        finally:
            document.close(True)

    def new_xls(self, target, fill):
        """Makes a new workbook, lets fill(document) write it and saves it as Excel 97."""
        with self.document() as document:
            fill(document)
            self.store_xls(document, target)

    @staticmethod
    def store_xls(document, target):
        document.storeToURL(uno.systemPathToFileUrl(target), _props(FilterName='MS Excel 97'))

    def close(self):
        try:
            self._desktop.terminate()
        except Exception:  # the bridge goes down with the office
            pass
        try:
            self._process.wait(timeout=60)
        except subprocess.TimeoutExpired:
            self._process.kill()
            self._process.wait()


# Calc's own edits of sheet 0 (or the sheet given), for tests that hold the engine's edits to
# them.
CONTENTS = 1 | 2 | 4 | 16  # values, dates, texts, formulas: what a clear of the engine removes


def cell_address(sheet, column, row):
    address = uno.createUnoStruct('com.sun.star.table.CellAddress')
    address.Sheet, address.Column, address.Row = sheet, column, row
    return address


def range_address(sheet, column, row, end_column, end_row):
    area = uno.createUnoStruct('com.sun.star.table.CellRangeAddress')
    area.Sheet, area.StartColumn, area.StartRow = sheet, column, row
    area.EndColumn, area.EndRow = end_column, end_row
    return area


def copy_range(document, x, y, width, height, tx, ty, sheet=0, target_sheet=0):
    document.Sheets.getByIndex(sheet).copyRange(
        cell_address(target_sheet, tx, ty),
        range_address(sheet, x, y, x + width - 1, y + height - 1))


def clear(document, x, y, width, height):
    document.Sheets.getByIndex(0).getCellRangeByPosition(
        x, y, x + width - 1, y + height - 1).clearContents(CONTENTS)


def rows(document):
    return document.Sheets.getByIndex(0).Rows


def columns(document):
    return document.Sheets.getByIndex(0).Columns


def checked(library):
    """A caller of the library's functions that fails on a negative result."""
    def call(name, *args):
        rc = getattr(library, name)(*args)
        if rc < 0:
            raise AssertionError('%s%r returned %d' % (name, args, rc))
        return rc
    return call


def edit_both(calc, library, folder, template, cases, state_of, finish=None):
    """Applies each case's edit to the template with the engine (case['engine'](handle), then
    finish(handle) when given) and with Calc (case['calc'](document)); returns, by case name,
    (ours, Calc's) as state_of reads them from LibreOffice's recalculated .xlsx of each, and
    the unedited template's state."""
    call = checked(library)
    results = {}
    for name, case in cases.items():
        ours_xls = os.path.join(folder, name + '.xls')
        h = call('XM_CreateT', ours_xls.encode(), template.encode())
        case['engine'](h)
        if finish:
            finish(h)
        call('XM_Close', h)
        ours = os.path.join(folder, name + '-ours.xlsx')
        reference = os.path.join(folder, name + '-calc.xlsx')
        calc.convert(ours_xls, ours)
        calc.convert(template, reference, case['calc'])
        results[name] = (state_of(ours), state_of(reference))
    unedited = os.path.join(folder, 'unedited.xlsx')
    calc.convert(template, unedited)
    return results, state_of(unedited)
