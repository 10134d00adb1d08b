function [D, Lb, Ub, o] = dg_inputs (n, D, Lb, Ub, opts)
%DG_INPUTS check dgsolve's inputs and fill in its options
%   [D, Lb, Ub, o] = dg_inputs (n, D, Lb, Ub, opts)
%   Raises dgsolve:<reason> for anything wrong, before any work. Returns
%   the tables cut to the columns penval reads ([] becomes an empty table)
%   and the options with their defaults.
  if (~isnumeric (n) || ~isreal (n) || ~isscalar (n) || ~isfinite (n) || n < 1 ...
      || n ~= fix (n))
    error ('dgsolve:badPointCount', 'dgsolve: n must be a positive whole number');
  end
  n = double (n);
  D = table_of (D, 3, 'D', n);
  Lb = table_of (Lb, 4, 'Lb', n);
  Ub = table_of (Ub, 4, 'Ub', n);

  o = struct ('dim', 3, 'w', [1 1 1 0], 't', [1 1 1 1], 'minSeparation', 0, ...
              'seed', 1, 'X0', [], 'maxTime', Inf, 'maxIter', 5000, ...
              'verbose', false, 'starts', 2, 'method', 'auto', 'fTarget', 1e-20);
  if (isempty (opts))
    opts = struct ();
  end
  if (~isstruct (opts) || numel (opts) ~= 1)
    error ('dgsolve:badOption', 'dgsolve: opts must be a struct of options');
  end
  names = fieldnames (opts);
  for k = 1:numel (names)
    if (~isfield (o, names{k}))
      error ('dgsolve:badOption', 'dgsolve: unknown option ''%s''', names{k});
    end
    o.(names{k}) = opts.(names{k});
  end
  whole = @(v, low) isnumeric (v) && isreal (v) && isscalar (v) && v == fix (v) && v >= low;
  if (~whole (o.dim, 1) || ~isfinite (o.dim))
    error ('dgsolve:badOption', 'dgsolve: option dim must be a positive whole number');
  end
  for f = {'w', 't'}
    v = o.(f{1});
    if (~isnumeric (v) || ~isreal (v) || numel (v) ~= 4 || any (~isfinite (v(:))) || any (v(:) < 0))
      error ('dgsolve:badOption', 'dgsolve: option %s must hold 4 finite weights, none negative', f{1});
    end
    o.(f{1}) = double (v(:)');
  end
  if (~isnumeric (o.minSeparation) || ~isreal (o.minSeparation) || ~isscalar (o.minSeparation) ...
      || ~isfinite (o.minSeparation) || o.minSeparation < 0)
    error ('dgsolve:badOption', 'dgsolve: option minSeparation must be a finite number >= 0');
  end
  if (~whole (o.seed, 0) || ~isfinite (o.seed) || o.seed >= 2 ^ 32)
    error ('dgsolve:badOption', 'dgsolve: option seed must be a whole number from 0 to 2^32-1');
  end
  if (~isempty (o.X0))
    if (~isnumeric (o.X0) || ~isreal (o.X0) || ~isequal (size (o.X0), [o.dim n]) ...
        || any (~isfinite (o.X0(:))))
      error ('dgsolve:badOption', 'dgsolve: option X0 must be a finite %d-by-%d matrix', o.dim, n);
    end
    o.X0 = double (full (o.X0));
  end
  if (~isnumeric (o.maxTime) || ~isreal (o.maxTime) || ~isscalar (o.maxTime) || ~(o.maxTime > 0))
    error ('dgsolve:badOption', 'dgsolve: option maxTime must be a number of seconds > 0');
  end
  if (~whole (o.maxIter, 0) || ~isfinite (o.maxIter))
    error ('dgsolve:badOption', 'dgsolve: option maxIter must be a whole number >= 0');
  end
  if (~isnumeric (o.fTarget) || ~isreal (o.fTarget) || ~isscalar (o.fTarget) ...
      || ~isfinite (o.fTarget) || o.fTarget < 0)
    error ('dgsolve:badOption', 'dgsolve: option fTarget must be a finite number >= 0');
  end
  if (~whole (o.starts, 1) || ~isfinite (o.starts))
    error ('dgsolve:badOption', 'dgsolve: option starts must be a whole number >= 1');
  end
  if (~(islogical (o.verbose) || isnumeric (o.verbose)) || ~isscalar (o.verbose))
    error ('dgsolve:badOption', 'dgsolve: option verbose must be true or false');
  end
  o.verbose = logical (o.verbose);
  if (~ischar (o.method) || ~any (strcmp (o.method, {'auto', 'embed', 'buildup'})))
    error ('dgsolve:badOption', 'dgsolve: option method must be ''auto'', ''embed'' or ''buildup''');
  end
  if (strcmp (o.method, 'buildup') && o.dim ~= 3)
    error ('dgsolve:badOption', 'dgsolve: the build-up start works in 3 dimensions only');
  end
end

function T = table_of (T, width, name, n)
  % A table as penval reads it: real full double, at least WIDTH columns
  % (only those are kept), finite entries, whole point numbers from 1 to n.
  if (isempty (T))
    T = zeros (0, width);
    return;
  end
  if (~isa (T, 'double') || ~isreal (T) || issparse (T) || ndims (T) ~= 2)
    error ('dgsolve:notRealDouble', 'dgsolve: table %s must be a real full double matrix', name);
  end
  if (size (T, 2) < width)
    error ('dgsolve:tooFewColumns', 'dgsolve: table %s needs at least %d columns', name, width);
  end
  T = T(:, 1:width);
  bad = find (any (~isfinite (T), 2), 1);
  if (~isempty (bad))
    error ('dgsolve:notFinite', 'dgsolve: table %s row %d holds a value that is not finite', ...
           name, bad);
  end
  P = T(:, 1:2);
  bad = find (any (P < 1 | P > n | P ~= fix (P), 2), 1);
  if (~isempty (bad))
    error ('dgsolve:pointOutside', ...
           'dgsolve: table %s row %d names a point that is not a whole number from 1 to %d', ...
           name, bad, n);
  end
end
