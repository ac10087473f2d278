# Shared by scripts/run and scripts/test: package installation and the build.
# shellcheck shell=bash

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Everything a fresh Debian 12 machine lacks for building, testing and running.
PACKAGES=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev
  qt6-base-dev libgl-dev
  python3 python3-xlrd python3-olefile python3-xlwt python3-openpyxl python3-uno python3-pytest
  libgsf-bin libreoffice-calc-nogui gnumeric clang
  fonts-ipafont-gothic fonts-noto-cjk xvfb xauth poppler-utils time
  libzint-dev zbar-tools dmtx-utils
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
  local missing=()
  local pkg
  for pkg in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "installing: ${missing[*]}"
    as_root apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
      "${missing[@]}"
  fi
}

# build DIR [cmake options...]
build() {
  local dir="$1"
  shift
  # The scripts install Qt, so a missing Qt is an error here rather than a skipped labelora.
  cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTABRIX_REQUIRE_LABELORA=ON "$@"
  cmake --build "$dir" -j "$(nproc)"
}
