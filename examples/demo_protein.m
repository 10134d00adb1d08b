function result = demo_protein (file, kind, opts)
%DEMO_PROTEIN recover a protein structure from distance tables with dgsolve
%   result = demo_protein ()
%   result = demo_protein (file, kind)
%   result = demo_protein (file, kind, opts)
%
%   Reads the heavy atoms of a PDB file (default: examples/data/1hel.pdb,
%   hen egg-white lysozyme, 1001 atoms), makes from the known structure the
%   distance tables of KIND (see PROTEIN_TABLES):
%     'nmr'   (default) like an NMR experiment: exact distances below 2.6,
%             30% of the pairs from 2.6 to 6 bounded within 20% of their
%             distance, a lower bound 2.5 for every other pair;
%     'demo'  every pair closer than 6 bounded within 0.15 of its
%             distance, every other pair bounded below by 6;
%   forgets the structure, solves the tables with DGSOLVE (until the
%   penalty falls to 1e-4: no row is then off by more than 0.01) and reports the
%   penalty, the violated rows and the RMSD to the known structure after
%   the best superposition. Distances cannot tell a structure from its
%   mirror image, so the superposition may reflect as well as rotate and
%   shift; the demo says which of the two fitted.
%
%   Options (fields of opts, all optional):
%     seed      seed of the tables' random numbers and of dgsolve (1)
%     allPairs  list the lower bound of every other pair in the tables
%               (true); false hands dgsolve the option minSeparation
%               instead
%     maxTime   dgsolve's time limit in seconds (Inf)
%     verbose   print progress (true)
%     png       file name for the figure ('' for none): the recovered
%               backbone (N, CA, C) over the known one, and the penalty
%               per iteration
%
%   result: file, kind, n, rows (table rows), rmsd, mirrored (the best fit
%   reflects), penalty, violations (count and largest per report), loose,
%   pieces, iterations, seconds (dgsolve's), history, reason, X (recovered,
%   superposed), Xtrue, png.
%
%   Example:
%     addpath build/toolbox solvers examples
%     r = demo_protein ('examples/data/1hel.pdb', 'nmr');
%     r.rmsd
%
%   See also DGSOLVE, PDB_HEAVY_ATOMS, PROTEIN_TABLES, DEMO_CHAIN.

  here = fileparts (mfilename ('fullpath'));
  if (nargin < 1 || isempty (file))
    file = fullfile (here, 'data', '1hel.pdb');
  end
  if (nargin < 2 || isempty (kind))
    kind = 'nmr';
  end
  o = struct ('seed', 1, 'allPairs', true, 'maxTime', Inf, 'verbose', true, 'png', '');
  if (nargin > 2)
    o = demo_options (o, opts);
  end
  say = @(varargin) o.verbose && fprintf (varargin{:});

  [Xtrue, atoms] = pdb_heavy_atoms (file);
  n = size (Xtrue, 2);
  [tab, minSep] = protein_tables (Xtrue, kind, o.seed, o.allPairs);
  [~, name] = fileparts (file);
  say ('%s: %d heavy atoms; %s tables: %d distances, %d lower bounds, %d upper bounds', ...
       name, n, kind, size (tab.D, 1), size (tab.Lb, 1), size (tab.Ub, 1));
  if (minSep > 0)
    say (', minSeparation %g', minSep);
  end
  say ('\n');

  % The known structure is forgotten here: dgsolve sees the tables alone.
  [X, info] = dgsolve (n, tab.D, tab.Lb, tab.Ub, struct ('seed', o.seed, 'verbose', o.verbose, ...
                       'maxTime', o.maxTime, 'minSeparation', minSep, 'fTarget', 1e-4));

  [rmsd, Xfit] = superpose (X, Xtrue);
  % Which fit was the better one: a rotation, or a rotation and a reflection.
  mirrored = proper_rmsd (X, Xtrue) > rmsd + 1e-9;
  say ('penalty %.3e after %d iterations, %.1f s (%s)\n', info.penalty, info.iterations, ...
       info.seconds, info.reason);
  for r = {'linkdev', 'ceilgap', 'floorgap'}
    s = info.violations.(r{1});
    say ('  %-8s %6d rows violated, largest %.3g\n', r{1}, s.count, s.largest);
  end
  if (isfield (info, 'separation'))
    say ('  %d unnamed pairs closer than %g, largest shortfall %.3g\n', ...
         info.separation.count, minSep, info.separation.largest);
  end
  if (mirrored)
    how = 'the mirror image fitted better (distances cannot tell them apart)';
  else
    how = 'a rotation fitted, no reflection needed';
  end
  say ('RMSD to the known structure after the best superposition: %.3f (%s)\n', rmsd, how);

  png = '';
  if (~isempty (o.png))
    png = draw (o.png, info.history, Xtrue, Xfit, atoms, rmsd, name, kind, say);
  end
  result = struct ('file', file, 'kind', kind, 'n', n, ...
                   'rows', size (tab.D, 1) + size (tab.Lb, 1) + size (tab.Ub, 1), ...
                   'rmsd', rmsd, 'mirrored', mirrored, 'penalty', info.penalty, ...
                   'violations', info.violations, 'loose', info.loose, ...
                   'pieces', {info.pieces}, 'iterations', info.iterations, ...
                   'seconds', info.seconds, 'history', info.history, 'reason', info.reason, ...
                   'X', Xfit, 'Xtrue', Xtrue, 'png', png);
end

function r = proper_rmsd (X, Xref)
  % The RMSD after the best rotation and shift, no reflection.
  A = X - mean (X, 2);  B = Xref - mean (Xref, 2);
  [U, ~, V] = svd (B * A');
  S = diag ([1, 1, sign(det (U * V'))]);
  r = sqrt (sum (sum ((U * S * V' * A - B) .^ 2)) / size (X, 2));
end

function png = draw (file, history, Xtrue, Xfit, atoms, rmsd, name, kind, say)
  png = '';
  [h, cleanup] = demo_figure (1100, say);
  if (isempty (h))
    return;
  end
  subplot (1, 2, 1);
  semilogy (0:numel (history) - 1, max (history, 1e-30));
  grid on;
  xlabel ('L-BFGS iteration (in 4-D, squeezed to 3-D, then 3-D)');
  ylabel ('penalty (penval)');
  title ('descent of penval with penslope as gradient');
  subplot (1, 2, 2);
  bb = atoms.backbone;
  % The backbone trace, broken between chains.
  cut = [false; diff(double (atoms.chain(bb))) ~= 0];
  T = Xtrue(:, bb);  F = Xfit(:, bb);
  T(:, cut) = NaN;  F(:, cut) = NaN;
  plot3 (T(1, :), T(2, :), T(3, :), '-', 'color', [0.6 0.6 0.6], 'linewidth', 2.5);
  hold on;
  plot3 (F(1, :), F(2, :), F(3, :), '-', 'color', [0.85 0.2 0.1], 'linewidth', 0.8);
  hold off;
  grid on;  axis equal;  view (35, 25);
  legend ('known backbone', 'recovered (superposed)', 'location', 'southoutside');
  title (sprintf ('%s, %s tables: %d atoms, RMSD %.2f', upper (name), kind, size (Xtrue, 2), rmsd));
  save_png (h, file);
  png = file;
  say ('figure written to %s\n', file);
end
