function [n, D, Lb, Ub, o] = dg_inputs (n, D, Lb, Ub, args)
%DG_INPUTS check dgsolve's inputs and fill in its options
%   [n, D, Lb, Ub, o] = dg_inputs (n, D, Lb, Ub, args)
%   ARGS is the cell of what followed the tables (a struct of options,
%   name-value pairs, or both). Raises dgsolve:<reason> for anything
%   wrong, before any work. Returns n as a double, the tables cut to the
%   columns penval reads ([] becomes an empty table) and the options with
%   their defaults, every number as a double.
  if (~(isnumeric (n) || islogical (n)) || ~isreal (n) || ~isscalar (n) ...
      || ~isfinite (double (n)) || double (n) < 1 || double (n) ~= fix (double (n)))
    error ('dgsolve:badPointCount', 'dgsolve: n must be a positive whole number');
  end
  n = double (n);
  D = table_of (D, 3, 'D', n);
  Lb = table_of (Lb, 4, 'Lb', n);
  Ub = table_of (Ub, 4, 'Ub', n);

  defaults = struct ('dim', 3, 'w', [1 1 1 0], 't', [1 1 1 1], 'minSeparation', 0, ...
                     'seed', 1, 'X0', [], 'starts', 2, 'maxTime', Inf, 'maxIter', Inf, ...
                     'fTarget', 1e-20, 'tol', 0.01, 'robust', false, 'verbose', false, ...
                     'method', 'auto');
  o = solver_options ('dgsolve', defaults, args);
  o.dim = option_value ('dgsolve', 'dim', o.dim, 'whole', 1, 1e6);
  for f = {'w', 't'}
    v = o.(f{1});
    if (isinteger (v))
      v = double (v);
    end
    if (~isnumeric (v) || ~isreal (v) || numel (v) ~= 4 || any (~isfinite (double (v(:)))) ...
        || any (v(:) < 0))
      error ('dgsolve:badOption', 'dgsolve: option %s must hold 4 finite weights, none negative', f{1});
    end
    o.(f{1}) = double (full (v(:)'));
  end
  o.minSeparation = option_value ('dgsolve', 'minSeparation', o.minSeparation, 'number', 0, realmax);
  o.seed = option_value ('dgsolve', 'seed', o.seed, 'whole', 0, 2 ^ 32 - 1);
  o.starts = option_value ('dgsolve', 'starts', o.starts, 'whole', 1, Inf);
  o.maxTime = option_value ('dgsolve', 'maxTime', o.maxTime, 'number', realmin, Inf);
  o.maxIter = option_value ('dgsolve', 'maxIter', o.maxIter, 'whole', 0, Inf);
  o.fTarget = option_value ('dgsolve', 'fTarget', o.fTarget, 'number', 0, realmax);
  o.tol = option_value ('dgsolve', 'tol', o.tol, 'number', 0, realmax);
  o.robust = option_value ('dgsolve', 'robust', o.robust, 'flag');
  o.verbose = option_value ('dgsolve', 'verbose', o.verbose, 'flag');
  if (~ischar (o.method) || ~any (strcmp (o.method, {'auto', 'embed', 'buildup'})))
    error ('dgsolve:badOption', 'dgsolve: option method must be ''auto'', ''embed'' or ''buildup''');
  end
  if (strcmp (o.method, 'buildup') && o.dim ~= 3)
    error ('dgsolve:badOption', 'dgsolve: the build-up start works in 3 dimensions only');
  end
  if (strcmp (o.method, 'buildup') && n > 2000)
    error ('dgsolve:badOption', ...
           'dgsolve: the build-up start keeps n-by-n tables: it takes at most 2000 points');
  end
  if (~isempty (o.X0))
    if (isinteger (o.X0))
      o.X0 = double (o.X0);
    end
    if (~isnumeric (o.X0) || ~isreal (o.X0) || ~isequal (size (o.X0), [o.dim n]) ...
        || any (~isfinite (double (o.X0(:)))))
      error ('dgsolve:badOption', 'dgsolve: option X0 must be a finite %d-by-%d matrix', o.dim, n);
    end
    o.X0 = double (full (o.X0));
  end
  too_large (D, Lb, Ub, o, n);
end

function T = table_of (T, width, name, n)
  % A table as penval reads it: real full double, at least WIDTH columns
  % (only those are kept), finite entries but for the type codes, which
  % penval reads whatever they hold, whole point numbers from 1 to n.
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
  bad = find (any (~isfinite (T(:, 1:3)), 2), 1);
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

function too_large (D, Lb, Ub, o, n)
  % Every term of the penalty squares a difference of lengths and weighs
  % it; refuse lengths or weights whose penalty would overflow a double
  % (the sum over all rows and points of the largest possible term).
  len = max ([0; abs(D(:, 3)); abs(Lb(:, 3)); abs(Ub(:, 3)); o.minSeparation; abs(o.X0(:))]);
  weight = max (o.w) * max ([1, o.t]);
  rows = size (D, 1) + size (Lb, 1) + size (Ub, 1) + n;
  if (~isfinite (weight * (4 * len * len) * rows) || ~isfinite (4 * len * len * n))
    error ('dgsolve:tooLarge', ...
           ['dgsolve: a distance, bound, X0 or weight is too large: the penalty would ', ...
            'overflow (largest length %g, largest weight %g); rescale the tables'], len, weight);
  end
end
