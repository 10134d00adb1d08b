function rows = bench_dgsolve (seeds, bigFile)
%BENCH_DGSOLVE dgsolve on protein structures, worst of several seeds
%   rows = bench_dgsolve (seeds, bigFile)
%
%   For each structure and kind of tables (see PROTEIN_TABLES), makes the
%   tables with each of SEEDS, solves them with dgsolve and takes the
%   worst RMSD (after the best superposition, reflection allowed) and the
%   worst time over the seeds. Structures: examples/data/1hel.pdb (1001
%   heavy atoms) with the lower bound of every other pair listed in the
%   tables, and, when BIGFILE is given (1tii.pdb, 5469 atoms), that one
%   with minSeparation in place of those rows. Beside dgsolve's default
%   (method 'auto'), its scaled start forced on the demo-like tables
%   (where 'auto' picks the build-up), and the build-up start alone
%   (method 'buildup', one start: the solver the chain demo had) on the
%   1001-atom cases as what existed before.
%   Time limits: 120 s per run at 1001 atoms, 600 s at 5469; each run
%   stops when the penalty falls to 1e-4 (fTarget: no row off by more
%   than 0.01). Prints the
%   table as it goes and at the end (Markdown).
%
%   Example (the shell wrapper fetches 1tii.pdb):
%     bench/solvers/bench_dgsolve.sh 1 2 3
%
%   See also DGSOLVE, DEMO_PROTEIN.
  if (nargin < 1 || isempty (seeds))
    seeds = 1:3;
  end
  if (nargin < 2)
    bigFile = '';
  end
  here = fileparts (fileparts (fileparts (mfilename ('fullpath'))));
  small = fullfile (here, 'examples', 'data', '1hel.pdb');
  cases = {
    small, 'demo', true,  'auto',    120
    small, 'nmr',  true,  'auto',    120
    small, 'demo', true,  'embed',   120
    small, 'demo', true,  'buildup', 120
    small, 'nmr',  true,  'buildup', 120
  };
  if (~isempty (bigFile))
    cases = [cases; {bigFile, 'demo', false, 'auto', 600; bigFile, 'nmr', false, 'auto', 600}];
  end
  rows = {};
  for c = 1:size (cases, 1)
    [file, kind, allPairs, method, limit] = cases{c, :};
    [X0, ~] = pdb_heavy_atoms (file);
    n = size (X0, 2);
    [~, name] = fileparts (file);
    worst = struct ('rmsd', 0, 'seconds', 0, 'penalty', 0, 'floorgap', 0);
    for s = seeds
      [tab, minSep] = protein_tables (X0, kind, s, allPairs);
      o = struct ('seed', s, 'maxTime', limit, 'minSeparation', minSep, 'method', method, ...
                  'fTarget', 1e-4);
      if (strcmp (method, 'buildup'))
        o.starts = 1;
      end
      t0 = tic ();
      [X, info] = dgsolve (n, tab.D, tab.Lb, tab.Ub, o);
      seconds = toc (t0);
      rmsd = superpose (X, X0);
      fprintf ('%s %s %s seed %d: RMSD %.3f, %.1f s, penalty %.3g, %d lower bounds violated, %s\n', ...
               name, kind, method, s, rmsd, seconds, info.penalty, ...
               info.violations.floorgap.count, info.reason);
      worst.rmsd = max (worst.rmsd, rmsd);
      worst.seconds = max (worst.seconds, seconds);
      worst.penalty = max (worst.penalty, info.penalty);
    end
    if (allPairs)
      how = 'all pairs listed';
    else
      how = sprintf ('minSeparation %g', minSep);
    end
    if (strcmp (method, 'buildup'))
      solver = 'build-up alone (what existed)';
    elseif (strcmp (method, 'embed'))
      solver = 'dgsolve, scaled start';
    else
      solver = 'dgsolve';
    end
    rows(end + 1, :) = {upper(name), n, kind, how, solver, worst.rmsd, worst.seconds, ...
                        worst.penalty, numel(seeds)};
  end
  fprintf ('\n| protein | atoms | tables | other pairs | solver | RMSD (worst) | time (worst) | penalty (worst) | seeds |\n');
  fprintf ('|---|---|---|---|---|---|---|---|---|\n');
  for r = 1:size (rows, 1)
    fprintf ('| %s | %d | %s | %s | %s | %.3f Å | %.0f s | %.2g | %d |\n', rows{r, :});
  end
end
