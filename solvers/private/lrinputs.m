function [I, J, vals, m, n, r, args] = lrinputs (varargin)
%LRINPUTS the two call forms of lrcomplete, brought to one
%   [I, J, vals, m, n, r, args] = lrinputs (I, J, vals, m, n, r, options...)
%   [I, J, vals, m, n, r, args] = lrinputs (S, r, options...)
%   The form is told by its first input: a sparse matrix, or I. ARGS is
%   the cell of what follows the problem (a struct of options, name-value
%   pairs, or both), for lroptions. Checks the sizes m, n, r and the types
%   of I, J and vals; the samples themselves are checked by lrsamples. I
%   and J keep their integer class, if they have one (at most 8 bytes a
%   sample less than as doubles); vals comes back as a double column.

  usage = 'lrcomplete: call as lrcomplete (I, J, vals, m, n, r, options...) or lrcomplete (S, r, options...)';
  % The sparse form: S, r, then options (a struct or a name first), or
  % nothing.
  if (nargin >= 1 && issparse (varargin{1}) ...
      && (nargin <= 2 || isstruct (varargin{3}) || ischar (varargin{3}) ...
          || isa (varargin{3}, 'string') || isempty (varargin{3})))
    if (nargin < 2)
      error ('lrcomplete:usage', usage);
    end
    S = varargin{1};
    if (~ isreal (S))
      error ('lrcomplete:badValue', 'lrcomplete: the samples must be real');
    end
    [m, n] = size (S);
    % The stored entries of S. A sparse matrix keeps no entry of value 0
    % (sparse drops them); an entry that became 0 in place, as nzfill
    % leaves one, is stored and counts as a sample.
    [I, J, vals] = find (S);
    r = varargin{2};
    args = varargin(3:end);
  elseif (nargin >= 6)
    [I, J, vals, m, n, r] = deal (varargin{1:6});
    args = varargin(7:end);
  else
    error ('lrcomplete:usage', usage);
  end

  is_count = @(x) (isnumeric (x) || islogical (x)) && isreal (x) && isscalar (x) ...
                  && isfinite (double (x)) && x >= 1 && x == fix (x);
  if (~ is_count (m) || ~ is_count (n))
    error ('lrcomplete:badSize', 'lrcomplete: m and n must be positive integers');
  end
  if (~ is_count (r))
    error ('lrcomplete:badSize', 'lrcomplete: the rank r must be a positive integer');
  end
  m = double (m);  n = double (n);  r = double (r);
  if (~ isnumeric (I) || ~ isnumeric (J) || ~ isreal (I) || ~ isreal (J) || issparse (I) || issparse (J))
    error ('lrcomplete:badIndex', 'lrcomplete: I and J must be real numeric arrays');
  end
  if (~ (isnumeric (vals) || islogical (vals)) || issparse (vals))
    error ('lrcomplete:badValue', 'lrcomplete: vals must be a full numeric array');
  end
  if (~ isreal (vals))
    error ('lrcomplete:badValue', 'lrcomplete: the samples must be real');
  end
  if (~ isinteger (I))
    I = double (I);
  end
  if (~ isinteger (J))
    J = double (J);
  end
  I = I(:);  J = J(:);  vals = double (vals(:));
end
