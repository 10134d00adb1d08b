function test_distgeom_examples ()
  % Two points 5 apart: (0, 0) and (3, 4).
  X = [0 3; 0 4];
  w = [1 1 1 0];
  t = [3 5 7 2];

  % penval: distance row adds 1, lower bound 2, upper bound by its code.
  assert (penval (X, [1 2 4], [1 2 6 1], [1 2 4 0], w, t), 4);
  assert (penval (X, [1 2 4], [1 2 6 1], [1 2 4 -1], w, t), 6);
  assert (penval (X, [1 2 4], [1 2 6 1], [1 2 4 -2], w, t), 8);
  assert (penval (X, [1 2 4], [1 2 6 1], [1 2 4 -3], w, t), 3);
  assert (penval (X, [1 2 4], [1 2 6 -2], [1 2 4 0], w, t), 9);
  assert (penval (X, [1 2 4], [1 2 6 1], [1 2 4 0], [1 1 1 1], t), 29);
  assert (penval (X, [], [], [], [1 1 1 1], t), 25);
  assert (penval (zeros (3, 0), [], [], [], [1 1 1 1], t), 0);
  assert (size (penval (X, [1 2 4], [1 2 6 1], [1 2 4 0], w, t)), [1 1]);

  % penslope, with the printed diagnostics.
  D = [1 2 2.5]; Lb = [1 2 10 1]; Ub = [1 2 2.5 0];
  assert (penslope (X, D, Lb, Ub, w, t), [6 -6; 8 -8]);
  assert (penslope (X, D, Lb, [1 2 2.5 -1], w, t), zeros (2));
  assert (penslope (X, D, [1 2 10 -2], Ub, w, t), [36 -36; 48 -48]);
  assert (penslope (X, D, Lb, Ub, [1 1 1 1], t), [6 0; 8 0]);
  G = [];
  printed = evalc ('G = penslope (X, D, Lb, [1 2 2.5 -3], w, t);');
  assert (G, [9 -9; 12 -12]);
  assert (printed, sprintf ('Error! Unkonw Upper bound!\nError! Unkonw Upper bound!\n'));
  printed = evalc ('G = penslope (X, D, [1 2 10 0], Ub, w, t);');
  assert (printed, repmat (sprintf ('Error! Unkonw Lower bound!\n'), 1, 2));
  assert (penslope (X, [], [], [], [1 1 1 3], t), 6 * X);

  % Reports.
  assert (linkdev (X, [1 2 4; 1 2 6; 1 2 5; 1 2 5.005; 1 2 5.02]), [1; 1; 0; 0; 5.02 - 5]);
  assert (linkdev (X, [1 1 0.01; 2 2 0.02]), [0; 0.02]);
  assert (ceilgap (X, [1 2 4 0; 1 2 5 0; 1 2 6 -3]), [1; 0; 0]);
  assert (floorgap (X, [1 2 6; 1 2 4; 1 2 5]), [1; 0; 0]);
  assert (floorgap (X, [1 1 3; 1 1 -3]), [3; 0]);
  assert (ceilgap (X, [1 1 3; 1 1 -3]), [0; 3]);
  assert (size (ceilgap (X, zeros (0, 4))), [0 1]);
  assert (size (linkdev (X, [])), [0 1]);

  % A fractional point number is multiplied before it is truncated: with
  % d = 3, 2.5 starts at offset 4, i.e. (X(2,2), X(3,2), X(1,3)).
  X3 = [0 0 0; 1 2 3; 4 5 6]';
  d = norm (X3(:,1) - [X3(2,2); X3(3,2); X3(1,3)]);
  assert (floorgap (X3, [1 2.5 10]), 10 - d);
end
