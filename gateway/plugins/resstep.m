function s = resstep (Gt, Ht, count, col, b, At, Bt)
%RESSTEP sums of the exact step of a fit along a direction, over samples grouped by row
%   s = resstep (Gt, Ht, count, col, b, At, Bt)
%
%   The samples (count, col, b) and the fit Gt.' * Ht are those of RESPROD;
%   At and Bt, of the sizes of Gt and Ht, are a direction. Along it the fit
%   (Gt + t*At).' * (Ht + t*Bt) has at each sample the residual
%     e + t*p1 + t^2*p2,
%   e the residual of the fit, p1 = At_i.'*Ht_j + Gt_i.'*Bt_j and
%   p2 = At_i.'*Bt_j (each dot product summed as the fit's), so that
%   1/2 sum (residual.^2) is a quartic in t whose coefficients come from
%     s = [e.e, e.p1, p1.p1, e.p2, p1.p2, p2.p2]
%   (sums over all samples). s(1) is the squared residual of the fit.
%
%   The rows are taken in blocks of consecutive rows (64 rows, or m/1024
%   rounded up where that is more): each block's six sums run from 0 over
%   its samples in order, and s adds the blocks' in block order, from 0.
%   The result does not depend on the number of threads.
%
%   Inputs: Gt, Ht, count, col, b as for RESPROD; At k-by-m and Bt k-by-n
%   (real, full double).
%   Output: s, 1-by-6.
%
%   Errors (identifier resstep:<reason>): those of RESPROD (7 inputs here),
%   and sizeMismatch when At is not the size of Gt or Bt that of Ht.
%
%   Example:
%     Gt = [1 2];  Ht = [3 4 5];
%     s = resstep (Gt, Ht, uint32 ([2 1]), uint32 ([1 3 2]), [1 2 3], [1 1], [0 1 0])
%     % [38 51 70 5 6 1]
%
%   See also RESPROD, ROWGRAM, OBSPROD, LRCOMPLETE.
error ('resstep:notBuilt', 'resstep: the compiled plug-in is missing; build the toolbox first (see README)');
end

% The six sums against the residual along the direction, at random.
%!test
%! randn ('state', 3);
%! Gt = randn (3, 5);  Ht = randn (3, 4);  At = randn (3, 5);  Bt = randn (3, 4);
%! [I, J] = find (rand (5, 4) < 0.7);
%! [~, k] = sortrows ([I J]);  I = I(k);  J = J(k);
%! b = randn (1, numel (I));
%! dot = @(X, Y) sum (X(:, I) .* Y(:, J), 1);
%! e = dot (Gt, Ht) - b;  p1 = dot (At, Ht) + dot (Gt, Bt);  p2 = dot (At, Bt);
%! s = resstep (Gt, Ht, uint32 (accumarray (I, 1, [5 1])), uint32 (J), b, At, Bt);
%! assert (s, [e*e.', e*p1.', p1*p1.', e*p2.', p1*p2.', p2*p2.'], 1e-12);

% Rank 0: s(1) is the sum of the squared values; no samples: zeros.
%!assert (resstep (zeros (0, 2), zeros (0, 2), uint32 ([1 1]), uint32 ([2 1]), [3 4], zeros (0, 2), zeros (0, 2)), [25 0 0 0 0 0])
%!assert (resstep ([1 2], [3 4], uint32 ([0 0]), uint32 ([]), [], [1 1], [1 1]), zeros (1, 6))

%!error <Bt is 1-by-2; it must be the size of Ht \(1-by-3\)> resstep ([1 2], [3 4 5], uint32 ([2 1]), uint32 ([1 3 2]), [1 2 3], [1 1], [0 1])
