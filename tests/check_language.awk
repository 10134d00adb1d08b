# The scanner of check_language.sh: see there.
function hit(what) {
  printf "%s:%d: %s: %s\n", FILENAME, FNR, what, $0
  hits++
}
# The line with its comments dropped and each quoted text made empty ('').
# A quote opens a text unless it follows a name, a closing bracket, a dot or
# another quote without a blank between: then it transposes.
function code_of(line,    out, n, i, c, prev, j) {
  out = ""; n = length(line); prev = ""
  for (i = 1; i <= n; i++) {
    c = substr(line, i, 1)
    if (c == "%") break
    if (c == "." && substr(line, i, 3) == "...") break
    if (c == "'" && prev !~ /[]A-Za-z0-9_)}.']/) {
      for (j = i + 1; j <= n; j++) {
        if (substr(line, j, 1) == "'") {
          if (substr(line, j + 1, 1) == "'") { j++; continue }
          break
        }
      }
      out = out "''"; i = j; prev = "'"
      continue
    }
    if (c == "\"") {
      dq = 1
      for (j = i + 1; j <= n; j++) {
        if (substr(line, j, 1) == "\\") { j++; continue }
        if (substr(line, j, 1) == "\"") {
          if (substr(line, j + 1, 1) == "\"") { j++; continue }
          break
        }
      }
      out = out "\"\""; i = j; prev = "\""
      continue
    }
    out = out c
    if (c != " " && c != "\t") prev = c; else prev = " "
  }
  return out
}
BEGIN { split("rows columns sumsq", octave_only, " ") }
FNR == 1 { block = 0; split("", variable) }
{
  sub(/\r$/, "")
  # Block comments: %{ and %} alone on their lines (nested as MATLAB does).
  if ($0 ~ /^[ \t]*%\{[ \t]*$/) { block++; next }
  if (block > 0) { if ($0 ~ /^[ \t]*%\}[ \t]*$/) block--; next }
  dq = 0
  code = code_of($0)
  if (dq) hit("double-quoted string (use single quotes)")
  if (code ~ /!/) hit("! (use ~, and ~= for !=)")
  if (code ~ /#/) hit("# comment (use %)")
  if (code ~ /\+\+|--/) hit("++ or -- (write x = x + 1)")
  if (code ~ /[-+*\/^|&]=/) hit("compound assignment (write x = x + y)")
  if (code ~ /\*\*/) hit("** (use ^)")
  if (code ~ /\)\(/) hit("indexing the result of a call or an index, )( (assign it first)")
  if (code ~ /(^|[^A-Za-z0-9_.])(printf|puts|fputs|fdisp)([^A-Za-z0-9_]|$)/)
    hit("Octave-only output function (use fprintf)")
  # rows, columns and sumsq are Octave's functions, unless the function at
  # hand names a variable so (a parameter, an output, an assignment).
  if (code ~ /^[ \t]*function([^A-Za-z0-9_]|$)/) split("", variable)
  for (k = 1; k <= 3; k++) {
    name = octave_only[k]
    word = "(^|[^A-Za-z0-9_.])" name "([^A-Za-z0-9_]|$)"
    if (code !~ word) continue
    if (code ~ /^[ \t]*function([^A-Za-z0-9_]|$)/ ||
        code ~ ("(^|[^A-Za-z0-9_.])" name "[ \t]*=([^=]|$)") ||
        code ~ ("\\[[^]]*(^|[^A-Za-z0-9_.])" name "([^A-Za-z0-9_][^]]*)?\\][ \t]*=([^=]|$)"))
      variable[name] = 1
    if (!(name in variable)) hit(name " is Octave's alone (use size (x, 1), size (x, 2), sum (x .^ 2))")
  }
  if (code ~ /(^|[^A-Za-z0-9_.])end(if|for|parfor|while|function|switch|_try_catch|_unwind_protect|classdef|methods|properties|events|enumeration)([^A-Za-z0-9_]|$)/)
    hit("end keyword of Octave (use end)")
  if (code ~ /(^|[^A-Za-z0-9_.])unwind_protect([^A-Za-z0-9_]|$)/ || code ~ /^[ \t]*(do|until)([^A-Za-z0-9_]|$)/)
    hit("unwind_protect or do ... until (use onCleanup, while)")
  if (code ~ /\\[ \t]*$/) hit("\\ continuing the line (use ...)")
  if (code ~ /^[ \t]*function[^(]*\([^)]*=/) hit("default value of a parameter")
}
END {
  if (hits > 0) { printf "%d line(s) in the language of Octave alone\n", hits; exit 1 }
}
