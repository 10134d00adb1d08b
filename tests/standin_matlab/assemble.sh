#!/usr/bin/env bash
# Assembles a STAND-IN for a MATLAB installation (Linux, 64-bit), so that the
# toolbox's MATLAB build (FindMatlab, matlab_add_mex) can be configured,
# built and its MEX files run where no MATLAB is installed. It holds nothing
# of MathWorks': every file is made here from the toolbox's own sources.
#
#   tests/standin_matlab/assemble.sh ROOT
#
# ROOT then holds what CMake's FindMatlab looks for:
#   VersionInfo.xml             the version (9.3, R2017b), which FindMatlab
#                               reads for a runtime-only installation
#   bin/matlab                  answers FindMatlab's `version` query alone:
#                               for a full installation FindMatlab takes the
#                               version from running it
#   bin/mexext                  prints the MEX files' extension, mexa64
#   bin/glnxa64/libmx.so        the test host's implementation of the MEX
#   bin/glnxa64/libmex.so       operations (gateway/testhost/testhost.cpp),
#                               under the names a MEX file links
#   bin/glnxa64/libmwblas.so    a small BLAS with 64-bit integers, ddot_ and
#                               dcopy_, as MATLAB's own BLAS takes them
#   extern/include/mex.h        the test host's declarations of the MEX API
#   extern/version/*_mexapi_version.*  mexfilerequiredapiversion, which
#                               matlab_add_mex compiles into every MEX file
#   extern/lib/glnxa64/*.map    the export lists matlab_add_mex links with
#
# A MEX file built against ROOT runs in the test host, whose process already
# holds the MEX operations (as MATLAB's holds its own libmx): the loader
# binds the MEX file's calls to them, and the copies in libmx.so and
# libmex.so serve the link alone.
set -euo pipefail
root=${1:?usage: assemble.sh ROOT}
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
cxx=${CXX:-c++}
cc=${CC:-cc}

# ROOT is replaced: only an empty or missing folder, or a stand-in tree made
# here before, is.
if [ -d "$root" ] && [ -n "$(ls -A "$root")" ] && ! grep -qs 'stand-in' "$root/VersionInfo.xml"; then
  echo "assemble.sh: $root is neither empty nor a stand-in tree; not replacing it" >&2
  exit 1
fi
rm -rf "$root"
mkdir -p "$root/bin/glnxa64" "$root/extern/include" "$root/extern/version" \
         "$root/extern/lib/glnxa64"
root=$(cd "$root" && pwd)
lib="$root/bin/glnxa64"

cat > "$root/VersionInfo.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<!-- A stand-in for a MATLAB installation, made by the toolbox's tests
     (tests/standin_matlab/assemble.sh). It is not MATLAB. -->
<MathWorks_version_info>
  <version>9.3.0.0</version>
  <release>R2017b</release>
  <description>stand-in</description>
</MathWorks_version_info>
XML

# FindMatlab runs `matlab ... -logfile FILE ... -r "version, exit"` (or
# -batch) and reads "ans = '9.3...'" back from FILE.
cat > "$root/bin/matlab" <<'SH'
#!/bin/sh
# Stand-in (tests/standin_matlab/assemble.sh): not MATLAB. Answers the
# version query of CMake's FindMatlab and nothing else.
log=""; query=""
while [ $# -gt 0 ]; do
  case "$1" in
    -logfile) log="$2"; shift ;;
    -r|-batch) query="$2"; shift ;;
  esac
  shift
done
case "$query" in
  version*) ;;
  *) echo "stand-in matlab: only FindMatlab's version query is answered" >&2; exit 1 ;;
esac
text="ans =

    '9.3.0.0 (R2017b)'
"
if [ -n "$log" ]; then printf '%s' "$text" > "$log"; else printf '%s' "$text"; fi
SH
cat > "$root/bin/mexext" <<'SH'
#!/bin/sh
# Stand-in (tests/standin_matlab/assemble.sh): the MEX extension on 64-bit Linux.
echo mexa64
SH
chmod +x "$root/bin/matlab" "$root/bin/mexext"

cp "$top/gateway/testhost/mex.h" "$root/extern/include/mex.h"
printf '/* Stand-in: the MEX API of this tree is declared in mex.h alone. */\n#include "mex.h"\n' \
  > "$root/extern/include/matrix.h"
cp "$here/mexapi_version.c" "$root/extern/version/c_mexapi_version.c"
cp "$here/mexapi_version.c" "$root/extern/version/cpp_mexapi_version.cpp"

# The export lists: mexFunction alone (before 9.1), and mexFunction with the
# API version (9.1 and later).
printf 'MEX {\n  global:\n    mexFunction;\n  local:\n    *;\n};\n' \
  > "$root/extern/lib/glnxa64/mexFunction.map"
printf 'MEX {\n  global:\n    mexFunction;\n    mexfilerequiredapiversion;\n  local:\n    *;\n};\n' \
  > "$root/extern/lib/glnxa64/c_exportsmexfileversion.map"

# The MEX operations, compiled once, linked under both names.
obj=("$root/.testhost.o" "$root/.library.o")
"$cxx" -std=c++17 -O1 -fPIC -c "$top/gateway/testhost/testhost.cpp" \
       -I"$top/gateway/testhost" -o "${obj[0]}"
"$cxx" -std=c++17 -O1 -fPIC -c "$top/gateway/testhost/library.cpp" \
       -I"$top/gateway/testhost" -o "${obj[1]}"
for name in mx mex; do
  "$cxx" -shared -o "$lib/lib$name.so" -Wl,-soname,lib$name.so "${obj[@]}" -ldl
done
rm -f "${obj[@]}"
"$cxx" -std=c++17 -O2 -ffp-contract=off -fPIC -shared -o "$lib/libmwblas.so" \
       -Wl,-soname,libmwblas.so -DTOOLBOX_BLAS_INT64=1 -I"$top" -I"$top/core" \
       "$top/tests/standin_blas.cpp"
echo "stand-in MATLAB tree (not MATLAB) assembled in $root"
