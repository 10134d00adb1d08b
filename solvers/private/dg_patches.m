function [patches, cores] = dg_patches (m, e, size0, centre)
%DG_PATCHES overlapping patches of a large piece, each small enough to embed whole
%   [patches, cores] = dg_patches (m, e, size0)
%   [patches, cores] = dg_patches (m, e, size0, centre)
%   m points joined by the pairs e (first two columns: points 1 to m, one
%   piece). Each patch is a ball of the pair graph: the points within a
%   number of pairs of its centre, that number the least that gathers
%   size0 points. The first centre is a point at the edge of the piece
%   (the end of a longest shortest way); each next one the point farthest
%   (in pairs along the way) from the centres so far among those in no
%   ball yet, until every point is in one. A ball hangs together by its
%   making, neighbouring balls overlap, and each point belongs to the core
%   of the ball it lies deepest in (most layers from the outer one; the
%   earlier ball on a tie). A ball never takes more than 2 * size0 points
%   (a layer too wide is cut).
%   patches{k}: point numbers, sorted; cores{k}: logical, same length.
%   Work: one breadth-first search over the pairs per ball. With CENTRE,
%   the one ball around that point, its core the points not on its outer
%   layer.
  A = sparse ([e(:, 1); e(:, 2)], [e(:, 2); e(:, 1)], true, m, m);
  covered = false (m, 1);
  near = inf (m, 1);
  one = nargin > 3;
  if (~one)
    hops = search (A, 1);
    hops(isinf (hops)) = -1;
    [~, centre] = max (hops);
  end
  patches = {};
  depth = zeros (m, 0);
  while (true)
    hops = search (A, centre);
    near = min (near, hops);
    % The least radius that gathers size0 points.
    reach = sort (hops(isfinite (hops)));
    radius = reach(min (size0, numel (reach)));
    ball = hops <= radius;
    if (nnz (ball) > 2 * size0)
      % A layer too wide (a point paired with very many): the nearest
      % 2 * size0 points only, by layer, then by number.
      [~, order] = sort (hops);
      ball(order(2 * size0 + 1:end)) = false;
    end
    patches{end + 1} = find (ball)';
    covered = covered | ball;
    d = -inf (m, 1);
    d(ball) = max (hops(ball)) - hops(ball);
    depth(:, end + 1) = d;
    if (one)
      cores = {(d(ball) > 0)'};
      return;
    end
    if (all (covered))
      break;
    end
    far = near;
    far(covered) = -1;
    far(isinf (far)) = max (far(isfinite (far))) + 1;
    [~, centre] = max (far);
  end
  [~, owner] = max (depth, [], 2);
  cores = cell (size (patches));
  for k = 1:numel (patches)
    cores{k} = (owner(patches{k}) == k)';
  end
end

function hops = search (A, from)
  % Pairs along the way from point FROM to every point (Inf: unreached).
  m = size (A, 1);
  hops = inf (m, 1);
  hops(from) = 0;
  frontier = from;
  level = 0;
  while (~isempty (frontier))
    level = level + 1;
    next = find (any (A(:, frontier), 2));
    next = next(isinf (hops(next)));
    hops(next) = level;
    frontier = next;
  end
end
