#!/usr/bin/env bash
# The seeds in the corpus are exactly what the generator writes: none stale,
# none missing, none edited by hand. Usage: check_corpus.sh MAKE_CORPUS CORPUS_DIR
set -euo pipefail
generator=$1
corpus=$2
fresh=$(mktemp -d)
trap 'rm -rf "$fresh"' EXIT
"$generator" "$fresh" >/dev/null
status=0
for f in "$fresh"/seed-*; do
  name=$(basename "$f")
  if ! cmp -s "$f" "$corpus/$name"; then
    echo "seed $name differs from the generator's (run make_corpus $corpus)"
    status=1
  fi
done
for f in "$corpus"/seed-*; do
  name=$(basename "$f")
  [ -e "$fresh/$name" ] || { echo "seed $name is no longer generated"; status=1; }
done
[ $status -eq 0 ] && echo "$(ls "$fresh" | wc -l) seeds match the generator"
exit $status
