function test_hostile_use ()
  % Hostile use from the host's side, through the form on the path: extra
  % outputs, nzfill into storage that is not S's own, stale facts after
  % nzfill, overlapping S and v, an N-d X for penslope, and diagnostics
  % without end. Where a crash was possible the call runs in an octave-cli
  % of its own.
  where = which ('penval');
  native = strcmp (where(end-3:end), '.oct');
  folder = fileparts (where);
  X = [0 3; 0 4];
  w = [1 1 1 0];

  % More outputs than a plug-in returns: an error with an identifier, before
  % anything is made, also through a comma list, whose next use once aborted.
  calls = {'penval (X, [1 2 4], [], [], w, w)', 'penslope (X, [1 2 4], [], [], w, w)', ...
           'linkdev (X, [1 2 4])', 'ceilgap (X, [1 2 4])', 'floorgap (X, [1 2 4])', 'pairsq (X)'};
  for k = 1:numel (calls)
    name = strtok (calls{k});
    [status, out] = run_alone (folder, sprintf ([ ...
      'X = [0 3; 0 4]; w = [1 1 1 0];\n' ...
      'c = cell (1, 2);\n' ...
      'try, [c{:}] = %s; catch e, disp (e.identifier); end\n' ...
      'vertcat (c{:});\n' ...
      's = struct (''a'', {1, 2});\n' ...
      'try, [s.a] = %s; catch e, disp (e.identifier); end\n' ...
      'vertcat (s.a);\n' ...
      'try, [a, b] = %s; catch e, disp (e.identifier); end\n' ...
      'disp (''still running'');\n'], calls{k}, calls{k}, calls{k}));
    assert (status == 0, '%s: octave-cli ended with %d: %s', name, status, out);
    assert (numel (strfind (out, [name ':tooManyOutputs'])) == 3, '%s: %s', name, out);
    assert (! isempty (strfind (out, 'still running')), out);
  end

  % penslope's G has the shape of X, a matrix: an N-d X is refused, as by
  % the plug-ins that read X as d-by-n.
  assert_rejected (@() penslope (zeros (2, 2, 2), [], [], [], w, w), 'penslope:notMatrix');
  assert_rejected (@() linkdev (zeros (2, 2, 2), [1 2 4]), 'linkdev:notMatrix');

  % Diagnostics without end: at most 100 lines in their order, then one
  % line with how many more there were. (Each row here prints d = 3 lines.)
  m = 2e5;
  Lb = [ones(m, 1), 2 * ones(m, 1), 10 * ones(m, 1), zeros(m, 1)];
  G = [];
  tic;
  printed = evalc ('G = penslope ([0 3; 0 4; 0 0], [], Lb, [], w, w);');
  assert (toc < 10, 'penslope took %g s to print its bounded diagnostics', toc);
  lines = strsplit (printed, "\n");
  assert (numel (lines), 102);
  assert (all (strcmp (lines(1:100), 'Error! Unkonw Lower bound!')));
  assert (lines{101}, sprintf ('penslope: %d more lines like these not printed', 3 * m - 100));
  assert (G, zeros (3, 2));

  % nzfill: S and v that overlap (parts of one array, which only the MEX
  % form can be handed) are copied as if v were read first, in both variants.
  for f = {@nzfill, @nzfill_blas}
    A = (1:10) + 0;
    S = A(2:10);
    v = A(1:9);
    if (native)
      nzfill_rejected (f{1}, S, v, 9, [func2str(f{1}) ':notWritable']);
      assert (A, 1:10);
      assert (S, 2:10);
    else
      f{1} (S, v, 9);
      assert (S, 1:9);
    end
  end

  if (! native)
    return;  % through MEX nzfill sees S's data pointer alone (see its help)
  end

  % Storage that other values share without being aliases of S, and values
  % that hold no array of their own: refused, everything left as it was.
  for f = {@nzfill, @nzfill_blas}
    id = [func2str(f{1}) ':notWritable'];
    A = zeros (3);
    c = A(:, 2);
    nzfill_rejected (f{1}, c, [1 2 3], 3, id, 'shared');
    assert (A, zeros (3));
    assert (c, zeros (3, 1));
    B = reshape ((1:6) + 0, 2, 3);
    r = B(:);
    nzfill_rejected (f{1}, r, [7 7], 2, id, 'shared');
    assert (B, reshape (1:6, 2, 3));
    T = sparse ([1 0; 0 2]);
    U = T;
    nzfill_rejected (f{1}, 1:5, [9 9], 2, id, 'range');
    nzfill_rejected (f{1}, eye (3), [9 9], 2, id, 'diagonal');
    nzfill_rejected (f{1}, eye (3)(:, [2 1 3]), [9 9], 2, id, 'permutation');
    % An alias made by assignment is S itself: it sees the write.
    f{1} (T, [5 6], 2);
    assert (nonzeros (U)', [5 6]);
    % A matrix built by a computation is safe in a loop (a literal would
    % share its storage with the code: see nzfill's help).
    seen = zeros (1, 3);
    for k = 1:3
      S = [1 2 3] + 0;
      seen(k) = S(1);
      f{1} (S, 100 + k, 1);
    end
    assert (seen, [1 1 1]);
  end

  % What Octave knows of S is forgotten after the write: a solver's matrix
  % type, an index made from S.
  S = sparse ([4 1; 1 3]);
  b = [1; 2];
  S \ b;
  nzfill (S, [4 -1 1 3], 4);
  assert (S \ b, [4 1; -1 3] \ b, 1e-15);
  x = 10:10:50;
  S = [1 2 3] + 0;
  x(S);
  nzfill (S, [5 4 3], 3);
  assert (x(S), [50 40 30]);
  S = 2;
  nzfill (S, 3, 1);
  assert (S, 3);
end
