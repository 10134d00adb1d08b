#!/usr/bin/env bash
# Every plug-in exports mexFunction and nothing else (under the version node
# MEX). Usage: check_exports.sh FILE...
status=0
for f in "$@"; do
  exported=$(nm -D --defined-only "$f" | awk '$2 != "A" { print $3 }' | sort -u)
  if [ "$exported" != "mexFunction@@MEX" ]; then
    echo "$f exports: $exported"
    status=1
  fi
done
[ $status -eq 0 ] && echo "$# plug-ins export mexFunction@@MEX alone"
exit $status
