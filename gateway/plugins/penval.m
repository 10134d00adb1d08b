function f = penval (X, D, Lb, Ub, w, t)
%PENVAL penalty value of a point configuration against distance bounds
%   f = penval (X, D, Lb, Ub, w, t)
%
%   Inputs (real, full double arrays):
%     X   d-by-n point matrix; point k is column k.
%     D   distance table, one row per pair: [i j target] (extra columns ignored).
%     Lb  lower-bound table: [i j bound type]; type 1 weighs with t(4), -2 with t(3).
%     Ub  upper-bound table: [i j bound type]; type >= 0 weighs 1, -1 t(1), -2 t(2).
%     w   term weights [w1 w2 w3 w4]: distance, lower-bound, upper-bound and
%         regularisation terms.
%     t   type weights [t1 t2 t3 t4].
%   Point numbers i and j run from 1 to n. Pass [] for a table with no rows.
%
%   Output: f, the 1-by-1 penalty
%     sum over D rows of (w1*g)*g, g = target - distance
%   + sum over violated Lb rows (g > 0) of ((w2*t)*g)*g
%   + sum over violated Ub rows (g < 0) of ((w3*t)*g)*g  (w3 alone for type >= 0)
%   + sum over the columns of X of w4*(sum of squared coordinates),
%   added in exactly this order. Type codes are truncated toward zero; a code
%   that selects no weight adds nothing.
%
%   Errors (identifier penval:<reason>): tooManyOutputs (more than one
%   output requested), notEnoughInputs (fewer than six inputs),
%   notRealDouble (an input that is not a real full double array),
%   notMatrix (X with more than two dimensions), tooFewColumns (D with rows
%   but under 3 columns, Lb or Ub under 4), tooFewElements (w or t with
%   fewer than 4 elements), pointOutside (a row naming a point outside X;
%   the message names the table and the row), tooLarge (an input Octave
%   keeps in a form of its own, such as a range, too large to form as an
%   array of doubles; of w and t only the first four values are formed).
%
%   Example:
%     X = [0 3; 0 4];
%     f = penval (X, [1 2 4], [1 2 6 1], [1 2 4 0], [1 1 1 0], [3 5 7 2])  % 4
%
%   See also PENSLOPE, LINKDEV, CEILGAP, FLOORGAP, PAIRSQ.
error ('penval:notBuilt', 'penval: the compiled plug-in is missing; build the toolbox first (see README)');
end

%!shared X, w, t
%! X = [0 3; 0 4];
%! w = [1 1 1 0];
%! t = [3 5 7 2];

% The worked example: 1 from the distance row, 2 from the lower bound
% (weight t(4)), 1 from the upper bound.
%!assert (penval (X, [1 2 4], [1 2 6 1], [1 2 4 0], w, t), 4)
%!assert (penval (X, [1 2 4], [1 2 6 1], [1 2 4 -1], w, t), 6)
%!assert (penval (X, [], [], [], w, t), 0)

% The terms are added in table order: 2^53 (distance row, g = 2^26,
% w1 = 2), then 1 (lower bound) and 1 (upper bound), each of which rounds
% away against 2^53. Adding the two ones first would give 2^53 + 2.
%!test
%! D = [1 2 5 + 2^26];
%! f = penval (X, D, [1 2 6 1], [1 2 4 0], [2 1 1 0], [1 1 1 1]);
%! assert (f, 2^53);
%! assert (f != (1 + 1) + 2^53);

% The regularisation term: w4 times the sum of squared coordinates.
%!assert (penval (X, [], [], [], [0 0 0 0.5], t), 12.5)

% One of its errors (the error table, plugins.errors, tries every one).
%!error id=penval:notEnoughInputs penval (X, [], [], [], w)
