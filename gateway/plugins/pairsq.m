function Q = pairsq (X)
%PAIRSQ squared distances between all points of a point matrix
%   Q = pairsq (X)
%
%   Input:
%     X  d-by-n real, full double point matrix; point k is column k.
%   Further inputs are ignored.
%
%   Output: Q, n-by-n, Q(i,j) = sum over k = 1..d of (X(k,i) - X(k,j))^2,
%   summed in coordinate order. Each element with i <= j is computed (the
%   diagonal included: 0 for a finite point, NaN for a point with an infinite
%   or NaN coordinate) and Q(j,i) is an exact copy of Q(i,j), so Q == Q.'
%   to the last bit. X with no columns gives a 0-by-0 Q; X with no rows an
%   n-by-n Q of zeros.
%
%   Errors (identifier pairsq:<reason>):
%     tooManyOutputs  more than one output requested.
%     noInput         called without an input.
%     notDouble       X is not a double array (single, integer, logical,
%                     char, ...); the message is "Input of inproper type".
%     notRealFull     X is sparse or complex.
%     notMatrix       X has more than two dimensions.
%     tooLarge        X has so many points (2^30 or more) that the n-by-n
%                     result could not be addressed, or X is a value Octave
%                     keeps in a form of its own (a range) too large to form
%                     as an array; smaller results that do not fit in memory
%                     get the host's own error.
%
%   Example:
%     Q = pairsq ([0 3; 0 4])     % [0 25; 25 0]
%
%   See also PENVAL, LINKDEV.
error ('pairsq:notBuilt', 'pairsq: the compiled plug-in is missing; build the toolbox first (see README)');
end

% The worked example.
%!assert (pairsq ([0 3; 0 4]), [0 25; 25 0])
%!assert (pairsq (zeros (2, 0)), zeros (0, 0))
%!assert (pairsq (zeros (0, 3)), zeros (3, 3))

% The squared differences summed in coordinate order (not |x|^2 + |y|^2 -
% 2 x.y, which rounds differently), and Q(j,i) a copy of Q(i,j).
%!test
%! X = [0.1 0.7 -2.5; 0.2 0.3 1e8; -0.3 0.9 3];
%! Q = pairsq (X);
%! for i = 1:3
%!   for j = 1:3
%!     d = X(:, i) - X(:, j);
%!     assert (Q(i, j), (d(1) * d(1) + d(2) * d(2)) + d(3) * d(3));
%!   end
%! end
%! assert (isequal (Q, Q.'));
%!assert (pairsq ([0 Inf]), [0 Inf; Inf NaN])

% One of its errors (the error table, plugins.errors, tries every one).
%!error <Input of inproper type> pairsq (single ([0 3; 0 4]))
