#!/usr/bin/env bash
# The registry of plug-ins (plugins.list, plugins.errors) is the one place
# that lists them. This checks
#   - that each plug-in of the registry has its gateway and its help file
#     (gateway/plugins/NAME.cpp and .m, whose first line is %NAME ...) and
#     nothing else is there;
#   - that the error table names the registry's families, and each family
#     has rows;
#   - that doc/Contents.m leaves the plug-ins' lines to the build (@PLUGINS@)
#     and has a line for each solver (solvers/*.m), its help file's first
#     line;
#   - that no file lists the plug-ins by hand: a file naming all the
#     registry's plug-ins, or all but one, must read the registry instead
#     (toolbox_plugin_list, tests/registry.h, CMake's TOOLBOX_PLUGINS), unless
#     it is one of the kinds listed below, which a new plug-in need not
#     touch.
# Usage: check_plugin_list.sh ROOT [FILE...]   (FILEs are looked at as well)
set -uo pipefail
root=${1:?usage: check_plugin_list.sh ROOT [FILE...]}
shift
extra=("$@")
cd "$root" || exit 2
mapfile -t listed < <(awk '$1 == "plugin" { print $2 }' plugins.list)
status=0
complain() { echo "$*"; status=1; }

sorted() { printf '%s\n' "$@" | sort; }
want=$(sorted "${listed[@]}")

for ext in cpp m; do
  have=$(sorted $(cd gateway/plugins && ls *.$ext | sed "s/\.$ext\$//"))
  [ "$have" = "$want" ] || complain "gateway/plugins/*.$ext: $(echo $have) is not the registry: $(echo $want)"
done
for name in "${listed[@]}"; do
  upper=$(tr '[:lower:]' '[:upper:]' <<<"$name")
  sed -n 2p "gateway/plugins/$name.m" | grep -q "^%$upper " ||
    complain "gateway/plugins/$name.m: its first help line is not %$upper followed by what it does"
done

# The families of the error table.
families=$(awk '$1 == "family" { print $2 }' plugins.list | sort -u)
used=$(grep -E '^[a-z]+ *\|' plugins.errors | sed 's/ *|.*//' | sort -u)
for f in $used; do
  grep -qx "$f" <<<"$families" || complain "plugins.errors: no family $f in plugins.list"
done
for f in $families; do
  grep -qx "$f" <<<"$used" || complain "plugins.errors: no row for the family $f"
done

# Contents.m: the plug-ins come from the registry; the solvers are listed.
grep -qx '@PLUGINS@' doc/Contents.m || complain "doc/Contents.m: no line @PLUGINS@ for the plug-ins"
for name in $(cd solvers && ls *.m 2>/dev/null | sed 's/\.m$//'); do
  h1=$(sed -n '2{s/^%[A-Z_]* //p;q}' "solvers/$name.m")
  grep -qF -- "%   $(printf '%-12s' "$name") - $h1" doc/Contents.m ||
    complain "doc/Contents.m: no line for $name with its help file's first line ($h1)"
done

# Files that may name every plug-in, by kind:
#   the registry itself;
#   documentation for people (the README, NEWS, doc/);
#   the checks, declared one by one (checks/checks.h);
#   exercises of the plug-ins on inputs of their own, which also run every
#   plug-in's example in the registry (threads, kernel paths, the two
#   forms, the reference bits and the fuzz corpus of the plug-ins there
#   are);
#   the load benchmark's rows, which it checks against the registry when it
#   runs (bench.load_quick fails on a plug-in without a row).
allowed=(
  plugins.list plugins.errors
  README.md NEWS tests/matlab/README.md 'doc/*'
  checks/checks.h
  gateway/test/octave/test_threads.m gateway/test/octave/test_kernel_paths.m
  gateway/test/octave_forms/test_forms_agree.m
  tests/matlab/ReferenceBitsTest.m tests/matlab/write_reference.m fuzz/make_corpus.cpp
  bench/load.cpp
)
is_allowed() {
  local f=$1 a
  for a in "${allowed[@]}"; do
    # shellcheck disable=SC2053
    [[ $f == $a ]] && return 0
  done
  return 1
}
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files)
else
  mapfile -t files < <(find . -type f -not -path './build*' -not -path './.git/*' | sed 's|^\./||')
fi
files+=("${extra[@]}")
need=$(( ${#listed[@]} - 1 ))
names=$(mktemp)
trap 'rm -f "$names"' EXIT
printf '%s\n' "${listed[@]}" > "$names"
checked=()
for f in "${files[@]}"; do
  [ -f "$f" ] && ! is_allowed "$f" && checked+=("$f")
done
# Each file with the number of plug-ins it names (text files only).
while read -r n f; do
  if [ "$n" -ge "$need" ] && [ "$need" -ge 2 ]; then
    complain "$f names $n of the ${#listed[@]} plug-ins by hand: read them from the registry (toolbox_plugin_list, tests/registry.h, TOOLBOX_PLUGINS)"
  fi
done < <(printf '%s\0' "${checked[@]}" | xargs -0 grep -IHow -F -f "$names" 2>/dev/null |
           sort -u | awk -F: '{ n[$1]++ } END { for (f in n) print n[f], f }')

[ $status -eq 0 ] && echo "${#listed[@]} plug-ins: every place reads the registry or is of a kind that need not"
exit $status
