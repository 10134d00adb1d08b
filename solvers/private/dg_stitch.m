function [X, fit] = dg_stitch (m, patches, cores, Y)
%DG_STITCH patches solved apart, moved into one frame
%   [X, fit] = dg_stitch (m, patches, cores, Y)
%   patches{k}: point numbers (1 to m) of patch k, cores{k} its core (see
%   DG_PATCHES), Y{k}: the patch's coordinates, one column per point, in
%   a frame of its own. The largest patch sets the frame; then, again and
%   again, the patch sharing the most points with those placed is moved
%   onto them by the rotation (or reflection: each patch may have come out
%   as the mirror image) and shift that fit the shared points best. Each
%   point keeps its place from the patch whose core holds it. fit(k): the
%   RMS distance between patch k's shared points and where they were
%   (0 for the first), a measure of how well the patches agree.
  K = numel (patches);
  dim = size (Y{1}, 1);
  X = zeros (dim, m);
  placed = false (1, m);
  done = false (1, K);
  fit = zeros (1, K);
  [~, k] = max (cellfun (@numel, patches));
  X(:, patches{k}) = Y{k};
  placed(patches{k}) = true;
  done(k) = true;
  for step = 2:K
    shared = zeros (1, K);
    for c = find (~done)
      shared(c) = nnz (placed(patches{c}));
    end
    shared(done) = -1;
    [~, k] = max (shared);
    p = patches{k};
    common = placed(p);
    [Z, fit(k)] = superpose_onto (Y{k}, common, X(:, p(common)));
    % Points new to the frame, and those of this patch's core, take their
    % place from it (a core is where a patch is best determined).
    take = ~common | cores{k};
    X(:, p(take)) = Z(:, take);
    placed(p) = true;
    done(k) = true;
  end
end

function [Z, rmsd] = superpose_onto (Y, common, T)
  % Y moved by the orthogonal map and shift that bring Y(:, common) closest
  % to T (least squares, reflection allowed).
  A = Y(:, common);
  if (size (A, 2) < 2)
    Z = Y - mean (A, 2) + mean (T, 2);
    rmsd = 0;
    return;
  end
  ca = mean (A, 2);  ct = mean (T, 2);
  [U, ~, V] = svd ((T - ct) * (A - ca)');
  R = U * V';
  Z = R * (Y - ca) + ct;
  rmsd = sqrt (sum (sum ((Z(:, common) - T) .^ 2)) / nnz (common));
end
