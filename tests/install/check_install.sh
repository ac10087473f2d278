#!/usr/bin/env bash
# Installs the build into a temporary prefix and uses it as a library user would: a C
# program built with pkg-config flags, and a CMake project that finds the package.
# usage: check_install.sh BUILD_DIR C_COMPILER
set -euo pipefail
build="$1"
cc="$2"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"

cmake --install "$build" --prefix "$prefix" >/dev/null

# The library with its SOVERSION links, the public headers, nothing of the source tree.
libdir="$(dirname "$(find "$prefix" -name 'libtabrix.so' -print -quit)")"
test -L "$libdir/libtabrix.so" && test -L "$libdir/libtabrix.so.0"
test -f "$prefix/include/tabrix.h" && test -f "$prefix/include/tabrix/types.h"
if grep -rl "$(cd "$here/../.." && pwd)" "$libdir/cmake" "$libdir/pkgconfig"; then
  echo "the installed package names the source tree"
  exit 1
fi

# Consumers get include/ and nothing else.
grep -q 'INTERFACE_INCLUDE_DIRECTORIES "${_IMPORT_PREFIX}/include"$' \
  "$libdir/cmake/tabrix/tabrixTargets.cmake"

# pkg-config.
export PKG_CONFIG_PATH="$libdir/pkgconfig"
# One version: the installed header's, pkg-config's, the library file's and the command's.
version="$(sed -n 's/^#define TABRIX_VERSION_STRING "\(.*\)"$/\1/p' "$prefix/include/tabrix/version.h")"
test -n "$version" && test "$(pkg-config --modversion tabrix)" = "$version"
test -f "$libdir/libtabrix.so.$version"
test "$("$prefix/bin/tabrix" --version)" = "tabrix $version"
test -f "$prefix/share/man/man1/tabrix.1"
# shellcheck disable=SC2046
"$cc" -o "$work/by_pkg_config" "$here/make_workbook.c" $(pkg-config --cflags --libs tabrix)
LD_LIBRARY_PATH="$libdir" "$work/by_pkg_config" "$work/a.xls"
# An OLE2 compound file starts with its signature.
test "$(head -c 8 "$work/a.xls" | od -An -tx1 | tr -d ' \n')" = d0cf11e0a1b11ae1

# find_package(tabrix), configured and built against the prefix.
cmake -S "$here/consumer" -B "$work/consumer" -DCMAKE_C_COMPILER="$cc" \
  -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/consumer" >/dev/null
"$work/consumer/make_workbook" "$work/b.xls"
test -s "$work/b.xls"

# The tabrix command finds the library beside it, without LD_LIBRARY_PATH.
"$prefix/bin/tabrix" info "$work/b.xls" | grep -qx 'format: Excel 97 (BIFF8)'

# The Python package, from the folder the build chose, finds the library beside it without
# TABRIX_LIBRARY or LD_LIBRARY_PATH.
python_dir="$(sed -n 's/^TABRIX_PYTHON_DIR:[A-Z]*=//p' "$build/CMakeCache.txt")"
case "$python_dir" in /*) ;; *) python_dir="$prefix/$python_dir" ;; esac
test -f "$python_dir/tabrix/_installed.py"
env -u TABRIX_LIBRARY -u LD_LIBRARY_PATH PYTHONPATH="$python_dir" /usr/bin/python3 - \
  "$work/c.xls" "$prefix" <<'EOF'
import sys
import tabrix
assert tabrix.__file__.startswith(sys.argv[2]), tabrix.__file__
c = tabrix.Control()
c.CreateBook(sys.argv[1])
c.Pos(0, 0).Str = "番号"
c.CloseBook()
EOF
/usr/bin/python3 -c 'import sys, xlrd
assert xlrd.open_workbook(sys.argv[1]).sheet_by_index(0).cell_value(0, 0) == "番号"' "$work/c.xls"

# labelora, when built, finds its shipped files beside the installed program.
if [ -e "$prefix/bin/labelora" ]; then
  folder="$("$prefix/bin/labelora" --show-data-folder)"
  for file in start.txt DB1.txt DB3.txt; do test -f "$folder/$file"; done
  case "$folder" in "$prefix"/*) ;; *) echo "labelora uses $folder"; exit 1 ;; esac
fi
echo "installed tree works from $prefix"
