#!/usr/bin/env bash
# No Windows plug-in moves a 32-byte vector to or from its stack with an
# aligned move (vmovapd, vmovaps, vmovdqa): Windows keeps the stack 16-byte
# aligned only, and such a move faults there. Usage: check_vector_moves.sh
# OBJDUMP FILE...
objdump=$1
shift
status=0
for f in "$@"; do
  found=$("$objdump" -d --no-show-raw-insn "$f" |
          grep -E 'vmova(pd|ps)|vmovdqa' | grep ymm | grep -E '\(%r(sp|bp)\)')
  if [ -n "$found" ]; then
    echo "$f moves 32-byte vectors on the stack with aligned moves:"
    head -n 5 <<<"$found"
    status=1
  fi
done
[ $status -eq 0 ] && echo "$# Windows plug-ins move no 32-byte vector on the stack with an aligned move"
exit $status
