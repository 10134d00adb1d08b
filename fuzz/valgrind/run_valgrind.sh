#!/usr/bin/env bash
# Runs valgrind_plugins.m in octave-cli under valgrind memcheck: any invalid
# read or write, use of uninitialised memory or bad free while the plug-ins run
# fails the test. Octave's own leaks at exit are not the plug-ins' (they
# allocate nothing), so leak checking is off.
# Usage: run_valgrind.sh OCTAVE_CLI TOOLBOX_DIR TESTS_OCTAVE_DIR
set -euo pipefail
octave=$1
toolbox=$2
helpers=$3
here=$(cd "$(dirname "$0")" && pwd)
exec valgrind --tool=memcheck --error-exitcode=99 --leak-check=no --num-callers=30 \
  "$octave" --no-gui --norc --no-history --quiet --no-window-system \
  --eval "addpath('$toolbox'); addpath('$helpers'); addpath('$here'); valgrind_plugins(); disp('valgrind_plugins: passed')"
