#!/usr/bin/env bash
# Runs the examples of the toolbox's documents that are marked runnable: a
# fenced block whose info string is "octave run" or "sh run", its fences
# unindented:
#
#   ```octave run
#   f = penval ([0 3; 0 4], [1 2 4], [], [], [1 1 1 0], [1 1 1 1])
#   ```
#
# Usage: tests/docs/run_doc_examples.sh [--toolbox DIR] FILE.md|FOLDER...
# (a FOLDER: every *.md in it)
#
# Each file's octave blocks run in order in one octave-cli session (a block
# may use what an earlier one made), started in the repository's top folder
# with DIR (default build/toolbox), solvers/ and examples/ on the path; each
# sh block runs in bash -e from the same folder. A block fails on an error;
# the run goes on with the next file and fails at the end, naming each
# failed block by file and line. A block that needs what the tests cannot
# give (MATLAB, a long build, the user's own data) stays unmarked.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
toolbox=$top/build/toolbox
if [ "${1:-}" = "--toolbox" ]; then toolbox=$(cd "$2" && pwd); shift 2; fi
[ $# -gt 0 ] || { echo "usage: $0 [--toolbox DIR] FILE.md|FOLDER..." >&2; exit 2; }
files=()
for arg in "$@"; do
  if [ -d "$arg" ]; then
    for f in "$arg"/*.md; do [ -e "$f" ] && files+=("$(cd "$(dirname "$f")" && pwd)/$(basename "$f")"); done
  else
    files+=("$(cd "$(dirname "$arg")" && pwd)/$(basename "$arg")")
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ran=0 failed=()

for md in "${files[@]}"; do
  name=${md#"$top"/}
  rm -rf "$work/blocks" && mkdir "$work/blocks"
  # One file per block, blocks/NNN.<language>, and its first line in the
  # document in blocks/NNN.line.
  awk -v out="$work/blocks" '
    inside && /^```[ \t]*$/ { inside = 0; close (file); next }
    inside { print > file; next }
    /^```(octave|sh) run[ \t]*$/ {
      n++; split ($0, info, /[` \t]+/); lang = info[2]
      file = sprintf ("%s/%03d.%s", out, n, lang)
      printf "" > file
      printf "%d\n", NR + 1 > sprintf ("%s/%03d.line", out, n); close (sprintf ("%s/%03d.line", out, n))
      inside = 1; next
    }
    END { if (inside) { printf "unclosed runnable block\n" > "/dev/stderr"; exit 1 } }
  ' "$md" || { failed+=("$name: an unclosed runnable block"); continue; }

  # The octave blocks, as one script: each in eval, so that an error (a
  # parse error too) names its block and ends the session.
  script=$work/blocks/all.m
  {
    echo "addpath ('$toolbox'); addpath ('$top/solvers'); addpath ('$top/examples'); cd ('$top');"
    for block in "$work"/blocks/*.octave; do
      [ -e "$block" ] || continue
      where="$name:$(cat "${block%.octave}.line")"
      echo "fprintf ('== $where\\n');"
      echo "try, eval (fileread ('$block')); catch err, fprintf (2, '$where: %s\\n', err.message); exit (1); end"
    done
  } > "$script"
  if ls "$work"/blocks/*.octave >/dev/null 2>&1; then
    ran=$((ran + $(ls "$work"/blocks/*.octave | wc -l)))
    if ! octave-cli --no-gui --norc --no-history --quiet --no-window-system "$script"; then
      failed+=("$name: an octave block (the message above names it)")
    fi
  fi

  for block in "$work"/blocks/*.sh; do
    [ -e "$block" ] || continue
    where="$name:$(cat "${block%.sh}.line")"
    echo "== $where"
    ran=$((ran + 1))
    (cd "$top" && bash -e "$block") || failed+=("$where: sh block, exit status $?")
  done
done

echo "doc examples: $ran marked, ${#failed[@]} failed"
for f in "${failed[@]}"; do echo "  FAILED $f" >&2; done
[ ${#failed[@]} -eq 0 ]
