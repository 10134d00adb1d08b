#!/usr/bin/env bash
# Every Windows plug-in (NAME.mexw64, a DLL) exports mexFunction and nothing
# else (mexfilerequiredapiversion is allowed beside it, for builds that add
# it), and a BLAS variant takes ddot or dcopy from the BLAS under the names
# of MATLAB's BLAS on Windows, without the trailing underscore.
# Usage: check_exports.sh OBJDUMP FILE...
objdump=$1
shift
status=0
for f in "$@"; do
  dump=$("$objdump" -p "$f") || { echo "$f: $objdump cannot read it"; status=1; continue; }
  # The export table lists one "[ordinal] name" line per exported name
  # (binutils 2.41 and later put a heading line above them and the hint
  # before the name).
  exported=$(awk '/\[Ordinal\/Name Pointer\] Table/ { on = 1; next }
                  on && /^\t *Ordinal +Hint +Name/ { next }
                  on && /^\t\[ *[0-9]+\] / { print $NF; next }
                  on { on = 0 }' <<<"$dump" | grep -vx mexfilerequiredapiversion | sort -u)
  if [ "$exported" != "mexFunction" ]; then
    echo "$f exports: ${exported:-nothing} (wanted mexFunction alone)"
    status=1
  fi
  # What it takes from a BLAS: the lines "<address> <hint> <name>" (binutils
  # 2.41 and later: "<address> <ordinal> <hint> <name>") under a "DLL Name:"
  # naming one, up to the blank line that ends its list.
  imported=$(awk '/DLL Name:/ { blas = tolower($NF) ~ /blas/; next }
                  blas && NF == 0 { blas = 0; next }
                  blas && NF >= 3 && $(NF - 1) ~ /^[0-9a-fA-F]+$/ { print $NF }' <<<"$dump")
  name=$(basename "$f"); name=${name%.*}
  case "$name" in
    obsprod_blas) routine=ddot ;;
    nzfill_blas) routine=dcopy ;;
    *) routine= ;;
  esac
  if [ -n "$routine" ]; then
    if ! grep -qx "$routine" <<<"$imported" || grep -qx "${routine}_" <<<"$imported"; then
      echo "$f does not import $routine from the BLAS under that name; it imports:" ${imported:-nothing}
      status=1
    fi
  fi
done
[ $status -eq 0 ] && echo "$# Windows plug-ins export mexFunction alone; the BLAS variants import ddot and dcopy"
exit $status
