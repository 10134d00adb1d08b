function test_obsprod ()
  Xt = [1 2; 3 4];  Y = [5 6 7; 8 9 10];
  A = randn (4, 30);  B = randn (4, 25);  I = randi (30, 1, 200);  J = randi (25, 1, 200);
  P = A' * B;
  for name = {'obsprod', 'obsprod_blas'}
    f = str2func (name{1});
    % Worked examples.
    assert (f (Xt, Y, [1 2], [3 1], 2), [37 42]);
    assert (f (Xt, Y, [1; 2; 2], [3 1 1], 2.9), [37 42]);
    assert (size (f (Xt, Y, [1 2], [3 1], -0.5)), [1 0]);
    assert (size (f (Xt, Y, [], [], NaN)), [1 0]);
    assert (f (zeros (0, 2), zeros (0, 3), [1 2 9], [3 1 9], 3), [0 0 0]);
    assert (f (Xt, Y, 1, 2.5, 1), 1 * 9 + 3 * 7);
    assert (f (A, B, I, J, 200), P(sub2ind ([30 25], I, J)), 1e-12);

    % The fixed messages, in their order, then the toolbox's identifiers.
    assert_rejected (@() f (Xt, Y, [1 2], [3 1]), '', 'Usage: v = obsprod (Xt, Y, I, J, L)');
    assert_rejected (@() f (Xt, ones (3, 1), 1, 1, 1), '', 'rows of Xt must be equal to rows of Y');
    assert_rejected (@() f (ones (3, 2), ones (3, 5), 1, 1, 1), '', 'rank must be r <= min(m,n)');
    try
      [a, b] = f (Xt, Y, [1 2], [3 1], 2);
      error ('two outputs were accepted');
    catch err
      assert (err.message, [name{1} ': Usage: v = obsprod (Xt, Y, I, J, L)']);
    end
    id = @(reason) [name{1} ':' reason];
    assert_rejected (@() f (single (Xt), Y, 1, 1, 1), id ('notRealDouble'), 'Xt');
    assert_rejected (@() f (Xt, Y, 1, 1i, 1), id ('notRealDouble'), 'J');
    assert_rejected (@() f (Xt, Y, 1, 1, []), id ('badCount'));
    assert_rejected (@() f (Xt, Y, [1 2], [3 1], 3), id ('indexTooShort'), 'I');
    assert_rejected (@() f (Xt, Y, [1 NaN], [3 1], 2), id ('columnOutside'), 'I(2)');
    assert_rejected (@() f (Xt, Y, [1 2], [3.5 1], 2), id ('columnOutside'), 'J(1)');
  end
end
