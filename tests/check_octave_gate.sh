#!/usr/bin/env bash
# The native form is built only for an Octave its adaptor has been checked
# against (gateway/octave/checked_versions). Configured with a list that
# names no version, the build says so and its toolbox target makes the MEX
# form in build/toolbox; the package's Makefile, likewise, makes .mex files
# and says so. Usage: check_octave_gate.sh TOOLBOX_ROOT
set -euo pipefail
top=$(cd "$1" && pwd)
work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
fail() { echo "check_octave_gate: $1" >&2; exit 1; }
printf '# no version checked\n' > "$work/none"

out=$(cmake -S "$top" -B "$work/build" -G "Unix Makefiles" -DTOOLBOX_OCTAVE_CHECKED="$work/none" -DTOOLBOX_TESTS=OFF \
        -DTOOLBOX_TESTHOST=OFF -DTOOLBOX_BENCH=OFF 2>&1) || { echo "$out"; fail "configuring failed"; }
# CMake breaks its message into lines: read it as one.
tr -s ' \n' '  ' <<<"$out" | grep -q "building the MEX form for Octave in its place" \
  || { echo "$out"; fail "configuring did not say that the MEX form is built"; }
# What the build would do, from the files CMake wrote (Unix Makefiles).
grep -q -- "-o ../toolbox/penval.mex" "$work/build/gateway/CMakeFiles/penval_octave_mex.dir/link.txt" \
  || fail "penval's MEX form does not go to toolbox/"
grep -q "^gateway/CMakeFiles/toolbox.dir/all: gateway/CMakeFiles/penval_octave_mex.dir/all" \
     "$work/build/CMakeFiles/Makefile2" || fail "the toolbox target does not make the MEX form"
! grep -rq "octave/adaptor.cpp" "$work/build/gateway/CMakeFiles" || fail "the native adaptor is compiled"

cmake --build "$work/build" --target octave_package >/dev/null
src=$(echo "$work"/build/package/stage/*/src)
plan=$(make -C "$src" -n 2>&1)
grep -q "is not among the versions the native form has been checked against" <<<"$plan" \
  || fail "the package's Makefile does not say that it builds the MEX form"
grep -q -- "--mex .* -o penval.mex" <<<"$plan" || fail "the package's Makefile makes no penval.mex"
! grep -q -- "penval.oct" <<<"$plan" || fail "the package's Makefile makes penval.oct"
echo "check_octave_gate: the MEX form, and said so, in the build and in the package"
