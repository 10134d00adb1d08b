function test_dgsolve_inputs ()
  % Every bad input is refused with its identifier before any work; the
  % options come as a struct or as name-value pairs, in any case, integer
  % classes taken as their value; which rows weigh something is penval's
  % own rule.
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
    @() dgsolve (2, [1 2 1e200], L, U),                      'dgsolve:tooLarge'
    @() dgsolve (2, D, L, U, 'w', [1e308 1 1 0]),            'dgsolve:tooLarge'
    @() dgsolve (2, D, L, U, 3),                             'dgsolve:badOption'
    @() dgsolve (2, D, L, U, 'dim'),                         'dgsolve:badOption'
    @() dgsolve (2, D, L, U, struct ('dims', 3)),            'dgsolve:unknownOption'
    @() dgsolve (2, D, L, U, 'maxiters', 3),                 'dgsolve:unknownOption'
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
    @() dgsolve (2, D, L, U, struct ('tol', NaN)),           'dgsolve:badOption'
    @() dgsolve (2, D, L, U, struct ('verbose', 'yes')),     'dgsolve:badOption'
    @() dgsolve (2, D, L, U, struct ('verbose', NaN)),       'dgsolve:badOption'
    @() dgsolve (2, D, L, U, struct ('robust', [1 1])),      'dgsolve:badOption'
    @() dgsolve (2, D, L, U, struct ('method', 'sdp')),      'dgsolve:badOption'
    @() dgsolve (2, D, L, U, struct ('method', 3)),          'dgsolve:badOption'
    @() dgsolve (2, D, L, U, struct ('method', 'buildup', 'dim', 2)), 'dgsolve:badOption'
    @() dgsolve (2500, D, L, U, struct ('method', 'buildup')), 'dgsolve:badOption'
  };
  for k = 1:size (bad, 1)
    assert_rejected (bad{k, 1}, bad{k, 2});
  end
  % The messages name the table and the row, and list the options.
  assert_rejected (@() dgsolve (2, D, [L; 1 5 1 1], U), 'dgsolve:pointOutside', 'Lb row 2');
  assert_rejected (@() dgsolve (2, D, L, U, 'dims', 3), 'dgsolve:unknownOption', 'minSeparation');

  % Empty tables of any shape are tables with no rows; extra columns are
  % ignored as penval ignores them.
  X = dgsolve (2, zeros (0, 7), [], zeros (0, 2), struct ('maxIter', 5));
  assert (size (X), [3 2]);
  [X, info] = dgsolve (2, [1 2 1 99 99], [], [], struct ('dim', 1));
  assert (abs (abs (X(2) - X(1)) - 1) < 1e-6);
  assert (info.penalty < 1e-12);

  % Both forms of options, any case, integer classes: the same answer.
  P = [0 0 0; 2 0 0; 0 3 0; 0 0 4]';
  [I, J] = find (triu (true (4), 1));
  Dt = [I, J, sqrt(sum((P(:, I) - P(:, J)) .^ 2, 1))'];
  X1 = dgsolve (4, Dt, [], [], struct ('maxIter', 10, 'seed', 3));
  X2 = dgsolve (4, Dt, [], [], 'MAXITER', int8 (10), 'Seed', uint16 (3));
  X3 = dgsolve (int32 (4), Dt, [], [], struct ('seed', 3), 'maxiter', 10);
  assert (isequal (X1, X2, X3));
  [X, info] = dgsolve (4, Dt, [], [], 'dim', int8 (3), 'X0', int16 (round (P)), 'maxIter', 0, ...
                       'minSeparation', int8 (2), 'verbose', int8 (0));
  assert (isequal (X, round (P)) && isa (X, 'double'));
  assert (info.separation.count, 0);

  % Which rows weigh something: penval's own answer on the row alone (two
  % points 1 apart, each row violated), for type codes penval truncates,
  % ignores, or cannot convert.
  codes = [1 -2 0 2 -1 -3 1.9 -2.5 -0.5 -2.9 7.9 2^31 2^31-1 -2^31 1e10 -1e10 NaN Inf -Inf]';
  m = numel (codes);
  P2 = [0 1; 0 0; 0 0];
  Lc = [ones(m, 1), 2 * ones(m, 1), 2 * ones(m, 1), codes];
  Uc = [ones(m, 1), 2 * ones(m, 1), 0.5 * ones(m, 1), codes];
  for t = {[1 1 1 1], [2 3 5 7], [0 1 0 1]}
    w = [1 1 1 0];
    lower = arrayfun (@(k) penval (P2, [], Lc(k, :), [], w, t{1}), 1:m)';
    upper = arrayfun (@(k) penval (P2, [], [], Uc(k, :), w, t{1}), 1:m)';
    [~, info] = dgsolve_warned (2, [], Lc, Uc, struct ('X0', P2, 'maxIter', 0, 't', t{1}));
    assert (info.weightless.Lb, find (lower == 0));
    assert (info.weightless.Ub, find (upper == 0));
  end
end

function varargout = dgsolve_warned (varargin)
  % dgsolve, its warning about unused rows checked.
  lastwarn ('');
  [varargout{1:nargout}] = dgsolve (varargin{:});
  [~, id] = lastwarn ();
  assert (id, 'dgsolve:unusedRows');
end
