function P = lrprecond (p, Gt, Ht, lambda)
%LRPRECOND the block preconditioner of lrcomplete: each row's and column's normal matrix
%   P = lrprecond (p, Gt, Ht, lambda)
%   The Hessian of the objective with respect to column i of Gt alone (the
%   factor of row i of the matrix) is
%     N_i = sum of Ht(:,j) * Ht(:,j).' over the samples (i, j) + lambda*I,
%   and likewise for each column of Ht. P holds the Cholesky factors of all
%   of them (lrprecondition applies their inverses): in the metric they
%   make, a step treats every row as alternating least squares would, so
%   the rate of the method depends neither on how well the matrix is
%   conditioned nor on how unevenly the rows and columns are sampled. The
%   sums are one pass of ROWGRAM over the samples grouped by row (with Ht)
%   and one over them grouped by column (with Gt); column i of P.CG holds
%   the packed factor of N_i, in the order of lrpacked. P.TG, P.TH: changes
%   of basis of the factors since the build (see lrbalance), identity here.
  r = size (Gt, 1);
  P.CG = cholesky (rowgram (Ht, p.cnt, p.col), r, lambda);
  P.CH = cholesky (rowgram (Gt, p.cntT, p.colT), r, lambda);
  P.TG = eye (r);
  P.TH = eye (r);
end

function C = cholesky (C, r, lambda)
  % The lower Cholesky factors of the r-by-r matrices whose packed lower
  % triangles are the columns of C, all at once and in place, plus lambda
  % on the diagonal and a shift of 1e-9 of the mean diagonal (so that a
  % row with fewer samples than r, whose matrix is singular, still has a
  % factor; its gradient has no part along the null space). The columns
  % go a few thousand at a time, so that every intermediate row stays in
  % the caches.
  idx = lrpacked (r);
  d = idx(sub2ind ([r r], 1:r, 1:r));
  piece = 4096;
  for a = 1:piece:size (C, 2)
    z = min (a + piece - 1, size (C, 2));
    C(:, a:z) = factor_columns (C(:, a:z), r, lambda, idx, d);
  end
end

function C = factor_columns (C, r, lambda, idx, d)
  shift = lambda + 1e-9 * sum (C(d, :), 1) / max (r, 1) + realmin;
  for j = 1:r
    s = C(d(j), :) + shift;
    for k = 1:j - 1
      s = s - C(idx(j, k), :) .^ 2;
    end
    C(d(j), :) = sqrt (max (s, shift));
    for i = j + 1:r
      s = C(idx(i, j), :);
      for k = 1:j - 1
        s = s - C(idx(i, k), :) .* C(idx(j, k), :);
      end
      C(idx(i, j), :) = s ./ C(d(j), :);
    end
  end
end
