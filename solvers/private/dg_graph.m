function g = dg_graph (n, D, Lb, Ub, named, dim)
%DG_GRAPH the pairs that the tables hold together, their pieces and loose points
%   g = dg_graph (n, D, Lb, Ub, named, dim)
%   D, Lb, Ub: the rows that take part (a weight above zero, two different
%   points); NAMED: sorted keys (i-1)*n+j, i < j, of every pair any row
%   names. Fields of g:
%     edges   one row [i j lower upper] per pair (i < j) with a distance or
%             an upper bound: upper the least of them, lower the greatest
%             distance or lower bound of that pair (0 where none);
%     named   NAMED;
%     label   1-by-n number of the piece each point is in;
%     pieces  cell of point lists (rows), one per piece, largest first;
%     loose   points with fewer than dim partners in edges: the tables
%             leave them free to move.
  key = @(T) (min (T(:, 1), T(:, 2)) - 1) * n + max (T(:, 1), T(:, 2));
  [keys, ~, slot] = unique ([key(D); key(Ub)]);
  upper = accumarray (slot, [D(:, 3); Ub(:, 3)], [numel(keys), 1], @min);
  lower = zeros (numel (keys), 1);
  lowRows = [D(:, 1:3); Lb(:, 1:3)];
  [hit, where] = ismember (key (lowRows), keys);
  if (any (hit))
    lower = max (lower, accumarray (where(hit), lowRows(hit, 3), [numel(keys), 1], @max));
  end
  i = floor ((keys - 1) / n) + 1;
  j = keys - (i - 1) * n;
  g.edges = [i, j, lower, upper];
  g.named = named;

  % Pieces: the blocks of the pair graph (dmperm finds them in any host).
  A = sparse ([i; j; (1:n)'], [j; i; (1:n)'], 1, n, n);
  [p, ~, r] = dmperm (A);
  sizes = diff (r);
  [~, order] = sort (sizes, 'descend');
  block = zeros (1, n);
  block(p) = repelem (1:numel (sizes), sizes);
  rank = zeros (1, numel (sizes));
  rank(order) = 1:numel (sizes);
  g.label = rank(block);
  [~, byPiece] = sort (g.label);            % stable: points in order
  g.pieces = mat2cell (byPiece, 1, sizes(order));
  partners = accumarray ([i; j], 1, [n, 1]);
  g.loose = find (partners' < dim);
end
