#!/usr/bin/env bash
# Every .m file the toolbox ships is written in the language both hosts run,
# MATLAB and GNU Octave: none of Octave's own syntax. Comments and quoted
# text are left aside, so help text and the Octave-only self-tests (%!
# blocks, which are comments to MATLAB) may say anything; test scripts of
# Octave's own (test_*.m, test/ folders) are not shipped and not read.
#
#   check_language.sh ROOT            the shipped files of the tree at ROOT
#   check_language.sh --files FILE... these files
#
# Each hit is printed as FILE:LINE: what: the line. Exit status 1 on a hit.
# Flagged: ! and != (use ~ and ~=); ++ and --; += -= *= /= ^= |= &=; the
# power operator **; # comments and #{ }# blocks (use %); double-quoted
# strings (use single quotes); printf, puts, fputs, fdisp (use fprintf);
# rows, columns, sumsq (use size and sum); endif, endfor, endfunction and
# the other end* keywords (use end); unwind_protect, do ... until; a
# backslash continuing a line (use ...); a default value in a function's
# parameter list.
set -uo pipefail

if [ "${1:-}" = "--files" ]; then
  shift
  files=("$@")
else
  root=${1:?usage: check_language.sh ROOT | --files FILE...}
  cd "$root" || exit 2
  # What a user gets: the plug-ins' help files, Contents.m, the in-host
  # build script and its helpers, the solvers, the demos and their helpers,
  # and the MATLAB test classes.
  shopt -s nullglob
  files=(gateway/plugins/*.m doc/Contents.m build_toolbox.m toolbox_*.m
         solvers/*.m solvers/private/*.m examples/*.m examples/private/*.m tests/matlab/*.m)
fi
[ ${#files[@]} -gt 0 ] || { echo "check_language.sh: no files"; exit 2; }

awk -f "$(dirname "$0")/check_language.awk" "${files[@]}" || exit 1
echo "${#files[@]} files in the language both hosts run"
