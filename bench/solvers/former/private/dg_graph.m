function g = dg_graph (n, D, Lb, Ub, o)
%DG_GRAPH the pairs that the tables hold together, their pieces and loose points
%   g = dg_graph (n, D, Lb, Ub, o)
%   A row counts only where penval gives it a weight above zero (o.w, o.t
%   and its truncated type code). Fields of g:
%     edges   one row [i j lower upper] per pair (i < j) with a distance or
%             an upper bound: upper the least of them, lower the greatest
%             distance or lower bound of that pair (0 where none);
%     named   sorted keys (i-1)*n+j, i < j, of every pair any table names;
%     label   1-by-n number of the piece each point is in;
%     pieces  cell of point lists, one per piece, largest first;
%     loose   points with fewer than o.dim partners in edges: the tables
%             leave them free to move.
  w = o.w;  t = o.t;
  typeLb = fix (Lb(:, 4));
  typeUb = fix (Ub(:, 4));
  weightLb = w(2) * (t(4) * (typeLb == 1) + t(3) * (typeLb == -2));
  weightUb = w(3) * ((typeUb >= 0) + t(1) * (typeUb == -1) + t(2) * (typeUb == -2));
  useD = D(w(1) > 0 & D(:, 1) ~= D(:, 2), :);
  useLb = Lb(weightLb > 0 & Lb(:, 1) ~= Lb(:, 2), :);
  useUb = Ub(weightUb > 0 & Ub(:, 1) ~= Ub(:, 2), :);

  key = @(T) (min (T(:, 1), T(:, 2)) - 1) * n + max (T(:, 1), T(:, 2));
  upKeys = [key(useD); key(useUb)];
  [keys, ~, slot] = unique (upKeys);
  upper = accumarray (slot, [useD(:, 3); useUb(:, 3)], [numel(keys), 1], @min);
  lower = zeros (numel (keys), 1);
  lowRows = [useD(:, 1:3); useLb(:, 1:3)];
  [hit, where] = ismember (key (lowRows), keys);
  if (any (hit))
    lower = max (lower, accumarray (where(hit), lowRows(hit, 3), [numel(keys), 1], @max));
  end
  i = floor ((keys - 1) / n) + 1;
  j = keys - (i - 1) * n;
  g.edges = [i, j, lower, upper];
  g.named = unique ([key(D); key(Lb); key(Ub)]);

  % Pieces: the blocks of the pair graph (dmperm finds them in any host).
  A = sparse ([i; j; (1:n)'], [j; i; (1:n)'], 1, n, n);
  [p, ~, r] = dmperm (A);
  sizes = diff (r);
  [~, order] = sort (sizes, 'descend');
  g.label = zeros (1, n);
  g.pieces = cell (1, numel (sizes));
  for k = 1:numel (order)
    b = order(k);
    members = sort (p(r(b):r(b + 1) - 1));
    g.pieces{k} = members;
    g.label(members) = k;
  end
  partners = accumarray ([i; j], 1, [n, 1]);
  g.loose = find (partners' < o.dim);
end
