function [X, fit] = dg_stitch (m, patches, cores, Y)
%DG_STITCH patches solved apart, moved into one frame all at once
%   [X, fit] = dg_stitch (m, patches, cores, Y)
%   patches{k}: point numbers (1 to m) of patch k, cores{k} its core (see
%   DG_PATCHES), Y{k}: the patch's coordinates, one column per point, in
%   a frame of its own. Each patch is moved by an orthogonal map (rotation
%   or reflection: each patch may have come out as the mirror image) and a
%   shift; each point is then the weighted mean of its places in the
%   patches that hold it. fit(k): the RMS distance between patch k's
%   points that other patches share and their places in X, a measure of
%   how well the patch agrees with the others.
%
%   The maps are found for all patches together, not one after another
%   (where one patch fitted wrongly would carry its error into every patch
%   fitted onto it later):
%   1. every two patches that share at least MINSHARED points are fitted
%      onto each other (least squares over the shared points); the RMS
%      misfit r of that fit says how far the two agree;
%   2. the orthogonal parts: the patches' maps R_k are those that best
%      agree with all the pair fits at once, R_i' R_j = R_ij, each pair
%      weighed by its shared points times (1 + (r/c)^2)^-2 (c twice the
%      median misfit): the dim leading eigenvectors of the matrix of
%      weighed pair fits, each dim-by-dim block taken to the nearest
%      orthogonal matrix (synchronisation of the frames);
%   3. the shifts: least squares over the pairs, given the R_k;
%   4. refinement: each point at the weighted mean of its places, each
%      patch then fitted onto those means, a few times; a point's weight
%      in a patch falls as (1 + (e/c)^2)^-2 with its distance e from the
%      mean, so that a patch caught in a wrong fold, or wrong in part,
%      loses its say where the others disagree with it.
%   Patches that no chain of such pairs joins (groups of patches) keep
%   their relative places from any points they share, else are set side
%   by side along the first axis; the descents that follow place them.
%   Work: one fit per pair of overlapping patches and a few sweeps over
%   the patches' points; memory linear in the points of the patches (the
%   matrix of step 2 is sparse above 300 patches).
  K = numel (patches);
  dim = size (Y{1}, 1);
  fit = zeros (1, K);
  sizes = cellfun (@numel, patches);
  sizes = sizes(:)';
  pt = [patches{:}]';
  ball = repelem (1:K, sizes)';
  first = cumsum ([1, sizes]);
  own = @(k) first(k):first(k + 1) - 1;        % patch k's entries of pt
  Yall = [Y{:}];
  core = logical ([cores{:}]');
  if (K == 1)
    X = zeros (dim, m);
    X(:, pt) = Yall;
    return;
  end

  % 1. Pair fits.
  minShared = dim + 1;
  M = sparse (pt, ball, 1:numel (pt), m, K);   % entry: where in pt
  B = spones (M);
  [I, J, count] = find (triu (B' * B, 1));
  I = I(:);  J = J(:);  count = count(:);
  rigid = count >= minShared;
  E = numel (I);
  Rij = repmat (eye (dim), [1, 1, E]);
  ci = zeros (dim, E);  cj = zeros (dim, E);
  res = zeros (E, 1);
  for e = 1:E
    both = find (M(:, I(e)) & M(:, J(e)));
    a = Yall(:, full (M(both, I(e))));
    b = Yall(:, full (M(both, J(e))));
    ci(:, e) = mean (a, 2);  cj(:, e) = mean (b, 2);
    if (rigid(e))
      [U, ~, V] = svd ((a - ci(:, e)) * (b - cj(:, e))');
      Rij(:, :, e) = U * V';
      res(e) = sqrt (mean (sum ((Rij(:, :, e) * (b - cj(:, e)) + ci(:, e) - a) .^ 2, 1)));
    end
  end
  spread = sqrt (mean (sum ((Yall - mean (Yall, 2)) .^ 2, 1)));
  c = max (1e-6 * spread, realmin);
  if (any (rigid))
    c = max (2 * median (res(rigid)), c);
  end
  w = count .* rigid ./ (1 + (res / c) .^ 2) .^ 2;

  % 2. The orthogonal parts, group by group of patches joined by rigid
  % pairs.
  R = repmat (eye (dim), [1, 1, K]);
  group = groups_of (K, I(rigid), J(rigid));
  for gk = 1:max (group)
    members = find (group == gk);
    if (numel (members) > 1)
      R(:, :, members) = synchronise (members, I, J, Rij, w, dim);
    end
  end

  % 3. The shifts, over every pair that shares a point (a pair that
  % shares too few for a fit of its own still fixes the shift).
  T = shifts (K, I, J, R, ci, cj, max (w, count .* ~rigid * 1e-3), dim, Yall, own);

  % 4. Refinement.
  base = 0.5 + 0.5 * core;
  weight = base;
  scale = Inf;
  for sweep = 1:15
    [X, Z] = means (m, pt, ball, R, T, Yall, weight, dim, K, own);
    err = sqrt (sum ((Z - X(:, pt)) .^ 2, 1))';
    scale = max (c, min (scale / 2, 2 * sqrt (mean (err .^ 2))));
    weight = max (base ./ (1 + (err / scale) .^ 2) .^ 2, 1e-12);
    for k = 1:K
      q = own (k);
      [R(:, :, k), T(:, k)] = weighted_fit (Yall(:, q), X(:, pt(q)), weight(q)');
    end
  end
  [X, Z] = means (m, pt, ball, R, T, Yall, weight, dim, K, own);
  % fit(k): over the points of patch k that other patches hold too.
  shared = accumarray (pt, 1, [m, 1]);
  shared = shared(pt) > 1;
  err2 = sum ((Z - X(:, pt)) .^ 2, 1)';
  fit = sqrt (accumarray (ball, err2 .* shared, [K, 1]) ./ max (accumarray (ball, shared, [K, 1]), 1))';
end

function group = groups_of (K, I, J)
  % The groups of patches that the pairs I-J join (numbers 1, 2, ...).
  A = sparse ([I; J; (1:K)'], [J; I; (1:K)'], 1, K, K);
  [p, ~, r] = dmperm (A);
  group = zeros (1, K);
  group(p) = repelem (1:numel (r) - 1, diff (r));
end

function R = synchronise (members, I, J, Rij, w, dim)
  % The maps R_k (dim-by-dim orthogonal, k in MEMBERS) that best agree
  % with R_i' R_j = Rij over the weighed pairs among them: the leading
  % eigenvectors of the degree-normalised matrix of blocks w Rij.
  K = numel (members);
  local = zeros (max ([members(:); I; J]), 1);
  local(members) = 1:K;
  in = local(I) > 0 & local(J) > 0 & w > 0;
  a = local(I(in));  b = local(J(in));  we = w(in);  Re = Rij(:, :, in);
  [bi, bj] = ndgrid (1:dim, 1:dim);
  E = numel (a);
  rows = (a' - 1) * dim + bi(:);             % dim^2-by-E
  cols = (b' - 1) * dim + bj(:);
  vals = reshape (Re, dim * dim, E) .* we';
  H = sparse ([rows(:); cols(:)], [cols(:); rows(:)], [vals(:); vals(:)], dim * K, dim * K);
  degree = accumarray ([a; b], [we; we], [K, 1]);
  s = repelem (1 ./ sqrt (max (degree, realmin)), dim);
  N = spdiags (s, 0, dim * K, dim * K) * H * spdiags (s, 0, dim * K, dim * K);
  N = (N + N') / 2;                          % symmetric to the last bit
  if (dim * K > 3000)
    % Too many patches for a dense eigenproblem (and on long chains of
    % patches the leading eigenvalues lie too close for eigs): the maps
    % along a spanning tree of the heaviest pairs; the refinement after
    % spreads what error they carry.
    R = along_tree (K, a, b, we, Re, dim);
    return;
  end
  [V, L] = eig (full (N));
  [~, order] = sort (diag (L), 'descend');
  V = V(:, order(1:dim)) .* s;
  R = zeros (dim, dim, K);
  for k = 1:K
    [U, ~, W] = svd (V((k - 1) * dim + (1:dim), :));
    R(:, :, k) = (U * W')';                 % the nearest orthogonal matrix
  end
end

function R = along_tree (K, a, b, w, Rij, dim)
  % The maps R_k that meet R_a' R_b = Rij exactly over a spanning tree of
  % the pairs, the heaviest first (Kruskal's); the patch of each tree
  % keeps the identity.
  [~, order] = sort (w, 'descend');
  root = 1:K;
  tree = false (numel (a), 1);
  for e = order(:)'
    ra = find_root (root, a(e));  rb = find_root (root, b(e));
    if (ra ~= rb)
      root(ra) = rb;
      tree(e) = true;
    end
  end
  A = sparse ([a(tree); b(tree)], [b(tree); a(tree)], [find(tree); -find(tree)], K, K);
  R = repmat (eye (dim), [1, 1, K]);
  done = false (1, K);
  for start = 1:K
    if (done(start))
      continue;
    end
    done(start) = true;
    queue = start;
    while (~isempty (queue))
      i = queue(1);
      queue(1) = [];
      [js, ~, es] = find (A(:, i));
      for q = 1:numel (js)
        j = js(q);
        if (~done(j))
          e = abs (es(q));
          if (es(q) > 0)            % (j, i) = (a, b): R_a = R_b Rij'
            R(:, :, j) = R(:, :, i) * Rij(:, :, e)';
          else                      % (j, i) = (b, a): R_b = R_a Rij
            R(:, :, j) = R(:, :, i) * Rij(:, :, e);
          end
          done(j) = true;
          queue(end + 1) = j;
        end
      end
    end
  end
end

function r = find_root (root, k)
  while (root(k) ~= k)
    k = root(k);
  end
  r = k;
end

function T = shifts (K, I, J, R, ci, cj, w, dim, Yall, own)
  % The shifts t_k that best agree with R_i ci + t_i = R_j cj + t_j
  % (the shared points' centres) over the pairs, weighed by w; one shift
  % per group of patches that no pair joins is free: such a group is
  % set beside the others along the first axis.
  E = numel (I);
  rhs = zeros (E, dim);
  for e = 1:E
    rhs(e, :) = (R(:, :, J(e)) * cj(:, e) - R(:, :, I(e)) * ci(:, e))';
  end
  use = w > 0;
  A = sparse ([1:E, 1:E]', [I; J], [ones(E, 1); -ones(E, 1)], E, K);
  A = A(use, :);  rhs = rhs(use, :);  w = w(use);
  Lap = A' * spdiags (w, 0, numel (w), numel (w)) * A;
  b = A' * (w .* rhs);
  group = groups_of (K, I(use), J(use));
  heads = zeros (1, max (group));
  for gk = 1:max (group)
    heads(gk) = find (group == gk, 1);
  end
  % One patch of each group keeps its shift 0 (its place relative to the
  % others comes below).
  Lap(heads, :) = 0;
  Lap(:, heads) = 0;
  Lap(sub2ind ([K, K], heads, heads)) = 1;
  b(heads, :) = 0;
  T = (Lap \ b)';
  edge = -Inf;
  for gk = 1:max (group)
    members = find (group == gk);
    lo = Inf;  hi = -Inf;
    for k = members
      x = R(1, :, k) * Yall(:, own (k)) + T(1, k);
      lo = min (lo, min (x));  hi = max (hi, max (x));
    end
    if (gk > 1)
      T(1, members) = T(1, members) + edge + 2 - lo;
      hi = hi + edge + 2 - lo;
    end
    edge = max (edge, hi);
  end
end

function [X, Z] = means (m, pt, ball, R, T, Yall, weight, dim, K, own)
  % Each patch's points moved into the frame (Z) and each point at the
  % weighted mean of its places (X).
  Z = zeros (dim, numel (pt));
  for k = 1:K
    q = own (k);
    Z(:, q) = R(:, :, k) * Yall(:, q) + T(:, k);
  end
  total = accumarray (pt, weight, [m, 1])';
  X = zeros (dim, m);
  for d = 1:dim
    X(d, :) = accumarray (pt, weight .* Z(d, :)', [m, 1])';
  end
  X = X ./ max (total, realmin);
end

function [R, t] = weighted_fit (A, T, w)
  % The orthogonal map and shift that bring A closest to T, each point
  % weighed by w (least squares, reflection allowed).
  if (~(sum (w) > 0))
    w = ones (size (w));
  end
  ca = (A * w') / sum (w);  ct = (T * w') / sum (w);
  [U, ~, V] = svd (((T - ct) .* w) * (A - ca)');
  R = U * V';
  t = ct - R * ca;
end
