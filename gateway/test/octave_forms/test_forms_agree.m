function test_forms_agree ()
  % The native form and the MEX form of the plug-ins: the same bits and the
  % same printed text on inputs that take the kernels' fast paths, every
  % plug-in's example in the registry alike, nzfill's write seen through
  % every alias of S alike, and lrcomplete's answer, which its passes over
  % the samples (resprod, resstep, rowgram: uint32 inputs) make. (Both
  % forms fail with the error table's identifiers and messages:
  % test_registry.)
  use_form ('native');
  native = exercise ();
  use_form ('mex');
  mex = exercise ();
  use_form ('native');
  assert (numel (native.results), numel (mex.results));
  for k = 1:numel (native.results)
    assert (same_bits (native.results{k}, mex.results{k}), 'result of %s differs', native.what{k});
  end
  assert (native.printed, mex.printed);
end

function r = exercise ()
  [results, plugins] = run_examples ();
  r = struct ('results', {results}, 'what', {{plugins.example}}, 'printed', '');
  rand ('seed', 11);
  randn ('seed', 11);
  for d = [2 3 5]
    n = 40;
    m = 203;
    X = 10 * rand (d, n);
    X(1, 7) = NaN;
    D = table (n, m, 3);
    Lb = table (n, m, 4);
    Ub = table (n, m, 4);
    w = [1.5 0.75 2.25 0.125];
    t = [3 5 7 2];
    r = keep (r, 'penval', penval (X, D, Lb, Ub, w, t));
    G = [];
    r.printed = [r.printed evalc('G = penslope (X, D, Lb, Ub, w, t);')];
    r = keep (r, 'penslope', G);
    r = keep (r, 'linkdev', linkdev (X, D));
    r = keep (r, 'ceilgap', ceilgap (X, Ub));
    r = keep (r, 'floorgap', floorgap (X, Lb));
    r = keep (r, 'pairsq', pairsq (X));
  end
  r = keep (r, 'pairsq, no coordinates', pairsq (zeros (0, 5)));
  Xt = randn (4, 30);
  Y = randn (4, 25);
  I = 1 + floor (30 * rand (1, 101));
  J = 1 + floor (25 * rand (1, 101));
  r = keep (r, 'obsprod', obsprod (Xt, Y, I, J, 101));
  r = keep (r, 'obsprod_blas', obsprod_blas (Xt, Y, I, J, 101));
  U = randn (3, 60);  V = randn (3, 45);
  [I, J] = find (rand (60, 45) < 0.4);
  [Xt, Y] = lrcomplete (I, J, sum (U(:, I) .* V(:, J), 1), 60, 45, 3, 'maxIter', 40);
  r = keep (r, 'lrcomplete', [Xt, Y]);
  for f = {@nzfill, @nzfill_blas}
    S = sparse ([1 3 2 3], [1 1 2 3], [1 2 3 4], 3, 3);
    T = S;
    f{1} (S, [7 0 -0 NaN], 4);
    r = keep (r, [func2str(f{1}) ' through an alias'], T);
    F = [1 3; 2 4];
    f{1} (F, [-1 -2 -3], 3);
    r = keep (r, func2str (f{1}), F);
  end
end

function r = keep (r, what, value)
  r.results{end+1} = value;
  r.what{end+1} = what;
end

function T = table (n, m, cols)
  i = 1 + floor (n * rand (m, 1));
  j = 1 + floor (n * rand (m, 1));
  j(1:9:end) = i(1:9:end);
  i(1:7:end) = min (i(1:7:end) + 0.5, n);
  T = [i, j, 12 * rand(m, 1)];
  if (cols == 4)
    codes = [1 -2 0 -1 3 -3 1.5 -2.5 NaN];
    T(:,4) = codes(1 + mod (0:m-1, numel (codes)))';
  end
end
