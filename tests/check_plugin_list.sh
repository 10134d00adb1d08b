#!/usr/bin/env bash
# Every place that names the plug-ins agrees with plugins.list: their
# gateways and help files, doc/Contents.m (with each help file's first line,
# the solvers' too),
# the README's table of functions, the fuzz corpus, the scripts that
# exercise each plug-in by hand, and the MATLAB test suite's list. (The build files, build_toolbox.m, the
# package, the fuzz target and the smoke run read the list itself.)
# Usage: check_plugin_list.sh ROOT
set -uo pipefail
root=${1:?usage: check_plugin_list.sh ROOT}
cd "$root" || exit 2
mapfile -t listed < <(awk '!/^[ \t]*(#|$)/ && $1 != "category" { print $1 }' plugins.list)
status=0
complain() { echo "$*"; status=1; }

sorted() { printf '%s\n' "$@" | sort; }
want=$(sorted "${listed[@]}")

for ext in cpp m; do
  have=$(sorted $(cd gateway/plugins && ls *.$ext | sed "s/\.$ext\$//"))
  [ "$have" = "$want" ] || complain "gateway/plugins/*.$ext: $(echo $have) is not the list: $(echo $want)"
done

# Contents.m: one line per plug-in and per solver (solvers/*.m), its help
# file's first line.
solvers=($(cd solvers && ls *.m 2>/dev/null | sed 's/\.m$//'))
have=$(sorted $(sed -n 's/^%   \([a-z_]*\) *- .*/\1/p' doc/Contents.m))
[ "$have" = "$(sorted "${listed[@]}" "${solvers[@]}")" ] ||
  complain "doc/Contents.m lists $(echo $have), not $(echo $want ${solvers[@]})"
for name in "${solvers[@]}"; do
  h1=$(sed -n '2{s/^%[A-Z_]* //p;q}' "solvers/$name.m")
  grep -qF -- "%   $(printf '%-12s' "$name") - $h1" doc/Contents.m ||
    complain "doc/Contents.m: $name's line is not its help file's first line ($h1)"
done
for name in "${listed[@]}"; do
  h1=$(sed -n '2{s/^%[A-Z_]* //p;q}' "gateway/plugins/$name.m")
  grep -qF -- "%   $(printf '%-12s' "$name") - $h1" doc/Contents.m ||
    complain "doc/Contents.m: $name's line is not its help file's first line ($h1)"
  grep -qE "^\| \`$name\` \|" README.md || complain "README.md: no row for $name in the table of functions"
  ls fuzz/corpus/seed-"$name"-* > /dev/null 2>&1 || complain "fuzz/corpus: no seed for $name (make_corpus)"
  for script in fuzz/valgrind/valgrind_plugins.m package/test/test_package_install.m; do
    grep -q "\b$name\b" "$script" || complain "$script does not call $name"
  done
done

# The MATLAB test suite keeps a list of its own (MATLAB reads no plugins.list).
have=$(sorted $(sed -n '/Plugins = {/,/};/p' tests/matlab/PluginTestCase.m | grep -o "'[a-z_]*'" | tr -d "'"))
[ "$have" = "$want" ] || complain "tests/matlab/PluginTestCase.m lists $(echo $have), not $(echo $want)"

[ $status -eq 0 ] && echo "${#listed[@]} plug-ins, every place agrees with plugins.list"
exit $status
