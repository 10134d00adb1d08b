function cases = bench_cases_lowrank (quick)
%BENCH_CASES_LOWRANK obsprod and nzfill against the Octave an Octave user writes
%   obsprod at r = 10, m = n = 10^4 and L = 10^6 random samples, against
%   sum (Xt(:,I) .* Y(:,J), 1); nzfill of 10^7 values into a sparse matrix
%   of fixed pattern, against rebuilding it with sparse (i, j, v, m, n).
  r = 10;
  m = 1e4;
  L = 1e6;
  mS = 1e5;
  nnzS = 1e7;
  if (quick)
    m = 200;
    L = 5003;
    mS = 300;
    nnzS = 5100;
  end
  rand ('seed', 12);
  randn ('seed', 12);
  Xt = randn (r, m);
  Y = randn (r, m);
  I = randi (m, 1, L);
  J = randi (m, 1, L);
  size_p = sprintf ('r=%d m=n=%s L=%s', r, num (m), num (L));

  % A sparse pattern of nnzS entries, built once: per column, rows spread
  % over the whole height at a step that keeps them distinct, shifted from
  % column to column. The values to write are none of them zero (sparse ()
  % would drop a zero).
  per = nnzS / mS;
  step = floor (mS / per);
  [t, c] = ndgrid (0:per-1, 0:mS-1);
  S = sparse (mod (7919 * c(:) + step * t(:), mS) + 1, c(:) + 1, 1, mS, mS);
  [i, j] = find (S);
  v = 1 + rand (numel (i), 1);
  nv = numel (v);
  size_f = sprintf ('%s values', num (nv));

  out = {@() zeros (1, L), sprintf('zeros (1, %s)', num (L))};
  cases = bench_case ('obsprod', size_p, @() obsprod (Xt, Y, I, J, L), ...
                      @() sum (Xt(:,I) .* Y(:,J), 1), out);
  cases(end+1) = bench_case ('obsprod_blas', size_p, @() obsprod_blas (Xt, Y, I, J, L), ...
                             @() sum (Xt(:,I) .* Y(:,J), 1), out, 0, ...
                             'the BLAS variant, for comparison with obsprod');
  % nzfill makes no output: the host's floor is the call itself.
  small = [1 2 3 4];
  call = {@() sum (small), 'sum of 4 values'};
  cases(end+1) = bench_case ('nzfill', size_f, @() fill_values (S, v, nv), ...
                             @() sparse (i, j, v, mS, mS), call, 5, ...
                             sprintf ('S is %d-by-%d with %s stored values', mS, mS, num (nv)));
  cases(end+1) = bench_case ('nzfill_blas', size_f, @() fill_values_blas (S, v, nv), ...
                             @() sparse (i, j, v, mS, mS), call, 0, ...
                             'the BLAS variant, for comparison with nzfill');
end

% nzfill writes into S's storage, which the caller shares; the result is S
% itself.
function S = fill_values (S, v, n)
  nzfill (S, v, n);
end

function S = fill_values_blas (S, v, n)
  nzfill_blas (S, v, n);
end

function s = num (x)
  e = round (log10 (x));
  if (x == 10 ^ e)
    s = sprintf ('1e%d', e);
  else
    s = sprintf ('%d', x);
  end
end
