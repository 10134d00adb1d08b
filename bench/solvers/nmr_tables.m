function [tab, minSeparation, planted] = nmr_tables (X, seed, fraction, outliers)
%NMR_TABLES NMR-like distance tables of a known structure, with planted outliers
%   [tab, minSeparation, planted] = nmr_tables (X, seed)
%   [tab, minSeparation, planted] = nmr_tables (X, seed, fraction, outliers)
%
%   X is a 3-by-n structure in angstroms. The tables are those of
%   PROTEIN_TABLES (X, 'nmr', seed, false), made without an n-by-n matrix
%   so that structures of 20,000 atoms and more fit:
%     D   the exact distance of every pair closer than 2.6 (bond lengths
%         and angles fix those);
%     Lb, Ub  a random FRACTION (default 0.3) of the pairs from 2.6 to 6,
%         bounded below and above by their distance less and plus up to
%         20% of it (lower bound type 1, upper bound type 0);
%   and minSeparation = 2.5 for every other pair (dgsolve's option).
%   OUTLIERS (default 0) is the fraction of the restraints (distance rows
%   and bounded pairs) made wrong by +50%: a distance row's target, or a
%   bounded pair's two bounds, times 1.5. planted: struct with logical
%   columns D and Lb marking the rows that the known structure then
%   violates (the distance rows and lower bounds so moved; a moved upper
%   bound only loosens).
%   SEED seeds the random numbers (the caller's are restored).
%
%   Example:
%     X = pdb_heavy_atoms ('examples/data/1hel.pdb');
%     [tab, s, planted] = nmr_tables (X, 1, 0.3, 0.05);
%
%   See also PROTEIN_TABLES, BENCH_DGSOLVE.
  if (nargin < 3 || isempty (fraction))
    fraction = 0.3;
  end
  if (nargin < 4 || isempty (outliers))
    outliers = 0;
  end
  saved = rng ();
  restore = onCleanup (@() rng (saved));
  rng (seed);
  [I, J, d] = close_pairs (X, 6);
  exact = d < 2.6;
  tab.D = [I(exact), J(exact), d(exact)];
  pick = find (~exact);
  pick = pick(rand (numel (pick), 1) < fraction);
  dp = d(pick);
  m = numel (pick);
  tab.Lb = [I(pick), J(pick), dp .* (1 - 0.2 * rand(m, 1)), ones(m, 1)];
  tab.Ub = [I(pick), J(pick), dp .* (1 + 0.2 * rand(m, 1)), zeros(m, 1)];
  minSeparation = 2.5;
  planted = struct ('D', false (size (tab.D, 1), 1), 'Lb', false (m, 1));
  if (outliers > 0)
    mD = size (tab.D, 1);
    wrong = randperm (mD + m, round (outliers * (mD + m)));
    inD = wrong(wrong <= mD);
    inB = wrong(wrong > mD) - mD;
    tab.D(inD, 3) = 1.5 * tab.D(inD, 3);
    tab.Lb(inB, 3) = 1.5 * tab.Lb(inB, 3);
    tab.Ub(inB, 3) = 1.5 * tab.Ub(inB, 3);
    planted.D(inD) = true;
    planted.Lb(inB) = true;
  end
end

function [I, J, d] = close_pairs (X, r)
  % The pairs i < j closer than r, a block of points against all at a
  % time (squared distances as pairsq sums them: coordinate by coordinate).
  n = size (X, 2);
  block = max (1, floor (2e7 / n));
  I = cell (0, 1);  J = I;  d = I;
  for c0 = 1:block:n
    cols = c0:min (n, c0 + block - 1);
    Q = zeros (n, numel (cols));
    for k = 1:size (X, 1)
      Q = Q + (X(k, :)' - X(k, cols)) .^ 2;
    end
    [i, j] = find (Q < r * r);
    j = cols(j)';
    keep = i < j;
    I{end + 1} = i(keep);  J{end + 1} = j(keep);
    d{end + 1} = sqrt (Q(sub2ind (size (Q), i(keep), j(keep) - c0 + 1)));
  end
  I = cat (1, I{:});  J = cat (1, J{:});  d = cat (1, d{:});
end
