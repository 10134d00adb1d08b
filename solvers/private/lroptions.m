function o = lroptions (opts, m, n, r)
%LROPTIONS lrcomplete's options: defaults, merged with OPTS, checked
%   o = lroptions (opts, m, n, r)
%   Every field of OPTS must name an option; each value is checked here,
%   so that a wrong option fails before any work. o.test comes back as a
%   struct with columns I, J, vals (or [] for none).

  o = struct ('lambda', 0, 'maxIter', 1000, 'maxTime', Inf, 'tol', 1e-10, ...
              'seed', 1, 'X0', [], 'Y0', [], 'test', [], 'verbose', false);
  names = fieldnames (opts);
  for k = 1:numel (names)
    if (~ isfield (o, names{k}))
      error ('lrcomplete:unknownOption', ...
             'lrcomplete: unknown option "%s" (options: lambda, maxIter, maxTime, tol, seed, X0, Y0, test, verbose)', ...
             names{k});
    end
    o.(names{k}) = opts.(names{k});
  end

  scalar = @(x) isnumeric (x) && isreal (x) && isscalar (x) && ~ isnan (x);
  if (~ scalar (o.lambda) || o.lambda < 0 || ~ isfinite (o.lambda))
    bad ('lambda must be a finite number >= 0');
  end
  if (~ scalar (o.maxIter) || o.maxIter < 0 || o.maxIter ~= fix (o.maxIter))
    bad ('maxIter must be an integer >= 0 (or Inf)');
  end
  if (~ scalar (o.maxTime) || o.maxTime < 0)
    bad ('maxTime must be a number of seconds >= 0');
  end
  if (~ scalar (o.tol) || o.tol < 0)
    bad ('tol must be a number >= 0');
  end
  if (~ scalar (o.seed) || ~ isfinite (o.seed) || o.seed < 0 || o.seed ~= fix (o.seed) || o.seed >= 2^32)
    bad ('seed must be an integer from 0 to 2^32 - 1');
  end
  if (~ ((islogical (o.verbose) || isnumeric (o.verbose)) && isscalar (o.verbose)))
    bad ('verbose must be true or false');
  end
  o.lambda = double (o.lambda);  o.maxIter = double (o.maxIter);
  o.maxTime = double (o.maxTime);  o.tol = double (o.tol);  o.seed = double (o.seed);
  o.verbose = logical (o.verbose);

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
    if (iscell (t) && numel (t) == 3)
      t = struct ('I', t{1}, 'J', t{2}, 'vals', t{3});
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
