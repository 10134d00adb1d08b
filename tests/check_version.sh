#!/usr/bin/env bash
# The version is kept in VERSION alone; every other place that shows it is
# made from it (CMake, Contents.m, the package's DESCRIPTION) or must agree
# with it: NEWS starts with its changes, and the README names its tarball.
set -u
cd "${1:-.}"
version=$(head -n 1 VERSION)
status=0
complain() { echo "$*" >&2; status=1; }

[[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || complain "VERSION: '$version' is not a version"
head -n 1 NEWS | grep -qF "for mextoolbox $version:" ||
  complain "NEWS does not start with the changes of $version"
grep -q '@VERSION@' doc/Contents.m || complain "doc/Contents.m does not take its version from VERSION"
for v in $(grep -o 'mextoolbox-[0-9][0-9.]*[0-9]' README.md | sort -u); do
  [ "$v" = "mextoolbox-$version" ] || complain "README.md names $v, not mextoolbox-$version"
done
if grep -rn --include=CMakeLists.txt --include=*.cmake --include=*.in --include=*.m \
     -E "VERSION [0-9]+\.[0-9]+\.[0-9]+|Version:? [0-9]+\.[0-9]+" . 2>/dev/null |
   grep -v -e '^./build' -e 'cmake_minimum_required' ; then
  complain "a version written out above, instead of taken from VERSION"
fi
[ $status -eq 0 ] && echo "version $version, in one place"
exit $status
