#!/usr/bin/env bash
# The package's Makefile gives the compiler -fopenmp and the linker the
# version script only where they take them: with this machine's compiler
# both; with a compiler that refuses both, as Apple's clang and linker do,
# neither (one thread, exports kept by hidden visibility alone).
# Usage: check_makefile_flags.sh SRC   (the package's src/ folder)
set -uo pipefail
src=${1:?usage: check_makefile_flags.sh SRC}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

# A compiler that refuses OpenMP and GNU version scripts, and mkoctfile
# naming it.
cat > "$work/refusing-c++" <<'SH'
#!/bin/sh
for a in "$@"; do
  case "$a" in
    -fopenmp|*--version-script*) echo "refusing-c++: unsupported option '$a'" >&2; exit 1 ;;
  esac
done
exec c++ "$@"
SH
cat > "$work/mkoctfile" <<SH
#!/bin/sh
if [ "\$1 \$2" = "-p CXX" ]; then echo "$work/refusing-c++"; else exec mkoctfile "\$@"; fi
SH
chmod +x "$work/refusing-c++" "$work/mkoctfile"

flags() {
  make -s -C "$src" --no-print-directory "$@" \
       --eval 'toolbox-flags: ; @echo "CXXFLAGS=$(CXXFLAGS) LDFLAGS=$(LDFLAGS)"' toolbox-flags
}
expect() {
  local what=$1 text=$2 pattern=$3 wanted=$4
  if grep -qe "$pattern" <<<"$text"; then found=yes; else found=no; fi
  if [ "$found" != "$wanted" ]; then
    echo "$what: '$pattern' $( [ "$wanted" = yes ] && echo missing || echo given ): $text"
    status=1
  fi
}

here=$(flags)
expect "this machine's compiler" "$here" "CXXFLAGS=.*-fopenmp" yes
expect "this machine's compiler" "$here" "LDFLAGS=.*-fopenmp" yes
expect "this machine's compiler" "$here" "--version-script=gateway/octave/octFunction.map" yes
refusing=$(flags MKOCTFILE="$work/mkoctfile")
expect "a compiler refusing both" "$refusing" "-fopenmp" no
expect "a compiler refusing both" "$refusing" "--version-script" no
expect "a compiler refusing both" "$refusing" "-fvisibility=hidden" yes
[ -z "$(ls "$src"/probe/*.out 2>/dev/null)" ] || { echo "probe outputs left in $src/probe"; status=1; }
[ $status -eq 0 ] && echo "the Makefile gives -fopenmp and the version script where they are taken, and only there"
exit $status
