#!/usr/bin/env bash
# A toolbox folder made for MATLAB (build_toolbox, or the CMake target
# toolbox_matlab) holds what a user needs, as in the source tree: every
# plug-in of plugins.list (NAME.EXT) with its help file, Contents.m, the
# solvers with their helpers in private/, and the demos with their helpers
# and data in examples/.
# Usage: check_toolbox_folder.sh ROOT FOLDER EXT   (EXT: mexa64, mex, ...)
set -uo pipefail
root=${1:?usage: check_toolbox_folder.sh ROOT FOLDER EXT}
folder=${2:?usage: check_toolbox_folder.sh ROOT FOLDER EXT}
ext=${3:?usage: check_toolbox_folder.sh ROOT FOLDER EXT}
status=0
complain() { echo "$folder: $*"; status=1; }

# Each source file, found again under its place in the folder, unchanged.
same() {
  local from=$1 to=$2
  if [ ! -f "$to" ]; then complain "no ${to#"$folder"/} (from ${from#"$root"/})"
  elif ! cmp -s "$from" "$to"; then complain "${to#"$folder"/} differs from ${from#"$root"/}"
  fi
}
for name in $(awk '$1 == "plugin" { print $2 }' "$root/plugins.list"); do
  [ -f "$folder/$name.$ext" ] || complain "no plug-in $name.$ext"
  same "$root/gateway/plugins/$name.m" "$folder/$name.m"
done
grep -q '^%   dgsolve ' "$folder/Contents.m" 2>/dev/null || complain "no Contents.m listing the solvers"
shopt -s nullglob
count=0
for pair in "solvers/*.m:." "solvers/private/*.m:private" "examples/*.m:examples" \
            "examples/private/*.m:examples/private" "examples/data/*:examples/data"; do
  pattern=${pair%%:*} to=${pair##*:}
  for f in "$root"/$pattern; do
    same "$f" "$folder/$to/$(basename "$f")"
    count=$((count + 1))
  done
done
[ -f "$folder/examples/demo_protein.m" ] || complain "no demo_protein in examples/"
[ $status -eq 0 ] && echo "$folder: the plug-ins, Contents.m and $count files of the solvers and the demos"
exit $status
