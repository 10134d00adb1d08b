#!/usr/bin/env bash
# check_language.sh on two files whose answers are known: it reports each
# line of octave_only.m marked "flagged" and no other, and nothing in
# both_hosts.m, Octave's syntax in comments and quoted text included.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
scan="$here/../check_language.sh"
status=0

marked=$(grep -n '% flagged' "$here/octave_only.m" | cut -d: -f1 | sort -n | uniq)
out=$("$scan" --files "$here/octave_only.m")
[ $? -eq 1 ] || { echo "octave_only.m: the scan did not fail"; status=1; }
reported=$(sed -n 's/^[^:]*:\([0-9]*\): .*/\1/p' <<<"$out" | sort -n | uniq)
if [ "$reported" != "$marked" ]; then
  echo "octave_only.m: lines reported: $(echo $reported)"
  echo "               lines marked:   $(echo $marked)"
  status=1
fi

if ! out=$("$scan" --files "$here/both_hosts.m"); then
  echo "both_hosts.m: reported, though both hosts run it:"
  echo "$out"
  status=1
fi
[ $status -eq 0 ] && echo "check_language.sh reports the $(wc -w <<<"$marked") marked lines and nothing else"
exit $status
