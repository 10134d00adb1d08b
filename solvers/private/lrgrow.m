function [G, H, added] = lrgrow (p, e, G, H, r, seed)
%LRGROW new components of the fit from the leading singular vectors of its residual
%   [G, H, added] = lrgrow (p, e, G, H, r, seed)
%   The residual's sparse matrix, scaled by m*n/L (so that, sampled
%   uniformly, it estimates the whole matrix less the fit), gives its
%   leading singular triplets by subspace iteration from a seeded random
%   block (lrrandn). Those within 30% of the first (at least one, at most
%   r less the present rank) join G and H, their columns scaled by
%   the square roots of the singular values and then all by one factor
%   that fits the residual best. From a fit of rank 0 with a well
%   conditioned matrix this adds all r at once (the classical spectral
%   start); with singular values spread over decades, a few at a time, the
%   largest first, each fitted before the next are looked for.
  m = p.m;  n = p.n;  k = size (G, 2);
  room = min (r, min (m, n)) - k;
  if (room <= 0)
    added = 0;
    return;
  end
  block = min ([room + 5, m - k, n - k]);
  nzfill (p.R, e * (-m * n / p.L), p.L);
  Q = orth_cols (p.R * lrrandn (seed, n, block));
  for sweep = 1:4
    Q = orth_cols (p.R * orth_cols (p.R.' * Q));
  end
  % The residual on Q's range is Q*W, W = Q.'*E; W.' = Pw*Tw (thin QR).
  [Pw, Tw] = qr ((Q.' * p.R).', 0);
  [U, S, V] = svd (Tw.');
  s = diag (S);
  % Components whose singular values are within 30% of the first (the
  % first always): a well-conditioned matrix gets all r at once, one whose
  % singular values fall off steeply one component at a time, largest
  % first, each fitted before the next, smaller one is looked for.
  added = sum (s(1:room) >= 0.7 * s(1));
  root = sqrt (s(1:added)).';
  Gn = (Q * U(:, 1:added)) .* root;
  Hn = (Pw * V(:, 1:added)) .* root;
  q = obsprod (Gn.', Hn.', p.I, p.J, p.L);
  c = -(q * e.') / (q * q.');
  if (c > 0)
    Gn = Gn * sqrt (c);
    Hn = Hn * sqrt (c);
  end
  G = [G, Gn];
  H = [H, Hn];
end

function Q = orth_cols (A)
  [Q, ~] = qr (A, 0);
end
