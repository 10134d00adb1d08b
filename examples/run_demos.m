function results = run_demos (outdir)
%RUN_DEMOS run the demos at full size and print their results
%   run_demos (outdir)
%   results = run_demos (outdir)
%
%   Runs DEMO_CHAIN (a chain of 500 points recovered from distance bounds
%   with dgsolve), DEMO_PROTEIN (lysozyme, 1001 heavy atoms, recovered by
%   dgsolve from NMR-like tables), DEMO_COMPLETION (a 2000-by-2000 matrix
%   of rank 5 completed from 5% of its entries by lrcomplete) and
%   DEMO_RATINGS (a noisy 6040-by-3706 matrix of rank 10, held-out samples
%   predicted by lrcomplete), prints their progress and results, and
%   checks them against their bars:
%     chain:      RMSD to the known chain below 0.5, in under a minute;
%     protein:    RMSD to the known structure below 1.6 (after the best
%                 superposition, reflection allowed), in under two minutes;
%     completion: relative error of all entries below 1e-6, in under a
%                 minute;
%     ratings:    held-out RMSE within 10% of the noise level, in under a
%                 minute.
%   Each demo writes a PNG into OUTDIR (default 'demo-output') when a
%   graphics toolkit works without a display; otherwise it says so and
%   goes on. Ends with an error if a result misses its bar; a time bar
%   missed is said but is no error, since a machine busy with other work
%   takes longer for reasons that are not the toolbox's.
%
%   Needs the toolbox on the path (addpath build/toolbox), its solvers
%   (addpath solvers) and this folder.
%
%   Example:
%     addpath build/toolbox solvers examples
%     run_demos ('build/demo-output');
%
%   See also DEMO_CHAIN, DEMO_PROTEIN, DEMO_COMPLETION, DEMO_RATINGS,
%   DGSOLVE, LRCOMPLETE.

  if (nargin < 1 || isempty (outdir))
    outdir = 'demo-output';
  end
  if (~exist (outdir, 'dir'))
    mkdir (outdir);
  end
  [ok, why] = graphics_ready ();
  if (ok)
    fprintf ('figures: PNGs go to %s\n', outdir);
  else
    fprintf ('figures: none, no graphics toolkit works without a display here (%s)\n', why);
  end
  png = @(name) ifelse (ok, fullfile (outdir, name));

  fprintf ('\n=== distance geometry: a chain of 500 points from distance bounds\n');
  chain = demo_chain (500, struct ('png', png ('chain.png')));
  fprintf ('\n=== distance geometry: lysozyme (PDB 1HEL, 1001 heavy atoms) from NMR-like tables\n');
  protein = demo_protein ([], 'nmr', struct ('png', png ('protein.png'), 'maxTime', 110));
  fprintf ('\n=== matrix completion: 2000-by-2000, rank 5, from 5%% of the entries\n');
  completion = demo_completion (2000, struct ('png', png ('completion.png')));
  fprintf ('\n=== noisy ratings: 6040-by-3706, rank 10 plus noise 0.5, 10%% of 1,000,209 samples held out\n');
  ratings = demo_ratings (1, struct ('png', png ('ratings.png')));

  % Each bar, whether it was met, and whether it is one of time.
  bars = {
    'chain: RMSD below 0.5',              chain.rmsd < 0.5,                         false
    'chain: under a minute',              chain.seconds < 60,                       true
    'protein: RMSD below 1.6',            protein.rmsd < 1.6,                       false
    'protein: under two minutes',         protein.seconds < 120,                    true
    'completion: relative error < 1e-6',  completion.relError < 1e-6,               false
    'completion: under a minute',         completion.seconds < 60,                  true
    'ratings: held-out RMSE within 10%',  ratings.testRMSE < 1.1 * ratings.noise,   false
    'ratings: under a minute',            ratings.seconds < 60,                     true
  };
  fprintf ('\n=== results\n');
  fprintf ('chain:      %d points, RMSD %.2e, penalty %.2e, %.1f s\n', ...
           chain.n, chain.rmsd, chain.penalty, chain.seconds);
  fprintf ('protein:    %d atoms, %s tables, RMSD %.2f, penalty %.2e, %.1f s\n', ...
           protein.n, protein.kind, protein.rmsd, protein.penalty, protein.seconds);
  fprintf ('completion: %d-by-%d rank %d, relative error %.2e, %d iterations, %.1f s\n', ...
           completion.n, completion.n, completion.rank, completion.relError, ...
           completion.iterations, completion.seconds);
  fprintf ('ratings:    %d-by-%d rank %d, held-out RMSE %.4f (noise %.2f, %+.1f%%), %d iterations, %.1f s\n', ...
           ratings.m, ratings.n, ratings.rank, ratings.testRMSE, ratings.noise, ...
           100 * (ratings.testRMSE / ratings.noise - 1), ratings.iterations, ratings.seconds);
  for k = 1:size (bars, 1)
    if (bars{k, 2})
      verdict = 'met';
    elseif (bars{k, 3})
      verdict = 'missed (slower than the bar: is the machine busy with other work?)';
    else
      verdict = 'MISSED';
    end
    fprintf ('  %-36s %s\n', bars{k, 1}, verdict);
  end
  for f = {chain.png, protein.png, completion.png, ratings.png}
    if (~isempty (f{1}))
      fprintf ('figure: %s\n', f{1});
    end
  end
  results = struct ('chain', chain, 'protein', protein, 'completion', completion, ...
                    'ratings', ratings);
  if (~all ([bars{:, 2}] | [bars{:, 3}]))
    error ('run_demos:barMissed', 'run_demos: a demo missed its bar (see above)');
  end
end

function v = ifelse (cond, a, b)
  if (nargin < 3)
    b = '';
  end
  if (cond)
    v = a;
  else
    v = b;
  end
end
