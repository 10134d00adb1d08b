function test_dgsolve_stitch ()
  % dgsolve's fitting together of patches solved apart (its private
  % DG_STITCH): patches cut from a known cloud of points, each in a frame
  % of its own (rotated, some mirrored, shifted), come back as the cloud;
  % a patch that is wrong, even the largest, does not carry its error
  % into the others; patches that share few or no points give finite
  % places; a single patch is taken as it is.
  here = pwd ();
  back = onCleanup (@() cd (here));
  % The toolbox's own superposition (examples/superpose.m).
  addpath (fullfile (fileparts (fileparts (which ('dgsolve'))), 'examples'));
  cd (fullfile (fileparts (which ('dgsolve')), 'private'));

  % A cloud along a band, cut into overlapping windows along its length
  % (a chain of patches, each point in four of them).
  rand ('state', 21);  randn ('state', 21);
  m = 400;
  P = [linspace(0, 60, m); 4 * rand(1, m); 4 * rand(1, m)];
  starts = 1:20:321;
  patches = arrayfun (@(s) s:min (m, s + 79), starts, 'UniformOutput', false);
  patches{end} = starts(end):m;
  cores = cellfun (@(p) true (size (p)), patches, 'UniformOutput', false);
  [Y, mirrored] = frames (P, patches);
  assert (any (mirrored) && ~all (mirrored));
  [X, fit] = dg_stitch (m, patches, cores, Y);
  assert (size (X), [3 m]);
  assert (superpose (X, P) < 1e-8, sprintf ('exact patches: RMSD %g', superpose (X, P)));
  assert (max (fit) < 1e-8);

  % Noise in every patch: the error stays of the size of the noise, it
  % does not grow along the chain of patches.
  Yn = cellfun (@(y) y + 0.05 * randn (size (y)), Y, 'UniformOutput', false);
  X = dg_stitch (m, patches, cores, Yn);
  assert (superpose (X, P) < 0.1, sprintf ('noisy patches: RMSD %g', superpose (X, P)));

  % One patch wrong, and the largest: the middle third of it mirrored
  % through a plane and moved (a wrong fold). Fitted first and trusted,
  % it would bend every patch fitted onto it; here its points come back
  % from the other patches that hold them, the others keep their places,
  % and its fit stands out.
  bad = 7;
  patches{bad} = 121:230;
  cores{bad} = true (1, 110);
  [Y, mirrored] = frames (P, patches);
  Z = Y{bad};
  half = 38:74;
  centre = mean (Z(:, half), 2);
  Z(3, half) = 2 * centre(3) - Z(3, half);
  Z(:, half) = Z(:, half) + [0; 0; 3];
  Y{bad} = Z;
  [X, fit] = dg_stitch (m, patches, cores, Y);
  assert (superpose (X, P) < 0.05, sprintf ('a wrong patch: RMSD %g', superpose (X, P)));
  assert (find (fit == max (fit)), bad);

  % Patches that share fewer points than a fit needs (here one), and
  % groups that share none: every place finite, each patch whole.
  patches = {1:50, 50:100, 151:200};
  cores = cellfun (@(p) true (size (p)), patches, 'UniformOutput', false);
  Y = frames (P, patches);
  [X, fit] = dg_stitch (200, patches, cores, Y);
  assert (all (isfinite (X(:))) && all (isfinite (fit)));
  for k = 1:3
    assert (superpose (X(:, patches{k}), P(:, patches{k})) < 1e-8);
  end
  apart = min (X(1, 151:200)) - max (X(1, 1:100));
  assert (apart > 0, 'a group of patches that shares no point is set beside the others');

  % More than 1000 patches (the frames then found along a spanning tree
  % of the pairs): a long band in windows of 12 points, each sharing 6
  % with the next.
  m = 6100;
  P = [linspace(0, 1200, m); 4 * rand(1, m); 4 * rand(1, m)];
  patches = arrayfun (@(s) s:s + 11, 1:6:m - 11, 'UniformOutput', false);
  patches{end} = patches{end}(1):m;
  assert (numel (patches) > 1000);
  cores = cellfun (@(p) true (size (p)), patches, 'UniformOutput', false);
  X = dg_stitch (m, patches, cores, frames (P, patches));
  assert (superpose (X, P) < 1e-6, sprintf ('%d patches: RMSD %g', numel (patches), ...
                                           superpose (X, P)));

  % A single patch: its own coordinates.
  Y = frames (P, {1:30});
  X = dg_stitch (30, {1:30}, {true(1, 30)}, Y);
  assert (isequal (X, Y{1}));
end

function [Y, mirrored] = frames (P, patches)
  % Each patch of P in a frame of its own: a random orthogonal map (every
  % other one a reflection) and a shift.
  K = numel (patches);
  Y = cell (1, K);
  mirrored = false (1, K);
  for k = 1:K
    [Q, ~] = qr (randn (3));
    if (xor (det (Q) < 0, mod (k, 2) == 0))
      Q(:, 1) = -Q(:, 1);
    end
    mirrored(k) = det (Q) < 0;
    Y{k} = Q * P(:, patches{k}) + 10 * randn (3, 1);
  end
end
