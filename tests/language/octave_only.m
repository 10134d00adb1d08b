function r = octave_only (x, y = 2)                  % flagged: default value
  % Each line marked "flagged" must be reported by check_language.sh, and
  % no other: its Octave-only syntax sits in code, not in comments or text.
  if (! isempty (x))                                 % flagged: !
    r = x != y;                                      % flagged: !=
  endif                                              % flagged: endif
  x++;                                               % flagged: ++
  y -= 1;                                            % flagged: -=
  y += 'it''s';                                      % flagged: += after a text with a quote
  y .*= 2;                                           % flagged: .*=
  y = y ** 2;                                        % flagged: **
  s = "text";                                        % flagged: double quotes
  s = ['a', "b"];                                    % flagged: double quotes in a list
  printf ('%d\n', y);                                % flagged: printf
  puts ('text');                                     % flagged: puts
  n = rows (x) + columns (x);                        % flagged: rows, columns
  q = sumsq (x);                                     % flagged: sumsq
  q = size (x)(1);                                   % flagged: indexing a call's result
  y = x';  # a comment                               % flagged: # after a transpose
  for k = 1:2
  endfor                                             % flagged: endfor
  unwind_protect                                     % flagged: unwind_protect
    do                                               % flagged: do
    until (true)                                     % flagged: until
  end_unwind_protect                                 % flagged: end_unwind_protect
  y = x + ...
      1 + \                                          % flagged: backslash continuation
      2;
end

function r = other (rows)
  % rows, a parameter here, is a variable of this function alone.
  r = rows (1);
end

function r = third (x)
  r = rows (x);                                      % flagged: rows in another function
end
