function P = lrprecond (p, G, H, lambda)
%LRPRECOND the block preconditioner of lrcomplete: each row's and column's normal matrix
%   P = lrprecond (p, G, H, lambda)
%   The Hessian of the objective with respect to row i of G alone is
%     N_i = sum of H(j,:).' * H(j,:) over the samples (i, j) + lambda*I,
%   and likewise for each row of H. P holds the Cholesky factors of all of
%   them (lrprecondition applies their inverses): in the metric they make,
%   a step treats every row as alternating least squares would, so the
%   rate of the method depends neither on how well the matrix is
%   conditioned nor on how unevenly the rows and columns are sampled. The
%   sums are one sparse product each: the pattern (ones in p.R, p.Rt) times
%   the r(r+1)/2 distinct products of pairs of columns of the factor.
%   P.TG, P.TH: changes of basis of the factors since the build (see
%   lrbalance), identity here.
  r = size (G, 2);
  ones_L = ones (1, p.L);
  nzfill (p.R, ones_L, p.L);
  nzfill (p.Rt, ones_L, p.L);
  clear ones_L;
  P.CG = cholesky (p.Rt.' * pair_products (H), r, lambda);
  P.CH = cholesky (p.R.' * pair_products (G), r, lambda);
  P.TG = eye (r);
  P.TH = eye (r);
end

function K = pair_products (F)
  % K(:, c) = F(:, a) .* F(:, b) for the pairs a >= b in packed order.
  r = size (F, 2);
  K = zeros (size (F, 1), r * (r + 1) / 2);
  c = 0;
  for b = 1:r
    for a = b:r
      c = c + 1;
      K(:, c) = F(:, a) .* F(:, b);
    end
  end
end

function C = cholesky (C, r, lambda)
  % The lower Cholesky factors of the r-by-r matrices whose packed lower
  % triangles are the rows of C, all at once and in place, plus lambda on
  % the diagonal and a shift of 1e-9 of the mean diagonal (so that a row
  % with fewer samples than r, whose matrix is singular, still has a
  % factor; its gradient has no part along the null space).
  idx = lrpacked (r);
  d = idx(sub2ind ([r r], 1:r, 1:r));
  shift = lambda + 1e-9 * sum (C(:, d), 2) / max (r, 1) + realmin;
  for j = 1:r
    s = C(:, d(j)) + shift;
    for k = 1:j - 1
      s = s - C(:, idx(j, k)) .^ 2;
    end
    C(:, d(j)) = sqrt (max (s, shift));
    for i = j + 1:r
      s = C(:, idx(i, j));
      for k = 1:j - 1
        s = s - C(:, idx(i, k)) .* C(:, idx(j, k));
      end
      C(:, idx(i, j)) = s ./ C(:, d(j));
    end
  end
end
