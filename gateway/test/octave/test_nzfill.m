function test_nzfill ()
  for name = {'nzfill', 'nzfill_blas'}
    f = str2func (name{1});

    % Its help says it writes in place, and how to call it safely.
    text = evalc (['help ' name{1}]);
    assert (! isempty (strfind (text, 'IN PLACE')) && ! isempty (strfind (text, 'S = S * 1')));

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
  end
end

function fill_inside (f, S)
  f (S, [9 9 9], 3);
end
