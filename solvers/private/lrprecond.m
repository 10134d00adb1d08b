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
%   sums are one pass of ROWGRAM over the samples grouped by row (with H)
%   and one over them grouped by column (with G), each block packed in the
%   order of lrpacked. P.TG, P.TH: changes of basis of the factors since
%   the build (see lrbalance), identity here.
  r = size (G, 2);
  P.CG = cholesky (rowgram (H.', p.cnt, p.col), r, lambda);
  P.CH = cholesky (rowgram (G.', p.cntT, p.colT), r, lambda);
  P.TG = eye (r);
  P.TH = eye (r);
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
