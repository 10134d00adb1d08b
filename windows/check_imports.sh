#!/usr/bin/env bash
# Every Windows plug-in (NAME.mexw64) loads on a machine as it is: it takes
# DLLs only from Windows itself and from its host, none of a compiler's
# runtimes (GCC's, the C++ library, winpthread, OpenMP's), which a MATLAB
# user does not have.
# Usage: check_imports.sh OBJDUMP HOSTDLLS FILE...
#   HOSTDLLS: the host's libraries, separated by ',' (MATLAB's libmx.dll,
#   libmex.dll and libmwblas.dll are always allowed; a build for the test
#   host names it and its stand-in BLAS).
set -uo pipefail
objdump=${1:?usage: check_imports.sh OBJDUMP HOSTDLLS FILE...}
hosts=${2?usage: check_imports.sh OBJDUMP HOSTDLLS FILE...}
shift 2
# Windows' own: the kernel, the C runtime (msvcrt, or the universal one
# through ucrtbase and its api-ms-win-crt-* sets).
system='^(kernel32|ntdll|msvcrt|ucrtbase|api-ms-win-crt-[a-z0-9-]+)\.dll$'
allowed=" libmx.dll libmex.dll libmat.dll libmwblas.dll libmwlapack.dll $(tr ',' ' ' <<<"${hosts,,}") "
status=0
for f in "$@"; do
  dump=$("$objdump" -p "$f") || { echo "$f: $objdump cannot read it"; status=1; continue; }
  for dll in $(awk '/DLL Name:/ { print tolower($NF) }' <<<"$dump" | sort -u); do
    if ! [[ "$dll" =~ $system ]] && [[ "$allowed" != *" $dll "* ]]; then
      echo "$f imports $dll, which is neither Windows' nor its host's"
      status=1
    fi
  done
done
[ $status -eq 0 ] && echo "$# Windows plug-ins import from Windows and their host alone"
exit $status
