#!/usr/bin/env bash
# Runs valgrind_plugins.m in octave-cli under valgrind memcheck: any invalid
# read or write, use of uninitialised memory or bad free while the plug-ins run
# fails the test. Octave's own leaks at exit are not the plug-ins' (they
# allocate nothing that outlives a call), so leak checking is off.
# Usage: run_valgrind.sh OCTAVE_CLI TOOLBOX_DIR TESTS_OCTAVE_DIR
# Exits 77 (skipped) when valgrind cannot run Octave itself on this
# processor: some of Octave's own libraries use instructions this valgrind
# does not know (libhwy's rdtscp, for one).
set -euo pipefail
octave=$1
toolbox=$2
helpers=$3
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)   # the registry and its reader, toolbox_plugin_list
probe=$(valgrind --tool=none "$octave" --no-gui --norc --no-history --quiet --no-window-system \
          --eval "disp(1)" 2>&1 || true)
if grep -q "Unrecognised instruction" <<<"$probe"; then
  echo "valgrind cannot run octave-cli here:"
  grep -A2 "Unrecognised instruction" <<<"$probe" | head -3
  exit 77
fi
exec valgrind --tool=memcheck --error-exitcode=99 --leak-check=no --num-callers=30 \
  "$octave" --no-gui --norc --no-history --quiet --no-window-system \
  --eval "addpath('$toolbox'); addpath('$helpers'); addpath('$root'); addpath('$here'); valgrind_plugins(); disp('valgrind_plugins: passed')"
