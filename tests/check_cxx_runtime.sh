#!/usr/bin/env bash
# MEX files for MATLAB on Linux load beside the C++ runtime MATLAB itself
# loads first: R2017b's libstdc++ is GCC 5's (GLIBCXX_3.4.21, CXXABI_1.3.9),
# and a MEX file that needs a newer version of either fails to load
# ("version `GLIBCXX_3.4.xx' not found"). Each file may need those
# versions at most, or none (libstdc++ linked in statically).
# Usage: check_cxx_runtime.sh OBJDUMP FILE...
set -uo pipefail
objdump=${1:?usage: check_cxx_runtime.sh OBJDUMP FILE...}
shift
limits=(GLIBCXX_3.4.21 CXXABI_1.3.9)
status=0
for f in "$@"; do
  dump=$("$objdump" -T "$f") || { echo "$f: $objdump -T cannot read it"; status=1; continue; }
  for limit in "${limits[@]}"; do
    family=${limit%_*}
    newest=$(grep -o -E "\(${family}_[0-9.]+\)" <<<"$dump" | tr -d '()' | sort -V -u | tail -n 1)
    if [ -n "$newest" ] && [ "$(printf '%s\n%s\n' "$limit" "$newest" | sort -V | tail -n 1)" != "$limit" ]; then
      echo "$f needs $newest (newer than $limit):"
      grep -F "($newest)" <<<"$dump" | awk '{ print "  " $NF }'
      status=1
    fi
  done
  if grep -q -E '\((GLIBCXX|CXXABI)_' <<<"$dump"; then
    need=$(grep -o -E '\((GLIBCXX|CXXABI)_[0-9.]+\)' <<<"$dump" | tr -d '()' | sort -V -u | tr '\n' ' ')
    echo "$(basename "$f"): libstdc++ ${need}"
  fi
done
[ $status -eq 0 ] && echo "$# MEX files need no libstdc++ newer than GCC 5's (${limits[*]})"
exit $status
