function cases = bench_cases_distgeom (quick)
%BENCH_CASES_DISTGEOM the distance-bound plug-ins against vectorised Octave code
%   penval and penslope over d = 3, 10^4 points and 10^6 rows in each of the
%   three tables; the reports over one table of 10^6 rows. See bench_octave.
  n = 1e4;
  m = 1e6;
  if (quick)
    n = 300;
    m = 5003;
  end
  rand ('seed', 11);
  X = 10 * rand (3, n);
  D = table (X, m, []);
  Lb = table (X, m, [1 -2]);
  Ub = table (X, m, [0 -1 -2 3]);
  w = [1 2 3 0.5];
  t = [1.5 2.5 3.5 4.5];

  size3 = sprintf ('d=3 n=%d 3x%d rows', n, m);
  size1 = sprintf ('d=3 %d rows', m);
  % The host's floor: what Octave takes to make an output of the same size
  % (penval's is 1-by-1: a builtin call on a small vector is its floor).
  small = [1 2 3 4];
  call = {@() sum (small), 'sum of 4 values'};
  cases = bench_case ('penval', size3, @() penval (X, D, Lb, Ub, w, t), ...
                      @() penval_octave (X, D, Lb, Ub, w, t), call);
  cases(end+1) = bench_case ('penslope', size3, @() penslope (X, D, Lb, Ub, w, t), ...
                             @() penslope_octave (X, D, Lb, Ub, w, t), ...
                             {@() zeros (3, n), sprintf('zeros (3, %d)', n)});
  out = {@() zeros (m, 1), sprintf('zeros (%d, 1)', m)};
  cases(end+1) = bench_case ('linkdev', size1, @() linkdev (X, D), @() linkdev_octave (X, D), out);
  cases(end+1) = bench_case ('ceilgap', size1, @() ceilgap (X, Ub), @() ceilgap_octave (X, Ub), out);
  cases(end+1) = bench_case ('floorgap', size1, @() floorgap (X, Lb), ...
                             @() floorgap_octave (X, Lb), out);
  % A tiny call, whose time is the boundary between host and plug-in alone.
  x2 = [0 3; 0 4];
  cases(end+1) = bench_case ('penval', 'd=2 n=2 1 row each', ...
                             @() penval (x2, [1 2 4], [1 2 6 1], [1 2 4 0], w, t), ...
                             @() penval_octave (x2, [1 2 4], [1 2 6 1], [1 2 4 0], w, t), call, 0);
end

% Rows naming random pairs of distinct points, targets or bounds between half
% and one and a half times the pair's distance, type codes drawn from codes.
function T = table (X, m, codes)
  n = columns (X);
  i = randi (n, m, 1);
  j = mod (i - 1 + randi (n - 1, m, 1), n) + 1;
  q = sqrt (sum ((X(:,i) - X(:,j)) .^ 2, 1))' .* (0.5 + rand (m, 1));
  T = [i, j, q];
  if (! isempty (codes))
    T(:,4) = codes(randi (numel (codes), m, 1))';
  end
end

% ---- What a user would write in Octave -------------------------------------

function g = gaps (X, T)
  g = T(:,3) - sqrt (sum ((X(:,T(:,1)) - X(:,T(:,2))) .^ 2, 1))';
end

function f = penval_octave (X, D, Lb, Ub, w, t)
  gL = gaps (X, Lb);
  gU = gaps (X, Ub);
  cL = fix (Lb(:,4));
  cU = fix (Ub(:,4));
  wL = w(2) * (t(4) * (cL == 1) + t(3) * (cL == -2));
  wU = w(3) * ((cU >= 0) + t(1) * (cU == -1) + t(2) * (cU == -2));
  f = w(1) * sum (gaps (X, D) .^ 2) + sum (wL .* max (gL, 0) .^ 2) ...
      + sum (wU .* min (gU, 0) .^ 2) + w(4) * sum (X(:) .^ 2);
end

function G = penslope_octave (X, D, Lb, Ub, w, t)
  cL = fix (Lb(:,4));
  cU = fix (Ub(:,4));
  sL = 2 * w(2) * (t(4) * (cL == 1) + t(3) * (cL == -2));
  sU = 2 * w(3) * ((cU >= 0) + t(1) * (cU == -1) + t(2) * (cU == -2));
  G = 2 * w(4) * X;
  G = G + pull (X, D, 2 * w(1) * ones (rows (D), 1), true (rows (D), 1));
  G = G + pull (X, Lb, sL, Lb(:,3) > dists (X, Lb));
  G = G + pull (X, Ub, sU, Ub(:,3) < dists (X, Ub));
end

function r = dists (X, T)
  r = sqrt (sum ((X(:,T(:,1)) - X(:,T(:,2))) .^ 2, 1))';
end

% The rows' contributions s*(xi - xj)*(1 - q/dist), added to point i and
% taken from point j.
function G = pull (X, T, s, on)
  [d, n] = size (X);
  i = T(on,1);
  j = T(on,2);
  dif = X(:,i) - X(:,j);
  F = 1 - T(on,3)' ./ sqrt (sum (dif .^ 2, 1));
  V = dif .* (s(on)' .* F);
  G = zeros (d, n);
  for k = 1:d
    G(k,:) = accumarray (i, V(k,:)', [n 1])' - accumarray (j, V(k,:)', [n 1])';
  end
end

function e = linkdev_octave (X, D)
  e = abs (gaps (X, D));
  e(e <= 0.01) = 0;
end

function e = ceilgap_octave (X, Ub)
  e = max (-gaps (X, Ub), 0);
end

function e = floorgap_octave (X, Lb)
  e = max (gaps (X, Lb), 0);
end
