#!/usr/bin/env bash
# Runs every test of the toolbox on a Debian 12 machine, installing what is
# missing first:
#   1. the release build: kernel tests, test-host tests, Octave tests;
#   2. the test host, its plug-ins and the unit tests again under
#      AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. the same under ThreadSanitizer (clang, LLVM's OpenMP runtime and its
#      tool Archer, which tells the sanitizer OpenMP's synchronisation);
#   4. a short fuzzing run of every plug-in;
#   5. the MATLAB build (FindMatlab, matlab_add_mex) against a stand-in for
#      a MATLAB installation assembled from the toolbox's own sources: its
#      MEX files' exports, and the gateway tests run on them in the test
#      host. No MATLAB runs here (tests/standin_matlab/assemble.sh).
#   6. the Windows build (MinGW-w64) with its kernel and test-host tests
#      under Wine.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
toolbox_install test

jobs=$(toolbox_jobs)

echo "== release build (build/)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTOOLBOX_TESTS=ON -DTOOLBOX_TESTHOST=ON \
      -DTOOLBOX_BENCH=ON
cmake --build build -j"$jobs"
echo "== tests: kernels, test host, Octave"
(cd build && ctest --output-on-failure -j"$jobs")

echo "== sanitizer build (build-asan/)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOOLBOX_OCTAVE=OFF -DTOOLBOX_BENCH=ON \
      -DTOOLBOX_SANITIZE=ON
cmake --build build-asan -j"$jobs"
echo "== tests under ASan and UBSan"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j"$jobs")

echo "== ThreadSanitizer build (build-tsan/)"
CXX=clang++ cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOOLBOX_OCTAVE=OFF \
    -DTOOLBOX_BENCH=OFF -DTOOLBOX_TSAN=ON
cmake --build build-tsan -j"$jobs"
echo "== tests under ThreadSanitizer, OpenMP's synchronisation told to it by Archer"
archer="$(dirname "$(readlink -f "$(command -v clang++)")")/../lib/libarcher.so"
(cd build-tsan && OMP_TOOL_LIBRARIES="$archer" \
   TSAN_OPTIONS="ignore_noninstrumented_modules=1 halt_on_error=1" \
   ctest --output-on-failure -j"$jobs")

echo "== fuzz build (build-fuzz/)"
CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTOOLBOX_OCTAVE=OFF -DTOOLBOX_TESTS=OFF -DTOOLBOX_BENCH=OFF -DTOOLBOX_FUZZ=ON
cmake --build build-fuzz -j"$jobs"
echo "== fuzz smoke run"
bash fuzz/smoke.sh build-fuzz
echo "== stand-in MATLAB tree (build-matlab/root; not MATLAB) and the MATLAB build (build-matlab/toolbox)"
bash tests/standin_matlab/assemble.sh build-matlab/root
cmake -S . -B build-matlab/toolbox -DCMAKE_BUILD_TYPE=Release -DTOOLBOX_MATLAB=ON \
      -DTOOLBOX_OCTAVE=OFF -DTOOLBOX_TESTHOST=OFF -DTOOLBOX_BENCH=OFF \
      -DMatlab_ROOT_DIR="$PWD/build-matlab/root"
cmake --build build-matlab/toolbox -j"$jobs" --target toolbox_matlab \
      distgeom_gateway_test distmatrix_gateway_test lowrank_gateway_test registry_gateway_test
echo "== tests of the MEX files built for MATLAB"
(cd build-matlab/toolbox && ctest --output-on-failure -L matlab)

echo "== Windows build (build-windows/, MinGW-w64) and its tests under Wine"
JOBS="$jobs" bash windows/build_and_test.sh build-windows
echo "== all tests passed"
