function test_lrcomplete_inputs ()
  % Every bad input is refused with its identifier before any work; the
  % caller's sparse matrix of samples is never written.
  I = [1 2 3 1 2 3 1 2].';  J = [1 1 1 2 2 2 3 3].';  vals = (1:8).';
  ok = @(varargin) lrcomplete (I, J, vals, 3, 3, 1, varargin{:});
  opt = @(name, value) struct (name, {value});

  % The call forms.
  assert_rejected (@() lrcomplete (), 'lrcomplete:usage');
  assert_rejected (@() lrcomplete (I, J, vals), 'lrcomplete:usage');
  assert_rejected (@() lrcomplete (sparse (I, J, vals)), 'lrcomplete:usage');
  assert_rejected (@() lrcomplete (I, J, vals, 3, 3), 'lrcomplete:usage');
  % Options after the problem: a struct, pairs, or both; a name without a
  % value, or a value without a name, is refused.
  assert_rejected (@() lrcomplete (I, J, vals, 3, 3, 1, struct (), 1), 'lrcomplete:badOption');
  assert_rejected (@() lrcomplete (sparse (I, J, vals), 1, 'maxIter'), 'lrcomplete:badOption');
  assert_rejected (@() lrcomplete (I, J, vals, 3, 3, 1, 5, 'maxIter'), 'lrcomplete:badOption');

  % Sizes and rank.
  for bad = {0, 2.5, NaN, Inf, -1, [3 3], 'a', 2i}
    assert_rejected (@() lrcomplete (I, J, vals, bad{1}, 3, 1), 'lrcomplete:badSize');
    assert_rejected (@() lrcomplete (I, J, vals, 3, bad{1}, 1), 'lrcomplete:badSize');
    assert_rejected (@() lrcomplete (I, J, vals, 3, 3, bad{1}), 'lrcomplete:badSize');
  end
  assert_rejected (@() lrcomplete (I, J, vals, 3, 3, 4), 'lrcomplete:rankTooLarge', 'min (m, n) = 3');
  assert_rejected (@() lrcomplete (sparse (I, J, vals, 3, 5), 4), 'lrcomplete:rankTooLarge');
  % Only two columns have samples: rank 3 cannot be fitted.
  k = J < 3;
  assert_rejected (@() lrcomplete (I(k), J(k), vals(k), 3, 3, 3), 'lrcomplete:rankTooLarge', ...
                   'columns (2)');

  % Positions.
  for bad = {1.5, NaN, Inf, -Inf}
    Ib = I;  Ib(4) = bad{1};
    assert_rejected (@() lrcomplete (Ib, J, vals, 3, 3, 1), 'lrcomplete:badIndex', 'position 4');
    assert_rejected (@() lrcomplete (I, Ib, vals, 3, 3, 1), 'lrcomplete:badIndex', 'position 4');
  end
  assert_rejected (@() lrcomplete (complex (I, 1), J, vals, 3, 3, 1), 'lrcomplete:badIndex');
  assert_rejected (@() lrcomplete (char (I + 48), J, vals, 3, 3, 1), 'lrcomplete:badIndex');
  assert_rejected (@() lrcomplete (sparse (I), J, vals, 3, 3, 1), 'lrcomplete:badIndex');
  Ib = I;  Ib(5) = 0;
  assert_rejected (@() lrcomplete (Ib, J, vals, 3, 3, 1), 'lrcomplete:indexOutside', 'position 5, (0, 2)');
  Ib(5) = 4;
  assert_rejected (@() lrcomplete (Ib, J, vals, 3, 3, 1), 'lrcomplete:indexOutside', 'outside the 3-by-3');
  assert_rejected (@() lrcomplete (I, J, vals, 3, 2, 1), 'lrcomplete:indexOutside');
  Jb = J;  Jb(8) = 2;                       % (2, 2) twice: samples 5 and 8
  assert_rejected (@() lrcomplete (I, Jb, vals, 3, 3, 1), 'lrcomplete:repeatedPosition', ...
                   '(2, 2) is sampled twice (samples 5 and 8)');
  assert_rejected (@() lrcomplete (I(1:7), J, vals, 3, 3, 1), 'lrcomplete:badLength');
  assert_rejected (@() lrcomplete (I, J, vals(1:7), 3, 3, 1), 'lrcomplete:badLength');
  assert_rejected (@() lrcomplete ([], [], [], 3, 3, 1), 'lrcomplete:badLength', 'no samples');
  assert_rejected (@() lrcomplete (sparse (3, 3), 1), 'lrcomplete:badLength');

  % Values.
  for bad = {NaN, Inf, -Inf}
    vb = vals;  vb(6) = bad{1};
    assert_rejected (@() lrcomplete (I, J, vb, 3, 3, 1), 'lrcomplete:badValue', 'value 6');
  end
  assert_rejected (@() lrcomplete (I, J, vals + 1i, 3, 3, 1), 'lrcomplete:badValue');
  assert_rejected (@() lrcomplete (sparse (I, J, vals + 1i), 1), 'lrcomplete:badValue');
  assert_rejected (@() lrcomplete (I, J, char (vals + 64), 3, 3, 1), 'lrcomplete:badValue');
  assert_rejected (@() lrcomplete (I, J, {1}, 3, 3, 1), 'lrcomplete:badValue');
  assert_rejected (@() lrcomplete (sparse ([1 2], [1 2], [1 NaN]), 1), 'lrcomplete:badValue');

  % Options.
  assert_rejected (@() ok (1), 'lrcomplete:badOption');
  assert_rejected (@() ok (struct ('tol', {1, 2})), 'lrcomplete:badOption');
  assert_rejected (@() ok (opt ('lamda', 1)), 'lrcomplete:unknownOption', 'lambda, maxIter');
  assert_rejected (@() ok ('tolerance', 1), 'lrcomplete:unknownOption', '''tolerance''');
  bad = {'lambda', -1;  'lambda', NaN;  'lambda', Inf;  'lambda', [1 2];  'lambda', 'a'
         'maxIter', 1.5;  'maxIter', -1;  'maxIter', NaN
         'maxTime', -1;  'maxTime', NaN;  'tol', -1;  'tol', 1i
         'seed', -1;  'seed', 0.5;  'seed', 2^32;  'seed', Inf
         'verbose', 'yes';  'verbose', [true false];  'verbose', NaN
         'X0', ones(1, 3);  'Y0', ones(1, 3)
         'test', {1, 2};  'test', 5;  'test', struct('I', 1, 'J', 1);  'test', {1, 2, 3, 4}};
  for k = 1:rows (bad)
    assert_rejected (@() ok (opt (bad{k, 1}, bad{k, 2})), 'lrcomplete:badOption', bad{k, 1}(1:min (4, end)));
    assert_rejected (@() ok (bad{k, 1}, bad{k, 2}), 'lrcomplete:badOption', bad{k, 1}(1:min (4, end)));
  end
  both = @(X0, Y0) ok (struct ('X0', X0, 'Y0', Y0));
  assert_rejected (@() both (ones (1, 2), ones (1, 3)), 'lrcomplete:badOption', '1-by-3');
  assert_rejected (@() both (ones (2, 3), ones (2, 3)), 'lrcomplete:badOption', '1-by-3');
  assert_rejected (@() both ([1 NaN 1], ones (1, 3)), 'lrcomplete:badOption', 'finite');
  assert_rejected (@() both (sparse (ones (1, 3)), ones (1, 3)), 'lrcomplete:badOption');
  assert_rejected (@() both (zeros (1, 3), ones (1, 3)), 'lrcomplete:badOption', 'rank r');
  assert_rejected (@() ok (opt ('test', {[1 2], 1, [1 2]})), 'lrcomplete:badOption', 'same number');
  assert_rejected (@() ok (opt ('test', {4, 1, 1})), 'lrcomplete:badOption', 'inside');
  assert_rejected (@() ok (opt ('test', {1.5, 1, 1})), 'lrcomplete:badOption', 'inside');
  assert_rejected (@() ok (opt ('test', {1, 1, NaN})), 'lrcomplete:badOption', 'finite');

  % The good call works; integer and logical inputs are taken as doubles;
  % a sparse matrix of samples comes back untouched.
  [Xt, Y] = ok ();
  assert (size (Xt), [1 3]);
  [~, ~, info] = ok (struct ('maxIter', 50), 'MaxIter', int8 (1), 'lambda', single (0));
  assert (info.iterations <= 1);
  [Xt2, Y2] = lrcomplete (int32 (I), uint8 (J), vals, int8 (3), 3, uint16 (1));
  assert (Xt2.' * Y2, Xt.' * Y, 1e-12);
  S = sparse (I, J, vals, 3, 3);
  T = S;
  copy = full (S);
  lrcomplete (S, 1);
  assert (full (S), copy);
  assert (full (T), copy);
end
