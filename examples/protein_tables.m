function [tab, minSeparation] = protein_tables (X, kind, seed, allPairs)
%PROTEIN_TABLES distance tables of the two kinds a user would have for a structure
%   [tab, minSeparation] = protein_tables (X, kind, seed)
%   [tab, minSeparation] = protein_tables (X, kind, seed, allPairs)
%
%   X is a 3-by-n structure (angstroms). KIND:
%     'demo'  every pair closer than 6 is bounded below and above by its
%             distance less and plus a random amount up to 0.15 (lower
%             bound type 1, upper bound type 0); every other pair has the
%             lower bound 6 (type 1).
%     'nmr'   like an NMR experiment: the exact distance of every pair
%             closer than 2.6 (bond lengths and angles fix those); a random
%             30% of the pairs from 2.6 to 6 bounded by their distance
%             less and plus up to 20% of it; every other pair has the lower
%             bound 2.5.
%   SEED seeds the random numbers (the caller's are restored). With
%   allPairs false (default true), the lower bounds of all other pairs are
%   left out of the tables and minSeparation (6 or 2.5) is returned for
%   dgsolve's option of that name instead; with allPairs true it is 0.
%
%   tab: struct with D, Lb, Ub as penval takes them.
%
%   Example:
%     [X, atoms] = pdb_heavy_atoms ('examples/data/1hel.pdb');
%     tab = protein_tables (X, 'nmr', 1);
%
%   See also DEMO_PROTEIN, DGSOLVE.
  if (nargin < 4)
    allPairs = true;
  end
  if (~any (strcmp (kind, {'demo', 'nmr'})))
    error ('protein_tables:badKind', 'protein_tables: kind must be ''demo'' or ''nmr''');
  end
  saved = rng ();
  restore = onCleanup (@() rng (saved));
  rng (seed);
  n = size (X, 2);
  Q = pairsq (X);
  % The pairs closer than 6, found one block of columns at a time so that
  % a large structure needs no n^2 index arrays.
  I = zeros (0, 1);  J = I;  d = I;
  block = max (1, floor (1e7 / n));
  for c0 = 1:block:n
    cols = c0:min (n, c0 + block - 1);
    [i, j] = find (Q(:, cols) < 36);
    j = cols(j)';
    keep = i < j;
    I = [I; i(keep)];  J = [J; j(keep)];
  end
  d = sqrt (Q(sub2ind ([n n], I, J)));
  if (strcmp (kind, 'demo'))
    tab.D = zeros (0, 3);
    tab.Lb = [I, J, d - 0.15 * rand(size(d)), ones(size(d))];
    tab.Ub = [I, J, d + 0.15 * rand(size(d)), zeros(size(d))];
    floorValue = 6;
  else
    exact = d < 2.6;
    tab.D = [I(exact), J(exact), d(exact)];
    pick = find (~exact);
    pick = pick(rand (numel (pick), 1) < 0.3);
    dp = d(pick);
    m = numel (pick);
    tab.Lb = [I(pick), J(pick), dp .* (1 - 0.2 * rand(m, 1)), ones(m, 1)];
    tab.Ub = [I(pick), J(pick), dp .* (1 + 0.2 * rand(m, 1)), zeros(m, 1)];
    floorValue = 2.5;
  end
  minSeparation = floorValue;
  if (allPairs)
    % Every pair not bounded below yet gets the floor value.
    named = false (n);
    named(sub2ind ([n n], tab.D(:, 1), tab.D(:, 2))) = true;
    named(sub2ind ([n n], tab.Lb(:, 1), tab.Lb(:, 2))) = true;
    [i, j] = find (triu (~named, 1));
    tab.Lb = [tab.Lb; i, j, repmat(floorValue, numel (i), 1), ones(numel (i), 1)];
    minSeparation = 0;
  end
end
