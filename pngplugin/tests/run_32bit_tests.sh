#!/usr/bin/env bash
# Runs the 32-bit build's plug-in tests (ifpng_tests.exe with ifpng.spi) in Wine's WoW64 mode, as
# one test of the 64-bit suite. Builds them first in build/win32, which costs nothing when
# scripts/test has built that preset already.
#
#   run_32bit_tests.sh SOURCE_DIR WINE64
set -euo pipefail
top=$1
wine=$2
cd "$top"
if [ ! -f build/win32/build.ninja ]; then
  cmake --preset win32 >/dev/null
fi
cmake --build --preset win32 -j2 --target ifpng_tests >/dev/null
exec "$wine" build/win32/pngplugin/tests/ifpng_tests.exe
