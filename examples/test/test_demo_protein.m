function test_demo_protein ()
  % The protein demo on the first 15 residues of the shipped entry, with
  % both kinds of tables, the lower bounds of all other pairs listed or
  % left to minSeparation. Small enough to be quick; the full entry is the
  % benchmark's (bench/solvers).
  here = fileparts (fileparts (mfilename ('fullpath')));
  addpath (here);
  file = [tempname(), '.pdb'];
  cleanup = onCleanup (@() delete (file));
  text = fileread (fullfile (here, 'data', '1hel.pdb'));
  lines = regexp (text, '\n', 'split');
  keep = lines(strncmp (lines, 'ATOM  ', 6));
  residue = cellfun (@(s) str2double (s(23:26)), keep);
  fid = fopen (file, 'w');
  fprintf (fid, '%s\n', keep{residue <= 15});
  fclose (fid);

  quiet = struct ('verbose', false);
  r = demo_protein (file, 'demo', quiet);
  assert (r.n, nnz (residue <= 15));
  assert (r.rmsd < 0.1, sprintf ('demo tables: RMSD %g', r.rmsd));
  assert (r.penalty < 1e-4);
  assert (size (r.X), [3 r.n]);
  assert (r.iterations, numel (r.history) - 1);

  r = demo_protein (file, 'nmr', quiet);
  assert (r.rmsd < 1, sprintf ('NMR-like tables: RMSD %g', r.rmsd));
  assert (islogical (r.mirrored));

  % minSeparation in place of the listed lower bounds: no table row for
  % those pairs, and yet no pair ends closer than 6 less a rounding.
  r2 = demo_protein (file, 'demo', struct ('verbose', false, 'allPairs', false));
  assert (r2.rows < r.rows);
  assert (r2.rmsd < 0.1, sprintf ('demo tables, minSeparation: RMSD %g', r2.rmsd));
  Q = sqrt (pairsq (r2.Xtrue));
  far = Q >= 6;
  Qx = sqrt (pairsq (r2.X));
  assert (min (Qx(far)) > 6 - 0.05);
end
