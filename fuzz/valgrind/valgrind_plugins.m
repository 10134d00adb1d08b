function valgrind_plugins ()
%VALGRIND_PLUGINS every plug-in once on a worked example and once on bad input
%   Small enough to run inside Octave under valgrind memcheck, which watches
%   the plug-ins read and write the host's own arrays.
  X = [0 3; 0 4];
  w = [1 1 1 0]; t = [3 5 7 2];

  check (penval (X, [1 2 4], [1 2 6 1], [1 2 4 0], w, t), 4);
  check (penslope (X, [1 2 2.5], [1 2 10 1], [1 2 2.5 0], w, t), [6 -6; 8 -8]);
  check (linkdev (X, [1 2 4; 1 2 5]), [1; 0]);
  check (ceilgap (X, [1 2 4 0]), 1);
  check (floorgap (X, [1 2 6 1]), 1);
  check (pairsq (X), [0 25; 25 0]);
  Xt = [1 2; 3 4]; Y = [5 6 7; 8 9 10];
  check (obsprod (Xt, Y, [1 2], [3 1], 2), [37 42]);
  check (obsprod_blas (Xt, Y, [1 2], [3 1], 2.9), [37 42]);
  S = sparse ([1 0 3; 0 2 0]);
  nzfill (S, [7 8 9], 2);
  check (nonzeros (S), [7; 8; 3]);
  nzfill_blas (S, [0 -1 -2 -3], 3);
  check (nonzeros (S), [0; -1; -2]);   % the 0 written stays stored
  check (nnz (S), 3);

  assert_rejected (@() penval (X, [1 2 4]), 'penval:notEnoughInputs');
  assert_rejected (@() penslope (X, [1 NaN 4], [], [], w, t), 'penslope:pointOutside');
  assert_rejected (@() linkdev (X, [1 2]), 'linkdev:tooFewColumns');
  assert_rejected (@() ceilgap (single (X), [1 2 4]), 'ceilgap:notRealDouble');
  assert_rejected (@() floorgap (X, [1 3 4]), 'floorgap:pointOutside');
  assert_rejected (@() pairsq (int32 (X)), '', 'Input of inproper type');
  assert_rejected (@() obsprod (Xt, Y, [1 2], [3 1]), '', 'Usage: v = obsprod (Xt, Y, I, J, L)');
  assert_rejected (@() obsprod_blas (Xt, Y, [1 2], [4 1], 2), 'obsprod_blas:columnOutside');
  rejected_without_output (@() nzfill (S, [7 8 9], 4), 'nzfill:countTooLarge');
  rejected_without_output (@() nzfill_blas (S, [7 8 9], NaN), 'nzfill_blas:badCount');
  check (nonzeros (S), [0; -1; -2]);   % the rejected calls left S as it was
end

function check (got, expected)
  if (! isequal (got, expected))
    error ('valgrind_plugins: got %s, expected %s', mat2str (got), mat2str (expected));
  end
end

% nzfill takes no output: call it as a statement and expect the error ID.
function rejected_without_output (call, id)
  try
    call ();
  catch err
    if (! strcmp (err.identifier, id))
      error ('valgrind_plugins: expected %s, got "%s" (%s)', id, err.identifier, err.message);
    end
    return;
  end
  error ('valgrind_plugins: the call succeeded; expected %s', id);
end
