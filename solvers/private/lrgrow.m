function [Gt, Ht, added] = lrgrow (p, Gt, Ht, r, seed)
%LRGROW new components of the fit from the leading singular vectors of its residual
%   [Gt, Ht, added] = lrgrow (p, Gt, Ht, r, seed)
%   The residual's sparse matrix, scaled by m*n/L (so that, sampled
%   uniformly, it estimates the whole matrix less the fit), gives its
%   leading singular triplets by subspace iteration from a seeded random
%   block (lrrandn). Those within 30% of the first (at least one, at most
%   r less the present rank) join Gt and Ht as new rows, scaled by
%   the square roots of the singular values and then all by one factor
%   that fits the residual best. From a fit of rank 0 with a well
%   conditioned matrix this adds all r at once (the classical spectral
%   start); with singular values spread over decades, a few at a time, the
%   largest first, each fitted before the next are looked for.
  m = p.m;  n = p.n;  k = size (Gt, 1);
  room = min (r, min (m, n)) - k;
  if (room <= 0)
    added = 0;
    return;
  end
  block = min ([room + 5, m - k, n - k]);
  % R = -(m*n/L) E, E the sparse matrix of the residual of the fit (the
  % fit less the samples), enters through its products with thin matrices
  % (RESPROD over the samples grouped by row for R*X, by column for R.'*Y).
  scale = -m * n / p.L;
  RX = @(X) resprod (Gt, Ht, p.cnt, p.col, p.b, X.').' * scale;
  RtY = @(Y) resprod (Ht, Gt, p.cntT, p.colT, p.bT, Y.').' * scale;
  Q = orth_cols (RX (lrrandn (seed, n, block)));
  for sweep = 1:4
    Q = orth_cols (RX (orth_cols (RtY (Q))));
  end
  % The residual on Q's range is Q*W, W = Q.'*R; W.' = Pw*Tw (thin QR).
  [Pw, Tw] = qr (RtY (Q), 0);
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
  % The multiple c of the new components that fits the residual e best:
  % with q their product at the samples, c = -(e.q)/(q.q), the sums of
  % RESSTEP along the direction (new components alone) of the fit padded
  % with zero components.
  sums = resstep ([Gt; zeros(added, m)], [Ht; zeros(added, n)], p.cnt, p.col, p.b, ...
                  [zeros(k, m); Gn.'], [zeros(k, n); Hn.']);
  c = -sums(4) / sums(6);
  if (c > 0 && isfinite (c))
    Gn = Gn * sqrt (c);
    Hn = Hn * sqrt (c);
  end
  Gt = [Gt; Gn.'];
  Ht = [Ht; Hn.'];
end

function Q = orth_cols (A)
  [Q, ~] = qr (A, 0);
end
