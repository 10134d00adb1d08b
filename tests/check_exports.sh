#!/usr/bin/env bash
# Every plug-in exports what its host looks up and nothing else: a MEX file
# (.mex, .so) mexFunction under the version node MEX, an oct-file G<name>
# under the node OCT; a MEX file for MATLAB (.mexa64) mexFunction, and
# mexfilerequiredapiversion when MATLAB_API_VERSION_EXPORTED=1, under the
# node MATLAB's export list names. Usage: check_exports.sh FILE...
status=0
for f in "$@"; do
  exported=$(nm -D --defined-only "$f" | awk '$2 != "A" { print $3 }' | sort -u)
  name=$(basename "$f"); name=${name%.*}
  case "$f" in
    *.oct) want="G$name@@OCT" ;;
    *.mexa64)
      exported=$(printf '%s\n' "$exported" | sed 's/@.*//' | sort -u)
      want="mexFunction"
      if [ "${MATLAB_API_VERSION_EXPORTED:-0}" = 1 ]; then
        want=$(printf 'mexFunction\nmexfilerequiredapiversion\n' | sort)
      fi ;;
    *) want="mexFunction@@MEX" ;;
  esac
  if [ "$exported" != "$want" ]; then
    echo "$f exports: $exported (wanted $want alone)"
    status=1
  fi
done
[ $status -eq 0 ] && echo "$# plug-ins export their entry alone"
exit $status
