function test_obsprod ()
  Xt = [1 2; 3 4];            % columns (1, 3) and (2, 4)
  Y = [5 6 7; 8 9 10];        % columns (5, 8), (6, 9), (7, 10)
  for name = {'obsprod', 'obsprod_blas'}
    f = str2func (name{1});
    id = @(reason) [name{1} ':' reason];

    % Worked examples.
    assert (f (Xt, Y, [1 2], [3 1], 2), [37 42]);
    assert (f (Xt, Y, [1 2 2], [3 1 1], 2.9), [37 42]);
    assert (f (Xt, Y, [1; 2], [3 1 2 2], 2), [37 42]);   % shapes are not looked at
    assert (size (f (Xt, Y, [1 2], [3 1], 0)), [1 0]);
    assert (size (f (Xt, Y, [1 2], [3 1], -0.5)), [1 0]);
    assert (size (f (Xt, Y, [1 2], [3 1], NaN)), [1 0]);
    assert (size (f (Xt, Y, [], [], -Inf)), [1 0]);
    assert (f (zeros (0, 2), zeros (0, 3), [1 2 9], [3 1 9], 3), [0 0 0]);
    assert (f (Xt, Y, 1, 1, 1), 1 * 5 + 3 * 8);
    % The product, not the index, is truncated: with r = 2, J = 2.5 reads
    % the second value of column 2 and the first of column 3.
    assert (f (Xt, Y, 1, 2.5, 1), 1 * 9 + 3 * 7);
    f (Xt, Y, [1 2], [3 1], 2);   % no output requested: accepted

    % Against Xt' * Y on random samples.
    r = 4; m = 30; n = 25; L = 200;
    A = randn (r, m); B = randn (r, n);
    I = randi (m, 1, L); J = randi (n, 1, L);
    P = A' * B;
    assert (f (A, B, I, J, L), P(sub2ind ([m n], I, J)), 1e-12);

    % The fixed messages, in their order.
    usage = 'Usage: v = obsprod (Xt, Y, I, J, L)';
    assert_rejected (@() f (Xt, Y, [1 2], [3 1]), '', usage);
    assert_rejected (@() f (Xt, Y, [1 2], [3 1], 2, 2), '', usage);
    assert_rejected_2out (f, {Xt, Y, [1 2], [3 1], 2}, usage);
    assert_rejected (@() f ([1 2; 3 4], ones (3, 5), 1, 1, 1), '', ...
                     'rows of Xt must be equal to rows of Y');
    assert_rejected (@() f ([1 2; 3 4], ones (3, 1), 1, 1, 1), '', ...
                     'rows of Xt must be equal to rows of Y');
    assert_rejected (@() f (ones (3, 2), ones (3, 5), 1, 1, 1), '', ...
                     'rank must be r <= min(m,n)');
    assert_rejected (@() f (ones (3, 2), single (ones (3, 5)), 1, 1, 1), '', ...
                     'rank must be r <= min(m,n)');

    % The toolbox's own checks.
    assert_rejected (@() f (single (Xt), Y, 1, 1, 1), id ('notRealDouble'), 'Xt');
    assert_rejected (@() f (Xt, sparse (Y), 1, 1, 1), id ('notRealDouble'), 'Y');
    assert_rejected (@() f (Xt, Y, int32 (1), 1, 1), id ('notRealDouble'), 'I');
    assert_rejected (@() f (Xt, Y, 1, 1i, 1), id ('notRealDouble'), 'J');
    assert_rejected (@() f (Xt, Y, 1, 1, true), id ('notRealDouble'), 'L');
    assert_rejected (@() f (Xt, Y, 1, 1, []), id ('badCount'));
    assert_rejected (@() f (Xt, Y, [1 2], [3 1], 3), id ('indexTooShort'), 'I');
    assert_rejected (@() f (Xt, Y, [1 2 1], [3 1], 3), id ('indexTooShort'), 'J');
    assert_rejected (@() f (Xt, Y, [1 2], [3 1], Inf), id ('indexTooShort'));
    for bad = [NaN Inf -Inf 0 -1 0.4 2.5 3 1e300]
      assert_rejected (@() f (Xt, Y, [1 bad], [3 1], 2), id ('columnOutside'), 'I(2)');
    end
    for bad = [NaN 0 3.5 4]
      assert_rejected (@() f (Xt, Y, [1 2], [bad 1], 2), id ('columnOutside'), 'J(1)');
    end
  end
end

function assert_rejected_2out (f, args, message)
  % Two outputs requested: the usage message.
  try
    [a, b] = f (args{:});
  catch err
    assert (isempty (err.identifier));
    assert (! isempty (strfind (err.message, message)), err.message);
    return;
  end
  error ('two outputs were accepted');
end
