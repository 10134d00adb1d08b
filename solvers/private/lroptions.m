function o = lroptions (args, m, n, r)
%LROPTIONS lrcomplete's options: defaults, merged with what the caller gave, checked
%   o = lroptions (args, m, n, r)
%   ARGS is the cell of what followed the problem (solver_options: a
%   struct, name-value pairs, or both; names in any case). Each value is
%   checked here, so that a wrong option fails before any work. o.test
%   comes back as a struct with columns I, J, vals (or [] for none).

  defaults = struct ('lambda', 0, 'maxIter', 1000, 'maxTime', Inf, 'tol', 1e-10, ...
                     'seed', 1, 'X0', [], 'Y0', [], 'test', [], 'verbose', false);
  o = solver_options ('lrcomplete', defaults, args);
  o.lambda = option_value ('lrcomplete', 'lambda', o.lambda, 'number', 0, Inf);
  if (isinf (o.lambda))
    bad ('option lambda must be finite');
  end
  o.maxIter = option_value ('lrcomplete', 'maxIter', o.maxIter, 'whole', 0, Inf);
  o.maxTime = option_value ('lrcomplete', 'maxTime', o.maxTime, 'number', 0, Inf);
  o.tol = option_value ('lrcomplete', 'tol', o.tol, 'number', 0, Inf);
  o.seed = option_value ('lrcomplete', 'seed', o.seed, 'whole', 0, 2^32 - 1);
  o.verbose = option_value ('lrcomplete', 'verbose', o.verbose, 'flag');

  if (isempty (o.X0) ~= isempty (o.Y0))
    bad ('X0 and Y0 go together: give both or neither');
  end
  if (~ isempty (o.X0))
    full_real = @(x) isnumeric (x) && isreal (x) && ~ issparse (x) && all (isfinite (x(:)));
    if (~ full_real (o.X0) || ~ full_real (o.Y0))
      bad ('X0 and Y0 must be real, full and finite');
    end
    if (~ isequal (size (o.X0), [r m]) || ~ isequal (size (o.Y0), [r n]))
      bad (sprintf ('X0 must be %d-by-%d and Y0 %d-by-%d (r-by-m, r-by-n)', r, m, r, n));
    end
    o.X0 = double (o.X0);  o.Y0 = double (o.Y0);
  end

  if (~ isempty (o.test))
    t = o.test;
    if (iscell (t) && numel (t) == 1 && iscell (t{1}))
      t = t{1};                         % {{It, Jt, vt}}, as a struct field takes it
    end
    if (iscell (t) && numel (t) == 3)
      t = struct ('I', {t{1}}, 'J', {t{2}}, 'vals', {t{3}});
    elseif (~ (isstruct (t) && isscalar (t) && all (isfield (t, {'I', 'J', 'vals'}))))
      bad ('test must be {It, Jt, vt} or a struct with fields I, J, vals');
    end
    num = @(x) isnumeric (x) && isreal (x) && ~ issparse (x);
    if (~ num (t.I) || ~ num (t.J) || ~ num (t.vals))
      bad ('the test samples must be real, full numeric arrays');
    end
    t = struct ('I', double (t.I(:)), 'J', double (t.J(:)), 'vals', double (t.vals(:)));
    if (numel (t.I) ~= numel (t.J) || numel (t.I) ~= numel (t.vals) || isempty (t.I))
      bad ('the test samples It, Jt, vt must have the same number of elements, at least one');
    end
    if (any (t.I < 1 | t.I > m | t.I ~= fix (t.I)) || any (t.J < 1 | t.J > n | t.J ~= fix (t.J)))
      bad (sprintf ('the test positions must lie inside the %d-by-%d matrix', m, n));
    end
    if (~ all (isfinite (t.vals)))
      bad ('the test values must be finite');
    end
    o.test = t;
  end
end

function bad (what)
  error ('lrcomplete:badOption', 'lrcomplete: %s', what);
end
