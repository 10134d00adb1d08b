function test_nzfill ()
  for name = {'nzfill', 'nzfill_blas'}
    f = str2func (name{1});
    id = @(reason) [name{1} ':' reason];

    % A sparse S in place: pattern kept, values replaced, a 0 stays stored.
    S = sparse ([1 3 2 3], [1 1 2 3], [1 2 3 4], 3, 3);
    [i, j] = find (S);
    f (S, [7 0 -0 NaN 5], 4);
    [i2, j2, s2] = find (S);             % find lists the stored entries
    assert ([i2 j2], [i j]);
    assert (s2(1:3)', [7 0 0]);
    assert (1 / s2(3), -Inf);            % bit for bit: -0 stays -0
    assert (isnan (s2(4)) && issparse (S));

    % The count is truncated; |L| < 1 copies nothing; a full S takes its first
    % elements, v read column-major; S as its own v changes nothing.
    S = sparse ([1 0; 2 3]);
    f (S, [7 8 9 10], 2.9);
    f (S, [1 1 1], -0.5);
    assert (nonzeros (S)', [7 8 3]);
    F = [1 3; 2 4];
    f (F, [-1 -2; -3 -4], 3);
    f (F, F, 4);
    assert (F, [-1 -2; -3 4]);

    % Every variable sharing S's storage sees the change, in a caller too;
    % S * 1 makes a private copy first.
    S = sparse ([1 0; 2 3]);  T = S;
    f (S, [4 5 6], 3);
    assert (nonzeros (T)', [4 5 6]);
    S = sparse ([1 0; 2 3]);  T = S;  S = S * 1;
    f (S, [4 5 6], 3);
    assert (nonzeros (T)', [1 2 3]);
    fill_inside (f, T);
    assert (nonzeros (T)', [9 9 9]);

    % Errors, S unchanged.
    S = sparse ([1 0; 2 3]);
    usage = 'Usage:  SetSpv ( S, v, L )';
    nzfill_rejected (@(S, v, L) with_output (f, S, v, L), S, [7 8 9], 2, '', usage);
    nzfill_rejected (@(S, v, L) f (S, v), S, [7 8 9], 2, '', usage);
    nzfill_rejected (f, single ([1 2 3]), [7 8 9], 2, id ('notRealDouble'), 'S');
    nzfill_rejected (f, S, int32 ([7 8 9]), 2, id ('notRealDouble'), 'v');
    nzfill_rejected (f, S, S, 2, id ('notRealDouble'), 'v');
    nzfill_rejected (f, S, [7 8 9], NaN, id ('badCount'));
    nzfill_rejected (f, S, [7 8 9], -1, id ('badCount'));
    nzfill_rejected (f, S, [7 8 9 10], 4, id ('countTooLarge'), 'S');
    nzfill_rejected (f, S, [7 8], 3, id ('countTooLarge'), 'v');
  end
end

function fill_inside (f, S)
  f (S, [9 9 9], 3);
end

function with_output (f, S, v, L)
  x = f (S, v, L);
end
