"""LibreOffice as an independent reader: converts workbooks headless, with a profile of its own
inside the caller's folder so that runs in parallel do not share one."""
import os
import subprocess


def convert(paths, folder, target='xlsx', timeout=600):
    """Converts each path into folder/out; returns {path: converted path}."""
    out = os.path.join(folder, 'out')
    subprocess.run(['soffice', '--headless',
                    '-env:UserInstallation=file://' + os.path.join(folder, 'profile'),
                    '--convert-to', target, '--outdir', out] + list(paths),
                   check=True, capture_output=True, timeout=timeout)
    extension = target.split(':')[0]
    return {path: os.path.join(out, os.path.splitext(os.path.basename(path))[0] + '.' + extension)
            for path in paths}
