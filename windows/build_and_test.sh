#!/usr/bin/env bash
# The Windows build, made on Linux with MinGW-w64 and tested under Wine:
# the kernels, the test host (which loads each NAME.mexw64 with LoadLibrary)
# and its plug-ins, the stand-in BLAS; then every kernel and test-host test
# runs as a Windows program (with nothing of MinGW's on Wine's path: every
# program and plug-in carries MinGW's runtimes), and the plug-ins' exports
# and imports are checked. Usage: windows/build_and_test.sh [BUILD_DIR] (default build-windows).
# Needs g++-mingw-w64-x86-64-posix, wine and wine64 (scripts/setup.sh, test share).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-build-windows}"
jobs="${JOBS:-2}"
start=$SECONDS

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/windows/mingw-w64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DTOOLBOX_OCTAVE=OFF -DTOOLBOX_BENCH=OFF \
      -DTOOLBOX_BLAS_INT64=ON -DTOOLBOX_GTEST_SOURCE=/usr/src/googletest
cmake --build "$build" -j"$jobs"
built=$SECONDS

# The build's own Wine prefix, made before the tests start side by side;
# its server is stopped at the end, whatever the tests gave.
stop_wine() { WINEPREFIX="$(cd "$build" && pwd)/wineprefix" wineserver -k 2>/dev/null || true; }
trap stop_wine EXIT
"$build/wine-run.sh" cmd /c exit 0
(cd "$build" && ctest --output-on-failure -j"$jobs")
echo "Windows build $((built - start)) s, Wine prefix and tests $((SECONDS - built)) s"
