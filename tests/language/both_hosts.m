function r = both_hosts (x, y)
  % Code both hosts run, which check_language.sh must not report: quotes
  % that transpose, texts holding Octave's syntax, comments holding it.
  % ! != ++ -= "text" printf rows endif # in a comment
  %! assert (both_hosts (1, 2) != 0)    % an Octave self-test: a comment to MATLAB
  r = x' * y.' + x'' + (x + y)' + [x y]' + {x}';   % transposes
  s = 'it''s ! != ++ -= "text" # printf rows endif';
  s = [s, 'a' 'b', '%', ' ... '];
  t = {'x', 'y'}';
  if (x ~= y && ~isempty (s) || x <= y || x >= y || x == y)
    r = -r;
  end
  r = r - -1;
  s.rows = 3;  s.columns = s.rows;          % fields of those names
  v = r(end)' + x(2:end)' + t{1}(1) + s(1).rows;
  [~, cols] = size (x);
  rows = 4;                                 % a variable of that name
  r = r + rows + cols ... ! # "text" after a continuation
      + 1;
%{
  A block comment: ! != ++ "text" # endif
%}
  fprintf ('%d\n', r);
end
