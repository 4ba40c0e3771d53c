#!/usr/bin/env bash
# The Windows build: cross-compiles the Qt-free libraries, their tests and
# vorelux.exe with MinGW-w64, runs the tests under Wine, then sends through a
# Wine COM port pointed at a pseudo-terminal (tests/tools/vorelux/com_port_check.py).
# Needs the Debian packages g++-mingw-w64-x86-64-posix, binutils-mingw-w64-x86-64,
# wine, wine64, googletest, cmake, ninja-build and python3 (with fonttools, as
# the Linux build). Extra CMake arguments are passed on.
#   BUILD_DIR      the build folder (build-win)
#   WINEPREFIX     a Wine prefix to use; by default a new one, removed at the end
#   LINUX_VORELUX  the Linux tool, to compare what it sends (build/tools/vorelux)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD_DIR:-build-win}
export WINEDEBUG=-all
unset DISPLAY # no window from Wine

if [ -z "${WINEPREFIX:-}" ]; then
  WINEPREFIX=$(mktemp -d /tmp/vorelux-wine-XXXXXX)
  export WINEPREFIX
  trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "== Wine prefix $WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi

echo "== cross build ($BUILD)"
# Release without debug information (quicker to link), at -O2 as the Linux
# build: GCC 12 at -O3 reports a false -Warray-bounds in std::vector.
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DVORELUX_BUILD_GUI=OFF -DVORELUX_BUILD_BENCH=OFF \
  -DVORELUX_WERROR=ON "$@"
cmake --build "$BUILD" -j"$(nproc)"

echo "== tests under Wine"
(cd "$BUILD" && ctest --output-on-failure -j"$(nproc)")

echo "== sending through a Wine COM port"
python3 tests/tools/vorelux/com_port_check.py "$BUILD/tools/vorelux.exe" \
  "${LINUX_VORELUX:-build/tools/vorelux}"
