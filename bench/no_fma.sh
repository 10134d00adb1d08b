#!/usr/bin/env bash
# Fails when a kernel library holds a fused multiply-add instruction: the
# kernels round every product before its sum, and a fused multiply-add
# (which a compiler may form when a fast path is compiled for a processor
# with FMA) would round once where they round twice.
#   no_fma.sh <objdump> <library>...
set -euo pipefail
objdump=$1
shift
status=0
for lib in "$@"; do
  found=$("$objdump" -d "$lib" | grep -cE '\bv?f(n?m(add|sub))[0-9a-z]*\b' || true)
  if [ "$found" != "0" ]; then
    echo "$lib: $found fused multiply-add instruction(s)"
    "$objdump" -d "$lib" | grep -E '\bv?f(n?m(add|sub))[0-9a-z]*\b' | head -5
    status=1
  else
    echo "$lib: no fused multiply-add"
  fi
done
exit $status
