"""Runs scripts/check_includes on small trees: a tree that keeps the rules passes, and the
same tree with one forbidden include added fails, naming that file."""
import os
import subprocess
import sys
import tempfile

CHECKER = sys.argv[1]

GOOD = {
    'include/tabrix.h': '#include "tabrix/types.h"\n',
    'include/tabrix/types.h': '',
    'include/tabrix/engine.h': '',
    'platform/codepage.h': '#include <string>\n#include "tabrix/types.h"\n',
    'platform/codepage.cpp': '#include "platform/codepage.h"\n',
    'engine/biff/le_bytes.h': '#include "platform/codepage.h"\n#include "tabrix/types.h"\n',
    'engine/model/sheet.h': '#include "engine/biff/le_bytes.h"\n',
    'engine/styles/fonts.h': '#include "engine/model/sheet.h"\n',
    'engine/write/writer.cpp': '#include "engine/styles/fonts.h"\n#include "writer.h"\n',
    'engine/write/writer.h': '#include "../biff/le_bytes.h"\n',
    'engine/lifecycle/table.h': '#include "engine/write/writer.h"\n',
    'engine/exports/calls.cpp': '#include "tabrix.h"\n#include "engine/lifecycle/table.h"\n',
    'labelapp/core/export.cpp': '#include "tabrix.h"\n#include "core/export.h"\n#include <vector>\n',
    'labelapp/core/export.h': '#include "tabrix/engine.h"\n',
    'tools/tabrix.cpp': '#include <tabrix.h>\n',
}

# One forbidden include per case: (file, text).
BAD = {
    'program uses the engine': ('labelapp/core/bad.cpp', '#include "engine/model/sheet.h"\n'),
    'program reaches platform by a relative path':
        ('labelapp/ui/bad.cpp', '#include "../../platform/codepage.h"\n'),
    'tool uses the engine': ('tools/bad.cpp', '#include <engine/biff/le_bytes.h>\n'),
    'engine uses the Book API': ('engine/write/bad.cpp', '#include "bookapi/books.h"\n'),
    'platform uses the engine': ('platform/bad.cpp', '#include "engine/biff/le_bytes.h"\n'),
    'platform uses the umbrella header': ('platform/bad.h', '#include "tabrix.h"\n'),
    'lower floor uses a higher one': ('engine/cells/bad.cpp', '#include "engine/styles/fonts.h"\n'),
    'floor uses its sibling': ('engine/edit/bad.cpp', '#include "engine/write/writer.h"\n'),
    'floor below exports uses the umbrella header': ('engine/model/bad.h', '#include "tabrix.h"\n'),
    'floor below exports uses an interface header':
        ('engine/lifecycle/bad.cpp', '#include "tabrix/engine.h"\n'),
}


def run(files):
    with tempfile.TemporaryDirectory() as root:
        for name, text in files.items():
            path = os.path.join(root, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, 'w') as out:
                out.write(text)
        done = subprocess.run([sys.executable, CHECKER, root], capture_output=True, text=True)
        return done.returncode, done.stdout + done.stderr


failures = []
code, output = run(GOOD)
if code != 0:
    failures.append('the good tree was refused:\n' + output)
for case, (name, text) in BAD.items():
    code, output = run(dict(GOOD, **{name: text}))
    if code == 0 or name not in output:
        failures.append('%s: not caught (exit %d):\n%s' % (case, code, output))
for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
