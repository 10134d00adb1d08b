function [I, J, vals, m, n, r, opts] = lrinputs (varargin)
%LRINPUTS the two call forms of lrcomplete, brought to one
%   [I, J, vals, m, n, r, opts] = lrinputs (I, J, vals, m, n, r [, opts])
%   [I, J, vals, m, n, r, opts] = lrinputs (S, r [, opts])
%   Returns I, J and vals as columns and opts as a struct (empty if none
%   was given). Checks the sizes m, n, r; the samples are checked by
%   lrsamples.

  usage = 'lrcomplete: call as lrcomplete (I, J, vals, m, n, r [, opts]) or lrcomplete (S, r [, opts])';
  opts = struct ();
  if (nargin >= 1 && nargin <= 3 && issparse (varargin{1}))
    S = varargin{1};
    if (nargin < 2)
      error ('lrcomplete:usage', usage);
    end
    if (~ isreal (S))
      error ('lrcomplete:badValue', 'lrcomplete: the samples must be real');
    end
    [m, n] = size (S);
    [I, J, vals] = find (S);           % stored zeros included
    r = varargin{2};
    if (nargin == 3)
      opts = varargin{3};
    end
  elseif (nargin == 6 || nargin == 7)
    [I, J, vals, m, n, r] = deal (varargin{1:6});
    if (nargin == 7)
      opts = varargin{7};
    end
  else
    error ('lrcomplete:usage', usage);
  end
  if (isempty (opts))
    opts = struct ();
  end
  if (~ isstruct (opts) || numel (opts) ~= 1)
    error ('lrcomplete:badOption', 'lrcomplete: opts must be a struct (or [])');
  end

  is_count = @(x) isnumeric (x) && isreal (x) && isscalar (x) && isfinite (x) ...
                  && x >= 1 && x == fix (x);
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
  I = double (I(:));  J = double (J(:));  vals = double (vals(:));
end

