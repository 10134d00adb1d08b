function test_demo_chain ()
  % The distance-geometry demo at small size recovers its chain, and the
  % reports agree with the penalty it reached.
  addpath (fileparts (fileparts (mfilename ('fullpath'))));
  r = demo_chain (60, struct ('verbose', false));
  assert (r.rmsd < 0.5, sprintf ('RMSD %g', r.rmsd));
  assert (r.penalty < 1e-12, sprintf ('penalty %g', r.penalty));
  assert (size (r.X), [3 60]);
  % A penalty this small leaves no violation above rounding.
  for name = {'linkdev', 'ceilgap', 'floorgap'}
    assert (r.violations.(name{1}).largest < 1e-6, name{1});
  end
  assert (r.violations.linkdev.count, 0);       % linkdev ignores deviations up to 0.01
  assert (r.iterations, numel (r.history) - 1);
  assert (r.history(end), r.penalty);

  % The plug-ins' arithmetic is exact and the demo seeds its own random
  % numbers: the same seed gives the same bits, another seed another chain.
  again = demo_chain (60, struct ('verbose', false));
  assert (isequal (again.X, r.X) && isequal (again.history, r.history));
  other = demo_chain (60, struct ('verbose', false, 'seed', 3));
  assert (! isequal (other.Xtrue, r.Xtrue));
  assert (other.rmsd < 0.5, sprintf ('RMSD %g with seed 3', other.rmsd));
  assert (isempty (r.loose) && isempty (other.loose));

  % A chain whose end has fewer than four known distances is flagged: the
  % tables cannot fix that point.
  end7 = demo_chain (60, struct ('verbose', false, 'seed', 7));
  assert (end7.loose, 59);
  assert (end7.penalty < 1e-12);

  % The known chain keeps its own rules: fixed step, no two points closer
  % than 3.
  steps = sqrt (sumsq (diff (r.Xtrue, 1, 2), 1));
  assert (max (abs (steps - 3.8)) < 1e-9);
  Q = pairsq (r.Xtrue);
  Q(1:61:end) = Inf;
  assert (min (Q(:)) >= 9 - 1e-9);
end
