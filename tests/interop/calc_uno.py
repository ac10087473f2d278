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
