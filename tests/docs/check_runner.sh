#!/usr/bin/env bash
# Checks run_doc_examples.sh on fixture.md: the marked blocks run, in order
# and sharing one Octave session; unmarked ones do not; a failing octave or
# sh block fails the run and is named by its line; an octave failure ends
# that file's session. Usage: check_runner.sh [--toolbox DIR]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$("$here/run_doc_examples.sh" "$@" "$here/fixture.md" 2>&1)
status=$?
echo "$out"
fail() { echo "check_runner: $1" >&2; exit 1; }
[ "$status" -ne 0 ] || fail "the run passed although two blocks fail"
for line in 5 9 21 29 33; do
  grep -q "^== tests/docs/fixture.md:$line\$" <<<"$out" || fail "the block at line $line did not run"
done
for text in "fixture.md:21: ASSERT errors" "fixture.md:33: sh block, exit status 1"; do
  grep -qF "$text" <<<"$out" || fail "no report \"$text\""
done
for text in "an unmarked block ran" "a block after a failed one ran" "fixture.md:25"; do
  ! grep -qF "$text" <<<"$out" || fail "\"$text\": a block ran that should not have"
done
echo "check_runner: as expected"
