function test_dgsolve_inputs ()
  % Every bad input is refused with its identifier before any work.
  D = [1 2 1];  L = [1 2 0.5 1];  U = [1 2 2 0];
  bad = {
    @() dgsolve (2, D, L),                                   'dgsolve:notEnoughInputs'
    @() dgsolve (0, D, L, U),                                'dgsolve:badPointCount'
    @() dgsolve (2.5, D, L, U),                              'dgsolve:badPointCount'
    @() dgsolve ([2 3], D, L, U),                            'dgsolve:badPointCount'
    @() dgsolve (Inf, D, L, U),                              'dgsolve:badPointCount'
    @() dgsolve ('a', D, L, U),                              'dgsolve:badPointCount'
    @() dgsolve (2, single (D), L, U),                       'dgsolve:notRealDouble'
    @() dgsolve (2, D, L, sparse (U)),                       'dgsolve:notRealDouble'
    @() dgsolve (2, complex (D), L, U),                      'dgsolve:notRealDouble'
    @() dgsolve (2, [1 2], L, U),                            'dgsolve:tooFewColumns'
    @() dgsolve (2, D, [1 2 3], U),                          'dgsolve:tooFewColumns'
    @() dgsolve (2, [1 2 NaN], L, U),                        'dgsolve:notFinite'
    @() dgsolve (2, D, L, [1 2 Inf 0]),                      'dgsolve:notFinite'
    @() dgsolve (2, [1 3 1], L, U),                          'dgsolve:pointOutside'
    @() dgsolve (2, D, [0 2 1 1], U),                        'dgsolve:pointOutside'
    @() dgsolve (2, D, L, [1 1.5 1 0]),                      'dgsolve:pointOutside'
    @() dgsolve (2, D, L, U, 3),                             'dgsolve:badOption'
    @() dgsolve (2, D, L, U, struct ('dims', 3)),            'dgsolve:badOption'
    @() dgsolve (2, D, L, U, struct ('dim', 0)),             'dgsolve:badOption'
    @() dgsolve (2, D, L, U, struct ('w', [1 1 1])),         'dgsolve:badOption'
    @() dgsolve (2, D, L, U, struct ('t', [1 -1 1 1])),      'dgsolve:badOption'
    @() dgsolve (2, D, L, U, struct ('minSeparation', -1)),  'dgsolve:badOption'
    @() dgsolve (2, D, L, U, struct ('seed', 1.5)),          'dgsolve:badOption'
    @() dgsolve (2, D, L, U, struct ('X0', zeros (3, 3))),   'dgsolve:badOption'
    @() dgsolve (2, D, L, U, struct ('X0', [0 NaN; 0 0; 0 0])), 'dgsolve:badOption'
    @() dgsolve (2, D, L, U, struct ('maxTime', 0)),         'dgsolve:badOption'
    @() dgsolve (2, D, L, U, struct ('maxIter', -1)),        'dgsolve:badOption'
    @() dgsolve (2, D, L, U, struct ('starts', 0)),          'dgsolve:badOption'
    @() dgsolve (2, D, L, U, struct ('fTarget', -1)),        'dgsolve:badOption'
    @() dgsolve (2, D, L, U, struct ('verbose', 'yes')),     'dgsolve:badOption'
    @() dgsolve (2, D, L, U, struct ('method', 'sdp')),      'dgsolve:badOption'
    @() dgsolve (2, D, L, U, struct ('method', 3)),          'dgsolve:badOption'
    @() dgsolve (2, D, L, U, struct ('method', 'buildup', 'dim', 2)), 'dgsolve:badOption'
  };
  for k = 1:size (bad, 1)
    assert_rejected (bad{k, 1}, bad{k, 2});
  end
  % The message names the table and the row.
  assert_rejected (@() dgsolve (2, D, [L; 1 5 1 1], U), 'dgsolve:pointOutside', 'Lb row 2');

  % Empty tables of any shape are tables with no rows; extra columns are
  % ignored as penval ignores them.
  X = dgsolve (2, zeros (0, 7), [], zeros (0, 2), struct ('maxIter', 5));
  assert (size (X), [3 2]);
  [X, info] = dgsolve (2, [1 2 1 99 99], [], [], struct ('dim', 1));
  assert (abs (abs (X(2) - X(1)) - 1) < 1e-6);
  assert (info.penalty < 1e-12);
end
